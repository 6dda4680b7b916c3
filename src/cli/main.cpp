// trovik-dump: the command-line twin of the desktop application. It turns
// options into the same dump request and writes the same report text.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "cli/MapCommand.h"
#include "catalog/Catalog.h"
#include "cli/StreamSink.h"
#include "engine/DumpRun.h"
#include "engine/FileAccess.h"
#include "engine/TextFormat.h"
#include "map/StructureMap.h"

namespace {

using namespace trovik;

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) { g_interrupted.store(true); }

class CliHost : public RunHost {
 public:
  CliHost(std::optional<uint32_t> address, StreamSink* sink) : address_(address), sink_(sink) {}
  bool AbortRequested() override { return g_interrupted.load(std::memory_order_relaxed) || sink_->Error() != 0; }
  void ShowMessage(const std::string& text) override { std::cerr << text << '\n'; }
  std::optional<uint32_t> AskStartOffset() override { return address_; }

 private:
  std::optional<uint32_t> address_;
  StreamSink* sink_;
};

std::string Trim(std::string_view text) {
  size_t a = text.find_first_not_of(' ');
  size_t b = text.find_last_not_of(' ');
  return a == std::string_view::npos ? std::string() : std::string(text.substr(a, b - a + 1));
}

void ListTypes() {
  std::printf("%-4s  %-15s  %-21s  %-24s  %5s  %s\n", "id", "name", "group", "caption", "count", "start");
  for (const auto& t : DumpTypeTable()) {
    std::string count = t.countEnabled ? std::to_string(t.defaultCount) : "-";
    std::printf("%-4d  %-15.*s  %-21s  %-24.*s  %5s  0x%08X\n", static_cast<int>(t.id), static_cast<int>(t.name.size()),
                t.name.data(), Trim(t.group).c_str(), static_cast<int>(t.caption.size()), t.caption.data(),
                count.c_str(), t.defaultStart);
  }
}

const DumpTypeInfo* ResolveType(const std::string& text) {
  if (const DumpTypeInfo* byName = FindDumpTypeByName(text)) return byName;
  char* endp = nullptr;
  long id = std::strtol(text.c_str(), &endp, 10);
  if (!text.empty() && *endp == '\0') return FindDumpType(static_cast<int>(id));
  return nullptr;
}

// Text that never reached standard output (a full disk, a closed stream) is
// a failure, also for the options that only print. The caller clears errno
// before printing, so the cause of a write that failed early is kept.
int FinishStandardOutput(int status) {
  std::cout.flush();
  const bool flushed = std::fflush(stdout) == 0;
  const int cause = errno;
  if (flushed && !std::ferror(stdout) && std::cout.good()) return status;
  std::cerr << "Error writing output: " << std::strerror(cause ? cause : EIO) << '\n';
  return 1;
}

std::string TypeNamesHelp() {
  std::string names = "Dump types (name or id):\n";
  std::string line = " ";
  for (const auto& t : DumpTypeTable()) {
    std::string item = " " + std::string(t.name) + " " + std::to_string(static_cast<int>(t.id));
    if (line.size() + item.size() > 78) {
      names += line + "\n";
      line = " ";
    }
    line += item;
  }
  names += line + "\n";
  names += "Exit status: 0 done, 1 file error, 2 usage error, 3 red annotations found (--check), 130 interrupted.\n";
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Dumps a byte range of a file as a hex listing, source data or text, or decodes the\n"
               "on-disk structure found there, and prints the report.",
               "trovik-dump"};
  app.footer(TypeNamesHelp());
  app.set_version_flag("--version", std::string("trovik-dump ") + TROVIK_VERSION);

  std::string typeText, startText, endText, addressText, color = "auto", output, path;
  int count = 0;
  bool sectors = false, iso = false, raw = false, listTypes = false;
  const auto [lowId, highId] = DumpTypeIdRange();
  app.add_option("-t,--type", typeText,
                 "a dump type name or its numeric id (" + std::to_string(lowId) + ".." + std::to_string(highId) + ")");
  app.add_option("-s,--start", startText, "start offset: decimal, or hexadecimal with 0x (default: the type's)");
  app.add_option("-e,--end", endText, "end offset of the general formats (default: the end of the file)");
  app.add_option("-n,--count", count, "number of consecutive structures, 1..16384 (default: the type's)")
      ->check(CLI::Range(kMinCount, kMaxCount));
  app.add_flag("--sectors", sectors, "offsets are sectors (512 bytes, 2048 with --iso)");
  app.add_flag("--iso", iso, "sectors are 2048 bytes");
  app.add_option("--address", addressText, "display address for the OHCI types");
  app.add_option("--color", color, "red annotations as ANSI colour: auto, always or never")
      ->check(CLI::IsMember({"auto", "always", "never"}));
  app.add_flag("--raw", raw, "write the report's 8-bit bytes unchanged (code page 1252)");
  app.add_option("-o,--output", output, "write the report to this file instead of standard output");
  app.add_flag("--list-types", listTypes, "list every dump type with its defaults");
  app.add_option("FILE", path, "the file to dump (opened read-only)");
  // The structure map, health checks and 64-bit bases.
  bool mapMode = false;
  MapOptions mapOptions;
  std::string baseText;
  app.add_flag("--map", mapMode, "list every structure found in the file: offset, type, count, description");
  app.add_flag("--json", mapOptions.json, "with --map: the rows as a JSON array (with red annotation counts)");
  app.add_flag("--all", mapOptions.all, "with --map: dump every structure found, each under a header line");
  app.add_flag("--check", mapOptions.check, "exit 3 when the report holds a red annotation (with -t or --map)");
  app.add_option("--base", baseText, "the run sees the file from this offset on (64-bit; sectors with --sectors)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    errno = 0;
    return FinishStandardOutput(app.exit(e));
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  }
  if (listTypes) {
    errno = 0;
    ListTypes();
    return FinishStandardOutput(0);
  }
  if ((mapOptions.json || mapOptions.all) && !mapMode) {
    std::cerr << "trovik-dump: --json and --all go with --map\n";
    return 2;
  }
  if (mapMode && !(typeText.empty() && startText.empty() && baseText.empty())) {
    std::cerr << "trovik-dump: --map finds the types and offsets itself; -t, -s and --base do not go with it\n";
    return 2;
  }
  uint64_t base = 0;
  if (!baseText.empty()) {
    const std::optional<uint64_t> parsed = ParseOffset64(baseText, sectors ? SectorShift(iso) : 0);
    if (!parsed) {
      std::cerr << "trovik-dump: --base '" << baseText << "' is not an offset\n";
      return 2;
    }
    base = *parsed;
  }
  if (typeText.empty() && !mapMode) {
    std::cerr << "trovik-dump: --type is required (see --list-types)\n";
    return 2;
  }
  if (path.empty()) {
    std::cerr << "trovik-dump: no FILE given\n";
    return 2;
  }
  const DumpTypeInfo* type = mapMode ? FindDumpType(static_cast<int>(DumpType::DosDebug)) : ResolveType(typeText);
  if (!type) {
    std::cerr << "trovik-dump: unknown dump type '" << typeText << "' (see --list-types)\n";
    return 2;
  }

  std::unique_ptr<PosixFile> file;
  uint64_t size = 0;
  try {
    file = PosixFile::Open(path, OpenMode::ReadOnly);
    size = file->Size();
  } catch (const FileError& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  if (base && base >= size) {
    std::cerr << "trovik-dump: --base lies at or past the end of the file\n";
    return 2;
  }
  if (ExceedsAddressableSize(size - base) && !mapMode) std::cerr << kLargeFileWarning << '\n';

  DumpRequest request;
  request.offsetType = sectors ? OffsetType::Sectors : OffsetType::Bytes;
  request.isIso = iso;
  request.base = base;
  const RangeTexts preset = PresetRange(size - base, request.offsetType, iso);
  request.start = startText.empty() ? Format("0x%08X", type->defaultStart) : startText;
  request.end = endText.empty() ? preset.end : endText;
  request.count = !type->countEnabled ? 1 : count > 0 ? count : type->defaultCount;
  request.dumpType = type->id;
  request.result = kResultDump;
  std::optional<uint32_t> address;
  if (!addressText.empty()) {
    address = ParseOffsetText(addressText);
    request.askOffset = true;
  }

  int fd = STDOUT_FILENO;
  if (!output.empty()) {
    // Opening the output truncates it: never let that be the file being dumped.
    struct stat in {}, out {};
    if (::stat(path.c_str(), &in) == 0 && ::stat(output.c_str(), &out) == 0 && in.st_dev == out.st_dev &&
        in.st_ino == out.st_ino) {
      std::cerr << "trovik-dump: the output file is the file being dumped\n";
      return 2;
    }
    fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
      std::cerr << "Error opening output file: " << std::strerror(errno) << '\n';
      return 1;
    }
  }
  const bool useColor = color == "always" || (color == "auto" && output.empty() && ::isatty(STDOUT_FILENO));

  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  StreamSink sink(fd, !raw, useColor, &g_interrupted);
  CliHost host(address, &sink);
  RedCountingSink counter(&sink);
  const int mapStatus = mapMode ? RunMapCommand(*file, mapOptions, sink, host) : 0;
  const RunStatus status = mapMode ? RunStatus::Done : RunDump(request, *file, counter, host);
  const bool written = sink.Flush();
  if (sink.GaveUp()) {
    // The output stalled when the signal came: the abort text could not go
    // there, so the terminal gets it.
    std::cerr << (kAbortText + 1) << '\n';
    return 130;
  }
  if (fd != STDOUT_FILENO && ::close(fd) != 0 && written) {
    std::cerr << "Error writing output: " << std::strerror(errno) << '\n';
    return 1;
  }
  if (!written) {
    std::cerr << "Error writing output: " << std::strerror(sink.Error()) << '\n';
    return 1;
  }
  if (mapStatus) return mapStatus;
  switch (status) {
    case RunStatus::Done:
      return mapOptions.check && counter.Count() ? 3 : 0;
    case RunStatus::Aborted:
      return 130;
    case RunStatus::FileFailed:
    case RunStatus::Unavailable:
      return 1;
  }
  return 1;
}
