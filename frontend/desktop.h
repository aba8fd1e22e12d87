// What the front end asks of the user's desktop: starting programs, opening a file with the
// program registered for its type, the open command for text files, and file choosers.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

class TDesktop {
  public:
    virtual ~TDesktop() = default;

    // Starts the program with these arguments, each handed over whole (blanks included), and
    // watches it briefly, the windows still drawing meanwhile. False when it could not be
    // started or ended at once with a failure status; a program still running after the
    // short watch is left to run and counts as started.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    // Hands the file to the program registered for its type (the desktop's opener, watched
    // as above). False when that was refused or failed.
    virtual bool openWithAssociation(const QString& file) = 0;
    // The system's open command for text files, cut before its first "%"; empty when none.
    virtual QString textOpenCommand() = 0;
    // An existing file chosen by the user, or empty text when the dialog was cancelled.
    // filters: Qt name filters such as "Applications (*)"; the first is selected.
    virtual QString chooseExistingFile(QWidget* parent, const QString& title,
                                       const QStringList& filters,
                                       const QString& startDirectory) = 0;
    // A file to write to, existing or new (its name may be typed), chosen by the user
    // starting at currentFile; empty text when the dialog was cancelled. An existing file is
    // taken without a question: what is written there is added to it.
    virtual QString chooseFileToWrite(QWidget* parent, const QString& title,
                                      const QStringList& filters, const QString& currentFile) = 0;
    // An existing folder chosen by the user in a folder browser with this caption and status
    // line, or empty text when the dialog was cancelled.
    virtual QString chooseDirectory(QWidget* parent, const QString& caption,
                                    const QString& statusText, const QString& startDirectory) = 0;
};

// The real desktop: processes, the desktop's opener xdg-open, the MIME database, Qt's dialogs.
class TSystemDesktop : public TDesktop {
  public:
    bool startProgram(const QString& program, const QStringList& arguments) override;
    bool openWithAssociation(const QString& file) override;
    QString textOpenCommand() override;
    QString chooseExistingFile(QWidget* parent, const QString& title, const QStringList& filters,
                               const QString& startDirectory) override;
    QString chooseFileToWrite(QWidget* parent, const QString& title, const QStringList& filters,
                              const QString& currentFile) override;
    QString chooseDirectory(QWidget* parent, const QString& caption, const QString& statusText,
                            const QString& startDirectory) override;
};
