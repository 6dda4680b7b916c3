// Report text and the structures' 8-bit text fields are code page 1252.
// The front ends show it as Unicode and the editors store typed text back
// into it, all through this one mapping.
#pragma once

#include <cstdint>

namespace trovik {

// The five bytes the code page leaves unassigned map to the C1 control of
// the same value, so all 256 bytes survive a round trip.
char16_t Cp1252ToUnicode(uint8_t byte);
// A character outside the code page becomes '?'.
uint8_t UnicodeToCp1252(char16_t unit);

}  // namespace trovik
