#include "LeanVolume.h"

#include <cstring>
#include <string>

#include "engine/ByteOrder.h"
#include "engine/Report.h"

namespace trovik::test::lean {

namespace {

constexpr uint32_t kBlocks = 64;
constexpr uint32_t kBitmap = 2;
constexpr uint32_t kHelloData = 6;
constexpr uint32_t kBackupSuper = 63;
constexpr uint32_t kBigData[] = {9, 11, 13};

constexpr uint32_t kTypeRegular = 0x20000000;
constexpr uint32_t kTypeDirectory = 0x40000000;
constexpr uint32_t kInlineAttributes = 0x00080000;

uint8_t* At(std::vector<uint8_t>& volume, uint32_t block) { return volume.data() + block * kBlock; }

void WriteSuperBlock(uint8_t* b, uint64_t freeBlocks) {
  std::memcpy(b + 0x04, "LEAN", 4);
  PutLe16(b + 0x08, 0x0100);
  b[0x0A] = 2;   // blocks preallocated when a file grows
  b[0x0B] = 12;  // 4096 blocks per band: the whole volume is one band
  PutLe32(b + 0x0C, 1);  // cleanly unmounted
  const uint8_t guid[16] = {0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE,
                            0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
  std::memcpy(b + 0x10, guid, 16);
  std::memcpy(b + 0x20, "Trovik test", 11);
  PutLe64(b + 0x60, kBlocks);
  PutLe64(b + 0x68, freeBlocks);
  PutLe64(b + 0x70, 10);  // first free block
  PutLe64(b + 0x78, kSuperBlock);
  PutLe64(b + 0x80, kBackupSuper);
  PutLe64(b + 0x88, kBitmap);
  PutLe64(b + 0x98, kRootInode);
  PutLe32(b + 0xB0, 0);
  b[0xB4] = 9;  // 512-byte blocks
  SealSuperBlock(b);
}

struct InodeFields {
  uint32_t attributes;
  uint32_t links;
  uint64_t fileSize;
  uint64_t blockCount;
  uint32_t indirectCount = 0;
  uint64_t firstIndirect = 0;
  uint64_t lastIndirect = 0;
  std::vector<std::pair<uint64_t, uint32_t>> extents;
};

void WriteInode(uint8_t* b, const InodeFields& f) {
  std::memcpy(b + 0x04, "NODE", 4);
  b[0x08] = static_cast<uint8_t>(f.extents.size());
  PutLe32(b + 0x0C, f.indirectCount);
  PutLe32(b + 0x10, f.links);
  PutLe32(b + 0x14, 1000);
  PutLe32(b + 0x18, 100);
  PutLe32(b + 0x1C, f.attributes);
  PutLe64(b + 0x20, f.fileSize);
  PutLe64(b + 0x28, f.blockCount);
  PutLe64(b + 0x30, kModified);
  PutLe64(b + 0x38, kModified);
  PutLe64(b + 0x40, kModified);
  PutLe64(b + 0x48, kCreated);
  PutLe64(b + 0x50, f.firstIndirect);
  PutLe64(b + 0x58, f.lastIndirect);
  for (size_t i = 0; i < f.extents.size(); ++i) {
    PutLe64(b + 0x68 + 8 * i, f.extents[i].first);
    PutLe32(b + 0xA8 + 4 * i, f.extents[i].second);
  }
  SealInode(b);
}

// One inline attribute: head (name length in the top byte), name, data,
// padded to four bytes. Returns the position of the next one.
int WriteAttribute(uint8_t* area, int position, const std::string& name, const std::string& data) {
  PutLe32(area + position, static_cast<uint32_t>(name.size() << 24 | data.size()));
  std::memcpy(area + position + 4, name.data(), name.size());
  std::memcpy(area + position + 4 + name.size(), data.data(), data.size());
  return position + 4 + static_cast<int>((name.size() + data.size() + 3) & ~size_t{3});
}

// A directory record: 12-byte head, the name, zero padding to 16 bytes.
int WriteDirEntry(uint8_t* block, int position, uint64_t inode, uint8_t type, const std::string& name,
                  int recordUnits = 0) {
  if (recordUnits == 0) recordUnits = static_cast<int>((12 + name.size() + 15) / 16);
  PutLe64(block + position, inode);
  block[position + 8] = type;
  block[position + 9] = static_cast<uint8_t>(recordUnits);
  PutLe16(block + position + 10, static_cast<uint16_t>(name.size()));
  std::memcpy(block + position + 12, name.data(), name.size());
  return position + 16 * recordUnits;
}

}  // namespace

void SealSuperBlock(uint8_t* block) { PutLe32(block, RotateAddChecksum(block, 512)); }
void SealInode(uint8_t* block) { PutLe32(block, RotateAddChecksum(block, 200)); }
void SealIndirect(uint8_t* block) { PutLe32(block, RotateAddChecksum(block, 512)); }

std::vector<uint8_t> BlockOf(const std::vector<uint8_t>& volume, uint32_t block) {
  return {volume.begin() + block * kBlock, volume.begin() + (block + 1) * kBlock};
}

std::vector<uint8_t> MakeVolume() {
  std::vector<uint8_t> volume(kBlocks * kBlock, 0);

  const uint32_t used[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 13, 63};
  for (uint32_t block : used) At(volume, kBitmap)[block / 8] |= static_cast<uint8_t>(1u << (block % 8));
  const uint64_t freeBlocks = kBlocks - std::size(used);

  // Root directory: rwxr-xr-x, its entries in one extent, attributes inline.
  uint8_t* root = At(volume, kRootInode);
  WriteInode(root, {kTypeDirectory | kInlineAttributes | 0x1ED, 2, kBlock, 2, 0, 0, 0, {{kRootDir, 1}}});
  int position = WriteAttribute(root + 0xC8, 0, "user.mime", "inode/directory");
  WriteAttribute(root + 0xC8, position, "comment", "root of the test volume");
  SealInode(root);

  uint8_t* dir = At(volume, kRootDir);
  position = WriteDirEntry(dir, 0, kRootInode, 2, ".");
  position = WriteDirEntry(dir, position, kRootInode, 2, "..");
  position = WriteDirEntry(dir, position, kHelloInode, 1, "hello.txt");
  position = WriteDirEntry(dir, position, kBigInode, 1, "big.bin");
  // The rest of the block is one empty record.
  WriteDirEntry(dir, position, 0, 0, "", (512 - position) / 16);

  // hello.txt: rw-r--r--, 13 bytes in one block.
  const std::string hello = "Hello, LEAN!\n";
  WriteInode(At(volume, kHelloInode),
             {kTypeRegular | 0x1A4, 1, hello.size(), 2, 0, 0, 0, {{kHelloData, 1}}});
  std::memcpy(At(volume, kHelloData), hello.data(), hello.size());

  // big.bin: three single-block extents, the last two in an indirect block.
  WriteInode(At(volume, kBigInode),
             {kTypeRegular | 0x180, 1, 3 * kBlock, 5, 1, kBigIndirect, kBigIndirect, {{kBigData[0], 1}}});
  uint8_t* indirect = At(volume, kBigIndirect);
  std::memcpy(indirect + 0x04, "INDX", 4);
  PutLe64(indirect + 0x08, 2);
  PutLe64(indirect + 0x10, kBigInode);
  PutLe64(indirect + 0x18, kBigIndirect);
  PutLe16(indirect + 0x30, 2);
  for (int i = 0; i < 2; ++i) {
    PutLe64(indirect + 0x38 + 8 * i, kBigData[i + 1]);
    PutLe32(indirect + 0x168 + 4 * i, 1);
  }
  SealIndirect(indirect);
  for (int i = 0; i < 3; ++i) std::memset(At(volume, kBigData[i]), 'A' + i, kBlock);

  WriteSuperBlock(At(volume, kSuperBlock), freeBlocks);
  std::memcpy(At(volume, kBackupSuper), At(volume, kSuperBlock), kBlock);
  return volume;
}

}  // namespace trovik::test::lean
