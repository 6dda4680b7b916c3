// The map's recogniser of UDF volumes: the anchor volume descriptor pointer
// at sector 256 (of 2048 or 512 bytes), the main volume descriptor sequence it names and the file
// set descriptor the logical volume descriptor points at.
#include <algorithm>

#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "decoders/optical/OpticalDecoders.h"
#include "engine/Probe.h"

namespace trovik {

namespace {

constexpr uint16_t kTagPartition = 5;
constexpr uint16_t kTagLogicalVolume = 6;
constexpr uint16_t kTagTerminating = 8;
constexpr uint16_t kTagAnchor = 2;
constexpr uint16_t kTagFileSet = 256;
constexpr int kMaxSequence = 64;

// A descriptor tag: its identifier, and a location field that names the
// sector it was written to.
bool TagAt(ProbeContext& ctx, const ProbeTarget& target, uint64_t offset, uint64_t sector, uint8_t* d, size_t size,
           uint16_t& id) {
  if (!target.Holds(offset, size) || !ctx.Read(offset, d, size)) return false;
  id = Le16(d);
  return Le32(d + 12) == sector;
}

bool ProbeWithSectorSize(ProbeContext& ctx, const ProbeTarget& target, uint64_t sector) {
  uint8_t d[512];
  uint16_t id = 0;
  const uint64_t anchor = target.start + 256 * sector;
  if (!TagAt(ctx, target, anchor, 256, d, sizeof d, id) || id != kTagAnchor) return false;
  const bool iso = sector == 2048;
  ctx.AddRow(target, anchor, DumpType::Udf, 1, "UDF anchor volume descriptor pointer", iso);
  const uint32_t length = Le32(d + 16), location = Le32(d + 20);
  const uint64_t sequence = target.start + uint64_t{location} * sector;
  uint32_t partitionStart = 0, blockSize = 0, fsdBlock = 0;
  bool havePartition = false, haveVolume = false;
  int count = 0;
  const int limit = static_cast<int>(std::min<uint64_t>(length / sector, kMaxSequence));
  while (count < limit) {
    if (!TagAt(ctx, target, sequence + count * sector, location + count, d, sizeof d, id)) break;
    ++count;
    if (id == kTagPartition) {
      havePartition = true;
      partitionStart = Le32(d + 188);
    } else if (id == kTagLogicalVolume) {
      haveVolume = true;
      blockSize = Le32(d + 212);
      fsdBlock = Le32(d + 252);
    } else if (id == kTagTerminating) {
      break;
    }
  }
  if (count == 0) {
    ctx.AddProblem(target, sequence, "UDF main volume descriptor sequence", "no descriptor where the anchor says");
    return true;
  }
  ctx.AddRow(target, sequence, DumpType::Udf, count, Format("UDF main volume descriptor sequence, %d descriptors", count),
             iso);
  if (!havePartition || !haveVolume) return true;
  if (blockSize != sector) {
    ctx.AddProblem(target, sequence, "UDF file set descriptor", Format("logical blocks of %u bytes are not followed", blockSize));
    return true;
  }
  const uint64_t fsdSector = uint64_t{partitionStart} + fsdBlock;
  const uint64_t fsd = target.start + fsdSector * sector;
  if (!TagAt(ctx, target, fsd, fsdBlock, d, sizeof d, id) || id != kTagFileSet)
    ctx.AddProblem(target, fsd, "UDF file set descriptor", "no file set descriptor where the logical volume says");
  else
    ctx.AddRow(target, fsd, DumpType::Udf, 1, "UDF file set descriptor", iso);
  return true;
}

}  // namespace

bool ProbeUdf(ProbeContext& ctx, const ProbeTarget& target) {
  if (!ProbeWithSectorSize(ctx, target, 2048)) ProbeWithSectorSize(ctx, target, 512);
  return false;
}

}  // namespace trovik
