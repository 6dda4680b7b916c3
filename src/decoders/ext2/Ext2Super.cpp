// The ext2/ext3/ext4 superblock: 1024 bytes, little-endian. Which groups of
// lines appear follows from the superblock's own revision and features;
// whatever is not decoded is listed raw, and a non-zero byte there is
// flagged.
#include <cinttypes>

#include "decoders/ext2/Ext2Common.h"
#include "decoders/ext2/Ext2Decoders.h"
#include "decoders/ext2/Ext2Layout.h"
#include "engine/TextFormat.h"

namespace trovik {

namespace {

using namespace ext2;

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

void AddBaseGroup(Report& r, const uint8_t* sb) {
  r.Printf("           Inode Count: %i\n", Signed(Get(sb, super::kInodeCount)));
  r.Printf("           Block Count: %i\n", Signed(Get(sb, super::kBlockCount)));
  r.Printf("     Resv. Block Count: %i\n", Signed(Get(sb, super::kResvBlockCount)));
  r.Printf("      Free Block Count: %i\n", Signed(Get(sb, super::kFreeBlockCount)));
  r.Printf("      Free Inode Count: %i\n", Signed(Get(sb, super::kFreeInodeCount)));
  r.Printf("      First Data Block: %i\n", Signed(Get(sb, super::kFirstDataBlock)));

  // Shift counts wrap at 32 as in 32-bit arithmetic; only the block size is judged.
  const uint32_t logBlock = Get(sb, super::kLogBlockSize);
  r.Printf("            Block Size: %i  (%i)\n", Signed(logBlock), Signed(1024u << (logBlock & 31)));
  if (logBlock > 2) r.Flag(" <-- Should be 0, 1, or 2.");
  const int32_t logFrag = Get(sb, super::kLogFragSize);
  const uint32_t fragSize = logFrag >= 0 ? 1024u << (static_cast<uint32_t>(logFrag) & 31)
                                         : 1024u >> ((0u - static_cast<uint32_t>(logFrag)) & 31);
  r.Printf("         Fragment Size: %i  (%i)\n", logFrag, Signed(fragSize));

  const uint32_t blocksPerGroup = Get(sb, super::kBlocksPerGroup);
  const uint32_t groups = blocksPerGroup ? Get(sb, super::kBlockCount) / blocksPerGroup : 0;
  r.Printf("      Blocks per Group: %i   (groups: %i)\n", Signed(blocksPerGroup), Signed(groups));
  r.Printf("   Fragments per Group: %i\n", Signed(Get(sb, super::kFragsPerGroup)));
  r.Printf("      Inodes per Group: %i\n", Signed(Get(sb, super::kInodesPerGroup)));
  AddTimeLine(r, "            Mount Time", Get(sb, super::kMountTime));
  AddTimeLine(r, "            Write Time", Get(sb, super::kWriteTime));
  r.Printf("           Mount Count: %i\n", Get(sb, super::kMountCount));
  r.Printf("       Max Mount Count: %i\n", Get(sb, super::kMaxMountCount));

  const uint16_t magic = Get(sb, super::kMagic);
  r.Printf("             Magic Sig: 0x%04X\n", magic);
  if (magic != super::kMagicValue) r.Flag(" <-- Should be 0xEF53.");
  const uint16_t state = Get(sb, super::kState);
  r.Printf("                 State: 0x%04X (%s)\n", state, TableName(state, kStateNames, "Unknown"));
  if (state != 1) r.Flag(" <-- Should be 1 (EXT2_VALID_FS).");
  const uint16_t errors = Get(sb, super::kErrors);
  r.Printf("                Errors: %i  (%s)\n", errors, TableName(errors, kErrorsNames, "Unknown"));
  if (errors != 1) r.Flag(" <-- Should be 1 (EXT2_ERRORS_CONTINUE).");
  r.Printf("      Minor Rev. Level: %i\n", Get(sb, super::kMinorRev));
  AddTimeLine(r, "            Last Check", Get(sb, super::kLastCheck));

  const uint32_t interval = Get(sb, super::kCheckInterval);
  r.Printf("        Check Interval: 0x%08X (%i days  %i hours  %i minutes  %i seconds)\n", interval,
           Signed(interval / 86400), Signed((interval % 86400) / 3600), Signed((interval % 3600) / 60),
           Signed(interval % 60));

  const uint32_t creator = Get(sb, super::kCreatorOs);
  r.Printf("            OS Creator: 0x%08X  (%s)\n", creator, TableName(creator, kCreatorOsNames, "Unknown"));
  if (creator > 6) r.Flag(" <-- Should be 1 -> 6.");
  const uint32_t rev = Get(sb, super::kRevLevel);
  r.Printf("            Rev. Level: %i (%s)\n", Signed(rev), TableName(rev, kRevLevelNames, "Unknown"));
  if (rev > 1) r.Flag(" <-- Should be 0 or 1.");
  r.Printf("           Default UID: 0x%04X\n", Get(sb, super::kDefaultUid));
  r.Printf("           Default GID: 0x%04X\n", Get(sb, super::kDefaultGid));
}

void AddDynamicGroup(Report& r, const uint8_t* sb) {
  r.Printf("           First Inode: %i\n", Signed(Get(sb, super::kFirstInode)));
  r.Printf("            Inode Size: %i\n", Get(sb, super::kInodeSize));
  r.Printf("     Super Block Grp #: %i\n", Get(sb, super::kBlockGroupNr));
  const uint32_t compat = Get(sb, super::kFeatureCompat);
  r.Printf("    Compatible Ftr Set: 0x%08X  %s\n", compat, FlagNames(compat, kCompatNames, kCompatKnown).c_str());
  const uint32_t incompat = Get(sb, super::kFeatureIncompat);
  r.Printf("  Incompatible Ftr Set: 0x%08X  %s\n", incompat,
           FlagNames(incompat, kIncompatNames, kIncompatKnown).c_str());
  const uint32_t roCompat = Get(sb, super::kFeatureRoCompat);
  r.Printf(" RO Compatible Ftr Set: 0x%08X  %s\n", roCompat,
           FlagNames(roCompat, kRoCompatNames, kRoCompatKnown).c_str());
  AddUuidLine(r, "                  uuid", At(sb, super::kUuid));
  r.Printf("           Volume Name: %s\n",
           FieldText(At(sb, super::kVolumeName), super::kVolumeName.size).c_str());
  r.Printf("      Last Mounted Dir: %s\n",
           FieldText(At(sb, super::kLastMounted), super::kLastMounted.size).c_str());
  r.Printf(" Algorith Usage Bitmap: 0x%08X\n", Get(sb, super::kAlgorithmBitmap));
  r.Printf(" Blocks to Preallocate: %i\n", Get(sb, super::kPreallocBlocks));
  r.Printf("   Dirs to Preallocate: %i\n", Get(sb, super::kPreallocDirBlocks));
  r.Printf("   Reserved gdt blocks: %i\n", Get(sb, super::kReservedGdtBlocks));
}

void AddJournalGroup(Report& r, const uint8_t* sb) {
  AddUuidLine(r, "          Journal uuid", At(sb, super::kJournalUuid));
  r.Printf("  Journal inode number: %i\n", Signed(Get(sb, super::kJournalInode)));
  r.Printf(" Dev # of journal file: %i\n", Signed(Get(sb, super::kJournalDev)));
  r.Printf("           Last orphan: %i\n", Signed(Get(sb, super::kLastOrphan)));
  r.Printf("             Hash seed: 0x%08X  0x%08X  0x%08X  0x%08X\n", Get(sb, super::kHashSeed),
           Get(sb, Element(super::kHashSeed, 1)), Get(sb, Element(super::kHashSeed, 2)),
           Get(sb, Element(super::kHashSeed, 3)));
  r.Printf("  Default Hash version: %i\n", Get(sb, super::kDefHashVersion));
  r.Printf("   Journal backup type: %02X\n", Get(sb, super::kJournalBackupType));
  if (Get(sb, super::kFeatureIncompat) & super::kIncompat64Bit)
    r.Printf("       Group Desc Size: %i\n", Get(sb, super::kDescSize));
  else
    r.Printf("              Padding1: %04X\n", Get(sb, super::kDescSize));
  r.Printf("    Default Mount opts: %08X\n", Get(sb, super::kDefaultMountOpts));
  r.Printf("    First meta blk grp: %i\n", Signed(Get(sb, super::kFirstMetaBg)));
  // The creation time goes under the label of the write time.
  AddTimeLine(r, "            Write Time", Get(sb, super::kMkfsTime));
  r.Add("       Backup of jrnl inode blocks: ");
  for (size_t i = 0; i < super::kJournalDirectBlocks; ++i)
    r.Printf("%i, ", Signed(Get(sb, Element(super::kJournalBlocks, i))));
  r.Add("\n");
  r.Printf("     Backup of jrnl inode indirect: %i\n", Signed(Get(sb, super::kJournalIndirect)));
  r.Printf(" Backup of jrnl inode dbl indirect: %i\n", Signed(Get(sb, super::kJournalDoubleIndirect)));
  r.Printf("Backup of jrnl inode trpl indirect: %i\n", Signed(Get(sb, super::kJournalTripleIndirect)));
  r.Printf("          Backup of jrnl inode[15]: 0x%08X  (not used ?)\n", Get(sb, super::kJournalUnused));
  r.Printf("     Backup of jrnl inode (i_size): %i\n", Signed(Get(sb, super::kJournalSize)));
}

void Add64BitGroup(Report& r, const uint8_t* sb) {
  r.Printf("    Hi 32 blocks count: 0x%08X  (%" PRId64 ")\n", Get(sb, super::kBlockCountHi),
           Joined(sb, super::kBlockCountHi, super::kBlockCount));
  r.Printf("   Hi 32 rblocks count: 0x%08X  (%" PRId64 ")\n", Get(sb, super::kResvBlockCountHi),
           Joined(sb, super::kResvBlockCountHi, super::kResvBlockCount));
  r.Printf(" Hi 32 free blks count: 0x%08X  (%" PRId64 ")\n", Get(sb, super::kFreeBlockCountHi),
           Joined(sb, super::kFreeBlockCountHi, super::kFreeBlockCount));
  r.Printf("    Min size of inodes: %i\n", Get(sb, super::kMinExtraIsize));
  r.Printf("   New inode resv size: %i\n", Get(sb, super::kWantExtraIsize));
  r.Printf("            Misc flags: 0x%08X\n", Get(sb, super::kMiscFlags));
  r.Printf("           RAID stride: 0x%04X\n", Get(sb, super::kRaidStride));
  r.Printf("     MMP checking wait: %i (in seconds)\n", Get(sb, super::kMmpInterval));
  r.Printf("             MMP block: %" PRId64 "\n", static_cast<int64_t>(Get(sb, super::kMmpBlock)));
  r.Printf("     RAID stride width: %i\n", Signed(Get(sb, super::kRaidStripeWidth)));
  r.Printf("    FLEX_BG group size: %i\n", Get(sb, super::kLogGroupsPerFlex));
  r.Printf("     Reserved char pad: %02X\n", Get(sb, super::kReservedCharPad));
  r.Printf("          Reserved pad: %04X\n", Get(sb, super::kReservedPad));
}

}  // namespace

DumpEnd DumpExt2Super(DumpContext& ctx) {
  uint8_t sb[super::kSize];
  ctx.Read(sb, sizeof sb);
  Report& r = ctx.report;
  r.Printf("EXT2 Super Block (0x%08X)\n", ctx.start);
  ctx.CheckExtent(super::kSize);
  AddBaseGroup(r, sb);

  size_t listFrom = super::kFirstInode.offset;
  if (Get(sb, super::kRevLevel) == 1) {
    AddDynamicGroup(r, sb);
    listFrom = super::kJournalUuid.offset;
    if (Get(sb, super::kFeatureCompat) & super::kCompatHasJournal) {
      AddJournalGroup(r, sb);
      listFrom = super::kBlockCountHi.offset;
      if (Get(sb, super::kFeatureIncompat) & kIncompatExtendedFields) {
        Add64BitGroup(r, sb);
        listFrom = super::kReserved.offset;
      }
    }
  }

  r.Add("              reserved:");
  r.AppendPending();
  const bool nonZero = r.AppendDebugLines(ctx.ItemOffset() + listFrom, sb + listFrom, super::kSize - listFrom);
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
