// Start-up of TsqzLite: the single-instance guard, the application set-up and the main window.
#pragma once

class QApplication;

// Title, hint switch and timings, and the engine's hooks into the event loop and message
// boxes.
void configureApplication(QApplication& application);

// Runs the program; returns its exit code. A second instance ends at once with 0, before
// any window, message or file.
int runTsqzLite(int argc, char** argv);
