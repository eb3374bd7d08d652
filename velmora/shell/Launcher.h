// Opening things outside the program: the HTML help folder, the calculator, text editor and
// paint program, and web pages. Everything goes through one replaceable launcher; the default
// hands the target to xdg-open (tools by program name) without a shell, so names are never
// interpreted.
#pragma once

#include "platform/afx/String.h"
#include "velmora/commands/CommandIds.h"

#include <functional>
#include <string>

// What the launcher is asked to open: a file or folder, a URL, or a tool program by name.
struct KxLaunchRequest {
  enum Kind { Document, Url, Program } kind = Document;
  std::wstring target;
};
using KxLauncher = std::function<BOOL(const KxLaunchRequest&)>;

// Replaces the launcher; an empty one restores the default.
void KxSetLauncher(KxLauncher launcher);
// FALSE when nothing could be started.
BOOL KxLaunch(const KxLaunchRequest& request);

// The help folder beside the program ("help" in the application folder).
CString KxHelpFolder();
// Opens the help folder's start page (index.html), or the folder when it has none.
BOOL KxOpenHelp();
// The tool of a menu id (calculator, text editor, paint program); FALSE for other ids.
BOOL KxOpenTool(UINT id);
// The training pages on the web.
BOOL KxOpenWebHelp();
