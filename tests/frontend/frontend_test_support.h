// Helpers shared by the front-end tests: a scratch program directory, a recorder for message
// boxes and a desktop that records what would have been started.
#pragma once

#include <QApplication>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "frontend/app_settings.h"
#include "frontend/desktop.h"
#include "frontend/settings_file.h"
#include "toolkit/message_box.h"

namespace FrontendTest {

// Makes window the application's active window and waits until it is: keys such as F1 and
// Escape go to the active window, and a window shown just before may take activation late.
inline bool activate(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

// Points the program directory at a fresh folder for the scope, restoring the old setting.
class ScratchProgramDir {
  public:
    ScratchProgramDir() {
        hadPrevious = qEnvironmentVariableIsSet(kVariable);
        previous = qgetenv(kVariable);
        qputenv(kVariable, dir.path().toLocal8Bit());
    }
    ~ScratchProgramDir() {
        if (hadPrevious) {
            qputenv(kVariable, previous);
        } else {
            qunsetenv(kVariable);
        }
    }
    // Ends in "/", as the program directory does.
    QString path() const { return dir.path() + u'/'; }
    QString file(const QString& name) const { return path() + name; }
    QString settingsPath() const { return file(QStringLiteral("Tagsqueeze.ini")); }
    void writeSettings(const QByteArray& text) const { writeFile(settingsPath(), text); }

    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile out(path);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) out.write(bytes);
    }
    static QByteArray readFile(const QString& path) {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

  private:
    static constexpr const char* kVariable = "TAGSQUEEZE_PROGRAM_DIR";
    QTemporaryDir dir;
    QByteArray previous;
    bool hadPrevious = false;
};

// Takes over every message box for its lifetime; questions are answered from the queue
// (Yes when it is empty).
class MessageRecorder {
  public:
    struct Box {
        TMessageBox::Kind kind;
        QString caption;
        QString text;
    };

    MessageRecorder() {
        previous = TMessageBox::setInterceptor(
            [this](TMessageBox::Kind kind, const QString& caption, const QString& text) {
                boxes.append({kind, caption, text});
                return answers.isEmpty() ? true : answers.takeFirst();
            });
    }
    ~MessageRecorder() { TMessageBox::setInterceptor(previous); }

    QList<Box> boxes;
    QList<bool> answers;

  private:
    TMessageBox::Interceptor previous;
};

// A desktop that starts nothing and records every request.
class FakeDesktop : public TDesktop {
  public:
    struct Start {
        QString program;
        QStringList arguments;
    };

    bool startProgram(const QString& program, const QStringList& arguments) override {
        starts.append({program, arguments});
        return startSucceeds && !failingPrograms.contains(program);
    }
    bool openWithAssociation(const QString& file) override {
        associationOpens.append(file);
        return associationSucceeds;
    }
    QString textOpenCommand() override { return textCommand; }
    QString chooseExistingFile(QWidget*, const QString& title, const QStringList& filters,
                               const QString& startDirectory) override {
        chooserTitles.append(title);
        chooserStartDirectories.append(startDirectory);
        chooserFilters = filters;
        return chosenFile;
    }
    // Recorded like chooseExistingFile; the start is the current file.
    QString chooseFileToWrite(QWidget* parent, const QString& title, const QStringList& filters,
                              const QString& currentFile) override {
        return chooseExistingFile(parent, title, filters, currentFile);
    }
    QString chooseDirectory(QWidget*, const QString& caption, const QString& statusText,
                            const QString&) override {
        directoryCaptions.append(caption);
        directoryStatusTexts.append(statusText);
        return chosenDirectory;
    }

    QList<Start> starts;
    bool startSucceeds = true;
    QStringList failingPrograms;  // these fail to open anything, whatever startSucceeds says
    QStringList associationOpens;
    bool associationSucceeds = true;
    QString textCommand;
    QString chosenFile;
    QStringList chooserTitles;
    QStringList chooserFilters;
    QStringList chooserStartDirectories;
    QString chosenDirectory;
    QStringList directoryCaptions;
    QStringList directoryStatusTexts;
};

// A program directory with its settings file, the context loaded from it, and a stand-in
// main window for the option windows to hide and show again.
struct WindowSetup {
    explicit WindowSetup(const QByteArray& settings) : context(desktop) {
        dir.writeSettings(settings);
        context.load(dir.path());
        mainWindow.show();
    }
    TSettingsFile file() const { return TSettingsFile(dir.settingsPath()); }
    QByteArray bytes() const { return ScratchProgramDir::readFile(dir.settingsPath()); }

    ScratchProgramDir dir;
    FakeDesktop desktop;
    TAppContext context;
    QWidget mainWindow;
};

}  // namespace FrontendTest
