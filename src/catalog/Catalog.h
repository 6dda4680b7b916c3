// The catalog: every dump type as one row, in the order of the request
// dialog. Each family owns its rows (the general formats in the engine, the
// structure families in src/decoders); the catalog only puts them in order.
// The dispatch, the request dialog, the command line and its man page, the
// fuzzer and the tests all list types from here.
#pragma once

#include <span>
#include <string_view>
#include <utility>

#include "engine/DumpRun.h"
#include "engine/DumpType.h"
#include "engine/Probe.h"

namespace trovik {

// Every type in dialog order.
std::span<const DumpTypeInfo> DumpTypeTable();
const DumpTypeInfo* FindDumpType(int id);
const DumpTypeInfo* FindDumpType(DumpType id);
const DumpTypeInfo* FindDumpTypeByName(std::string_view name);
// The lowest and the highest id of the catalog.
std::pair<int, int> DumpTypeIdRange();

// True for the six general formats (hex listing, source data, text).
bool IsGeneralFormat(DumpType type);

// The decoder of a type, or nullptr when this build has none for it.
Decoder FindDecoder(DumpType type);

// A dump run of the request's type as the catalog has it.
RunStatus RunDump(const DumpRequest& request, FileAccess& file, ReportSink& sink, RunHost& host);

// The families' recognisers of the structure map, in the order they look at
// a place; the partition tables' recogniser runs where none of them found a
// boot sector.
std::span<const Recogniser> VolumeRecognisers();
Recogniser PartitionTableRecogniser();

}  // namespace trovik
