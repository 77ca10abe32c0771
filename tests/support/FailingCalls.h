#pragma once
// Fault injection for tests: makes a system call fail with a chosen error
// in the calling process from now on, through a seccomp filter. Meant for a
// forked child (see Child.h): the filter cannot be removed again.

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>

#include <cstddef>
#include <cstdint>

namespace vantora::test {

#if defined(__x86_64__)
constexpr std::uint32_t kAuditArch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t kAuditArch = AUDIT_ARCH_AARCH64;
#endif

// Every later call of system call nr fails with error. With a non-zero
// flags, only the calls whose argument arg has all those bits set (for
// example openat with O_TMPFILE). False when the filter was refused.
inline bool FailSystemCall(long nr, int error, int arg = 0, std::uint32_t flags = 0) {
  constexpr std::uint32_t kFail = SECCOMP_RET_ERRNO;
  const std::uint32_t fail = kFail | (static_cast<std::uint32_t>(error) & SECCOMP_RET_DATA);
  // The low 32 bits of the argument, on a little-endian machine.
  const std::uint32_t argOffset = offsetof(seccomp_data, args) + 8 * arg;
  sock_filter program[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kAuditArch, 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint32_t>(nr), 1, 0),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, argOffset),
      BPF_STMT(BPF_ALU | BPF_AND | BPF_K, flags),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, flags, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, fail),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  const sock_fprog filter{static_cast<unsigned short>(std::size(program)), program};
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

}  // namespace vantora::test
