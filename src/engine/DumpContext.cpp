#include "engine/DumpContext.h"

#include <algorithm>
#include <cstring>

namespace trovik {

DumpContext::DumpContext(FileAccess& f, Report& r, RunHost& h, const DumpRequest& request, ByteRange range,
                         uint64_t size)
    : file(f),
      report(r),
      host(h),
      type(request.dumpType),
      start(range.start),
      end(range.end),
      count(request.count),
      askOffset(request.askOffset),
      isIso(request.isIso),
      editMode(request.result == kResultEdit),
      fileSize(size),
      position_(range.start) {}

size_t DumpContext::ReadAt(uint64_t offset, void* buffer, size_t len) {
  position_ = offset + len;
  auto* out = static_cast<uint8_t*>(buffer);
  // Nothing past the first 4 GiB is addressed, and nothing past the end of
  // the file is asked of it (those bytes read as zeros).
  const uint64_t limit = std::min<uint64_t>(kAddressableSize, fileSize);
  size_t inRange = offset >= limit ? 0 : static_cast<size_t>(std::min<uint64_t>(len, limit - offset));
  size_t got = inRange ? file.ReadAt(offset, out, inRange) : 0;
  std::memset(out + got, 0, len - got);
  return got;
}

size_t DumpContext::Read(void* buffer, size_t len) { return ReadAt(position_, buffer, len); }

void DumpContext::WriteAt(uint64_t offset, const void* buffer, size_t len) { file.WriteAt(offset, buffer, len); }

}  // namespace trovik
