// The map's recogniser of partition tables: an MBR with its chain of
// extended boot records, and a GUID partition table behind a protective or
// hybrid MBR.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "decoders/partition/GptLayout.h"
#include "decoders/partition/MbrLayout.h"
#include "decoders/partition/PartitionDecoders.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "engine/Probe.h"

namespace trovik {

namespace {

constexpr uint64_t kSector = 512;
constexpr uint64_t kTableOffset = 0x1BE;
constexpr int kMaxLogicalPartitions = 128;
// Entries searched for used ones; a larger count in the header is a problem row.
constexpr uint32_t kMaxGptEntriesSearched = 4096;

bool IsExtended(uint8_t type) { return type == 0x05 || type == 0x0F || type == 0x85; }

struct Entry {
  uint8_t boot, type;
  uint32_t lba, sectors;
};

Entry ReadEntry(const uint8_t* sector, int index) {
  const uint8_t* e = sector + kTableOffset + 16 * index;
  return Entry{e[0], e[mbr::kSystemId], Le32(e + 8), Le32(e + 12)};
}

// A boot signature and four entries whose boot flags are 0x00 or 0x80.
bool PlausibleTable(const uint8_t* sector, bool needEntry) {
  if (sector[510] != 0x55 || sector[511] != 0xAA) return false;
  bool any = false;
  for (int i = 0; i < 4; ++i) {
    const Entry e = ReadEntry(sector, i);
    if (e.boot != 0x00 && e.boot != 0x80) return false;
    any |= e.type != 0;
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
  const uint32_t first = Le32(entry);
  for (const GuidName& g : kGptTypes)
    if (g.first == first) return Format("partition %d (%s)", number, g.name);
  return Format("partition %d (type %08X-...)", number, first);
}

void ProbeGpt(ProbeContext& ctx, const ProbeTarget& target, uint64_t headerOffset, bool primary) {
  uint8_t h[kSector];
  if (!ctx.Read(headerOffset, h, sizeof h) || std::memcmp(h, "EFI PART", 8) != 0) {
    if (primary) ctx.AddProblem(target, headerOffset, "GPT header", "no \"EFI PART\" signature where the protective MBR says");
    return;
  }
  const uint64_t entriesLba = Le64(h + gpt::kEntryArrayLba);
  const uint32_t count = Le32(h + gpt::kEntryCount);
  const uint32_t entrySize = Le32(h + gpt::kEntrySizeField);
  if (!primary) {
    ctx.AddRow(target, headerOffset, DumpType::GptHeader, 1, "GPT backup header");
    return;
  }
  ctx.AddRow(target, headerOffset, DumpType::GptHeader, 1,
             Format("GPT header, %u entries of %u bytes", count, entrySize));
  const uint64_t entries = target.start + entriesLba * kSector;
  if (entrySize != 128) {
    ctx.AddProblem(target, entries, "GPT entry array", Format("entries of %u bytes are not decoded", entrySize));
  } else if (entriesLba >= target.Size() / kSector) {
    ctx.AddProblem(target, entries, "GPT entry array", "it lies past the end of the disk");
  } else {
    const uint32_t searched = std::min(count, kMaxGptEntriesSearched);
    std::vector<uint8_t> array(size_t{searched} * 128);
    if (searched && !ctx.Read(entries, array.data(), array.size())) {
      ctx.AddProblem(target, entries, "GPT entry array", "it is not wholly in the file");
    } else {
      // Used entries: those with a type GUID; the row runs to the last one.
      int last = -1, used = 0;
      for (uint32_t i = 0; i < searched; ++i) {
        const uint8_t* e = array.data() + size_t{i} * 128;
        if (std::any_of(e, e + 16, [](uint8_t b) { return b != 0; })) {
          last = static_cast<int>(i);
          ++used;
        }
      }
      if (last >= 0)
        ctx.AddRow(target, entries, DumpType::GptEntry, last + 1, Format("GPT entries, %d used", used));
      if (count > searched)
        ctx.AddProblem(target, entries + uint64_t{searched} * 128, "GPT entry array",
                       Format("entry count %u: only the first %u entries were searched", count, searched));
      for (int i = 0; i <= last; ++i) {
        const uint8_t* e = array.data() + size_t(i) * 128;
        if (std::all_of(e, e + 16, [](uint8_t b) { return b == 0; })) continue;
        const uint64_t first = Le64(e + 32), lastLba = Le64(e + 40);
        const uint64_t limit = UINT64_MAX / kSector - 1;
        if (lastLba < first || lastLba > limit || first > limit) {
          ctx.AddProblem(target, entries + size_t(i) * 128, GptLabel(i + 1, e),
                         Format("its LBAs %llu..%llu are not a range", static_cast<unsigned long long>(first),
                                static_cast<unsigned long long>(lastLba)));
          continue;
        }
        ctx.AddVolume(target, target.start + first * kSector, target.start + (lastLba + 1) * kSector,
                      GptLabel(i + 1, e));
      }
    }
  }
  const uint64_t backupLba = Le64(h + gpt::kBackupLba);
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
    uint8_t s[kSector];
    if (!ctx.Read(ebr, s, sizeof s)) {
      ctx.AddProblem(target, ebr, Format("EBR %d", n + 1), "it lies past the end of the file");
      return;
    }
    if (!PlausibleTable(s, false)) {
      ctx.AddProblem(target, ebr, Format("EBR %d", n + 1), "no boot signature or a bad boot flag");
      return;
    }
    ctx.AddRow(target, ebr + kTableOffset, DumpType::Mbr, 2, Format("EBR %d (extended boot record)", n + 1));
    const Entry logical = ReadEntry(s, 0);
    if (logical.type != 0 && logical.sectors != 0)
      ctx.AddVolume(target, ebr + logical.lba * kSector, ebr + (uint64_t{logical.lba} + logical.sectors) * kSector,
                    MbrLabel(number++, logical.type));
    const Entry next = ReadEntry(s, 1);
    if (next.type == 0 || next.lba == 0) return;
    ebr = extendedStart + next.lba * kSector;
  }
}

}  // namespace

bool ProbePartitions(ProbeContext& ctx, const ProbeTarget& target) {
  uint8_t s[kSector];
  if (!ctx.Read(target.start, s, sizeof s) || !PlausibleTable(s, true)) return false;
  bool protective = false;
  for (int i = 0; i < 4; ++i) protective |= ReadEntry(s, i).type == 0xEE;
  // The row runs to the last used entry: empty entries are no structures.
  int used = 1;
  for (int i = 0; i < 4; ++i)
    if (ReadEntry(s, i).type != 0) used = i + 1;
  ctx.AddRow(target, target.start + kTableOffset, DumpType::Mbr, used,
             protective ? "MBR partition table (protective)" : "MBR partition table");
  int logicalNumber = 5;
  for (int i = 0; i < 4; ++i) {
    const Entry e = ReadEntry(s, i);
    if (e.type == 0 || e.sectors == 0) continue;
    const uint64_t start = target.start + uint64_t{e.lba} * kSector;
    const uint64_t end = start + uint64_t{e.sectors} * kSector;
    if (e.type == 0xEE) {
      ProbeGpt(ctx, target, target.start + kSector, true);
    } else if (IsExtended(e.type)) {
      // Its first sector is an EBR, not a volume: the chain is followed here.
      ctx.AddNote(target, start, MbrLabel(i + 1, e.type) + Format(", extended, %llu bytes",
                                                                  static_cast<unsigned long long>(end - start)));
      ProbeExtended(ctx, target, start, logicalNumber);
    } else {
      ctx.AddVolume(target, start, end, MbrLabel(i + 1, e.type));
    }
  }
  return true;
}

}  // namespace trovik
