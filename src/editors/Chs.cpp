#include "editors/Chs.h"

namespace trovik {

ChsBytes PackChs(const ChsValues& chs) {
  ChsBytes b;
  b.head = static_cast<uint8_t>(chs.head);
  b.sector = static_cast<uint8_t>(chs.sector | ((chs.cylinder >> 2) & 0xC0u));
  b.cylinder = static_cast<uint8_t>(chs.cylinder & 0xFFu);
  return b;
}

ChsValues LbaToChsCapped(uint64_t lba) {
  if (lba > kMaxChsLba) return {kChsCylinders - 1, mbr::kHeads - 1, mbr::kSectorsPerTrack};
  return LbaToChs(static_cast<int32_t>(lba));
}

}  // namespace trovik
