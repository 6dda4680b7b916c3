// The dump types: one per radio button of the request dialog. The numeric
// values are the buttons' control IDs and are what users type on the
// command line and what stored requests carry, so they never change.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace trovik {

enum class DumpType : int {
  None = 0,
  DosDebug = 1002,
  Assembly = 1014,
  C = 1003,
  Basic = 1006,
  Pascal = 1007,
  AsciiText = 1013,
  LeanSuper = 1009,
  LeanInode = 1010,
  LeanIndirect = 1011,
  LeanDir = 1012,
  OhciHcca = 1034,
  OhciEd = 1033,
  OhciTd = 1035,
  OhciItd = 1036,
  QorSuper = 1015,
  QorSlot = 1016,
  QorSubdir = 1039,
  QorCont = 1017,
  GptHeader = 1023,
  GptEntry = 1024,
  Mbr = 1038,
  IsoPvd = 1031,
  IsoSvd = 1068,
  IsoDir = 1066,
  IsoDirWide = 1067,
  IsoPath = 1069,
  IsoPathWide = 1070,
  Udf = 1041,
  FatBpb = 1019,
  Fat32Bpb = 1022,
  FatDir = 1018,
  FatLfn = 1020,
  Fat32Info = 1021,
  Ext2Super = 1025,
  Ext2Group = 1026,
  Ext4Group = 1029,
  Ext2Inode = 1027,
  Ext2InodeLong = 1030,
  Ext2Dir = 1028,
  Ext3Journal = 1032,
  Mz = 1040,
  PeHeader = 1051,
  PeOptional = 1053,
  PeSection = 1055,
};

// One row of the type table: what the request dialog shows for a type and
// the defaults it fills in when the type is chosen.
struct DumpTypeInfo {
  DumpType id;
  std::string_view name;     // command-line name
  std::string_view caption;  // radio button text
  std::string_view group;    // group box text, blanks included
  bool countEnabled;
  int defaultCount;          // shown only when countEnabled
  uint32_t defaultStart;
  bool editEnabled;
  bool endEnabled;
  bool buttonEnabled;        // Pascal and Iso. Transfer Desc. are never selectable in the dialog
};

// All 44 types in dialog order.
std::span<const DumpTypeInfo> DumpTypeTable();
const DumpTypeInfo* FindDumpType(int id);
const DumpTypeInfo* FindDumpTypeByName(std::string_view name);

// True for the six general formats (hex listing, source data, text).
bool IsGeneralFormat(DumpType type);

}  // namespace trovik
