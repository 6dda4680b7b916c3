#include "catalog/Catalog.h"

#include <algorithm>
#include <vector>

#include "decoders/exe/ExeDecoders.h"
#include "decoders/ext2/Ext2Decoders.h"
#include "decoders/fat/FatDecoders.h"
#include "decoders/lean/LeanDecoders.h"
#include "decoders/ohci/OhciDecoders.h"
#include "decoders/optical/OpticalDecoders.h"
#include "decoders/partition/PartitionDecoders.h"
#include "decoders/qorfs/QorDecoders.h"
#include "engine/GeneralTypes.h"

namespace trovik {

namespace {

std::vector<DumpTypeInfo> Assemble() {
  std::vector<DumpTypeInfo> table;
  auto add = [&table](DumpTypeRows rows) { table.insert(table.end(), rows.begin(), rows.end()); };
  // The families in the order of the dialog's group boxes.
  add(GeneralTypes());
  add(LeanTypes());
  add(OhciTypes());
  add(QorTypes());
  add(PartitionTypes());
  add(OpticalTypes());
  add(FatTypes());
  add(Ext2Types());
  add(ExeTypes());
  for (DumpTypeInfo& row : table) row.editEnabled = row.edit.itemSize != 0;
  return table;
}

}  // namespace

std::span<const DumpTypeInfo> DumpTypeTable() {
  static const std::vector<DumpTypeInfo> table = Assemble();
  return table;
}

const DumpTypeInfo* FindDumpType(int id) {
  for (const DumpTypeInfo& row : DumpTypeTable())
    if (static_cast<int>(row.id) == id) return &row;
  return nullptr;
}

const DumpTypeInfo* FindDumpType(DumpType id) { return FindDumpType(static_cast<int>(id)); }

const DumpTypeInfo* FindDumpTypeByName(std::string_view name) {
  for (const DumpTypeInfo& row : DumpTypeTable())
    if (row.name == name) return &row;
  return nullptr;
}

std::pair<int, int> DumpTypeIdRange() {
  const auto [low, high] = std::minmax_element(DumpTypeTable().begin(), DumpTypeTable().end(),
                                               [](const auto& a, const auto& b) { return a.id < b.id; });
  return {static_cast<int>(low->id), static_cast<int>(high->id)};
}

bool IsGeneralFormat(DumpType type) {
  for (const DumpTypeInfo& row : GeneralTypes())
    if (row.id == type) return true;
  return false;
}

Decoder FindDecoder(DumpType type) {
  const DumpTypeInfo* row = FindDumpType(type);
  return row ? row->decoder : nullptr;
}

RunStatus RunDump(const DumpRequest& request, FileAccess& file, ReportSink& sink, RunHost& host) {
  return RunDump(FindDumpType(request.dumpType), request, file, sink, host);
}

std::span<const Recogniser> VolumeRecognisers() {
  static constexpr Recogniser kRecognisers[] = {ProbeFat, ProbeExt2, ProbeIso, ProbeUdf, ProbeLean, ProbeQor, ProbeExe};
  return kRecognisers;
}

Recogniser PartitionTableRecogniser() { return ProbePartitions; }

}  // namespace trovik
