// Cylinder/head/sector packing for the fixed geometry of the MBR editor and
// the LBA/CHS converter: 63 sectors per track, 16 heads, 1024 cylinders.
#pragma once

#include <cstdint>

#include "decoders/partition/MbrLayout.h"

namespace trovik {

inline constexpr uint32_t kChsCylinders = 1024;
// 1024 x 16 x 63 - 1: the last sector a CHS triple of this geometry reaches.
inline constexpr uint32_t kMaxChsLba = kChsCylinders * mbr::kHeads * mbr::kSectorsPerTrack - 1;

// The three bytes of a partition entry's CHS triple: bits 8-9 of the
// cylinder go to bits 6-7 of the sector byte.
struct ChsBytes {
  uint8_t head = 0;
  uint8_t sector = 0;
  uint8_t cylinder = 0;
};
ChsBytes PackChs(const ChsValues& chs);

// LBA to CHS for an unsigned LBA; one beyond the geometry gives its last
// triple, 1023/15/63, as partitioning tools store it.
ChsValues LbaToChsCapped(uint64_t lba);

}  // namespace trovik
