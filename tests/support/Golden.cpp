#include "support/Golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "engine/CodePage.h"

namespace trovik::test {

std::string ToUtf8(std::string_view cp1252) {
  std::string out;
  AppendCp1252TextAsUtf8(out, cp1252);
  return out;
}

void ExpectReport(const std::string& marked, std::string_view name) {
  const std::filesystem::path path = std::filesystem::path(TROVIK_GOLDEN_DIR) / (std::string(name) + ".txt");
  const std::string actual = ToUtf8(marked);
  const char* update = std::getenv("TROVIK_UPDATE_GOLDEN");
  if (update && *update && std::string(update) != "0") {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "no golden file " << path << " (run with TROVIK_UPDATE_GOLDEN=1 to write it)";
  const std::string expected{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(actual, expected) << "report differs from " << path;
}

}  // namespace trovik::test
