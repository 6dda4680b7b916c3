// Decoders of the ext2/ext3/ext4 family: superblock, block group
// descriptors, inodes, directory entries and the journal superblock.
#pragma once

#include <string_view>
#include <vector>

#include "engine/DumpContext.h"

namespace trovik {

class ProbeContext;
struct ProbeTarget;

// The request dialog's group box of the family's types.
inline constexpr std::string_view kExt2Group = " EXT2/3/4 File System ";

// The family's rows of the catalog, in dialog order: the rows its decoder
// files end with, joined as its CMakeLists.txt lists them.
std::vector<DumpTypeInfo> Ext2Types();

// One 1024-byte superblock (DumpType::Ext2Super).
DumpEnd DumpExt2Super(DumpContext& ctx);
// Count 32-byte group descriptors (DumpType::Ext2Group).
DumpEnd DumpExt2Group(DumpContext& ctx);
// Count 64-byte group descriptors of 64-bit file systems (DumpType::Ext4Group).
DumpEnd DumpExt4Group(DumpContext& ctx);
// Count 128-byte inodes (DumpType::Ext2Inode).
DumpEnd DumpExt2Inode(DumpContext& ctx);
// Count 128-byte steps through a table of large inodes; headers only
// (DumpType::Ext2InodeLong).
DumpEnd DumpExt2InodeLong(DumpContext& ctx);
// A walk of Count linked directory entries (DumpType::Ext2Dir).
DumpEnd DumpExt2Dir(DumpContext& ctx);
// One big-endian journal superblock (DumpType::Ext3Journal).
DumpEnd DumpExt3Journal(DumpContext& ctx);


// Recogniser of the structure map: finds this family's structures where a
// volume (or the image) starts.
bool ProbeExt2(ProbeContext& ctx, const ProbeTarget& target);

}  // namespace trovik
