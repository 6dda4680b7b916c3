// Inodes, read as 128-byte items: mode, owner, size, times, counts, flags,
// the 60-byte block area (fast symbolic link, extent tree node or block
// pointers) and the OS-dependent tail. Large inodes only get their headers.
#include <cinttypes>

#include "decoders/ext2/Ext2Common.h"
#include "decoders/ext2/Ext2Decoders.h"
#include "decoders/ext2/Ext2Layout.h"

namespace trovik {

namespace {

using namespace ext2;

// The node in the block area has room for four entries.
constexpr size_t kExtentsThatFit = (inode::kBlockArea.size - extent_header::kSize) / extent::kSize;

const char* const kFileTypeNames[16] = {"<Unknown>",  "<fifo>",    "<char dev>", "<Unknown>",
                                        "<dir>",      "<Unknown>", "<blk dev>",  "<Unknown>",
                                        "<reg file>", "<Unknown>", "<symbolic>", "<Unknown>",
                                        "<socket>",   "<Unknown>", "<Unknown>",  "<Unknown>"};

const FlagName kInodeFlagNames[] = {
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

void AddExtentNode(Report& r, const uint8_t* node) {
  const uint16_t magic = Get(node, extent_header::kMagic);
  const uint16_t entries = Get(node, extent_header::kEntries);
  r.Add("         Extent Header: \n");
  r.Printf("                 Magic:  %04X\n", magic);
  if (magic != extent_header::kMagicValue) r.Flag(" <-- Should be F30A.");
  r.Printf("               Entries:  %i\n", entries);
  // A larger count is damage, and only the entries that fit are listed.
  if (magic == extent_header::kMagicValue && entries > kExtentsThatFit) r.Flag(" <-- Should be 4 or less.");
  r.Printf("           Max Entries:  %i\n", Get(node, extent_header::kMax));
  r.Printf("                 Depth:  %i\n", Get(node, extent_header::kDepth));
  r.Printf("            Generation:  0x%08X\n", Get(node, extent_header::kGeneration));
  if (magic != extent_header::kMagicValue) {
    r.Add("       Skipping entries.\n");
    return;
  }
  const size_t shown = entries < kExtentsThatFit ? entries : kExtentsThatFit;
  for (size_t n = 0; n < shown; ++n) {
    const uint8_t* e = node + extent_header::kSize + extent::kSize * n;
    const uint64_t physical = (static_cast<uint64_t>(Get(e, extent::kStartHi)) << 32) | Get(e, extent::kStartLo);
    r.Printf(" %02i)       Logical Block:  %i\n", static_cast<int>(n), Signed(Get(e, extent::kLogicalBlock)));
    r.Printf("                  Length:  %i\n", Get(e, extent::kLength));
    r.Printf("          Physical Block:  %" PRId64 "\n", static_cast<int64_t>(physical));
  }
  r.Add("       Remaining Bytes:");
  for (size_t pos = extent_header::kSize + extent::kSize * shown; pos < inode::kBlockArea.size; ++pos)
    r.Printf(" %02X", node[pos]);
  r.Add("\n");
}

void AddBlockPointers(Report& r, const uint8_t* in, bool symlink) {
  r.Add("                 block: ");
  if (symlink) r.Add("Symbolic Link Pointer-> ");
  for (size_t i = 0; i < inode::kDirectBlocks; ++i)
    r.Printf("%i%s", Signed(Get(in, Element(inode::kDirectBlock, i))), i + 1 < inode::kDirectBlocks ? ", " : "\n");
  r.Printf("        Indirect Block: %i\n", Signed(Get(in, inode::kIndirect)));
  r.Printf(" Double Indirect Block: %i\n", Signed(Get(in, inode::kDoubleIndirect)));
  r.Printf(" Triple Indirect Block: %i\n", Signed(Get(in, inode::kTripleIndirect)));
}

void AddInodeBody(Report& r, const uint8_t* in) {
  const uint16_t mode = Get(in, inode::kMode);
  const uint32_t size = Get(in, inode::kFileSize);
  const uint32_t flags = Get(in, inode::kFlags);
  AddModeLine(r, mode);
  r.Printf("                   uid: %04X\n", Get(in, inode::kUid));
  r.Printf("                  Size: %i in bytes\n", Signed(size));
  AddTimeLine(r, "         Last Accessed", Get(in, inode::kAccessTime));
  AddTimeLine(r, "               Created", Get(in, inode::kChangeTime));
  AddTimeLine(r, "              Modified", Get(in, inode::kModifyTime));
  AddTimeLine(r, "               Deleted", Get(in, inode::kDeleteTime), "  (not deleted)");
  r.Printf("                   gid: %04X\n", Get(in, inode::kGid));
  r.Printf("           links count: %i\n", Get(in, inode::kLinks));
  const uint32_t blocks = Get(in, inode::kBlocks);
  if (flags & inode::kFlagHugeFile) {
    const uint64_t huge = (static_cast<uint64_t>(Get(in, inode::kBlocksHi)) << 32) | blocks;
    r.Printf("                blocks: %i  (%" PRId64 ")\n", Signed(blocks), static_cast<int64_t>(huge));
  } else {
    r.Printf("      512 byte sectors: %i\n", Signed(blocks));
  }
  r.Printf("                 flags: 0x%08X %s\n", flags,
           FlagNames(flags, kInodeFlagNames, 0xFFFFFFFF).c_str());
  r.Printf("        OS Dependant 1: 0x%08X\n", Get(in, inode::kOsd1));

  // A link of up to 60 bytes keeps its text in the block area itself.
  const bool symlink = (mode & inode::kTypeMask) == inode::kTypeSymlink;
  if (symlink && size <= inode::kBlockArea.size)
    r.Printf("         Symbolic Link: %s\n",
             FieldText(At(in, inode::kBlockArea), inode::kBlockArea.size).c_str());
  else if (flags & inode::kFlagExtents)
    AddExtentNode(r, At(in, inode::kBlockArea));
  else
    AddBlockPointers(r, in, symlink);

  r.Printf("            generation: 0x%08X\n", Get(in, inode::kGeneration));
  r.Printf("              file ac1: %i\n", Signed(Get(in, inode::kFileAcl)));
  r.Printf("               dir ac1: %i\n", Signed(Get(in, inode::kDirAcl)));
  r.Printf("                 faddr: 0x%08X\n", Get(in, inode::kFragAddr));
  r.Printf("             blocks hi: 0x%04X\n", Get(in, inode::kBlocksHi));
  r.Printf("           file acl hi: 0x%04X\n", Get(in, inode::kFileAclHi));
  r.Printf("                uid hi: 0x%04X\n", Get(in, inode::kUidHi));
  r.Printf("                gid hi: 0x%04X\n", Get(in, inode::kGidHi));
  r.Printf("             reserved2: 0x%04X\n", Get(in, inode::kReserved2));
}

}  // namespace

DumpEnd DumpExt2Inode(DumpContext& ctx) {
  const auto title = [&](Report& r, const WalkItem& item) {
    AddItemTitle(r, ctx.count, item.index, item.shown, "EXT2 Inode", " (assuming 128 byte inode size)");
  };
  return WalkItems(ctx, inode::kSize, title, [](Report& r, const WalkItem& item) {
    AddInodeBody(r, item.bytes);
    r.Add("\n");
  });
}

DumpEnd DumpExt2InodeLong(DumpContext& ctx) {
  const auto title = [&](Report& r, const WalkItem& item) {
    AddItemTitle(r, ctx.count, item.index, item.shown, ctx.count > 1 ? "EXT4 Inode" : "EXT2 Inode", " (Long Inode)");
  };
  return WalkItems(ctx, inode::kSize, title, [](Report& r, const WalkItem&) { r.Add("\nNot yet implemented.\n\n\n"); });
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
