// Decoders of optical-media structures: ISO 9660 volume descriptors,
// directory records and path table entries (8-bit names and the Joliet
// big-endian 16-bit names), and UDF descriptors with their tag checks.
#pragma once

#include <string_view>
#include <vector>

#include "engine/DumpContext.h"

namespace trovik {

class ProbeContext;
struct ProbeTarget;

// The request dialog's group boxes of the family's types.
inline constexpr std::string_view kIsoGroup = " CDROM (ISO)";
inline constexpr std::string_view kUdfGroup = " CDROM (UDF)";

// The family's rows of the catalog, in dialog order: the rows its decoder
// files end with, joined as its CMakeLists.txt lists them.
std::vector<DumpTypeInfo> OpticalTypes();

// One 2,048-byte volume descriptor: DumpType::IsoPvd (primary) and
// DumpType::IsoSvd (supplementary, Joliet texts).
DumpEnd DumpIsoVolumeDescriptor(DumpContext& ctx);
// Count directory records in a row: DumpType::IsoDir and IsoDirWide.
DumpEnd DumpIsoDirRecord(DumpContext& ctx);
// Count path table entries in a row: DumpType::IsoPath and IsoPathWide.
DumpEnd DumpIsoPathTable(DumpContext& ctx);
// Count UDF descriptors, one per sector: DumpType::Udf.
DumpEnd DumpUdf(DumpContext& ctx);


// Recogniser of the structure map: finds this family's structures where a
// volume (or the image) starts.
bool ProbeIso(ProbeContext& ctx, const ProbeTarget& target);
bool ProbeUdf(ProbeContext& ctx, const ProbeTarget& target);

}  // namespace trovik
