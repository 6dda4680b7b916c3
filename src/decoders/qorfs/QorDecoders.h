// Decoders of the QOR file system's metadata: the volume superblock and the
// three kinds of 128-byte directory slot.
#pragma once

#include <string_view>
#include <vector>

#include "engine/DumpContext.h"

namespace trovik {

class ProbeContext;
struct ProbeTarget;

// The request dialog's group box of the family's types.
inline constexpr std::string_view kQorGroup = " QOR File System ";

// The family's rows of the catalog, in dialog order: the rows its decoder
// files end with, joined as its CMakeLists.txt lists them.
std::vector<DumpTypeInfo> QorTypes();

// One 512-byte superblock at the start offset.
DumpEnd DumpQorSuper(DumpContext& ctx);
// Count consecutive file or directory slots.
DumpEnd DumpQorSlot(DumpContext& ctx);
// Count consecutive sub-directory slots.
DumpEnd DumpQorSubdir(DumpContext& ctx);
// Count consecutive continue slots (name or FAT-entry continuations).
DumpEnd DumpQorCont(DumpContext& ctx);


// Recogniser of the structure map: finds this family's structures where a
// volume (or the image) starts.
bool ProbeQor(ProbeContext& ctx, const ProbeTarget& target);

}  // namespace trovik
