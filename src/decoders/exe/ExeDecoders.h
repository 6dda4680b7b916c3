// Executable headers: the DOS MZ header with its stub, and the PE file,
// optional and section headers. Every field is printed as stored; nothing in
// these headers is checked.
#pragma once

#include <string_view>
#include <vector>

#include "engine/DumpContext.h"

namespace trovik {

class ProbeContext;
struct ProbeTarget;

// The request dialog's group box of the family's types.
inline constexpr std::string_view kExeGroup = " PE EXE ";

// The family's rows of the catalog, in dialog order: the rows its decoder
// files end with, joined as its CMakeLists.txt lists them.
std::vector<DumpTypeInfo> ExeTypes();

// DOS EXE header (64 bytes) and the 112 stub bytes after it.
DumpEnd DumpMz(DumpContext& ctx);
// PE signature and COFF file header (24 bytes).
DumpEnd DumpPeHeader(DumpContext& ctx);
// Optional header: PE32 (224 bytes) or PE32+ (240 bytes), by its magic.
DumpEnd DumpPeOptional(DumpContext& ctx);
// Section table entries (40 bytes each), Count of them.
DumpEnd DumpPeSection(DumpContext& ctx);


// Recogniser of the structure map: finds this family's structures where a
// volume (or the image) starts.
bool ProbeExe(ProbeContext& ctx, const ProbeTarget& target);

}  // namespace trovik
