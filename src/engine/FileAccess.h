// Positioned file access. Every read and write names its offset, a short
// read leaves zeros in the rest of the buffer and reports how many bytes
// were really read, and every failure becomes a FileError whose text says
// what went wrong in words a user understands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace trovik {

class FileError : public std::runtime_error {
 public:
  explicit FileError(const std::string& what, int cause = 0) : std::runtime_error(what), cause_(cause) {}
  // The system's error number, when one caused it; else 0.
  int Cause() const { return cause_; }

 private:
  int cause_;
};

class FileAccess {
 public:
  virtual ~FileAccess() = default;
  virtual uint64_t Size() = 0;
  // Reads up to len bytes at offset; bytes past the end of the file are
  // zero-filled. Returns the number of bytes that came from the file.
  virtual size_t ReadAt(uint64_t offset, void* buffer, size_t len) = 0;
  // Writes exactly len bytes at offset or throws.
  virtual void WriteAt(uint64_t offset, const void* buffer, size_t len) = 0;
};

enum class OpenMode { ReadOnly, ReadWrite };

// A file of the operating system, read and written with pread/pwrite.
class PosixFile : public FileAccess {
 public:
  // Throws FileError with "Error opening file: " and the cause.
  static std::unique_ptr<PosixFile> Open(const std::string& path, OpenMode mode);
  ~PosixFile() override;
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  uint64_t Size() override;
  size_t ReadAt(uint64_t offset, void* buffer, size_t len) override;
  void WriteAt(uint64_t offset, const void* buffer, size_t len) override;

 private:
  explicit PosixFile(int fd) : fd_(fd) {}
  int fd_;
};

// A file held in memory: for tests and for callers that already hold the
// bytes.
class MemoryFile : public FileAccess {
 public:
  MemoryFile() = default;
  explicit MemoryFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() override { return bytes_.size(); }
  size_t ReadAt(uint64_t offset, void* buffer, size_t len) override;
  void WriteAt(uint64_t offset, const void* buffer, size_t len) override;
  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  std::vector<uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

// Opens for reading and writing, as a run that may edit needs. When the
// file may only be read (no write permission, a read-only file system or
// medium, a running program), opens it read-only instead and gives the
// refused open's message in writeRefused; throws FileError otherwise.
std::unique_ptr<PosixFile> OpenPreferringWrite(const std::string& path, std::string& writeRefused);

inline constexpr const char* kNotSeekableText = "Error opening file: Pipes and sockets cannot be dumped";
inline constexpr const char* kCharacterDeviceText = "Error opening file: Character devices cannot be dumped";

// The message a failed open shows: the three causes users meet most get
// short words of their own, anything else the system's description.
std::string OpenErrorMessage(int errorNumber);

}  // namespace trovik
