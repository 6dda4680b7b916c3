// FAT file systems: boot sector parameter blocks, directory entries (short
// and long-name) and the FAT32 FS information sector.
#pragma once

#include <string_view>
#include <vector>

#include "engine/DumpContext.h"

namespace trovik {

class ProbeContext;
struct ProbeTarget;

// The request dialog's group box of the family's types.
inline constexpr std::string_view kFatGroup = "FAT File System ";

// The family's rows of the catalog, in dialog order: the rows its decoder
// files end with, joined as its CMakeLists.txt lists them.
std::vector<DumpTypeInfo> FatTypes();

// "BIOS Param Block (12/16)": one 62-byte block.
DumpEnd DumpFatBpb(DumpContext& ctx);
// "BIOS Param Block (32)": one 90-byte block.
DumpEnd DumpFat32Bpb(DumpContext& ctx);
// "Root Entry": Count 32-byte short (8.3) directory entries.
DumpEnd DumpFatDir(DumpContext& ctx);
// "Root Entry (LFN)": Count 32-byte long-file-name entries.
DumpEnd DumpFatLfn(DumpContext& ctx);
// "FAT32 Info Block": one 512-byte FS information sector.
DumpEnd DumpFat32Info(DumpContext& ctx);


// Recogniser of the structure map: finds this family's structures where a
// volume (or the image) starts.
bool ProbeFat(ProbeContext& ctx, const ProbeTarget& target);

}  // namespace trovik
