// Partition tables: classic MBR entries and the GUID partition table
// (header and entries).
#pragma once

#include <array>

#include "engine/DumpContext.h"

namespace trovik {

// "Master Boot Rec": Count 16-byte partition entries.
DumpEnd DumpMbr(DumpContext& ctx);
// GPT header: one 512-byte header sector with its CRC check and the
// listing of its reserved remainder.
DumpEnd DumpGptHeader(DumpContext& ctx);
// GPT entries: Count 128-byte partition entries.
DumpEnd DumpGptEntry(DumpContext& ctx);

// The name of every MBR system ID byte; IDs without a name of their own
// read "*unknown*", so the lookup never fails.
extern const std::array<const char*, 256> MbrSystemIdNames;

}  // namespace trovik
