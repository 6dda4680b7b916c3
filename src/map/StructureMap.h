// The structure map: starting at offset 0, find every structure an image
// holds by following what each structure points at, and list each one as a
// row that names the dump type, start and Count that decode it.
//
// Images are hostile. The map keeps a work list instead of recursing, never
// probes the same place twice for the same thing, stops at a depth limit,
// and reads at most a fixed budget of bytes however large or broken the
// image is. What it cannot follow becomes a row that says why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/DumpRequest.h"
#include "engine/Probe.h"
#include "engine/DumpRun.h"
#include "engine/DumpType.h"
#include "engine/FileAccess.h"
#include "engine/Report.h"
#include "engine/RunHost.h"

namespace trovik {

std::vector<MapRow> BuildMap(FileAccess& file, const MapLimits& limits = {});

// The request that dumps a row exactly as the request dialog would with the
// row's type, start (relative to its base) and Count.
DumpRequest RowRequest(const MapRow& row);


// Counts the red annotations of a report (each run of red text is one),
// passing the text on to another sink when one is given.
class RedCountingSink : public ReportSink {
 public:
  explicit RedCountingSink(ReportSink* inner = nullptr) : inner_(inner) {}
  void Write(std::string_view text, bool red) override;
  void EraseBeforeInsertion() override {
    if (inner_) inner_->EraseBeforeInsertion();
  }
  int Count() const { return count_; }

 private:
  ReportSink* inner_;
  int count_ = 0;
  bool lastRed_ = false;
};

// Dumps the row into a sink that only counts red annotations; returns the
// count (and stores it in row.red). Rows without a dump count 0.
int CountRed(MapRow& row, FileAccess& file, RunHost& host);

// The plain listing: one line per row (offset, type, Count, description),
// 8-bit text like a report's, for the same terminal filtering.
std::string MapLine(const MapRow& row);
std::string MapHeader();
// The rows as a JSON array; every byte of image text escaped.
std::string MapJson(const std::vector<MapRow>& rows);
// The header line `--map --all` prints above each row's report.
std::string DumpHeaderLine(const MapRow& row);

// Dumps every row one after another, each report under its header line and
// byte for byte what the row's single run writes; a row without a dump (a
// partition, a place not followed) is its header alone, with the reason in
// red. Stores each row's red count. Aborted when the host asked to stop.
RunStatus DumpAllRows(std::vector<MapRow>& rows, FileAccess& file, ReportSink& sink, RunHost& host);

}  // namespace trovik
