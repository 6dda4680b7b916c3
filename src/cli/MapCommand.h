// trovik-dump --map: the structure map of a file as lines, as JSON, or as
// every structure's report one after another.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/FileAccess.h"
#include "engine/RunHost.h"

namespace trovik {

class StreamSink;

struct MapOptions {
  bool json = false;
  bool all = false;
  bool check = false;
};

// Writes the map of `file` to the sink (JSON bypasses colour). Returns the
// exit status: 0, 3 when --check found a red annotation or a place not
// followed, 130 after an interrupt.
int RunMapCommand(FileAccess& file, const MapOptions& options, StreamSink& sink, RunHost& host);

// A 64-bit offset typed by a user: decimal, or hexadecimal with "0x";
// nothing when the text is not wholly a number or it does not fit.
std::optional<uint64_t> ParseOffset64(const std::string& text, int sectorShift);

}  // namespace trovik
