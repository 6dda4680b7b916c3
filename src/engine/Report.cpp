#include "engine/Report.h"

#include <cstdarg>

#include "engine/ByteOrder.h"
#include "engine/RunHost.h"
#include "engine/TextFormat.h"

namespace trovik {

void Report::Printf(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  AppendFormatV(pending_, fmt, args);
  va_end(args);
}

void Report::Emit(std::string_view text, bool red) {
  if (text.empty()) return;
  if (hasHeld_) sink_.Write(std::string_view(&held_, 1), heldRed_);
  if (text.size() > 1) sink_.Write(text.substr(0, text.size() - 1), red);
  held_ = text.back();
  heldRed_ = red;
  hasHeld_ = true;
}

void Report::AppendText(std::string_view text) { Emit(text, false); }

void Report::AppendPending() {
  Emit(pending_, false);
  pending_.clear();
}

void Report::AnnotateLine(bool red, std::string_view annotation) {
  Emit(pending_, false);
  pending_.clear();
  // The annotation takes the place of the last character written.
  if (hasHeld_)
    hasHeld_ = false;
  else
    sink_.EraseBeforeInsertion();
  std::string line(annotation);
  line += '\n';
  Emit(line, red);
}

void Report::FlagLine(std::string_view text) {
  AppendPending();
  std::string line(text);
  line += '\n';
  Emit(line, true);
}

void Report::FlagHex(std::string_view label, uint64_t value, int digits) {
  std::string text(label);
  AppendFormat(text, ": 0x%0*X", digits, static_cast<uint32_t>(value));
  Flag(text);
}

bool Report::HexDumpBlock(uint64_t base, const uint8_t* bytes, int32_t length, bool collapse) {
  if (collapse) {
    bool allZero = true;
    for (int32_t i = 0; i < length && allZero; ++i) allZero = bytes[i] == 0;
    if (length < 1 || allZero) {
      pending_ += "                           All Zeros...\n";
      return false;
    }
  }
  int32_t i = 0;
  while (i < length) {
    const uint64_t address = base + static_cast<uint64_t>(i);
    AppendFormat(pending_, "   0x%08llX  ", static_cast<unsigned long long>(address));
    std::string chars = "    ";
    const int k = static_cast<int>(address & 15);
    pending_.append(3 * static_cast<size_t>(k), ' ');
    for (int c = k; c < 16; ++c) {
      const int32_t j = i + (c - k);
      if (j >= length) {
        pending_.append(3 * static_cast<size_t>(16 - c), ' ');
        break;
      }
      const char separator = (c == 7 && j + 1 < length) ? '-' : ' ';
      AppendFormat(pending_, "%02X%c", bytes[j], separator);
      chars += static_cast<char>(PrintableChar(bytes[j]));
    }
    pending_.append(static_cast<size_t>(k), ' ');
    pending_ += chars;
    pending_ += '\n';
    i += 16 - k;
    if (AbortRequested()) return true;
  }
  return false;
}

bool Report::AppendDebugLines(uint64_t address, const uint8_t* bytes, size_t length) {
  bool nonZero = false;
  for (size_t line = 0; line < length; line += 16, address += 16) {
    const size_t n = length - line < 16 ? length - line : 16;
    AppendFormat(pending_, "\n%08llX ", static_cast<unsigned long long>(address));
    std::string chars;
    for (size_t i = 0; i < n; ++i) {
      const uint8_t b = bytes[line + i];
      nonZero |= b != 0;
      AppendFormat(pending_, i == 8 ? "-%02X" : " %02X", b);
      chars += (b >= 0x21 && b <= 0x7F) ? static_cast<char>(b) : '.';
    }
    pending_.append(5 + 3 * (16 - n), ' ');
    pending_ += chars;
    AppendPending();
  }
  return nonZero;
}

bool Report::AbortRequested() { return host_ && host_->AbortRequested(); }

void Report::Finish() {
  if (hasHeld_) sink_.Write(std::string_view(&held_, 1), heldRed_);
  hasHeld_ = false;
}

uint8_t PrintableChar(uint8_t c) { return (c >= 0x20 && c <= 0x7E) ? c : 0xB7; }

bool IsPowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

}  // namespace trovik
