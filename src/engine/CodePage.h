// Report text and the structures' 8-bit text fields are code page 1252.
// The front ends show it as Unicode and the editors store typed text back
// into it, all through this one mapping.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace trovik {

// The five bytes the code page leaves unassigned map to the C1 control of
// the same value, so all 256 bytes survive a round trip.
char16_t Cp1252ToUnicode(uint8_t byte);
// A character outside the code page becomes '?'.
uint8_t UnicodeToCp1252(char16_t unit);
// True when the code page holds the character (it survives the round trip).
bool Cp1252Holds(char16_t unit);

// Appends code page 1252 text as UTF-8. The command line's output and the
// desktop application's saved report both go through here, so the same
// report text gives the same bytes.
void AppendCp1252AsUtf8(std::string& out, uint8_t c);
void AppendCp1252TextAsUtf8(std::string& out, std::string_view text);

// Report text made safe for a terminal, still in code page 1252: bytes a
// terminal would act on (C0 controls other than tab and line feed, DEL, and
// the five bytes that map to C1 controls) become the middle dot 0xB7 that
// stands for unprintable bytes, and a carriage return, alone or before a
// line feed, becomes one line feed, as the report view shows it. Keeps its
// state between calls, so a CR LF split over two calls gives one line feed.
class TerminalFilter {
 public:
  // The text as a terminal may receive it: the text itself when nothing
  // needed changing, else the filtered copy held in `scratch`.
  std::string_view Apply(std::string_view text, std::string& scratch);

 private:
  bool lastWasCr_ = false;
};

}  // namespace trovik
