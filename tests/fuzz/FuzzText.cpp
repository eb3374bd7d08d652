// Reads the bytes as a text file line by line, the ways the system opens text: the class
// library's file in text (ANSI) and binary (UTF-16) mode, and the plug-in host's file that tells
// UTF-16 with a byte-order mark from ANSI text.
#include "platform/afx/Exception.h"
#include "platform/afx/StdioFile.h"
#include "sockwell/StdioFileEx.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string gPath;
CString gWidePath;

// Every successful ReadString consumes at least one byte, so a file of n bytes gives at most
// n + 1 lines; more means a reader that stopped moving.
template <class File>
void ReadAll(UINT flags, size_t size) {
  File file;
  if (!file.Open(gWidePath, flags)) std::abort();
  try {
    CString line;
    size_t lines = 0;
    while (file.ReadString(line))
      if (++lines > size + 1) __builtin_trap();
  } catch (const CException&) {
  }
  file.Close();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // In memory where the system offers it: every input is written and read back three times.
  int fd = -1;
  for (const char* folder : {"/dev/shm", "/tmp"}) {
    std::string name = std::string(folder) + "/velmora-fuzz-text-XXXXXX";
    fd = mkstemp(name.data());
    if (fd >= 0) {
      gPath = name;
      break;
    }
  }
  if (fd < 0) std::abort();
  close(fd);
  gWidePath = CString::FromUtf8(gPath);
  std::atexit([] { std::remove(gPath.c_str()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 16)) return 0;
  FILE* f = std::fopen(gPath.c_str(), "wb");
  if (!f) std::abort();
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  ReadAll<CStdioFile>(CFile::modeRead | CFile::typeText, size);
  ReadAll<CStdioFile>(CFile::modeRead | CFile::typeBinary, size);
  ReadAll<CStdioFileEx>(CFile::modeRead | CFile::typeText, size);
  return 0;
}
