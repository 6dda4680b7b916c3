// Decoders of the LEAN file system's metadata: the superblock, the inode
// (with its inline extended attributes), the indirect extent block and the
// directory entries.
#pragma once

#include "engine/DumpContext.h"

namespace trovik {

// One 512-byte superblock at the start offset.
DumpEnd DumpLeanSuper(DumpContext& ctx);
// One inode block (the 200-byte inode and the 312 bytes that follow it).
DumpEnd DumpLeanInode(DumpContext& ctx);
// Count consecutive 512-byte indirect blocks.
DumpEnd DumpLeanIndirect(DumpContext& ctx);
// Count directory entries, each found from the previous one's record length.
DumpEnd DumpLeanDir(DumpContext& ctx);

}  // namespace trovik
