#include "decoders/partition/GptMirror.h"

#include "decoders/common/Checksums.h"
#include "decoders/partition/GptLayout.h"
#include "engine/FileAccess.h"
#include "engine/RunHost.h"
#include "engine/TextFormat.h"

namespace trovik {

namespace {

constexpr uint64_t kSector = 512;
namespace hd = gpt::header;

using ull = unsigned long long;

GptMirrorPlan Refuse(std::string why) {
  GptMirrorPlan plan;
  plan.message = std::move(why);
  return plan;
}

// base + lba x 512, or nothing when it does not fit in 64 bits.
std::optional<uint64_t> SectorOffset(uint64_t base, uint64_t lba) {
  uint64_t bytes = 0, offset = 0;
  if (__builtin_mul_overflow(lba, kSector, &bytes) || __builtin_add_overflow(base, bytes, &offset)) return std::nullopt;
  return offset;
}

bool Inside(uint64_t offset, uint64_t length, uint64_t size) { return offset <= size && length <= size - offset; }

bool Overlap(uint64_t a, uint64_t aLength, uint64_t b, uint64_t bLength) { return a < b + bLength && b < a + aLength; }

// A whole header sector with the GPT signature at offset.
bool ReadHeader(FileAccess& file, uint64_t offset, uint8_t* sector) {
  if (!Inside(offset, kSector, file.Size())) return false;
  return file.ReadAt(offset, sector, kSector) == kSector && gpt::HasSignature(sector);
}

GptMirrorPlan Plan(uint64_t headerOffset, FileAccess& file) {
  std::array<uint8_t, hd::kSize> edited{};
  if (!ReadHeader(file, headerOffset, edited.data()))
    return Refuse(Format("There is no GPT header at 0x%08llX.", static_cast<ull>(headerOffset)));
  const uint8_t* h = edited.data();
  const uint64_t ownLba = Get(h, hd::kPrimaryLba);
  const uint64_t otherLba = Get(h, hd::kBackupLba);
  const bool toBackup = otherLba > ownLba;
  const char* other = toBackup ? "backup" : "primary";
  if (otherLba == ownLba) return Refuse("The GPT header names its own LBA as the other copy's.");

  uint64_t base = 0;
  if (__builtin_mul_overflow(ownLba, kSector, &base) || base > headerOffset)
    return Refuse(Format("The header's own LBA %llu does not fit its place in the file.", static_cast<ull>(ownLba)));
  base = headerOffset - base;
  const uint64_t size = file.Size();
  const auto otherOffset = SectorOffset(base, otherLba);
  if (!otherOffset || !Inside(*otherOffset, kSector, size))
    return Refuse(Format("The %s GPT header (LBA %llu) lies outside the file.", other, static_cast<ull>(otherLba)));

  GptMirrorPlan plan;
  if (!ReadHeader(file, *otherOffset, plan.header.data()))
    return Refuse(Format("There is no %s GPT header at LBA %llu.", other, static_cast<ull>(otherLba)));
  const uint8_t* o = plan.header.data();
  const uint32_t count = Get(h, hd::kEntryCount), entrySize = Get(h, hd::kEntrySize);
  if (Get(o, hd::kEntryCount) != count || Get(o, hd::kEntrySize) != entrySize)
    return Refuse(Format("The %s GPT header (LBA %llu) describes %u entries of %u bytes, the edited one %u of %u.",
                         other, static_cast<ull>(otherLba), Get(o, hd::kEntryCount), Get(o, hd::kEntrySize),
                         count, entrySize));
  const uint64_t length = uint64_t{count} * entrySize;
  if (length == 0 || length > kMaxEntryArrayBytes)
    return Refuse(Format("The partition entry array of %llu bytes cannot be copied.", static_cast<ull>(length)));

  const uint64_t ownArrayLba = Get(h, hd::kEntryArrayLba), otherArrayLba = Get(o, hd::kEntryArrayLba);
  const auto ownArray = SectorOffset(base, ownArrayLba);
  const auto otherArray = SectorOffset(base, otherArrayLba);
  if (!ownArray || !Inside(*ownArray, length, size) || !otherArray || !Inside(*otherArray, length, size))
    return Refuse(Format("An entry array (LBA %llu or LBA %llu) is not wholly inside the file.",
                         static_cast<ull>(ownArrayLba), static_cast<ull>(otherArrayLba)));
  // A copy written over the edited one would destroy both.
  if (Overlap(*otherOffset, kSector, headerOffset, kSector) || Overlap(*otherOffset, kSector, *ownArray, length) ||
      Overlap(*otherArray, length, headerOffset, kSector) || Overlap(*otherArray, length, *ownArray, length) ||
      Overlap(*otherArray, length, *otherOffset, kSector))
    return Refuse(Format("The %s copy (LBA %llu, entries at LBA %llu) overlaps the edited one.", other,
                         static_cast<ull>(otherLba), static_cast<ull>(otherArrayLba)));

  plan.array.resize(length);
  if (file.ReadAt(*ownArray, plan.array.data(), plan.array.size()) != plan.array.size())
    return Refuse("The partition entry array could not be read to its end.");

  // The other header is the edited one seen from the other end of the disk.
  plan.header = edited;
  uint8_t* n = plan.header.data();
  Put(n, hd::kPrimaryLba, otherLba);
  Put(n, hd::kBackupLba, ownLba);
  Put(n, hd::kEntryArrayLba, otherArrayLba);
  Put(n, hd::kEntryArrayCrc, Crc32(plan.array.data(), plan.array.size()));
  Put(n, hd::kHeaderCrc, GptHeaderCrc(n));
  plan.ok = true;
  plan.headerOffset = *otherOffset;
  plan.arrayOffset = *otherArray;
  plan.message = Format("Update the %s copy of the GPT too?\n(the header at LBA %llu and its %u entries at LBA %llu)",
                        other, static_cast<ull>(otherLba), count, static_cast<ull>(otherArrayLba));
  return plan;
}

// The entry array of the header at offset holds [from, from + length).
bool HoldsEntries(FileAccess& file, uint64_t headerOffset, uint64_t from, uint64_t length) {
  uint8_t h[kSector];
  if (!ReadHeader(file, headerOffset, h)) return false;
  const uint64_t ownLba = Get(h, hd::kPrimaryLba);
  uint64_t ownBytes = 0;
  if (__builtin_mul_overflow(ownLba, kSector, &ownBytes) || ownBytes > headerOffset) return false;
  const auto array = SectorOffset(headerOffset - ownBytes, Get(h, hd::kEntryArrayLba));
  const uint64_t arrayLength = uint64_t{Get(h, hd::kEntryCount)} * Get(h, hd::kEntrySize);
  return array && from >= *array && from - *array <= arrayLength && length <= arrayLength - (from - *array);
}

}  // namespace

GptMirrorPlan PlanGptMirror(uint64_t headerOffset, FileAccess& file) {
  try {
    return Plan(headerOffset, file);
  } catch (const FileError& error) {
    return Refuse(std::string(error.what()) + ".");
  }
}

std::optional<uint64_t> FindGptHeaderOfEntries(uint64_t offset, uint64_t length, FileAccess& file) {
  try {
    if (HoldsEntries(file, kSector, offset, length)) return kSector;
    uint8_t h[kSector];
    if (!ReadHeader(file, kSector, h) || Get(h, hd::kPrimaryLba) != 1) return std::nullopt;
    const auto backup = SectorOffset(0, Get(h, hd::kBackupLba));
    if (backup && HoldsEntries(file, *backup, offset, length)) return backup;
  } catch (const FileError&) {
  }
  return std::nullopt;
}

void OfferGptMirror(bool headerEdited, uint64_t offset, uint64_t length, FileAccess& file, RunHost& host) {
  constexpr const char* kNotUpdated = " The other copy of the GPT was not updated.";
  std::optional<uint64_t> headerOffset = offset;
  if (!headerEdited) headerOffset = FindGptHeaderOfEntries(offset, length, file);
  if (!headerOffset) {
    host.ShowMessage(std::string("The edited entries belong to no GPT header at LBA 1 or its backup.") + kNotUpdated);
    return;
  }
  const GptMirrorPlan plan = PlanGptMirror(*headerOffset, file);
  if (!plan.ok) {
    host.ShowMessage(plan.message + kNotUpdated);
    return;
  }
  if (!host.Confirm(plan.message)) return;
  file.WriteAt(plan.arrayOffset, plan.array.data(), plan.array.size());
  file.WriteAt(plan.headerOffset, plan.header.data(), plan.header.size());
}

}  // namespace trovik
