// Partition tables: classic MBR entries and the GUID partition table
// (header and entries).
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "engine/DumpContext.h"

namespace trovik {

class ProbeContext;
struct ProbeTarget;

// The request dialog's group boxes of the family's types.
inline constexpr std::string_view kGptGroup = " GUID Partition ";
inline constexpr std::string_view kBootGroup = " BOOT ";

// The family's rows of the catalog, in dialog order: the rows its decoder
// files end with, joined as its CMakeLists.txt lists them.
std::vector<DumpTypeInfo> PartitionTypes();

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


// Recogniser of the structure map: finds partition tables and queues their
// partitions.
bool ProbePartitions(ProbeContext& ctx, const ProbeTarget& target);

}  // namespace trovik
