// The map's recogniser of partition tables: an MBR with its chain of
// extended boot records, and a GUID partition table behind a protective or
// hybrid MBR.
#include <algorithm>
#include <array>
#include <vector>

#include "decoders/partition/GptLayout.h"
#include "decoders/partition/MbrLayout.h"
#include "decoders/partition/PartitionDecoders.h"
#include "engine/TextFormat.h"
#include "engine/Probe.h"

namespace trovik {

namespace {

constexpr uint64_t kSector = 512;
constexpr uint64_t kTableOffset = mbr::sector::kTable.offset;
constexpr int kMaxLogicalPartitions = 128;
// Entries searched for used ones; a larger count in the header is a problem row.
constexpr uint32_t kMaxGptEntriesSearched = 4096;

bool IsExtended(uint8_t type) { return type == 0x05 || type == 0x0F || type == 0x85; }

MbrEntry ReadEntry(const uint8_t* sector, int index) {
  return MbrEntry::Parse(At(sector, mbr::sector::kTable) + mbr::entry::kSize * index);
}

// A boot signature and four entries whose boot flags are 0x00 or 0x80.
bool PlausibleTable(const uint8_t* sector, bool needEntry) {
  if (Get(sector, mbr::sector::kBootSignature) != mbr::kBootSignatureValue) return false;
  bool any = false;
  for (int i = 0; i < mbr::kTableEntries; ++i) {
    const MbrEntry e = ReadEntry(sector, i);
    if (!IsUsualBootId(e.bootId)) return false;
    any |= e.systemId != 0;
  }
  return any || !needEntry;
}

std::string MbrLabel(int number, uint8_t type) {
  return Format("partition %d (0x%02X %s)", number, type, MbrSystemIdNames[type]);
}

struct GuidName {
  uint32_t first;  // the first field of the type GUID is enough to tell these apart
  const char* name;
};
constexpr std::array<GuidName, 8> kGptTypes{{
    {0xC12A7328, "EFI System"},
    {0x0FC63DAF, "Linux filesystem"},
    {0x0657FD6D, "Linux swap"},
    {0xEBD0A0A2, "Microsoft basic data"},
    {0x21686148, "BIOS boot"},
    {0xE6D6D379, "Linux LVM"},
    {0xA19D880F, "Linux RAID"},
    {0x4F68BCE3, "Linux root (x86-64)"},
}};

std::string GptLabel(int number, const uint8_t* entry) {
  const uint32_t first = Get(entry, gpt::entry::kTypeGuidFirst);
  for (const GuidName& g : kGptTypes)
    if (g.first == first) return Format("partition %d (%s)", number, g.name);
  return Format("partition %d (type %08X-...)", number, first);
}

void ProbeGpt(ProbeContext& ctx, const ProbeTarget& target, uint64_t headerOffset, bool primary) {
  namespace hd = gpt::header;
  namespace en = gpt::entry;
  uint8_t h[hd::kSize];
  if (!ctx.Read(headerOffset, h, sizeof h) || !gpt::HasSignature(h)) {
    if (primary) ctx.AddProblem(target, headerOffset, "GPT header", "no \"EFI PART\" signature where the protective MBR says");
    return;
  }
  const uint64_t entriesLba = Get(h, hd::kEntryArrayLba);
  const uint32_t count = Get(h, hd::kEntryCount);
  const uint32_t entrySize = Get(h, hd::kEntrySize);
  if (!primary) {
    ctx.AddRow(target, headerOffset, DumpType::GptHeader, 1, "GPT backup header");
    return;
  }
  ctx.AddRow(target, headerOffset, DumpType::GptHeader, 1,
             Format("GPT header, %u entries of %u bytes", count, entrySize));
  const uint64_t entries = target.start + entriesLba * kSector;
  if (entrySize != en::kSize) {
    ctx.AddProblem(target, entries, "GPT entry array", Format("entries of %u bytes are not decoded", entrySize));
  } else if (entriesLba >= target.Size() / kSector) {
    ctx.AddProblem(target, entries, "GPT entry array", "it lies past the end of the disk");
  } else {
    const uint32_t searched = std::min(count, kMaxGptEntriesSearched);
    std::vector<uint8_t> array(size_t{searched} * en::kSize);
    if (searched && !ctx.Read(entries, array.data(), array.size())) {
      ctx.AddProblem(target, entries, "GPT entry array", "it is not wholly in the file");
    } else {
      // Used entries: those with a type GUID; the row runs to the last one.
      int last = -1, used = 0;
      for (uint32_t i = 0; i < searched; ++i) {
        const uint8_t* type = At(array.data() + size_t{i} * en::kSize, en::kTypeGuid);
        if (std::any_of(type, type + en::kTypeGuid.size, [](uint8_t b) { return b != 0; })) {
          last = static_cast<int>(i);
          ++used;
        }
      }
      if (last >= 0)
        ctx.AddRow(target, entries, DumpType::GptEntry, last + 1, Format("GPT entries, %d used", used));
      if (count > searched)
        ctx.AddProblem(target, entries + uint64_t{searched} * en::kSize, "GPT entry array",
                       Format("entry count %u: only the first %u entries were searched", count, searched));
      for (int i = 0; i <= last; ++i) {
        const uint8_t* e = array.data() + size_t(i) * en::kSize;
        const uint8_t* type = At(e, en::kTypeGuid);
        if (std::all_of(type, type + en::kTypeGuid.size, [](uint8_t b) { return b == 0; })) continue;
        const uint64_t first = Get(e, en::kFirstLba), lastLba = Get(e, en::kLastLba);
        const uint64_t limit = UINT64_MAX / kSector - 1;
        if (lastLba < first || lastLba > limit || first > limit) {
          ctx.AddProblem(target, entries + size_t(i) * en::kSize, GptLabel(i + 1, e),
                         Format("its LBAs %llu..%llu are not a range", static_cast<unsigned long long>(first),
                                static_cast<unsigned long long>(lastLba)));
          continue;
        }
        ctx.AddVolume(target, target.start + first * kSector, target.start + (lastLba + 1) * kSector,
                      GptLabel(i + 1, e));
      }
    }
  }
  const uint64_t backupLba = Get(h, hd::kBackupLba);
  if (backupLba != 0 && backupLba < target.Size() / kSector && target.start + backupLba * kSector != headerOffset)
    ProbeGpt(ctx, target, target.start + backupLba * kSector, false);
  else if (backupLba >= target.Size() / kSector)
    ctx.AddProblem(target, target.start, "GPT backup header",
                   Format("its LBA %llu lies past the end of the file", static_cast<unsigned long long>(backupLba)));
}

// The chain of extended boot records: each one's first entry is a logical
// partition (relative to the EBR), its second the next EBR (relative to the
// extended partition).
void ProbeExtended(ProbeContext& ctx, const ProbeTarget& target, uint64_t extendedStart, int number) {
  std::vector<uint64_t> seen;
  uint64_t ebr = extendedStart;
  for (int n = 0;; ++n) {
    if (std::find(seen.begin(), seen.end(), ebr) != seen.end()) {
      ctx.AddProblem(target, ebr, Format("EBR %d", n + 1), "the chain loops back to " + HexOffset(ebr));
      return;
    }
    if (n == kMaxLogicalPartitions) {
      ctx.AddProblem(target, ebr, Format("EBR %d", n + 1),
                     Format("the chain goes on past %d logical partitions", kMaxLogicalPartitions));
      return;
    }
    seen.push_back(ebr);
    uint8_t s[mbr::sector::kSize];
    if (!ctx.Read(ebr, s, sizeof s)) {
      ctx.AddProblem(target, ebr, Format("EBR %d", n + 1), "it lies past the end of the file");
      return;
    }
    if (!PlausibleTable(s, false)) {
      ctx.AddProblem(target, ebr, Format("EBR %d", n + 1), "no boot signature or a bad boot flag");
      return;
    }
    ctx.AddRow(target, ebr + kTableOffset, DumpType::Mbr, 2, Format("EBR %d (extended boot record)", n + 1));
    const MbrEntry logical = ReadEntry(s, 0);
    if (logical.systemId != 0 && logical.size != 0)
      ctx.AddVolume(target, ebr + logical.startLba * kSector,
                    ebr + (uint64_t{logical.startLba} + logical.size) * kSector, MbrLabel(number++, logical.systemId));
    const MbrEntry next = ReadEntry(s, 1);
    if (next.systemId == 0 || next.startLba == 0) return;
    ebr = extendedStart + next.startLba * kSector;
  }
}

}  // namespace

bool ProbePartitions(ProbeContext& ctx, const ProbeTarget& target) {
  uint8_t s[mbr::sector::kSize];
  if (!ctx.Read(target.start, s, sizeof s) || !PlausibleTable(s, true)) return false;
  bool protective = false;
  for (int i = 0; i < mbr::kTableEntries; ++i) protective |= ReadEntry(s, i).systemId == 0xEE;
  // The row runs to the last used entry: empty entries are no structures.
  int used = 1;
  for (int i = 0; i < mbr::kTableEntries; ++i)
    if (ReadEntry(s, i).systemId != 0) used = i + 1;
  ctx.AddRow(target, target.start + kTableOffset, DumpType::Mbr, used,
             protective ? "MBR partition table (protective)" : "MBR partition table");
  int logicalNumber = 5;
  for (int i = 0; i < mbr::kTableEntries; ++i) {
    const MbrEntry e = ReadEntry(s, i);
    if (e.systemId == 0 || e.size == 0) continue;
    const uint64_t start = target.start + uint64_t{e.startLba} * kSector;
    const uint64_t end = start + uint64_t{e.size} * kSector;
    if (e.systemId == 0xEE) {
      ProbeGpt(ctx, target, target.start + kSector, true);
    } else if (IsExtended(e.systemId)) {
      // Its first sector is an EBR, not a volume: the chain is followed here.
      ctx.AddNote(target, start, MbrLabel(i + 1, e.systemId) + Format(", extended, %llu bytes",
                                                                  static_cast<unsigned long long>(end - start)));
      ProbeExtended(ctx, target, start, logicalNumber);
    } else {
      ctx.AddVolume(target, start, end, MbrLabel(i + 1, e.systemId));
    }
  }
  return true;
}

}  // namespace trovik
