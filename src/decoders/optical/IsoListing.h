// Listing helpers shared by the ISO 9660 decoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/Report.h"

namespace trovik::iso {

// Writes bytes as DEBUG-style lines: each line begins with "\n", the address
// in eight hex digits and the bytes (a '-' before the ninth), then the
// characters 0x21..0x7F as themselves and all others as '.'. A short last
// line is padded so its characters line up. Each line is handed on as it
// completes. Returns true when any byte is not zero.
bool AppendDebugLines(Report& report, uint32_t address, const uint8_t* bytes, size_t length);

// An 8-bit text field: its bytes up to the first zero.
std::string NarrowText(const uint8_t* field, size_t length);
// A big-endian 16-bit text field: the low byte of each of `chars`
// characters, up to the first zero.
std::string WideText(const uint8_t* field, size_t chars);

}  // namespace trovik::iso
