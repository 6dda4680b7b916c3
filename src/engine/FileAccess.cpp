#include "engine/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace trovik {

std::string OpenErrorMessage(int errorNumber) {
  std::string message = "Error opening file: ";
  switch (errorNumber) {
    case EMFILE:
    case ENFILE:
      return message + "Too many open files";
    case EACCES:
    case EPERM:
    case EROFS:
      return message + "Access Denied";
    case ETXTBSY:
    case EBUSY:
      return message + "Sharing Violation";
    default:
      return message + std::strerror(errorNumber);
  }
}

std::unique_ptr<PosixFile> PosixFile::Open(const std::string& path, OpenMode mode) {
  // Without O_NONBLOCK, opening a FIFO that has no writer waits for one
  // for ever; a FIFO is refused below anyway.
  int flags = (mode == OpenMode::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK;
  int fd;
  do {
    fd = ::open(path.c_str(), flags);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw FileError(OpenErrorMessage(errno), errno);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    throw FileError(OpenErrorMessage(EISDIR));
  }
  // Pipes and sockets have neither a size nor offsets to read at.
  if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) {
    ::close(fd);
    throw FileError(kNotSeekableText);
  }
  // A character device (a terminal, /dev/zero) reports no size, so a run
  // would dump nothing and look like a success.
  if (S_ISCHR(st.st_mode)) {
    ::close(fd);
    throw FileError(kCharacterDeviceText);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return std::unique_ptr<PosixFile>(new PosixFile(fd));
}

std::unique_ptr<PosixFile> OpenPreferringWrite(const std::string& path, std::string& writeRefused) {
  writeRefused.clear();
  try {
    return PosixFile::Open(path, OpenMode::ReadWrite);
  } catch (const FileError& error) {
    const int cause = error.Cause();
    if (cause != EACCES && cause != EPERM && cause != EROFS && cause != ETXTBSY) throw;
    auto file = PosixFile::Open(path, OpenMode::ReadOnly);
    writeRefused = error.what();
    return file;
  }
}

PosixFile::~PosixFile() { ::close(fd_); }

uint64_t PosixFile::Size() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) throw FileError(std::string("Error reading file: ") + std::strerror(errno));
  if (S_ISREG(st.st_mode)) return static_cast<uint64_t>(st.st_size);
  // Block devices report their size through lseek; pipes have none.
  off_t end = ::lseek(fd_, 0, SEEK_END);
  return end < 0 ? 0 : static_cast<uint64_t>(end);
}

size_t PosixFile::ReadAt(uint64_t offset, void* buffer, size_t len) {
  auto* out = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < len) {
    ssize_t n = ::pread(fd_, out + done, len - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      std::memset(out + done, 0, len - done);
      throw FileError(std::string("Error reading file: ") + std::strerror(errno));
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  std::memset(out + done, 0, len - done);
  return done;
}

void PosixFile::WriteAt(uint64_t offset, const void* buffer, size_t len) {
  const auto* in = static_cast<const uint8_t*>(buffer);
  size_t done = 0;
  while (done < len) {
    ssize_t n = ::pwrite(fd_, in + done, len - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      std::string message = std::string("Error writing file: ") + std::strerror(errno);
      if (done > 0) message += " (the structure was written only in part)";
      throw FileError(message);
    }
    done += static_cast<size_t>(n);
  }
}

size_t MemoryFile::ReadAt(uint64_t offset, void* buffer, size_t len) {
  auto* out = static_cast<uint8_t*>(buffer);
  size_t n = 0;
  if (offset < bytes_.size()) n = static_cast<size_t>(std::min<uint64_t>(len, bytes_.size() - offset));
  if (n) std::memcpy(out, bytes_.data() + offset, n);
  std::memset(out + n, 0, len - n);
  return n;
}

void MemoryFile::WriteAt(uint64_t offset, const void* buffer, size_t len) {
  if (offset + len > bytes_.size()) bytes_.resize(offset + len);
  if (len) std::memcpy(bytes_.data() + offset, buffer, len);
}

}  // namespace trovik
