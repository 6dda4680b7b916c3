#include "engine/DumpRun.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "decoders/exe/ExeDecoders.h"
#include "decoders/ext2/Ext2Decoders.h"
#include "decoders/fat/FatDecoders.h"
#include "decoders/lean/LeanDecoders.h"
#include "decoders/ohci/OhciDecoders.h"
#include "decoders/optical/OpticalDecoders.h"
#include "decoders/partition/PartitionDecoders.h"
#include "decoders/qorfs/QorDecoders.h"
#include "editors/GptMirror.h"
#include "engine/GeneralFormats.h"
#include "engine/TextFormat.h"

namespace trovik {

namespace {

// Edit mode: which structures have an editor, how large one item is, and
// whether the editor runs once per Count item.
struct EditStep {
  DumpType type;
  size_t size;
  bool perItem;
  bool dumpAfterCancel;
};

constexpr std::array<EditStep, 4> kEditSteps{{
    {DumpType::FatBpb, 62, false, false},
    {DumpType::GptHeader, 512, false, true},
    {DumpType::GptEntry, 128, true, true},
    {DumpType::Mbr, 16, true, true},
}};

bool CallEditor(DumpContext& ctx, uint8_t* data, int index) {
  switch (ctx.type) {
    case DumpType::FatBpb:
      return ctx.host.EditBpb(data);
    case DumpType::GptHeader:
      return ctx.host.EditGptHeader(data, ctx.start, ctx.file);
    case DumpType::GptEntry:
      return ctx.host.EditGptEntry(data, index);
    case DumpType::Mbr:
      return ctx.host.EditMbrEntry(data, index);
    default:
      return false;
  }
}

// Shows the editor for each item and writes back what was confirmed.
// Returns false when the listing is to be skipped.
bool RunEditStep(DumpContext& ctx) {
  for (const auto& step : kEditSteps) {
    if (step.type != ctx.type) continue;
    std::vector<uint8_t> data(step.size);
    const int items = step.perItem ? ctx.count : 1;
    bool anyConfirmed = false;
    bool wrote = false;
    for (int index = 0; index < items; ++index) {
      const uint64_t offset = uint64_t{ctx.start} + uint64_t{step.size} * static_cast<uint64_t>(index);
      // Editing a structure the file does not wholly hold would write
      // invented bytes past its end: say so and leave the file alone.
      if (ctx.ReadAt(offset, data.data(), data.size()) < data.size()) {
        ctx.host.ShowMessage(Format("The structure at 0x%08llX lies past the end of the file; it is not edited.",
                                    static_cast<unsigned long long>(offset)));
        anyConfirmed |= step.type == DumpType::FatBpb;  // the listing still runs
        continue;
      }
      if (CallEditor(ctx, data.data(), index)) {
        ctx.WriteAt(offset, data.data(), data.size());
        anyConfirmed = wrote = true;  // a refused write still lists what the file holds
      }
    }
    // A GPT is stored twice; the other copy follows only when asked to.
    if (wrote && (step.type == DumpType::GptHeader || step.type == DumpType::GptEntry))
      OfferGptMirror(step.type == DumpType::GptHeader, ctx.start, uint64_t{step.size} * static_cast<uint64_t>(items),
                     ctx.file, ctx.host);
    ctx.Seek(ctx.start);
    return anyConfirmed || step.dumpAfterCancel;
  }
  return true;
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

std::string UnavailableMessage(DumpType type) {
  const DumpTypeInfo* info = FindDumpType(static_cast<int>(type));
  std::string name = info ? std::string(info->caption) + " (" + std::string(info->name) + ")" : "This type";
  return name + " is not available in this build.";
}

}  // namespace

Decoder FindDecoder(DumpType type) {
  switch (type) {
    case DumpType::DosDebug:
      return DumpDosDebug;
    case DumpType::Assembly:
      return DumpAssembly;
    case DumpType::C:
      return DumpC;
    case DumpType::Basic:
      return DumpBasic;
    case DumpType::AsciiText:
      return DumpAsciiText;
    case DumpType::Pascal:
      return DumpPascal;
    case DumpType::LeanSuper:
      return DumpLeanSuper;
    case DumpType::LeanInode:
      return DumpLeanInode;
    case DumpType::LeanIndirect:
      return DumpLeanIndirect;
    case DumpType::LeanDir:
      return DumpLeanDir;
    case DumpType::QorSuper:
      return DumpQorSuper;
    case DumpType::QorSlot:
      return DumpQorSlot;
    case DumpType::QorSubdir:
      return DumpQorSubdir;
    case DumpType::QorCont:
      return DumpQorCont;
    case DumpType::OhciHcca:
      return DumpOhciHcca;
    case DumpType::OhciEd:
      return DumpOhciEd;
    case DumpType::OhciTd:
      return DumpOhciTd;
    case DumpType::OhciItd:
      return DumpOhciItd;
    case DumpType::GptHeader:
      return DumpGptHeader;
    case DumpType::GptEntry:
      return DumpGptEntry;
    case DumpType::Mbr:
      return DumpMbr;
    case DumpType::FatBpb:
      return DumpFatBpb;
    case DumpType::Fat32Bpb:
      return DumpFat32Bpb;
    case DumpType::FatDir:
      return DumpFatDir;
    case DumpType::FatLfn:
      return DumpFatLfn;
    case DumpType::Fat32Info:
      return DumpFat32Info;
    case DumpType::IsoPvd:
    case DumpType::IsoSvd:
      return DumpIsoVolumeDescriptor;
    case DumpType::IsoDir:
    case DumpType::IsoDirWide:
      return DumpIsoDirRecord;
    case DumpType::IsoPath:
    case DumpType::IsoPathWide:
      return DumpIsoPathTable;
    case DumpType::Udf:
      return DumpUdf;
    case DumpType::Ext2Super:
      return DumpExt2Super;
    case DumpType::Ext2Group:
      return DumpExt2Group;
    case DumpType::Ext4Group:
      return DumpExt4Group;
    case DumpType::Ext2Inode:
      return DumpExt2Inode;
    case DumpType::Ext2InodeLong:
      return DumpExt2InodeLong;
    case DumpType::Ext2Dir:
      return DumpExt2Dir;
    case DumpType::Ext3Journal:
      return DumpExt3Journal;
    case DumpType::Mz:
      return DumpMz;
    case DumpType::PeHeader:
      return DumpPeHeader;
    case DumpType::PeOptional:
      return DumpPeOptional;
    case DumpType::PeSection:
      return DumpPeSection;
    default:
      return nullptr;
  }
}

RunStatus RunDump(const DumpRequest& request, FileAccess& wholeFile, ReportSink& sink, RunHost& host) {
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
    if (!FindDumpType(request.dumpType)) {
      host.ShowMessage(kUnknownTypeText);
    } else if (Decoder decoder = FindDecoder(ctx.type); !decoder) {
      host.ShowMessage(UnavailableMessage(ctx.type));
      status = RunStatus::Unavailable;
    } else if (!ctx.editMode || RunEditStep(ctx)) {
      if (decoder(ctx) == DumpEnd::Abort) {
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
