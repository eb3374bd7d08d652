// CSafeFile: a file written anew that replaces its target whole or not at all. The bytes go to
// a new file in the target's folder; Close syncs it and renames it over the target, Abort (and
// destruction without Close) removes it, so a failed write never leaves a damaged or emptied
// target behind.
#pragma once

#include "platform/afx/File.h"

#include <string>

class CSafeFile : public CFile {
  DECLARE_DYNAMIC(CSafeFile)

 public:
  CSafeFile() = default;
  ~CSafeFile() override;

  // Always writes a new file (the mode and sharing flags are accepted and ignored); the file
  // path stays the target's, for messages. A target that is a folder fails (accessDenied).
  BOOL Open(const wchar_t* lpszFileName, UINT nOpenFlags = modeCreate | modeWrite,
            CFileException* pError = nullptr) override;
  // Puts the written file in the target's place; a failure throws CFileException with the
  // system's cause and leaves the target as it was.
  void Close() override;
  void Abort() override;

 private:
  std::string m_target;  // the path renamed over (a link's file, not the link)
  std::string m_temp;
};
