// A folder browser: a dialog that lists directories only and carries a status line telling
// the user how to pick one.
#pragma once

#include <QFileDialog>

class QLabel;

class TFolderDialog : public QFileDialog {
    Q_OBJECT

  public:
    TFolderDialog(QWidget* parent, const QString& caption, const QString& statusText,
                  const QString& startDirectory);

    QString statusText() const;
    // The chosen folder, or empty text when the dialog was cancelled.
    QString chosenFolder() const;

  private:
    QLabel* statusLabel;
};
