// Replays every input the fuzzer ever failed on. Under the sanitizer build a
// fault shows as a failing test; in the ordinary build a crash, a stray
// exception or a write other than the confirmed structure's (a trap) does.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz/FuzzInput.h"
#include "support/Scratch.h"

namespace trovik {
namespace {

TEST(FuzzRegressions, EveryCommittedInputRunsToAnEnding) {
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TROVIK_FUZZ_REGRESSIONS_DIR)) {
    if (entry.path().extension() != ".bin") continue;
    const auto input = test::ReadFile(entry.path().string());
    EXPECT_NE(fuzz::RunInput(input.data(), input.size()), RunStatus::Unavailable) << entry.path().filename();
    ++replayed;
  }
  // An empty folder would make this test pass without replaying anything.
  EXPECT_GT(replayed, 0) << "no .bin inputs in " << TROVIK_FUZZ_REGRESSIONS_DIR;
}

}  // namespace
}  // namespace trovik
