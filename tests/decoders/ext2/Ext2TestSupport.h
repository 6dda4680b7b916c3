// Shared by the ext2 family's tests: running a decoder over bytes and
// reading the reference listings that e2fsprogs wrote beside the samples.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "decoders/ext2/Ext2Decoders.h"
#include "engine/ByteOrder.h"
#include "support/ReportCapture.h"

namespace trovik::test {

inline DumpResult RunExt2(Decoder decoder, DumpType type, const std::vector<uint8_t>& bytes, uint32_t start = 0,
                          int count = 1, ScriptedHost* host = nullptr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", start);
  return RunDecoder(decoder, MakeRequest(type, text, "0", count), bytes, host);
}

inline std::string SampleText(const std::string& name) {
  const std::vector<uint8_t> bytes = ReadTestFile("ext2/" + name);
  return std::string(bytes.begin(), bytes.end());
}

// The value after "key:" on the line that starts with key, blanks trimmed
// ("" when there is no such line). Works for dumpe2fs -h and the layout notes.
inline std::string ReferenceField(const std::string& file, const std::string& key) {
  std::istringstream in(SampleText(file));
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + ":", 0) != 0) continue;
    std::string value = line.substr(key.size() + 1);
    const size_t first = value.find_first_not_of(" \t");
    const size_t last = value.find_last_not_of(" \t");
    return first == std::string::npos ? "" : value.substr(first, last - first + 1);
  }
  return "";
}

inline long ReferenceNumber(const std::string& file, const std::string& key) {
  return std::stol(ReferenceField(file, key));
}

// The line of the report that begins with the right-aligned label, without
// its line break ("" when there is none).
inline std::string ReportLine(const std::string& report, const std::string& label) {
  std::istringstream in(report);
  std::string line;
  while (std::getline(in, line)) {
    const size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos && line.compare(first, label.size() + 1, label + ":") == 0) return line;
  }
  return "";
}

}  // namespace trovik::test
