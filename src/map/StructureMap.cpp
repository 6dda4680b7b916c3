#include "map/StructureMap.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "catalog/Catalog.h"
#include "engine/DumpRun.h"
#include "engine/TextFormat.h"
#include "map/Probe.h"

namespace trovik {

namespace {

// The volume recognisers, in the order they look at a target. A partition
// table is looked for last, and only where none of them found a boot sector.
using Recogniser = bool (*)(ProbeContext&, const ProbeTarget&);
constexpr std::array<Recogniser, 7> kVolumeRecognisers{
    ProbeFat, ProbeExt2, ProbeIso, ProbeUdf, ProbeLean, ProbeQor, ProbeExe,
};

constexpr uint64_t kFourGiB = 0x100000000ULL;

// Rows in tree order: each partition's rows right after the partition's own
// row, in the order they were found.
void PutInTreeOrder(std::vector<MapRow>& rows) {
  std::vector<std::vector<int>> children(rows.size() + 1);
  for (size_t i = 0; i < rows.size(); ++i) {
    const int parent = rows[i].parent;
    children[parent < 0 ? rows.size() : static_cast<size_t>(parent)].push_back(static_cast<int>(i));
  }
  std::vector<MapRow> ordered;
  std::vector<int> newIndex(rows.size(), -1);
  ordered.reserve(rows.size());
  // Parents always come before their children, so an explicit stack suffices.
  std::vector<int> stack(children[rows.size()].rbegin(), children[rows.size()].rend());
  while (!stack.empty()) {
    const int i = stack.back();
    stack.pop_back();
    newIndex[static_cast<size_t>(i)] = static_cast<int>(ordered.size());
    ordered.push_back(rows[static_cast<size_t>(i)]);
    const auto& kids = children[static_cast<size_t>(i)];
    stack.insert(stack.end(), kids.rbegin(), kids.rend());
  }
  for (MapRow& row : ordered)
    if (row.parent >= 0) row.parent = newIndex[static_cast<size_t>(row.parent)];
  rows = std::move(ordered);
}

}  // namespace

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
  const DumpTypeInfo* info = FindDumpType(static_cast<int>(type));
  row.count = info && info->countEnabled ? std::clamp(count, kMinCount, kMaxCount) : 1;
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

uint64_t BaseFor(uint64_t offset, uint64_t partitionStart) {
  if (offset < kFourGiB) return 0;
  if (offset >= partitionStart && offset - partitionStart < kFourGiB) return partitionStart;
  return offset;
}

std::vector<MapRow> BuildMap(FileAccess& file, const MapLimits& limits) {
  std::vector<MapRow> rows;
  ProbeContext ctx(file, limits, rows);
  try {
    ProbeTarget target;
    while (ctx.NextTarget(target)) {
      bool bootSector = false;
      for (Recogniser recognise : kVolumeRecognisers) bootSector |= recognise(ctx, target);
      if (!bootSector) ProbePartitions(ctx, target);
    }
  } catch (const FileError& error) {
    MapRow row;
    row.what = "the image";
    row.problem = std::string("reading failed: ") + error.what();
    rows.push_back(row);
  }
  if (ctx.BudgetSpent()) {
    MapRow row;
    row.what = "the image";
    row.problem = Format("the map stopped after reading %llu bytes", static_cast<unsigned long long>(limits.readBudget));
    rows.push_back(row);
  }
  PutInTreeOrder(rows);
  return rows;
}

DumpRequest RowRequest(const MapRow& row) {
  DumpRequest request;
  request.start = Format("0x%08X", static_cast<uint32_t>(row.offset - row.base));
  request.end = "0";
  request.count = row.count;
  request.isIso = row.isIso;
  request.dumpType = row.type;
  request.offsetType = OffsetType::Bytes;
  request.base = row.base;
  request.result = kResultDump;
  return request;
}

void RedCountingSink::Write(std::string_view text, bool red) {
  if (text.empty()) return;
  if (red && !lastRed_) ++count_;
  lastRed_ = red;
  if (inner_) inner_->Write(text, red);
}

int CountRed(MapRow& row, FileAccess& file, RunHost& host) {
  if (row.type == DumpType::None) return row.red = 0;
  RedCountingSink counter;
  RunDump(RowRequest(row), file, counter, host);
  return row.red = counter.Count();
}

std::string MapHeader() { return "offset        type             count  structure\n"; }

std::string MapLine(const MapRow& row) {
  const DumpTypeInfo* info = FindDumpType(static_cast<int>(row.type));
  const std::string type = info ? std::string(info->name) : "-";
  std::string line = Format("0x%010llX  %-15s  %5s  ", static_cast<unsigned long long>(row.offset), type.c_str(),
                            info ? std::to_string(row.count).c_str() : "-");
  line.append(static_cast<size_t>(2 * row.depth), ' ');
  line += row.what;
  return line;
}

namespace {

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c >= 0x20 && c < 0x7F) {
      out += ch;
    } else if (c == 0xB7) {
      out += "\\u00b7";  // the middle dot that stands for an unprintable byte
    } else {
      AppendFormat(out, "\\u%04x", c);
    }
  }
  out += '"';
}

}  // namespace

std::string MapJson(const std::vector<MapRow>& rows) {
  std::string out = "[";
  for (size_t i = 0; i < rows.size(); ++i) {
    const MapRow& row = rows[i];
    const DumpTypeInfo* info = FindDumpType(static_cast<int>(row.type));
    out += i ? ",\n  {" : "\n  {";
    AppendFormat(out, "\"offset\": %llu, \"type\": ", static_cast<unsigned long long>(row.offset));
    if (info)
      AppendJsonString(out, info->name);
    else
      out += "null";
    AppendFormat(out, ", \"count\": %d, \"base\": %llu, ", info ? row.count : 0,
                 static_cast<unsigned long long>(row.base));
    if (row.isIso) out += "\"iso\": true, ";
    out += "\"what\": ";
    AppendJsonString(out, row.what);
    AppendFormat(out, ", \"red\": %d", std::max(row.red, 0));
    if (!row.problem.empty()) {
      out += ", \"problem\": ";
      AppendJsonString(out, row.problem);
    }
    out += "}";
  }
  out += rows.empty() ? "]\n" : "\n]\n";
  return out;
}

std::string DumpHeaderLine(const MapRow& row) {
  const DumpTypeInfo* info = FindDumpType(static_cast<int>(row.type));
  std::string line = "==== -t " + std::string(info ? info->name : "-");
  AppendFormat(line, " -s 0x%08X", static_cast<uint32_t>(row.offset - row.base));
  if (info && info->countEnabled) AppendFormat(line, " -n %d", row.count);
  if (row.isIso) line += " --iso";
  if (row.base) AppendFormat(line, " --base 0x%llX", static_cast<unsigned long long>(row.base));
  return line + ": " + row.what + "\n";
}

RunStatus DumpAllRows(std::vector<MapRow>& rows, FileAccess& file, ReportSink& sink, RunHost& host) {
  bool first = true;
  for (MapRow& row : rows) {
    if (host.AbortRequested()) return RunStatus::Aborted;
    if (!first) sink.Write("\n", false);
    first = false;
    if (row.type == DumpType::None) {
      sink.Write("==== " + row.what, false);
      if (!row.problem.empty()) sink.Write(" <-- " + row.problem, true);
      sink.Write("\n", false);
      row.red = 0;
      continue;
    }
    sink.Write(DumpHeaderLine(row), false);
    RedCountingSink counter(&sink);
    if (RunDump(RowRequest(row), file, counter, host) == RunStatus::Aborted) return RunStatus::Aborted;
    row.red = counter.Count();
  }
  return RunStatus::Done;
}

}  // namespace trovik
