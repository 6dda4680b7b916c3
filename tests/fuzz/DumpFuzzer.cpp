// libFuzzer target: one whole dump run over arbitrary bytes. The first
// kHeaderSize bytes of an input choose the dump type (any row of the type
// table), the range, the count and the flags; the rest is the file. The run
// goes through RunDump exactly as the front ends call it, so a type that is
// wired into the dispatch is fuzzed without any change here.
#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  trovik::fuzz::RunInput(data, size);
  return 0;
}
