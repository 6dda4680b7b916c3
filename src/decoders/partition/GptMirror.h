// A GUID partition table is stored twice: the header at LBA 1 with its
// entry array, and a backup header (usually in the disk's last sector) with
// a second array. After an edit of one copy this brings the other in step,
// as disk tools do: the same entries, and the edited header with its own
// and the other LBA swapped and both CRCs recalculated.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trovik {

// The largest entry array an editor or the mirror reads (a hostile header
// may claim any size).
inline constexpr uint64_t kMaxEntryArrayBytes = 64ull * 1024 * 1024;

class FileAccess;
class RunHost;

struct GptMirrorPlan {
  bool ok = false;
  std::string message;  // why the other copy cannot be written, or (when ok) the question to ask
  uint64_t headerOffset = 0;
  uint64_t arrayOffset = 0;
  std::array<uint8_t, 512> header{};
  std::vector<uint8_t> array;
};

// Plans the other copy of the table whose header sector lies at file offset
// headerOffset (the disk's LBA 0 being headerOffset - its own LBA x 512).
// Nothing is planned when the other header is missing, outside the file, or
// describes a different entry count or size, or when the two copies would
// overlap; the message then says why. File errors are caught.
GptMirrorPlan PlanGptMirror(uint64_t headerOffset, FileAccess& file);

// The header whose entry array holds the bytes [offset, offset + length):
// the header at LBA 1 of a disk that starts at the beginning of the file, or
// the backup header it names.
std::optional<uint64_t> FindGptHeaderOfEntries(uint64_t offset, uint64_t length, FileAccess& file);

// After a confirmed edit of a GPT header (at offset) or of entries (the
// bytes [offset, offset + length)): offers to update the other copy and
// writes it when the user agrees, or says why it is left alone. A failed
// write throws FileError.
void OfferGptMirror(bool headerEdited, uint64_t offset, uint64_t length, FileAccess& file, RunHost& host);

}  // namespace trovik
