#include "engine/GeneralFormats.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <tuple>
#include <cstring>
#include <string>
#include <vector>

#include "engine/TextFormat.h"

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
    if (got < want) {
      // The range was fixed against the size the file had when the run
      // began, so it has been made shorter since.
      done_ = true;
      // Its new end: the size it reports now, or where reads ended when
      // it still claims more than it delivers.
      const unsigned long long size = std::min(ctx_.file.Size(), next_ + got);
      failure_ = Format("Error reading file: the file was made shorter during the dump; it is now %llu "
                        "(0x%08llX) bytes long, too short for the range",
                        size, size);
    }
    next_ += want;
    return {buffer_.data(), got};
  }

  // Called once the format has written what was read: a dump cut short by
  // the file ends the run as a failed read, the text so far kept.
  void ThrowIfCutShort() const {
    if (!failure_.empty()) throw FileError(failure_);
  }

 private:
  DumpContext& ctx_;
  uint64_t next_;
  uint64_t last_;
  std::vector<uint8_t> buffer_;
  bool done_ = false;
  std::string failure_;
};

// The last byte a general format shows: the end of the range or of the
// file, whichever comes first. Returns false when the file is empty.
bool LastByte(const DumpContext& ctx, uint64_t& last) {
  const uint64_t size = EffectiveSize(ctx.fileSize);
  if (size == 0) return false;
  last = std::min<uint64_t>(ctx.end, size - 1);
  return true;
}

// Collects report text and hands it on in large pieces. Hot loops write
// straight into the buffer; there is always room for one more line.
class Output {
 public:
  explicit Output(Report& report) : report_(report), data_(new char[kFlushSize + kSlack]) {}
  ~Output() { Flush(); }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Room for n <= kSlack more characters; Commit says how many were used.
  char* Room() { return data_.get() + size_; }
  void Commit(size_t n) { size_ += n; }
  void Put(char c) { data_[size_++] = c; }
  void Put(const char* text, size_t n) {
    std::memcpy(data_.get() + size_, text, n);
    size_ += n;
  }
  void Put(const char* text) { Put(text, std::strlen(text)); }
  void Spaces(size_t n) {
    std::memset(data_.get() + size_, ' ', n);
    size_ += n;
  }
  void MaybeFlush() {
    if (size_ >= kFlushSize) Flush();
  }
  void Flush() {
    if (size_) report_.AppendText(std::string_view(data_.get(), size_));
    size_ = 0;
  }

 private:
  static constexpr size_t kSlack = 1024;
  Report& report_;
  std::unique_ptr<char[]> data_;
  size_t size_ = 0;
};

// Two upper-case hexadecimal digits of every byte value.
struct HexPairs {
  char pairs[256][2];
  char groups[256][4];  // " XY "
  constexpr HexPairs() : pairs(), groups() {
    for (int i = 0; i < 256; ++i) {
      pairs[i][0] = groups[i][1] = kHexDigits[i >> 4];
      pairs[i][1] = groups[i][2] = kHexDigits[i & 15];
      groups[i][0] = groups[i][3] = ' ';
    }
  }
};
constexpr HexPairs kHex;

void PutHex8(Output& out, uint32_t value) {
  char* p = out.Room();
  for (int i = 7; i >= 0; --i, value >>= 4) p[i] = kHexDigits[value & 15];
  out.Commit(8);
}

void PutHex2(Output& out, uint8_t b) { out.Put(kHex.pairs[b], 2); }

// The character column shows 0x21..0x7F as themselves, anything else as '.'.
struct DebugChars {
  char chars[256];
  constexpr DebugChars() : chars() {
    for (int i = 0; i < 256; ++i) chars[i] = (i >= 0x21 && i <= 0x7F) ? static_cast<char>(i) : '.';
  }
};
constexpr DebugChars kDebugChars;

char DebugChar(uint8_t b) { return kDebugChars.chars[b]; }

}  // namespace

DumpEnd DumpDosDebug(DumpContext& ctx) {
  Output out(ctx.report);
  const uint32_t start = ctx.start;
  const uint32_t aligned = start & ~15u;
  uint32_t nextLine = aligned;
  int counter = 0;
  char chars[16];
  int charCount = 0;
  // A line that starts mid-row is opened here; otherwise the first byte
  // opens its line like every other.
  if (const int s = static_cast<int>(start & 15); s > 0) {
    out.Put('\n');
    PutHex8(out, aligned);
    out.Put(' ');
    out.Spaces(3 * static_cast<size_t>(s));
    std::memset(chars, ' ', static_cast<size_t>(s));
    charCount = s;
    counter = s;
    nextLine = aligned + 16;
  }
  bool aborted = false;
  uint64_t last = 0;
  std::optional<RangeReader> reader;
  if (LastByte(ctx, last)) {
    reader.emplace(ctx, start, last, kBlockSize);
    for (auto [bytes, n] = reader->NextBlock(); n && !aborted; std::tie(bytes, n) = reader->NextBlock()) {
      size_t i = 0;
      while (i < n) {
        // Whole lines: the bulk of any listing, formatted without per-byte branching.
        // Abort is polled every 64 lines here; a request sends the line to
        // the byte-wise path below, which stops before the line's last byte.
        if (counter == 0 && n - i >= 16 && ((nextLine & 0x3F0) != 0 || !ctx.AbortRequested())) {
          const uint8_t* b = bytes + i;
          char* p = out.Room();
          p[0] = '\n';
          for (int k = 8; k >= 1; --k) p[k] = kHexDigits[(nextLine >> (4 * (8 - k))) & 15];
          p[9] = ' ';
          char* hex = p + 10;
          char* text = p + 10 + 48 + 5;
          // Each group is stored as four bytes " XY " and the next group
          // overwrites the trailing blank.
          for (int c = 0; c < 16; ++c) std::memcpy(hex + 3 * c, kHex.groups[b[c]], 4);
          hex[24] = '-';
          std::memset(p + 58, ' ', 5);
          for (int c = 0; c < 16; ++c) text[c] = DebugChar(b[c]);
          out.Commit(79);
          nextLine += 16;
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
          out.Put('\n');
          PutHex8(out, nextLine);
          out.Put(' ');
          nextLine += 16;
          charCount = 0;
        }
        ++counter;
        out.Put(counter == 9 ? '-' : ' ');
        PutHex2(out, b);
        chars[charCount++] = DebugChar(b);
        if (counter == 16) {
          out.Spaces(5);
          out.Put(chars, 16);
          counter = 0;
          out.MaybeFlush();
        }
        ++i;
      }
    }
  }
  if (counter != 0) {
    out.Spaces(5);
    out.Spaces(3 * static_cast<size_t>(16 - counter));
    out.Put(chars, static_cast<size_t>(charCount));
  }
  out.Flush();
  if (reader) reader->ThrowIfCutShort();
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
  const size_t headLength = std::strlen(lineHead);
  RangeReader reader(ctx, ctx.start, last, kBlockSize);
  int counter = 0;
  for (auto [bytes, n] = reader.NextBlock(); n; std::tie(bytes, n) = reader.NextBlock()) {
    for (size_t i = 0; i < n; ++i) {
      if (counter == 15 && ctx.AbortRequested()) return DumpEnd::Abort;
      if (counter == 0) {
        out.MaybeFlush();
        out.Put(lineHead, headLength);
      }
      counter = (counter + 1) & 15;
      item(out, bytes[i], counter == 0);
    }
  }
  out.Flush();
  reader.ThrowIfCutShort();
  return DumpEnd::Normal;
}

}  // namespace

DumpEnd DumpAssembly(DumpContext& ctx) {
  return DumpSourceData(ctx, "\n  db  ", [](Output& out, uint8_t b, bool lastOfLine) {
    char* p = out.Room();
    p[0] = b < 0xA0 ? ' ' : '0';
    p[1] = kHex.pairs[b][0];
    p[2] = kHex.pairs[b][1];
    p[3] = 'h';
    p[4] = lastOfLine ? ' ' : ',';
    p[5] = ' ';
    out.Commit(6);
  });
}

DumpEnd DumpC(DumpContext& ctx) {
  return DumpSourceData(ctx, "\n  ", [](Output& out, uint8_t b, bool) {
    char* p = out.Room();
    p[0] = '0';
    p[1] = 'x';
    p[2] = kHex.pairs[b][0];
    p[3] = kHex.pairs[b][1];
    p[4] = ',';
    p[5] = ' ';
    out.Commit(6);
  });
}

DumpEnd DumpBasic(DumpContext& ctx) {
  return DumpSourceData(ctx, "\nDATA ", [](Output& out, uint8_t b, bool lastOfLine) {
    char* p = out.Room();
    p[0] = '&';
    p[1] = 'h';
    p[2] = kHex.pairs[b][0];
    p[3] = kHex.pairs[b][1];
    p[4] = ',';
    p[5] = ' ';
    out.Commit(lastOfLine ? 4 : 6);
  });
}

DumpEnd DumpAsciiText(DumpContext& ctx) {
  constexpr size_t kChunk = 512;  // each chunk's text ends at its first zero byte
  uint64_t last = 0;
  if (!LastByte(ctx, last)) return DumpEnd::Normal;
  RangeReader reader(ctx, ctx.start, last, kChunk * 512);
  for (auto [bytes, n] = reader.NextBlock(); n; std::tie(bytes, n) = reader.NextBlock()) {
    for (size_t at = 0; at < n; at += kChunk) {
      const size_t len = std::min(kChunk, n - at);
      const void* zero = std::memchr(bytes + at, 0, len);
      const size_t shown = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - (bytes + at)) : len;
      ctx.report.AppendText(std::string_view(reinterpret_cast<const char*>(bytes + at), shown));
    }
    // Large text dumps can be stopped like the other formats.
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  reader.ThrowIfCutShort();
  return DumpEnd::Normal;
}

DumpEnd DumpPascal(DumpContext&) { return DumpEnd::Normal; }

}  // namespace trovik
