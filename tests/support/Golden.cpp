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
  out.reserve(cp1252.size());
  for (const char c : cp1252) {
    const char16_t u = Cp1252ToUnicode(static_cast<uint8_t>(c));
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
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
