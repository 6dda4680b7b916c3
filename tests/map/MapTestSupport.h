// Shared by the map's tests: the map of a file on disk, finding rows,
// running real tools and reading what they say.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/FileAccess.h"
#include "map/StructureMap.h"
#include "support/Program.h"
#include "support/RuleTable.h"
#include "support/Scratch.h"
#include "support/ToolOutput.h"

namespace trovik::test {

inline std::vector<MapRow> MapOf(const std::string& path) {
  auto file = PosixFile::Open(path, OpenMode::ReadOnly);
  return BuildMap(*file);
}

// The offsets of the rows of one type whose description holds `what`.
inline std::vector<uint64_t> OffsetsOf(const std::vector<MapRow>& rows, DumpType type, const std::string& what = "") {
  std::vector<uint64_t> offsets;
  for (const MapRow& row : rows)
    if (row.type == type && row.what.find(what) != std::string::npos) offsets.push_back(row.offset);
  return offsets;
}

inline const MapRow* FindRow(const std::vector<MapRow>& rows, DumpType type, const std::string& what = "") {
  for (const MapRow& row : rows)
    if (row.type == type && row.what.find(what) != std::string::npos) return &row;
  return nullptr;
}

// The offset of the first note row (no dump type) whose description starts
// with `what` ("partition 2 (", "El Torito boot catalogue").
inline uint64_t NoteAt(const std::vector<MapRow>& rows, const std::string& what) {
  for (const MapRow& row : rows)
    if (row.type == DumpType::None && row.what.rfind(what, 0) == 0) return row.offset;
  return UINT64_MAX;
}

inline std::string Problems(const std::vector<MapRow>& rows) {
  std::string text;
  for (const MapRow& row : rows)
    if (!row.problem.empty()) text += row.what + " <-- " + row.problem + "\n";
  return text;
}

// Where minfo says a FAT12/16 volume's root directory starts.
inline uint64_t FatRootDir(const std::string& minfo) {
  return (NumberAfter(minfo, "reserved (boot) sectors") + NumberAfter(minfo, "fats") * NumberAfter(minfo, "sectors per fat")) *
         NumberAfter(minfo, "sector size");
}

// A sector with a boot signature and up to four entries (type, LBA, sectors).
struct Part { uint8_t type; uint32_t lba, sectors; };
inline std::vector<uint8_t> TableSector(const std::vector<Part>& parts) {
  std::vector<uint8_t> sector = Built(512, {Le16(510, 0xAA55)});
  for (size_t i = 0; i < parts.size(); ++i)
    Apply(sector, {U8(0x1BE + 16 * i + 4, parts[i].type), Le32(0x1BE + 16 * i + 8, parts[i].lba),
                   Le32(0x1BE + 16 * i + 12, parts[i].sectors)});
  return sector;
}

// The sample FAT12 volume (or its boot sector) with a label holding an escape sequence and a quote.
inline std::vector<uint8_t> Fat12Volume(size_t size = SIZE_MAX) {
  std::vector<uint8_t> volume = ReadTestFile("fat/fat12.img");
  volume.resize(std::min(size, volume.size()));
  Apply(volume, {Text(43, "\x1b[2J\"LABEL ")});
  return volume;
}

// Runs a shell command that must succeed; its output (standard error only
// where the command does not send it elsewhere).
inline std::string Shell(const std::string& command) {
  const ProgramOutcome outcome = RunShell("(" + command + ")");
  EXPECT_EQ(outcome.status, 0) << command << "\n" << outcome.out << outcome.err;
  return outcome.out;
}

inline ProgramOutcome Dump(std::vector<std::string> args) {
  args.insert(args.begin(), TROVIK_DUMP_PATH);
  return RunProgram(args);
}

}  // namespace trovik::test
