#include "support/Golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engine/CodePage.h"
#include "support/Scratch.h"

namespace trovik::test {

void ExpectGolden(const std::string& actual, std::string_view name) {
  const std::filesystem::path path = std::filesystem::path(TROVIK_GOLDEN_DIR) / (std::string(name) + ".txt");
  const char* update = std::getenv("TROVIK_UPDATE_GOLDEN");
  if (update && *update && std::string(update) != "0") {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  ASSERT_TRUE(std::filesystem::exists(path)) << "no golden file " << path << " (run with TROVIK_UPDATE_GOLDEN=1 to write it)";
  EXPECT_EQ(actual, ReadText(path)) << "output differs from " << path;
}

void ExpectReport(const std::string& marked, std::string_view name) {
  std::string utf8;
  AppendCp1252TextAsUtf8(utf8, marked);
  ExpectGolden(utf8, name);
}

}  // namespace trovik::test
