#pragma once

#include <memory>

namespace tvk {

class InputBackend;
class frmMain;

// Gives the main window the global hotkeys of the settings: record / stop, start a replay with
// the replay window's last values, stop a replay. A combination another program holds is
// reported in a message box over the window; the others work.
void installGlobalHotkeys(frmMain* window, std::shared_ptr<InputBackend> backend);

} // namespace tvk
