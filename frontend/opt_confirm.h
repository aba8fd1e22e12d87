// TOptconfirm: the confirmation shown before each compression unless expert mode is on. It
// offers the report and backup switches once more, for the rest of this run only.
#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;
class QRadioButton;
class TAppContext;

class TOptconfirm : public QDialog {
    Q_OBJECT

  public:
    // cancelFlag is the main window's: only "C&ancel" (or Escape) sets it, and then the job
    // does not start. Changes go into the settings record only, never into the file.
    TOptconfirm(TAppContext& context, bool& cancelFlag, QWidget* mainWindow);

    QPushButton* continueButton() const { return continuePushButton; }
    QPushButton* cancelButton() const { return cancelPushButton; }

  public slots:
    void reject() override;

  protected:
    // The title-bar close box lets the job start, as "&Continue" does.
    void closeEvent(QCloseEvent* event) override;

  private:
    void applyEnablingRules();

    TAppContext& appContext;
    bool& cancelFlag;
    QCheckBox* reportCheckBox;
    QCheckBox* detailedCheckBox;
    QCheckBox* appendCheckBox;
    QRadioButton* overwriteRadioButton;
    QCheckBox* backupCheckBox;
    QRadioButton* targetRadioButton;
    QCheckBox* promptCheckBox;
    QPushButton* continuePushButton;
    QPushButton* cancelPushButton;
};
