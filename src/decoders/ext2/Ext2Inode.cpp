// Inodes, read as 128-byte items: mode, owner, size, times, counts, flags,
// the 60-byte block area (fast symbolic link, extent tree node or block
// pointers) and the OS-dependent tail. Large inodes only get their headers.
#include <cinttypes>

#include "decoders/ext2/Ext2Common.h"
#include "decoders/ext2/Ext2Decoders.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

using ext2::AddTimeLine;
using ext2::Signed;

constexpr size_t kInodeSize = 128;

constexpr size_t kMode = 0x00;
constexpr size_t kUid = 0x02;
constexpr size_t kSize = 0x04;
constexpr size_t kAccessTime = 0x08;
constexpr size_t kChangeTime = 0x0C;
constexpr size_t kModifyTime = 0x10;
constexpr size_t kDeleteTime = 0x14;
constexpr size_t kGid = 0x18;
constexpr size_t kLinks = 0x1A;
constexpr size_t kBlocks = 0x1C;
constexpr size_t kFlags = 0x20;
constexpr size_t kOsd1 = 0x24;
constexpr size_t kBlockArea = 0x28;
constexpr size_t kBlockAreaSize = 60;
constexpr size_t kGeneration = 0x64;
constexpr size_t kFileAcl = 0x68;
constexpr size_t kDirAcl = 0x6C;
constexpr size_t kFragAddr = 0x70;
constexpr size_t kBlocksHi = 0x74;
constexpr size_t kFileAclHi = 0x76;
constexpr size_t kUidHi = 0x78;
constexpr size_t kGidHi = 0x7A;
constexpr size_t kReserved2 = 0x7C;

// Block pointers inside the block area.
constexpr size_t kDirectBlocks = 12;
constexpr size_t kIndirect = kBlockArea + 4 * 12;
constexpr size_t kDoubleIndirect = kBlockArea + 4 * 13;
constexpr size_t kTripleIndirect = kBlockArea + 4 * 14;

// Extent tree node inside the block area: a 12-byte header, then 12-byte
// entries; the area holds four.
constexpr size_t kExtMagic = 0x28;
constexpr size_t kExtEntries = 0x2A;
constexpr size_t kExtMax = 0x2C;
constexpr size_t kExtDepth = 0x2E;
constexpr size_t kExtGeneration = 0x30;
constexpr size_t kExtFirstEntry = 0x34;
constexpr size_t kExtEntrySize = 12;
constexpr size_t kExtEntryLogical = 0;
constexpr size_t kExtEntryLength = 4;
constexpr size_t kExtEntryStartHi = 6;
constexpr size_t kExtEntryStartLo = 8;
constexpr size_t kExtEntriesThatFit = 4;
constexpr uint16_t kExtentMagic = 0xF30A;

constexpr uint16_t kTypeMask = 0xF000;
constexpr uint16_t kTypeSymlink = 0xA000;
constexpr uint32_t kFastSymlinkMax = 60;
constexpr uint32_t kFlagHugeFile = 0x00040000;
constexpr uint32_t kFlagExtents = 0x00080000;

const char* const kFileTypeNames[16] = {"<Unknown>",  "<fifo>",    "<char dev>", "<Unknown>",
                                        "<dir>",      "<Unknown>", "<blk dev>",  "<Unknown>",
                                        "<reg file>", "<Unknown>", "<symbolic>", "<Unknown>",
                                        "<socket>",   "<Unknown>", "<Unknown>",  "<Unknown>"};

const ext2::FlagName kInodeFlagNames[] = {
    {0x00000001, " <Secure Deletion>"},
    {0x00000002, " <Undelete>"},
    {0x00000004, " <Compress File>"},
    {0x00000008, " <Synchronous Updates>"},
    {0x00000010, " <Read Only File>"},
    {0x00000020, " <Append only>"},
    {0x00000040, " <Do not dump file>"},
    {0x00000080, " <Do not update atime>"},
    {0x00000100, " <Compression: Dirty>"},
    {0x00000200, " <One or more Compressed Clusters>"},
    {0x00000400, " <Do not Compress>"},
    {0x00000800, " <Compression Error>"},
    {0x00001000, " <BTree format dir>"},
    {0x00002000, " <Magic Flag>"},
    {0x00004000, " <Journal File Data>"},
    {0x00008000, " <Do not merge File Tail>"},
    {0x00010000, " <Synchronous Directory Mods>"},
    {0x00020000, " <Top of Dir Hierarchies>"},
    {0x00040000, " <Huge File>"},
    {0x00080000, " <Has Extents>"},
    {0x80000000, " <Reserved flag>"},
};

const char* Bit(uint16_t mode, int bit, const char* name) { return (mode >> bit) & 1 ? name : ""; }

void AddModeLine(Report& r, uint16_t mode) {
  r.Printf("                  Mode: 0x%04X  %s  %s%s%s  user access: %s%s%s  group access: %s%s%s  other access: %s%s%s\n",
           mode, kFileTypeNames[mode >> 12], Bit(mode, 11, "<SUID>"), Bit(mode, 10, "<SGID>"),
           Bit(mode, 9, "<Sticky>"), Bit(mode, 8, "<read>"), Bit(mode, 7, "<write>"), Bit(mode, 6, "<execute>"),
           Bit(mode, 5, "<read>"), Bit(mode, 4, "<write>"), Bit(mode, 3, "<execute>"), Bit(mode, 2, "<read>"),
           Bit(mode, 1, "<write>"), Bit(mode, 0, "<execute>"));
}

void AddExtentNode(Report& r, const uint8_t* in) {
  const uint16_t magic = Le16(in + kExtMagic);
  const uint16_t entries = Le16(in + kExtEntries);
  r.Add("         Extent Header: \n");
  r.Printf("                 Magic:  %04X\n", magic);
  if (magic != kExtentMagic) r.Flag(" <-- Should be F30A.");
  r.Printf("               Entries:  %i\n", entries);
  // The node in the inode has room for four entries; a larger count is
  // damage, and only the four that fit are listed.
  if (magic == kExtentMagic && entries > kExtEntriesThatFit) r.Flag(" <-- Should be 4 or less.");
  r.Printf("           Max Entries:  %i\n", Le16(in + kExtMax));
  r.Printf("                 Depth:  %i\n", Le16(in + kExtDepth));
  r.Printf("            Generation:  0x%08X\n", Le32(in + kExtGeneration));
  if (magic != kExtentMagic) {
    r.Add("       Skipping entries.\n");
    return;
  }
  const size_t shown = entries < kExtEntriesThatFit ? entries : kExtEntriesThatFit;
  for (size_t n = 0; n < shown; ++n) {
    const uint8_t* e = in + kExtFirstEntry + kExtEntrySize * n;
    const uint64_t physical =
        (static_cast<uint64_t>(Le16(e + kExtEntryStartHi)) << 32) | Le32(e + kExtEntryStartLo);
    r.Printf(" %02i)       Logical Block:  %i\n", static_cast<int>(n), SignedLe32(e + kExtEntryLogical));
    r.Printf("                  Length:  %i\n", Le16(e + kExtEntryLength));
    r.Printf("          Physical Block:  %" PRId64 "\n", static_cast<int64_t>(physical));
  }
  r.Add("       Remaining Bytes:");
  for (size_t pos = kExtFirstEntry + kExtEntrySize * shown; pos < kBlockArea + kBlockAreaSize; ++pos)
    r.Printf(" %02X", in[pos]);
  r.Add("\n");
}

void AddBlockPointers(Report& r, const uint8_t* in, bool symlink) {
  r.Add("                 block: ");
  if (symlink) r.Add("Symbolic Link Pointer-> ");
  for (size_t i = 0; i < kDirectBlocks; ++i)
    r.Printf("%i%s", SignedLe32(in + kBlockArea + 4 * i), i + 1 < kDirectBlocks ? ", " : "\n");
  r.Printf("        Indirect Block: %i\n", SignedLe32(in + kIndirect));
  r.Printf(" Double Indirect Block: %i\n", SignedLe32(in + kDoubleIndirect));
  r.Printf(" Triple Indirect Block: %i\n", SignedLe32(in + kTripleIndirect));
}

void AddInodeBody(Report& r, const uint8_t* in) {
  const uint16_t mode = Le16(in + kMode);
  const uint32_t size = Le32(in + kSize);
  const uint32_t flags = Le32(in + kFlags);
  AddModeLine(r, mode);
  r.Printf("                   uid: %04X\n", Le16(in + kUid));
  r.Printf("                  Size: %i in bytes\n", Signed(size));
  AddTimeLine(r, "         Last Accessed", Le32(in + kAccessTime));
  AddTimeLine(r, "               Created", Le32(in + kChangeTime));
  AddTimeLine(r, "              Modified", Le32(in + kModifyTime));
  AddTimeLine(r, "               Deleted", Le32(in + kDeleteTime), "  (not deleted)");
  r.Printf("                   gid: %04X\n", Le16(in + kGid));
  r.Printf("           links count: %i\n", Le16(in + kLinks));
  if (flags & kFlagHugeFile) {
    const uint64_t blocks = (static_cast<uint64_t>(Le16(in + kBlocksHi)) << 32) | Le32(in + kBlocks);
    r.Printf("                blocks: %i  (%" PRId64 ")\n", SignedLe32(in + kBlocks), static_cast<int64_t>(blocks));
  } else {
    r.Printf("      512 byte sectors: %i\n", SignedLe32(in + kBlocks));
  }
  r.Printf("                 flags: 0x%08X %s\n", flags,
           ext2::FlagNames(flags, kInodeFlagNames, 0xFFFFFFFF).c_str());
  r.Printf("        OS Dependant 1: 0x%08X\n", Le32(in + kOsd1));

  const bool symlink = (mode & kTypeMask) == kTypeSymlink;
  if (symlink && size <= kFastSymlinkMax)
    r.Printf("         Symbolic Link: %s\n", ext2::FieldText(in + kBlockArea, kBlockAreaSize).c_str());
  else if (flags & kFlagExtents)
    AddExtentNode(r, in);
  else
    AddBlockPointers(r, in, symlink);

  r.Printf("            generation: 0x%08X\n", Le32(in + kGeneration));
  r.Printf("              file ac1: %i\n", SignedLe32(in + kFileAcl));
  r.Printf("               dir ac1: %i\n", SignedLe32(in + kDirAcl));
  r.Printf("                 faddr: 0x%08X\n", Le32(in + kFragAddr));
  r.Printf("             blocks hi: 0x%04X\n", Le16(in + kBlocksHi));
  r.Printf("           file acl hi: 0x%04X\n", Le16(in + kFileAclHi));
  r.Printf("                uid hi: 0x%04X\n", Le16(in + kUidHi));
  r.Printf("                gid hi: 0x%04X\n", Le16(in + kGidHi));
  r.Printf("             reserved2: 0x%04X\n", Le32(in + kReserved2));
}

}  // namespace

DumpEnd DumpExt2Inode(DumpContext& ctx) {
  Report& r = ctx.report;
  for (int i = 0; i < ctx.count && ctx.NextItem(); ++i) {
    uint8_t in[kInodeSize];
    ctx.Read(in, sizeof in);
    if (ctx.count > 1)
      r.Printf("%03i) EXT2 Inode (0x%08X) (assuming 128 byte inode size)\n", i, ctx.start);
    else
      r.Printf("EXT2 Inode (0x%08X) (assuming 128 byte inode size)\n", ctx.start);
    ctx.CheckExtent(kInodeSize);
    AddInodeBody(r, in);
    r.Add("\n");
    r.AppendPending();
    ctx.Advance(kInodeSize);
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
}

DumpEnd DumpExt2InodeLong(DumpContext& ctx) {
  Report& r = ctx.report;
  for (int i = 0; i < ctx.count && ctx.NextItem(); ++i) {
    uint8_t in[kInodeSize];
    ctx.Read(in, sizeof in);
    if (ctx.count > 1)
      r.Printf("%03i) EXT4 Inode (0x%08X) (Long Inode)\n", i, ctx.start);
    else
      r.Printf("EXT2 Inode (0x%08X) (Long Inode)\n", ctx.start);
    ctx.CheckExtent(kInodeSize);
    r.Add("\nNot yet implemented.\n\n");
    r.Add("\n");
    r.AppendPending();
    ctx.Advance(kInodeSize);
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows Ext2InodeRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::Ext2Inode, .name = "ext2-inode", .caption = "Inode", .group = kExt2Group, .countEnabled = true,
     .defaultCount = 1, .help = "Dump the specified offset of data for the EXT2 FS Inode Table.",
     .decoder = DumpExt2Inode},
    {.id = DumpType::Ext2InodeLong, .name = "ext2-inode-long", .caption = "Inode (Long Inode)", .group = kExt2Group,
     .countEnabled = true, .defaultCount = 1,
     .help = "Dump the specified offset of data for the EXT2 FS Inode Table (ext4).", .decoder = DumpExt2InodeLong},
  };
  return kRows;
}

}  // namespace trovik
