// The map's recogniser of UDF volumes: the anchor volume descriptor pointer
// at sector 256 (of 2048 or 512 bytes), the main volume descriptor sequence it names and the file
// set descriptor the logical volume descriptor points at.
#include <algorithm>

#include "decoders/optical/OpticalDecoders.h"
#include "decoders/optical/UdfLayout.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "engine/Probe.h"

namespace trovik {

namespace {

constexpr int kMaxSequence = 64;

// A descriptor tag: its identifier, and a location field that names the
// sector it was written to.
bool TagAt(ProbeContext& ctx, const ProbeTarget& target, uint64_t offset, uint64_t sector, uint8_t* d, size_t size,
           uint16_t& id) {
  if (!target.Holds(offset, size) || !ctx.Read(offset, d, size)) return false;
  id = Get(d, udf::tag::kIdentifier);
  return static_cast<uint32_t>(Get(d, udf::tag::kLocation)) == sector;
}

bool ProbeWithSectorSize(ProbeContext& ctx, const ProbeTarget& target, uint64_t sector) {
  uint8_t d[512];
  uint16_t id = 0;
  const uint64_t anchor = target.start + udf::kAnchorLocation * sector;
  if (!TagAt(ctx, target, anchor, udf::kAnchorLocation, d, sizeof d, id) || id != udf::kAnchor) return false;
  const bool iso = sector == 2048;
  ctx.AddRow(target, anchor, DumpType::Udf, 1, "UDF anchor volume descriptor pointer", iso);
  const uint8_t* main = At(d, udf::anchor::kMainSequence);
  const uint32_t length = Get(main, udf::extent::kLength), location = Get(main, udf::extent::kLocation);
  const uint64_t sequence = target.start + uint64_t{location} * sector;
  uint32_t partitionStart = 0, blockSize = 0, fsdBlock = 0;
  bool havePartition = false, haveVolume = false;
  int count = 0;
  const int limit = static_cast<int>(std::min<uint64_t>(length / sector, kMaxSequence));
  while (count < limit) {
    if (!TagAt(ctx, target, sequence + count * sector, location + count, d, sizeof d, id)) break;
    ++count;
    if (id == udf::kPartition) {
      havePartition = true;
      partitionStart = Get(d, udf::partition::kStart);
    } else if (id == udf::kLogicalVolume) {
      haveVolume = true;
      blockSize = Get(d, udf::lvd::kLogicalBlockSize);
      fsdBlock = Get(At(d, udf::lvd::kContentsUse), udf::longad::kLocation);
    } else if (id == udf::kTerminating) {
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
  if (!TagAt(ctx, target, fsd, fsdBlock, d, sizeof d, id) || id != udf::kFileSet)
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
