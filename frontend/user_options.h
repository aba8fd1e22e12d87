// TUserOptions: the user options assistant. Three pages of interface, backup and report
// choices; every change goes into the settings record and the settings file at once.
#pragma once

#include "frontend/assistant.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QRadioButton;
class TEllipsisEdit;

// Expert mode, regular fonts and the preferred editor.
class InterfaceOptionsPage : public TAssistantPage {
    Q_OBJECT

  public:
    InterfaceOptionsPage(TAppContext& context, QWidget* parent = nullptr);

  private:
    void chooseEditor();
    void enableEditor();

    TAppContext& appContext;
    QCheckBox* expertCheckBox;
    QCheckBox* regularFontsCheckBox;
    QCheckBox* useEditorCheckBox;
    QLabel* editorLabel;
    TEllipsisEdit* editorEdit;
};

// Overwriting the source or saving to the output directory, backups and the overwrite prompt.
class BackupOptionsPage : public TAssistantPage {
    Q_OBJECT

  public:
    BackupOptionsPage(TAppContext& context, QWidget* parent = nullptr);

  private:
    void chooseSourceOrTarget(bool compressSource);
    void switchBackup(bool on);

    TAppContext& appContext;
    QRadioButton* overwriteRadioButton;
    QRadioButton* targetRadioButton;
    QCheckBox* backupCheckBox;
    QCheckBox* promptCheckBox;
};

// Whether reports are written, in what detail, per file or per job, appended to which file.
class ReportOptionsPage : public TAssistantPage {
    Q_OBJECT

  public:
    ReportOptionsPage(TAppContext& context, QWidget* parent = nullptr);

  private:
    void applyEnablingRules();
    void showReportPath();
    void chooseReport();

    TAppContext& appContext;
    QCheckBox* reportCheckBox;
    QRadioButton* briefRadioButton;
    QRadioButton* detailedRadioButton;
    QRadioButton* wholeJobRadioButton;
    QRadioButton* eachFileRadioButton;
    QCheckBox* appendCheckBox;
    QLabel* reportNameLabel;
    TEllipsisEdit* reportNameEdit;
};

class TUserOptions : public TAssistant {
    Q_OBJECT

  public:
    enum PageId { kInterfacePage, kBackupPage, kReportPage };

    TUserOptions(TAppContext& context, QWidget* mainWindow);
};

namespace UserOptions {
// The chooser for the editor program: an existing file, or empty text when cancelled.
QString chooseProgram(TAppContext& context, QWidget* parent, const QString& current);
}  // namespace UserOptions
