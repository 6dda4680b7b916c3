// The BPB editor's model: the texts of its boxes filled from a FAT12/16
// BIOS parameter block (62 bytes) and stored back into it, and the serial
// number generator of its "Generate" button.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace trovik {

struct BpbForm {
  std::array<std::string, 3> jump;  // two hex digits each, no prefix
  std::u16string oemName;
  std::string bytesPerSector;
  std::string sectorsPerCluster;
  std::string reservedSectors;
  std::string fatCount;
  std::string rootEntries;
  std::string totalSectors;
  std::string descriptor;        // "0x%02X"
  std::string sectorsPerFat;
  std::string sectorsPerTrack;
  std::string heads;
  std::string hiddenSectors;
  std::string sectorsExtended;
  std::string driveNumber;
  std::string reserved;
  std::string signature;         // "0x%02X"
  std::string serial;            // "0x%08X"
  std::u16string label;
  bool fat16 = false;            // the "16" button; the "12" button otherwise
};

BpbForm LoadBpbForm(const uint8_t* bpb62);
// Stores every box into its field: the jump bytes as hexadecimal, the other
// numbers with the automatic base, each keeping its low-order bits; the two
// texts zero-padded; the type field "FAT12   " or "FAT16   ".
void StoreBpbForm(const BpbForm& form, uint8_t* bpb62);

// A 15-bit pseudo-random generator (the portable example generator of the
// C standard).
class SerialGenerator {
 public:
  explicit SerialGenerator(uint32_t seed = 1) : state_(seed) {}
  uint32_t Next15();
  // Two draws: the first fills bits 16-30, the second bits 0-14.
  uint32_t NextSerial();

 private:
  uint32_t state_ = 1;
};

// The serial of the next "Generate" press, from one generator for the whole
// program seeded from the clock when it is first used (a volume serial is
// there to tell volumes apart, so each start must give new ones), formatted
// as the box shows it ("0x%08X").
std::string GenerateSerialText();

}  // namespace trovik
