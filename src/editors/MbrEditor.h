// The MBR entry editor's model: the boxes of one 16-byte partition entry
// (the CHS boxes hold the entry's stored bytes) and the "Gen" buttons that
// fill a CHS triple from the LBA boxes.
#pragma once

#include <cstdint>
#include <string>

namespace trovik {

struct MbrForm {
  std::string entryNumber;  // shown only
  std::string bootId;       // "0x%02X", read back as hexadecimal
  std::string startHead;
  std::string startSector;
  std::string startCylinder;
  std::string systemId;     // "0x%02X", read back as hexadecimal
  std::string endHead;
  std::string endSector;
  std::string endCylinder;
  std::string startLba;
  std::string sectorCount;
};

MbrForm LoadMbrForm(const uint8_t* entry16, int index);
// Stores every box but "Entry #" into the entry, each keeping its
// low-order bits.
void StoreMbrForm(const MbrForm& form, uint8_t* entry16);

// "Gen" of "Starting CHS": the stored head, sector and cylinder bytes of the
// "Starting LBA" box's sector, as unsigned decimal texts.
void GenerateStartChs(MbrForm& form);
// "Gen" of "Ending CHS": the same for the partition's last sector,
// "Starting LBA" + "Sector Count" - 1.
void GenerateEndChs(MbrForm& form);

}  // namespace trovik
