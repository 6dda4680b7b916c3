// Small formatting helpers shared by the FAT listings.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/Report.h"

namespace trovik {

// Fixed-width text fields are not terminated: every byte is shown, control
// bytes as the placeholder.
inline void AddPrintable(Report& report, const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) report.Pending() += static_cast<char>(PrintableChar(bytes[i]));
}

}  // namespace trovik
