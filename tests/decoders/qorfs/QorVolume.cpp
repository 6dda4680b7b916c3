#include "QorVolume.h"

#include <cstring>
#include <string>

#include "decoders/partition/Crc32.h"
#include "engine/ByteOrder.h"

namespace trovik::test::qor {

namespace {

constexpr uint32_t kSectors = 64;
constexpr uint32_t kDataLsn = 3;
constexpr uint32_t kRootEntries = 16;

uint8_t* Slot(std::vector<uint8_t>& volume, uint32_t offset) { return volume.data() + offset; }

void WriteSuperBlock(uint8_t* b) {
  PutLe32(b + 0, 0x514F5246);  // 'QORF'
  PutLe32(b + 4, 0x53555052);  // 'SUPR'
  PutLe16(b + 8, 0x0150);
  PutLe16(b + 10, 1);  // sectors per cluster
  b[12] = 0;           // no encryption
  b[13] = 2;           // two bitmaps
  PutLe16(b + 14, 1);
  PutLe32(b + 16, kRootEntries);
  PutLe64(b + 20, 2048);  // the volume's first sector on its disk
  PutLe64(b + 28, kRootLsn);
  PutLe64(b + 36, kDataLsn);
  PutLe64(b + 44, kSectors - kDataLsn);
  PutLe64(b + 52, kSectors);
  PutLe64(b + 60, 1);
  PutLe64(b + 68, 2);
  PutLe32(b + 76, 3600);
  PutLe32(b + 80, 86400);
  PutLe32(b + 84, 2);  // not case sensitive, has a copy
  const uint8_t guid[16] = {0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE,
                            0x23, 0x01, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  std::memcpy(b + 92, guid, 16);
  std::memcpy(b + 108, "QOR test volume", 15);
  SealSuperBlock(b);
}

struct FileSlot {
  uint32_t attribute;
  std::string name;  // the part held in the slot
  std::vector<uint32_t> fats;
  uint64_t size;
  uint32_t fatContinue = 0;
  uint32_t nameContinue = 0;
};

void WriteFileSlot(uint8_t* s, const FileSlot& f) {
  PutLe32(s + 0, 0x534C4F54);  // 'SLOT'
  PutLe32(s + 4, f.attribute);
  s[13] = static_cast<uint8_t>(f.fats.size());
  PutLe32(s + 16, 0x5C3A1F00);  // created
  PutLe32(s + 20, 0x5C3A2E10);  // last accessed
  PutLe64(s + 24, f.size);
  PutLe32(s + 32, f.fatContinue);
  PutLe32(s + 36, f.nameContinue);
  s[42] = static_cast<uint8_t>(f.name.size());
  std::memcpy(s + 48, f.name.data(), f.name.size());
  const size_t fatOffset = (48 + f.name.size() + 3) & ~size_t{3};
  for (size_t i = 0; i < f.fats.size(); ++i) PutLe32(s + fatOffset + 4 * i, f.fats[i]);
  SealSlot(s);
}

void WriteContinueSlot(uint8_t* s, uint32_t sig, uint32_t previous, uint32_t next, uint8_t entries, uint8_t flags) {
  PutLe32(s + 0, sig);
  PutLe32(s + 4, previous);
  PutLe32(s + 8, next);
  s[12] = entries;
  s[13] = flags;
}

}  // namespace

void SealSuperBlock(uint8_t* block) {
  PutLe32(block + 88, 0);
  PutLe32(block + 88, Crc32().Compute(block, kSector));
}

void SealSlot(uint8_t* slot) {
  slot[14] = 0;
  slot[14] = static_cast<uint8_t>(Crc32().Compute(slot, kSlot));
}

std::vector<uint8_t> BytesAt(const std::vector<uint8_t>& volume, uint32_t offset, uint32_t length) {
  return {volume.begin() + offset, volume.begin() + offset + length};
}

std::vector<uint8_t> MakeVolume() {
  std::vector<uint8_t> volume(kSectors * kSector, 0);
  WriteSuperBlock(volume.data());
  // Both bitmaps mark LSN 0-14 as used.
  for (uint32_t lsn : {1u, 2u}) {
    volume[lsn * kSector] = 0xFF;
    volume[lsn * kSector + 1] = 0x7F;
  }

  WriteFileSlot(Slot(volume, RootSlot(0)), {0x01, "readme.txt", {7, 8}, 700});
  WriteFileSlot(Slot(volume, RootSlot(1)), {0x02, "docs", {kSubDirLsn}, 512});

  // A 100-character name: 80 bytes in the slot, 20 in the NAME slot.
  std::string longName;
  for (int i = 0; i < 100; ++i) longName += static_cast<char>('a' + i % 26);
  WriteFileSlot(Slot(volume, RootSlot(2)), {0x21, longName.substr(0, 80), {}, 0, 0, 3});
  uint8_t* nameSlot = Slot(volume, RootSlot(3));
  WriteContinueSlot(nameSlot, 0x4E414D45, 2, 0, 20, 0);  // 'NAME'
  std::memcpy(nameSlot + 16, longName.data() + 80, 20);
  SealSlot(nameSlot);

  // "log" holds 19 clusters in the slot and 9 more in a FAT slot, whose
  // successor carries 64-bit entries.
  std::vector<uint32_t> fats;
  for (uint32_t c = 0; c < 19; ++c) fats.push_back(20 + c);
  WriteFileSlot(Slot(volume, RootSlot(4)), {0x01, "log", fats, 28 * kSector, 5, 0});
  uint8_t* fatSlot = Slot(volume, RootSlot(5));
  WriteContinueSlot(fatSlot, 0x46415420, 4, 6, 9, 0);  // 'FAT '
  for (uint32_t i = 0; i < 9; ++i) PutLe32(fatSlot + 16 + 4 * i, 39 + i);
  SealSlot(fatSlot);
  uint8_t* wideSlot = Slot(volume, RootSlot(6));
  WriteContinueSlot(wideSlot, 0x46415420, 5, 0, 5, 1);
  for (uint64_t i = 0; i < 5; ++i) PutLe64(wideSlot + 16 + 8 * i, 0x100000000ULL + i);
  SealSlot(wideSlot);

  uint8_t* sub = Slot(volume, SubDirSlot(0));
  PutLe32(sub + 0, 0x53554220);  // 'SUB '
  PutLe64(sub + 5, kRootLsn);
  sub[13] = 1;
  PutLe32(sub + 16, 0x5C3A1F00);
  PutLe64(sub + 24, 512);
  PutLe32(sub + 36, 1);  // its slot in the parent directory
  PutLe32(sub + 48, kSubDirLsn);
  SealSlot(sub);
  WriteFileSlot(Slot(volume, SubDirSlot(1)), {0x01, "notes.txt", {14}, 42});
  return volume;
}

}  // namespace trovik::test::qor
