// Text-field helpers shared by the ISO 9660 decoders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/Report.h"

namespace trovik::iso {

// An 8-bit text field: its bytes up to the first zero.
std::string NarrowText(const uint8_t* field, size_t length);
// A big-endian 16-bit text field: the low byte of each of `chars`
// characters, up to the first zero.
std::string WideText(const uint8_t* field, size_t chars);

}  // namespace trovik::iso
