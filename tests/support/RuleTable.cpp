#include "support/RuleTable.h"

#include <gtest/gtest.h>

#include "support/ReportCapture.h"

namespace trovik::test {

namespace {

Patch LittleEndian(uint64_t offset, uint64_t value, int width) {
  Patch p{offset, {}};
  for (int i = 0; i < width; ++i) p.bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return p;
}

}  // namespace

Patch U8(uint64_t offset, uint8_t value) { return {offset, {value}}; }
Patch Le16(uint64_t offset, uint16_t value) { return LittleEndian(offset, value, 2); }
Patch Le32(uint64_t offset, uint32_t value) { return LittleEndian(offset, value, 4); }
Patch Le64(uint64_t offset, uint64_t value) { return LittleEndian(offset, value, 8); }
Patch Text(uint64_t offset, const std::string& text) { return {offset, {text.begin(), text.end()}}; }

std::vector<std::string> RedLines(const std::string& marked) {
  std::vector<std::string> lines;
  size_t begin = 0;
  bool inRed = false;
  while (begin < marked.size()) {
    size_t end = marked.find('\n', begin);
    if (end == std::string::npos) end = marked.size();
    std::string line = marked.substr(begin, end - begin);
    // A red range that takes the line break ends as "\n]]": keep its close
    // on the line it belongs to.
    const bool closesNext = end < marked.size() && marked.compare(end + 1, 2, "]]") == 0;
    begin = end + 1 + (closesNext ? 2 : 0);
    if (closesNext) line += "\\n]]";
    const bool red = inRed || line.find("[[") != std::string::npos;
    // Track a range left open across the line break.
    for (size_t i = 0; i + 1 < line.size(); ++i) {
      if (line.compare(i, 2, "[[") == 0) inRed = true, ++i;
      else if (line.compare(i, 2, "]]") == 0) inRed = false, ++i;
    }
    if (red) lines.push_back(line.substr(std::min(line.find_first_not_of(' '), line.size())));
  }
  return lines;
}

void Apply(std::vector<uint8_t>& bytes, const std::vector<Patch>& patches) {
  for (const Patch& p : patches) {
    if (bytes.size() < p.offset + p.bytes.size()) bytes.resize(p.offset + p.bytes.size());
    std::copy(p.bytes.begin(), p.bytes.end(), bytes.begin() + static_cast<ptrdiff_t>(p.offset));
  }
}

std::vector<uint8_t> Built(size_t size, const std::vector<Patch>& patches) {
  std::vector<uint8_t> bytes(size);
  Apply(bytes, patches);
  return bytes;
}

void ExpectRules(const DumpRequest& request, const std::vector<uint8_t>& valid, const std::vector<RuleCase>& cases) {
  const auto clean = RunOnBytes(request, valid);
  EXPECT_EQ(RedLines(clean.marked), std::vector<std::string>{}) << "the valid structure earns red:\n" << clean.marked;
  for (const RuleCase& c : cases) {
    std::vector<uint8_t> bytes = valid;
    Apply(bytes, c.patches);
    const auto result = RunOnBytes(request, bytes);
    EXPECT_EQ(RedLines(result.marked), c.red) << c.what;
  }
}

}  // namespace trovik::test
