#include "app/TextCodec.h"

#include "engine/CodePage.h"

namespace trovik {

namespace {

// Length of the valid UTF-8 sequence at data (0 when it is not valid),
// or -1 when the bytes end before the sequence could be judged.
int Utf8SequenceLength(const uint8_t* data, qsizetype n, char32_t& code) {
  const uint8_t b0 = data[0];
  int len;
  uint8_t lo = 0x80, hi = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    code = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    code = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;  // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    code = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  for (int i = 1; i < len; ++i) {
    if (i >= n) return -1;
    const uint8_t b = data[i];
    if (b < (i == 1 ? lo : 0x80) || b > (i == 1 ? hi : 0xBF)) return 0;
    code = (code << 6) | (b & 0x3F);
  }
  return len;
}

}  // namespace

void ReportLineBreaks::Append(std::string_view bytes, std::string& out) {
  if (lastWasCr_ && !bytes.empty() && bytes.front() == '\n') bytes.remove_prefix(1);
  lastWasCr_ = false;
  // Nearly all report text has neither: copied whole.
  if (bytes.find_first_of(std::string_view("\r\0", 2)) == std::string_view::npos) {
    out.append(bytes);
    return;
  }
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r') {
      out += '\n';
      if (i + 1 == bytes.size())
        lastWasCr_ = true;
      else if (bytes[i + 1] == '\n')
        ++i;
    } else if (c != 0) {
      out += c;
    }
  }
}

void LenientTextDecoder::Put(char32_t c, QString& out) {
  if (c == U'\n' && lastWasCr_) {
    lastWasCr_ = false;
    return;
  }
  lastWasCr_ = c == U'\r';
  if (c == 0) return;
  if (atStart_) {
    atStart_ = false;
    if (c == 0xFEFF) return;
  }
  if (c == U'\r') c = U'\n';
  if (c >= 0x10000) {
    out.append(QChar::highSurrogate(c));
    out.append(QChar::lowSurrogate(c));
  } else {
    out.append(QChar(static_cast<char16_t>(c)));
  }
}

void LenientTextDecoder::DecodeFrom(const uint8_t* data, qsizetype n, bool final, QString& out) {
  qsizetype i = 0;
  while (i < n) {
    const uint8_t b = data[i];
    if (b < 0x80) {
      Put(b, out);
      ++i;
      continue;
    }
    char32_t code = 0;
    const int len = Utf8SequenceLength(data + i, n - i, code);
    if (len < 0 && !final) {
      carry_ = QByteArray(reinterpret_cast<const char*>(data + i), n - i);
      return;
    }
    if (len > 0) {
      Put(code, out);
      i += len;
    } else {
      Put(Cp1252ToUnicode(b), out);
      ++i;
    }
  }
}

void LenientTextDecoder::Append(QByteArrayView bytes, QString& out) {
  out.reserve(out.size() + bytes.size());
  if (!carry_.isEmpty()) {
    QByteArray joined = carry_;
    carry_.clear();
    joined.append(bytes.data(), bytes.size());
    DecodeFrom(reinterpret_cast<const uint8_t*>(joined.constData()), joined.size(), false, out);
    return;
  }
  DecodeFrom(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), false, out);
}

void LenientTextDecoder::Finish(QString& out) {
  const QByteArray rest = carry_;
  carry_.clear();
  DecodeFrom(reinterpret_cast<const uint8_t*>(rest.constData()), rest.size(), true, out);
}

QString DecodeTextLeniently(QByteArrayView bytes) {
  LenientTextDecoder decoder;
  QString out;
  decoder.Append(bytes, out);
  decoder.Finish(out);
  return out;
}

}  // namespace trovik
