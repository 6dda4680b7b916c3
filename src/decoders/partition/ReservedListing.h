// The compact hex listing that the GPT header and the FAT32 info block use
// for their reserved areas: each line opens with a line break and the file
// offset (no "0x"), the ninth byte is joined with '-', and the character
// column shows 0x21..0x7F as themselves and everything else as '.'.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/Report.h"

namespace trovik {

// Writes the lines (each one flushed as it is complete, replacing the
// pending text) and tells whether any byte was not zero. A short last line
// is padded so that its character column lines up with the full lines.
bool WriteReservedListing(Report& report, uint32_t firstOffset, const uint8_t* bytes, size_t length);

}  // namespace trovik
