// Files on disk for tests: a scratch folder removed with all it holds, and
// whole-file reads and writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trovik::test {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Writes the bytes to a file of the folder and gives its path.
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
  // Mounts a tmpfs of `bytes` on the folder, or throws with the reason
  // (when this process may not mount, say); then remounts it read-only.
  void MountTmpfs(size_t bytes);
  void RemountReadOnly();

 private:
  std::string path_;
  bool mounted_ = false;
};

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::string& path);
std::string ReadText(const std::string& path);
// A file of the test data folder (tests/data); throws when it is missing.
std::vector<uint8_t> ReadTestFile(const std::string& name);
std::string ReadTestText(const std::string& name);
std::string TestDataPath(const std::string& name);

}  // namespace trovik::test
