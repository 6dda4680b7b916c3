// The general formats' rows of the catalog: the engine's own dump types.
#pragma once

#include "engine/DumpType.h"

namespace trovik {

DumpTypeRows GeneralTypes();

}  // namespace trovik
