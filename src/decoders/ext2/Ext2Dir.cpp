// Linked directory entries: each entry's record length leads to the next,
// as the file system walks a directory block; a record length of 0 ends
// the walk.
#include "decoders/ext2/Ext2Common.h"
#include "decoders/ext2/Ext2Decoders.h"
#include "decoders/ext2/Ext2Layout.h"

namespace trovik {

namespace {

using namespace ext2;

const char* const kDirFileTypeNames[] = {"Unknown", "regular file", "directory",     "chrdev", "blkdev",
                                         "fifo",    "soc",          "symbolic link", "max"};

}  // namespace

DumpEnd DumpExt2Dir(DumpContext& ctx) {
  Report& r = ctx.report;
  for (int i = 0; i < ctx.count && ctx.NextItem(); ++i) {
    const uint64_t position = ctx.Position();
    uint8_t de[dirent::kMaxSize];
    ctx.Read(de, sizeof de);
    const uint32_t inode = Get(de, dirent::kInode);
    const uint16_t recLen = Get(de, dirent::kRecLen);
    const uint8_t nameLen = Get(de, dirent::kNameLen);
    const uint8_t fileType = Get(de, dirent::kFileType);
    // The name ends with the record: bytes a longer name length claims
    // belong to the entries that follow.
    const size_t room = recLen > dirent::kHeadSize ? recLen - dirent::kHeadSize : 0;
    const size_t shownName = nameLen < room ? nameLen : room;

    AddItemTitle(r, ctx.count, i, ctx.start, "EXT2 Directory Entry");
    ctx.CheckExtent(dirent::kHeadSize + shownName);
    if (inode > 0)
      r.Printf("                 Inode: %i (%i zero based)\n", Signed(inode), Signed(inode - 1));
    else
      r.Printf("                 Inode: %i\n", Signed(inode));
    r.Printf("         Record Length: %i\n", recLen);
    r.Printf("           Name Length: %i\n", nameLen);
    if (shownName < nameLen) r.Flag(" <-- Should be <= Record Length - 8.");
    r.Printf("             File Type: 0x%02X  (%s)\n", fileType,
             TableName(fileType, kDirFileTypeNames, "Unknown"));
    r.Add("                  Name: ");
    // Byte for byte; a zero byte adds nothing and does not end the name.
    for (size_t k = 0; k < shownName; ++k) r.AddChar(At(de, dirent::kName)[k]);
    r.Add("\n\n");
    r.AppendPending();

    ctx.Seek(position + recLen);
    ctx.Advance(recLen);
    if (recLen == 0) return DumpEnd::Normal;
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
}

}  // namespace trovik

// The dump types of this file: its rows of the catalog.
namespace trovik {

DumpTypeRows Ext2DirRows() {
  static constexpr DumpTypeInfo kRows[] = {
    {.id = DumpType::Ext2Dir, .name = "ext2-dir", .caption = "Directory Entry", .group = kExt2Group,
     .countEnabled = true, .defaultCount = 1,
     .help = "Dump the specified offset of data for the EXT2 FS Directory Entry.", .decoder = DumpExt2Dir},
  };
  return kRows;
}

}  // namespace trovik
