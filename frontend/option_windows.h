// The option windows behind the main window's buttons: "Compression &options" opens
// TWizTagOpts, "Us&er options" opens TUserOptions, and "&Compress" asks TOptconfirm first.
#pragma once

class TMainMnu;

namespace OptionWindows {

// Wires the three windows into the main window, each shown modally when its button asks.
void install(TMainMnu& mainWindow);

}  // namespace OptionWindows
