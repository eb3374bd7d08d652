// The source manager's own user interface, shown only inside a program that runs a Qt
// application (elsewhere, and in builds without Qt, the choices fall back to what needs no user):
// the list of sources to choose from, and the progress of a frame being read.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace velmora::twain {

// The index of the source the user chose among `labels` (`current` preselected), -1 when the
// user cancelled; without a user interface `current`.
int ChooseSource(const std::vector<std::string>& labels, int current);

// Progress of reading one frame of `total` bytes (0: unknown) from the named source.
class ReadProgress {
 public:
  ReadProgress(const std::string& source, size_t total);
  ~ReadProgress();
  ReadProgress(const ReadProgress&) = delete;
  ReadProgress& operator=(const ReadProgress&) = delete;
  // Shows `done` bytes read; false once the user cancelled.
  bool Advance(size_t done);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace velmora::twain
