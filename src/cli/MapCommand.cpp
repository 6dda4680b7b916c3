#include "cli/MapCommand.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "cli/StreamSink.h"
#include "catalog/Catalog.h"
#include "engine/DumpRun.h"
#include "map/StructureMap.h"

namespace trovik {

namespace {

// Messages of the per-row dumps would interleave with the listing: the map
// keeps them out of the way (a structure the file does not hold is already
// a row of its own).
class QuietHost : public RunHost {
 public:
  explicit QuietHost(RunHost& outer) : outer_(outer) {}
  bool AbortRequested() override { return outer_.AbortRequested(); }
  void ShowMessage(const std::string&) override {}

 private:
  RunHost& outer_;
};

void WriteProblem(StreamSink& sink, const MapRow& row) {
  if (!row.problem.empty()) sink.Write(" <-- " + row.problem, true);
  sink.Write("\n", false);
}

}  // namespace

int RunMapCommand(FileAccess& file, const MapOptions& options, StreamSink& sink, RunHost& host) {
  std::vector<MapRow> rows = BuildMap(file);
  QuietHost quiet(host);
  int unclean = 0;
  for (const MapRow& row : rows) unclean += !row.problem.empty();

  if (options.all) {
    if (DumpAllRows(rows, file, sink, host) == RunStatus::Aborted) return 130;
    for (const MapRow& row : rows) unclean += row.red;
  } else if (options.json || options.check) {
    for (MapRow& row : rows) {
      if (host.AbortRequested()) return 130;
      unclean += CountRed(row, file, quiet);
    }
  }

  if (options.json) {
    sink.Write(MapJson(rows), false);
  } else if (!options.all) {
    sink.Write(MapHeader(), false);
    for (const MapRow& row : rows) {
      sink.Write(MapLine(row), false);
      WriteProblem(sink, row);
    }
  }
  if (host.AbortRequested()) return 130;
  return options.check && unclean ? 3 : 0;
}

std::optional<uint64_t> ParseOffset64(const std::string& text, int sectorShift) {
  if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ') return std::nullopt;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char digit = text[hex ? 2 : 0];
  if (!(hex ? std::isxdigit(static_cast<unsigned char>(digit)) : std::isdigit(static_cast<unsigned char>(digit))))
    return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
  if (errno == ERANGE || *end != '\0' || end == text.c_str() + (hex ? 2 : 0)) return std::nullopt;
  if (sectorShift && value > (UINT64_MAX >> sectorShift)) return std::nullopt;
  return static_cast<uint64_t>(value) << sectorShift;
}

}  // namespace trovik
