// Decoders of the QOR file system's metadata: the volume superblock and the
// three kinds of 128-byte directory slot.
#pragma once

#include "engine/DumpContext.h"

namespace trovik {

// One 512-byte superblock at the start offset.
DumpEnd DumpQorSuper(DumpContext& ctx);
// Count consecutive file or directory slots.
DumpEnd DumpQorSlot(DumpContext& ctx);
// Count consecutive sub-directory slots.
DumpEnd DumpQorSubdir(DumpContext& ctx);
// Count consecutive continue slots (name or FAT-entry continuations).
DumpEnd DumpQorCont(DumpContext& ctx);

}  // namespace trovik
