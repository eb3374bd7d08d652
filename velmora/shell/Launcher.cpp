#include "velmora/shell/Launcher.h"

#include "platform/vurode/Accessors.h"

#include <filesystem>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {
std::mutex g_mutex;
KxLauncher g_launcher;

// Starts the program with its arguments, not waiting for it; its exit is collected aside so it
// leaves no zombie.
BOOL Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return FALSE;
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return TRUE;
}

BOOL DefaultLaunch(const KxLaunchRequest& r) {
  if (r.target.empty()) return FALSE;
  const std::string target = CString(r.target.c_str()).ToUtf8();
  if (r.kind == KxLaunchRequest::Program) return Spawn({target});
  return Spawn({"xdg-open", target});
}
}  // namespace

void KxSetLauncher(KxLauncher launcher) {
  std::lock_guard lock(g_mutex);
  g_launcher = std::move(launcher);
}

BOOL KxLaunch(const KxLaunchRequest& request) {
  KxLauncher launcher;
  {
    std::lock_guard lock(g_mutex);
    launcher = g_launcher;
  }
  return launcher ? launcher(request) : DefaultLaunch(request);
}

CString KxHelpFolder() {
  std::filesystem::path p(gGetApplicationPath().ToUtf8());
  return CString::FromUtf8((p / "help").string());
}

BOOL KxOpenHelp() {
  const std::filesystem::path folder(KxHelpFolder().ToUtf8());
  const std::filesystem::path index = folder / "index.html";
  std::error_code ec;
  const bool hasIndex = std::filesystem::is_regular_file(index, ec);
  return KxLaunch({KxLaunchRequest::Document, CString::FromUtf8((hasIndex ? index : folder).string()).GetString()});
}

BOOL KxOpenTool(UINT id) {
  // The desktop's usual programs for what the menu names.
  const wchar_t* program = id == ID_TOOL_CALCULATOR ? L"gnome-calculator"
                           : id == ID_TOOL_NOTEPAD  ? L"gedit"
                           : id == ID_TOOL_PAINT    ? L"kolourpaint"
                                                    : nullptr;
  return program ? KxLaunch({KxLaunchRequest::Program, program}) : FALSE;
}

BOOL KxOpenWebHelp() { return KxLaunch({KxLaunchRequest::Url, L"https://velmora.example.com/learning"}); }
