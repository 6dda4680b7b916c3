// Decoders of the LEAN file system's metadata: the superblock, the inode
// (with its inline extended attributes), the indirect extent block and the
// directory entries.
#pragma once

#include <string_view>
#include <vector>

#include "engine/DumpContext.h"

namespace trovik {

class ProbeContext;
struct ProbeTarget;

// The request dialog's group box of the family's types.
inline constexpr std::string_view kLeanGroup = " LEAN File System ";

// The family's rows of the catalog, in dialog order: the rows its decoder
// files end with, joined as its CMakeLists.txt lists them.
std::vector<DumpTypeInfo> LeanTypes();

// One 512-byte superblock at the start offset.
DumpEnd DumpLeanSuper(DumpContext& ctx);
// One inode block (the 200-byte inode and the 312 bytes that follow it).
DumpEnd DumpLeanInode(DumpContext& ctx);
// Count consecutive 512-byte indirect blocks.
DumpEnd DumpLeanIndirect(DumpContext& ctx);
// Count directory entries, each found from the previous one's record length.
DumpEnd DumpLeanDir(DumpContext& ctx);


// Recogniser of the structure map: finds this family's structures where a
// volume (or the image) starts.
bool ProbeLean(ProbeContext& ctx, const ProbeTarget& target);

}  // namespace trovik
