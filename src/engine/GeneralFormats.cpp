#include "engine/GeneralFormats.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace trovik {

namespace {

constexpr size_t kBlockSize = 256 * 1024;   // bytes read per file read
constexpr size_t kFlushSize = 256 * 1024;   // report text handed on per AppendText
constexpr char kHexDigits[] = "0123456789ABCDEF";

// Reads the range [first, last] in large blocks and stops early when the
// file delivers fewer bytes than asked (it shrank or ended), so no byte is
// ever shown that was not read.
class RangeReader {
 public:
  RangeReader(DumpContext& ctx, uint64_t first, uint64_t last, size_t blockSize)
      : ctx_(ctx), next_(first), last_(last), buffer_(blockSize) {}

  // Next block of bytes, or an empty span at the end.
  std::pair<const uint8_t*, size_t> NextBlock() {
    if (done_ || next_ > last_) return {nullptr, 0};
    const size_t want = static_cast<size_t>(std::min<uint64_t>(buffer_.size(), last_ - next_ + 1));
    const size_t got = ctx_.ReadAt(next_, buffer_.data(), want);
    next_ += want;
    if (got < want) done_ = true;
    return {buffer_.data(), got};
  }

 private:
  DumpContext& ctx_;
  uint64_t next_;
  uint64_t last_;
  std::vector<uint8_t> buffer_;
  bool done_ = false;
};

// The last byte a general format shows: the end of the range or of the
// file, whichever comes first. Returns false when the file is empty.
bool LastByte(const DumpContext& ctx, uint64_t& last) {
  const uint64_t size = EffectiveSize(ctx.fileSize);
  if (size == 0) return false;
  last = std::min<uint64_t>(ctx.end, size - 1);
  return true;
}

// Collects report text and hands it on in large pieces.
class Output {
 public:
  explicit Output(Report& report) : report_(report) { text_.reserve(kFlushSize + 256); }
  ~Output() { Flush(); }
  std::string& Text() { return text_; }
  void MaybeFlush() {
    if (text_.size() >= kFlushSize) Flush();
  }
  void Flush() {
    if (!text_.empty()) report_.AppendText(text_);
    text_.clear();
  }

 private:
  Report& report_;
  std::string text_;
};

void PutHex8(std::string& out, uint32_t value) {
  char digits[8];
  for (int i = 7; i >= 0; --i, value >>= 4) digits[i] = kHexDigits[value & 15];
  out.append(digits, 8);
}

char DebugChar(uint8_t b) { return (b >= 0x21 && b <= 0x7F) ? static_cast<char>(b) : '.'; }

}  // namespace

DumpEnd DumpDosDebug(DumpContext& ctx) {
  Output out(ctx.report);
  std::string& text = out.Text();
  const uint32_t start = ctx.start;
  const uint32_t aligned = start & ~15u;
  uint32_t nextLine = aligned;
  int counter = 0;
  char chars[16];
  int charCount = 0;
  // A line that starts mid-row is opened here; otherwise the first byte
  // opens its line like every other.
  if (const int s = static_cast<int>(start & 15); s > 0) {
    text += '\n';
    PutHex8(text, aligned);
    text += ' ';
    text.append(3 * static_cast<size_t>(s), ' ');
    std::memset(chars, ' ', static_cast<size_t>(s));
    charCount = s;
    counter = s;
    nextLine = aligned + 16;
  }
  bool aborted = false;
  uint64_t last = 0;
  if (LastByte(ctx, last)) {
    RangeReader reader(ctx, start, last, kBlockSize);
    for (auto [bytes, n] = reader.NextBlock(); n && !aborted; std::tie(bytes, n) = reader.NextBlock()) {
      size_t i = 0;
      while (i < n) {
        // Whole lines: the bulk of any listing, formatted without per-byte branching.
        if (counter == 0 && n - i >= 16 && !ctx.AbortRequested()) {
          const uint8_t* b = bytes + i;
          text += '\n';
          PutHex8(text, nextLine);
          text += ' ';
          nextLine += 16;
          char line[48 + 5 + 16];
          for (int c = 0; c < 16; ++c) {
            line[3 * c] = c == 8 ? '-' : ' ';
            line[3 * c + 1] = kHexDigits[b[c] >> 4];
            line[3 * c + 2] = kHexDigits[b[c] & 15];
            line[53 + c] = DebugChar(b[c]);
          }
          std::memset(line + 48, ' ', 5);
          text.append(line, sizeof line);
          i += 16;
          out.MaybeFlush();
          continue;
        }
        const uint8_t b = bytes[i];
        // The poll falls on the byte that would complete a line; the byte
        // is then not shown and the line is closed below.
        if (counter == 15 && ctx.AbortRequested()) {
          aborted = true;
          break;
        }
        if (counter == 0) {
          text += '\n';
          PutHex8(text, nextLine);
          text += ' ';
          nextLine += 16;
          charCount = 0;
        }
        ++counter;
        text += counter == 9 ? '-' : ' ';
        text += kHexDigits[b >> 4];
        text += kHexDigits[b & 15];
        chars[charCount++] = DebugChar(b);
        if (counter == 16) {
          text.append(5, ' ');
          text.append(chars, 16);
          counter = 0;
          out.MaybeFlush();
        }
        ++i;
      }
    }
  }
  if (counter != 0) {
    text.append(5, ' ');
    text.append(3 * static_cast<size_t>(16 - counter), ' ');
    text.append(chars, static_cast<size_t>(charCount));
  }
  out.Flush();
  return aborted ? DumpEnd::Abort : DumpEnd::Normal;
}

namespace {

// The three source-data formats share one loop: a line head before the
// first byte of every sixteen, one item per byte. `item` appends the item
// for a byte; `lastOfLine` tells it whether the byte ends its line.
template <typename Item>
DumpEnd DumpSourceData(DumpContext& ctx, const char* lineHead, Item item) {
  uint64_t last = 0;
  if (!LastByte(ctx, last)) return DumpEnd::Normal;
  Output out(ctx.report);
  std::string& text = out.Text();
  RangeReader reader(ctx, ctx.start, last, kBlockSize);
  int counter = 0;
  for (auto [bytes, n] = reader.NextBlock(); n; std::tie(bytes, n) = reader.NextBlock()) {
    for (size_t i = 0; i < n; ++i) {
      if (counter == 15 && ctx.AbortRequested()) return DumpEnd::Abort;
      if (counter == 0) text += lineHead;
      counter = (counter + 1) & 15;
      item(text, bytes[i], counter == 0);
    }
    out.MaybeFlush();
  }
  return DumpEnd::Normal;
}

inline void PutHex2(std::string& text, uint8_t b) {
  text += kHexDigits[b >> 4];
  text += kHexDigits[b & 15];
}

}  // namespace

DumpEnd DumpAssembly(DumpContext& ctx) {
  return DumpSourceData(ctx, "\n  db  ", [](std::string& text, uint8_t b, bool lastOfLine) {
    text += b < 0xA0 ? ' ' : '0';
    PutHex2(text, b);
    text += 'h';
    text += lastOfLine ? ' ' : ',';
    text += ' ';
  });
}

DumpEnd DumpC(DumpContext& ctx) {
  return DumpSourceData(ctx, "\n  ", [](std::string& text, uint8_t b, bool) {
    text += "0x";
    PutHex2(text, b);
    text += ", ";
  });
}

DumpEnd DumpBasic(DumpContext& ctx) {
  return DumpSourceData(ctx, "\nDATA ", [](std::string& text, uint8_t b, bool lastOfLine) {
    text += "&h";
    PutHex2(text, b);
    if (!lastOfLine) text += ", ";
  });
}

DumpEnd DumpAsciiText(DumpContext& ctx) {
  constexpr size_t kChunk = 512;  // each chunk's text ends at its first zero byte
  uint64_t last = 0;
  if (!LastByte(ctx, last)) return DumpEnd::Normal;
  Output out(ctx.report);
  std::string& text = out.Text();
  RangeReader reader(ctx, ctx.start, last, kChunk * 512);
  for (auto [bytes, n] = reader.NextBlock(); n; std::tie(bytes, n) = reader.NextBlock()) {
    for (size_t at = 0; at < n; at += kChunk) {
      const size_t len = std::min(kChunk, n - at);
      const void* zero = std::memchr(bytes + at, 0, len);
      const size_t shown = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - (bytes + at)) : len;
      text.append(reinterpret_cast<const char*>(bytes + at), shown);
    }
    out.Flush();
    // Large text dumps can be stopped like the other formats.
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
}

DumpEnd DumpPascal(DumpContext&) { return DumpEnd::Normal; }

}  // namespace trovik
