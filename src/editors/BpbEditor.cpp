#include "editors/BpbEditor.h"

#include <chrono>
#include <cstring>

#include "decoders/fat/FatLayout.h"
#include "editors/FieldText.h"
#include "engine/TextFormat.h"

namespace trovik {

namespace {

constexpr char kFat12[] = "FAT12   ";
constexpr char kFat16[] = "FAT16   ";

// Seconds and microseconds of the wall clock folded together, as file
// system tools make a volume serial.
uint32_t ClockSeed() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now);
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now - seconds);
  return static_cast<uint32_t>(seconds.count() << 20) ^ static_cast<uint32_t>(micros.count());
}

}  // namespace

BpbForm LoadBpbForm(const uint8_t* bpb62) {
  const Fat12Bpb b = Fat12Bpb::Parse(bpb62);
  BpbForm f;
  for (size_t i = 0; i < f.jump.size(); ++i) f.jump[i] = Format("%02X", b.jump[i]);
  f.oemName = TextFieldToBox(b.oemName.data(), b.oemName.size());
  f.bytesPerSector = Format("%u", b.bytesPerSector);
  f.sectorsPerCluster = Format("%u", b.sectorsPerCluster);
  f.reservedSectors = Format("%u", b.reservedSectors);
  f.fatCount = Format("%u", b.fatCount);
  f.rootEntries = Format("%u", b.rootEntries);
  f.totalSectors = Format("%u", b.totalSectors16);
  f.descriptor = Format("0x%02X", b.mediaDescriptor);
  f.sectorsPerFat = Format("%u", b.sectorsPerFat);
  f.sectorsPerTrack = Format("%u", b.sectorsPerTrack);
  f.heads = Format("%u", b.heads);
  f.hiddenSectors = Format("%u", b.hiddenSectors);
  f.sectorsExtended = Format("%u", b.totalSectors32);
  f.driveNumber = Format("%u", b.driveNumber);
  f.reserved = Format("%u", b.reserved);
  f.signature = Format("0x%02X", b.bootSignature);
  f.serial = Format("0x%08X", b.serial);
  f.label = TextFieldToBox(b.label.data(), b.label.size());
  // Only "FAT16" counts as 16: a FAT32 or unreadable type opens as 12.
  f.fat16 = std::memcmp(b.fsType.data(), "FAT16", 5) == 0;
  return f;
}

void StoreBpbForm(const BpbForm& f, uint8_t* bpb62) {
  Fat12Bpb b = Fat12Bpb::Parse(bpb62);
  for (size_t i = 0; i < b.jump.size(); ++i) b.jump[i] = static_cast<uint8_t>(ParseHex(f.jump[i]));
  b.bytesPerSector = static_cast<uint16_t>(ParseAutoBase(f.bytesPerSector));
  b.sectorsPerCluster = static_cast<uint8_t>(ParseAutoBase(f.sectorsPerCluster));
  b.reservedSectors = static_cast<uint16_t>(ParseAutoBase(f.reservedSectors));
  b.fatCount = static_cast<uint8_t>(ParseAutoBase(f.fatCount));
  b.rootEntries = static_cast<uint16_t>(ParseAutoBase(f.rootEntries));
  b.totalSectors16 = static_cast<uint16_t>(ParseAutoBase(f.totalSectors));
  b.mediaDescriptor = static_cast<uint8_t>(ParseAutoBase(f.descriptor));
  b.sectorsPerFat = static_cast<uint16_t>(ParseAutoBase(f.sectorsPerFat));
  b.sectorsPerTrack = static_cast<uint16_t>(ParseAutoBase(f.sectorsPerTrack));
  b.heads = static_cast<uint16_t>(ParseAutoBase(f.heads));
  b.hiddenSectors = static_cast<uint32_t>(ParseAutoBase(f.hiddenSectors));
  b.totalSectors32 = static_cast<uint32_t>(ParseAutoBase(f.sectorsExtended));
  b.driveNumber = static_cast<uint8_t>(ParseAutoBase(f.driveNumber));
  b.reserved = static_cast<uint8_t>(ParseAutoBase(f.reserved));
  b.bootSignature = static_cast<uint8_t>(ParseAutoBase(f.signature));
  b.serial = static_cast<uint32_t>(ParseAutoBase(f.serial));
  BoxToTextField(f.oemName, b.oemName.data(), b.oemName.size());
  BoxToTextField(f.label, b.label.data(), b.label.size());
  std::memcpy(b.fsType.data(), f.fat16 ? kFat16 : kFat12, b.fsType.size());
  b.Store(bpb62);
}

uint32_t SerialGenerator::Next15() {
  state_ = state_ * 1103515245u + 12345u;
  return (state_ / 65536u) % 32768u;
}

uint32_t SerialGenerator::NextSerial() {
  const uint32_t high = Next15();
  const uint32_t low = Next15();
  return (high << 16) | low;
}

std::string GenerateSerialText() {
  // One sequence for the whole program: dialogs run on the UI thread only.
  static SerialGenerator generator(ClockSeed());
  return Format("0x%08X", generator.NextSerial());
}

}  // namespace trovik
