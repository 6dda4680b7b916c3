#include "faults/FaultSupport.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace trovik::faults {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "trovik-faults.XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

bool ScratchDir::MountTmpfs(size_t bytes, std::string& why) {
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    why = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
    return false;
  }
  mounted_ = true;
  return true;
}

bool ScratchDir::RemountReadOnly(std::string& why) {
  if (::mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
    why = std::string("cannot remount read-only: ") + std::strerror(errno);
    return false;
  }
  return true;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

test::DumpResult RunOn(const DumpRequest& request, FileAccess& file, test::ScriptedHost& host) {
  test::CaptureSink sink;
  const RunStatus status = RunDump(request, file, sink, host);
  return {status, sink.Text(), sink.Marked(), host.messages};
}

int OpenDescriptorCount() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

}  // namespace trovik::faults
