// The GPT editors' models: the header editor's boxes and its CRC
// recalculation over the partition entry array read from the file, and the
// entry editor's boxes.
#pragma once

#include <cstdint>
#include <string>

#include "decoders/partition/GptMirror.h"

namespace trovik {

class FileAccess;

struct GptHeaderForm {
  std::string entryCount;   // unsigned decimal
  std::string originalCrc;  // the stored entry-array CRC, "0x%08X"
  std::string newCrc;       // empty until a recalculation succeeds
};

GptHeaderForm LoadGptHeaderForm(const uint8_t* header512);

// Largest entry array the recalculation reads (far above any real table).

struct CrcRecalculation {
  bool ok = false;
  std::string message;       // why nothing changed, for a message box
  uint32_t entryArrayCrc = 0;
  uint32_t headerCrc = 0;
};

// Reads the entry array that the header at file offset headerOffset
// describes and stores its CRC (offset 88), then the header's own CRC
// (offset 16). The array lies (entry-array LBA - the header's own LBA) x 512
// bytes from the header, so a backup header finds its array too. An empty,
// oversized or unreadable array, or one not wholly inside the file, leaves
// the header unchanged and says why. File errors are caught.
CrcRecalculation RecalculateGptCrcs(uint8_t* header512, uint64_t headerOffset, FileAccess& file);

struct GptEntryForm {
  std::string entryNumber;  // shown only
  std::string firstLba;     // unsigned decimal, read back with the automatic base
  std::string lastLba;
  bool required = false;        // attribute bit 0
  bool hiddenFromUefi = false;  // bit 1
  bool legacyBootable = false;  // bit 2
  std::u16string name;          // up to the first zero unit, at most 36 units
};

inline constexpr const char* kGptEntryReminder =
    "Modifying a value here will need the Header updated.\r\nBe sure to 'Edit' the Header too.";

GptEntryForm LoadGptEntryForm(const uint8_t* entry128, int index);
// Stores the LBAs (64-bit) and attribute bits 0-2 (bits 3-63 kept). The
// name's 72 bytes are rewritten only when the box differs from what the
// entry holds, as the typed UTF-16 units zero-filled to 36; otherwise they
// stay exactly as they were, bytes after a terminating zero unit included.
void StoreGptEntryForm(const GptEntryForm& form, uint8_t* entry128);

}  // namespace trovik
