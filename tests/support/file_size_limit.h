#pragma once

// A full disk for one process, without mounting anything: a file-size limit
// (RLIMIT_FSIZE) with SIGXFSZ ignored makes every write past the limit fail
// with EFBIG, as a write to a full disk fails with ENOSPC. Only the child
// process gets the limit.

#include <QProcess>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <functional>

namespace scenova::test {

inline void limitFileSize(rlim_t bytes) {
  const rlimit limit{bytes, bytes};
  ::setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, SIG_IGN);
}

// Runs body in a forked child under the limit and returns its exit status
// (body's return value), or -1 when the child did not exit normally.
inline int runWithFileSizeLimit(rlim_t bytes, const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    limitFileSize(bytes);
    ::_exit(body());
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Makes a QProcess start its program under the limit.
inline void startWithFileSizeLimit(QProcess& process, rlim_t bytes) {
  process.setChildProcessModifier([bytes] { limitFileSize(bytes); });
}

}  // namespace scenova::test
