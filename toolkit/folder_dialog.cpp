// A folder browser: a dialog that lists directories only and carries a status line telling
// the user how to pick one.
#include "toolkit/folder_dialog.h"

#include <QGridLayout>
#include <QLabel>

TFolderDialog::TFolderDialog(QWidget* parent, const QString& caption, const QString& statusText,
                             const QString& startDirectory)
    : QFileDialog(parent, caption, startDirectory), statusLabel(new QLabel(statusText, this)) {
    // Qt's own dialog, because a platform dialog takes no extra line of text.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly);
    setAcceptMode(QFileDialog::AcceptOpen);

    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    statusLabel->setWordWrap(true);
    statusLabel->setTextFormat(Qt::PlainText);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(statusLabel, grid->rowCount(), 0, 1, grid->columnCount());
}

QString TFolderDialog::statusText() const { return statusLabel->text(); }

QString TFolderDialog::chosenFolder() const {
    if (result() != QDialog::Accepted || selectedFiles().isEmpty()) return {};
    return selectedFiles().first();
}
