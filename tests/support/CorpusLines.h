// Reading the text corpora of test cases in tests/data: one case a line, blank lines and
// lines starting with '#' skipped. Every problem is collected in an error list so that a test
// can fail naming it, instead of the corpus quietly running fewer cases.
#pragma once

#include <cctype>
#include <cmath>
#include <fstream>
#include <istream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace corpus {

inline std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  const size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

inline std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::stringstream in(s);
  std::string part;
  while (std::getline(in, part, sep)) out.push_back(Trim(part));
  if (!s.empty() && s.back() == sep) out.push_back("");
  return out;
}

inline bool ParseNumber(const std::string& s, double& v) {
  size_t used = 0;
  try {
    v = std::stod(s, &used);
  } catch (...) {
    return false;
  }
  return used == s.size() && std::isfinite(v);
}

// The case lines of a corpus, trimmed, with their line numbers.
inline std::vector<std::pair<int, std::string>> ReadLines(std::istream& in) {
  std::vector<std::pair<int, std::string>> out;
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    line = Trim(line);
    if (!line.empty() && line[0] != '#') out.emplace_back(n, line);
  }
  return out;
}

// The case lines of the file at path; a missing or unreadable file is reported in errors.
inline std::vector<std::pair<int, std::string>> ReadFileLines(const std::string& path,
                                                             std::vector<std::string>& errors) {
  std::ifstream in(path);
  if (!in) {
    errors.push_back("cannot read " + path);
    return {};
  }
  return ReadLines(in);
}

// Names become test names: letters, digits and underscores, each used once.
inline bool GoodName(const std::string& name, std::set<std::string>& seen) {
  if (name.empty()) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  return seen.insert(name).second;
}

}  // namespace corpus
