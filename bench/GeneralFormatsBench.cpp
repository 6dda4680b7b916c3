// In-process throughput of the general formats and the report writer, with
// a sink that discards the text: the cost of formatting alone.
#include <benchmark/benchmark.h>

#include <vector>

#include "catalog/Catalog.h"

namespace {

using namespace trovik;

class NullSink : public ReportSink {
 public:
  void Write(std::string_view text, bool) override { bytes += text.size(); }
  size_t bytes = 0;
};

class QuietHost : public RunHost {
 public:
  void ShowMessage(const std::string&) override {}
};

void Format(benchmark::State& state, DumpType type) {
  std::vector<uint8_t> data(8 << 20);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 2654435761u >> 13);
  MemoryFile file(std::move(data));
  DumpRequest request;
  request.dumpType = type;
  request.start = "0";
  request.end = "-1";
  QuietHost host;
  for (auto _ : state) {
    NullSink sink;
    RunDump(request, file, sink, host);
    benchmark::DoNotOptimize(sink.bytes);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.Size()));
}

BENCHMARK_CAPTURE(Format, DosDebug, DumpType::DosDebug)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Format, Assembly, DumpType::Assembly)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Format, C, DumpType::C)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Format, Basic, DumpType::Basic)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Format, AsciiText, DumpType::AsciiText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
