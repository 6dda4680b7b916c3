#include "engine/DumpContext.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/TextFormat.h"

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
      position_(range.start),
      item_(range.start) {}

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

bool DumpContext::NextItem() {
  if (itemWhollyPast_) return false;
  if (item_ > kLastAddressable) {
    report.FlagLine(kWalkPast4GiBText);
    return false;
  }
  return true;
}

void DumpContext::CheckExtent(uint64_t size) {
  const uint64_t held = EffectiveSize(fileSize);
  itemWhollyPast_ = item_ >= held;
  if (item_ + size <= held) return;
  // Bytes the file has past 4 GiB are not addressed; bytes it does not have
  // at all are past its end.
  report.Flag(item_ + size <= fileSize ? kPast4GiBText : kPastEndText);
}

DumpEnd WalkItems(DumpContext& ctx, size_t step, const ItemLister& title, const ItemLister& body,
                  size_t readSize) {
  std::vector<uint8_t> bytes(readSize ? readSize : step);
  for (int index = 0; index < ctx.count && ctx.NextItem(); ++index) {
    const WalkItem item{index, ctx.ItemOffset(), static_cast<uint32_t>(ctx.ItemOffset()), bytes.data()};
    ctx.ReadAt(item.offset, bytes.data(), bytes.size());
    title(ctx.report, item);
    ctx.CheckExtent(step);
    body(ctx.report, item);
    ctx.report.AppendPending();
    ctx.Advance(step);
    if (ctx.AbortRequested()) return DumpEnd::Abort;
  }
  return DumpEnd::Normal;
}

void DumpContext::Advance(uint64_t size) {
  item_ += size;
  start = static_cast<uint32_t>(item_);
}

bool DumpContext::WriteAt(uint64_t offset, const void* buffer, size_t len) {
  // The file may have been made shorter while the editor was open; a write
  // past its new end would grow it again with the structure's bytes.
  const uint64_t size = file.Size();
  if (offset + len > size) {
    host.ShowMessage(Format("The file is now %llu bytes long, too short for the structure at 0x%08llX; "
                            "nothing was written.",
                            static_cast<unsigned long long>(size), static_cast<unsigned long long>(offset)));
    return false;
  }
  file.WriteAt(offset, buffer, len);
  return true;
}

}  // namespace trovik
