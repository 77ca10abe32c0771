#pragma once
// Test support: a started program with its own environment that the test
// can wait for, signal and kill. Plain POSIX.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TempFolder.h"

extern char** environ;

namespace vantora::test {

inline void Nap(std::chrono::milliseconds ms = std::chrono::milliseconds(10)) {
  const timespec t{0, long(ms.count()) * 1'000'000};
  ::nanosleep(&t, nullptr);
}

using TEnvironment = std::vector<std::pair<std::string, std::string>>;

class ChildProcess {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr auto kPatience = std::chrono::seconds(20);

  // Starts program with arguments, in the test's environment with the
  // variables of env set (an empty value removes the variable); with
  // inherit false, in the variables of env alone; with errorFile, what it
  // writes to its standard error goes into that file, and with outputFile
  // what it writes to its standard output.
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
               const TEnvironment& env, bool inherit = true, const std::string& errorFile = {},
               const std::string& outputFile = {}) {
    std::vector<std::string> vars;
    for (char** e = environ; inherit && *e != nullptr; ++e) {
      bool replaced = false;
      for (const auto& [name, value] : env)
        replaced |= std::strncmp(*e, (name + "=").c_str(), name.size() + 1) == 0;
      if (!replaced) vars.push_back(*e);
    }
    for (const auto& [name, value] : env)
      if (!value.empty()) vars.push_back(name + "=" + value);
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv, envp;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& v : vars) envp.push_back(v.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    const int flags = O_WRONLY | O_CREAT | O_TRUNC;
    if (!errorFile.empty())
      ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), flags, 0600);
    if (!outputFile.empty())
      ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), flags, 0600);
    const int spawned =
        ::posix_spawn(&FPid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    ::posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start " + program);
  }
  ~ChildProcess() {
    if (FPid > 0) Kill();
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Waits up to patience for the process to end; returns its exit status,
  // 128 + the signal's number when a signal ended it (as a shell reports
  // it), or -1 when it is still running.
  int ExitStatus(Clock::duration patience = kPatience) {
    const auto deadline = Clock::now() + patience;
    do {
      int status = 0;
      if (::waitpid(FPid, &status, WNOHANG) == FPid) {
        FPid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      Nap(std::chrono::milliseconds(1));
    } while (Clock::now() < deadline);
    return -1;
  }

  bool Running() { return FPid > 0 && ::waitpid(FPid, nullptr, WNOHANG) == 0; }
  pid_t Pid() const { return FPid; }
  void Signal(int signal) { ::kill(FPid, signal); }

  void Kill() {
    ::kill(FPid, SIGKILL);
    ::waitpid(FPid, nullptr, 0);
    FPid = -1;
  }

  // Waits until condition holds while the process runs.
  bool WaitFor(const std::function<bool()>& condition) {
    const auto deadline = Clock::now() + kPatience;
    while (Clock::now() < deadline) {
      if (condition()) return true;
      if (!Running()) return false;
      Nap();
    }
    return false;
  }

 private:
  pid_t FPid = -1;
};

// What a program that ends by itself printed, and its exit status (-1 when
// it did not exit normally within the patience).
struct TProgramOutput {
  int Status = -1;
  std::string Out, Err;
};

inline std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline TProgramOutput RunForOutput(const std::string& program,
                                   const std::vector<std::string>& arguments,
                                   const TEnvironment& env = {}) {
  TempFolder folder("vantora-output");
  const std::string out = folder.Path() + "/out", err = folder.Path() + "/err";
  TProgramOutput result;
  {
    ChildProcess child(program, arguments, env, true, err, out);
    result.Status = child.ExitStatus();
  }
  result.Out = FileText(out);
  result.Err = FileText(err);
  return result;
}

}  // namespace vantora::test
