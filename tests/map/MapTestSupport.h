// Shared by the map's tests: the map of a file on disk, finding rows, and
// running real tools.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/FileAccess.h"
#include "map/StructureMap.h"
#include "support/Program.h"

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

inline std::string Problems(const std::vector<MapRow>& rows) {
  std::string text;
  for (const MapRow& row : rows)
    if (!row.problem.empty()) text += row.what + " <-- " + row.problem + "\n";
  return text;
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
