// A call log shared by the test program and the test plug-in modules (one shared instance).
#pragma once

#include <string>
#include <vector>

void TestLogAppend(const std::string& entry);
// The entries so far; the log is emptied.
std::vector<std::string> TestLogTake();
