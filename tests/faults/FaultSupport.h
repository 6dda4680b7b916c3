// Helpers of the file fault tests: scratch folders and files, a small tmpfs
// when this machine lets the test mount one, and a run over a real file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/DumpRun.h"
#include "support/ReportCapture.h"

namespace trovik::faults {

// A fresh folder under the system's temporary folder, removed with all it
// holds (and unmounted, if a file system was mounted on it).
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Mounts a tmpfs of `bytes` on the folder; false (with the reason) when
  // this process may not mount.
  bool MountTmpfs(size_t bytes, std::string& why);
  bool RemountReadOnly(std::string& why);

 private:
  std::string path_;
  bool mounted_ = false;
};

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::string& path);

// Runs the request over an open file with a scripted front end.
test::DumpResult RunOn(const DumpRequest& request, FileAccess& file, test::ScriptedHost& host);

// The open file descriptors of this process (to see that none is left).
int OpenDescriptorCount();

}  // namespace trovik::faults
