// USB OHCI structures as a driver shares them with its host controller,
// decoded from a memory capture: the host controller communications area
// (HCCA), endpoint descriptors, general transfer descriptors and
// isochronous transfer descriptors.
//
// These structures hold physical addresses, so every decoder can show a
// display address in its titles instead of the file offset: when the
// request asks for it, the front end is asked for the address of the first
// item (the bytes are still read from the requested file offset).
#pragma once

#include <string_view>
#include <vector>

#include "engine/DumpContext.h"

namespace trovik {

// The request dialog's group box of the family's types.
inline constexpr std::string_view kOhciGroup = " OHCI";

// The family's rows of the catalog, in dialog order: the rows its decoder
// files end with, joined as its CMakeLists.txt lists them.
std::vector<DumpTypeInfo> OhciTypes();

// DumpType::OhciHcca: one communications area (Count is not used).
DumpEnd DumpOhciHcca(DumpContext& ctx);
// DumpType::OhciEd: Count endpoint descriptors, 16 bytes apart.
DumpEnd DumpOhciEd(DumpContext& ctx);
// DumpType::OhciTd: Count general transfer descriptors, 16 bytes apart.
DumpEnd DumpOhciTd(DumpContext& ctx);
// DumpType::OhciItd: Count isochronous transfer descriptors, 32 bytes apart;
// only their titles are listed.
DumpEnd DumpOhciItd(DumpContext& ctx);

}  // namespace trovik
