#pragma once
// Makes every write beyond a given size into a file fail, as a full disk
// would, for as long as it lives. Linux only.

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>

namespace verbarium::test {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    savedSignal_ = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, savedSignal_);
  }

 private:
  rlimit saved_{};
  void (*savedSignal_)(int) = SIG_DFL;
};

}  // namespace verbarium::test
#endif
