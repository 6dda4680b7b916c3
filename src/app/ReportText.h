// The report as the view holds it: plain text plus the ranges that are red.
// A dump can write a million lines, so the text is kept in blocks of a few
// ten thousand characters with their line counts and red ranges; inserting
// at the caret touches one block and the lookups by line or position walk a
// cached index of the blocks instead of the characters.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
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
  void Remove(qsizetype pos, qsizetype len);
  void Clear();
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

  // Calls f(QStringView) for each stored piece of [pos, pos + len) in order.
  template <typename F>
  void ForEachPiece(qsizetype pos, qsizetype len, F f) const {
    if (len <= 0) return;
    EnsureIndex();
    size_t b = BlockAt(pos);
    qsizetype offset = pos - starts_[b];
    while (len > 0 && b < blocks_.size()) {
      const QString& t = blocks_[b].text;
      const qsizetype n = std::min<qsizetype>(len, t.size() - offset);
      if (n > 0) f(QStringView(t).mid(offset, n));
      len -= n;
      offset = 0;
      ++b;
    }
  }

  // Number of storage blocks (for tests of the block handling).
  size_t BlockCount() const { return blocks_.size(); }

 private:
  struct Block {
    QString text;
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
  // Replaces block `index` by blocks holding text; returns how many.
  size_t SplitIntoBlocks(size_t index, const QString& text, const std::vector<TextRange>& red);
  void NoteColumns(qsizetype pos, QStringView text);
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
