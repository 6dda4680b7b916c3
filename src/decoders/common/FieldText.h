// Text forms of field kinds that several families show: GUIDs, 16-bit
// character strings, timestamps and four-character signatures.
#pragma once

#include <cstdint>
#include <string>

namespace trovik {

class Report;

// A 16-byte GUID in its mixed-endian text form,
// e.g. "C12A7328-F81F-11D2-BA4B-00A0C93EC93B".
std::string GuidText(const uint8_t* guid);
// The same with the fourth group little-endian too, as the LEAN and QOR
// file systems store and show their volume GUIDs.
std::string LittleEndianGuidText(const uint8_t* guid);

// Keeps the low byte of each big-endian 16-bit character: n characters,
// then a terminating zero (dest holds n + 1 bytes).
void Ucs2BeToAscii(char* dest, const uint8_t* source, int n);

// 1-based: MonthNames[1] is "January", DayNames[1] is "Sunday".
extern const char* const MonthNames[13];
extern const char* const DayNames[8];

// "Wednesday 05 December 2001  14:03:09" in local time.
// From microseconds since 1970; above 200 years of 365 days the text is
// "time_val exceeds limit".
std::string FormatTimestamp(uint64_t microseconds);
// From seconds since 1970 (as stored by executables and file systems).
std::string FormatTimestampSeconds(uint32_t seconds);

// A signature stored as a 32-bit character literal: label, the value, and
// its bytes from the most significant down (so it reads as its name), e.g.
// "sig: 0x41615252  ('AaRR') [1]".
void AddSignatureLine(Report& report, const char* label, const uint8_t* field);

}  // namespace trovik
