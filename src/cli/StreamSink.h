// The command line's report sink: the report's 8-bit text as UTF-8 made
// safe for a terminal (or unchanged), red ranges as ANSI colour when asked,
// written in large blocks.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "engine/CodePage.h"
#include "engine/Report.h"

namespace trovik {

class StreamSink : public ReportSink {
 public:
  // A write that a signal interrupts gives up when `interrupted` is set, so
  // a stalled reader cannot keep the program from stopping.
  StreamSink(int fd, bool utf8, bool color, const std::atomic<bool>* interrupted = nullptr)
      : fd_(fd), utf8_(utf8), color_(color), interrupted_(interrupted) {
    buffer_.reserve(kBufferSize + 64);
  }
  ~StreamSink() override { Flush(); }

  void Write(std::string_view text, bool red) override;
  // Ends any colour and writes what is buffered. False after a write error.
  bool Flush();
  int Error() const { return error_; }
  // True once a write gave up because the run was interrupted.
  bool GaveUp() const { return gaveUp_; }

 private:
  static constexpr size_t kBufferSize = 1 << 20;
  void SetRed(bool red);
  void Put(std::string_view text);
  void WriteAll(std::string_view text);

  int fd_;
  bool utf8_;
  bool color_;
  const std::atomic<bool>* interrupted_;
  bool red_ = false;
  int error_ = 0;
  bool gaveUp_ = false;
  std::string buffer_;
  std::string filtered_;
  TerminalFilter filter_;
};

}  // namespace trovik
