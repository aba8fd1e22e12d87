// TOptconfirm: the confirmation shown before each compression unless expert mode is on.
#include "frontend/opt_confirm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "frontend/app_settings.h"
#include "frontend/window_rules.h"
#include "toolkit/gradient_caption.h"
#include "toolkit/wrap_button.h"

namespace {

#define CONFIRM_TEXT(text) QT_TRANSLATE_NOOP("TOptconfirm", text)

constexpr const char* kCaption = CONFIRM_TEXT("Tagsqueeze freeware ");
constexpr const char* kHeading = CONFIRM_TEXT("Current compression options:");
constexpr const char* kText = CONFIRM_TEXT(
    "Options changed from this dialog will apply only to this session. These options are only "
    "saved to Tagsqueeze.ini when set from the user options assistant.");
constexpr const char* kReportCaption = CONFIRM_TEXT("Report output enabled");
constexpr const char* kDetailedCaption = CONFIRM_TEXT("Detailed reports enabled");
constexpr const char* kAppendCaption =
    CONFIRM_TEXT("Next report will be appended to existing report");
constexpr const char* kOverwriteCaption = CONFIRM_TEXT("Compression overwrites existing documents");
constexpr const char* kBackupCaption = CONFIRM_TEXT("&Create backup copy of original document");
constexpr const char* kTargetCaption =
    CONFIRM_TEXT("Compressed files are saved to specified output directory");
constexpr const char* kPromptCaption = CONFIRM_TEXT(
    "&Prompt before overwriting either an existing backup or the original copy of a document");
constexpr const char* kContinue = CONFIRM_TEXT("&Continue");
constexpr const char* kCancel = CONFIRM_TEXT("C&ancel");

constexpr int kTextWidth = 420;

}  // namespace

TOptconfirm::TOptconfirm(TAppContext& context, bool& cancel, QWidget* mainWindow)
    : QDialog(mainWindow),
      appContext(context),
      cancelFlag(cancel),
      reportCheckBox(new QCheckBox(tr(kReportCaption), this)),
      detailedCheckBox(new QCheckBox(tr(kDetailedCaption), this)),
      appendCheckBox(new QCheckBox(tr(kAppendCaption), this)),
      overwriteRadioButton(new QRadioButton(tr(kOverwriteCaption), this)),
      backupCheckBox(new QCheckBox(tr(kBackupCaption), this)),
      targetRadioButton(new QRadioButton(tr(kTargetCaption), this)),
      promptCheckBox(new TWrapCheckBox(tr(kPromptCaption), this)),
      continuePushButton(new QPushButton(tr(kContinue), this)),
      cancelPushButton(new QPushButton(tr(kCancel), this)) {
    setObjectName(QStringLiteral("optconfirm"));
    setWindowTitle(tr(kCaption));
    reportCheckBox->setObjectName(QStringLiteral("reportCheckBox"));
    detailedCheckBox->setObjectName(QStringLiteral("detailedCheckBox"));
    appendCheckBox->setObjectName(QStringLiteral("appendCheckBox"));
    overwriteRadioButton->setObjectName(QStringLiteral("overwriteRadioButton"));
    backupCheckBox->setObjectName(QStringLiteral("backupCheckBox"));
    targetRadioButton->setObjectName(QStringLiteral("targetRadioButton"));
    promptCheckBox->setObjectName(QStringLiteral("promptCheckBox"));

    const TAppSettings& settings = context.settings;
    reportCheckBox->setChecked(settings.outputReport);
    detailedCheckBox->setChecked(!settings.briefReport);
    appendCheckBox->setChecked(settings.appendReports);
    auto* sourceGroup = new QButtonGroup(this);
    sourceGroup->addButton(overwriteRadioButton);
    sourceGroup->addButton(targetRadioButton);
    overwriteRadioButton->setChecked(settings.compressSource);
    targetRadioButton->setChecked(!settings.compressSource);
    backupCheckBox->setChecked(settings.createBackup);
    promptCheckBox->setChecked(settings.overwritePrompt);
    applyEnablingRules();

    // Each change goes into the record at once; the file keeps what the user options stored.
    auto copyInto = [this](QAbstractButton* control, auto apply) {
        connect(control, &QAbstractButton::clicked, this, [this, apply](bool checked) {
            apply(appContext.settings, checked);
            applyEnablingRules();
        });
    };
    copyInto(reportCheckBox, [](TAppSettings& s, bool on) { s.outputReport = on; });
    copyInto(detailedCheckBox, [](TAppSettings& s, bool on) { s.briefReport = !on; });
    copyInto(appendCheckBox, [](TAppSettings& s, bool on) { s.appendReports = on; });
    copyInto(overwriteRadioButton, [](TAppSettings& s, bool) { s.compressSource = true; });
    copyInto(backupCheckBox, [](TAppSettings& s, bool on) { s.createBackup = on; });
    copyInto(targetRadioButton, [](TAppSettings& s, bool) { s.compressSource = false; });
    copyInto(promptCheckBox, [](TAppSettings& s, bool on) { s.overwritePrompt = on; });

    continuePushButton->setDefault(true);
    continuePushButton->setAutoDefault(true);
    cancelPushButton->setAutoDefault(false);
    connect(continuePushButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelPushButton, &QPushButton::clicked, this, &TOptconfirm::reject);

    auto* text = new QLabel(tr(kText), this);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setFixedWidth(kTextWidth);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(continuePushButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancelPushButton, QDialogButtonBox::RejectRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new TGradientCaption(tr(kHeading), this));
    layout->addWidget(text);
    layout->addSpacing(6);
    layout->addWidget(reportCheckBox);
    layout->addWidget(WindowRules::indented(detailedCheckBox));
    layout->addWidget(WindowRules::indented(appendCheckBox));
    layout->addSpacing(6);
    layout->addWidget(overwriteRadioButton);
    layout->addWidget(WindowRules::indented(backupCheckBox));
    layout->addWidget(targetRadioButton);
    layout->addSpacing(6);
    layout->addWidget(promptCheckBox);
    layout->addWidget(buttons);

    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Modal over the main window only, so that help stays usable.
    setWindowModality(Qt::WindowModal);
    WindowRules::applyFontRule(this, settings);
    setFixedSize(sizeHint());
    WindowRules::placeOverMainWindow(this, mainWindow);
}

void TOptconfirm::applyEnablingRules() {
    const bool reports = reportCheckBox->isChecked();
    detailedCheckBox->setEnabled(reports);
    appendCheckBox->setEnabled(reports);
    backupCheckBox->setEnabled(overwriteRadioButton->isChecked());
}

void TOptconfirm::reject() {
    cancelFlag = true;
    QDialog::reject();
}

void TOptconfirm::closeEvent(QCloseEvent* event) {
    if (isVisible()) accept();
    event->accept();
}
