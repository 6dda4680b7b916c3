#include "fuzz/FuzzInput.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <optional>

#include "catalog/Catalog.h"
#include "engine/ByteOrder.h"
#include "engine/Report.h"
#include "map/StructureMap.h"
#include "engine/TextFormat.h"

namespace trovik::fuzz {

namespace {

constexpr uint64_t k4GiB = 0x100000000ULL;

class CountingSink : public ReportSink {
 public:
  void Write(std::string_view text, bool) override { bytes += text.size(); }
  size_t bytes = 0;
};

// Answers from the input's header; its editors change some bytes, as a user
// typing values would.
class FuzzHost : public RunHost {
 public:
  explicit FuzzHost(WindowFile& file) : file_(file) {}
  int abortAfterPolls = -1;
  std::optional<uint32_t> address;
  bool editorsConfirm = false;
  uint8_t pattern[3] = {};

  bool AbortRequested() override { return abortAfterPolls >= 0 && polls_++ >= abortAfterPolls; }
  void ShowMessage(const std::string&) override {}
  std::optional<uint32_t> AskStartOffset() override { return address; }
  bool EditStructure(DumpType, std::span<uint8_t> bytes, int index, uint64_t, FileAccess&) override {
    if (!editorsConfirm) return false;
    for (size_t i = 0; i < bytes.size(); i += 1 + pattern[2] % 7) bytes[i] ^= static_cast<uint8_t>(pattern[i % 2] + index);
    file_.ExpectWrite(bytes.size());
    return true;
  }

 private:
  WindowFile& file_;
  int polls_ = 0;
};

}  // namespace

void WindowFile::WriteAt(uint64_t offset, const void* buffer, size_t len) {
  const auto expected = std::exchange(expected_, {});
  if (len == 0 || std::pair{offset, len} != expected || offset + len > Size()) __builtin_trap();
  FakeFile::WriteAt(offset, buffer, len);
}

RunStatus RunInput(const uint8_t* data, size_t size) {
  uint8_t head[kHeaderSize] = {};
  std::memcpy(head, data, std::min(size, kHeaderSize));
  std::vector<uint8_t> bytes;
  if (size > kHeaderSize) bytes.assign(data + kHeaderSize, data + size);

  const auto table = DumpTypeTable();
  const DumpTypeInfo& type = table[head[0] % table.size()];
  const uint8_t flags = head[1];
  const uint8_t placement = head[2];
  const uint16_t rawCount = static_cast<uint16_t>(head[3] | head[4] << 8);
  const uint32_t rawEnd = Le32(head + 9);
  const bool sectors = flags & 2;

  uint64_t base = 0, extra = 0;
  if ((placement & 3) == 1) base = k4GiB - std::min<uint64_t>(bytes.size(), k4GiB);
  if ((placement & 3) == 2) base = k4GiB - bytes.size() / 2;
  if ((placement & 3) == 3) extra = 1 + head[15] * 64u;

  DumpRequest request;
  request.dumpType = type.id;
  request.isIso = flags & 1;
  request.offsetType = sectors ? OffsetType::Sectors : OffsetType::Bytes;
  request.askOffset = flags & 4;
  request.result = (flags & 8) ? kResultEdit : kResultDump;
  // The front ends hand types without Count a count of 1; others get 1..16384.
  // Item numbers that pass three digits with the top bits of both.
  const bool nearThousand = (placement & 0xC0) == 0xC0 && (rawCount & 0xC000) == 0xC000;
  request.count = !type.countEnabled ? 1 : nearThousand ? 990 + (rawCount & 0x3F) : 1 + rawCount % 12;

  uint32_t start = Le32(head + 5), end = rawEnd;
  if (placement & 4) {
    // Extreme offsets as they stand; a general format still covers a short
    // range (or none, when the end wraps below the start).
    if (type.endEnabled) end = start + rawEnd % (sectors ? 8 : 4096);
  } else {
    // Mostly inside the bytes, where the structures are; never past the
    // last addressable byte, where a wrap would make a 4 GiB range.
    const uint64_t span = bytes.size() + 64;
    start = static_cast<uint32_t>(std::min<uint64_t>(base + start % span, kLastAddressable));
    end = static_cast<uint32_t>(std::min<uint64_t>(base + rawEnd % span, kLastAddressable));
    if (sectors) start >>= SectorShift(request.isIso), end = (end >> SectorShift(request.isIso)) + 1;
  }
  request.start = sectors ? Format("%u", start) : Format("0x%08X", start);
  request.end = sectors ? Format("%u", end) : Format("0x%08X", end);

  WindowFile file(bytes, base);
  file.claimedExtra = extra;
  file.failWrites = flags & 32;
  if (flags & 64) file.failReadAt = base + (head[15] << 4 | head[14]);

  FuzzHost host(file);
  if (head[13] & 1) host.address = Le32(head + 12);
  host.editorsConfirm = flags & 16;
  std::copy(head + 13, head + 16, host.pattern);
  if (flags & 128) host.abortAfterPolls = head[14];

  CountingSink sink;
  const RunStatus status = RunDump(request, file, sink, host);
  if (placement & 8) {
    // The structure map over the same file, and the dumps of its first rows.
    std::vector<MapRow> rows = BuildMap(file);
    for (size_t i = 0; i < rows.size() && i < 16; ++i) CountRed(rows[i], file, host);
  }
  return status;
}

std::vector<uint8_t> MakeInput(int tableRow, uint8_t flags, uint8_t placement, uint16_t count, uint32_t start,
                               uint32_t end, const std::vector<uint8_t>& file) {
  std::vector<uint8_t> input(kHeaderSize + file.size());
  input[0] = static_cast<uint8_t>(tableRow);
  input[1] = flags;
  input[2] = placement;
  PutLe16(&input[3], count);
  PutLe32(&input[5], start);
  PutLe32(&input[9], end);
  std::copy(file.begin(), file.end(), input.begin() + kHeaderSize);
  return input;
}

}  // namespace trovik::fuzz
