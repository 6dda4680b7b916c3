// Rule cases as a table: a structure that keeps every rule, then one byte
// patch per case and the lines it must turn red, no more and no fewer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/DumpRequest.h"

namespace trovik::test {

// Bytes laid over the structure at an offset of its own (little-endian
// numbers written byte by byte here, not with the product's helpers).
struct Patch {
  uint64_t offset;
  std::vector<uint8_t> bytes;
};
Patch U8(uint64_t offset, uint8_t value);
Patch Le16(uint64_t offset, uint16_t value);
Patch Le32(uint64_t offset, uint32_t value);
Patch Le64(uint64_t offset, uint64_t value);
Patch Text(uint64_t offset, const std::string& text);  // the characters, no terminator

struct RuleCase {
  std::string what;            // shown when the case fails
  std::vector<Patch> patches;
  std::vector<std::string> red;  // RedLines of the report, in order
};

// Every line of a marked report that holds red, leading blanks removed, the
// red part in [[ ]] (a red line break is shown before the "]]").
std::vector<std::string> RedLines(const std::string& marked);

void Apply(std::vector<uint8_t>& bytes, const std::vector<Patch>& patches);
// Bytes of the given size, zeros but for the patches.
std::vector<uint8_t> Built(size_t size, const std::vector<Patch>& patches);

// Runs the request over `valid` (which must earn no red line), then over
// each case's patched copy, and compares the red lines.
void ExpectRules(const DumpRequest& request, const std::vector<uint8_t>& valid, const std::vector<RuleCase>& cases);

}  // namespace trovik::test
