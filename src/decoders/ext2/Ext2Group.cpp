// Block group descriptors: 32 bytes (ext2/ext3, ext4 without 64BIT) or
// 64 bytes (ext4 with 64BIT, which adds the high halves). Nothing in them
// is judged.
#include <cinttypes>

#include "decoders/ext2/Ext2Common.h"
#include "decoders/ext2/Ext2Decoders.h"
#include "decoders/ext2/Ext2Layout.h"

namespace trovik {

namespace {

using namespace ext2;

void AddSharedLines(Report& r, const uint8_t* gd) {
  r.Printf("          Block Bitmap: %i\n", Signed(Get(gd, group::kBlockBitmap)));
  r.Printf("          Inode Bitmap: %i\n", Signed(Get(gd, group::kInodeBitmap)));
  r.Printf("           Inode Table: %i\n", Signed(Get(gd, group::kInodeTable)));
  r.Printf("      Free Block Count: %i\n", Get(gd, group::kFreeBlocks));
  r.Printf("      Free Inode Count: %i\n", Get(gd, group::kFreeInodes));
  r.Printf("        Used Dir Count: %i\n", Get(gd, group::kUsedDirs));
  const uint16_t flags = Get(gd, group::kFlags);
  r.Printf("                 Flags: 0x%04X %s%s%s\n", flags, (flags & 0x0001) ? " <EXT2_BG_INODE_UNINIT>" : "",
           (flags & 0x0002) ? " <EXT2_BG_BLOCK_UNINIT>" : "", (flags & 0x0004) ? " <EXT2_BG_INODE_ZEROED>" : "");
  r.Printf("              reserved: %08X %08X\n", Get(gd, group::kReserved), Get(gd, Element(group::kReserved, 1)));
  r.Printf("    Unused Inode Count: %i\n", Get(gd, group::kUnusedInodes));
  r.Printf("                   CRC: 0x%04X\n", Get(gd, group::kChecksum));
}

void AddHighHalves(Report& r, const uint8_t* gd) {
  r.Printf("     Block Bitmap (hi): 0x%08X %" PRId64 "\n", Get(gd, group::kBlockBitmapHi),
           Joined(gd, group::kBlockBitmapHi, group::kBlockBitmap));
  r.Printf("     Inode Bitmap (hi): 0x%08X %" PRId64 "\n", Get(gd, group::kInodeBitmapHi),
           Joined(gd, group::kInodeBitmapHi, group::kInodeBitmap));
  r.Printf("      Inode Table (hi): 0x%08X %" PRId64 "\n", Get(gd, group::kInodeTableHi),
           Joined(gd, group::kInodeTableHi, group::kInodeTable));
  r.Printf(" Free Block Count (hi): 0x%08X %" PRId64 "\n", Get(gd, group::kFreeBlocksHi),
           Joined(gd, group::kFreeBlocksHi, group::kFreeBlocks));
  r.Printf(" Free Inode Count (hi): 0x%08X %" PRId64 "\n", Get(gd, group::kFreeInodesHi),
           Joined(gd, group::kFreeInodesHi, group::kFreeInodes));
  r.Printf("   Used Dir Count (hi): 0x%08X %" PRId64 "\n", Get(gd, group::kUsedDirsHi),
           Joined(gd, group::kUsedDirsHi, group::kUsedDirs));
  r.Printf("                   Pad: 0x%04X\n", Get(gd, group::kPad));
  r.Printf("              reserved: %08X %08X\n", Get(gd, group::kReservedHi),
           Get(gd, Element(group::kReservedHi, 1)));
}

DumpEnd DumpGroups(DumpContext& ctx, bool wide) {
  const char* name = wide ? "EXT4 Group Descriptor" : "EXT2 Group Descriptor";
  const auto title = [&](Report& r, const WalkItem& item) { AddItemTitle(r, ctx.count, item.index, item.shown, name); };
  return WalkItems(ctx, wide ? group::kWideSize : group::kSize, title, [&](Report& r, const WalkItem& item) {
    AddSharedLines(r, item.bytes);
    if (wide) AddHighHalves(r, item.bytes);
    r.Add("\n");
  });
}

}  // namespace

DumpEnd DumpExt2Group(DumpContext& ctx) { return DumpGroups(ctx, false); }
DumpEnd DumpExt4Group(DumpContext& ctx) { return DumpGroups(ctx, true); }

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows Ext2GroupRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::Ext2Group, .name = "ext2-group", .caption = "Group Descriptor", .group = kExt2Group,
     .countEnabled = true, .defaultCount = 1,
     .help = "Dump the specified offset of data for the EXT2 FS Group Descriptor.", .decoder = DumpExt2Group},
    {.id = DumpType::Ext4Group, .name = "ext4-group", .caption = "Group Descriptor (ext4)", .group = kExt2Group,
     .countEnabled = true, .defaultCount = 1,
     .help = "Dump the specified offset of data for the EXT2 FS Group Descriptor (ext4).", .decoder = DumpExt4Group},
  };
  return kRows;
}

}  // namespace trovik
