// What the desktop application asks of the system about memory.
#pragma once

#include <cstdint>

namespace trovik {

// Memory the system can give without swapping (MemAvailable), in bytes; 0
// when it cannot be read.
uint64_t AvailableMemoryBytes();

// Hands pages the allocator keeps after a large report was freed back to
// the system, so the process shrinks after File > New and Open Text.
void ReleaseFreedMemory();

// The process's resident memory now, in bytes (0 when unknown).
uint64_t ResidentMemoryBytes();

}  // namespace trovik
