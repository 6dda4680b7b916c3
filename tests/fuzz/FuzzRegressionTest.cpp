// Replays every input the fuzzer ever failed on, and runs each type of the
// table through the corners the fuzzer reaches only now and then. Under the
// sanitizer build a fault shows as a failing test; in the ordinary build a
// crash or a stray exception does.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "catalog/Catalog.h"
#include "fuzz/FuzzInput.h"
#include "support/Scratch.h"

namespace trovik {
namespace {

TEST(FuzzRegressions, EveryCommittedInputRunsToAnEnding) {
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TROVIK_FUZZ_REGRESSIONS_DIR)) {
    if (entry.path().extension() != ".bin") continue;
    const auto input = test::ReadFile(entry.path().string());
    SCOPED_TRACE(entry.path().filename().string());
    const auto outcome = fuzz::RunInput(input.data(), input.size());
    EXPECT_NE(outcome.status, RunStatus::Unavailable);
    ++replayed;
  }
  RecordProperty("replayed", replayed);
  // An empty folder would make this test pass without replaying anything.
  EXPECT_GT(replayed, 0) << "no .bin inputs in " << TROVIK_FUZZ_REGRESSIONS_DIR;
}

// A sample of every family at once: a partition table, FAT and ext2
// structures, an ISO 9660 volume and an executable, cut to one window.
std::vector<uint8_t> SampleWindow(const std::string& name, size_t offset, size_t size) {
  const auto image = test::ReadTestFile(name);
  if (offset >= image.size()) return {};
  const size_t end = std::min(image.size(), offset + size);
  return {image.begin() + static_cast<long>(offset), image.begin() + static_cast<long>(end)};
}

TEST(FuzzRegressions, EveryTypeInEveryPlacementAndModeRunsToAnEnding) {
  const std::vector<std::vector<uint8_t>> windows = {
      SampleWindow("partition/gpt.bin", 0, 4096),   SampleWindow("fat/fat12.img", 0, 4096),
      SampleWindow("ext2/ext4-super.bin", 0, 1024), SampleWindow("optical/iso-joliet.iso", 0x8000, 4096),
      SampleWindow("exe/hello64.exe", 0, 4096),     std::vector<uint8_t>(),
  };
  const auto table = DumpTypeTable();
  // Flags: plain, sectors of 2048 bytes, edit mode with editors that change
  // and confirm, an address answer, an abort after three polls, a failing
  // read, failing writes.
  const uint8_t flagSets[] = {0, 1 | 2, 8 | 16, 4, 128, 64, 8 | 16 | 32};
  for (size_t row = 0; row < table.size(); ++row) {
    for (const auto& window : windows) {
      for (uint8_t placement : {0, 1, 2, 3, 4}) {
        for (uint8_t flags : flagSets) {
          auto input = fuzz::MakeInput(static_cast<int>(row), flags, placement, 7, 0x1BE, 0x3FF, window);
          input[13] = 1;   // an address is given
          input[14] = 3;   // abort polls, failing read offset
          input[15] = 2;
          const auto outcome = fuzz::RunInput(input.data(), input.size());
          EXPECT_NE(outcome.status, RunStatus::Unavailable) << table[row].name;
        }
      }
    }
  }
}

}  // namespace
}  // namespace trovik
