// The report writer. Decoders format their lines into the pending text and
// hand it on with these operations; the text goes to a sink in chunks. A
// report is 8-bit text (code page 1252; 0xB7 is the middle dot that stands
// for an unprintable byte) plus the ranges that are red.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace trovik {

class RunHost;

// Receives the report as it is written. The last character written is held
// back by the Report until more text follows or the run ends, so a sink
// never sees a character that an annotation later replaces.
class ReportSink {
 public:
  virtual ~ReportSink() = default;
  virtual void Write(std::string_view text, bool red) = 0;
  // An annotation came with nothing held back to replace: remove the
  // character before the insertion point, if the sink has one (a view with
  // earlier text does; a stream does not).
  virtual void EraseBeforeInsertion() {}
};

class Report {
 public:
  explicit Report(ReportSink& sink, RunHost* host = nullptr) : sink_(sink), host_(host) {}
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;

  // Building the pending text.
  std::string& Pending() { return pending_; }
  void Add(std::string_view text) { pending_ += text; }
  void Printf(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
  // A raw byte as a character: a zero byte adds nothing.
  void AddChar(uint8_t c) {
    if (c) pending_ += static_cast<char>(c);
  }

  // Inserts text into the report; the pending text is left as it is.
  void AppendText(std::string_view text);
  // Inserts the pending text and empties it.
  void AppendPending();
  // Inserts the pending text, then puts the annotation in place of the last
  // character written (normally the line break), followed by a new line
  // break. Empties the pending text.
  void AnnotateLine(bool red, std::string_view annotation);
  // Inserts the pending text, then the text as a line of its own.
  void AppendLine(bool red, std::string_view text);
  // AnnotateLine with label + ": 0x" + the low 32 bits of value in at least
  // `digits` upper-case hexadecimal digits.
  void FormatHexField(bool red, std::string_view label, uint64_t value, int digits);
  // Appends hexadecimal and character lines of the bytes to the pending
  // text. Returns true when an abort request stopped it.
  // Addresses past 0xFFFFFFFF (an item that crosses 4 GiB) show their true
  // value in nine digits.
  bool HexDumpBlock(uint64_t base, const uint8_t* bytes, int32_t length, bool collapse);

  // Lines of sixteen bytes in the DOS Debug layout (each opens with a line
  // break and its address, a '-' joins the eighth and ninth byte, the
  // character column shows 0x21..0x7F as themselves and anything else as
  // '.', a short last line is padded so its characters line up), inserted
  // line by line. Used for reserved areas and stubs inside structures.
  // Returns true when any byte is not zero.
  bool AppendDebugLines(uint64_t address, const uint8_t* bytes, size_t length);

  // Polls the front end's abort request.
  bool AbortRequested();
  // Hands the held-back character to the sink; called once when the run ends.
  void Finish();

 private:
  void Emit(std::string_view text, bool red);

  ReportSink& sink_;
  RunHost* host_;
  std::string pending_;
  bool hasHeld_ = false;
  char held_ = 0;
  bool heldRed_ = false;
};

// The printable form of a byte: itself for 0x20..0x7E, else 0xB7.
uint8_t PrintableChar(uint8_t c);
bool IsPowerOfTwo(uint32_t value);
// Sum over 32-bit little-endian words 1..n-1, rotating the sum right by one
// bit before each addition; word 0 (the stored checksum) is skipped.
uint32_t RotateAddChecksum(const uint8_t* bytes, uint32_t size);
// Keeps the low byte of each big-endian 16-bit character: n characters,
// then a terminating zero (dest holds n + 1 bytes).
void Ucs2BeToAscii(char* dest, const uint8_t* source, int n);

// "Wednesday 05 December 2001  14:03:09" in local time.
// From microseconds since 1970; above 200 years of 365 days the text is
// "time_val exceeds limit".
std::string FormatTimestamp(uint64_t microseconds);
// From seconds since 1970 (as stored by executables and file systems).
std::string FormatTimestampSeconds(uint32_t seconds);

// 1-based: MonthNames[1] is "January", DayNames[1] is "Sunday".
extern const char* const MonthNames[13];
extern const char* const DayNames[8];

}  // namespace trovik
