#include "platform/afx/FileFind.h"

#include <glob.h>
#include <sys/stat.h>

#include <string>
#include <vector>

IMPLEMENT_DYNAMIC(CFileFind, CObject)

struct CFileFind::Matches {
  std::vector<std::string> paths;  // UTF-8, sorted
  size_t next = 0;                 // index of the match that FindNextFile moves to
};

namespace {

// Only * and ? are wildcards here; the other pattern characters of glob are taken literally.
std::string ToPattern(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == '[' || c == ']' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

bool StatPath(const std::string& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }

}  // namespace

CFileFind::~CFileFind() { Close(); }

void CFileFind::Close() {
  delete m_pMatches;
  m_pMatches = nullptr;
}

BOOL CFileFind::FindFile(const wchar_t* pstrName, DWORD) {
  Close();
  const std::string name = pstrName && *pstrName ? CString(pstrName).ToUtf8() : std::string("*");
  glob_t g{};
  // GLOB_PERIOD lets * match names that start with a dot, as the callers' wildcards do.
  const int rc = ::glob(ToPattern(name).c_str(), GLOB_PERIOD, nullptr, &g);
  if (rc != 0) {
    ::globfree(&g);
    return FALSE;
  }
  auto* m = new Matches;
  m->paths.assign(g.gl_pathv, g.gl_pathv + g.gl_pathc);
  ::globfree(&g);
  m_pMatches = m;
  return m->paths.empty() ? FALSE : TRUE;
}

BOOL CFileFind::FindNextFile() {
  if (!m_pMatches || m_pMatches->next >= m_pMatches->paths.size()) return FALSE;
  ++m_pMatches->next;
  return m_pMatches->next < m_pMatches->paths.size() ? TRUE : FALSE;
}

CString CFileFind::GetFilePath() const {
  if (!m_pMatches || m_pMatches->next == 0) return CString();
  return CString::FromUtf8(m_pMatches->paths[m_pMatches->next - 1]);
}

CString CFileFind::GetFileName() const {
  const CString path = GetFilePath();
  const int slash = path.ReverseFind(L'/');
  return slash < 0 ? path : path.Mid(slash + 1);
}

BOOL CFileFind::IsDirectory() const {
  struct stat st;
  return m_pMatches && m_pMatches->next > 0 && StatPath(m_pMatches->paths[m_pMatches->next - 1], st) &&
         S_ISDIR(st.st_mode);
}

BOOL CFileFind::IsDots() const {
  const CString name = GetFileName();
  return name == L"." || name == L"..";
}

ULONGLONG CFileFind::GetLength() const {
  struct stat st;
  if (!m_pMatches || m_pMatches->next == 0 || !StatPath(m_pMatches->paths[m_pMatches->next - 1], st)) return 0;
  return static_cast<ULONGLONG>(st.st_size);
}
