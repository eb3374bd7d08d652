// Makes every write that would take a file past a size fail for the scope, the way a full disk
// fails it (EFBIG instead of ENOSPC): the process's file size limit, with the signal the kernel
// raises for it ignored. Needs no privileges, so tests of a failing write always run.
#pragma once

#include <csignal>
#include <sys/resource.h>

class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    m_set = ::getrlimit(RLIMIT_FSIZE, &m_old) == 0;
    if (!m_set) return;
    rlimit limit = m_old;
    limit.rlim_cur = bytes;
    m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    if (m_set) ::setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_handler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  bool Active() const { return m_set; }

 private:
  rlimit m_old{};
  bool m_set = false;
  void (*m_handler)(int) = SIG_DFL;
};
