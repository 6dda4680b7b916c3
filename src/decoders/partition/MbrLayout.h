// The MBR sector and its 16-byte partition entries: their layout, their
// checks and the cylinder/head/sector arithmetic that the listing and the
// entry editor share. The CHS bytes are kept as stored: the sector byte
// carries cylinder bits 8-9 in its top two bits.
#pragma once

#include "engine/ByteOrder.h"

namespace trovik {

namespace mbr {
namespace sector {
inline constexpr size_t kSize = 512;
inline constexpr Bytes kTable{0x1BE, 64};  // four entries
inline constexpr U16 kBootSignature{510};
}  // namespace sector

namespace entry {
inline constexpr size_t kSize = 16;
inline constexpr U8 kBootId{0};
inline constexpr U8 kStartHead{1};
inline constexpr U8 kStartSector{2};
inline constexpr U8 kStartCylinder{3};
inline constexpr U8 kSystemId{4};
inline constexpr U8 kEndHead{5};
inline constexpr U8 kEndSector{6};
inline constexpr U8 kEndCylinder{7};
inline constexpr U32 kStartLba{8};
inline constexpr U32 kSectorCount{12};
}  // namespace entry

inline constexpr int kTableEntries = 4;
inline constexpr uint16_t kBootSignatureValue = 0xAA55;

// The fixed geometry of the CHS generators: 63 sectors per track, 16 heads.
inline constexpr int32_t kSectorsPerTrack = 63;
inline constexpr int32_t kHeads = 16;
}  // namespace mbr

struct MbrEntry {
  uint8_t bootId = 0;
  uint8_t startHead = 0;
  uint8_t startSector = 0;    // stored byte, cylinder bits 8-9 included
  uint8_t startCylinder = 0;  // stored byte, cylinder bits 0-7
  uint8_t systemId = 0;
  uint8_t endHead = 0;
  uint8_t endSector = 0;
  uint8_t endCylinder = 0;
  uint32_t startLba = 0;
  uint32_t size = 0;

  static MbrEntry Parse(const uint8_t* bytes);
  void Store(uint8_t* bytes) const;
};

// Plain cylinder/head/sector numbers, not yet packed into bytes.
struct ChsValues {
  uint32_t cylinder = 0;
  uint32_t head = 0;
  uint32_t sector = 0;
};

// LBA to CHS with the fixed geometry; signed arithmetic truncating toward
// zero, as the editors' generators do it.
ChsValues LbaToChs(int32_t lba);
// The full 10-bit cylinder and the 6-bit sector of a stored CHS triple.
uint32_t ChsCylinder(uint8_t sectorByte, uint8_t cylinderByte);
inline uint32_t ChsSector(uint8_t sectorByte) { return sectorByte & 0x3Fu; }

// Checks of the listing.
inline bool IsUsualBootId(uint8_t id) { return id == 0x00 || id == 0x80; }
// The whole stored byte is compared: a cylinder bit in the top bits fails.
inline bool IsUsualStartSector(uint8_t sectorByte) { return sectorByte == 1; }

}  // namespace trovik
