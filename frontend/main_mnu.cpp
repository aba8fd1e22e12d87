// TMainMnu: the program's main window. Its creation loads the settings and restores what the
// last run left; closing it saves the recent-files list and the window position.
#include "frontend/main_mnu.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include "frontend/app_settings.h"
#include "frontend/first_time.h"
#include "frontend/help_viewer.h"
#include "frontend/shared_texts.h"
#include "frontend/window_rules.h"
#include "platform/paths.h"
#include "toolkit/hint_switch.h"
#include "toolkit/message_box.h"

namespace {

constexpr const char* kCaption = QT_TRANSLATE_NOOP("TMainMnu", "Tagsqueeze freeware main menu");
constexpr const char* kDocumentLabel = QT_TRANSLATE_NOOP("TMainMnu", "HTML &document to compress:");
constexpr const char* kOutputDirLabel =
    QT_TRANSLATE_NOOP("TMainMnu", "&Output path for compressed files:");
constexpr const char* kHelp = QT_TRANSLATE_NOOP("TMainMnu", "&Help");
constexpr const char* kExit = QT_TRANSLATE_NOOP("TMainMnu", "E&xit");

// The first-run window waits this long after the main window first appears.
constexpr int kFirstRunDelayMs = 100;
constexpr int kFieldWidth = 420;

QString sharedText(const char* text) { return QCoreApplication::translate("SharedText", text); }

}  // namespace

TMainMnu::TMainMnu(TAppContext& appContext, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      context(appContext) {
    setObjectName(QStringLiteral("mainMnu"));
    context.load(QFile::decodeName(QByteArray::fromStdString(tsqz::platform::ProgramDirectory())));

    createWidgets();
    hintsCheckBox->setToolTip(sharedText(SharedText::kHintsHint));
    if (context.settings.closeOnEscape) {
        connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated,
                exitPushButton, &QPushButton::click);
    }

    context.recentFiles.load(context.settingsFile());
    WindowRules::applyFontRule(this, context.settings);
    setFixedSize(sizeHint());
    WindowRules::readWindowPosition(this, context.settingsFile());

    showCurrentDocument();
    showOutputDirectory();

    THelp::installF1(this, HelpContext::kMainWindow);
    TMessageBox::setApplicationWindow(this);
}

void TMainMnu::createWidgets() {
    setWindowTitle(tr(kCaption));

    documentLabel = new QLabel(tr(kDocumentLabel), this);
    documentLineEdit = new QLineEdit(this);
    documentLineEdit->setObjectName(QStringLiteral("documentLineEdit"));
    documentLineEdit->setReadOnly(true);
    documentLineEdit->setMinimumWidth(kFieldWidth);
    documentLabel->setBuddy(documentLineEdit);

    outputDirLabel = new QLabel(tr(kOutputDirLabel), this);
    outputDirLineEdit = new QLineEdit(this);
    outputDirLineEdit->setObjectName(QStringLiteral("outputDirLineEdit"));
    outputDirLabel->setBuddy(outputDirLineEdit);

    hintsCheckBox = new THintsCheckBox(sharedText(SharedText::kHintsCaption), this);
    hintsCheckBox->setObjectName(QStringLiteral("hintsCheckBox"));
    helpPushButton = new QPushButton(tr(kHelp), this);
    helpPushButton->setObjectName(QStringLiteral("helpPushButton"));
    exitPushButton = new QPushButton(tr(kExit), this);
    exitPushButton->setObjectName(QStringLiteral("exitPushButton"));
    connect(helpPushButton, &QPushButton::clicked, this, &TMainMnu::showHelp);
    connect(exitPushButton, &QPushButton::clicked, this, &QWidget::close);

    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(hintsCheckBox);
    bottomRow->addStretch(1);
    bottomRow->addWidget(helpPushButton);
    bottomRow->addWidget(exitPushButton);

    auto* layout = new QGridLayout(this);
    layout->addWidget(documentLabel, 0, 0);
    layout->addWidget(documentLineEdit, 1, 0);
    layout->addWidget(outputDirLabel, 2, 0);
    layout->addWidget(outputDirLineEdit, 3, 0);
    layout->setRowMinimumHeight(4, 12);
    layout->addLayout(bottomRow, 5, 0);
}

void TMainMnu::showCurrentDocument() {
    const bool exists = QFileInfo(context.currentDocument).isFile();
    documentLineEdit->setText(exists ? context.currentDocument
                                     : sharedText(SharedText::kNoneSelected));
}

void TMainMnu::showOutputDirectory() { outputDirLineEdit->setText(context.outputDirectory); }

void TMainMnu::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownBefore) return;
    shownBefore = true;
    // The delay lets the main window finish drawing before the welcome window covers it.
    if (!context.usedOnce)
        QTimer::singleShot(kFirstRunDelayMs, this, &TMainMnu::showFirstRunWindow);
}

void TMainMnu::showFirstRunWindow() {
    if (context.usedOnce) return;
    QCoreApplication::processEvents();
    {
        TFirstTime firstTime(context, this);
        firstTime.exec();
    }
    THelp::open(HelpContext::kFirstRun);
    context.usedOnce = true;
}

void TMainMnu::showHelp() { THelp::open(HelpContext::kMainWindow); }

void TMainMnu::closeEvent(QCloseEvent* event) {
    // The help viewer is a window of its own; left open, it would keep the program running
    // after the main window has gone.
    THelp::closeViewer();
    const TSettingsFile file = context.settingsFile();
    context.recentFiles.save(file);
    WindowRules::writeWindowPosition(this, file);
    event->accept();
}
