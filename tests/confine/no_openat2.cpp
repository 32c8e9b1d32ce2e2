// Starts a program on a system that lacks the call to open a file beneath a folder, as a container
// whose system-call filter predates it does: the call answers ENOSYS (or EPERM with --eperm), the
// program and everything it starts inheriting the filter. No privilege is needed.
//   no_openat2 [--enosys | --eperm] PROGRAM [ARGUMENT...]

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

#if defined(__x86_64__)
#define ARCH_NATIVE AUDIT_ARCH_X86_64
#elif defined(__aarch64__)
#define ARCH_NATIVE AUDIT_ARCH_AARCH64
#elif defined(__riscv) && __riscv_xlen == 64
#define ARCH_NATIVE AUDIT_ARCH_RISCV64
#endif

int main(int argc, char** argv) {
  int premier = 1;
  unsigned code = ENOSYS;
  if (argc > premier && std::strcmp(argv[premier], "--enosys") == 0) {
    ++premier;
  } else if (argc > premier && std::strcmp(argv[premier], "--eperm") == 0) {
    code = EPERM;
    ++premier;
  }
  if (argc <= premier) {
    std::fprintf(stderr, "usage: no_openat2 [--enosys | --eperm] PROGRAM [ARGUMENT...]\n");
    return 2;
  }
#if defined(ARCH_NATIVE) && defined(SYS_openat2)
  // Calls of another architecture (a 32-bit program) are left alone: only this one is filtered.
  sock_filter filtre[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, ARCH_NATIVE, 0, 3),
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat2, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (code & SECCOMP_RET_DATA)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog programme{static_cast<unsigned short>(sizeof filtre / sizeof filtre[0]), filtre};
  if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
      ::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &programme) != 0) {
    // The test is then reported as skipped, with the reason.
    std::printf("[  SKIPPED ] no system-call filter here: %s\n", std::strerror(errno));
    return 0;
  }
#else
  std::printf("[  SKIPPED ] no system-call filter for this architecture\n");
  return 0;
#endif
  ::execvp(argv[premier], argv + premier);
  std::fprintf(stderr, "no_openat2: %s: %s\n", argv[premier], std::strerror(errno));
  return 127;
}
