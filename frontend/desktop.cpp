// The real desktop: processes, the desktop's opener xdg-open, the MIME database, Qt's dialogs.
#include "frontend/desktop.h"

#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QProcess>
#include <QTimer>

#include "frontend/text_open_command.h"
#include "toolkit/folder_dialog.h"

namespace {

// How long a started program has to fail before it counts as showing the file. Openers such
// as xdg-open end within this time with a status that says whether a program took the file;
// a program that shows the file itself usually keeps running.
constexpr int kLaunchWatchMs = 1500;
// Opens a file with whatever the desktop associates with it.
constexpr const char* kDesktopOpener = "xdg-open";

}  // namespace

bool TSystemDesktop::startProgram(const QString& program, const QStringList& arguments) {
    // No parent: a program still running when TsqzLite ends must not be stopped with it. The
    // object goes once the program has ended.
    auto* process = new QProcess;
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    // A session of its own, so that signals meant for this program's terminal leave it alone.
    process->setChildProcessModifier([] { ::setsid(); });

    enum class Outcome { kWatching, kFailedToStart, kEnded };
    Outcome outcome = Outcome::kWatching;
    {
        // The windows keep drawing while the program is watched; the user's input waits.
        QEventLoop loop;
        QObject::connect(process, &QProcess::finished, &loop, [&] {
            outcome = Outcome::kEnded;
            loop.quit();
        });
        QObject::connect(process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
            if (e != QProcess::FailedToStart) return;
            outcome = Outcome::kFailedToStart;
            loop.quit();
        });
        QTimer::singleShot(kLaunchWatchMs, &loop, &QEventLoop::quit);
        QApplication::setOverrideCursor(Qt::BusyCursor);
        process->start();
        if (outcome == Outcome::kWatching) loop.exec(QEventLoop::ExcludeUserInputEvents);
        QApplication::restoreOverrideCursor();
    }
    switch (outcome) {
        case Outcome::kFailedToStart:
            process->deleteLater();
            return false;
        case Outcome::kEnded: {
            const bool succeeded =
                process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
            process->deleteLater();
            return succeeded;
        }
        case Outcome::kWatching:
            break;
    }
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    return true;
}

bool TSystemDesktop::openWithAssociation(const QString& file) {
    return startProgram(QLatin1String(kDesktopOpener), {file});
}

QString TSystemDesktop::textOpenCommand() { return TextOpenCommand::systemCommand(); }

QString TSystemDesktop::chooseExistingFile(QWidget* parent, const QString& title,
                                           const QStringList& filters,
                                           const QString& startDirectory) {
    QFileDialog dialog(parent, title, startDirectory);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString TSystemDesktop::chooseFileToWrite(QWidget* parent, const QString& title,
                                          const QStringList& filters,
                                          const QString& currentFile) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(filters);
    if (!currentFile.isEmpty()) dialog.selectFile(currentFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString TSystemDesktop::chooseDirectory(QWidget* parent, const QString& caption,
                                        const QString& statusText, const QString& startDirectory) {
    TFolderDialog dialog(parent, caption, statusText, startDirectory);
    dialog.exec();
    return dialog.chosenFolder();
}
