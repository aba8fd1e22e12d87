// Showing results with the user's programs: documents in the browser, reports and files
// lists in the text editor, and the choice of the preview browser.
#pragma once

#include <QString>
#include <QList>
#include <QStringList>

class QWidget;
class TAppContext;

// A program and the arguments that go before the file it is given.
struct TCommand {
    QString program;
    QStringList arguments;
};

class TLauncher {
  public:
    explicit TLauncher(TAppContext& context) : context(context) {}

    // The default browser when it names an existing program, else the program the desktop
    // associates with the file, else the browsers $BROWSER names. A chosen browser that fails
    // to start is always reported; that nothing opened the file only when messages are asked
    // for.
    void showInBrowser(const QString& file, bool withMessages);
    // A path ending in ".lst" (any case) opens that files list in the editor; anything else,
    // no path included, opens the compression report.
    void viewReportOrList(const QString& path = {});
    // Asks for a program and records it as DefaultBrowser; cancelling changes nothing.
    void chooseDefaultBrowser(QWidget* parent = nullptr);

    // The report file: LastReport when its folder exists, else optrpt.txt in the program's
    // folder. Read afresh from the settings file.
    QString reportPath() const;
    // ExternalEditor when it names an existing file, else the system's open command for text
    // files, else the desktop's opener.
    TCommand editorCommand() const;
    // The editors tried in turn until one opens the file: editorCommand(), the desktop's
    // opener, then $VISUAL and $EDITOR.
    QList<TCommand> editorCommands() const;

    static bool isFilesList(const QString& path);

  private:
    void viewReport();
    void openFilesList(const QString& listPath);
    // Starts the command with the file as one more argument, whole, or in place of each
    // "%s" among its arguments.
    bool startWithFile(const TCommand& command, const QString& file);
    // Tries the editors in turn; false when none of them took the file.
    bool openInEditor(const QString& file);

    TAppContext& context;
};
