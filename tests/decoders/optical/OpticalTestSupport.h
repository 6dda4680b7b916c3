// Shared by the optical decoder tests: one call that dumps bytes at a byte
// offset, and small builders for constructed structures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "decoders/optical/OpticalDecoders.h"
#include "engine/TextFormat.h"
#include "support/ReportCapture.h"

namespace trovik::test {

inline DumpResult DumpAt(Decoder decoder, DumpType type, uint32_t start, int count, std::vector<uint8_t> bytes,
                         bool iso = false, ScriptedHost* host = nullptr) {
  DumpRequest request = MakeRequest(type, Format("0x%X", start), "0", count);
  request.isIso = iso;
  return RunDecoder(decoder, request, std::move(bytes), host);
}

inline size_t CountOf(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

inline bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace trovik::test
