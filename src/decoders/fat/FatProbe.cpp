// The map's recogniser of FAT volumes: the boot sector (FAT12/16 or FAT32),
// the FAT32 info sector and the root directory's entries.
#include <algorithm>
#include <cstring>
#include <vector>

#include "decoders/fat/FatLayout.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "decoders/fat/FatDecoders.h"
#include "engine/Probe.h"

namespace trovik {

namespace {

// Directory bytes read to count the used entries.
constexpr uint64_t kMaxDirectoryRead = 64 * 1024;

bool IsPowerOfTwoUpTo(uint32_t value, uint32_t limit) {
  return value != 0 && (value & (value - 1)) == 0 && value <= limit;
}

// Entries before the end marker (a first name byte of zero) in the first
// `bytes` of a directory.
int CountEntries(ProbeContext& ctx, uint64_t offset, uint64_t bytes) {
  std::vector<uint8_t> dir(static_cast<size_t>(std::min(bytes, kMaxDirectoryRead)));
  if (!ctx.Read(offset, dir.data(), dir.size())) return 0;
  int used = 0;
  for (size_t at = 0; at + fat::kDirEntrySize <= dir.size() && dir[at] != 0; at += fat::kDirEntrySize) ++used;
  return used;
}

void AddRoot(ProbeContext& ctx, const ProbeTarget& target, uint64_t offset, uint64_t bytes, std::string what) {
  const int used = CountEntries(ctx, offset, bytes);
  if (used == 0)
    ctx.AddNote(target, offset, what + ", empty");
  else
    ctx.AddRow(target, offset, DumpType::FatDir, used, what + Format(", %d %s", used, used == 1 ? "entry" : "entries"));
}

std::string LabelText(const uint8_t* b, size_t at) {
  const std::string label = ImageText(b + at, fat::kLabelLength);
  return label.empty() ? "" : ", volume '" + label + "'";
}

}  // namespace

bool ProbeFat(ProbeContext& ctx, const ProbeTarget& target) {
  uint8_t b[512];
  if (!ctx.Read(target.start, b, sizeof b)) return false;
  const uint32_t bytesPerSector = Le16(b + fat::kBytesPerSector);
  const uint32_t sectorsPerCluster = b[fat::kSectorsPerCluster];
  const uint32_t reserved = Le16(b + fat::kReservedSectors);
  const uint32_t fats = b[fat::kFatCount];
  const uint32_t rootEntries = Le16(b + fat::kRootEntries);
  const uint32_t spf16 = Le16(b + fat::kSectorsPerFat16);
  const bool jump = b[0] == 0xEB || b[0] == 0xE9;
  if (!jump || bytesPerSector < 512 || !IsPowerOfTwoUpTo(bytesPerSector, 4096) ||
      !IsPowerOfTwoUpTo(sectorsPerCluster, 128) || reserved == 0 || fats == 0 || fats > 4 ||
      b[fat::kMediaDescriptor] < 0xF0)
    return false;
  const bool fat32 = rootEntries == 0 && spf16 == 0;
  const uint64_t totalSectors =
      Le16(b + fat::kTotalSectors16) ? Le16(b + fat::kTotalSectors16) : Le32(b + fat::kTotalSectors32);
  const uint64_t sectorsPerFat = fat32 ? Le32(b + fat::kSectorsPerFat32) : spf16;
  const uint64_t fatsEnd = target.start + (reserved + fats * sectorsPerFat) * bytesPerSector;
  const uint64_t volumeEnd = std::min(target.end, target.start + totalSectors * bytesPerSector);

  if (!fat32) {
    const uint64_t rootBytes = uint64_t{rootEntries} * fat::kDirEntrySize;
    const uint64_t dataSectors = totalSectors > (fatsEnd - target.start + rootBytes) / bytesPerSector
                                     ? totalSectors - (fatsEnd - target.start + rootBytes) / bytesPerSector
                                     : 0;
    const char* kind = dataSectors / sectorsPerCluster < 4085 ? "FAT12" : "FAT16";
    ctx.AddRow(target, target.start, DumpType::FatBpb, 1,
               std::string(kind) + " boot sector" + LabelText(b, fat::kLabel));
    if (rootEntries == 0 || !target.Holds(fatsEnd, rootBytes) || fatsEnd + rootBytes > volumeEnd) {
      ctx.AddProblem(target, fatsEnd, "FAT root directory", "it lies outside its volume");
    } else {
      AddRoot(ctx, target, fatsEnd, rootBytes, "FAT root directory");
    }
    return true;
  }

  ctx.AddRow(target, target.start, DumpType::Fat32Bpb, 1, "FAT32 boot sector" + LabelText(b, fat::kLabel32));
  const uint32_t infoSector = Le16(b + fat::kInfoSector);
  if (infoSector != 0 && infoSector != 0xFFFF) {
    const uint64_t info = target.start + uint64_t{infoSector} * bytesPerSector;
    uint8_t sig[4];
    if (target.Holds(info, 512) && ctx.Read(info, sig, 4) && std::memcmp(sig, "RRaA", 4) == 0)
      ctx.AddRow(target, info, DumpType::Fat32Info, 1, "FAT32 info sector");
    else
      ctx.AddProblem(target, info, "FAT32 info sector", "no \"RRaA\" signature where the boot sector says");
  }
  const uint32_t rootCluster = Le32(b + fat::kRootCluster);
  const uint64_t clusterBytes = uint64_t{sectorsPerCluster} * bytesPerSector;
  const uint64_t root = fatsEnd + (uint64_t{rootCluster} - 2) * clusterBytes;
  if (rootCluster < 2 || !target.Holds(root, clusterBytes) || root + clusterBytes > volumeEnd) {
    ctx.AddProblem(target, fatsEnd, "FAT root directory",
                   Format("its cluster %u lies outside its volume", rootCluster));
  } else {
    AddRoot(ctx, target, root, clusterBytes, Format("FAT root directory (cluster %u)", rootCluster));
  }
  return true;
}

}  // namespace trovik
