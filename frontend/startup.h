// Start-up of TsqzLite: the single-instance guard, the application set-up and the main window.
#pragma once

#include <QString>
#include <QStringList>

class QApplication;
class TMainMnu;

// Title, hint switch and timings, and the engine's hooks into the event loop and message
// boxes.
void configureApplication(QApplication& application);

// Runs the event loop until the main window has been closed, whatever other windows (help,
// an assistant) come and go; returns the exit code.
int runMainWindow(QApplication& application, TMainMnu& mainWindow);

// What the command line asks for: "TsqzLite [DOCUMENT]".
struct StartRequest {
    enum class Kind { kRun, kHelp, kUsageError };
    Kind kind = Kind::kRun;
    // The document to open as an absolute path, or empty text. A file: URL counts as its path.
    QString document;
};
// Reads the arguments after the program name. Qt's own options (such as "-platform xcb")
// and their values are skipped; "--" ends the options.
StartRequest readStartRequest(const QStringList& arguments);

// Runs the program; returns its exit code. A second instance hands its document to the
// running one, which comes to the front, and ends with 0, before any window, message or file.
int runTsqzLite(int argc, char** argv);
