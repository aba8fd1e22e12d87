// The main window's work: choosing the document (dialog, drop, recent files), the output
// folder, the checks before a job with their messages, the confirmation and expert mode,
// Undo, the Browse menu, and the option windows.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QtTest>

#include <memory>

#include "frontend/app_settings.h"
#include "frontend/filegauge.h"
#include "frontend/main_mnu.h"
#include "frontend/settings_file.h"
#include "frontend_test_support.h"
#include "toolkit/hint_switch.h"

using namespace FrontendTest;

namespace {

const QByteArray kPage = "<HTML><BODY><STRONG>bold</STRONG> text</BODY></HTML>";
const QByteArray kCompressedPage = "<HTML><BODY><B>bold</B> text</BODY></HTML>";
const QString kNoneSelected = QStringLiteral("(none selected)");

// A program directory, a web folder, and a main window created over them. Jobs are counted
// by a stand-in progress window unless a test installs another.
struct Window {
    explicit Window(const QByteArray& settings = "", const QString& document = {})
        : context(desktop) {
        QDir().mkpath(webFolder());
        dir.writeSettings("[Tag Options]\nSTRONGtoB=1\n" + settings);
        file().writeText("General Options", "UsedOnce", QStringLiteral("1"));
        if (!document.isEmpty())
            file().writeText("General Options", "LastCompressedFile", document);
        create();
    }
    void create() {
        window = std::make_unique<TMainMnu>(context);
        window->windows().progress = [this](TMainMnu&) {
            ++jobs;
            jobAnalysis.append(context.settings.analysis);
        };
    }
    QString webFolder() const { return dir.path() + QStringLiteral("web"); }
    QString makeFile(const QString& name, const QByteArray& bytes = kPage) const {
        const QString path = webFolder() + u'/' + name;
        ScratchProgramDir::writeFile(path, bytes);
        return path;
    }
    TSettingsFile file() const { return TSettingsFile(dir.settingsPath()); }
    QString lastCompressedFile() const {
        return file().readText("General Options", "LastCompressedFile", 511);
    }

    template <typename T>
    T* child(const char* name) const {
        T* widget = window->findChild<T*>(QLatin1String(name));
        if (!widget) qFatal("no child %s", name);
        return widget;
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(name); }
    QLineEdit* documentField() const { return child<QLineEdit>("documentLineEdit"); }
    QLineEdit* outputField() const { return child<QLineEdit>("outputDirLineEdit"); }

    ScratchProgramDir dir;
    FakeDesktop desktop;
    MessageRecorder messages;
    TAppContext context;
    std::unique_ptr<TMainMnu> window;
    int jobs = 0;
    QList<bool> jobAnalysis;
};

// Runs the real job in a progress window that is not shown, so that nothing waits for "&OK".
void runRealJobs(Window& w) {
    w.window->windows().progress = [&w](TMainMnu& window) {
        ++w.jobs;
        TFilegauge gauge(window.appContext(), &window);
        gauge.runJob();
    };
}

QStringList actionTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            texts.append(QStringLiteral("-"));
        } else if (action->isVisible()) {
            texts.append(action->text());
        }
    }
    return texts;
}

QAction* actionNamed(const QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text() == text) return action;
    }
    qFatal("no menu entry %s", qPrintable(text));
}

const QString kIniMissingText = QStringLiteral(
    "Tagsqueeze's INI file (Tagsqueeze.ini)cannot be found in Tagsqueeze's directory. This file "
    "must be in the application's directory (not the Windows directory) to be accessed "
    "correctly.\n\nRestarting Tagsqueeze will initialize the INI file with factory defaults, but "
    "all other information will be lost unless you can manually restore the original INI.");
const QString kNoTargetText = QStringLiteral(
    "No target directory has been specified for your optimized files. You have specified that "
    "optimized files are to be saved to a different directory, but you have not specified a "
    "directory where the files should be saved.\n\nEither use the Select Folder button to "
    "specify an output directory or specify overwriting of source documents from the user "
    "options assistant before continuing.");

}  // namespace

class MainMnuJobTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { THintSwitch::instance()->setOn(false); }
    void noDocumentAtStartDisablesBothJobButtonsUntilOneIsChosen();
    void deletedDocumentStopsEitherButtonAndIsForgotten();
    void missingSettingsFileStopsTheJob();
    void outputFolderChecksApplyToBothButtons();
    void outputControlsFollowCompressSourceAndExpertMode();
    void outputFieldLosesOneTrailingSlashOnLeaving();
    void selectFolderAcceptsOnlyExistingFolders();
    void onlyTheFirstDroppedFileCounts();
    void recentFilesMenuPicksWithoutReordering();
    void compressAsksForConfirmationUnlessExpert();
    void undoRuleAndFilesListWithoutBackup();
    void undoRestoresTheBackupInOneRename();
    void failedRestoreLeavesBothFilesAsTheyWere();
    void browseMenuFirstEntryNeedsADocumentWithAnExtension();
    void browseMenuRecentEntries();
    void optionWindowsHideTheMainWindow();
    void jobRunsModallyInTheProgressWindow();
};

// With no current document both job buttons start disabled; choosing a file in the dialog
// enables them, shows and remembers it.
void MainMnuJobTest::noDocumentAtStartDisablesBothJobButtonsUntilOneIsChosen() {
    Window w;
    QCOMPARE(w.documentField()->text(), kNoneSelected);
    QVERIFY(!w.button("compressPushButton")->isEnabled());
    QVERIFY(!w.button("analyzePushButton")->isEnabled());

    const QString page = w.makeFile("kites.htm");
    w.desktop.chosenFile = page;
    w.button("selectFilePushButton")->click();
    QCOMPARE(w.desktop.chooserTitles, QStringList({"Select file to compress..."}));
    QCOMPARE(w.desktop.chooserFilters, QStringList({"HTML files (*.htm *.html *.asp *.shtml)",
                                                    "Files lists (*.lst)", "All files (*)"}));
    QCOMPARE(w.documentField()->text(), page);
    QVERIFY(w.button("compressPushButton")->isEnabled());
    QVERIFY(w.button("analyzePushButton")->isEnabled());
    QCOMPARE(w.lastCompressedFile(), page);
    QCOMPARE(w.context.recentFiles.entries().first(), page);

    // The next dialog starts in the folder of the document; cancelling changes nothing.
    w.desktop.chosenFile.clear();
    w.button("selectFilePushButton")->click();
    QCOMPARE(w.desktop.chooserStartDirectories.last(), w.webFolder());
    QCOMPARE(w.documentField()->text(), page);
}

// A document deleted after it was chosen: either button reports it, the field shows
// "(none selected)", the key goes (so the next start has no document) and no job runs; the
// buttons stay enabled.
void MainMnuJobTest::deletedDocumentStopsEitherButtonAndIsForgotten() {
    for (const char* buttonName : {"compressPushButton", "analyzePushButton"}) {
        Window w;
        const QString page = w.makeFile("gone.htm");
        w.window->chooseFile(page);
        QFile::remove(page);

        w.button(buttonName)->click();
        QCOMPARE(w.jobs, 0);
        QCOMPARE(w.messages.boxes.size(), 1);
        QCOMPARE(w.messages.boxes[0].kind, TMessageBox::Kind::Error);
        QCOMPARE(w.messages.boxes[0].caption, QStringLiteral("File not found...aborting"));
        QCOMPARE(w.messages.boxes[0].text,
                 page + QStringLiteral(" could not be found. Either reselect this file or rebuild "
                                       "the files list prior to proceeding."));
        QCOMPARE(w.documentField()->text(), kNoneSelected);
        QCOMPARE(w.context.currentDocument, kNoneSelected);
        QVERIFY(w.lastCompressedFile().isEmpty());
        QVERIFY(w.button(buttonName)->isEnabled());

        w.create();
        QCOMPARE(w.documentField()->text(), kNoneSelected);
        QVERIFY(!w.button("compressPushButton")->isEnabled());
    }
}

void MainMnuJobTest::missingSettingsFileStopsTheJob() {
    Window w;
    w.window->chooseFile(w.makeFile("page.htm"));
    QFile::remove(w.dir.settingsPath());
    w.button("analyzePushButton")->click();
    QCOMPARE(w.jobs, 0);
    QCOMPARE(w.messages.boxes.size(), 1);
    QCOMPARE(w.messages.boxes[0].caption, QStringLiteral("INI file not found...aborting"));
    QCOMPARE(w.messages.boxes[0].text, kIniMissingText);
    // Forgetting the empty output folder does not bring the file back.
    QVERIFY(!QFileInfo::exists(w.dir.settingsPath()));
}

// Output to a folder: no folder stops both buttons with "Invalid option combination"; a
// folder that does not exist stops them too and is forgotten.
void MainMnuJobTest::outputFolderChecksApplyToBothButtons() {
    Window w("[Backup Options]\nCompressSource=0\n");
    w.window->chooseFile(w.makeFile("page.htm"));
    for (const char* buttonName : {"compressPushButton", "analyzePushButton"}) {
        w.messages.boxes.clear();
        w.button(buttonName)->click();
        QCOMPARE(w.messages.boxes.size(), 1);
        QCOMPARE(w.messages.boxes[0].caption, QStringLiteral("Invalid option combination"));
        QCOMPARE(w.messages.boxes[0].text, kNoTargetText);
    }
    QCOMPARE(w.jobs, 0);

    const QString missing = w.dir.path() + QStringLiteral("no such folder");
    w.outputField()->setText(missing);
    w.file().writeText("General Options", "OutputDirectory", missing);
    w.messages.boxes.clear();
    w.button("compressPushButton")->click();
    QCOMPARE(w.jobs, 0);
    QCOMPARE(w.messages.boxes.size(), 1);
    QCOMPARE(w.messages.boxes[0].caption, QStringLiteral("Target directory invalid...aborting"));
    QCOMPARE(w.messages.boxes[0].text,
             QStringLiteral("The specified target directory (") + missing +
                 QStringLiteral(") does not exist. Unable to continue optimization.\n\nSpecify a "
                                "valid target directory or disable optimization to the target "
                                "directory prior to continuing."));
    QVERIFY(w.outputField()->text().isEmpty());
    QVERIFY(w.context.outputDirectory.isEmpty());
    QCOMPARE(w.file().readText("General Options", "OutputDirectory", 511), QString());

    w.outputField()->setText(w.webFolder());
    w.button("analyzePushButton")->click();
    QCOMPARE(w.jobs, 1);
    QCOMPARE(w.jobAnalysis, QList<bool>({true}));
}

void MainMnuJobTest::outputControlsFollowCompressSourceAndExpertMode() {
    {
        Window w;
        QVERIFY(!w.outputField()->isEnabled());
        QVERIFY(!w.button("selectFolderPushButton")->isEnabled());
        auto* note = w.child<QLabel>("noteLabel");
        QCOMPARE(note->text(), QStringLiteral("Save-to-output-path is enabled from user options"));
        w.window->show();
        QVERIFY(note->isVisible());

        // A setting changed by another window shows when the main window returns.
        w.context.settings.compressSource = false;
        w.window->hide();
        w.window->show();
        QVERIFY(w.outputField()->isEnabled());
        QVERIFY(w.button("selectFolderPushButton")->isEnabled());
        QCOMPARE(note->text(), QStringLiteral("Compressed files will be stored in this directory"));
    }
    {
        Window w("[General Options]\nExpertMode=1\n");
        w.window->show();
        QVERIFY(!w.child<QLabel>("noteLabel")->isVisible());
    }
}

// Leaving the field removes one trailing "/" and stores the value; "/" alone stays.
void MainMnuJobTest::outputFieldLosesOneTrailingSlashOnLeaving() {
    Window w("[Backup Options]\nCompressSource=0\n");
    w.window->show();
    QVERIFY(activate(w.window.get()));
    QLineEdit* field = w.outputField();
    const auto typeAndLeave = [&](const QString& text) {
        field->setFocus();
        field->clear();
        QTest::keyClicks(field, text);
        w.button("selectFolderPushButton")->setFocus();
    };

    typeAndLeave(w.webFolder() + QStringLiteral("//"));
    QCOMPARE(field->text(), w.webFolder() + u'/');
    QCOMPARE(w.context.outputDirectory, w.webFolder() + u'/');
    QCOMPARE(w.file().readText("General Options", "OutputDirectory", 511), w.webFolder() + u'/');

    typeAndLeave(w.webFolder() + u'/');
    QCOMPARE(w.file().readText("General Options", "OutputDirectory", 511), w.webFolder());
    QCOMPARE(w.context.outputDirectory, w.webFolder());

    typeAndLeave(QStringLiteral("/"));
    QCOMPARE(w.context.outputDirectory, QStringLiteral("/"));

    typeAndLeave(QString());
    QVERIFY(w.context.outputDirectory.isEmpty());
    QVERIFY(w.file().readText("General Options", "OutputDirectory", 511).isEmpty());
}

// Select folder: an existing folder is taken and stored; anything else is reported and the
// stored key goes while the field keeps its text; cancelling does nothing.
void MainMnuJobTest::selectFolderAcceptsOnlyExistingFolders() {
    Window w("[Backup Options]\nCompressSource=0\n");
    w.desktop.chosenDirectory = w.webFolder();
    w.button("selectFolderPushButton")->click();
    QCOMPARE(w.desktop.directoryCaptions, QStringList({"Select output directory:"}));
    QCOMPARE(w.desktop.directoryStatusTexts,
             QStringList({"The OK button will not be enabled until your output folder is open "
                          "and highlighted."}));
    QCOMPARE(w.outputField()->text(), w.webFolder());
    QCOMPARE(w.file().readText("General Options", "OutputDirectory", 511), w.webFolder());

    const QString notAFolder = w.makeFile("page.htm");
    w.desktop.chosenDirectory = notAFolder;
    w.button("selectFolderPushButton")->click();
    QCOMPARE(w.messages.boxes.size(), 1);
    QCOMPARE(w.messages.boxes[0].caption, QStringLiteral("Directory selection invalid"));
    QCOMPARE(w.messages.boxes[0].text,
             QStringLiteral("The directory you specified as the target location for the "
                            "optimized version of this file (") +
                 notAFolder +
                 QStringLiteral(") is not a valid directory. Please reselect the target "
                                "directory."));
    QCOMPARE(w.outputField()->text(), w.webFolder());
    QCOMPARE(w.context.outputDirectory, w.webFolder());
    QVERIFY(w.file().readText("General Options", "OutputDirectory", 511).isEmpty());

    w.desktop.chosenDirectory.clear();
    w.button("selectFolderPushButton")->click();
    QCOMPARE(w.messages.boxes.size(), 1);
    QCOMPARE(w.outputField()->text(), w.webFolder());
}

void MainMnuJobTest::onlyTheFirstDroppedFileCounts() {
    Window w;
    const QString first = w.makeFile("first.htm");
    const QString second = w.makeFile("second.htm");
    const QString third = w.makeFile("third.htm");
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second), QUrl::fromLocalFile(third)});
    QLineEdit* field = w.documentField();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(field, &drop);

    QCOMPARE(field->text(), first);
    QCOMPARE(w.context.currentDocument, first);
    QCOMPARE(w.lastCompressedFile(), first);
    QCOMPARE(w.context.recentFiles.entries().mid(0, 2), QStringList({first, "+"}));
    QVERIFY(w.button("compressPushButton")->isEnabled());
    w.button("selectFilePushButton")->click();
    QCOMPARE(w.desktop.chooserStartDirectories.last(), w.webFolder());
}

// A right click lists the recent files without the empty slots; picking one makes it the
// current document without testing it or reordering the list.
void MainMnuJobTest::recentFilesMenuPicksWithoutReordering() {
    Window w("[Recent Files]\nMRUFile1=/web/a.htm\nMRUFile3=/web/c & d.htm\n");
    QPushButton* selectFile = w.button("selectFilePushButton");
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(4, 4),
                                 selectFile->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(selectFile, &rightClick);
    auto* menu = w.child<QMenu>("recentFilesMenu");
    QCOMPARE(actionTexts(menu), QStringList({"/web/a.htm", "/web/c && d.htm"}));

    const QStringList before = w.context.recentFiles.entries();
    actionNamed(menu, "/web/c && d.htm")->trigger();
    QCOMPARE(w.documentField()->text(), QStringLiteral("/web/c & d.htm"));
    QCOMPARE(w.context.currentDocument, QStringLiteral("/web/c & d.htm"));
    QCOMPARE(w.lastCompressedFile(), QStringLiteral("/web/c & d.htm"));
    QVERIFY(w.button("compressPushButton")->isEnabled());
    QCOMPARE(w.context.recentFiles.entries(), before);
    menu->close();
}

// "&Compress" asks for confirmation first unless expert mode is on; a cancel stops the job.
// " &Analyze " never asks. A job switches the hints off.
void MainMnuJobTest::compressAsksForConfirmationUnlessExpert() {
    for (const bool expert : {false, true}) {
        Window w(expert ? "[General Options]\nExpertMode=1\n" : "");
        w.window->chooseFile(w.makeFile("page.htm"));
        int confirmations = 0;
        bool answer = false;
        w.window->windows().confirmCompress = [&](TMainMnu&) {
            ++confirmations;
            return answer;
        };
        w.button("compressPushButton")->click();
        QCOMPARE(confirmations, expert ? 0 : 1);
        QCOMPARE(w.jobs, expert ? 1 : 0);

        answer = true;
        THintSwitch::instance()->setOn(true);
        w.button("compressPushButton")->click();
        QCOMPARE(w.jobs, expert ? 2 : 1);
        QVERIFY(!THintSwitch::instance()->isOn());
        QVERIFY(!w.child<THintsCheckBox>("hintsCheckBox")->isChecked());

        w.button("analyzePushButton")->click();
        QCOMPARE(confirmations, expert ? 0 : 2);
        QCOMPARE(w.jobAnalysis.last(), true);
        QCOMPARE(w.jobAnalysis.first(), false);
    }
    // Without a confirmation window the job goes on, as with "&Continue".
    Window w;
    w.window->chooseFile(w.makeFile("page.htm"));
    w.button("compressPushButton")->click();
    QCOMPARE(w.jobs, 1);
}

// Undo needs source compression and backups on, and a remembered document with a backup, or
// a files list; a files list without backup then reports the missing backup.
void MainMnuJobTest::undoRuleAndFilesListWithoutBackup() {
    ScratchProgramDir paths;
    const QString page = paths.file("page.htm");
    const QString list = paths.file("site.LST");
    ScratchProgramDir::writeFile(page, kPage);
    ScratchProgramDir::writeFile(list, page.toUtf8());

    QVERIFY(!Window("", page).button("undoPushButton")->isEnabled());
    ScratchProgramDir::writeFile(page + ".tsbak", kPage);
    QVERIFY(Window("", page).button("undoPushButton")->isEnabled());
    QVERIFY(
        !Window("[Backup Options]\nCreateBackup=0\n", page).button("undoPushButton")->isEnabled());
    QVERIFY(!Window("[Backup Options]\nCompressSource=0\n", page)
                 .button("undoPushButton")
                 ->isEnabled());

    Window w("", list);
    QVERIFY(w.button("undoPushButton")->isEnabled());
    w.button("undoPushButton")->click();
    QCOMPARE(w.messages.boxes.size(), 1);
    QCOMPARE(w.messages.boxes[0].kind, TMessageBox::Kind::Error);
    QCOMPARE(w.messages.boxes[0].caption, QStringLiteral("Restoration failed"));
    QCOMPARE(w.messages.boxes[0].text,
             QStringLiteral("Tagsqueeze was unable to find ") + list +
                 QStringLiteral(".tsbak. Restoration not possible...no backup file found."));
}

// After a compression, Undo puts the backup back in the document's place and says so; a
// second Undo finds no backup.
void MainMnuJobTest::undoRestoresTheBackupInOneRename() {
    Window w;
    runRealJobs(w);
    const QString page = w.makeFile("page.htm");
    w.window->chooseFile(page);
    QVERIFY(!w.button("undoPushButton")->isEnabled());
    w.button("compressPushButton")->click();
    QCOMPARE(w.jobs, 1);
    QCOMPARE(ScratchProgramDir::readFile(page), kCompressedPage);
    QVERIFY(w.button("undoPushButton")->isEnabled());

    w.button("undoPushButton")->click();
    QCOMPARE(w.messages.boxes.size(), 1);
    QCOMPARE(w.messages.boxes[0].kind, TMessageBox::Kind::Information);
    QCOMPARE(w.messages.boxes[0].caption, QStringLiteral("Backup file restored"));
    QCOMPARE(w.messages.boxes[0].text, page + QStringLiteral(" restored to unoptimized state."));
    QCOMPARE(ScratchProgramDir::readFile(page), kPage);
    QVERIFY(!QFileInfo::exists(page + ".tsbak"));

    // The rule is not applied after an undo, so the button stays and reports the lack.
    QVERIFY(w.button("undoPushButton")->isEnabled());
    w.button("undoPushButton")->click();
    QCOMPARE(w.messages.boxes.size(), 2);
    QCOMPARE(w.messages.boxes[1].caption, QStringLiteral("Restoration failed"));
    QCOMPARE(ScratchProgramDir::readFile(page), kPage);
}

// A restore that cannot happen is reported with both paths, and neither file has changed;
// a document that has gone leaves its backup untouched without a message.
void MainMnuJobTest::failedRestoreLeavesBothFilesAsTheyWere() {
    Window w;
    // A folder in the document's place cannot be replaced by the backup file.
    const QString document = w.webFolder() + QStringLiteral("/page.htm");
    QVERIFY(QDir().mkpath(document));
    const QString backup = w.makeFile("page.htm.tsbak");
    w.context.currentDocument = document;
    w.window->undo();
    QCOMPARE(w.messages.boxes.size(), 1);
    QCOMPARE(w.messages.boxes[0].kind, TMessageBox::Kind::Warning);
    QCOMPARE(w.messages.boxes[0].caption, QStringLiteral("Backup restoration failed"));
    QCOMPARE(w.messages.boxes[0].text,
             QStringLiteral("Unable to rename ") + backup + QStringLiteral(" to ") + document +
                 QStringLiteral(". File permissions may not permit this operation.\n\nYou will "
                                "need to restore this file manually."));
    QVERIFY(QFileInfo(document).isDir());
    QCOMPARE(ScratchProgramDir::readFile(backup), kPage);

    QDir().rmdir(document);
    w.window->undo();
    QCOMPARE(w.messages.boxes.size(), 1);
    QVERIFY(!QFileInfo::exists(document));
    QCOMPARE(ScratchProgramDir::readFile(backup), kPage);
}

// The first Browse entry is enabled only for a document with an extension other than ".lst".
void MainMnuJobTest::browseMenuFirstEntryNeedsADocumentWithAnExtension() {
    Window w;
    QPushButton* browse = w.button("browsePushButton");
    auto* menu = w.child<QMenu>("browseMenu");
    const auto firstEntryEnabled = [&] {
        browse->click();
        const bool enabled = menu->actions().first()->isEnabled();
        menu->close();
        return enabled;
    };
    QVERIFY(!firstEntryEnabled());  // "(none selected)"
    w.window->chooseFile(w.makeFile("site.lst"));
    QVERIFY(!firstEntryEnabled());
    w.window->chooseFile(w.makeFile("README"));
    QVERIFY(!firstEntryEnabled());
    w.window->chooseFile(w.makeFile("page.shtml"));
    QVERIFY(firstEntryEnabled());

    browse->click();
    QCOMPARE(actionTexts(menu).mid(0, 5), QStringList({"...&current file selected for compression",
                                                       "...most recent compression report", "-",
                                                       "&Specify new default browser", "-"}));
    menu->actions().first()->trigger();
    QCOMPARE(w.desktop.associationOpens, QStringList({w.webFolder() + "/page.shtml"}));
    menu->close();
}

// Recent entries: a missing file is reported, an existing one is shown in the browser, a
// files list opens in the editor. The entries follow the list each time the menu opens.
void MainMnuJobTest::browseMenuRecentEntries() {
    Window w("[Recent Files]\nMRUFile1=/nowhere/gone.htm\n");
    const QString page = w.makeFile("page.htm");
    const QString list = w.makeFile("site.lst");
    w.context.recentFiles.add(page);
    w.context.recentFiles.add(list);
    w.desktop.textCommand = QStringLiteral("editor");

    auto* menu = w.child<QMenu>("browseMenu");
    w.button("browsePushButton")->click();
    QCOMPARE(actionTexts(menu).mid(5), QStringList({list, page, "/nowhere/gone.htm"}));
    actionNamed(menu, "/nowhere/gone.htm")->trigger();
    QCOMPARE(w.messages.boxes.size(), 1);
    QCOMPARE(w.messages.boxes[0].kind, TMessageBox::Kind::Warning);
    QCOMPARE(w.messages.boxes[0].caption, QStringLiteral("Unable to browse file"));
    QCOMPARE(w.messages.boxes[0].text,
             QStringLiteral("Either your last-optimized file no longer exists in the expected "
                            "location or you have not optimized any files yet. Unable to browse "
                            "last-optimized file."));
    actionNamed(menu, page)->trigger();
    QCOMPARE(w.desktop.associationOpens, QStringList({page}));
    actionNamed(menu, list)->trigger();
    QCOMPARE(w.desktop.starts.size(), 1);
    QCOMPARE(w.desktop.starts[0].program, QStringLiteral("editor"));
    QCOMPARE(w.desktop.starts[0].arguments, QStringList({list}));
    menu->close();

    // Opened again, the menu lists the entries once.
    w.button("browsePushButton")->click();
    QCOMPARE(actionTexts(menu).size(), 8);
    menu->close();
}

// Compression options and User options hide the main window, switch the hints off, and show
// the window again when the assistant closes.
void MainMnuJobTest::optionWindowsHideTheMainWindow() {
    Window w;
    w.window->show();
    QStringList opened;
    const auto assistant = [&](const QString& name) {
        return [&, name](TMainMnu& window) {
            QVERIFY(!window.isVisible());
            QVERIFY(!THintSwitch::instance()->isOn());
            opened.append(name);
        };
    };
    w.window->windows().compressionOptions = assistant(QStringLiteral("compression"));
    w.window->windows().userOptions = assistant(QStringLiteral("user"));

    THintSwitch::instance()->setOn(true);
    w.button("compressionOptionsPushButton")->click();
    QVERIFY(w.window->isVisible());
    THintSwitch::instance()->setOn(true);
    w.button("userOptionsPushButton")->click();
    QVERIFY(w.window->isVisible());
    QCOMPARE(opened, QStringList({"compression", "user"}));
    QVERIFY(!THintSwitch::instance()->isOn());
}

// Without a stand-in, the job runs in the progress window shown modally over the main window;
// Undo follows the rule again once it has closed.
void MainMnuJobTest::jobRunsModallyInTheProgressWindow() {
    Window w("[Backup Options]\nOverwritePrompt=0\n");
    w.window->windows().progress = nullptr;
    const QString page = w.makeFile("page.htm");
    w.window->chooseFile(page);
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));

    bool wasModal = false;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
        auto* gauge = w.window->findChild<TFilegauge*>();
        if (!gauge || gauge->state() != TFilegauge::State::kFinished) return;
        wasModal = gauge->isModal() || gauge->windowModality() != Qt::NonModal;
        gauge->findChild<QPushButton*>("okPushButton")->click();
    });
    closer.start(20);
    w.button("compressPushButton")->click();
    closer.stop();

    QVERIFY(wasModal);
    QCOMPARE(ScratchProgramDir::readFile(page), kCompressedPage);
    QCOMPARE(ScratchProgramDir::readFile(page + ".tsbak"), kPage);
    QVERIFY(w.button("undoPushButton")->isEnabled());
    QVERIFY(w.messages.boxes.isEmpty());
}

QTEST_MAIN(MainMnuJobTest)
#include "main_mnu_job_test.moc"
