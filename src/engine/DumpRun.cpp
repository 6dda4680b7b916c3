#include "engine/DumpRun.h"

#include <cstdint>
#include <string>
#include <vector>

#include "engine/TextFormat.h"

namespace trovik {

namespace {

// Shows the editor for each item and writes back what was confirmed.
// Returns false when the listing is to be skipped.
bool RunEditStep(DumpContext& ctx, const EditStep& step) {
  if (step.itemSize == 0) return true;
  std::vector<uint8_t> data(step.itemSize);
  const int items = step.perItem ? ctx.count : 1;
  bool anyConfirmed = false;
  for (int index = 0; index < items; ++index) {
    const uint64_t offset = uint64_t{ctx.start} + uint64_t{step.itemSize} * static_cast<uint64_t>(index);
    // Editing a structure the file does not wholly hold would write
    // invented bytes past its end: say so and leave the file alone.
    if (ctx.ReadAt(offset, data.data(), data.size()) < data.size()) {
      ctx.host.ShowMessage(Format("The structure at 0x%08llX lies past the end of the file; it is not edited.",
                                  static_cast<unsigned long long>(offset)));
      anyConfirmed = true;  // the listing still runs
      continue;
    }
    if (ctx.host.EditStructure(ctx.type, data, index, offset, ctx.file)) {
      ctx.WriteAt(offset, data.data(), data.size());
      anyConfirmed = true;
    }
  }
  ctx.Seek(ctx.start);
  return anyConfirmed || step.dumpAfterCancel;
}

std::string UnavailableMessage(const DumpTypeInfo& type) {
  return std::string(type.caption) + " (" + std::string(type.name) + ") is not available in this build.";
}

}  // namespace

RunStatus RunDump(const DumpTypeInfo* type, const DumpRequest& request, FileAccess& file, ReportSink& sink,
                  RunHost& host) {
  Report report(sink, &host);
  RunStatus status = RunStatus::Done;
  try {
    const uint64_t size = file.Size();
    DumpContext ctx(file, report, host, request, FixRange(request, size), size);
    if (!type) {
      host.ShowMessage(kUnknownTypeText);
    } else if (!type->decoder) {
      host.ShowMessage(UnavailableMessage(*type));
      status = RunStatus::Unavailable;
    } else if (!ctx.editMode || RunEditStep(ctx, type->edit)) {
      if (type->decoder(ctx) == DumpEnd::Abort) {
        report.AppendText(kAbortText);
        status = RunStatus::Aborted;
      }
    }
  } catch (const FileError& error) {
    report.Finish();
    host.ShowMessage(error.what());
    return RunStatus::FileFailed;
  }
  report.Finish();
  return status;
}

}  // namespace trovik
