#include "support/Scratch.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace trovik::test {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "trovik-test.XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
  WriteFile(File(name), bytes);
  return File(name);
}

void ScratchDir::MountTmpfs(size_t bytes) {
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) != 0)
    throw std::runtime_error(std::string("cannot mount a tmpfs here: ") + std::strerror(errno));
  mounted_ = true;
}

void ScratchDir::RemountReadOnly() {
  if (::mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) != 0)
    throw std::runtime_error(std::string("cannot remount read-only: ") + std::strerror(errno));
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  const std::string text = ReadText(path);
  return {text.begin(), text.end()};
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string TestDataPath(const std::string& name) { return std::string(TROVIK_TEST_DATA_DIR) + "/" + name; }

std::string ReadTestText(const std::string& name) {
  if (!std::filesystem::exists(TestDataPath(name))) throw std::runtime_error("missing test data file " + name);
  return ReadText(TestDataPath(name));
}

std::vector<uint8_t> ReadTestFile(const std::string& name) {
  const std::string text = ReadTestText(name);
  return {text.begin(), text.end()};
}

}  // namespace trovik::test
