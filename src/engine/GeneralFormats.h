// The general formats: the bytes of the range as a DOS-debug style listing,
// as assembly, C/C++ or BASIC source data, or as plain text.
#pragma once

#include "engine/DumpContext.h"

namespace trovik {

DumpEnd DumpDosDebug(DumpContext& ctx);
DumpEnd DumpAssembly(DumpContext& ctx);
DumpEnd DumpC(DumpContext& ctx);
DumpEnd DumpBasic(DumpContext& ctx);
DumpEnd DumpAsciiText(DumpContext& ctx);
// Pascal output was never designed: the type writes nothing.
DumpEnd DumpPascal(DumpContext& ctx);

}  // namespace trovik
