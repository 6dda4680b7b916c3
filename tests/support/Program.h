// Runs a program as a user would and keeps what it said: its exit status
// (or the signal that ended it), its standard output and error.
#pragma once

#include <string>
#include <vector>

namespace trovik::test {

struct ProgramOutcome {
  int status = -1;  // exit status; 128 + signal when a signal ended it
  std::string out;
  std::string err;
};

// argv[0] is the program's path. Output goes through files, so neither
// stream can block the other; `input` is its standard input.
ProgramOutcome RunProgram(const std::vector<std::string>& argv, const std::string& input = "");

// Runs a shell command and gives its standard output and error together;
// status as above.
ProgramOutcome RunShell(const std::string& command);

}  // namespace trovik::test
