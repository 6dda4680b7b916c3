#include "support/Program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/Scratch.h"

namespace trovik::test {

ProgramOutcome RunProgram(const std::vector<std::string>& argv, const std::string& input) {
  ScratchDir dir;
  const std::string in = dir.File("stdin"), out = dir.File("stdout"), err = dir.File("stderr");
  WriteFile(in, std::vector<uint8_t>(input.begin(), input.end()));
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(::open(in.c_str(), O_RDONLY), STDIN_FILENO);
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ProgramOutcome outcome;
  int wstatus = 0;
  if (pid > 0 && ::waitpid(pid, &wstatus, 0) == pid)
    outcome.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  outcome.out = ReadText(out);
  outcome.err = ReadText(err);
  return outcome;
}

ProgramOutcome RunShell(const std::string& command) { return RunProgram({"/bin/sh", "-c", command + " 2>&1"}); }

}  // namespace trovik::test
