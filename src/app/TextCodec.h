// Text conversions of the desktop application: the report's line breaks as
// the view keeps them, and the lenient reading of text files (UTF-8 where it
// is valid, code page 1252 for any other byte).
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <string>
#include <string_view>

namespace trovik {

// Turns report text into view text, still code page 1252: carriage returns
// and CR LF pairs become '\n', NUL bytes are dropped. Keeps its state
// between calls so a CR LF split over two calls gives one line break. The
// view and a report streamed to a file both go through it, so a streamed
// report has the bytes Save would write.
class ReportLineBreaks {
 public:
  void Append(std::string_view bytes, std::string& out);

 private:
  bool lastWasCr_ = false;
};

// Reads a text file's bytes piece by piece: UTF-8 sequences that are valid
// become their characters, every other byte is read as code page 1252, NUL
// bytes are dropped and line breaks become '\n'. A leading byte order mark
// is skipped.
class LenientTextDecoder {
 public:
  void Append(QByteArrayView bytes, QString& out);
  // Decodes what is left over at the end of the input.
  void Finish(QString& out);

 private:
  void Put(char32_t c, QString& out);
  void DecodeFrom(const uint8_t* data, qsizetype n, bool final, QString& out);

  QByteArray carry_;
  bool lastWasCr_ = false;
  bool atStart_ = true;
};

QString DecodeTextLeniently(QByteArrayView bytes);

}  // namespace trovik
