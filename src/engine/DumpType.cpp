#include "engine/DumpType.h"

#include <array>

namespace trovik {

namespace {

using T = DumpType;
constexpr std::string_view kGeneral = " General Dump ";
constexpr std::string_view kLean = " LEAN File System ";
constexpr std::string_view kOhci = " OHCI";
constexpr std::string_view kQor = " QOR File System ";
constexpr std::string_view kGpt = " GUID Partition ";
constexpr std::string_view kBoot = " BOOT ";
constexpr std::string_view kIso = " CDROM (ISO)";
constexpr std::string_view kUdf = " CDROM (UDF)";
constexpr std::string_view kFat = "FAT File System ";
constexpr std::string_view kExt = " EXT2/3/4 File System ";
constexpr std::string_view kPe = " PE EXE ";

// id, name, caption, group, count enabled, default count, default start, edit, end, button enabled
constexpr std::array<DumpTypeInfo, 44> kTable{{
    {T::DosDebug, "debug", "DOS Debug", kGeneral, false, 0, 0, false, true, true},
    {T::Assembly, "asm", "Assembly", kGeneral, false, 0, 0, false, true, true},
    {T::C, "c", "C/C++", kGeneral, false, 0, 0, false, true, true},
    {T::Basic, "basic", "Basic", kGeneral, false, 0, 0, false, true, true},
    {T::Pascal, "pascal", "Pascal", kGeneral, false, 0, 0, false, true, false},
    {T::AsciiText, "text", "Ascii Text", kGeneral, false, 0, 0, false, true, true},
    {T::LeanSuper, "lean-super", "Super Block", kLean, false, 0, 0, false, false, true},
    {T::LeanInode, "lean-inode", "Inode", kLean, false, 0, 0, false, false, true},
    {T::LeanIndirect, "lean-indirect", "Indirect", kLean, true, 1, 0, false, false, true},
    {T::LeanDir, "lean-dir", "Directory Entry", kLean, true, 1, 0, false, false, true},
    {T::OhciHcca, "ohci-hcca", "HCCA", kOhci, false, 0, 0, false, true, true},
    {T::OhciEd, "ohci-ed", "Endpoint Desc.", kOhci, true, 1, 0, false, false, true},
    {T::OhciTd, "ohci-td", "Transfer Desc.", kOhci, true, 1, 0, false, false, true},
    {T::OhciItd, "ohci-itd", "Iso. Transfer Desc.", kOhci, true, 1, 0, false, false, false},
    {T::QorSuper, "qor-super", "Super Block", kQor, false, 0, 0, false, false, true},
    {T::QorSlot, "qor-slot", "Slot", kQor, true, 5, 0, false, false, true},
    {T::QorSubdir, "qor-subdir", "Sub-Dir Slot", kQor, true, 5, 0, false, false, true},
    {T::QorCont, "qor-cont", "Cont Slot", kQor, true, 5, 0, false, false, true},
    {T::GptHeader, "gpt-header", "Header", kGpt, false, 0, 0, true, false, true},
    {T::GptEntry, "gpt-entry", "Entry", kGpt, true, 1, 0, true, false, true},
    {T::Mbr, "mbr", "Master Boot Rec", kBoot, true, 4, 0x1BE, true, false, true},
    {T::IsoPvd, "iso-pvd", "Primary Vol Desc", kIso, false, 0, 0, false, false, true},
    {T::IsoSvd, "iso-svd", "Sumplmnt Vol Desc", kIso, false, 0, 0, false, false, true},
    {T::IsoDir, "iso-dir", "Root Entry", kIso, true, 5, 0, false, false, true},
    {T::IsoDirWide, "iso-dir-wide", "Root Entry (wide)", kIso, true, 5, 0, false, false, true},
    {T::IsoPath, "iso-path", "Path Table Entry", kIso, true, 5, 0, false, false, true},
    {T::IsoPathWide, "iso-path-wide", "P Tab Entry (wide)", kIso, true, 5, 0, false, false, true},
    {T::Udf, "udf", "Volume Descriptor", kUdf, true, 1, 0, false, false, true},
    {T::FatBpb, "fat-bpb", "BIOS Param Block (12/16)", kFat, false, 0, 0, true, false, true},
    {T::Fat32Bpb, "fat32-bpb", "BIOS Param Block (32)", kFat, false, 0, 0, false, false, true},
    {T::FatDir, "fat-dir", "Root Entry", kFat, true, 5, 0, false, false, true},
    {T::FatLfn, "fat-lfn", "Root Entry (LFN)", kFat, true, 5, 0, false, false, true},
    {T::Fat32Info, "fat32-info", "FAT32 Info Block", kFat, false, 0, 0, false, false, true},
    {T::Ext2Super, "ext2-super", "Super Block", kExt, false, 0, 0, false, false, true},
    {T::Ext2Group, "ext2-group", "Group Descriptor", kExt, true, 1, 0, false, false, true},
    {T::Ext4Group, "ext4-group", "Group Descriptor (ext4)", kExt, true, 1, 0, false, false, true},
    {T::Ext2Inode, "ext2-inode", "Inode", kExt, true, 1, 0, false, false, true},
    {T::Ext2InodeLong, "ext2-inode-long", "Inode (Long Inode)", kExt, true, 1, 0, false, false, true},
    {T::Ext2Dir, "ext2-dir", "Directory Entry", kExt, true, 1, 0, false, false, true},
    {T::Ext3Journal, "ext3-journal", "Journal Super Block", kExt, false, 0, 0, false, false, true},
    {T::Mz, "mz", "DOS EXE", kPe, false, 0, 0, false, false, true},
    {T::PeHeader, "pe-header", "PE Header", kPe, false, 0, 0, false, false, true},
    {T::PeOptional, "pe-optional", "PE Optional Header", kPe, false, 0, 0, false, false, true},
    {T::PeSection, "pe-section", "PE Section Header", kPe, true, 1, 0, false, false, true},
}};

}  // namespace

std::span<const DumpTypeInfo> DumpTypeTable() { return kTable; }

const DumpTypeInfo* FindDumpType(int id) {
  for (const auto& row : kTable)
    if (static_cast<int>(row.id) == id) return &row;
  return nullptr;
}

const DumpTypeInfo* FindDumpTypeByName(std::string_view name) {
  for (const auto& row : kTable)
    if (row.name == name) return &row;
  return nullptr;
}

bool IsGeneralFormat(DumpType type) {
  switch (type) {
    case T::DosDebug:
    case T::Assembly:
    case T::C:
    case T::Basic:
    case T::Pascal:
    case T::AsciiText:
      return true;
    default:
      return false;
  }
}

}  // namespace trovik
