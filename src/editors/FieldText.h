// How the editors turn the text of their boxes into field values and back.
// Numbers follow the C library's reading rules (automatic base: "0x" is
// hexadecimal, a leading 0 octal, anything else decimal; text without
// digits is 0) and are stored in the field's width, keeping the low-order
// bits. Text fields of the FAT structures are code page 1252, one byte per
// character, so every stored byte has a character and comes back unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace trovik {

// The box's text read with the automatic base, as a 64-bit value. A leading
// minus negates modulo 2^64; a number too large for 64 bits gives all ones.
uint64_t ParseAutoBase(std::string_view text);
// The box's text read as hexadecimal; a "0x" prefix is accepted.
uint64_t ParseHex(std::string_view text);

// A fixed-width 8-bit text field as a box shows it: the stored bytes up to
// the first zero byte.
std::u16string TextFieldToBox(const uint8_t* field, size_t width);
// The box's text stored into the field: one byte per character, cut at the
// width, the rest filled with zero bytes.
void BoxToTextField(std::u16string_view text, uint8_t* field, size_t width);

}  // namespace trovik
