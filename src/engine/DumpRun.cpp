#include "engine/DumpRun.h"

#include <cstdint>
#include <cstring>
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
  bool wrote = false;
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
      anyConfirmed = wrote = true;
    }
  }
  // A structure stored twice (the GPT) may bring its other copy in step.
  if (wrote && step.afterWrite)
    step.afterWrite(ctx.start, uint64_t{step.itemSize} * static_cast<uint64_t>(items), ctx.file, ctx.host);
  ctx.Seek(ctx.start);
  return anyConfirmed || step.dumpAfterCancel;
}

// The file from a base on: offset 0 of the view is byte `base` of the file.
class BasedFile : public FileAccess {
 public:
  BasedFile(FileAccess& file, uint64_t base) : file_(file), base_(base) {}
  uint64_t Size() override {
    const uint64_t size = file_.Size();
    return size > base_ ? size - base_ : 0;
  }
  size_t ReadAt(uint64_t offset, void* buffer, size_t len) override {
    if (offset > UINT64_MAX - base_) {
      std::memset(buffer, 0, len);
      return 0;
    }
    return file_.ReadAt(base_ + offset, buffer, len);
  }
  void WriteAt(uint64_t offset, const void* buffer, size_t len) override {
    if (offset > UINT64_MAX - base_) throw FileError("Error writing file: the offset lies past 2^64");
    file_.WriteAt(base_ + offset, buffer, len);
  }

 private:
  FileAccess& file_;
  uint64_t base_;
};

std::string UnavailableMessage(const DumpTypeInfo& type) {
  return std::string(type.caption) + " (" + std::string(type.name) + ") is not available in this build.";
}

}  // namespace

RunStatus RunDump(const DumpTypeInfo* type, const DumpRequest& request, FileAccess& wholeFile, ReportSink& sink,
                  RunHost& host) {
  Report report(sink, &host);
  RunStatus status = RunStatus::Done;
  BasedFile based(wholeFile, request.base);
  FileAccess& file = request.base ? static_cast<FileAccess&>(based) : wholeFile;
  try {
    const uint64_t size = file.Size();
    if (request.base) {
      const auto base = static_cast<unsigned long long>(request.base);
      report.Printf(kBaseLineFormat, base, base);
      report.AppendPending();
    }
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
