// The map's recogniser of ISO 9660 volumes: the volume descriptor set from
// sector 16 (primary and Joliet supplementary), each one's root directory
// records and L path table, and the El Torito boot catalogue's images.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "decoders/optical/OpticalDecoders.h"
#include "engine/Probe.h"

namespace trovik {

namespace {

constexpr uint64_t kSector = 2048;
constexpr int kMaxDescriptors = 64;
constexpr uint64_t kMaxTableRead = 64 * 1024;

// Volume descriptor fields.
constexpr int kPathTableSize = 132;
constexpr int kPathTableL = 140;
constexpr int kRootRecord = 156;
constexpr int kVolumeId = 40;
constexpr int kEscapes = 88;
constexpr int kBootCatalog = 0x47;

bool IsJoliet(const uint8_t* d) {
  const uint8_t* e = d + kEscapes;
  return e[0] == '%' && e[1] == '/' && (e[2] == '@' || e[2] == 'C' || e[2] == 'E');
}

// Records before the first zero length byte in the directory's first
// sector: the records a dump with that Count walks through.
int CountRecords(const uint8_t* dir, size_t size) {
  int n = 0;
  for (size_t at = 0; at < size && dir[at] != 0; at += dir[at]) ++n;
  return n;
}

int CountPathEntries(const uint8_t* table, size_t size) {
  int n = 0;
  for (size_t at = 0; at + 8 <= size && table[at] != 0 && n < kMaxCount; ++n)
    at += 8 + table[at] + (table[at] & 1);
  return n;
}

void ProbeDescriptor(ProbeContext& ctx, const ProbeTarget& target, const uint8_t* d, bool wide, const char* kind) {
  const uint8_t* root = d + kRootRecord;
  const uint64_t extent = target.start + Le32(root + 2) * kSector;
  const uint32_t length = Le32(root + 10);
  std::vector<uint8_t> buffer(kSector);
  if (length == 0 || !target.Holds(extent, kSector) || !ctx.Read(extent, buffer.data(), buffer.size())) {
    ctx.AddProblem(target, extent, Format("%s root directory", kind), "it lies outside the volume");
  } else {
    const int records = CountRecords(buffer.data(), std::min<size_t>(length, kSector));
    if (records > 0)
      ctx.AddRow(target, extent, wide ? DumpType::IsoDirWide : DumpType::IsoDir, records,
                 Format("%s root directory, %d records", kind, records));
  }
  const uint64_t table = target.start + Le32(d + kPathTableL) * kSector;
  const uint32_t tableSize = Le32(d + kPathTableSize);
  const size_t read = static_cast<size_t>(std::min<uint64_t>(tableSize, kMaxTableRead));
  buffer.assign(read, 0);
  if (tableSize == 0 || !target.Holds(table, read) || !ctx.Read(table, buffer.data(), read)) {
    ctx.AddProblem(target, table, Format("%s path table", kind), "it lies outside the volume");
  } else if (const int entries = CountPathEntries(buffer.data(), read); entries > 0) {
    ctx.AddRow(target, table, wide ? DumpType::IsoPathWide : DumpType::IsoPath, entries,
               Format("%s L path table, %d entries", kind, entries));
  }
}

// The boot catalogue: a validation entry, the default entry, then sections
// of further entries. Each bootable image is a volume of its own.
void ProbeBootCatalog(ProbeContext& ctx, const ProbeTarget& target, uint64_t catalog) {
  uint8_t c[kSector];
  if (!target.Holds(catalog, kSector) || !ctx.Read(catalog, c, sizeof c) || c[0] != 1 || c[30] != 0x55 ||
      c[31] != 0xAA) {
    ctx.AddProblem(target, catalog, "El Torito boot catalogue", "no validation entry where the boot record says");
    return;
  }
  ctx.AddNote(target, catalog, "El Torito boot catalogue");
  int image = 0;
  uint8_t platform = c[1];
  int sectionEntries = 1;  // the default entry
  for (size_t at = 32; at + 32 <= sizeof c; at += 32) {
    const uint8_t* e = c + at;
    if (sectionEntries == 0) {
      if (e[0] != 0x90 && e[0] != 0x91) break;  // no further section header
      platform = e[1];
      sectionEntries = Le16(e + 2);
      continue;
    }
    --sectionEntries;
    if (e[0] != 0x88 && e[0] != 0x00) break;
    const uint32_t rba = Le32(e + 8);
    const uint16_t sectors = Le16(e + 6);
    ++image;
    if (rba == 0) continue;
    const uint64_t start = target.start + uint64_t{rba} * kSector;
    // A count of 0 or 1 is written for images too large to count: the
    // volume then runs to the end of the disc.
    const uint64_t end = sectors > 1 ? start + uint64_t{sectors} * 512 : target.end;
    ctx.AddVolume(target, start, end,
                  Format("El Torito image %d (%s)", image, platform == 0xEF ? "EFI" : platform == 0 ? "BIOS" : "other"));
  }
}

}  // namespace

bool ProbeIso(ProbeContext& ctx, const ProbeTarget& target) {
  uint8_t d[kSector];
  for (int i = 0; i < kMaxDescriptors; ++i) {
    const uint64_t at = target.start + (16 + uint64_t(i)) * kSector;
    if (!target.Holds(at, kSector) || !ctx.Read(at, d, sizeof d) || std::memcmp(d + 1, "CD001", 5) != 0) break;
    if (d[0] == 255) break;
    if (d[0] == 1) {
      const std::string name = ImageText(d + kVolumeId, 32);
      ctx.AddRow(target, at, DumpType::IsoPvd, 1,
                 "ISO primary volume descriptor" + (name.empty() ? "" : ", volume '" + name + "'"));
      ProbeDescriptor(ctx, target, d, false, "ISO");
    } else if (d[0] == 2) {
      const bool joliet = IsJoliet(d);
      ctx.AddRow(target, at, DumpType::IsoSvd, 1,
                 joliet ? "Joliet supplementary volume descriptor" : "ISO supplementary volume descriptor");
      ProbeDescriptor(ctx, target, d, joliet, joliet ? "Joliet" : "ISO supplementary");
    } else if (d[0] == 0 && std::memcmp(d + 7, "EL TORITO SPECIFICATION", 23) == 0) {
      ctx.AddNote(target, at, "El Torito boot record");
      ProbeBootCatalog(ctx, target, target.start + uint64_t{Le32(d + kBootCatalog)} * kSector);
    }
  }
  return false;
}

}  // namespace trovik
