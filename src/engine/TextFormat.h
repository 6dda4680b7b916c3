// printf-style formatting into std::string. Report lines are built with the
// system's own format strings, so this is the one place that turns them into
// text.
#pragma once

#include <cstdarg>
#include <string>

namespace trovik {

// Formats like snprintf and returns the result. Embedded NUL bytes (a "%c"
// of a zero byte) are dropped: report text never carries NUL, so a zero
// character adds nothing and the rest of the line still follows.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* fmt, va_list args);

// Appends the formatted text to out, with the same NUL rule.
void AppendFormat(std::string& out, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void AppendFormatV(std::string& out, const char* fmt, va_list args);

}  // namespace trovik
