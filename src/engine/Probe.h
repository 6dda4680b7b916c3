// What a family's recogniser sees of the structure map: bounded reads of
// the file, rows to add, and volumes to look into next. Each family
// contributes one recogniser (in its own folder); the catalog lists them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/DumpType.h"
#include "engine/FileAccess.h"

namespace trovik {

struct MapRow {
  uint64_t offset = 0;             // absolute offset in the file
  DumpType type = DumpType::None;  // None: a partition (a group of rows) or a place not followed
  int count = 0;                   // the Count its dump uses (0 when it has no dump)
  uint64_t base = 0;               // the base its dump runs through (0: none)
  bool isIso = false;              // dumped with 2048-byte sectors (UDF)
  std::string what;                // a description; image text in it is printable ASCII or 0xB7
  std::string problem;             // why it could not be followed; empty when it was
  int depth = 0;                   // 0 for the image's own structures, one more per partition level
  int parent = -1;                 // the row of the partition it lies in, or -1
  int red = -1;                    // red annotations of its dump; -1 until counted
};

struct MapLimits {
  uint64_t readBudget = 4u << 20;  // bytes the probes may read in all
  int maxDepth = 6;                // partitions inside partitions inside ...
  size_t maxRows = 4096;
};

// Finds the structures of the file. Never throws for what the file holds;
// a failing read (FileError) ends the map early with a row saying so.

// A place to look at: the whole image, a partition, a boot image.
struct ProbeTarget {
  uint64_t start = 0;  // absolute offset of its first byte
  uint64_t end = 0;    // one past its last byte, never past the end of the file
  std::string label;   // "partition 2 (Linux)"; empty for the image itself
  int depth = 0;
  int parent = -1;     // the row that stands for it, or -1
  uint64_t Size() const { return end - start; }
  // True when [offset, offset + len) lies inside the target.
  bool Holds(uint64_t offset, uint64_t len) const {
    return offset >= start && offset <= end && len <= end - offset;
  }
};

class ProbeContext {
 public:
  ProbeContext(FileAccess& file, const MapLimits& limits, std::vector<MapRow>& rows);

  uint64_t FileSize() const { return fileSize_; }
  // Reads exactly len bytes at an absolute offset. False (buffer zeroed)
  // when the bytes are not all in the file or the read budget is spent.
  bool Read(uint64_t offset, void* buffer, size_t len);
  bool BudgetSpent() const { return budgetSpent_; }

  // A structure found in the target: dumped with this type and Count.
  int AddRow(const ProbeTarget& target, uint64_t offset, DumpType type, int count, std::string what,
             bool isIso = false);
  // A place that points somewhere the map does not follow, and why.
  int AddProblem(const ProbeTarget& target, uint64_t offset, std::string what, std::string problem);
  // A row without a dump that only says what lies there.
  int AddNote(const ProbeTarget& target, uint64_t offset, std::string what) {
    return AddProblem(target, offset, std::move(what), "");
  }
  // A partition (or boot image): a row of its own that the rows found in it
  // hang under, then looked into. A target outside the file, or one already
  // looked into, gets a problem row instead.
  void AddVolume(const ProbeTarget& container, uint64_t start, uint64_t end, std::string label);

  // The work list the driver runs.
  bool NextTarget(ProbeTarget& target);

 private:
  bool Full() const { return rows_.size() >= limits_.maxRows; }
  FileAccess& file_;
  MapLimits limits_;
  std::vector<MapRow>& rows_;
  uint64_t fileSize_;
  uint64_t spent_ = 0;
  bool budgetSpent_ = false;
  std::vector<ProbeTarget> pending_;
  size_t next_ = 0;
  std::vector<uint64_t> volumeStarts_;
};

// The base a dump of a structure at `offset` runs through: none below
// 4 GiB, else the start of its partition when that brings it below, else
// the structure's own offset.
uint64_t BaseFor(uint64_t offset, uint64_t partitionStart);

// Image text (labels, names) for a description: printable ASCII kept,
// anything else the middle dot, trailing blanks and NULs dropped.
std::string ImageText(const uint8_t* bytes, size_t len);
// "0x" and at least eight upper-case hexadecimal digits.
std::string HexOffset(uint64_t value);

// A recogniser looks at the target's start for its family's structures,
// adds their rows and queues what they point at. It returns true when it
// recognised the target's first sector as its own (a boot sector), so that
// a partition table is not looked for there.
using Recogniser = bool (*)(ProbeContext& ctx, const ProbeTarget& target);

}  // namespace trovik
