// How large a report will be before it is written, so a front end can warn
// before a run that would not fit comfortably in memory.
#pragma once

#include <cstdint>

#include "engine/DumpRequest.h"

namespace trovik {

// Characters of report text a general format writes for the request's
// range, rounded up; 0 for the structure types, whose reports are bounded
// by their count and never large.
uint64_t EstimateReportChars(const DumpRequest& request, uint64_t fileSize);

}  // namespace trovik
