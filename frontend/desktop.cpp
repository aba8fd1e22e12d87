// The real desktop: processes, the desktop's URL handler, the MIME database, Qt's dialogs.
#include "frontend/desktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QProcess>
#include <QUrl>

#include "frontend/text_open_command.h"
#include "toolkit/folder_dialog.h"

bool TSystemDesktop::startProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments);
}

bool TSystemDesktop::openWithAssociation(const QString& file) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
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

QString TSystemDesktop::chooseDirectory(QWidget* parent, const QString& caption,
                                        const QString& statusText, const QString& startDirectory) {
    TFolderDialog dialog(parent, caption, statusText, startDirectory);
    dialog.exec();
    return dialog.chosenFolder();
}
