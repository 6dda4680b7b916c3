// The command line's report sink: the report's 8-bit text as UTF-8 (line
// breaks as the window shows them) or unchanged, red ranges as ANSI colour
// when asked, written in large blocks.
#pragma once

#include <string>
#include <string_view>

#include "engine/Report.h"

namespace trovik {

class StreamSink : public ReportSink {
 public:
  StreamSink(int fd, bool utf8, bool color) : fd_(fd), utf8_(utf8), color_(color) { buffer_.reserve(kBufferSize + 64); }
  ~StreamSink() override { Flush(); }

  void Write(std::string_view text, bool red) override;
  // Ends any colour and writes what is buffered. False after a write error.
  bool Flush();
  int Error() const { return error_; }

 private:
  static constexpr size_t kBufferSize = 1 << 20;
  void SetRed(bool red);
  void Put(std::string_view text);
  void WriteAll(std::string_view text);

  int fd_;
  bool utf8_;
  bool color_;
  bool red_ = false;
  bool lastWasCr_ = false;  // UTF-8 output: the last byte put was a carriage return
  int error_ = 0;
  std::string buffer_;
};

// Appends one code-page-1252 byte as UTF-8.
void AppendCp1252AsUtf8(std::string& out, unsigned char c);

}  // namespace trovik
