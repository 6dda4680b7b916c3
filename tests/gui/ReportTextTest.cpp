// The report model: text, lines and red ranges stay right through inserts
// and removals that cross block boundaries, in 8-bit and 16-bit blocks;
// what the text costs; search; the text conversions.
#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QStringList>

#include "GuiTestSupport.h"
#include "app/ReportText.h"
#include "app/TextCodec.h"

namespace trovik {
namespace {

// The same report kept the slow, obvious way.
struct Reference { QString text; std::vector<bool> red; };

void ExpectSame(const ReportText& model, const Reference& ref) {
  ASSERT_EQ(model.Length(), ref.text.size());
  ASSERT_EQ(model.ToPlainText(), ref.text);
  const QStringList lines = ref.text.split(QLatin1Char('\n'));
  ASSERT_EQ(model.LineCount(), lines.size());
  for (qsizetype i = 0, start = 0; i < lines.size(); start += lines[i++].size() + 1) {
    ASSERT_EQ(model.LineStart(i), start) << "line " << i;
    ASSERT_EQ(model.LineLength(i), lines[i].size()) << "line " << i;
    ASSERT_EQ(model.LineOfPosition(start), i);
  }
  for (qsizetype p = 0; p < ref.text.size(); p += std::max<qsizetype>(1, ref.text.size() / 97))
    ASSERT_EQ(model.At(p), ref.text[p]) << "position " << p;
  std::vector<bool> red(static_cast<size_t>(ref.text.size()), false);
  for (const TextRange& r : model.RedRanges(0, model.Length())) std::fill(red.begin() + r.start, red.begin() + r.end, true);
  ASSERT_EQ(red, ref.red);
}

// Mostly ASCII, some characters of the code page's upper half (é, €) and,
// when `wide`, some it lacks (Greek omega, a snowman).
QString RandomText(QRandomGenerator& rng, int length, bool wide) {
  const QString rare = QString::fromUtf8("\xC3\xA9\xE2\x82\xAC\xCE\xA9\xE2\x98\x83");
  QString s;
  for (int i = 0; i < length; ++i) {
    const int pick = rng.bounded(200);
    s += pick < 16 ? QChar('\n') : pick < 18 ? rare[pick - 16] : pick < 19 && wide ? rare[2 + rng.bounded(2)] : QChar('a' + rng.bounded(26));
  }
  return s;
}

TEST(ReportText, StaysEqualToAPlainStringThroughRandomEdits) {
  QRandomGenerator rng(7);
  ReportText model;
  Reference ref;
  ExpectSame(model, ref);  // one empty line
  for (int step = 0; step < 400; ++step) {
    const int op = rng.bounded(10);
    if (op < 6 || ref.text.isEmpty()) {
      // Some inserts are large enough to split blocks; some come as the
      // core's 8-bit text, some hold characters only 16-bit blocks can.
      const int length = rng.bounded(6) == 0 ? 20000 + rng.bounded(50000) : 1 + rng.bounded(200);
      const qsizetype pos = rng.bounded(static_cast<int>(ref.text.size()) + 1);
      const bool red = rng.bounded(3) == 0, asBytes = rng.bounded(2) == 0;
      const QString s = RandomText(rng, length, !asBytes && rng.bounded(4) == 0);
      asBytes ? model.InsertBytes(pos, test::ToCp1252(s), red ? std::vector<TextRange>{{0, s.size()}} : std::vector<TextRange>{})
              : model.Insert(pos, s, red);
      ref.text.insert(pos, s);
      ref.red.insert(ref.red.begin() + pos, static_cast<size_t>(s.size()), red);
    } else if (op < 9) {
      const qsizetype pos = rng.bounded(static_cast<int>(ref.text.size()));
      const qsizetype len = std::min<qsizetype>(ref.text.size() - pos, rng.bounded(op == 8 ? 40000 : 300));
      model.Remove(pos, len);
      ref.text.remove(pos, len);
      ref.red.erase(ref.red.begin() + pos, ref.red.begin() + pos + len);
    } else {
      const qsizetype pos = rng.bounded(static_cast<int>(ref.text.size()));
      const qsizetype len = std::min<qsizetype>(ref.text.size() - pos, rng.bounded(500));
      const bool red = rng.bounded(2) == 0;
      model.SetRed(pos, len, red);
      for (qsizetype p = pos; p < pos + len; ++p) ref.red[static_cast<size_t>(p)] = red;
    }
    if (step % 40 == 0) ExpectSame(model, ref);
  }
  ExpectSame(model, ref);
  EXPECT_GT(model.BlockCount(), 2u);
}

TEST(ReportText, HoldsTheCoresTextAtOneByteACharacterAndGivesItBackWhenCleared) {
  ReportText model;
  std::string listing;
  for (int line = 0; line < 40000; ++line)
    listing += "\n00000000  41 42 43 44 45 46 47 48-49 4A 4B 4C 4D 4E 4F 50     ABCDEFGHIJKLMNOP\x80";
  for (size_t at = 0; at < listing.size(); at += 512 * 1024)
    model.InsertBytes(model.Length(), std::string_view(listing).substr(at, 512 * 1024));
  ASSERT_EQ(model.Length(), static_cast<qsizetype>(listing.size()));
  EXPECT_LT(model.StorageBytes(), listing.size() + listing.size() / 20);
  // Typing a character the code page lacks changes only its own block.
  model.Insert(5, u"\u03A9", false);
  EXPECT_LT(model.StorageBytes(), listing.size() + listing.size() / 20);
  model.Clear();
  EXPECT_LT(model.StorageBytes(), 1024u);
}

TEST(ReportText, FindsAcrossBlockBoundariesInBothDirectionsAndWholeWords) {
  ReportText model;
  QString big(100000, QLatin1Char('x'));
  big.replace(32767, 6, QStringLiteral("Needle"));  // across the first block edge
  big.replace(90000, 6, QStringLiteral("needle"));
  big.replace(95000, 27, QStringLiteral(" Count: 4 Counter: 5 count "));
  model.Insert(0, big, false);
  // {text, from, {matchCase, wholeWord, backward}, found}; a backward match must end before the start point.
  for (const auto& [text, from, options, found] :
       {std::tuple{u"needle", 0, ReportText::FindOptions{}, 32767}, {u"needle", 32768, {}, 90000},
        {u"needle", 90005, {false, false, true}, 32767}, {u"needle", 32772, {false, false, true}, -1},
        {u"needle", 0, {true}, 90000}, {u"count", 95002, {false, true}, 95021}, {u"count", 95020, {false, true, true}, 95001}})
    EXPECT_EQ(model.Find(text, from, options), found) << from;
}

TEST(TextCodec, ReportTextKeepsItsBytesWithOneBreakPerLineAndReadingIsLenient) {
  ReportLineBreaks lineBreaks;
  std::string out;
  lineBreaks.Append(std::string_view("a\xB7\x80\r", 4), out);
  lineBreaks.Append(std::string_view("\nb\rc\0d\r\n", 8), out);
  EXPECT_EQ(out, std::string("a\xB7\x80\nb\ncd\n"));

  // Lenient reading keeps valid UTF-8 and reads other bytes as code page 1252.
  // Valid UTF-8 (é, €), a lone 0xE9 and 0x93 (cp1252 é and “), NULs, a BOM, CR LF.
  const QByteArray bytes("\xEF\xBB\xBF" "caf\xC3\xA9 \xE2\x82\xAC|caf\xE9 \x93q\r\nx\0y", 25);
  EXPECT_EQ(DecodeTextLeniently(bytes), QString::fromUtf8("café €|café “q\nxy"));
  // A sequence split over two pieces is still one character.
  LenientTextDecoder decoder;
  QString text;
  decoder.Append(QByteArray("\xE2\x82"), text);
  decoder.Append(QByteArray("\xAC!"), text);
  decoder.Finish(text);
  EXPECT_EQ(text, QString::fromUtf8("€!"));
  // A truncated sequence at the very end falls back to single bytes.
  EXPECT_EQ(DecodeTextLeniently(QByteArray("a\xE2\x82")), QString::fromUtf8("aâ‚"));
}

}  // namespace
}  // namespace trovik
