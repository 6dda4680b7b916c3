// The report as the view holds it: plain text plus the ranges that are red.
// A dump can write tens of millions of lines, so the text is kept in blocks
// of a few ten thousand characters with their line counts and red ranges;
// inserting at the caret touches one block and the lookups by line or
// position walk a cached index of the blocks instead of the characters.
//
// A block holds its characters as the 8-bit text the core writes (code page
// 1252, one byte a character), so a report costs one byte per character;
// only what is drawn, searched, copied or saved is converted. A block that
// must hold a character the code page lacks (typed, pasted or read by Open
// Text) keeps 16-bit characters instead; positions count characters either
// way.
#pragma once

#include <QByteArray>
#include <algorithm>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <string_view>
#include <vector>

namespace trovik {

struct TextRange {
  qsizetype start = 0;
  qsizetype end = 0;  // exclusive
  bool operator==(const TextRange&) const = default;
};

class ReportText {
 public:
  ReportText();

  qsizetype Length() const { return length_; }
  bool IsEmpty() const { return length_ == 0; }
  // Lines are separated by '\n'; an empty text has one empty line.
  qsizetype LineCount() const { return newlines_ + 1; }
  qsizetype LineStart(qsizetype line) const;
  qsizetype LineLength(qsizetype line) const;  // without the line break
  qsizetype LineOfPosition(qsizetype pos) const;
  // Widest line seen, in columns with tabs counted as eight: an upper bound
  // after deletions (it only shrinks when the whole text is replaced).
  qsizetype MaxLineColumns() const { return maxColumns_; }

  QChar At(qsizetype pos) const;
  QString Text(qsizetype pos, qsizetype len) const;
  QString ToPlainText() const { return Text(0, length_); }

  // Inserts text ('\n' line breaks only) at pos, red or in the normal colour.
  void Insert(qsizetype pos, QStringView text, bool red = false);
  // Inserts text and colours the given ranges, relative to the text.
  void InsertRich(qsizetype pos, QStringView text, const std::vector<TextRange>& red);
  // Inserts code page 1252 text ('\n' line breaks only, no NULs) as the
  // core writes it, without converting it.
  void InsertBytes(qsizetype pos, std::string_view text, const std::vector<TextRange>& red = {});
  void Remove(qsizetype pos, qsizetype len);
  void Clear();
  // A copy of [pos, pos + len) with its colours, kept as compactly as here
  // (what Undo keeps of deleted text), and its insertion.
  ReportText Slice(qsizetype pos, qsizetype len) const;
  void InsertText(qsizetype pos, const ReportText& text);
  void SetRed(qsizetype pos, qsizetype len, bool red);

  // Red ranges that meet [pos, pos + len), clipped to it, in absolute positions.
  std::vector<TextRange> RedRanges(qsizetype pos, qsizetype len) const;
  bool IsRed(qsizetype pos) const;

  // Finds needle starting at or after `from` (forward) or ending at or
  // before `from` (backward). -1 when there is none.
  struct FindOptions {
    bool matchCase = false;
    bool wholeWord = false;
    bool backward = false;
  };
  qsizetype Find(QStringView needle, qsizetype from, FindOptions options) const;

  // Calls f for each stored piece of [pos, pos + len) in order: with a
  // std::string_view of code page 1252 text or a QStringView.
  template <typename F>
  void ForEachPiece(qsizetype pos, qsizetype len, F f) const {
    if (len <= 0) return;
    EnsureIndex();
    size_t b = BlockAt(pos);
    qsizetype offset = pos - starts_[b];
    while (len > 0 && b < blocks_.size()) {
      const Block& block = blocks_[b];
      const qsizetype n = std::min<qsizetype>(len, block.Size() - offset);
      if (n > 0) {
        if (block.isWide)
          f(QStringView(block.wide).mid(offset, n));
        else
          f(std::string_view(block.narrow.constData() + offset, static_cast<size_t>(n)));
      }
      len -= n;
      offset = 0;
      ++b;
    }
  }

  // Number of storage blocks and bytes they hold (for tests of the block
  // handling and of giving memory back).
  size_t BlockCount() const { return blocks_.size(); }
  size_t StorageBytes() const;

 private:
  struct Block {
    QByteArray narrow;  // code page 1252
    QString wide;       // used instead when isWide
    bool isWide = false;
    qsizetype Size() const { return isWide ? wide.size() : narrow.size(); }
    qsizetype newlines = 0;
    std::vector<TextRange> red;               // block-relative, sorted, disjoint, not touching
    mutable std::vector<int> lineBreaks;      // offsets of '\n', built on demand
    mutable bool lineBreaksValid = false;
  };

  void EnsureIndex() const;
  void Invalidate(size_t fromBlock);
  size_t BlockAt(qsizetype pos) const;         // block holding pos (pos == length: the last)
  size_t BlockForInsert(qsizetype pos) const;  // prefers the end of the earlier block
  const std::vector<int>& LineBreaks(const Block& block) const;
  // One piece of inserted text, 8-bit or 16-bit.
  struct Piece {
    std::string_view narrow;
    QStringView wide;
    bool isWide = false;
    qsizetype Size() const { return isWide ? wide.size() : static_cast<qsizetype>(narrow.size()); }
  };
  void InsertPiece(qsizetype pos, const Piece& text, const std::vector<TextRange>& red);
  // Turns an 8-bit block into a 16-bit one.
  static void Widen(Block& block);
  // Replaces block `index` by blocks holding text; returns how many.
  template <typename Chars>
  size_t SplitIntoBlocks(size_t index, const Chars& text, const std::vector<TextRange>& red);
  void NoteColumns(qsizetype pos, const Piece& text);
  qsizetype FindForward(QStringView needle, qsizetype from, Qt::CaseSensitivity cs, bool wholeWord) const;
  qsizetype FindBackward(QStringView needle, qsizetype from, Qt::CaseSensitivity cs, bool wholeWord) const;
  bool IsWordAt(qsizetype pos, qsizetype len) const;

  std::vector<Block> blocks_;
  qsizetype length_ = 0;
  qsizetype newlines_ = 0;
  qsizetype maxColumns_ = 0;
  // starts_[b] and lineStarts_[b]: characters and line breaks before block b,
  // valid for b < validBlocks_.
  mutable std::vector<qsizetype> starts_;
  mutable std::vector<qsizetype> linesBefore_;
  mutable size_t validBlocks_ = 0;
};

// Red-range helpers on sorted, disjoint lists (exposed for tests).
void AddRange(std::vector<TextRange>& ranges, TextRange r);
void RemoveRange(std::vector<TextRange>& ranges, TextRange r);

}  // namespace trovik
