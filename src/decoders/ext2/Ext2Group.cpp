// Block group descriptors: 32 bytes (ext2/ext3, ext4 without 64BIT) or
// 64 bytes (ext4 with 64BIT, which adds the high halves). Nothing in them
// is judged.
#include <cinttypes>

#include "decoders/ext2/Ext2Common.h"
#include "decoders/ext2/Ext2Decoders.h"
#include "engine/ByteOrder.h"

namespace trovik {

namespace {

using ext2::Signed;

constexpr size_t kGroupSize = 32;
constexpr size_t kGroup64Size = 64;

constexpr size_t kBlockBitmap = 0x00;
constexpr size_t kInodeBitmap = 0x04;
constexpr size_t kInodeTable = 0x08;
constexpr size_t kFreeBlocks = 0x0C;
constexpr size_t kFreeInodes = 0x0E;
constexpr size_t kUsedDirs = 0x10;
constexpr size_t kFlags = 0x12;
constexpr size_t kReserved = 0x14;  // two words
constexpr size_t kUnusedInodes = 0x1C;
constexpr size_t kChecksum = 0x1E;
constexpr size_t kBlockBitmapHi = 0x20;
constexpr size_t kInodeBitmapHi = 0x24;
constexpr size_t kInodeTableHi = 0x28;
constexpr size_t kFreeBlocksHi = 0x2C;
constexpr size_t kFreeInodesHi = 0x2E;
constexpr size_t kUsedDirsHi = 0x30;
constexpr size_t kPad = 0x32;
constexpr size_t kReservedHi = 0x34;  // two words; the word at 0x3C is not shown

int64_t Joined32(const uint8_t* gd, size_t hi, size_t lo) {
  return static_cast<int64_t>((static_cast<uint64_t>(Le32(gd + hi)) << 32) + Le32(gd + lo));
}
int64_t Joined16(const uint8_t* gd, size_t hi, size_t lo) {
  return static_cast<int64_t>(static_cast<uint64_t>(Le16(gd + hi)) * 65536 + Le16(gd + lo));
}

void AddSharedLines(Report& r, const uint8_t* gd) {
  r.Printf("          Block Bitmap: %i\n", SignedLe32(gd + kBlockBitmap));
  r.Printf("          Inode Bitmap: %i\n", SignedLe32(gd + kInodeBitmap));
  r.Printf("           Inode Table: %i\n", SignedLe32(gd + kInodeTable));
  r.Printf("      Free Block Count: %i\n", Le16(gd + kFreeBlocks));
  r.Printf("      Free Inode Count: %i\n", Le16(gd + kFreeInodes));
  r.Printf("        Used Dir Count: %i\n", Le16(gd + kUsedDirs));
  const uint16_t flags = Le16(gd + kFlags);
  r.Printf("                 Flags: 0x%04X %s%s%s\n", flags, (flags & 0x0001) ? " <EXT2_BG_INODE_UNINIT>" : "",
           (flags & 0x0002) ? " <EXT2_BG_BLOCK_UNINIT>" : "", (flags & 0x0004) ? " <EXT2_BG_INODE_ZEROED>" : "");
  r.Printf("              reserved: %08X %08X\n", Le32(gd + kReserved), Le32(gd + kReserved + 4));
  r.Printf("    Unused Inode Count: %i\n", Le16(gd + kUnusedInodes));
  r.Printf("                   CRC: 0x%04X\n", Le16(gd + kChecksum));
}

void AddHighHalves(Report& r, const uint8_t* gd) {
  r.Printf("     Block Bitmap (hi): 0x%08X %" PRId64 "\n", Le32(gd + kBlockBitmapHi),
           Joined32(gd, kBlockBitmapHi, kBlockBitmap));
  r.Printf("     Inode Bitmap (hi): 0x%08X %" PRId64 "\n", Le32(gd + kInodeBitmapHi),
           Joined32(gd, kInodeBitmapHi, kInodeBitmap));
  r.Printf("      Inode Table (hi): 0x%08X %" PRId64 "\n", Le32(gd + kInodeTableHi),
           Joined32(gd, kInodeTableHi, kInodeTable));
  r.Printf(" Free Block Count (hi): 0x%08X %" PRId64 "\n", Le16(gd + kFreeBlocksHi),
           Joined16(gd, kFreeBlocksHi, kFreeBlocks));
  r.Printf(" Free Inode Count (hi): 0x%08X %" PRId64 "\n", Le16(gd + kFreeInodesHi),
           Joined16(gd, kFreeInodesHi, kFreeInodes));
  r.Printf("   Used Dir Count (hi): 0x%08X %" PRId64 "\n", Le16(gd + kUsedDirsHi),
           Joined16(gd, kUsedDirsHi, kUsedDirs));
  r.Printf("                   Pad: 0x%04X\n", Le16(gd + kPad));
  r.Printf("              reserved: %08X %08X\n", Le32(gd + kReservedHi), Le32(gd + kReservedHi + 4));
}

DumpEnd DumpGroups(DumpContext& ctx, bool wide) {
  const size_t size = wide ? kGroup64Size : kGroupSize;
  const char* title = wide ? "EXT4 Group Descriptor" : "EXT2 Group Descriptor";
  Report& r = ctx.report;
  for (int i = 0; i < ctx.count && ctx.NextItem(); ++i) {
    uint8_t gd[kGroup64Size];
    ctx.Read(gd, size);
    if (ctx.count > 1)
      r.Printf("%03i) %s (0x%08X)\n", i, title, ctx.start);
    else
      r.Printf("%s (0x%08X)\n", title, ctx.start);
    ctx.CheckExtent(size);
    AddSharedLines(r, gd);
    if (wide) AddHighHalves(r, gd);
    r.Add("\n");
    r.AppendPending();
    ctx.Advance(size);
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
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
