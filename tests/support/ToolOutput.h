// Reading the output of a real tool (sfdisk, dumpe2fs, isoinfo, minfo, ...)
// and the labelled lines of a report: the text after a label.
#pragma once

#include <string>

namespace trovik::test {

// The rest of the first line at or after `from` that holds `label`, after
// the label, with blanks at both ends removed; "" when no line holds it.
// A label ending in ':' or '=' matches as written; any other label also
// matches when followed by ':' ("Sectors" finds "   Sectors: 12").
std::string FieldAfter(const std::string& text, const std::string& label, size_t from = 0);
// The same value read as a number (decimal, or hexadecimal with 0x).
long long NumberAfter(const std::string& text, const std::string& label, size_t from = 0);

}  // namespace trovik::test
