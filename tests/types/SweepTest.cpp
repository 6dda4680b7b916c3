// Every type of the table over hostile files: random bytes, 0xFF and zero
// fills, a file cut short, the largest Count and the last bytes below 4 GiB.
// Each run must end normally or with the abort ending, write no NUL into
// the report, touch no byte outside the file and write nothing at all.
#include <gtest/gtest.h>

#include <random>

#include "support/FakeFile.h"
#include "support/ReportCapture.h"

namespace trovik::test {
namespace {

struct Input {
  const char* what;
  uint64_t fileSize;
  uint64_t at;  // where the bytes lie
  std::vector<uint8_t> bytes;
  std::string start;
  int count;
};

std::vector<Input> Inputs() {
  std::mt19937 rng(7);
  auto random = [&](size_t n) {
    std::vector<uint8_t> b(n);
    for (uint8_t& x : b) x = static_cast<uint8_t>(rng());
    return b;
  };
  const uint64_t fourGiB = 0x100000000ULL;
  return {
      {"random bytes", 0, 0, random(9000), "0", 5},
      {"random bytes, odd start", 0, 0, random(3000), "0x123", 3},
      {"0xFF fill", 0, 0, std::vector<uint8_t>(6000, 0xFF), "0", 7},
      {"zero fill", 0, 0, std::vector<uint8_t>(6000, 0), "0", 7},
      {"cut short", 0, 0, random(37), "0", 2},
      {"empty file", 0, 0, {}, "0", 1},
      {"Count 16384", 0, 0, random(4096), "0", 16384},
      {"last bytes below 4 GiB", fourGiB, fourGiB - 4096, random(4096), "0xFFFFF800", 8},
      {"file past 4 GiB", fourGiB + 8192, fourGiB - 2048, random(8192), "0xFFFFFF00", 40},
  };
}

class Sweep : public testing::TestWithParam<DumpTypeInfo> {};

TEST_P(Sweep, HostileFilesEndCleanly) {
  const DumpTypeInfo& row = GetParam();
  for (const Input& in : Inputs()) {
    SCOPED_TRACE(in.what);
    FakeFile file(in.bytes, in.at);
    if (in.fileSize > file.RealSize()) file.Put(in.fileSize - 1, {0});
    DumpRequest request = MakeRequest(row.id, in.start, "0x00000000", in.count);
    ScriptedHost host;
    host.startOffset = 0x1000;  // the OHCI types ask for a display address
    CaptureSink sink;
    const RunStatus status = RunDump(request, file, sink, host);
    EXPECT_TRUE(status == RunStatus::Done || status == RunStatus::Aborted);
    EXPECT_EQ(sink.Text().find('\0'), std::string::npos);
    EXPECT_EQ(file.OutOfBounds(), "");
    EXPECT_TRUE(file.Writes().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(EveryType, Sweep, testing::ValuesIn(DumpTypeTable().begin(), DumpTypeTable().end()),
                         [](const auto& info) {
                           std::string name(info.param.name);
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
}  // namespace trovik::test
