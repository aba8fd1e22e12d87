// Pictures of the program's windows for its documentation, taken when the environment asks
// for one: TSQZ_SCREENSHOT_WINDOW names the window, TSQZ_SCREENSHOT_FILE the PNG to write.
// The program then shows that window, saves its picture and ends.
#pragma once

#include <QStringList>

class TMainMnu;

namespace Screenshot {

// The window names TSQZ_SCREENSHOT_WINDOW accepts.
QStringList windowNames();
// TSQZ_SCREENSHOT_PALETTE=dark draws the pictures in a dark palette such as a desktop's dark
// theme sets (light text on dark grey, blue highlight). Call before any window is created.
void applyAskedPalette();
// Does nothing unless both variables are set.
void takeIfAsked(TMainMnu& mainWindow);

}  // namespace Screenshot
