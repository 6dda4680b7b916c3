#include "map/StructureMap.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "catalog/Catalog.h"
#include "engine/DumpRun.h"
#include "engine/TextFormat.h"

namespace trovik {

namespace {

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

std::vector<MapRow> BuildMap(FileAccess& file, const MapLimits& limits) {
  std::vector<MapRow> rows;
  ProbeContext ctx(file, limits, rows);
  try {
    ProbeTarget target;
    while (ctx.NextTarget(target)) {
      bool bootSector = false;
      for (Recogniser recognise : VolumeRecognisers()) bootSector |= recognise(ctx, target);
      if (!bootSector) PartitionTableRecogniser()(ctx, target);
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
  for (MapRow& row : rows) {
    const DumpTypeInfo* info = FindDumpType(row.type);
    if (info && !info->countEnabled) row.count = 1;
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
