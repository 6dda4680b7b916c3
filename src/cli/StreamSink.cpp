#include "cli/StreamSink.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

#include "engine/CodePage.h"

namespace trovik {

static bool IsAscii(std::string_view text) {
  // No early exit: the loop vectorises, and report text is nearly always ASCII.
  unsigned char any = 0;
  for (char c : text) any |= static_cast<unsigned char>(c);
  return (any & 0x80) == 0;
}

void StreamSink::Put(std::string_view text) {
  if (text.size() >= kBufferSize / 8 && (!utf8_ || IsAscii(text))) {
    // Large pieces that need no conversion skip the copy into the buffer.
    Flush();
    WriteAll(text);
  } else if (!utf8_) {
    buffer_.append(text);
  } else {
    AppendCp1252TextAsUtf8(buffer_, text);
  }
  if (buffer_.size() >= kBufferSize) Flush();
}

void StreamSink::SetRed(bool red) {
  if (red == red_) return;
  buffer_ += red ? "\x1b[31m" : "\x1b[0m";
  red_ = red;
}

void StreamSink::Write(std::string_view text, bool red) {
  if (utf8_) text = filter_.Apply(text, filtered_);
  if (!color_) {
    Put(text);
    return;
  }
  // Line breaks stay uncoloured so a terminal never carries red into the
  // next line.
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view part = text.substr(0, nl);
    if (!part.empty()) {
      SetRed(red);
      Put(part);
    }
    if (nl == std::string_view::npos) break;
    SetRed(false);
    Put("\n");
    text.remove_prefix(nl + 1);
  }
}

void StreamSink::WriteAll(std::string_view text) {
  size_t done = 0;
  while (done < text.size() && error_ == 0 && !gaveUp_) {
    size_t chunk = text.size() - done;
    if (interrupted_ && interrupted_->load()) {
      // The run is stopping: write only what the output takes without
      // waiting long, so a stalled reader cannot hold the program.
      pollfd ready{fd_, POLLOUT, 0};
      if (::poll(&ready, 1, 100) <= 0 || !(ready.revents & POLLOUT)) {
        gaveUp_ = true;
        break;
      }
      chunk = std::min<size_t>(chunk, PIPE_BUF);
    }
    ssize_t n = ::write(fd_, text.data() + done, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      break;
    }
    done += static_cast<size_t>(n);
  }
}

bool StreamSink::Flush() {
  SetRed(false);
  if (!gaveUp_) WriteAll(buffer_);
  buffer_.clear();
  return error_ == 0;
}

}  // namespace trovik
