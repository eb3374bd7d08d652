#include "platform/win/Profile.h"

#include "platform/win/FileReplace.h"
#include "platform/win/Utf8.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace {
constexpr std::uintmax_t kMaxProfileBytes = 1 << 20;

struct Entry {
  std::wstring key, value;
};
struct Section {
  std::wstring name;
  std::vector<Entry> entries;
};
using Ini = std::vector<Section>;

std::wstring Trim(const std::wstring& s) {
  size_t a = 0, b = s.size();
  while (a < b && std::iswspace(s[a])) ++a;
  while (b > a && std::iswspace(s[b - 1])) --b;
  return s.substr(a, b - a);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

std::filesystem::path PathOf(LPCWSTR file) { return std::filesystem::path(velmora::win::ToUtf8(file)); }

// nullopt when the file exists but cannot be read or is too large: then it must not be rewritten.
std::optional<Ini> Read(LPCWSTR file) {
  std::error_code ec;
  const auto path = PathOf(file);
  if (!std::filesystem::exists(path, ec)) return Ini{};
  const auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxProfileBytes) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Ini ini;
  std::istringstream lines(bytes);
  std::string line;
  while (std::getline(lines, line)) {
    const std::wstring w = Trim(velmora::win::FromUtf8(line.c_str()));
    if (w.empty() || w[0] == L';') continue;
    if (w.front() == L'[' && w.back() == L']') {
      ini.push_back(Section{Trim(w.substr(1, w.size() - 2)), {}});
      continue;
    }
    const size_t eq = w.find(L'=');
    if (eq == std::wstring::npos || ini.empty()) continue;
    ini.back().entries.push_back(Entry{Trim(w.substr(0, eq)), Trim(w.substr(eq + 1))});
  }
  return ini;
}

bool Write(LPCWSTR file, const Ini& ini) {
  std::string out;
  for (const Section& s : ini) {
    out += "[" + velmora::win::ToUtf8(s.name) + "]\n";
    for (const Entry& e : s.entries) out += velmora::win::ToUtf8(e.key) + "=" + velmora::win::ToUtf8(e.value) + "\n";
    out += "\n";
  }
  const auto path = PathOf(file);
  std::error_code ec;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  // Beside the old profile and renamed over it: a failed write keeps every earlier setting.
  return velmora::win::WriteFileReplacing(path.string(), out.data(), out.size()) == 0;
}

const std::wstring* Lookup(const Ini& ini, LPCWSTR app, LPCWSTR key) {
  if (!app || !key) return nullptr;
  for (const Section& s : ini)
    if (SameName(s.name, app))
      for (const Entry& e : s.entries)
        if (SameName(e.key, key)) return &e.value;
  return nullptr;
}
}  // namespace

std::wstring velmora::win::ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return FromUtf8(xdg);
  const char* home = std::getenv("HOME");
  if (home && home[0]) return FromUtf8(home) + L"/.config";
  return std::wstring();
}

UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, int nDefault, LPCWSTR lpFileName) {
  if (!lpFileName) return static_cast<UINT>(nDefault);
  const auto ini = Read(lpFileName);
  const std::wstring* v = ini ? Lookup(*ini, lpAppName, lpKeyName) : nullptr;
  if (!v || v->empty()) return static_cast<UINT>(nDefault);
  wchar_t* end = nullptr;
  const long long n = std::wcstoll(v->c_str(), &end, 10);
  if (end == v->c_str()) return static_cast<UINT>(nDefault);
  return static_cast<UINT>(n);
}

DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                               DWORD nSize, LPCWSTR lpFileName) {
  if (!lpReturnedString || nSize == 0) return 0;
  std::wstring value = lpDefault ? lpDefault : L"";
  if (lpFileName) {
    const auto ini = Read(lpFileName);
    if (const std::wstring* v = ini ? Lookup(*ini, lpAppName, lpKeyName) : nullptr) value = *v;
  }
  const DWORD n = std::min<DWORD>(static_cast<DWORD>(value.size()), nSize - 1);
  std::wmemcpy(lpReturnedString, value.data(), n);
  lpReturnedString[n] = L'\0';
  return n;
}

BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName) {
  if (!lpAppName || !*lpAppName || !lpFileName) return FALSE;
  // Line breaks would split the entry into lines of their own.
  for (LPCWSTR p : {lpAppName, lpKeyName, lpString})
    if (p && std::wcspbrk(p, L"\r\n")) return FALSE;
  auto ini = Read(lpFileName);
  if (!ini) return FALSE;
  auto sec = std::find_if(ini->begin(), ini->end(), [&](const Section& s) { return SameName(s.name, lpAppName); });
  if (!lpKeyName) {
    if (sec != ini->end()) ini->erase(sec);
    return Write(lpFileName, *ini) ? TRUE : FALSE;
  }
  if (sec == ini->end()) {
    if (!lpString) return TRUE;
    ini->push_back(Section{lpAppName, {}});
    sec = ini->end() - 1;
  }
  auto& entries = sec->entries;
  auto e = std::find_if(entries.begin(), entries.end(), [&](const Entry& x) { return SameName(x.key, lpKeyName); });
  if (!lpString) {
    if (e != entries.end()) entries.erase(e);
  } else if (e != entries.end()) {
    e->value = lpString;
  } else {
    entries.push_back(Entry{lpKeyName, lpString});
  }
  return Write(lpFileName, *ini) ? TRUE : FALSE;
}
