// The journal superblock: the first block of the journal. Unlike the rest
// of the family its numbers are big-endian; the UUID, the padding and the
// users table are shown as stored.
#include "decoders/ext2/Ext2Common.h"
#include "decoders/ext2/Ext2Decoders.h"
#include "decoders/ext2/Ext2Layout.h"

namespace trovik {

namespace {

using namespace ext2;

const char* const kBlockTypeNames[] = {"Unknown",           "JFS_DESCRIPTOR_BLOCK", "JFS_COMMIT_BLOCK",
                                       "JFS_SUPERBLOCK_V1", "JFS_SUPERBLOCK_V2",    "JFS_REVOKE_BLOCK"};

// The journal's own feature bits; they mean nothing in the file system's
// feature sets.
const FlagName kCompatNames[] = {{0x01, " <CHECKSUM>"}};
constexpr uint32_t kCompatKnown = 0x01;
const FlagName kIncompatNames[] = {{0x01, " <REVOKE>"},  {0x02, " <64BIT>"},   {0x04, " <ASYNC_COMMIT>"},
                                   {0x08, " <CSUM_V2>"}, {0x10, " <CSUM_V3>"}, {0x20, " <FAST_COMMIT>"}};
constexpr uint32_t kIncompatKnown = 0x3F;
const FlagName kRoCompatNames[] = {{0, ""}};
constexpr uint32_t kRoCompatKnown = 0;

}  // namespace

DumpEnd DumpExt3Journal(DumpContext& ctx) {
  uint8_t js[journal::kSize];
  ctx.Read(js, sizeof js);
  Report& r = ctx.report;
  r.Printf("Ext3 Journal Super Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(journal::kSize);

  const uint32_t magic = Get(js, journal::kMagic);
  r.Printf("                 Magic: 0x%08X\n", magic);
  if (magic != journal::kMagicValue) r.Flag(" <-- Should be 0xC03B3998.");
  const uint32_t blockType = Get(js, journal::kBlockType);
  r.Printf("            Block Type: %i  <%s>\n", Signed(blockType),
           TableName(blockType, kBlockTypeNames, "Unknown"));
  r.Printf("              Sequence: 0x%08X\n", Get(js, journal::kHeaderSequence));
  r.Printf("            Block size: %i\n", Signed(Get(js, journal::kBlockSize)));
  r.Printf("          Total Blocks: %i\n", Signed(Get(js, journal::kMaxLen)));
  r.Printf("           First Block: %i\n", Signed(Get(js, journal::kFirst)));
  r.Printf("              Sequence: 0x%08X\n", Get(js, journal::kSequence));
  r.Printf("                 Start: %i\n", Signed(Get(js, journal::kStart)));
  r.Printf("          Error Number: 0x%08X\n", Get(js, journal::kErrno));
  const uint32_t compat = Get(js, journal::kFeatureCompat);
  r.Printf("    Compatible Ftr Set: 0x%08X  %s\n", compat, FlagNames(compat, kCompatNames, kCompatKnown).c_str());
  const uint32_t incompat = Get(js, journal::kFeatureIncompat);
  r.Printf("  Incompatible Ftr Set: 0x%08X  %s\n", incompat,
           FlagNames(incompat, kIncompatNames, kIncompatKnown).c_str());
  const uint32_t roCompat = Get(js, journal::kFeatureRoCompat);
  r.Printf(" RO Compatible Ftr Set: 0x%08X  %s\n", roCompat,
           FlagNames(roCompat, kRoCompatNames, kRoCompatKnown).c_str());
  AddUuidLine(r, "          Journal uuid", At(js, journal::kUuid));
  r.Printf("                 Users: %i\n", Signed(Get(js, journal::kNrUsers)));
  r.Printf("    Dynamic Super Copy: %i\n", Signed(Get(js, journal::kDynSuper)));
  r.Printf(" Jrnl Blocks per Trans: %i\n", Signed(Get(js, journal::kMaxTransaction)));
  r.Printf(" Data Blocks per Trans: %i\n", Signed(Get(js, journal::kMaxTransData)));

  r.Add("               Padding:\n");
  for (size_t i = 0; i < journal::kPaddingWords; ++i)
    r.Printf("0x%08X%s", Get(js, Element(journal::kPadding, i)), (i + 1) % 8 == 0 ? "\n" : ", ");
  r.Add("\n                 Users:\n");
  for (size_t i = 0; i < journal::kUsers.size; ++i)
    r.Printf("0x%02X%s", At(js, journal::kUsers)[i], (i + 1) % journal::kUserSize == 0 ? "\n" : ", ");
  r.Add("\n");
  r.AppendPending();
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows Ext3JournalRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::Ext3Journal, .name = "ext3-journal", .caption = "Journal Super Block", .group = kExt2Group,
     .help = "Dump the specified offset of data for the EXT2 FS Journal's Super Block.", .decoder = DumpExt3Journal},
  };
  return kRows;
}

}  // namespace trovik
