// The map's recogniser of FAT volumes: the boot sector (FAT12/16 or FAT32),
// the FAT32 info sector and the root directory's entries.
#include <algorithm>
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
  std::vector<uint8_t> area(static_cast<size_t>(std::min(bytes, kMaxDirectoryRead)));
  if (!ctx.Read(offset, area.data(), area.size())) return 0;
  int used = 0;
  for (size_t at = 0; at + fat::dir::kSize <= area.size() && *At(&area[at], fat::dir::kName) != 0;
       at += fat::dir::kSize)
    ++used;
  return used;
}

void AddRoot(ProbeContext& ctx, const ProbeTarget& target, uint64_t offset, uint64_t bytes, std::string what) {
  const int used = CountEntries(ctx, offset, bytes);
  if (used == 0)
    ctx.AddNote(target, offset, what + ", empty");
  else
    ctx.AddRow(target, offset, DumpType::FatDir, used, what + Format(", %d %s", used, used == 1 ? "entry" : "entries"));
}

std::string LabelText(const uint8_t* b, Bytes field) {
  const std::string label = ImageText(At(b, field), field.size);
  return label.empty() ? "" : ", volume '" + label + "'";
}

}  // namespace

bool ProbeFat(ProbeContext& ctx, const ProbeTarget& target) {
  uint8_t b[fat::bpb::kBootSectorSize];
  if (!ctx.Read(target.start, b, sizeof b)) return false;
  const uint32_t bytesPerSector = Get(b, fat::bpb::kBytesPerSector);
  const uint32_t sectorsPerCluster = Get(b, fat::bpb::kSectorsPerCluster);
  const uint32_t reserved = Get(b, fat::bpb::kReservedSectors);
  const uint32_t fats = Get(b, fat::bpb::kFatCount);
  const uint32_t rootEntries = Get(b, fat::bpb::kRootEntries);
  const uint32_t spf16 = Get(b, fat::bpb::kSectorsPerFat16);
  const uint8_t opcode = At(b, fat::bpb::kJump)[0];
  const bool jump = opcode == 0xEB || opcode == 0xE9;
  if (!jump || bytesPerSector < 512 || !IsPowerOfTwoUpTo(bytesPerSector, 4096) ||
      !IsPowerOfTwoUpTo(sectorsPerCluster, 128) || reserved == 0 || fats == 0 || fats > 4 ||
      Get(b, fat::bpb::kMediaDescriptor) < 0xF0)
    return false;
  const bool fat32 = rootEntries == 0 && spf16 == 0;
  const uint16_t total16 = Get(b, fat::bpb::kTotalSectors16);
  const uint64_t totalSectors = total16 ? total16 : Get(b, fat::bpb::kTotalSectors32);
  const uint64_t sectorsPerFat = fat32 ? Get(b, fat::bpb32::kSectorsPerFat) : spf16;
  const uint64_t fatsEnd = target.start + (reserved + fats * sectorsPerFat) * bytesPerSector;
  const uint64_t volumeEnd = std::min(target.end, target.start + totalSectors * bytesPerSector);

  if (!fat32) {
    const uint64_t rootBytes = uint64_t{rootEntries} * fat::dir::kSize;
    const uint64_t dataSectors = totalSectors > (fatsEnd - target.start + rootBytes) / bytesPerSector
                                     ? totalSectors - (fatsEnd - target.start + rootBytes) / bytesPerSector
                                     : 0;
    const char* kind = dataSectors / sectorsPerCluster < 4085 ? "FAT12" : "FAT16";
    ctx.AddRow(target, target.start, DumpType::FatBpb, 1,
               std::string(kind) + " boot sector" + LabelText(b, fat::bpb::kLabel));
    if (rootEntries == 0 || !target.Holds(fatsEnd, rootBytes) || fatsEnd + rootBytes > volumeEnd) {
      ctx.AddProblem(target, fatsEnd, "FAT root directory", "it lies outside its volume");
    } else {
      AddRoot(ctx, target, fatsEnd, rootBytes, "FAT root directory");
    }
    return true;
  }

  ctx.AddRow(target, target.start, DumpType::Fat32Bpb, 1, "FAT32 boot sector" + LabelText(b, fat::bpb32::kLabel));
  const uint32_t infoSector = Get(b, fat::bpb32::kInfoSector);
  if (infoSector != 0 && infoSector != 0xFFFF) {
    const uint64_t info = target.start + uint64_t{infoSector} * bytesPerSector;
    uint8_t sig[fat::info::kLeadSig.End()];
    if (target.Holds(info, fat::info::kSize) && ctx.Read(info, sig, sizeof sig) &&
        Get(sig, fat::info::kLeadSig) == fat::info::kLeadSigValue)
      ctx.AddRow(target, info, DumpType::Fat32Info, 1, "FAT32 info sector");
    else
      ctx.AddProblem(target, info, "FAT32 info sector", "no \"RRaA\" signature where the boot sector says");
  }
  const uint32_t rootCluster = Get(b, fat::bpb32::kRootCluster);
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
