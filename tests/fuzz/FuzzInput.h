// How a fuzz input becomes one dump run. Shared by the libFuzzer target and
// the regression test that replays the inputs it once failed on.
//
// Layout: a header of kHeaderSize bytes, then the file's bytes.
//   [0]      row of the type table (modulo its size)
//   [1]      flags: 1 "Is ISO?", 2 sector offsets, 4 ask for an address,
//            8 edit mode, 16 editors answer OK, 32 writes fail,
//            64 a read fails, 128 abort after some polls
//   [2]      bits 0-1: where the bytes lie in the file (0 at offset 0,
//            1 ending at 4 GiB, 2 across 4 GiB, 3 in a file that reports
//            more bytes than it holds); bit 2: start and end are taken
//            as they stand instead of inside the bytes; bit 3: the
//            structure map is built over the file too; bits 6 and 7 with
//            the top bits of count: a Count near 1000
//   [3..4]   count
//   [5..8]   start
//   [9..12]  end
//   [12..15] address answer (when bit 0 of [13] is set); [13..15] also
//            the editor pattern, [14] the polls before an abort, [14..15]
//            the offset of a failing read
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "catalog/Catalog.h"
#include "engine/RunHost.h"
#include "support/FakeFile.h"

namespace trovik::fuzz {

inline constexpr size_t kHeaderSize = 16;

// The bytes placed at offset `base` of an otherwise zero file, so offsets
// near 4 GiB are reached without gigabytes of memory (claimedExtra: a file
// that shrank). The only write a run may make is the one an editor
// confirmed: exactly the structure it was shown, at the offset that
// structure was read from, and inside the file. Any other write is a
// finding: the process traps, so the fuzzer keeps the input.
class WindowFile : public test::FakeFile {
 public:
  using FakeFile::FakeFile;
  // Called when an editor confirms: the next write must be `len` bytes at
  // the offset of the last read, which is where the structure came from.
  void ExpectWrite(size_t len) { expected_ = {lastRead_, len}; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t len) override {
    lastRead_ = offset;
    return FakeFile::ReadAt(offset, buffer, len);
  }
  void WriteAt(uint64_t offset, const void* buffer, size_t len) override;

 private:
  uint64_t lastRead_ = UINT64_MAX;
  std::pair<uint64_t, size_t> expected_;
};

// Runs the input. Inputs shorter than the header are padded with zeros. The
// run handles file errors itself; any other exception escapes, and is a
// finding.
RunStatus RunInput(const uint8_t* data, size_t size);

// Builds an input (for seeds and tests).
std::vector<uint8_t> MakeInput(int tableRow, uint8_t flags, uint8_t placement, uint16_t count, uint32_t start,
                               uint32_t end, const std::vector<uint8_t>& file);

}  // namespace trovik::fuzz
