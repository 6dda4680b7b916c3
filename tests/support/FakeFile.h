// A file for tests: any size (pieces of bytes at their offsets, zeros
// elsewhere, so a file past 4 GiB costs nothing), every read and write
// logged, and faults on request.
#pragma once

#include <cstdint>
#include <utility>
#include <string>
#include <vector>

#include "engine/FileAccess.h"

namespace trovik::test {

class FakeFile : public FileAccess {
 public:
  struct Access {
    bool write;
    uint64_t offset;
    size_t length;
  };

  explicit FakeFile(uint64_t size) : size_(size) {}
  explicit FakeFile(const std::vector<uint8_t>& bytes, uint64_t at = 0);

  // Puts bytes at an offset; the file grows to hold them.
  void Put(uint64_t offset, const std::vector<uint8_t>& bytes);
  // The file's bytes in [offset, offset + length), zeros where nothing lies.
  std::vector<uint8_t> Get(uint64_t offset, size_t length) const;

  uint64_t claimedExtra = 0;       // Size() claims this many bytes more than reads deliver
  uint64_t failReadAt = UINT64_MAX;  // a read that covers this offset fails
  bool failWrites = false;
  std::vector<Access> log;

  uint64_t Size() override { return size_ + claimedExtra; }
  size_t ReadAt(uint64_t offset, void* buffer, size_t len) override;
  void WriteAt(uint64_t offset, const void* buffer, size_t len) override;

  std::vector<Access> Writes() const;
  // Accesses that reach past the end of the file ("" when none).
  std::string OutOfBounds() const;

 private:
  uint64_t size_;
  std::vector<std::pair<uint64_t, std::vector<uint8_t>>> pieces_;  // in the order they were put
};

}  // namespace trovik::test
