// The journal superblock: the first block of the journal. Unlike the rest
// of the family its numbers are big-endian; the UUID, the padding and the
// users table are shown as stored.
#include "decoders/ext2/Ext2Common.h"
#include "decoders/ext2/Ext2Decoders.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

using ext2::FlagName;
using ext2::FlagNames;
using ext2::Signed;

constexpr size_t kJournalSuperSize = 1024;

constexpr size_t kMagic = 0x00;
constexpr size_t kBlockType = 0x04;
constexpr size_t kHeaderSequence = 0x08;
constexpr size_t kBlockSize = 0x0C;
constexpr size_t kMaxLen = 0x10;
constexpr size_t kFirst = 0x14;
constexpr size_t kSequence = 0x18;
constexpr size_t kStart = 0x1C;
constexpr size_t kErrno = 0x20;
constexpr size_t kFeatureCompat = 0x24;
constexpr size_t kFeatureIncompat = 0x28;
constexpr size_t kFeatureRoCompat = 0x2C;
constexpr size_t kUuid = 0x30;
constexpr size_t kNrUsers = 0x40;
constexpr size_t kDynSuper = 0x44;
constexpr size_t kMaxTransaction = 0x48;
constexpr size_t kMaxTransData = 0x4C;
constexpr size_t kPadding = 0x50;
constexpr size_t kPaddingWords = 44;
constexpr size_t kUsers = 0x100;
constexpr size_t kUserSize = 16;

constexpr uint32_t kJournalMagic = 0xC03B3998;

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
  uint8_t js[kJournalSuperSize];
  ctx.Read(js, sizeof js);
  Report& r = ctx.report;
  r.Printf("Ext3 Journal Super Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(kJournalSuperSize);

  const uint32_t magic = Be32(js + kMagic);
  r.Printf("                 Magic: 0x%08X\n", magic);
  if (magic != kJournalMagic) r.Flag(" <-- Should be 0xC03B3998.");
  const uint32_t blockType = Be32(js + kBlockType);
  r.Printf("            Block Type: %i  <%s>\n", Signed(blockType),
           ext2::TableName(blockType, kBlockTypeNames, "Unknown"));
  r.Printf("              Sequence: 0x%08X\n", Be32(js + kHeaderSequence));
  r.Printf("            Block size: %i\n", SignedBe32(js + kBlockSize));
  r.Printf("          Total Blocks: %i\n", SignedBe32(js + kMaxLen));
  r.Printf("           First Block: %i\n", SignedBe32(js + kFirst));
  r.Printf("              Sequence: 0x%08X\n", Be32(js + kSequence));
  r.Printf("                 Start: %i\n", SignedBe32(js + kStart));
  r.Printf("          Error Number: 0x%08X\n", Be32(js + kErrno));
  const uint32_t compat = Be32(js + kFeatureCompat);
  r.Printf("    Compatible Ftr Set: 0x%08X  %s\n", compat, FlagNames(compat, kCompatNames, kCompatKnown).c_str());
  const uint32_t incompat = Be32(js + kFeatureIncompat);
  r.Printf("  Incompatible Ftr Set: 0x%08X  %s\n", incompat,
           FlagNames(incompat, kIncompatNames, kIncompatKnown).c_str());
  const uint32_t roCompat = Be32(js + kFeatureRoCompat);
  r.Printf(" RO Compatible Ftr Set: 0x%08X  %s\n", roCompat,
           FlagNames(roCompat, kRoCompatNames, kRoCompatKnown).c_str());
  ext2::AddUuidLine(r, "          Journal uuid", js + kUuid);
  r.Printf("                 Users: %i\n", SignedBe32(js + kNrUsers));
  r.Printf("    Dynamic Super Copy: %i\n", SignedBe32(js + kDynSuper));
  r.Printf(" Jrnl Blocks per Trans: %i\n", SignedBe32(js + kMaxTransaction));
  r.Printf(" Data Blocks per Trans: %i\n", SignedBe32(js + kMaxTransData));

  r.Add("               Padding:\n");
  for (size_t i = 0; i < kPaddingWords; ++i)
    r.Printf("0x%08X%s", Le32(js + kPadding + 4 * i), (i + 1) % 8 == 0 ? "\n" : ", ");
  r.Add("\n                 Users:\n");
  for (size_t i = 0; i < kJournalSuperSize - kUsers; ++i)
    r.Printf("0x%02X%s", js[kUsers + i], (i + 1) % kUserSize == 0 ? "\n" : ", ");
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
