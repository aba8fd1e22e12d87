// Showing results with the user's programs: documents in the browser, reports and files
// lists in the text editor, and the choice of the preview browser.
#include "frontend/launcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "frontend/app_settings.h"
#include "frontend/desktop.h"
#include "frontend/settings_file.h"
#include "toolkit/message_box.h"

namespace {

struct MessageText {
    const char* caption;
    const char* text;
};

#define LAUNCHER_TEXT(text) QT_TRANSLATE_NOOP("TLauncher", text)

constexpr MessageText kBrowserStartFailed = {
    LAUNCHER_TEXT("File load failed"),
    LAUNCHER_TEXT("Application was unable to launch the specified file into your browser. If "
                  "closing the browser or restarting Windows does not solve this problem, you "
                  "may need to reinstall your default browser or install a recent version 32 bit "
                  "Web browser.")};
constexpr MessageText kNoBrowser = {
    LAUNCHER_TEXT("No browser found"),
    LAUNCHER_TEXT("No default browser could be found on your system. You must either correct your "
                  "file associations or reinstall your browser in order to correct this "
                  "problem.")};
constexpr MessageText kReportNotFound = {
    LAUNCHER_TEXT("Report not found...aborting"),
    LAUNCHER_TEXT("Either no compression report has been created for the current file or list, or "
                  "the last-generated report does not exist.")};
constexpr MessageText kEditorStartFailed = {
    LAUNCHER_TEXT("Unable to load file"),
    LAUNCHER_TEXT(
        "Unable to load default text editor application. Either reinstall Notepad with or "
        "verify your current file associations for your default text editor.")};
// The list path goes between the two pieces.
constexpr MessageText kListNotFound = {LAUNCHER_TEXT("Files list not found...aborting"),
                                       LAUNCHER_TEXT("The currently specified list (")};
constexpr const char* kListNotFoundEnd =
    LAUNCHER_TEXT(") could not be found...unable to load into default editor.");
// The program's path goes first.
constexpr MessageText kBrowserRecorded = {
    LAUNCHER_TEXT("Default browser recorded"),
    LAUNCHER_TEXT(" recorded as the new default browser for previewing documents. Change this "
                  "setting at any time using the same menu item you just selected.")};
constexpr const char* kChooseBrowserTitle =
    LAUNCHER_TEXT("Select default browser for previewing...");
// Programs here carry no extension, so the chooser lists every file.
constexpr const char* kApplicationsFilter = LAUNCHER_TEXT("Applications (*)");

constexpr const char* kReportFileName = "optrpt.txt";
constexpr const char* kFilesListExtension = ".LST";
// Opens a file with whatever the desktop associates with it.
constexpr const char* kDesktopOpener = "xdg-open";
// Commands the user's environment names, tried when the desktop cannot open a file. $BROWSER
// is a list of commands separated by ":"; a "%s" in one stands for the file.
constexpr const char* kBrowserVariable = "BROWSER";
constexpr const char* kEditorVariables[] = {"VISUAL", "EDITOR"};

QString tr(const char* text) { return QCoreApplication::translate("TLauncher", text); }

void showError(const MessageText& message) {
    TMessageBox::error(tr(message.caption), tr(message.text));
}

// A command line split into the program and its arguments; nothing for empty text.
QList<TCommand> commandFrom(const QString& commandLine) {
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty()) return {};
    const QString program = words.takeFirst();
    return {{program, words}};
}

// The commands an environment variable names, each entry of a ":" list being one command.
QList<TCommand> commandsFromVariable(const char* name, bool list) {
    const QString value = qEnvironmentVariable(name);
    QList<TCommand> commands;
    for (const QString& entry : list ? value.split(u':', Qt::SkipEmptyParts) : QStringList{value})
        commands.append(commandFrom(entry));
    return commands;
}

}  // namespace

bool TLauncher::isFilesList(const QString& path) {
    return path.toUpper().endsWith(QLatin1String(kFilesListExtension));
}

QString TLauncher::reportPath() const {
    const QString fallback = context.programDirectory() + QLatin1String(kReportFileName);
    const QString lastReport =
        context.settingsFile().readText(Ini::kReportOptions, Ini::kLastReport, Ini::kPathLength);
    const qsizetype slash = lastReport.lastIndexOf(u'/');
    if (slash < 0) return fallback;
    const QString folder = slash == 0 ? QStringLiteral("/") : lastReport.left(slash);
    return QFileInfo(folder).isDir() ? lastReport : fallback;
}

TCommand TLauncher::editorCommand() const {
    const QString preferred = context.settingsFile().readText(
        Ini::kGeneralOptions, Ini::kExternalEditor, Ini::kPathLength);
    if (!preferred.isEmpty() && QFileInfo(preferred).isFile()) return {preferred, {}};

    // The open command is a command line of its own ("editor --new-window "), so it is split
    // into the program and its leading arguments.
    const QList<TCommand> textCommand = commandFrom(context.desktop().textOpenCommand());
    return textCommand.isEmpty() ? TCommand{QLatin1String(kDesktopOpener), {}} : textCommand[0];
}

QList<TCommand> TLauncher::editorCommands() const {
    QList<TCommand> commands = {editorCommand()};
    if (commands[0].program != QLatin1String(kDesktopOpener))
        commands.append({QLatin1String(kDesktopOpener), {}});
    for (const char* variable : kEditorVariables)
        commands.append(commandsFromVariable(variable, false));
    return commands;
}

bool TLauncher::startWithFile(const TCommand& command, const QString& file) {
    QStringList arguments = command.arguments;
    bool placed = false;
    for (QString& argument : arguments) {
        if (!argument.contains(QLatin1String("%s"))) continue;
        argument.replace(QLatin1String("%s"), file);
        placed = true;
    }
    if (!placed) arguments.append(file);
    return context.desktop().startProgram(command.program, arguments);
}

bool TLauncher::openInEditor(const QString& file) {
    for (const TCommand& command : editorCommands()) {
        if (startWithFile(command, file)) return true;
    }
    return false;
}

void TLauncher::showInBrowser(const QString& file, bool withMessages) {
    const QString& browser = context.settings.defaultBrowser;
    if (!browser.isEmpty() && QFileInfo(browser).isFile()) {
        // Reported whatever withMessages says: the user chose this browser.
        if (!startWithFile({browser, {}}, file)) showError(kBrowserStartFailed);
        return;
    }
    // The desktop's opener may exist and still open nothing (no browser that starts, no
    // program for the type): the browsers the environment names come next.
    if (context.desktop().openWithAssociation(file)) return;
    for (const TCommand& command : commandsFromVariable(kBrowserVariable, true)) {
        if (startWithFile(command, file)) return;
    }
    if (withMessages) showError(kNoBrowser);
}

void TLauncher::viewReportOrList(const QString& path) {
    if (isFilesList(path)) {
        openFilesList(path);
    } else {
        viewReport();
    }
}

void TLauncher::viewReport() {
    const QString report = reportPath();
    if (report.isEmpty() || !QFileInfo(report).isFile()) {
        showError(kReportNotFound);
        return;
    }
    if (!openInEditor(report)) showError(kEditorStartFailed);
}

void TLauncher::openFilesList(const QString& listPath) {
    if (!QFileInfo(listPath).isFile()) {
        TMessageBox::error(tr(kListNotFound.caption),
                           tr(kListNotFound.text) + listPath + tr(kListNotFoundEnd));
        return;
    }
    if (!openInEditor(listPath)) showError(kEditorStartFailed);
}

void TLauncher::chooseDefaultBrowser(QWidget* parent) {
    const QString program = context.desktop().chooseExistingFile(
        parent, tr(kChooseBrowserTitle), {tr(kApplicationsFilter)}, QString());
    if (program.isEmpty()) return;
    context.settingsFile().writeText(Ini::kGeneralOptions, Ini::kDefaultBrowser, program);
    context.settings.defaultBrowser = program;
    if (!context.settings.expertMode) {
        TMessageBox::information(tr(kBrowserRecorded.caption), program + tr(kBrowserRecorded.text));
    }
}
