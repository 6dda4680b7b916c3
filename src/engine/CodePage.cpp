#include "engine/CodePage.h"

#include <cstring>

namespace trovik {

namespace {

// 0x80..0x9F; the rest of the code page is Latin-1.
constexpr char16_t kHighHalf[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char16_t Cp1252ToUnicode(uint8_t byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighHalf[byte - 0x80] : static_cast<char16_t>(byte);
}

namespace {

constexpr bool IsTerminalControl(uint8_t byte) {
  return (byte < 0x20 && byte != '\t' && byte != '\n') || byte == 0x7F || byte == 0x81 || byte == 0x8D ||
         byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

}  // namespace

std::string_view TerminalFilter::Apply(std::string_view text, std::string& scratch) {
  size_t i = 0;
  if (!lastWasCr_) {
    while (i < text.size() && !IsTerminalControl(static_cast<uint8_t>(text[i]))) ++i;
    if (i == text.size()) return text;
  }
  scratch.assign(text.data(), i);
  for (; i < text.size(); ++i) {
    const auto byte = static_cast<uint8_t>(text[i]);
    if (byte == '\n' && lastWasCr_) {
      lastWasCr_ = false;
      continue;
    }
    lastWasCr_ = byte == '\r';
    if (byte == '\r')
      scratch += '\n';
    else
      scratch += IsTerminalControl(byte) ? '\xB7' : static_cast<char>(byte);
  }
  return scratch;
}

uint8_t UnicodeToCp1252(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<uint8_t>(unit);
  for (int i = 0; i < 32; ++i)
    if (kHighHalf[i] == unit) return static_cast<uint8_t>(0x80 + i);
  return '?';
}

bool Cp1252Holds(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return true;
  return Cp1252ToUnicode(UnicodeToCp1252(unit)) == unit;
}

void AppendCp1252AsUtf8(std::string& out, uint8_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
    return;
  }
  const unsigned code = Cp1252ToUnicode(c);
  if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendCp1252TextAsUtf8(std::string& out, std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    // Runs of plain ASCII (nearly all report text) are copied whole.
    size_t j = i;
    for (uint64_t word; j + 8 <= text.size(); j += 8) {
      std::memcpy(&word, text.data() + j, 8);
      if (word & 0x8080808080808080ULL) break;
    }
    while (j < text.size() && static_cast<unsigned char>(text[j]) < 0x80) ++j;
    out.append(text.data() + i, j - i);
    if (j < text.size()) AppendCp1252AsUtf8(out, static_cast<uint8_t>(text[j++]));
    i = j;
  }
}

}  // namespace trovik
