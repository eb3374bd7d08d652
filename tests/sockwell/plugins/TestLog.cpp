#include "TestLog.h"

namespace {
std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}
}  // namespace

void TestLogAppend(const std::string& entry) { Log().push_back(entry); }

std::vector<std::string> TestLogTake() {
  std::vector<std::string> out;
  out.swap(Log());
  return out;
}
