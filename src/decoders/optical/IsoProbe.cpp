// The map's recogniser of ISO 9660 volumes: the volume descriptor set from
// sector 16 (primary and Joliet supplementary), each one's root directory
// records and L path table, and the El Torito boot catalogue's images.
#include <algorithm>
#include <cstring>
#include <vector>

#include "decoders/optical/IsoLayout.h"
#include "decoders/optical/OpticalDecoders.h"
#include "engine/ByteOrder.h"
#include "engine/TextFormat.h"
#include "engine/Probe.h"

namespace trovik {

namespace {

constexpr uint64_t kSector = iso::kSectorSize;
constexpr int kMaxDescriptors = 64;
constexpr uint64_t kMaxTableRead = 64 * 1024;

bool IsJoliet(const uint8_t* d) {
  const uint8_t* e = At(d, iso::vd::kEscapeSequences);
  return e[0] == '%' && e[1] == '/' && (e[2] == '@' || e[2] == 'C' || e[2] == 'E');
}

// Records before the first zero length byte in the directory's first
// sector: the records a dump with that Count walks through.
int CountRecords(const uint8_t* dir, size_t size) {
  int n = 0;
  for (size_t at = 0; at < size && Get(dir + at, iso::dir::kLength) != 0; ++n) at += Get(dir + at, iso::dir::kLength);
  return n;
}

int CountPathEntries(const uint8_t* table, size_t size) {
  int n = 0;
  for (size_t at = 0; at + iso::path::kSize <= size && n < kMaxCount; ++n) {
    const size_t nameLength = Get(table + at, iso::path::kNameLength);
    if (nameLength == 0) break;
    at += iso::path::kSize + nameLength + (nameLength & 1);
  }
  return n;
}

void ProbeDescriptor(ProbeContext& ctx, const ProbeTarget& target, const uint8_t* d, bool wide, const char* kind) {
  const uint8_t* root = At(d, iso::vd::kRootRecord);
  const uint64_t extent = target.start + uint64_t{static_cast<uint32_t>(Get(root, iso::dir::kExtent))} * kSector;
  const uint32_t length = Get(root, iso::dir::kDataLength);
  std::vector<uint8_t> buffer(kSector);
  if (length == 0 || !target.Holds(extent, kSector) || !ctx.Read(extent, buffer.data(), buffer.size())) {
    ctx.AddProblem(target, extent, Format("%s root directory", kind), "it lies outside the volume");
  } else {
    const int records = CountRecords(buffer.data(), std::min<size_t>(length, kSector));
    if (records > 0)
      ctx.AddRow(target, extent, wide ? DumpType::IsoDirWide : DumpType::IsoDir, records,
                 Format("%s root directory, %d records", kind, records));
  }
  const uint64_t table = target.start + uint64_t{static_cast<uint32_t>(Get(d, iso::vd::kLPathTable))} * kSector;
  const uint32_t tableSize = Get(d, iso::vd::kPathTableSize);
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
  using namespace iso::catalog;
  uint8_t c[kSector];
  if (!target.Holds(catalog, kSector) || !ctx.Read(catalog, c, sizeof c) || Get(c, validation::kHeaderId) != 1 ||
      Get(c, validation::kKey55) != 0x55 || Get(c, validation::kKeyAA) != 0xAA) {
    ctx.AddProblem(target, catalog, "El Torito boot catalogue", "no validation entry where the boot record says");
    return;
  }
  ctx.AddNote(target, catalog, "El Torito boot catalogue");
  int image = 0;
  uint8_t platform = Get(c, validation::kPlatform);
  int sectionEntries = 1;  // the default entry
  for (size_t at = kEntrySize; at + kEntrySize <= sizeof c; at += kEntrySize) {
    const uint8_t* e = c + at;
    if (sectionEntries == 0) {
      const uint8_t indicator = Get(e, section::kIndicator);
      if (indicator != 0x90 && indicator != 0x91) break;  // no further section header
      platform = Get(e, section::kPlatform);
      sectionEntries = Get(e, section::kEntries);
      continue;
    }
    --sectionEntries;
    if (Get(e, entry::kBootIndicator) != 0x88 && Get(e, entry::kBootIndicator) != 0x00) break;
    const uint32_t rba = Get(e, entry::kLoadSector);
    const uint16_t sectors = Get(e, entry::kSectorCount);
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
  using namespace iso::vd;
  uint8_t d[kSector];
  for (int i = 0; i < kMaxDescriptors; ++i) {
    const uint64_t at = target.start + (16 + uint64_t(i)) * kSector;
    if (!target.Holds(at, kSector) || !ctx.Read(at, d, sizeof d) ||
        std::memcmp(At(d, kStandardId), "CD001", kStandardId.size) != 0)
      break;
    const uint8_t type = Get(d, kType);
    if (type == 255) break;
    if (type == 1) {
      const std::string name = ImageText(At(d, kVolumeId), kVolumeId.size);
      ctx.AddRow(target, at, DumpType::IsoPvd, 1,
                 "ISO primary volume descriptor" + (name.empty() ? "" : ", volume '" + name + "'"));
      ProbeDescriptor(ctx, target, d, false, "ISO");
    } else if (type == 2) {
      const bool joliet = IsJoliet(d);
      ctx.AddRow(target, at, DumpType::IsoSvd, 1,
                 joliet ? "Joliet supplementary volume descriptor" : "ISO supplementary volume descriptor");
      ProbeDescriptor(ctx, target, d, joliet, joliet ? "Joliet" : "ISO supplementary");
    } else if (type == 0 && std::memcmp(At(d, iso::boot::kSystemId), "EL TORITO SPECIFICATION", 23) == 0) {
      ctx.AddNote(target, at, "El Torito boot record");
      ProbeBootCatalog(ctx, target, target.start + uint64_t{Get(d, iso::boot::kCatalog)} * kSector);
    }
  }
  return false;
}

}  // namespace trovik
