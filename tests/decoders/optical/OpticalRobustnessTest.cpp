// Truncated and random input: every optical decoder must finish and stay
// inside its buffers whatever the bytes (the sanitizer build checks reads).
#include <gtest/gtest.h>

#include <random>

#include "OpticalTestSupport.h"
#include "engine/ByteOrder.h"

namespace trovik::test {
namespace {

struct Case {
  Decoder decoder;
  DumpType type;
};

const Case kCases[] = {
    {DumpIsoVolumeDescriptor, DumpType::IsoPvd}, {DumpIsoVolumeDescriptor, DumpType::IsoSvd},
    {DumpIsoDirRecord, DumpType::IsoDir},        {DumpIsoDirRecord, DumpType::IsoDirWide},
    {DumpIsoPathTable, DumpType::IsoPath},       {DumpIsoPathTable, DumpType::IsoPathWide},
    {DumpUdf, DumpType::Udf},
};

TEST(OpticalRobustness, RandomAndTinyInputNeverCrashes) {
  std::mt19937 random(20240405);
  for (int round = 0; round < 44; ++round) {
    // The first rounds are empty and tiny files.
    std::vector<uint8_t> bytes(round < 4 ? std::vector<size_t>{0, 1, 5, 33}[round] : 1 + random() % 9000);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    for (const Case& c : kCases) {
      const uint32_t start = bytes.empty() ? 0 : static_cast<uint32_t>(random() % bytes.size());
      const DumpResult result = DumpAt(c.decoder, c.type, start, 1 + static_cast<int>(random() % 20), bytes,
                                       round % 2 == 0);
      EXPECT_FALSE(result.text.empty());
    }
  }
}

TEST(OpticalRobustness, HostileUdfLengthsStayInsideTheDescriptor) {
  // Every length a descriptor can claim set to its largest value.
  for (uint16_t id : {6, 7, 257, 266}) {
    std::vector<uint8_t> d(2048, 0xFF);
    PutLe16(d.data(), id);
    const DumpResult result = DumpAt(DumpUdf, DumpType::Udf, 0, 1, d);
    EXPECT_NE(result.text.find("(truncated)"), std::string::npos) << id;
  }
}

}  // namespace
}  // namespace trovik::test
