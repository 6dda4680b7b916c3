#include "editors/GptEditors.h"

#include <cstring>
#include <vector>

#include "decoders/common/Checksums.h"
#include "decoders/partition/GptLayout.h"
#include "editors/FieldText.h"
#include "engine/FileAccess.h"
#include "engine/TextFormat.h"

namespace trovik {

namespace {

namespace hd = gpt::header;
namespace en = gpt::entry;

constexpr const char* kUnchanged = " The CRCs were not changed.";

CrcRecalculation Refuse(std::string why) { return {false, why + kUnchanged, 0, 0}; }

std::u16string StoredName(const uint8_t* entry) {
  std::u16string name;
  for (size_t i = 0; i < en::kNameUnits; ++i) {
    const char16_t unit = Get(entry, en::NameUnit(i));
    if (unit == 0) break;
    name += unit;
  }
  return name;
}

}  // namespace

GptHeaderForm LoadGptHeaderForm(const uint8_t* h) {
  GptHeaderForm f;
  f.entryCount = Format("%u", Get(h, hd::kEntryCount));
  f.originalCrc = Format("0x%08X", Get(h, hd::kEntryArrayCrc));
  return f;
}

CrcRecalculation RecalculateGptCrcs(uint8_t* h, uint64_t headerOffset, FileAccess& file) {
  const uint64_t length = uint64_t{Get(h, hd::kEntrySize)} * Get(h, hd::kEntryCount);
  if (length == 0) return Refuse("The header describes an empty partition entry array (no entries or entry size 0).");
  if (length > kMaxEntryArrayBytes)
    return Refuse(Format("The partition entry array of %llu bytes is too large.",
                         static_cast<unsigned long long>(length)));

  // The array's place relative to the header, in sectors; computed with
  // overflow checks because both LBAs come straight from the disk.
  const auto arrayLba = static_cast<int64_t>(Get(h, hd::kEntryArrayLba));
  const auto ownLba = static_cast<int64_t>(Get(h, hd::kPrimaryLba));
  int64_t sectors = 0, bytes = 0, offset = 0;
  const uint64_t size = file.Size();
  const bool overflow = __builtin_sub_overflow(arrayLba, ownLba, &sectors) ||
                        __builtin_mul_overflow(sectors, int64_t{512}, &bytes) ||
                        __builtin_add_overflow(static_cast<int64_t>(headerOffset), bytes, &offset);
  if (overflow || offset < 0 || static_cast<uint64_t>(offset) > size ||
      length > size - static_cast<uint64_t>(offset))
    return Refuse(Format("The partition entry array (%llu bytes at LBA %lld) is not wholly inside the file.",
                         static_cast<unsigned long long>(length), static_cast<long long>(arrayLba)));

  std::vector<uint8_t> array(length);
  try {
    if (file.ReadAt(static_cast<uint64_t>(offset), array.data(), array.size()) != array.size())
      return Refuse("The partition entry array could not be read to its end.");
  } catch (const FileError& error) {
    return Refuse(std::string(error.what()) + ".");
  }

  CrcRecalculation result;
  result.ok = true;
  result.entryArrayCrc = Crc32(array.data(), array.size());
  Put(h, hd::kEntryArrayCrc, result.entryArrayCrc);
  result.headerCrc = GptHeaderCrc(h);
  Put(h, hd::kHeaderCrc, result.headerCrc);
  return result;
}

GptEntryForm LoadGptEntryForm(const uint8_t* e, int index) {
  GptEntryForm f;
  f.entryNumber = Format("%u", static_cast<unsigned>(index));
  f.firstLba = Format("%llu", static_cast<unsigned long long>(Get(e, en::kFirstLba)));
  f.lastLba = Format("%llu", static_cast<unsigned long long>(Get(e, en::kLastLba)));
  const uint64_t attributes = Get(e, en::kAttributes);
  f.required = attributes & 1;
  f.hiddenFromUefi = attributes & 2;
  f.legacyBootable = attributes & 4;
  f.name = StoredName(e);
  return f;
}

void StoreGptEntryForm(const GptEntryForm& f, uint8_t* e) {
  Put(e, en::kFirstLba, ParseAutoBase(f.firstLba));
  Put(e, en::kLastLba, ParseAutoBase(f.lastLba));
  uint64_t attributes = Get(e, en::kAttributes) & ~uint64_t{7};
  attributes |= (f.required ? 1u : 0u) | (f.hiddenFromUefi ? 2u : 0u) | (f.legacyBootable ? 4u : 0u);
  Put(e, en::kAttributes, attributes);
  if (f.name != StoredName(e)) {
    std::memset(At(e, en::kName), 0, en::kName.size);
    for (size_t i = 0; i < f.name.size() && i < en::kNameUnits && f.name[i] != 0; ++i)
      Put(e, en::NameUnit(i), f.name[i]);
  }
}

}  // namespace trovik
