#include "editors/MbrEditor.h"

#include "decoders/partition/MbrLayout.h"
#include "editors/Chs.h"
#include "editors/FieldText.h"
#include "engine/TextFormat.h"

namespace trovik {

namespace {

// The boxes receive the bytes as the entry stores them, so that a cylinder
// above 255 keeps its bits 8-9 (in the sector byte) when OK stores the
// boxes unchanged.
void SetChsBoxes(uint64_t lba, std::string& head, std::string& sector, std::string& cylinder) {
  const ChsBytes b = PackChs(LbaToChsCapped(lba));
  head = Format("%u", b.head);
  sector = Format("%u", b.sector);
  cylinder = Format("%u", b.cylinder);
}

uint32_t Field32(const std::string& text) { return static_cast<uint32_t>(ParseAutoBase(text)); }

}  // namespace

MbrForm LoadMbrForm(const uint8_t* entry16, int index) {
  const MbrEntry e = MbrEntry::Parse(entry16);
  MbrForm f;
  f.entryNumber = Format("%u", static_cast<unsigned>(index));
  f.bootId = Format("0x%02X", e.bootId);
  f.startHead = Format("%u", e.startHead);
  f.startSector = Format("%u", e.startSector);
  f.startCylinder = Format("%u", e.startCylinder);
  f.systemId = Format("0x%02X", e.systemId);
  f.endHead = Format("%u", e.endHead);
  f.endSector = Format("%u", e.endSector);
  f.endCylinder = Format("%u", e.endCylinder);
  f.startLba = Format("%u", e.startLba);
  f.sectorCount = Format("%u", e.size);
  return f;
}

void StoreMbrForm(const MbrForm& f, uint8_t* entry16) {
  MbrEntry e;
  e.bootId = static_cast<uint8_t>(ParseHex(f.bootId));
  e.startHead = static_cast<uint8_t>(ParseAutoBase(f.startHead));
  e.startSector = static_cast<uint8_t>(ParseAutoBase(f.startSector));
  e.startCylinder = static_cast<uint8_t>(ParseAutoBase(f.startCylinder));
  e.systemId = static_cast<uint8_t>(ParseHex(f.systemId));
  e.endHead = static_cast<uint8_t>(ParseAutoBase(f.endHead));
  e.endSector = static_cast<uint8_t>(ParseAutoBase(f.endSector));
  e.endCylinder = static_cast<uint8_t>(ParseAutoBase(f.endCylinder));
  e.startLba = Field32(f.startLba);
  e.size = Field32(f.sectorCount);
  e.Store(entry16);
}

void GenerateStartChs(MbrForm& f) { SetChsBoxes(Field32(f.startLba), f.startHead, f.startSector, f.startCylinder); }

void GenerateEndChs(MbrForm& f) {
  // In 64 bits, so a partition reaching past 2^32 sectors caps the triple
  // instead of wrapping to a small LBA; an empty partition at 0 gives 0.
  const uint64_t end = uint64_t{Field32(f.startLba)} + Field32(f.sectorCount);
  SetChsBoxes(end == 0 ? 0 : end - 1, f.endHead, f.endSector, f.endCylinder);
}

}  // namespace trovik
