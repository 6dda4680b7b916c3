// What a family's recogniser sees of the map: bounded reads of the file,
// rows to add, and volumes to look into next. Each family contributes one
// recogniser function (in its own folder) that the driver's list names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/DumpType.h"
#include "engine/FileAccess.h"
#include "map/StructureMap.h"

namespace trovik {

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

// Image text (labels, names) for a description: printable ASCII kept,
// anything else the middle dot, trailing blanks and NULs dropped.
std::string ImageText(const uint8_t* bytes, size_t len);
// "0x" and at least eight upper-case hexadecimal digits.
std::string HexOffset(uint64_t value);

// The recognisers. Each looks at the target's start for its family's
// structures, adds their rows and queues what they point at. It returns
// true when it recognised the target's first sector as its own (a boot
// sector), so that a partition table is not looked for there.
bool ProbeFat(ProbeContext& ctx, const ProbeTarget& target);
bool ProbeExt2(ProbeContext& ctx, const ProbeTarget& target);
bool ProbeIso(ProbeContext& ctx, const ProbeTarget& target);
bool ProbeUdf(ProbeContext& ctx, const ProbeTarget& target);
bool ProbeLean(ProbeContext& ctx, const ProbeTarget& target);
bool ProbeQor(ProbeContext& ctx, const ProbeTarget& target);
bool ProbeExe(ProbeContext& ctx, const ProbeTarget& target);
bool ProbePartitions(ProbeContext& ctx, const ProbeTarget& target);

}  // namespace trovik
