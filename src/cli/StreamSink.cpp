#include "cli/StreamSink.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "engine/CodePage.h"

namespace trovik {

void AppendCp1252AsUtf8(std::string& out, unsigned char c) {
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

// ASCII without a carriage return: UTF-8 output as it stands.
static bool IsPlain(std::string_view text) {
  // No early exit: the loop vectorises, and report text is nearly always ASCII.
  unsigned char any = 0;
  bool cr = false;
  for (char c : text) {
    any |= static_cast<unsigned char>(c);
    cr |= c == '\r';
  }
  return (any & 0x80) == 0 && !cr;
}

// True when one of the eight bytes of word is a carriage return.
static bool HasCr(uint64_t word) {
  const uint64_t x = word ^ 0x0D0D0D0D0D0D0D0DULL;
  return ((x - 0x0101010101010101ULL) & ~x & 0x8080808080808080ULL) != 0;
}

void StreamSink::Put(std::string_view text) {
  // A carriage return (a byte of the file in a decoded name, say) ends the
  // line as in the window, and never moves a terminal's cursor back over
  // the report: CR LF and a lone CR become one line break.
  if (lastWasCr_ && !text.empty()) {
    if (text.front() == '\n') text.remove_prefix(1);
    lastWasCr_ = false;
  }
  if (text.size() >= kBufferSize / 8 && (!utf8_ || IsPlain(text))) {
    // Large pieces that need no conversion skip the copy into the buffer.
    Flush();
    WriteAll(text);
  } else if (!utf8_) {
    buffer_.append(text);
  } else {
    size_t i = 0;
    while (i < text.size()) {
      // Runs of plain ASCII (nearly all report text) are copied whole.
      size_t j = i;
      for (uint64_t word; j + 8 <= text.size(); j += 8) {
        std::memcpy(&word, text.data() + j, 8);
        if ((word & 0x8080808080808080ULL) || HasCr(word)) break;
      }
      while (j < text.size() && static_cast<unsigned char>(text[j]) < 0x80 && text[j] != '\r') ++j;
      buffer_.append(text.data() + i, j - i);
      if (j < text.size() && text[j] == '\r') {
        buffer_ += '\n';
        if (++j == text.size())
          lastWasCr_ = true;
        else if (text[j] == '\n')
          ++j;
      } else if (j < text.size()) {
        AppendCp1252AsUtf8(buffer_, static_cast<unsigned char>(text[j++]));
      }
      i = j;
    }
  }
  if (buffer_.size() >= kBufferSize) Flush();
}

void StreamSink::SetRed(bool red) {
  if (red == red_) return;
  buffer_ += red ? "\x1b[31m" : "\x1b[0m";
  red_ = red;
}

void StreamSink::Write(std::string_view text, bool red) {
  if (!color_) {
    Put(text);
    return;
  }
  // Line breaks stay uncoloured so a terminal never carries red into the
  // next line.
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view part = text.substr(0, nl);
    if (!part.empty()) {
      SetRed(red);
      Put(part);
    }
    if (nl == std::string_view::npos) break;
    SetRed(false);
    Put("\n");
    text.remove_prefix(nl + 1);
  }
}

void StreamSink::WriteAll(std::string_view text) {
  size_t done = 0;
  while (done < text.size() && error_ == 0) {
    ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      break;
    }
    done += static_cast<size_t>(n);
  }
}

bool StreamSink::Flush() {
  SetRed(false);
  WriteAll(buffer_);
  buffer_.clear();
  return error_ == 0;
}

}  // namespace trovik
