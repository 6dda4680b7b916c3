// The map's recogniser of QOR volumes: the superblock (in one of the first
// 33 sectors) and the slots of the root directory.
#include <vector>

#include "decoders/qorfs/QorLayout.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "decoders/qorfs/QorDecoders.h"
#include "engine/Probe.h"

namespace trovik {

namespace {
constexpr uint64_t kSector = 512;
constexpr uint64_t kSearchedSectors = 33;
constexpr uint32_t kMaxSlots = 256;
}  // namespace

bool ProbeQor(ProbeContext& ctx, const ProbeTarget& target) {
  using namespace qor;
  uint8_t s[super::kSize];
  uint64_t at = target.start;
  bool found = false;
  for (uint64_t i = 0; i < kSearchedSectors && !found; ++i) {
    at = target.start + i * kSector;
    if (!target.Holds(at, kSector) || !ctx.Read(at, s, sizeof s)) return false;
    found = Get(s, super::kSig0) == super::kSig0Value && Get(s, super::kSig1) == super::kSig1Value;
  }
  if (!found) return false;
  const std::string label = ImageText(At(s, super::kLabel), super::kLabel.size);
  ctx.AddRow(target, at, DumpType::QorSuper, 1, "QOR superblock" + (label.empty() ? "" : ", volume '" + label + "'"));
  const uint64_t rootLsn = Get(s, super::kRootLsn);
  const uint32_t rootEntries = std::min(Get(s, super::kRootEntries), kMaxSlots);
  const uint64_t root = target.start + rootLsn * kSector;
  std::vector<uint8_t> slots(size_t{rootEntries} * slot::kSize);
  if (rootLsn >= target.Size() / kSector || !target.Holds(root, slots.size()) ||
      !ctx.Read(root, slots.data(), slots.size())) {
    ctx.AddProblem(target, root, "QOR root directory", "it lies outside the volume");
    return at == target.start;
  }
  int used = 0;
  while (static_cast<uint32_t>(used) < rootEntries &&
         Get(slots.data() + size_t(used) * slot::kSize, slot::kSig) == slot::kSlotSig)
    ++used;
  if (used == 0)
    ctx.AddNote(target, root, "QOR root directory, no slots");
  else
    ctx.AddRow(target, root, DumpType::QorSlot, used, Format("QOR root directory, %d slots", used));
  return at == target.start;
}

}  // namespace trovik
