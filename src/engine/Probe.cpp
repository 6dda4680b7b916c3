#include "engine/Probe.h"

#include <algorithm>
#include <cstring>

#include "engine/DumpRequest.h"
#include "engine/Report.h"
#include "engine/TextFormat.h"

namespace trovik {

uint64_t BaseFor(uint64_t offset, uint64_t partitionStart) {
  constexpr uint64_t kFourGiB = 0x100000000ULL;
  if (offset < kFourGiB) return 0;
  if (offset >= partitionStart && offset - partitionStart < kFourGiB) return partitionStart;
  return offset;
}

ProbeContext::ProbeContext(FileAccess& file, const MapLimits& limits, std::vector<MapRow>& rows)
    : file_(file), limits_(limits), rows_(rows), fileSize_(file.Size()) {
  pending_.push_back(ProbeTarget{0, fileSize_, "", 0, -1});
  volumeStarts_.push_back(0);
}

bool ProbeContext::Read(uint64_t offset, void* buffer, size_t len) {
  std::memset(buffer, 0, len);
  if (offset > fileSize_ || len > fileSize_ - offset) return false;
  if (len > limits_.readBudget - std::min(spent_, limits_.readBudget)) {
    budgetSpent_ = true;
    return false;
  }
  spent_ += len;
  return file_.ReadAt(offset, buffer, len) == len;
}

int ProbeContext::AddRow(const ProbeTarget& target, uint64_t offset, DumpType type, int count, std::string what,
                         bool isIso) {
  if (Full()) return -1;
  MapRow row;
  row.offset = offset;
  row.type = type;
  // (The map sets it to 1 for types without a Count.)
  row.count = std::clamp(count, kMinCount, kMaxCount);
  row.base = BaseFor(offset, target.start);
  row.isIso = isIso;
  row.what = target.label.empty() ? std::move(what) : target.label + ": " + what;
  row.depth = target.depth;
  row.parent = target.parent;
  rows_.push_back(std::move(row));
  return static_cast<int>(rows_.size() - 1);
}

int ProbeContext::AddProblem(const ProbeTarget& target, uint64_t offset, std::string what, std::string problem) {
  // Once the budget is spent, reads fail for that reason alone: one row says so.
  if (Full() || budgetSpent_) return -1;
  MapRow row;
  row.offset = offset;
  row.what = target.label.empty() ? std::move(what) : target.label + ": " + what;
  row.problem = std::move(problem);
  row.depth = target.depth;
  row.parent = target.parent;
  rows_.push_back(std::move(row));
  return static_cast<int>(rows_.size() - 1);
}

void ProbeContext::AddVolume(const ProbeTarget& container, uint64_t start, uint64_t end, std::string label) {
  if (Full()) return;
  std::string what = label;
  if (end > start) AppendFormat(what, ", %llu bytes", static_cast<unsigned long long>(end - start));
  std::string problem;
  if (end <= start) {
    problem = "it is empty";
  } else if (start >= fileSize_) {
    problem = "it starts past the end of the file (" + HexOffset(fileSize_) + " bytes)";
  } else if (container.depth + 1 > limits_.maxDepth) {
    problem = "it is nested too deep";
  } else if (std::find(volumeStarts_.begin(), volumeStarts_.end(), start) != volumeStarts_.end()) {
    problem = "it starts at " + HexOffset(start) + ", which is already mapped";
  }
  if (problem.empty() && end > fileSize_) what += ", cut short by the end of the file";
  // The partition's row sits beside the container's own rows.
  MapRow row;
  row.offset = start;
  row.what = container.label.empty() ? what : container.label + ": " + what;
  row.problem = problem;
  row.depth = container.depth;
  row.parent = container.parent;
  rows_.push_back(std::move(row));
  if (!problem.empty()) return;
  volumeStarts_.push_back(start);
  pending_.push_back(ProbeTarget{start, std::min(end, fileSize_), std::move(label), container.depth + 1,
                                 static_cast<int>(rows_.size() - 1)});
}

bool ProbeContext::NextTarget(ProbeTarget& target) {
  if (next_ >= pending_.size() || budgetSpent_ || Full()) return false;
  target = pending_[next_++];
  return true;
}

std::string ImageText(const uint8_t* bytes, size_t len) {
  std::string text;
  for (size_t i = 0; i < len; ++i) text += static_cast<char>(PrintableChar(bytes[i]));
  // Padding is blanks or NULs (which became the middle dot).
  while (!text.empty() && (text.back() == ' ' || (bytes[text.size() - 1] == 0))) text.pop_back();
  return text;
}

std::string HexOffset(uint64_t value) { return Format("0x%08llX", static_cast<unsigned long long>(value)); }

}  // namespace trovik
