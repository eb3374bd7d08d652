// The program's own dialogs on Qt: "Tip of the Day" and the About box. Installed by main() only,
// so sessions without a user (tests) never wait on a dialog.
#pragma once

namespace velmora::app {

void InstallShellDialogs();
void RemoveShellDialogs();

}  // namespace velmora::app
