// TUserOptions: the user options assistant. Three pages of interface, backup and report
// choices; every change goes into the settings record and the settings file at once.
#include "frontend/user_options.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "frontend/app_settings.h"
#include "frontend/desktop.h"
#include "frontend/help_viewer.h"
#include "frontend/launcher.h"
#include "frontend/window_rules.h"
#include "toolkit/captions.h"
#include "toolkit/ellipsis_edit.h"
#include "toolkit/message_box.h"
#include "toolkit/wrap_button.h"

namespace {

#define USER_TEXT(text) QT_TRANSLATE_NOOP("TUserOptions", text)

constexpr const char* kCaption = USER_TEXT("Tagsqueeze freeware user options assistant ");

constexpr const char* kInterfaceHeading = USER_TEXT("Interface options");
constexpr const char* kInterfaceText =
    USER_TEXT("These options affect aspects of the application not related to HTML processing.");
constexpr const char* kExpertCaption = USER_TEXT(
    "\"E&xpert mode\" (don't show prompts prior to aborting wizard or closing the application, "
    "no messages after saves and minor changes)");
constexpr const char* kRegularFontsCaption =
    USER_TEXT("&Use regular (non-bold) fonts in all dialogs");
constexpr const char* kUseEditorCaption = USER_TEXT(
    "&Use preferred external editor to browse compression reports (Notepad is the default)");
constexpr const char* kEditorLabel = USER_TEXT("Ex&ternal editor:");

constexpr const char* kBackupHeading = USER_TEXT("Backup/overwrite options");
constexpr const char* kBackupText =
    USER_TEXT("Specify the backup options you want Tagsqueeze to apply to your files:");
constexpr const char* kOverwriteCaption =
    USER_TEXT("&Compress source file\r\n(overwrite source with compressed version)");
constexpr const char* kTargetCaption =
    USER_TEXT("&Save compressed files to specified target directory");
constexpr const char* kBackupCaption = USER_TEXT("&Create backup copy of original document");
constexpr const char* kPromptCaption = USER_TEXT(
    "&Prompt before overwriting either an existing backup or the original copy of a document");
constexpr const char* kBackupsOffCaption = USER_TEXT("Backups disabled");
// Two pieces joined directly.
constexpr const char* kBackupsOffText = USER_TEXT(
    "WARNING: Backup mode is now disabled and will remain disabled for the remainder of this "
    "session or until backup is re-enabled. If you are compressing the only copy of your "
    "current web, you may be compromising ");
constexpr const char* kBackupsOffTextEnd = USER_TEXT(
    "the ability of your HTML authoring tool to load your working documents.\n\nIt is strongly "
    "recommended that you re-enable the backup switch immediately if you do not have safe "
    "copies of the files you wish to compress.");

constexpr const char* kReportHeading = USER_TEXT("Reporting options");
constexpr const char* kReportText = USER_TEXT(
    "Select the desired behavior and detail level for generation of compression statistics "
    "reports:");
constexpr const char* kReportCaption = USER_TEXT("&Generate text-format compression reports");
constexpr const char* kBriefCaption = USER_TEXT("&Brief report (overall statistics)");
constexpr const char* kDetailedCaption = USER_TEXT("De&tailed report (statistics by option)");
constexpr const char* kWholeJobCaption = USER_TEXT("&Write statistics for whole job only");
constexpr const char* kEachFileCaption = USER_TEXT("Write statistics for each &file");
constexpr const char* kAppendCaption = USER_TEXT("&Append all reports to a single file");
constexpr const char* kReportNameLabel = USER_TEXT("&Report name (appended reports only):");

constexpr const char* kChooserTitle = USER_TEXT("Select editor or report browser application:");
// Programs here carry no extension, so the first filter lists every file too.
constexpr const char* kChooserFilters[] = {USER_TEXT("Executable files (*)"),
                                           USER_TEXT("All files (*)")};
// The report name's own chooser: an existing report or a new file name.
constexpr const char* kReportChooserTitle =
    USER_TEXT("Select or name the report file for appended reports:");
constexpr const char* kReportChooserFilters[] = {USER_TEXT("Report files (*.txt)"),
                                                 USER_TEXT("All files (*)")};

// Balloon hints of the controls.
constexpr const char* kExpertHint =
    USER_TEXT("Skips the confirmation before each compression and most messages.");
constexpr const char* kRegularFontsHint = USER_TEXT(
    "Draws windows opened from now on in regular type. Not available on large-font displays, "
    "which always use regular type.");
constexpr const char* kUseEditorHint =
    USER_TEXT("Opens compression reports in the editor chosen below.");
constexpr const char* kEditorHint = USER_TEXT("Press \"...\" to choose the editor program.");
constexpr const char* kOverwriteHint =
    USER_TEXT("Writes each compressed document over its source file.");
constexpr const char* kTargetHint =
    USER_TEXT("Writes compressed documents into the output directory chosen in the main window.");
constexpr const char* kBackupHint =
    USER_TEXT("Keeps the original of each document beside it, for Undo in the main window.");
constexpr const char* kPromptHint =
    USER_TEXT("Asks before a backup or an original document is replaced.");
constexpr const char* kReportHint =
    USER_TEXT("Writes a plain-text report of what each compression saved.");
constexpr const char* kDetailHint = USER_TEXT("How much the report says.");
constexpr const char* kScopeHint = USER_TEXT("Whether the report counts each file or the job.");
constexpr const char* kAppendHint =
    USER_TEXT("Adds each new report to the end of the file named below.");
constexpr const char* kReportNameHint =
    USER_TEXT("Press \"...\" to choose the file that reports are appended to.");

// Indent of controls that belong to the one above them.

QString userText(const char* text) { return QCoreApplication::translate("TUserOptions", text); }

QString flagText(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

template <class Control>
Control* makeControl(const char* caption, const char* hint, const char* name, QWidget* parent) {
    auto* control = new Control(multiLineCaption(userText(caption)), parent);
    control->setToolTip(userText(hint));
    control->setObjectName(QLatin1String(name));
    return control;
}

}  // namespace

QString UserOptions::chooseProgram(TAppContext& context, QWidget* parent, const QString& current) {
    QStringList filters;
    for (const char* filter : kChooserFilters)
        filters.append(userText(filter));
    const QString folder =
        current.trimmed().isEmpty() ? QString() : QFileInfo(current.trimmed()).absolutePath();
    return context.desktop().chooseExistingFile(parent, userText(kChooserTitle), filters, folder);
}

InterfaceOptionsPage::InterfaceOptionsPage(TAppContext& context, QWidget* parent)
    : TAssistantPage(userText(kInterfaceHeading), userText(kInterfaceText), parent),
      appContext(context),
      expertCheckBox(
          makeControl<TWrapCheckBox>(kExpertCaption, kExpertHint, "expertCheckBox", this)),
      regularFontsCheckBox(makeControl<QCheckBox>(kRegularFontsCaption, kRegularFontsHint,
                                                  "regularFontsCheckBox", this)),
      useEditorCheckBox(
          makeControl<TWrapCheckBox>(kUseEditorCaption, kUseEditorHint, "useEditorCheckBox", this)),
      editorLabel(new QLabel(userText(kEditorLabel), this)),
      editorEdit(new TEllipsisEdit(this)) {
    const TAppSettings& settings = context.settings;
    expertCheckBox->setChecked(settings.expertMode);
    regularFontsCheckBox->setChecked(!settings.boldFonts);
    // Large-font displays always get regular type, so the choice does not apply there.
    regularFontsCheckBox->setEnabled(
        !WindowRules::isLargeFontDisplay(WindowRules::activeLogicalDpi()));
    useEditorCheckBox->setChecked(settings.useExternalEditor);
    editorEdit->setObjectName(QStringLiteral("editorEdit"));
    editorEdit->setToolTip(userText(kEditorHint));
    editorEdit->setText(settings.editorPath);
    editorLabel->setBuddy(editorEdit);
    enableEditor();

    connect(expertCheckBox, &QCheckBox::clicked, this, [this](bool checked) {
        appContext.settings.expertMode = checked;
        appContext.settingsFile().writeText(Ini::kGeneralOptions, Ini::kExpertMode,
                                            flagText(checked));
    });
    connect(regularFontsCheckBox, &QCheckBox::clicked, this, [this](bool checked) {
        appContext.settings.boldFonts = !checked;
        appContext.settingsFile().writeText(Ini::kGeneralOptions, Ini::kBoldFonts,
                                            flagText(!checked));
    });
    connect(useEditorCheckBox, &QCheckBox::clicked, this, [this](bool checked) {
        appContext.settings.useExternalEditor = checked;
        appContext.settingsFile().writeText(Ini::kGeneralOptions, Ini::kUseExternalEditor,
                                            flagText(checked));
        enableEditor();
    });
    connect(editorEdit, &TEllipsisEdit::ellipsisClicked, this, &InterfaceOptionsPage::chooseEditor);

    pageLayout()->addWidget(expertCheckBox);
    pageLayout()->addWidget(regularFontsCheckBox);
    pageLayout()->addWidget(useEditorCheckBox);
    pageLayout()->addWidget(editorLabel);
    pageLayout()->addWidget(editorEdit);
    pageLayout()->addStretch(1);
}

void InterfaceOptionsPage::enableEditor() {
    const bool enabled = useEditorCheckBox->isChecked();
    editorLabel->setEnabled(enabled);
    editorEdit->setEnabled(enabled);
}

void InterfaceOptionsPage::chooseEditor() {
    const QString program = UserOptions::chooseProgram(appContext, this, editorEdit->text());
    if (program.isEmpty()) return;
    appContext.settings.editorPath = program;
    appContext.settingsFile().writeText(Ini::kGeneralOptions, Ini::kExternalEditor, program);
    editorEdit->setText(program);
}

BackupOptionsPage::BackupOptionsPage(TAppContext& context, QWidget* parent)
    : TAssistantPage(userText(kBackupHeading), userText(kBackupText), parent),
      appContext(context),
      overwriteRadioButton(makeControl<TWrapRadioButton>(kOverwriteCaption, kOverwriteHint,
                                                         "overwriteRadioButton", this)),
      targetRadioButton(
          makeControl<TWrapRadioButton>(kTargetCaption, kTargetHint, "targetRadioButton", this)),
      backupCheckBox(
          makeControl<TWrapCheckBox>(kBackupCaption, kBackupHint, "backupCheckBox", this)),
      promptCheckBox(
          makeControl<TWrapCheckBox>(kPromptCaption, kPromptHint, "promptCheckBox", this)) {
    const TAppSettings& settings = context.settings;
    overwriteRadioButton->setChecked(settings.compressSource);
    targetRadioButton->setChecked(!settings.compressSource);
    backupCheckBox->setChecked(settings.createBackup);
    backupCheckBox->setEnabled(settings.compressSource);
    promptCheckBox->setChecked(settings.overwritePrompt);

    connect(overwriteRadioButton, &QRadioButton::clicked, this,
            [this] { chooseSourceOrTarget(true); });
    connect(targetRadioButton, &QRadioButton::clicked, this,
            [this] { chooseSourceOrTarget(false); });
    connect(backupCheckBox, &QCheckBox::clicked, this, &BackupOptionsPage::switchBackup);
    connect(promptCheckBox, &QCheckBox::clicked, this, [this](bool checked) {
        appContext.settings.overwritePrompt = checked;
        appContext.settingsFile().writeText(Ini::kBackupOptions, Ini::kOverwritePrompt,
                                            flagText(checked));
    });

    pageLayout()->addWidget(overwriteRadioButton);
    pageLayout()->addWidget(WindowRules::indented(backupCheckBox));
    pageLayout()->addWidget(targetRadioButton);
    pageLayout()->addSpacing(8);
    pageLayout()->addWidget(promptCheckBox);
    pageLayout()->addStretch(1);
}

void BackupOptionsPage::chooseSourceOrTarget(bool compressSource) {
    appContext.settings.compressSource = compressSource;
    appContext.settingsFile().writeText(Ini::kBackupOptions, Ini::kCompressSource,
                                        flagText(compressSource));
    backupCheckBox->setEnabled(compressSource);
}

void BackupOptionsPage::switchBackup(bool on) {
    appContext.settings.createBackup = on;
    appContext.settingsFile().writeText(Ini::kBackupOptions, Ini::kCreateBackup, flagText(on));
    if (!on && appContext.settings.compressSource) {
        TMessageBox::warning(userText(kBackupsOffCaption),
                             userText(kBackupsOffText) + userText(kBackupsOffTextEnd), this);
    }
}

ReportOptionsPage::ReportOptionsPage(TAppContext& context, QWidget* parent)
    : TAssistantPage(userText(kReportHeading), userText(kReportText), parent),
      appContext(context),
      reportCheckBox(makeControl<QCheckBox>(kReportCaption, kReportHint, "reportCheckBox", this)),
      briefRadioButton(
          makeControl<QRadioButton>(kBriefCaption, kDetailHint, "briefRadioButton", this)),
      detailedRadioButton(
          makeControl<QRadioButton>(kDetailedCaption, kDetailHint, "detailedRadioButton", this)),
      wholeJobRadioButton(
          makeControl<QRadioButton>(kWholeJobCaption, kScopeHint, "wholeJobRadioButton", this)),
      eachFileRadioButton(
          makeControl<QRadioButton>(kEachFileCaption, kScopeHint, "eachFileRadioButton", this)),
      appendCheckBox(makeControl<QCheckBox>(kAppendCaption, kAppendHint, "appendCheckBox", this)),
      reportNameLabel(new QLabel(userText(kReportNameLabel), this)),
      reportNameEdit(new TEllipsisEdit(this)) {
    const TAppSettings& settings = context.settings;
    // Two groups of two, each exclusive on its own.
    auto* detailGroup = new QButtonGroup(this);
    detailGroup->addButton(briefRadioButton);
    detailGroup->addButton(detailedRadioButton);
    auto* scopeGroup = new QButtonGroup(this);
    scopeGroup->addButton(wholeJobRadioButton);
    scopeGroup->addButton(eachFileRadioButton);

    reportCheckBox->setChecked(settings.outputReport);
    briefRadioButton->setChecked(settings.briefReport);
    detailedRadioButton->setChecked(!settings.briefReport);
    wholeJobRadioButton->setChecked(!settings.statisticsByFile);
    eachFileRadioButton->setChecked(settings.statisticsByFile);
    appendCheckBox->setChecked(settings.appendReports);
    reportNameEdit->setObjectName(QStringLiteral("reportNameEdit"));
    reportNameEdit->setToolTip(userText(kReportNameHint));
    reportNameLabel->setBuddy(reportNameEdit);
    applyEnablingRules();
    showReportPath();

    connect(reportCheckBox, &QCheckBox::clicked, this, [this](bool checked) {
        appContext.settings.outputReport = checked;
        appContext.settingsFile().writeText(Ini::kReportOptions, Ini::kOutputReport,
                                            flagText(checked));
        applyEnablingRules();
        showReportPath();
    });
    auto writeDetail = [this](bool brief) {
        appContext.settings.briefReport = brief;
        appContext.settingsFile().writeText(Ini::kReportOptions, Ini::kWriteDetailedStats,
                                            flagText(!brief));
    };
    connect(briefRadioButton, &QRadioButton::clicked, this, [writeDetail] { writeDetail(true); });
    connect(detailedRadioButton, &QRadioButton::clicked, this,
            [writeDetail] { writeDetail(false); });
    auto writeScope = [this](bool byFile) {
        appContext.settings.statisticsByFile = byFile;
        appContext.settingsFile().writeText(Ini::kReportOptions, Ini::kStatisticsByFile,
                                            flagText(byFile));
    };
    connect(wholeJobRadioButton, &QRadioButton::clicked, this, [writeScope] { writeScope(false); });
    connect(eachFileRadioButton, &QRadioButton::clicked, this, [writeScope] { writeScope(true); });
    connect(appendCheckBox, &QCheckBox::clicked, this, [this](bool checked) {
        appContext.settings.appendReports = checked;
        appContext.settingsFile().writeText(Ini::kReportOptions, Ini::kAppendReports,
                                            flagText(checked));
        applyEnablingRules();
    });
    connect(reportNameEdit, &TEllipsisEdit::ellipsisClicked, this,
            &ReportOptionsPage::chooseReport);

    pageLayout()->addWidget(reportCheckBox);
    auto* details = new QGridLayout;
    details->setContentsMargins(WindowRules::kDependentIndent, 0, 0, 0);
    details->addWidget(briefRadioButton, 0, 0);
    details->addWidget(detailedRadioButton, 1, 0);
    details->addWidget(wholeJobRadioButton, 0, 1);
    details->addWidget(eachFileRadioButton, 1, 1);
    details->addWidget(appendCheckBox, 2, 0, 1, 2);
    pageLayout()->addLayout(details);
    pageLayout()->addSpacing(6);
    pageLayout()->addWidget(reportNameLabel);
    pageLayout()->addWidget(reportNameEdit);
    pageLayout()->addStretch(1);
}

// The detail controls follow the report box; the report name is wanted only for appended
// reports, so it also needs the append box both checked and enabled.
void ReportOptionsPage::applyEnablingRules() {
    const bool reports = reportCheckBox->isChecked();
    for (QAbstractButton* control : {static_cast<QAbstractButton*>(briefRadioButton),
                                     static_cast<QAbstractButton*>(detailedRadioButton),
                                     static_cast<QAbstractButton*>(wholeJobRadioButton),
                                     static_cast<QAbstractButton*>(eachFileRadioButton),
                                     static_cast<QAbstractButton*>(appendCheckBox)}) {
        control->setEnabled(reports);
    }
    const bool named = appendCheckBox->isChecked() && appendCheckBox->isEnabled();
    reportNameLabel->setEnabled(named);
    reportNameEdit->setEnabled(named);
}

void ReportOptionsPage::showReportPath() {
    reportNameEdit->setText(TLauncher(appContext).reportPath());
}

void ReportOptionsPage::chooseReport() {
    QStringList filters;
    for (const char* filter : kReportChooserFilters)
        filters.append(userText(filter));
    const QString report = appContext.desktop().chooseFileToWrite(
        this, userText(kReportChooserTitle), filters, reportNameEdit->text());
    if (report.isEmpty()) return;
    appContext.settingsFile().writeText(Ini::kReportOptions, Ini::kLastReport, report);
    reportNameEdit->setText(report);
}

TUserOptions::TUserOptions(TAppContext& context, QWidget* mainWindow)
    : TAssistant(context, mainWindow) {
    setObjectName(QStringLiteral("userOptions"));
    setWindowTitle(tr(kCaption));
    addPage(kInterfacePage, new InterfaceOptionsPage(context, this),
            HelpContext::kInterfaceOptions);
    addPage(kBackupPage, new BackupOptionsPage(context, this), HelpContext::kBackupOptions);
    addPage(kReportPage, new ReportOptionsPage(context, this), HelpContext::kReportOptions);
    finishCreation();
}
