#pragma once
// Test bodies that must run in a process of their own: to give up root, to
// lower a resource limit, or to be killed, without touching the test process.

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace vantora::test {

// The uid and gid of the unprivileged user "nobody" on Debian.
constexpr uid_t kNobody = 65534;

// Runs body in a forked child and returns its exit status, or 128 + the
// signal's number when a signal ended it.
inline int InChild(const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// In a child of a test run as root: becomes "nobody", so that permissions
// apply to it. Does nothing for an ordinary user. False when it failed.
inline bool DropRoot() {
  if (::geteuid() != 0) return true;
  return ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

}  // namespace vantora::test
