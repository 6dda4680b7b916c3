#include "support/FakeFile.h"

#include <algorithm>

namespace trovik::test {

FakeFile::FakeFile(const std::vector<uint8_t>& bytes, uint64_t at) : size_(0) { Put(at, bytes); }

void FakeFile::Put(uint64_t offset, const std::vector<uint8_t>& bytes) {
  pieces_.emplace_back(offset, bytes);
  size_ = std::max(size_, offset + bytes.size());
}

std::vector<uint8_t> FakeFile::Get(uint64_t offset, size_t length) const {
  std::vector<uint8_t> out(length, 0);
  for (const auto& [at, piece] : pieces_) {  // later pieces lie over earlier ones
    const uint64_t from = std::max(at, offset), to = std::min(at + piece.size(), offset + length);
    for (uint64_t i = from; i < to; ++i) out[i - offset] = piece[i - at];
  }
  return out;
}

size_t FakeFile::ReadAt(uint64_t offset, void* buffer, size_t len) {
  log.push_back({false, offset, len});
  if (failReadAt >= offset && failReadAt - offset < len) throw FileError("Error reading file: Input/output error");
  const size_t n = offset >= size_ ? 0 : static_cast<size_t>(std::min<uint64_t>(len, size_ - offset));
  // std::copy and std::fill, unlike memcpy and memset, allow the null pointer of an empty read.
  const std::vector<uint8_t> bytes = Get(offset, n);
  std::fill(std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(buffer)), static_cast<uint8_t*>(buffer) + len, 0);
  return n;
}

void FakeFile::WriteAt(uint64_t offset, const void* buffer, size_t len) {
  log.push_back({true, offset, len});
  if (failWrites) throw FileError("Error writing file: No space left on device");
  const auto* p = static_cast<const uint8_t*>(buffer);
  Put(offset, std::vector<uint8_t>(p, p + len));
}

std::vector<FakeFile::Access> FakeFile::Writes() const {
  std::vector<Access> writes;
  for (const Access& a : log)
    if (a.write) writes.push_back(a);
  return writes;
}

std::string FakeFile::OutOfBounds() const {
  const uint64_t size = size_ + claimedExtra;
  for (const Access& a : log)
    if (a.offset > size || a.length > size - a.offset)
      return std::string(a.write ? "write" : "read") + " of " + std::to_string(a.length) + " bytes at " +
             std::to_string(a.offset) + " in a file of " + std::to_string(size);
  return "";
}

}  // namespace trovik::test
