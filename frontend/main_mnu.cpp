// TMainMnu: the program's main window. The user picks the current document and the output
// folder, starts a compression or an analysis, previews results, undoes the last compression
// and opens the option windows.
#include "frontend/main_mnu.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <utility>

#include "frontend/app_settings.h"
#include "frontend/desktop.h"
#include "frontend/filegauge.h"
#include "frontend/first_time.h"
#include "frontend/help_viewer.h"
#include "frontend/launcher.h"
#include "frontend/shared_texts.h"
#include "frontend/window_rules.h"
#include "platform/paths.h"
#include "toolkit/file_drop_watcher.h"
#include "toolkit/gradient_caption.h"
#include "toolkit/hint_switch.h"
#include "toolkit/message_box.h"

namespace {

#define MENU_TEXT(text) QT_TRANSLATE_NOOP("TMainMnu", text)

constexpr const char* kCaption = MENU_TEXT("Tagsqueeze freeware main menu");
constexpr const char* kDocumentLabel = MENU_TEXT("HTML &document to compress:");
constexpr const char* kSelectFile = MENU_TEXT("&Select file");
constexpr const char* kOutputDirLabel = MENU_TEXT("&Output path for compressed files:");
constexpr const char* kSelectFolder = MENU_TEXT("Select &folder");
constexpr const char* kFileActions = MENU_TEXT("File actions:");
// Captions stored with their blanks, which pad the buttons to the width the window expects.
constexpr const char* kCompress = MENU_TEXT("&Compress");
constexpr const char* kAnalyze = MENU_TEXT(" &Analyze ");
constexpr const char* kBrowse = MENU_TEXT(" &Browse  ");
constexpr const char* kUndo = MENU_TEXT("  &Undo    ");
constexpr const char* kConfiguration = MENU_TEXT("Configuration and setup:");
constexpr const char* kCompressionOptions = MENU_TEXT("Compression &options");
constexpr const char* kUserOptions = MENU_TEXT("Us&er options");
constexpr const char* kHelp = MENU_TEXT("&Help");
constexpr const char* kExit = MENU_TEXT("E&xit");

constexpr const char* kNoteSourceOverwritten =
    MENU_TEXT("Save-to-output-path is enabled from user options");
constexpr const char* kNoteOutputDirectory =
    MENU_TEXT("Compressed files will be stored in this directory");

constexpr const char* kSelectFileTitle = MENU_TEXT("Select file to compress...");
// The chooser's filters, first selected. Patterns are the file system's: the list of every
// file is "*", as names here need not have an extension.
constexpr const char* kSelectFileFilters[] = {
    MENU_TEXT("HTML files (*.htm *.html *.asp *.shtml)"),
    MENU_TEXT("Files lists (*.lst)"),
    MENU_TEXT("All files (*)"),
};

constexpr const char* kSelectFolderCaption = MENU_TEXT("Select output directory:");
constexpr const char* kSelectFolderStatus = MENU_TEXT(
    "The OK button will not be enabled until your output folder is open and highlighted.");

constexpr const char* kBrowseCurrent = MENU_TEXT("...&current file selected for compression");
constexpr const char* kBrowseReport = MENU_TEXT("...most recent compression report");
constexpr const char* kChooseBrowser = MENU_TEXT("&Specify new default browser");

// A message box whose body is its pieces joined with the values given, in the order listed
// at each use.
struct Message {
    const char* caption;
    const char* pieces[5];
};

constexpr Message kIniNotFound = {
    MENU_TEXT("INI file not found...aborting"),
    {MENU_TEXT("Tagsqueeze's INI file ("),
     MENU_TEXT(")cannot be found in Tagsqueeze's directory. This file must be in the "
               "application's directory (not the Windows directory) to be accessed correctly."
               "\n\nRestarting Tagsqueeze will initialize the INI file with factory defaults, "
               "but all other information will be lost unless you can manually restore the "
               "original INI.")}};
constexpr Message kFileNotFound = {
    MENU_TEXT("File not found...aborting"),
    {"", MENU_TEXT(" could not be found. Either reselect this file or rebuild the files list "
                   "prior to proceeding.")}};
constexpr Message kNoTargetDirectory = {
    MENU_TEXT("Invalid option combination"),
    {MENU_TEXT("No target directory has been specified for your optimized files. You have "
               "specified that optimized files are to be saved to a different directory, but "
               "you have not specified a directory where the files should be saved.\n\nEither "
               "use the Select Folder button to specify an output directory or specify "
               "overwriting of source documents from the user options assistant before "
               "continuing.")}};
constexpr Message kTargetDirectoryInvalid = {
    MENU_TEXT("Target directory invalid...aborting"),
    {MENU_TEXT("The specified target directory ("),
     MENU_TEXT(") does not exist. Unable to continue optimization.\n\nSpecify a valid target "
               "directory or disable optimization to the target directory prior to "
               "continuing.")}};
constexpr Message kDirectorySelectionInvalid = {
    MENU_TEXT("Directory selection invalid"),
    {MENU_TEXT("The directory you specified as the target location for the optimized version "
               "of this file ("),
     MENU_TEXT(") is not a valid directory. Please reselect the target directory.")}};
constexpr Message kNoBackup = {MENU_TEXT("Restoration failed"),
                               {MENU_TEXT("Tagsqueeze was unable to find "),
                                MENU_TEXT(". Restoration not possible...no backup file found.")}};
constexpr Message kRestored = {MENU_TEXT("Backup file restored"),
                               {"", MENU_TEXT(" restored to unoptimized state.")}};
constexpr Message kRenameFailed = {
    MENU_TEXT("Backup restoration failed"),
    {MENU_TEXT("Unable to rename "), MENU_TEXT(" to "),
     MENU_TEXT(". File permissions may not permit this operation.\n\nYou will need to restore "
               "this file manually.")}};
constexpr Message kCannotBrowse = {
    MENU_TEXT("Unable to browse file"),
    {MENU_TEXT("Either your last-optimized file no longer exists in the expected location or "
               "you have not optimized any files yet. Unable to browse last-optimized file.")}};

constexpr const char* kBackupExtension = ".tsbak";

// The first-run window waits this long after the main window first appears.
constexpr int kFirstRunDelayMs = 100;
// How often a document handed over while a modal window is open looks again.
constexpr int kPendingDocumentRetryMs = 250;
constexpr int kFieldWidth = 360;

QString sharedText(const char* text) { return QCoreApplication::translate("SharedText", text); }
QString menuText(const char* text) { return QCoreApplication::translate("TMainMnu", text); }

// The message's body: its first piece, then each value followed by the next piece.
QString messageText(const Message& message, std::initializer_list<QString> values = {}) {
    QString text = menuText(message.pieces[0]);
    int piece = 1;
    for (const QString& value : values) {
        text += value;
        if (piece < 5 && message.pieces[piece]) text += menuText(message.pieces[piece]);
        ++piece;
    }
    return text;
}

QString folderOf(const QString& path) {
    const QFileInfo info(path);
    return info.fileName().isEmpty() ? QString() : info.absolutePath();
}

// A path as a menu entry: a "&" in it is shown, not taken as an accelerator.
QString menuEntry(QString path) { return path.replace(u'&', QStringLiteral("&&")); }

// The paths of the recent-files list that are not empty slots.
QStringList listedRecentFiles(const TRecentFiles& recentFiles) {
    QStringList paths;
    for (const QString& entry : recentFiles.entries()) {
        if (!TRecentFiles::isEmptySlot(entry)) paths.append(entry);
    }
    return paths;
}

// A message box shown while the busy cursor is up gets the normal pointer.
class BusyCursor {
  public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

TMainMnu::TMainMnu(TAppContext& appContext, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      context(appContext),
      pendingDocumentTimer(new QTimer(this)) {
    setObjectName(QStringLiteral("mainMnu"));
    pendingDocumentTimer->setSingleShot(true);
    pendingDocumentTimer->setInterval(kPendingDocumentRetryMs);
    connect(pendingDocumentTimer, &QTimer::timeout, this, &TMainMnu::openPendingDocument);
    // The desktop program keeps its settings there, so the folder is made when missing.
    context.load(QFile::decodeName(
        QByteArray::fromStdString(tsqz::platform::ProgramDirectoryForWriting())));

    createWidgets();
    createMenus();
    hintsCheckBox->setToolTip(sharedText(SharedText::kHintsHint));
    if (context.settings.closeOnEscape) {
        connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated,
                exitPushButton, &QPushButton::click);
    }

    context.recentFiles.load(context.settingsFile());
    WindowRules::applyFontRule(this, context.settings);
    applyOutputRules();
    setFixedSize(sizeHint());
    WindowRules::readWindowPosition(this, context.settingsFile());

    applyUndoRule();
    showCurrentDocument();
    showOutputDirectory();

    THelp::installF1(this, HelpContext::kMainWindow);
    TMessageBox::setApplicationWindow(this);
}

void TMainMnu::createWidgets() {
    setWindowTitle(tr(kCaption));

    auto* banner = new TGradientCaption(sharedText(SharedText::kProgramTitle), this);

    documentLabel = new QLabel(tr(kDocumentLabel), this);
    documentLineEdit = new QLineEdit(this);
    documentLineEdit->setObjectName(QStringLiteral("documentLineEdit"));
    documentLineEdit->setReadOnly(true);
    documentLineEdit->setMinimumWidth(kFieldWidth);
    documentLabel->setBuddy(documentLineEdit);
    selectFilePushButton = new QPushButton(tr(kSelectFile), this);
    selectFilePushButton->setObjectName(QStringLiteral("selectFilePushButton"));
    selectFilePushButton->setContextMenuPolicy(Qt::CustomContextMenu);

    outputDirLabel = new QLabel(tr(kOutputDirLabel), this);
    outputDirLineEdit = new QLineEdit(this);
    outputDirLineEdit->setObjectName(QStringLiteral("outputDirLineEdit"));
    outputDirLabel->setBuddy(outputDirLineEdit);
    selectFolderPushButton = new QPushButton(tr(kSelectFolder), this);
    selectFolderPushButton->setObjectName(QStringLiteral("selectFolderPushButton"));
    noteLabel = new QLabel(this);
    noteLabel->setObjectName(QStringLiteral("noteLabel"));
    // A hidden note keeps its room, so the fixed-size window does not change its layout.
    QSizePolicy notePolicy = noteLabel->sizePolicy();
    notePolicy.setRetainSizeWhenHidden(true);
    noteLabel->setSizePolicy(notePolicy);

    const auto makeButton = [this](const char* caption, const char* name) {
        auto* button = new QPushButton(tr(caption), this);
        button->setObjectName(QLatin1String(name));
        return button;
    };
    compressPushButton = makeButton(kCompress, "compressPushButton");
    analyzePushButton = makeButton(kAnalyze, "analyzePushButton");
    browsePushButton = makeButton(kBrowse, "browsePushButton");
    undoPushButton = makeButton(kUndo, "undoPushButton");
    compressionOptionsPushButton = makeButton(kCompressionOptions, "compressionOptionsPushButton");
    userOptionsPushButton = makeButton(kUserOptions, "userOptionsPushButton");
    hintsCheckBox = new THintsCheckBox(sharedText(SharedText::kHintsCaption), this);
    hintsCheckBox->setObjectName(QStringLiteral("hintsCheckBox"));
    helpPushButton = makeButton(kHelp, "helpPushButton");
    exitPushButton = makeButton(kExit, "exitPushButton");

    connect(selectFilePushButton, &QPushButton::clicked, this, &TMainMnu::selectFile);
    connect(selectFilePushButton, &QWidget::customContextMenuRequested, this,
            &TMainMnu::showRecentFilesMenu);
    auto* dropWatcher = new TFileDropWatcher(documentLineEdit);
    connect(dropWatcher, &TFileDropWatcher::fileDropped, this, [this](const QString& path) {
        fileDialogFolder = folderOf(path);
        chooseFile(path);
    });
    connect(selectFolderPushButton, &QPushButton::clicked, this, &TMainMnu::selectFolder);
    connect(outputDirLineEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { context.outputDirectory = text; });
    outputDirLineEdit->installEventFilter(this);
    connect(compressPushButton, &QPushButton::clicked, this, &TMainMnu::compress);
    connect(analyzePushButton, &QPushButton::clicked, this, &TMainMnu::analyze);
    connect(browsePushButton, &QPushButton::clicked, this, &TMainMnu::showBrowseMenu);
    connect(undoPushButton, &QPushButton::clicked, this, &TMainMnu::undo);
    connect(compressionOptionsPushButton, &QPushButton::clicked, this,
            &TMainMnu::showCompressionOptions);
    connect(userOptionsPushButton, &QPushButton::clicked, this, &TMainMnu::showUserOptions);
    connect(helpPushButton, &QPushButton::clicked, this, &TMainMnu::showHelp);
    connect(exitPushButton, &QPushButton::clicked, this, &TMainMnu::close);

    auto* fileActions = new QGroupBox(tr(kFileActions), this);
    auto* fileGrid = new QGridLayout(fileActions);
    fileGrid->addWidget(compressPushButton, 0, 0);
    fileGrid->addWidget(analyzePushButton, 0, 1);
    fileGrid->addWidget(browsePushButton, 1, 0);
    fileGrid->addWidget(undoPushButton, 1, 1);

    auto* configuration = new QGroupBox(tr(kConfiguration), this);
    auto* configurationColumn = new QVBoxLayout(configuration);
    configurationColumn->addWidget(compressionOptionsPushButton);
    configurationColumn->addWidget(userOptionsPushButton);

    auto* groups = new QHBoxLayout;
    groups->addWidget(fileActions, 1);
    groups->addWidget(configuration, 1);

    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(hintsCheckBox);
    bottomRow->addStretch(1);
    bottomRow->addWidget(helpPushButton);
    bottomRow->addWidget(exitPushButton);

    auto* layout = new QGridLayout(this);
    layout->addWidget(banner, 0, 0, 1, 2);
    layout->addWidget(documentLabel, 1, 0, 1, 2);
    layout->addWidget(documentLineEdit, 2, 0);
    layout->addWidget(selectFilePushButton, 2, 1);
    layout->addWidget(outputDirLabel, 3, 0, 1, 2);
    layout->addWidget(outputDirLineEdit, 4, 0);
    layout->addWidget(selectFolderPushButton, 4, 1);
    layout->addWidget(noteLabel, 5, 0, 1, 2);
    layout->addLayout(groups, 6, 0, 1, 2);
    layout->addLayout(bottomRow, 7, 0, 1, 2);
}

void TMainMnu::createMenus() {
    recentFilesMenu = new QMenu(this);
    recentFilesMenu->setObjectName(QStringLiteral("recentFilesMenu"));

    browseMenu = new QMenu(this);
    browseMenu->setObjectName(QStringLiteral("browseMenu"));
    browseCurrentAction = browseMenu->addAction(tr(kBrowseCurrent), this, [this] {
        TLauncher(context).showInBrowser(context.currentDocument, true);
    });
    browseMenu->addAction(tr(kBrowseReport), this,
                          [this] { TLauncher(context).viewReportOrList(); });
    browseMenu->addSeparator();
    browseMenu->addAction(tr(kChooseBrowser), this,
                          [this] { TLauncher(context).chooseDefaultBrowser(this); });
    browseMenu->addSeparator();
}

void TMainMnu::showCurrentDocument() {
    if (QFileInfo(context.currentDocument).isFile()) {
        documentLineEdit->setText(context.currentDocument);
        fileDialogFolder = folderOf(context.currentDocument);
    } else {
        documentLineEdit->setText(sharedText(SharedText::kNoneSelected));
        setJobButtonsEnabled(false);
    }
}

void TMainMnu::showOutputDirectory() { outputDirLineEdit->setText(context.outputDirectory); }

void TMainMnu::setJobButtonsEnabled(bool enabled) {
    compressPushButton->setEnabled(enabled);
    analyzePushButton->setEnabled(enabled);
}

void TMainMnu::applyOutputRules() {
    const TAppSettings& settings = context.settings;
    const bool toOutputDirectory = !settings.compressSource;
    outputDirLabel->setEnabled(toOutputDirectory);
    outputDirLineEdit->setEnabled(toOutputDirectory);
    selectFolderPushButton->setEnabled(toOutputDirectory);
    noteLabel->setText(tr(toOutputDirectory ? kNoteOutputDirectory : kNoteSourceOverwritten));
    noteLabel->setVisible(!settings.expertMode);
}

void TMainMnu::applyUndoRule() {
    const TAppSettings& settings = context.settings;
    const QString last = context.settingsFile().readText(
        Ini::kGeneralOptions, Ini::kLastCompressedFile, Ini::kLongPathLength);
    // A files list is never compressed as a list, yet Undo is offered for it, and then
    // reports its missing backup.
    const bool restorable =
        QFileInfo(last).isFile() &&
        (TLauncher::isFilesList(last) || QFileInfo::exists(last + QLatin1String(kBackupExtension)));
    undoPushButton->setEnabled(settings.compressSource && settings.createBackup && restorable);
}

void TMainMnu::chooseFile(const QString& path) {
    context.currentDocument = path;
    documentLineEdit->setText(path);
    context.recentFiles.add(path);
    setJobButtonsEnabled(true);
    context.settingsFile().writeText(Ini::kGeneralOptions, Ini::kLastCompressedFile, path);
}

void TMainMnu::openDocument(const QString& path) {
    pendingDocument = path;
    openPendingDocument();
}

void TMainMnu::openPendingDocument() {
    if (pendingDocument.isEmpty()) return;
    // A job, an assistant or a dialog works on the current document and the settings; the
    // document changes only once they are done.
    if (QApplication::activeModalWidget()) {
        pendingDocumentTimer->start();
        return;
    }
    const QString path = std::exchange(pendingDocument, QString());
    if (!QFileInfo(path).isFile()) return;
    fileDialogFolder = folderOf(path);
    chooseFile(path);
}

void TMainMnu::takeDocumentFromDesktop(const QString& path) {
    QWidget* front = QApplication::activeModalWidget();
    if (!front) front = this;
    if (front->isMinimized()) front->setWindowState(front->windowState() & ~Qt::WindowMinimized);
    front->show();
    front->raise();
    front->activateWindow();
    if (!path.isEmpty()) openDocument(path);
}

void TMainMnu::selectFile() {
    QStringList filters;
    for (const char* filter : kSelectFileFilters)
        filters.append(tr(filter));
    const QString path =
        context.desktop().chooseExistingFile(this, tr(kSelectFileTitle), filters, fileDialogFolder);
    if (path.isEmpty()) return;
    fileDialogFolder = folderOf(path);
    chooseFile(path);
}

void TMainMnu::showRecentFilesMenu(const QPoint& position) {
    recentFilesMenu->clear();
    for (const QString& path : listedRecentFiles(context.recentFiles)) {
        // Picking an entry neither reorders the list nor checks that the file exists.
        recentFilesMenu->addAction(menuEntry(path), this, [this, path] {
            context.currentDocument = path;
            documentLineEdit->setText(path);
            setJobButtonsEnabled(true);
            context.settingsFile().writeText(Ini::kGeneralOptions, Ini::kLastCompressedFile, path);
        });
    }
    recentFilesMenu->popup(selectFilePushButton->mapToGlobal(position));
}

void TMainMnu::selectFolder() {
    const QString path = context.desktop().chooseDirectory(
        this, tr(kSelectFolderCaption), tr(kSelectFolderStatus), context.outputDirectory);
    // Cancelling the folder browser leaves everything as it was.
    if (path.isEmpty()) return;
    if (QFileInfo(path).isDir()) {
        outputDirLineEdit->setText(path);
        context.outputDirectory = path;
        context.settingsFile().writeText(Ini::kGeneralOptions, Ini::kOutputDirectory, path);
        return;
    }
    TMessageBox::error(tr(kDirectorySelectionInvalid.caption),
                       messageText(kDirectorySelectionInvalid, {path}));
    context.settingsFile().removeKey(Ini::kGeneralOptions, Ini::kOutputDirectory);
}

bool TMainMnu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == outputDirLineEdit && event->type() == QEvent::FocusOut) leaveOutputField();
    return QWidget::eventFilter(watched, event);
}

void TMainMnu::leaveOutputField() {
    QString text = outputDirLineEdit->text();
    // The root folder keeps its "/": without it the text would name no folder at all.
    if (text.size() > 1 && text.endsWith(u'/')) {
        text.chop(1);
        outputDirLineEdit->setText(text);
    }
    context.outputDirectory = text;
    context.settingsFile().writeText(Ini::kGeneralOptions, Ini::kOutputDirectory, text);
}

void TMainMnu::compress() {
    context.settings.analysis = false;
    if (!context.settings.expertMode && openers.confirmCompress) {
        const bool goOn = openers.confirmCompress(*this);
        applyOutputRules();
        if (!goOn) return;
    }
    runJob();
}

void TMainMnu::analyze() {
    context.settings.analysis = true;
    runJob();
}

bool TMainMnu::validateJob() {
    const TSettingsFile file = context.settingsFile();
    if (!file.exists()) {
        TMessageBox::error(tr(kIniNotFound.caption),
                           messageText(kIniNotFound, {QFileInfo(file.path()).fileName()}));
        return false;
    }
    if (!QFileInfo(context.currentDocument).isFile()) {
        TMessageBox::error(tr(kFileNotFound.caption),
                           messageText(kFileNotFound, {context.currentDocument}));
        context.currentDocument = sharedText(SharedText::kNoneSelected);
        return false;
    }
    if (context.settings.compressSource) return true;
    if (context.outputDirectory.isEmpty()) {
        TMessageBox::error(tr(kNoTargetDirectory.caption), messageText(kNoTargetDirectory));
        return false;
    }
    if (!QFileInfo(context.outputDirectory).isDir()) {
        TMessageBox::error(tr(kTargetDirectoryInvalid.caption),
                           messageText(kTargetDirectoryInvalid, {context.outputDirectory}));
        context.outputDirectory.clear();
        return false;
    }
    return true;
}

void TMainMnu::runJob() {
    if (!validateJob()) {
        const TSettingsFile file = context.settingsFile();
        if (context.outputDirectory.isEmpty()) {
            outputDirLineEdit->clear();
            file.removeKey(Ini::kGeneralOptions, Ini::kOutputDirectory);
        }
        if (context.currentDocument == sharedText(SharedText::kNoneSelected)) {
            documentLineEdit->setText(context.currentDocument);
            file.removeKey(Ini::kGeneralOptions, Ini::kLastCompressedFile);
        }
        return;
    }

    THintSwitch::instance()->setOn(false);
    if (openers.progress) {
        openers.progress(*this);
    } else {
        TFilegauge gauge(context, this);
        gauge.exec();
    }
    applyUndoRule();
}

void TMainMnu::undo() {
    const QString document = context.currentDocument;
    const QString backup = document + QLatin1String(kBackupExtension);
    enum class Outcome { kNoBackup, kNoDocument, kRestored, kRenameFailed };
    Outcome outcome = Outcome::kNoDocument;
    {
        const BusyCursor busy;
        if (!QFileInfo::exists(backup)) {
            outcome = Outcome::kNoBackup;
        } else if (!QFileInfo::exists(document)) {
            outcome = Outcome::kNoDocument;
        } else {
            // One rename puts the backup in the document's place, so a failure at any moment
            // leaves either the compressed document or the restored one, never neither.
            outcome = std::rename(QFile::encodeName(backup).constData(),
                                  QFile::encodeName(document).constData()) == 0
                          ? Outcome::kRestored
                          : Outcome::kRenameFailed;
        }
    }
    switch (outcome) {
        case Outcome::kNoBackup:
            TMessageBox::error(tr(kNoBackup.caption), messageText(kNoBackup, {backup}));
            break;
        case Outcome::kNoDocument:
            break;
        case Outcome::kRestored:
            TMessageBox::information(tr(kRestored.caption), messageText(kRestored, {document}));
            break;
        case Outcome::kRenameFailed:
            TMessageBox::warning(tr(kRenameFailed.caption),
                                 messageText(kRenameFailed, {backup, document}));
            break;
    }
}

void TMainMnu::showBrowseMenu() {
    const QString suffix = QFileInfo(context.currentDocument).suffix();
    browseCurrentAction->setEnabled(!suffix.isEmpty() &&
                                    !TLauncher::isFilesList(context.currentDocument));

    // The recent files follow the second separator; they are listed afresh each time.
    const QList<QAction*> actions = browseMenu->actions();
    int separators = 0;
    for (QAction* action : actions) {
        if (separators == 2) {
            browseMenu->removeAction(action);
            action->deleteLater();
        } else if (action->isSeparator()) {
            ++separators;
        }
    }
    for (const QString& path : listedRecentFiles(context.recentFiles)) {
        browseMenu->addAction(menuEntry(path), this, [this, path] { browseRecentFile(path); });
    }
    browseMenu->popup(browsePushButton->mapToGlobal(QPoint(browsePushButton->width(), 0)));
}

void TMainMnu::browseRecentFile(const QString& path) {
    TLauncher launcher(context);
    if (TLauncher::isFilesList(path)) {
        launcher.viewReportOrList(path);
    } else if (QFileInfo::exists(path)) {
        launcher.showInBrowser(path, true);
    } else {
        TMessageBox::warning(tr(kCannotBrowse.caption), messageText(kCannotBrowse));
    }
}

void TMainMnu::showCompressionOptions() { showAssistant(openers.compressionOptions); }

void TMainMnu::showUserOptions() { showAssistant(openers.userOptions); }

void TMainMnu::showAssistant(const std::function<void(TMainMnu&)>& assistant) {
    hide();
    THintSwitch::instance()->setOn(false);
    if (assistant) assistant(*this);
    show();
    applyOutputRules();
}

void TMainMnu::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    applyOutputRules();
    if (shownBefore) return;
    shownBefore = true;
    // The delay lets the main window finish drawing before the welcome window covers it.
    if (!context.usedOnce)
        QTimer::singleShot(kFirstRunDelayMs, this, &TMainMnu::showFirstRunWindow);
}

void TMainMnu::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Back from a modal window, whose choices may have changed the settings the rules read.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) applyOutputRules();
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
    emit closed();
}
