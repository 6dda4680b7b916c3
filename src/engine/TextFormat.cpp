#include "engine/TextFormat.h"

#include <algorithm>
#include <cstdio>

namespace trovik {

void AppendFormatV(std::string& out, const char* fmt, va_list args) {
  char small[256];
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n <= 0) return;
  size_t from = out.size();
  if (static_cast<size_t>(n) < sizeof small) {
    out.append(small, static_cast<size_t>(n));
  } else {
    out.resize(from + static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data() + from, static_cast<size_t>(n) + 1, fmt, args);
    out.resize(from + static_cast<size_t>(n));
  }
  auto begin = out.begin() + static_cast<std::ptrdiff_t>(from);
  if (std::find(begin, out.end(), '\0') != out.end()) out.erase(std::remove(begin, out.end(), '\0'), out.end());
}

void AppendFormat(std::string& out, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  AppendFormatV(out, fmt, args);
  va_end(args);
}

std::string FormatV(const char* fmt, va_list args) {
  std::string out;
  AppendFormatV(out, fmt, args);
  return out;
}

std::string Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string out = FormatV(fmt, args);
  va_end(args);
  return out;
}

}  // namespace trovik
