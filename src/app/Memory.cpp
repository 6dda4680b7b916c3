#include "app/Memory.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace trovik {

uint64_t AvailableMemoryBytes() {
  uint64_t bytes = 0;
  if (FILE* info = std::fopen("/proc/meminfo", "r")) {
    char line[256];
    unsigned long long kib = 0;
    while (std::fgets(line, sizeof line, info)) {
      if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1) {
        bytes = static_cast<uint64_t>(kib) * 1024;
        break;
      }
    }
    std::fclose(info);
  }
  if (bytes == 0) {
    const long pages = sysconf(_SC_AVPHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) bytes = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
  }
  return bytes;
}

void ReleaseFreedMemory() {
#if defined(__GLIBC__)
  // Freed blocks of a report lie all over the heap (and in the arena of the
  // run's worker thread); only a trim returns their pages.
  malloc_trim(0);
#endif
}

uint64_t ResidentMemoryBytes() {
  uint64_t bytes = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    unsigned long long size = 0, resident = 0;
    if (std::fscanf(statm, "%llu %llu", &size, &resident) == 2)
      bytes = static_cast<uint64_t>(resident) * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    std::fclose(statm);
  }
  return bytes;
}

}  // namespace trovik
