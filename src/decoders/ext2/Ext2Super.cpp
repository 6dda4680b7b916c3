// The ext2/ext3/ext4 superblock: 1024 bytes, little-endian. Which groups of
// lines appear follows from the superblock's own revision and features;
// whatever is not decoded is listed raw, and a non-zero byte there is
// flagged.
#include <cinttypes>

#include "decoders/ext2/Ext2Common.h"
#include "decoders/ext2/Ext2Decoders.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"

namespace trovik {

namespace {

using ext2::AddTimeLine;
using ext2::AddUuidLine;
using ext2::FlagName;
using ext2::FlagNames;
using ext2::Signed;
using ext2::TableName;

constexpr size_t kSuperSize = 1024;

// Field offsets. Base group (every revision).
constexpr size_t kInodeCount = 0x00;
constexpr size_t kBlockCount = 0x04;
constexpr size_t kResvBlockCount = 0x08;
constexpr size_t kFreeBlockCount = 0x0C;
constexpr size_t kFreeInodeCount = 0x10;
constexpr size_t kFirstDataBlock = 0x14;
constexpr size_t kLogBlockSize = 0x18;
constexpr size_t kLogFragSize = 0x1C;
constexpr size_t kBlocksPerGroup = 0x20;
constexpr size_t kFragsPerGroup = 0x24;
constexpr size_t kInodesPerGroup = 0x28;
constexpr size_t kMountTime = 0x2C;
constexpr size_t kWriteTime = 0x30;
constexpr size_t kMountCount = 0x34;
constexpr size_t kMaxMountCount = 0x36;
constexpr size_t kMagic = 0x38;
constexpr size_t kState = 0x3A;
constexpr size_t kErrors = 0x3C;
constexpr size_t kMinorRev = 0x3E;
constexpr size_t kLastCheck = 0x40;
constexpr size_t kCheckInterval = 0x44;
constexpr size_t kCreatorOs = 0x48;
constexpr size_t kRevLevel = 0x4C;
constexpr size_t kDefaultUid = 0x50;
constexpr size_t kDefaultGid = 0x52;
// Dynamic group (revision 1).
constexpr size_t kFirstInode = 0x54;
constexpr size_t kInodeSize = 0x58;
constexpr size_t kBlockGroupNr = 0x5A;
constexpr size_t kFeatureCompat = 0x5C;
constexpr size_t kFeatureIncompat = 0x60;
constexpr size_t kFeatureRoCompat = 0x64;
constexpr size_t kUuid = 0x68;
constexpr size_t kVolumeName = 0x78;
constexpr size_t kVolumeNameWidth = 16;
constexpr size_t kLastMounted = 0x88;
constexpr size_t kLastMountedWidth = 64;
constexpr size_t kAlgorithmBitmap = 0xC8;
constexpr size_t kPreallocBlocks = 0xCC;
constexpr size_t kPreallocDirBlocks = 0xCD;
constexpr size_t kReservedGdtBlocks = 0xCE;
// Journal group (HAS_JOURNAL).
constexpr size_t kJournalUuid = 0xD0;
constexpr size_t kJournalInode = 0xE0;
constexpr size_t kJournalDev = 0xE4;
constexpr size_t kLastOrphan = 0xE8;
constexpr size_t kHashSeed = 0xEC;
constexpr size_t kDefHashVersion = 0xFC;
constexpr size_t kJournalBackupType = 0xFD;
constexpr size_t kDescSize = 0xFE;
constexpr size_t kDefaultMountOpts = 0x100;
constexpr size_t kFirstMetaBg = 0x104;
constexpr size_t kMkfsTime = 0x108;
constexpr size_t kJournalBlocks = 0x10C;  // 17 words: 15 block pointers, unused, size
// 64-bit group.
constexpr size_t kBlockCountHi = 0x150;
constexpr size_t kResvBlockCountHi = 0x154;
constexpr size_t kFreeBlockCountHi = 0x158;
constexpr size_t kMinExtraIsize = 0x15C;
constexpr size_t kWantExtraIsize = 0x15E;
constexpr size_t kMiscFlags = 0x160;
constexpr size_t kRaidStride = 0x164;
constexpr size_t kMmpInterval = 0x166;
constexpr size_t kMmpBlock = 0x168;
constexpr size_t kRaidStripeWidth = 0x170;
constexpr size_t kLogGroupsPerFlex = 0x174;
constexpr size_t kReservedCharPad = 0x175;
constexpr size_t kReservedPad = 0x176;
constexpr size_t kTail = 0x178;

constexpr uint16_t kSuperMagic = 0xEF53;
constexpr uint32_t kCompatHasJournal = 0x0004;
constexpr uint32_t kIncompat64Bit = 0x0080;
// JOURNAL_DEV, META_BG, bit 0x20, EXTENTS, 64BIT, MMP, FLEX_BG: any of them
// brings the 64-bit group of fields.
constexpr uint32_t kIncompatExtendedFields = 0x03F8;

const char* const kStateNames[] = {"Unknown", "EXT2_VALID_FS", "EXT2_ERROR_FS"};
const char* const kErrorsNames[] = {"Unknown", "EXT2_ERRORS_CONTINUE", "EXT2_ERRORS_RO", "EXT2_ERRORS_PANIC"};
const char* const kCreatorOsNames[] = {"Linux", "Hurd", "MASIX", "FreeBSD", "Lites", "WinNT", "QOROS"};
const char* const kRevLevelNames[] = {"Original Format", "V2 format with dynamic inode sizes"};

const FlagName kCompatNames[] = {{0x0001, " <DIR_PREALLOC>"}, {0x0002, " <IMAGIC_INODES>"},
                                 {0x0004, " <HAS_JOURNAL>"},  {0x0008, " <EXT_ATTR>"},
                                 {0x0010, " <RESIZE_INO>"},   {0x0020, " <DIR_INDEX>"},
                                 {0x0040, " <LAZY_BG>"}};
constexpr uint32_t kCompatKnown = 0x0000007F;
const FlagName kIncompatNames[] = {{0x0001, " <COMPRESSION>"}, {0x0002, " <FILETYPE>"}, {0x0004, " <RECOVER>"},
                                   {0x0008, " <JOURNAL_DEV>"}, {0x0010, " <META_BG>"},  {0x0040, " <EXTENTS>"},
                                   {0x0080, " <64BIT>"},       {0x0100, " <MMP>"},      {0x0200, " <FLEX_BG>"}};
// Bit 0x20 has no name but is not unknown either.
constexpr uint32_t kIncompatKnown = 0x000003FF;
const FlagName kRoCompatNames[] = {{0x0001, " <SPARSE_SUPER>"}, {0x0002, " <LARGE_FILE>"},
                                   {0x0004, " <BTREE_DIR>"},    {0x0008, " <HUGE_FILE>"},
                                   {0x0010, " <GDT_CSUM>"},     {0x0020, " <DIR_NLINK>"},
                                   {0x0040, " <EXTRA_ISIZE>"}};
constexpr uint32_t kRoCompatKnown = 0x0000007F;

// A 64-bit count from its high word and the low word of the base group.
int64_t Joined(const uint8_t* sb, size_t hi, size_t lo) {
  return static_cast<int64_t>((static_cast<uint64_t>(Le32(sb + hi)) << 32) | Le32(sb + lo));
}

void AddBaseGroup(Report& r, const uint8_t* sb) {
  r.Printf("           Inode Count: %i\n", SignedLe32(sb + kInodeCount));
  r.Printf("           Block Count: %i\n", SignedLe32(sb + kBlockCount));
  r.Printf("     Resv. Block Count: %i\n", SignedLe32(sb + kResvBlockCount));
  r.Printf("      Free Block Count: %i\n", SignedLe32(sb + kFreeBlockCount));
  r.Printf("      Free Inode Count: %i\n", SignedLe32(sb + kFreeInodeCount));
  r.Printf("      First Data Block: %i\n", SignedLe32(sb + kFirstDataBlock));

  // Shift counts wrap at 32 as in 32-bit arithmetic; only the block size is judged.
  const uint32_t logBlock = Le32(sb + kLogBlockSize);
  r.Printf("            Block Size: %i  (%i)\n", Signed(logBlock), Signed(1024u << (logBlock & 31)));
  if (logBlock > 2) r.Flag(" <-- Should be 0, 1, or 2.");
  const int32_t logFrag = SignedLe32(sb + kLogFragSize);
  const uint32_t fragSize = logFrag >= 0 ? 1024u << (static_cast<uint32_t>(logFrag) & 31)
                                         : 1024u >> ((0u - static_cast<uint32_t>(logFrag)) & 31);
  r.Printf("         Fragment Size: %i  (%i)\n", logFrag, Signed(fragSize));

  const uint32_t blocksPerGroup = Le32(sb + kBlocksPerGroup);
  const uint32_t groups = blocksPerGroup ? Le32(sb + kBlockCount) / blocksPerGroup : 0;
  r.Printf("      Blocks per Group: %i   (groups: %i)\n", Signed(blocksPerGroup), Signed(groups));
  r.Printf("   Fragments per Group: %i\n", SignedLe32(sb + kFragsPerGroup));
  r.Printf("      Inodes per Group: %i\n", SignedLe32(sb + kInodesPerGroup));
  AddTimeLine(r, "            Mount Time", Le32(sb + kMountTime));
  AddTimeLine(r, "            Write Time", Le32(sb + kWriteTime));
  r.Printf("           Mount Count: %i\n", Le16(sb + kMountCount));
  r.Printf("       Max Mount Count: %i\n", SignedLe16(sb + kMaxMountCount));

  const uint16_t magic = Le16(sb + kMagic);
  r.Printf("             Magic Sig: 0x%04X\n", magic);
  if (magic != kSuperMagic) r.Flag(" <-- Should be 0xEF53.");
  const uint16_t state = Le16(sb + kState);
  r.Printf("                 State: 0x%04X (%s)\n", state, TableName(state, kStateNames, "Unknown"));
  if (state != 1) r.Flag(" <-- Should be 1 (EXT2_VALID_FS).");
  const uint16_t errors = Le16(sb + kErrors);
  r.Printf("                Errors: %i  (%s)\n", errors, TableName(errors, kErrorsNames, "Unknown"));
  if (errors != 1) r.Flag(" <-- Should be 1 (EXT2_ERRORS_CONTINUE).");
  r.Printf("      Minor Rev. Level: %i\n", Le16(sb + kMinorRev));
  AddTimeLine(r, "            Last Check", Le32(sb + kLastCheck));

  const uint32_t interval = Le32(sb + kCheckInterval);
  r.Printf("        Check Interval: 0x%08X (%i days  %i hours  %i minutes  %i seconds)\n", interval,
           Signed(interval / 86400), Signed((interval % 86400) / 3600), Signed((interval % 3600) / 60),
           Signed(interval % 60));

  const uint32_t creator = Le32(sb + kCreatorOs);
  r.Printf("            OS Creator: 0x%08X  (%s)\n", creator, TableName(creator, kCreatorOsNames, "Unknown"));
  if (creator > 6) r.Flag(" <-- Should be 1 -> 6.");
  const uint32_t rev = Le32(sb + kRevLevel);
  r.Printf("            Rev. Level: %i (%s)\n", Signed(rev), TableName(rev, kRevLevelNames, "Unknown"));
  if (rev > 1) r.Flag(" <-- Should be 0 or 1.");
  r.Printf("           Default UID: 0x%04X\n", Le16(sb + kDefaultUid));
  r.Printf("           Default GID: 0x%04X\n", Le16(sb + kDefaultGid));
}

void AddDynamicGroup(Report& r, const uint8_t* sb) {
  r.Printf("           First Inode: %i\n", SignedLe32(sb + kFirstInode));
  r.Printf("            Inode Size: %i\n", Le16(sb + kInodeSize));
  r.Printf("     Super Block Grp #: %i\n", Le16(sb + kBlockGroupNr));
  const uint32_t compat = Le32(sb + kFeatureCompat);
  r.Printf("    Compatible Ftr Set: 0x%08X  %s\n", compat, FlagNames(compat, kCompatNames, kCompatKnown).c_str());
  const uint32_t incompat = Le32(sb + kFeatureIncompat);
  r.Printf("  Incompatible Ftr Set: 0x%08X  %s\n", incompat,
           FlagNames(incompat, kIncompatNames, kIncompatKnown).c_str());
  const uint32_t roCompat = Le32(sb + kFeatureRoCompat);
  r.Printf(" RO Compatible Ftr Set: 0x%08X  %s\n", roCompat,
           FlagNames(roCompat, kRoCompatNames, kRoCompatKnown).c_str());
  AddUuidLine(r, "                  uuid", sb + kUuid);
  r.Printf("           Volume Name: %s\n", ext2::FieldText(sb + kVolumeName, kVolumeNameWidth).c_str());
  r.Printf("      Last Mounted Dir: %s\n", ext2::FieldText(sb + kLastMounted, kLastMountedWidth).c_str());
  r.Printf(" Algorith Usage Bitmap: 0x%08X\n", Le32(sb + kAlgorithmBitmap));
  r.Printf(" Blocks to Preallocate: %i\n", sb[kPreallocBlocks]);
  r.Printf("   Dirs to Preallocate: %i\n", sb[kPreallocDirBlocks]);
  r.Printf("   Reserved gdt blocks: %i\n", Le16(sb + kReservedGdtBlocks));
}

void AddJournalGroup(Report& r, const uint8_t* sb) {
  AddUuidLine(r, "          Journal uuid", sb + kJournalUuid);
  r.Printf("  Journal inode number: %i\n", SignedLe32(sb + kJournalInode));
  r.Printf(" Dev # of journal file: %i\n", SignedLe32(sb + kJournalDev));
  r.Printf("           Last orphan: %i\n", SignedLe32(sb + kLastOrphan));
  r.Printf("             Hash seed: 0x%08X  0x%08X  0x%08X  0x%08X\n", Le32(sb + kHashSeed), Le32(sb + kHashSeed + 4),
           Le32(sb + kHashSeed + 8), Le32(sb + kHashSeed + 12));
  r.Printf("  Default Hash version: %i\n", sb[kDefHashVersion]);
  r.Printf("   Journal backup type: %02X\n", sb[kJournalBackupType]);
  if (Le32(sb + kFeatureIncompat) & kIncompat64Bit)
    r.Printf("       Group Desc Size: %i\n", Le16(sb + kDescSize));
  else
    r.Printf("              Padding1: %04X\n", Le16(sb + kDescSize));
  r.Printf("    Default Mount opts: %08X\n", Le32(sb + kDefaultMountOpts));
  r.Printf("    First meta blk grp: %i\n", SignedLe32(sb + kFirstMetaBg));
  // The creation time goes under the label of the write time.
  AddTimeLine(r, "            Write Time", Le32(sb + kMkfsTime));
  r.Add("       Backup of jrnl inode blocks: ");
  for (size_t i = 0; i < 12; ++i) r.Printf("%i, ", SignedLe32(sb + kJournalBlocks + 4 * i));
  r.Add("\n");
  r.Printf("     Backup of jrnl inode indirect: %i\n", SignedLe32(sb + kJournalBlocks + 4 * 12));
  r.Printf(" Backup of jrnl inode dbl indirect: %i\n", SignedLe32(sb + kJournalBlocks + 4 * 13));
  r.Printf("Backup of jrnl inode trpl indirect: %i\n", SignedLe32(sb + kJournalBlocks + 4 * 14));
  r.Printf("          Backup of jrnl inode[15]: 0x%08X  (not used ?)\n", Le32(sb + kJournalBlocks + 4 * 15));
  r.Printf("     Backup of jrnl inode (i_size): %i\n", SignedLe32(sb + kJournalBlocks + 4 * 16));
}

void Add64BitGroup(Report& r, const uint8_t* sb) {
  r.Printf("    Hi 32 blocks count: 0x%08X  (%" PRId64 ")\n", Le32(sb + kBlockCountHi),
           Joined(sb, kBlockCountHi, kBlockCount));
  r.Printf("   Hi 32 rblocks count: 0x%08X  (%" PRId64 ")\n", Le32(sb + kResvBlockCountHi),
           Joined(sb, kResvBlockCountHi, kResvBlockCount));
  r.Printf(" Hi 32 free blks count: 0x%08X  (%" PRId64 ")\n", Le32(sb + kFreeBlockCountHi),
           Joined(sb, kFreeBlockCountHi, kFreeBlockCount));
  r.Printf("    Min size of inodes: %i\n", Le16(sb + kMinExtraIsize));
  r.Printf("   New inode resv size: %i\n", Le16(sb + kWantExtraIsize));
  r.Printf("            Misc flags: 0x%08X\n", Le32(sb + kMiscFlags));
  r.Printf("           RAID stride: 0x%04X\n", Le16(sb + kRaidStride));
  r.Printf("     MMP checking wait: %i (in seconds)\n", Le16(sb + kMmpInterval));
  r.Printf("             MMP block: %" PRId64 "\n", SignedLe64(sb + kMmpBlock));
  r.Printf("     RAID stride width: %i\n", SignedLe32(sb + kRaidStripeWidth));
  r.Printf("    FLEX_BG group size: %i\n", sb[kLogGroupsPerFlex]);
  r.Printf("     Reserved char pad: %02X\n", sb[kReservedCharPad]);
  r.Printf("          Reserved pad: %04X\n", Le16(sb + kReservedPad));
}

}  // namespace

DumpEnd DumpExt2Super(DumpContext& ctx) {
  uint8_t sb[kSuperSize];
  ctx.Read(sb, sizeof sb);
  Report& r = ctx.report;
  r.Printf("EXT2 Super Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(kSuperSize);
  AddBaseGroup(r, sb);

  size_t listFrom = kFirstInode;
  if (Le32(sb + kRevLevel) == 1) {
    AddDynamicGroup(r, sb);
    listFrom = kJournalUuid;
    if (Le32(sb + kFeatureCompat) & kCompatHasJournal) {
      AddJournalGroup(r, sb);
      listFrom = kBlockCountHi;
      if (Le32(sb + kFeatureIncompat) & kIncompatExtendedFields) {
        Add64BitGroup(r, sb);
        listFrom = kTail;
      }
    }
  }

  r.Add("              reserved:");
  r.AppendPending();
  const bool nonZero = r.AppendDebugLines(ctx.ItemOffset() + listFrom, sb + listFrom, kSuperSize - listFrom);
  r.Add("\n");
  if (nonZero) r.Flag("\nOne or more of the values above was not zero.");
  r.AppendPending();
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows Ext2SuperRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::Ext2Super, .name = "ext2-super", .caption = "Super Block", .group = kExt2Group,
     .help = "Dump the specified offset of data for the EXT2 FS Super Block.", .decoder = DumpExt2Super},
  };
  return kRows;
}

}  // namespace trovik
