#include "platform/DaemonControl.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/SingleInstance.h"

namespace vantora {

namespace {

std::string ThisProgram() {
  char path[PATH_MAX] = {};
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, std::size_t(n)) : std::string();
}

// In the grandchild: stdio on /dev/null, then the program. Reports a failed
// exec through the pipe (the write end closes on a successful exec).
[[noreturn]] void ExecDaemon(const std::string& program, int report) {
  const int null = ::open("/dev/null", O_RDWR);
  if (null >= 0) {
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    if (null > 2) ::close(null);
  }
  // The caller's signal dispositions and mask must not reach the daemon.
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  for (int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD}) ::signal(s, SIG_DFL);
  char arg0[] = "vantora", arg1[] = "--daemon";
  char* argv[] = {arg0, arg1, nullptr};
  ::execv(program.c_str(), argv);
  const int error = errno;
  [[maybe_unused]] const ssize_t n = ::write(report, &error, sizeof error);
  ::_exit(127);
}

}  // namespace

bool DaemonRunning() { return SingleInstance(kDaemonMarker).Find(); }

bool StartDaemon(const std::string& program) {
  const std::string path = program.empty() ? ThisProgram() : program;
  if (path.empty()) return false;
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return false;
  // Fork twice: the middle child starts a new session and ends at once, so
  // the daemon is adopted by init (or the session's subreaper), never left
  // as the caller's zombie, and owns no controlling terminal.
  const pid_t middle = ::fork();
  if (middle < 0) {
    ::close(report[0]);
    ::close(report[1]);
    return false;
  }
  if (middle == 0) {
    ::close(report[0]);
    ::setsid();
    const pid_t daemon = ::fork();
    if (daemon == 0) ExecDaemon(path, report[1]);
    ::_exit(daemon < 0 ? 1 : 0);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  int execError = 0;
  ssize_t n;
  do {
    n = ::read(report[0], &execError, sizeof execError);
  } while (n < 0 && errno == EINTR);
  ::close(report[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

bool StopDaemon() {
  const int pid = SingleInstance(kDaemonMarker).HolderPid();
  if (pid <= 1 || pid == ::getpid()) return false;
  return ::kill(pid, SIGTERM) == 0;
}

}  // namespace vantora
