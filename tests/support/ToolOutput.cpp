#include "support/ToolOutput.h"

#include <cstdlib>

namespace trovik::test {

namespace {

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t\r");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

}  // namespace

std::string FieldAfter(const std::string& text, const std::string& label, size_t from) {
  const char last = label.empty() ? 0 : label.back();
  const std::string key = (last == ':' || last == '=' || last == ' ') ? label : label + ":";
  for (size_t at = text.find(key, from); at != std::string::npos; at = text.find(key, at + 1)) {
    // A label must start its line or follow a blank, so "Sectors:" does not
    // match inside "Hidden Sectors:".
    if (at > 0 && text[at - 1] != '\n' && text[at - 1] != ' ' && text[at - 1] != '\t') continue;
    if (at > 0 && text[at - 1] == ' ' && key != label) {
      // "Hidden Sectors:" holds " Sectors:" too: the blank must be padding.
      const size_t lineStart = text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
      if (text.find_first_not_of(' ', lineStart) < at) continue;
    }
    const size_t begin = at + key.size(), end = text.find('\n', begin);
    return Trim(text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
  }
  return "";
}

long long NumberAfter(const std::string& text, const std::string& label, size_t from) {
  return std::strtoll(FieldAfter(text, label, from).c_str(), nullptr, 0);
}

}  // namespace trovik::test
