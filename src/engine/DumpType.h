// The dump types: one per radio button of the request dialog. The numeric
// values are the buttons' control IDs and are what users type on the
// command line and what stored requests carry, so they never change. The
// names below are for code that refers to one type; what a type is (its
// caption, defaults, decoder, editor) is its row in the catalog. A new type
// needs no name here: its row may give its id as DumpType{1071}.
#pragma once

#include <cstddef>
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

enum class DumpEnd;
class FileAccess;
class RunHost;
class DumpContext;
// A decoder lists its structure from the run's file into the run's report.
using Decoder = DumpEnd (*)(DumpContext&);

// Edit mode of a type that has an editor: the run reads the structure (or
// Count items of it), hands each to the front end's editor and writes back
// what was confirmed, before the listing.
struct EditStep {
  size_t itemSize = 0;           // bytes of one item, as the family's layout gives them; 0: no editor
  bool perItem = false;          // one editor per Count item, else one for the structure
  bool dumpAfterCancel = false;  // list the structure even when every editor was cancelled
  // After a confirmed write: the structure's start, the bytes edited, the
  // file and the front end (a GPT offers to bring its other copy in step).
  void (*afterWrite)(uint64_t start, uint64_t length, FileAccess& file, RunHost& host) = nullptr;
};

// One dump type: one row of the catalog (src/catalog), owned by the family
// that decodes it. Rows are written with designated initializers; what a row
// leaves out keeps the defaults below.
struct DumpTypeInfo {
  DumpType id = DumpType::None;  // what users type and stored requests carry: never changes
  std::string_view name;         // command-line name: never changes
  std::string_view caption;      // radio button text
  std::string_view group;        // group box text, blanks included
  bool countEnabled = false;
  int defaultCount = 0;          // shown only when countEnabled
  uint32_t defaultStart = 0;
  bool editEnabled = false;      // set by the catalog from edit
  bool endEnabled = false;
  bool buttonEnabled = true;     // Pascal and Iso. Transfer Desc. are never selectable in the dialog
  const char* help = nullptr;    // context help of the radio button; nullptr: none
  Decoder decoder = nullptr;     // nullptr: not part of this build
  EditStep edit{};
};

// The rows a decoder file contributes to its family, in dialog order.
using DumpTypeRows = std::span<const DumpTypeInfo>;

}  // namespace trovik
