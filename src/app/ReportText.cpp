#include "app/ReportText.h"

#include <algorithm>
#include <cstring>

#include "engine/CodePage.h"

namespace trovik {

namespace {

// Large enough that a million-line report needs only a few thousand blocks,
// small enough that an edit inside one moves little memory.
constexpr qsizetype kMaxBlock = 32 * 1024;
// A search reads the text in windows of this many characters.
constexpr qsizetype kFindWindow = 256 * 1024;

qsizetype CountNewlines(QStringView text) { return text.count(QLatin1Char('\n')); }
qsizetype CountNewlines(std::string_view text) { return std::count(text.begin(), text.end(), '\n'); }

// Code page 1252 text as Unicode. Nearly all report text is ASCII, which
// Latin-1 conversion copies fast; only 0x80..0x9F differ from Latin-1.
void AppendDecoded(QString& out, std::string_view text) {
  const bool latin1 = std::none_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x80 && b < 0xA0;
  });
  if (latin1) {
    out.append(QLatin1StringView(text.data(), static_cast<qsizetype>(text.size())));
    return;
  }
  const qsizetype base = out.size();
  out.resize(base + static_cast<qsizetype>(text.size()));
  QChar* dst = out.data() + base;
  for (char c : text) *dst++ = QChar(Cp1252ToUnicode(static_cast<uint8_t>(c)));
}

QString Decoded(std::string_view text) {
  QString out;
  AppendDecoded(out, text);
  return out;
}

std::string_view View(const QByteArray& bytes) {
  return std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// The text in code page 1252, or false when it holds a character the code
// page lacks.
bool Encode(QStringView text, QByteArray& out) {
  out.resize(text.size());
  char* dst = out.data();
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u < 0x80) {
      *dst++ = static_cast<char>(u);
    } else if (Cp1252Holds(u)) {
      *dst++ = static_cast<char>(UnicodeToCp1252(u));
    } else {
      return false;
    }
  }
  return true;
}

// Widest line strictly inside text (between its first and last line
// break), in columns with tabs counted as eight.
template <typename Char>
qsizetype WidestInnerLine(const Char* data, qsizetype n) {
  qsizetype widest = 0, columns = 0;
  bool inside = false;
  for (qsizetype i = 0; i < n; ++i) {
    if (data[i] == Char('\n')) {
      if (inside) widest = std::max(widest, columns);
      inside = true;
      columns = 0;
    } else {
      columns += data[i] == Char('\t') ? 8 : 1;
    }
  }
  return widest;
}

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

// Makes room for n characters at o: ranges after o move, a range that
// spans o is cut in two (the new text is not part of it).
void ShiftForInsert(std::vector<TextRange>& ranges, qsizetype o, qsizetype n) {
  std::vector<TextRange> out;
  out.reserve(ranges.size() + 1);
  for (const TextRange& r : ranges) {
    if (r.end <= o) {
      out.push_back(r);
    } else if (r.start >= o) {
      out.push_back({r.start + n, r.end + n});
    } else {
      out.push_back({r.start, o});
      out.push_back({o + n, r.end + n});
    }
  }
  ranges.swap(out);
}

// Removes [o, o + n) from the positions: ranges lose what lay there and
// later ones move back; ranges that meet afterwards are joined.
void ShiftForRemove(std::vector<TextRange>& ranges, qsizetype o, qsizetype n) {
  std::vector<TextRange> out;
  out.reserve(ranges.size());
  for (TextRange r : ranges) {
    auto map = [&](qsizetype p) { return p <= o ? p : (p >= o + n ? p - n : o); };
    r = {map(r.start), map(r.end)};
    if (r.start >= r.end) continue;
    if (!out.empty() && out.back().end >= r.start)
      out.back().end = std::max(out.back().end, r.end);
    else
      out.push_back(r);
  }
  ranges.swap(out);
}

}  // namespace

void AddRange(std::vector<TextRange>& ranges, TextRange r) {
  if (r.start >= r.end) return;
  auto first = std::lower_bound(ranges.begin(), ranges.end(), r.start,
                                [](const TextRange& a, qsizetype p) { return a.end < p; });
  auto last = first;
  while (last != ranges.end() && last->start <= r.end) {
    r.start = std::min(r.start, last->start);
    r.end = std::max(r.end, last->end);
    ++last;
  }
  first = ranges.erase(first, last);
  ranges.insert(first, r);
}

void RemoveRange(std::vector<TextRange>& ranges, TextRange r) {
  if (r.start >= r.end) return;
  std::vector<TextRange> out;
  out.reserve(ranges.size() + 1);
  for (const TextRange& a : ranges) {
    if (a.end <= r.start || a.start >= r.end) {
      out.push_back(a);
      continue;
    }
    if (a.start < r.start) out.push_back({a.start, r.start});
    if (a.end > r.end) out.push_back({r.end, a.end});
  }
  ranges.swap(out);
}

ReportText::ReportText() { Clear(); }

void ReportText::Clear() {
  // Swapped out rather than cleared, so the index gives its memory back too.
  std::vector<Block>().swap(blocks_);
  blocks_.emplace_back();
  length_ = 0;
  newlines_ = 0;
  maxColumns_ = 0;
  std::vector<qsizetype>().swap(starts_);
  std::vector<qsizetype>().swap(linesBefore_);
  validBlocks_ = 0;
}

size_t ReportText::StorageBytes() const {
  size_t bytes = blocks_.capacity() * sizeof(Block) + (starts_.capacity() + linesBefore_.capacity()) * sizeof(qsizetype);
  for (const Block& block : blocks_) {
    bytes += static_cast<size_t>(block.narrow.capacity()) + 2 * static_cast<size_t>(block.wide.capacity());
    bytes += block.red.capacity() * sizeof(TextRange) + block.lineBreaks.capacity() * sizeof(int);
  }
  return bytes;
}

void ReportText::Invalidate(size_t fromBlock) {
  // The index entry of a block depends only on the blocks before it.
  validBlocks_ = std::min(validBlocks_, fromBlock + 1);
}

void ReportText::EnsureIndex() const {
  const size_t n = blocks_.size();
  if (validBlocks_ >= n && starts_.size() == n) return;
  starts_.resize(n);
  linesBefore_.resize(n);
  size_t b = std::min(validBlocks_, n);
  if (b == 0) {
    starts_[0] = 0;
    linesBefore_[0] = 0;
    b = 1;
  }
  for (; b < n; ++b) {
    starts_[b] = starts_[b - 1] + blocks_[b - 1].Size();
    linesBefore_[b] = linesBefore_[b - 1] + blocks_[b - 1].newlines;
  }
  validBlocks_ = n;
}

size_t ReportText::BlockAt(qsizetype pos) const {
  auto it = std::upper_bound(starts_.begin(), starts_.end(), pos);
  return it == starts_.begin() ? 0 : static_cast<size_t>(it - starts_.begin() - 1);
}

size_t ReportText::BlockForInsert(qsizetype pos) const {
  size_t b = BlockAt(pos);
  if (b > 0 && pos == starts_[b]) --b;
  return b;
}

const std::vector<int>& ReportText::LineBreaks(const Block& block) const {
  if (!block.lineBreaksValid) {
    block.lineBreaks.clear();
    block.lineBreaks.reserve(static_cast<size_t>(block.newlines));
    if (block.isWide) {
      const QChar* data = block.wide.constData();
      for (qsizetype i = 0, n = block.wide.size(); i < n; ++i)
        if (data[i] == QLatin1Char('\n')) block.lineBreaks.push_back(static_cast<int>(i));
    } else {
      const char* data = block.narrow.constData();
      const char* const end = data + block.narrow.size();
      for (const char* p = data; (p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr; ++p)
        block.lineBreaks.push_back(static_cast<int>(p - data));
    }
    block.lineBreaksValid = true;
  }
  return block.lineBreaks;
}

qsizetype ReportText::LineStart(qsizetype line) const {
  if (line <= 0) return 0;
  line = std::min(line, newlines_);
  EnsureIndex();
  // Block holding the line's break: the last one with fewer breaks before it.
  auto it = std::upper_bound(linesBefore_.begin(), linesBefore_.end(), line - 1);
  const size_t b = static_cast<size_t>(it - linesBefore_.begin() - 1);
  const auto& breaks = LineBreaks(blocks_[b]);
  return starts_[b] + breaks[static_cast<size_t>(line - 1 - linesBefore_[b])] + 1;
}

qsizetype ReportText::LineLength(qsizetype line) const {
  const qsizetype start = LineStart(line);
  const qsizetype end = line + 1 < LineCount() ? LineStart(line + 1) - 1 : length_;
  return end - start;
}

qsizetype ReportText::LineOfPosition(qsizetype pos) const {
  pos = std::clamp<qsizetype>(pos, 0, length_);
  EnsureIndex();
  const size_t b = BlockAt(pos);
  const auto& breaks = LineBreaks(blocks_[b]);
  const qsizetype local = pos - starts_[b];
  return linesBefore_[b] + (std::lower_bound(breaks.begin(), breaks.end(), local) - breaks.begin());
}

QChar ReportText::At(qsizetype pos) const {
  if (pos < 0 || pos >= length_) return QChar();
  EnsureIndex();
  const size_t b = BlockAt(pos);
  const Block& block = blocks_[b];
  const qsizetype i = pos - starts_[b];
  return block.isWide ? block.wide.at(i) : QChar(Cp1252ToUnicode(static_cast<uint8_t>(block.narrow.at(i))));
}

QString ReportText::Text(qsizetype pos, qsizetype len) const {
  pos = std::clamp<qsizetype>(pos, 0, length_);
  len = std::clamp<qsizetype>(len, 0, length_ - pos);
  QString out;
  out.reserve(len);
  ForEachPiece(pos, len, [&](auto piece) {
    if constexpr (std::is_same_v<decltype(piece), QStringView>)
      out.append(piece);
    else
      AppendDecoded(out, piece);
  });
  return out;
}

void ReportText::Widen(Block& block) {
  if (block.isWide) return;
  block.wide = Decoded(View(block.narrow));
  block.narrow = QByteArray();
  block.isWide = true;
}

template <typename Chars>
size_t ReportText::SplitIntoBlocks(size_t index, const Chars& text, const std::vector<TextRange>& red) {
  const qsizetype total = text.size();
  const qsizetype pieces = std::max<qsizetype>(1, (total + kMaxBlock - 1) / kMaxBlock);
  const qsizetype pieceSize = (total + pieces - 1) / pieces;
  std::vector<Block> made;
  made.reserve(static_cast<size_t>(pieces));
  for (qsizetype s = 0; s < total; s += pieceSize) {
    const qsizetype n = std::min(pieceSize, total - s);
    Block block;
    if constexpr (std::is_same_v<Chars, QString>) {
      // A piece that the code page can hold goes back to 8 bits.
      const QStringView part = QStringView(text).mid(s, n);
      if (!Encode(part, block.narrow)) {
        block.narrow = QByteArray();
        block.wide = part.toString();
        block.isWide = true;
      }
      block.newlines = CountNewlines(part);
    } else {
      block.narrow = QByteArray(text.constData() + s, n);
      block.newlines = CountNewlines(View(block.narrow));
    }
    for (const TextRange& r : red) {
      const qsizetype a = std::max(r.start, s), e = std::min(r.end, s + n);
      if (a < e) block.red.push_back({a - s, e - s});
    }
    made.push_back(std::move(block));
  }
  if (made.empty()) made.emplace_back();
  blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(index));
  const size_t count = made.size();
  blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(index), std::make_move_iterator(made.begin()),
                 std::make_move_iterator(made.end()));
  return count;
}

void ReportText::Insert(qsizetype pos, QStringView text, bool red) {
  InsertRich(pos, text, red ? std::vector<TextRange>{{0, text.size()}} : std::vector<TextRange>{});
}

void ReportText::InsertRich(qsizetype pos, QStringView text, const std::vector<TextRange>& red) {
  if (text.isEmpty()) return;
  QByteArray narrow;
  Piece piece;
  if (Encode(text, narrow)) {
    piece.narrow = View(narrow);
  } else {
    piece.wide = text;
    piece.isWide = true;
  }
  InsertPiece(pos, piece, red);
}

void ReportText::InsertBytes(qsizetype pos, std::string_view text, const std::vector<TextRange>& red) {
  if (text.empty()) return;
  Piece piece;
  piece.narrow = text;
  InsertPiece(pos, piece, red);
}

void ReportText::InsertPiece(qsizetype pos, const Piece& text, const std::vector<TextRange>& red) {
  pos = std::clamp<qsizetype>(pos, 0, length_);
  EnsureIndex();
  const size_t b = BlockForInsert(pos);
  Block& block = blocks_[b];
  const qsizetype o = pos - starts_[b];
  const qsizetype n = text.Size();
  const bool wide = block.isWide || text.isWide;
  auto wideText = [&] { return text.isWide ? text.wide.toString() : Decoded(text.narrow); };
  // The block's red ranges make room for the text, which brings its own.
  std::vector<TextRange> ranges = block.red;
  ShiftForInsert(ranges, o, n);
  for (const TextRange& r : red)
    AddRange(ranges, {o + std::clamp<qsizetype>(r.start, 0, n), o + std::clamp<qsizetype>(r.end, 0, n)});
  qsizetype nl = 0;
  if (block.Size() + n <= kMaxBlock) {
    nl = text.isWide ? CountNewlines(text.wide) : CountNewlines(text.narrow);
    if (!wide) {
      block.narrow.insert(o, QByteArrayView(text.narrow.data(), n));
    } else {
      Widen(block);
      block.wide.insert(o, wideText());
    }
    block.newlines += nl;
    block.red = std::move(ranges);
    block.lineBreaksValid = false;
  } else {
    const qsizetype before = block.newlines;
    size_t made;
    if (!wide) {
      QByteArray combined;
      combined.reserve(block.narrow.size() + n);
      combined.append(block.narrow.constData(), o);
      combined.append(text.narrow.data(), n);
      combined.append(block.narrow.constData() + o, block.narrow.size() - o);
      made = SplitIntoBlocks(b, combined, ranges);
    } else {
      QString combined = block.isWide ? block.wide : Decoded(View(block.narrow));
      combined.insert(o, wideText());
      made = SplitIntoBlocks(b, combined, ranges);
    }
    for (size_t i = b; i < b + made; ++i) nl += blocks_[i].newlines;
    nl -= before;
  }
  length_ += n;
  newlines_ += nl;
  Invalidate(b);
  NoteColumns(pos, text);
}

ReportText ReportText::Slice(qsizetype pos, qsizetype len) const {
  pos = std::clamp<qsizetype>(pos, 0, length_);
  len = std::clamp<qsizetype>(len, 0, length_ - pos);
  ReportText out;
  std::vector<TextRange> red = RedRanges(pos, len);
  for (TextRange& r : red) r = {r.start - pos, r.end - pos};
  qsizetype at = 0;
  ForEachPiece(pos, len, [&](auto piece) {
    const auto n = static_cast<qsizetype>(piece.size());
    std::vector<TextRange> own;
    for (const TextRange& r : red)
      if (r.end > at && r.start < at + n) own.push_back({std::max(r.start, at) - at, std::min(r.end, at + n) - at});
    if constexpr (std::is_same_v<decltype(piece), QStringView>)
      out.InsertRich(at, piece, own);
    else
      out.InsertBytes(at, piece, own);
    at += n;
  });
  return out;
}

void ReportText::InsertText(qsizetype pos, const ReportText& text) {
  pos = std::clamp<qsizetype>(pos, 0, length_);
  const std::vector<TextRange> red = text.RedRanges(0, text.Length());
  qsizetype at = 0;
  text.ForEachPiece(0, text.Length(), [&](auto piece) {
    const auto n = static_cast<qsizetype>(piece.size());
    std::vector<TextRange> own;
    for (const TextRange& r : red)
      if (r.end > at && r.start < at + n) own.push_back({std::max(r.start, at) - at, std::min(r.end, at + n) - at});
    if constexpr (std::is_same_v<decltype(piece), QStringView>)
      InsertRich(pos + at, piece, own);
    else
      InsertBytes(pos + at, piece, own);
    at += n;
  });
}

void ReportText::NoteColumns(qsizetype pos, const Piece& text) {
  // Widest inner line of the new text (tabs counted wide), then the two
  // lines at its ends, which join text that was there before.
  const qsizetype widest = text.isWide ? WidestInnerLine(text.wide.utf16(), text.wide.size())
                                       : WidestInnerLine(text.narrow.data(), text.Size());
  maxColumns_ = std::max(maxColumns_, widest);
  maxColumns_ = std::max(maxColumns_, LineLength(LineOfPosition(pos)));
  const bool hasBreak = text.isWide ? text.wide.contains(QLatin1Char('\n'))
                                    : text.narrow.find('\n') != std::string_view::npos;
  if (hasBreak) maxColumns_ = std::max(maxColumns_, LineLength(LineOfPosition(pos + text.Size())));
}

void ReportText::Remove(qsizetype pos, qsizetype len) {
  pos = std::clamp<qsizetype>(pos, 0, length_);
  len = std::clamp<qsizetype>(len, 0, length_ - pos);
  if (len == 0) return;
  EnsureIndex();
  size_t b = BlockAt(pos);
  const size_t first = b;
  qsizetype o = pos - starts_[b];
  qsizetype left = len;
  while (left > 0 && b < blocks_.size()) {
    Block& block = blocks_[b];
    const qsizetype n = std::min(left, block.Size() - o);
    if (n > 0) {
      qsizetype nl;
      if (block.isWide) {
        nl = CountNewlines(QStringView(block.wide).mid(o, n));
        block.wide.remove(o, n);
      } else {
        nl = CountNewlines(View(block.narrow).substr(static_cast<size_t>(o), static_cast<size_t>(n)));
        block.narrow.remove(o, n);
      }
      block.newlines -= nl;
      newlines_ -= nl;
      ShiftForRemove(block.red, o, n);
      block.lineBreaksValid = false;
      left -= n;
    }
    if (block.Size() == 0 && blocks_.size() > 1) {
      blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
    } else {
      ++b;
    }
    o = 0;
  }
  length_ -= len;
  // Keep repeated edits from leaving many tiny blocks behind.
  if (first < blocks_.size() && first + 1 < blocks_.size() &&
      blocks_[first].Size() + blocks_[first + 1].Size() <= kMaxBlock / 2) {
    Block& a = blocks_[first];
    Block& c = blocks_[first + 1];
    const qsizetype shift = a.Size();
    for (const TextRange& r : c.red) AddRange(a.red, {r.start + shift, r.end + shift});
    if (!a.isWide && !c.isWide) {
      a.narrow.append(c.narrow);
    } else {
      Widen(a);
      a.wide.append(c.isWide ? c.wide : Decoded(View(c.narrow)));
    }
    a.newlines += c.newlines;
    a.lineBreaksValid = false;
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(first + 1));
  }
  Invalidate(first);
  if (length_ == 0) maxColumns_ = 0;
}

void ReportText::SetRed(qsizetype pos, qsizetype len, bool red) {
  pos = std::clamp<qsizetype>(pos, 0, length_);
  len = std::clamp<qsizetype>(len, 0, length_ - pos);
  if (len == 0) return;
  EnsureIndex();
  for (size_t b = BlockAt(pos); b < blocks_.size() && starts_[b] < pos + len; ++b) {
    const qsizetype a = std::max<qsizetype>(pos - starts_[b], 0);
    const qsizetype e = std::min<qsizetype>(pos + len - starts_[b], blocks_[b].Size());
    if (a >= e) continue;
    if (red)
      AddRange(blocks_[b].red, {a, e});
    else
      RemoveRange(blocks_[b].red, {a, e});
  }
}

std::vector<TextRange> ReportText::RedRanges(qsizetype pos, qsizetype len) const {
  std::vector<TextRange> out;
  pos = std::clamp<qsizetype>(pos, 0, length_);
  len = std::clamp<qsizetype>(len, 0, length_ - pos);
  if (len == 0) return out;
  EnsureIndex();
  for (size_t b = BlockAt(pos); b < blocks_.size() && starts_[b] < pos + len; ++b) {
    for (const TextRange& r : blocks_[b].red) {
      const qsizetype a = std::max(r.start + starts_[b], pos);
      const qsizetype e = std::min(r.end + starts_[b], pos + len);
      if (a >= e) continue;
      if (!out.empty() && out.back().end == a)
        out.back().end = e;
      else
        out.push_back({a, e});
    }
  }
  return out;
}

bool ReportText::IsRed(qsizetype pos) const { return !RedRanges(pos, 1).empty(); }

bool ReportText::IsWordAt(qsizetype pos, qsizetype len) const {
  const bool before = pos > 0 && IsWordChar(At(pos - 1));
  const bool after = pos + len < length_ && IsWordChar(At(pos + len));
  return !before && !after;
}

qsizetype ReportText::Find(QStringView needle, qsizetype from, FindOptions options) const {
  if (needle.isEmpty() || needle.size() > length_) return -1;
  const Qt::CaseSensitivity cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
  from = std::clamp<qsizetype>(from, 0, length_);
  return options.backward ? FindBackward(needle, from, cs, options.wholeWord)
                          : FindForward(needle, from, cs, options.wholeWord);
}

qsizetype ReportText::FindForward(QStringView needle, qsizetype from, Qt::CaseSensitivity cs, bool wholeWord) const {
  const qsizetype m = needle.size();
  for (qsizetype windowStart = from; windowStart + m <= length_;) {
    const QString window = Text(windowStart, kFindWindow + m - 1);
    for (qsizetype i = 0;;) {
      i = window.indexOf(needle, i, cs);
      if (i < 0 || i >= kFindWindow) break;
      if (!wholeWord || IsWordAt(windowStart + i, m)) return windowStart + i;
      ++i;
    }
    windowStart += kFindWindow;
  }
  return -1;
}

qsizetype ReportText::FindBackward(QStringView needle, qsizetype from, Qt::CaseSensitivity cs, bool wholeWord) const {
  // Matches end at or before `from`.
  const qsizetype m = needle.size();
  for (qsizetype windowEnd = from; windowEnd >= m;) {
    const qsizetype windowStart = std::max<qsizetype>(0, windowEnd - kFindWindow - m + 1);
    const QString window = Text(windowStart, windowEnd - windowStart);
    for (qsizetype i = window.size() - m; i >= 0;) {
      i = window.lastIndexOf(needle, i, cs);
      if (i < 0) break;
      if (!wholeWord || IsWordAt(windowStart + i, m)) return windowStart + i;
      --i;
    }
    if (windowStart == 0) break;
    windowEnd = windowStart + m - 1;
  }
  return -1;
}

}  // namespace trovik
