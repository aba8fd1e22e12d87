// Showing documents in the browser, reports and files lists in the editor, and choosing the
// preview browser, with every message compared exactly.
#include <QDir>
#include <QtTest>

#include "frontend/app_settings.h"
#include "frontend/launcher.h"
#include "frontend/settings_file.h"
#include "frontend_test_support.h"

using namespace FrontendTest;

namespace {

const QString kBrowserFailedText = QStringLiteral(
    "Application was unable to launch the specified file into your browser. If closing the "
    "browser or restarting Windows does not solve this problem, you may need to reinstall your "
    "default browser or install a recent version 32 bit Web browser.");
const QString kNoBrowserText = QStringLiteral(
    "No default browser could be found on your system. You must either correct your file "
    "associations or reinstall your browser in order to correct this problem.");
const QString kReportNotFoundText = QStringLiteral(
    "Either no compression report has been created for the current file or list, or the "
    "last-generated report does not exist.");
const QString kEditorFailedText = QStringLiteral(
    "Unable to load default text editor application. Either reinstall Notepad with or verify "
    "your current file associations for your default text editor.");

// A program directory with a settings file, a context loaded from it and a fake desktop.
struct Setup {
    explicit Setup(const QByteArray& settings = "[Tag Options]\n") : context(desktop) {
        dir.writeSettings(settings);
        context.load(dir.path());
    }
    QString makeFile(const QString& name, const QByteArray& bytes = "x") const {
        const QString path = dir.file(name);
        ScratchProgramDir::writeFile(path, bytes);
        return path;
    }
    TSettingsFile file() const { return context.settingsFile(); }

    ScratchProgramDir dir;
    FakeDesktop desktop;
    TAppContext context;
    MessageRecorder messages;
};

}  // namespace

class LauncherTest : public QObject {
    Q_OBJECT

  private slots:
    void defaultBrowserGetsTheFileAsOneArgument();
    void browserThatFailsToStartIsAlwaysReported();
    void deletedDefaultBrowserFallsThroughToTheAssociation();
    void refusedAssociationIsReportedOnlyWithMessages();
    void reportPathFallsBackToOptrptInTheProgramDirectory();
    void editorIsThePreferredOneOrTheSystemsTextCommand();
    void viewReportOrListDecidesByTheListExtension();
    void missingReportAndListAreReported();
    void editorThatFailsToStartIsReported();
    void choosingADefaultBrowserRecordsIt();
};

void LauncherTest::defaultBrowserGetsTheFileAsOneArgument() {
    Setup setup;
    const QString browser = setup.makeFile(QStringLiteral("my browser"));
    setup.context.settings.defaultBrowser = browser;
    const QString page = setup.makeFile(QStringLiteral("a page with blanks.htm"));
    TLauncher(setup.context).showInBrowser(page, true);

    QCOMPARE(setup.desktop.starts.size(), 1);
    QCOMPARE(setup.desktop.starts[0].program, browser);
    QCOMPARE(setup.desktop.starts[0].arguments, QStringList({page}));
    QVERIFY(setup.desktop.associationOpens.isEmpty());
    QVERIFY(setup.messages.boxes.isEmpty());
}

void LauncherTest::browserThatFailsToStartIsAlwaysReported() {
    for (const bool withMessages : {true, false}) {
        Setup setup;
        setup.context.settings.defaultBrowser = setup.makeFile(QStringLiteral("browser"));
        setup.desktop.startSucceeds = false;
        TLauncher(setup.context)
            .showInBrowser(setup.makeFile(QStringLiteral("p.htm")), withMessages);
        QCOMPARE(setup.messages.boxes.size(), 1);
        QCOMPARE(setup.messages.boxes[0].kind, TMessageBox::Kind::Error);
        QCOMPARE(setup.messages.boxes[0].caption, QStringLiteral("File load failed"));
        QCOMPARE(setup.messages.boxes[0].text, kBrowserFailedText);
        // The association is not tried after the chosen browser failed.
        QVERIFY(setup.desktop.associationOpens.isEmpty());
    }
}

void LauncherTest::deletedDefaultBrowserFallsThroughToTheAssociation() {
    Setup setup;
    const QString browser = setup.makeFile(QStringLiteral("browser"));
    setup.context.settings.defaultBrowser = browser;
    QVERIFY(QFile::remove(browser));
    const QString page = setup.makeFile(QStringLiteral("p.htm"));
    TLauncher(setup.context).showInBrowser(page, true);

    QVERIFY(setup.desktop.starts.isEmpty());
    QCOMPARE(setup.desktop.associationOpens, QStringList({page}));
    QVERIFY(setup.messages.boxes.isEmpty());
    // The setting itself is never cleared.
    QCOMPARE(setup.context.settings.defaultBrowser, browser);

    // A folder is no program either.
    setup.context.settings.defaultBrowser = setup.dir.path();
    TLauncher(setup.context).showInBrowser(page, true);
    QVERIFY(setup.desktop.starts.isEmpty());
    QCOMPARE(setup.desktop.associationOpens.size(), 2);
}

void LauncherTest::refusedAssociationIsReportedOnlyWithMessages() {
    Setup setup;
    setup.desktop.associationSucceeds = false;
    const QString page = setup.makeFile(QStringLiteral("p.htm"));
    TLauncher launcher(setup.context);

    launcher.showInBrowser(page, false);
    QVERIFY(setup.messages.boxes.isEmpty());

    launcher.showInBrowser(page, true);
    QCOMPARE(setup.messages.boxes.size(), 1);
    QCOMPARE(setup.messages.boxes[0].kind, TMessageBox::Kind::Error);
    QCOMPARE(setup.messages.boxes[0].caption, QStringLiteral("No browser found"));
    QCOMPARE(setup.messages.boxes[0].text, kNoBrowserText);
}

void LauncherTest::reportPathFallsBackToOptrptInTheProgramDirectory() {
    Setup setup;
    const QString fallback = setup.dir.file(QStringLiteral("optrpt.txt"));
    TLauncher launcher(setup.context);
    QCOMPARE(launcher.reportPath(), fallback);

    // LastReport in an existing folder is used, whether or not the file exists.
    QVERIFY(QDir().mkdir(setup.dir.file(QStringLiteral("reports"))));
    const QString report = setup.dir.file(QStringLiteral("reports/job.txt"));
    setup.file().writeText("Report Options", "LastReport", report);
    QCOMPARE(launcher.reportPath(), report);

    // Its folder deleted: back to optrpt.txt. The key is read afresh each time.
    QVERIFY(QDir().rmdir(setup.dir.file(QStringLiteral("reports"))));
    QCOMPARE(launcher.reportPath(), fallback);

    // A bare name has no folder part.
    setup.file().writeText("Report Options", "LastReport", QStringLiteral("job.txt"));
    QCOMPARE(launcher.reportPath(), fallback);

    // A report in the root folder.
    setup.file().writeText("Report Options", "LastReport", QStringLiteral("/job.txt"));
    QCOMPARE(launcher.reportPath(), QStringLiteral("/job.txt"));
}

void LauncherTest::editorIsThePreferredOneOrTheSystemsTextCommand() {
    Setup setup;
    TLauncher launcher(setup.context);
    const QString editor = setup.makeFile(QStringLiteral("my editor"));

    // An existing preferred editor, whatever UseExternalEditor says; read afresh.
    setup.file().writeText("General Options", "UseExternalEditor", QStringLiteral("0"));
    setup.file().writeText("General Options", "ExternalEditor", editor);
    TCommand command = launcher.editorCommand();
    QCOMPARE(command.program, editor);
    QVERIFY(command.arguments.isEmpty());

    // A deleted one: the system's text command, split into program and leading arguments.
    QVERIFY(QFile::remove(editor));
    setup.desktop.textCommand = QStringLiteral("\"/opt/text editor/bin/ed\" --new-window ");
    command = launcher.editorCommand();
    QCOMPARE(command.program, QStringLiteral("/opt/text editor/bin/ed"));
    QCOMPARE(command.arguments, QStringList({"--new-window"}));

    // No text command either: the desktop's opener.
    setup.desktop.textCommand.clear();
    command = launcher.editorCommand();
    QCOMPARE(command.program, QStringLiteral("xdg-open"));
    QVERIFY(command.arguments.isEmpty());
}

void LauncherTest::viewReportOrListDecidesByTheListExtension() {
    Setup setup;
    setup.desktop.textCommand = QStringLiteral("viewer -r ");
    const QString report = setup.makeFile(QStringLiteral("optrpt.txt"));
    const QString list = setup.makeFile(QStringLiteral("my pages.Lst"));
    TLauncher launcher(setup.context);

    launcher.viewReportOrList(list);
    launcher.viewReportOrList(setup.makeFile(QStringLiteral("page.htm")));
    launcher.viewReportOrList();

    QCOMPARE(setup.desktop.starts.size(), 3);
    QCOMPARE(setup.desktop.starts[0].program, QStringLiteral("viewer"));
    QCOMPARE(setup.desktop.starts[0].arguments, QStringList({"-r", list}));
    QCOMPARE(setup.desktop.starts[1].arguments, QStringList({"-r", report}));
    QCOMPARE(setup.desktop.starts[2].arguments, QStringList({"-r", report}));
    QVERIFY(setup.messages.boxes.isEmpty());

    QVERIFY(TLauncher::isFilesList(QStringLiteral("/a/b.LST")));
    QVERIFY(TLauncher::isFilesList(QStringLiteral("b.lSt")));
    QVERIFY(!TLauncher::isFilesList(QStringLiteral("b.lst.htm")));
    QVERIFY(!TLauncher::isFilesList(QStringLiteral("(none selected)")));
}

void LauncherTest::missingReportAndListAreReported() {
    Setup setup;
    TLauncher launcher(setup.context);

    launcher.viewReportOrList();
    QCOMPARE(setup.messages.boxes.size(), 1);
    QCOMPARE(setup.messages.boxes[0].kind, TMessageBox::Kind::Error);
    QCOMPARE(setup.messages.boxes[0].caption, QStringLiteral("Report not found...aborting"));
    QCOMPARE(setup.messages.boxes[0].text, kReportNotFoundText);

    const QString list = setup.dir.file(QStringLiteral("gone.lst"));
    launcher.viewReportOrList(list);
    QCOMPARE(setup.messages.boxes.size(), 2);
    QCOMPARE(setup.messages.boxes[1].kind, TMessageBox::Kind::Error);
    QCOMPARE(setup.messages.boxes[1].caption, QStringLiteral("Files list not found...aborting"));
    QCOMPARE(setup.messages.boxes[1].text,
             QStringLiteral("The currently specified list (") + list +
                 QStringLiteral(") could not be found...unable to load into default editor."));
    QVERIFY(setup.desktop.starts.isEmpty());
}

void LauncherTest::editorThatFailsToStartIsReported() {
    Setup setup;
    setup.desktop.startSucceeds = false;
    setup.makeFile(QStringLiteral("optrpt.txt"));
    const QString list = setup.makeFile(QStringLiteral("pages.lst"));
    TLauncher launcher(setup.context);
    launcher.viewReportOrList();
    launcher.viewReportOrList(list);
    QCOMPARE(setup.messages.boxes.size(), 2);
    for (const MessageRecorder::Box& box : setup.messages.boxes) {
        QCOMPARE(box.kind, TMessageBox::Kind::Error);
        QCOMPARE(box.caption, QStringLiteral("Unable to load file"));
        QCOMPARE(box.text, kEditorFailedText);
    }
}

void LauncherTest::choosingADefaultBrowserRecordsIt() {
    Setup setup;
    const QString browser = setup.makeFile(QStringLiteral("web browser"));
    TLauncher launcher(setup.context);

    // Cancelled: nothing changes.
    launcher.chooseDefaultBrowser();
    QCOMPARE(setup.desktop.chooserTitles,
             QStringList({"Select default browser for previewing..."}));
    QVERIFY(setup.context.settings.defaultBrowser.isEmpty());
    QVERIFY(setup.file().readText("General Options", "DefaultBrowser", 255).isEmpty());
    QVERIFY(setup.messages.boxes.isEmpty());

    setup.desktop.chosenFile = browser;
    launcher.chooseDefaultBrowser();
    QCOMPARE(setup.context.settings.defaultBrowser, browser);
    QCOMPARE(setup.file().readText("General Options", "DefaultBrowser", 255), browser);
    QCOMPARE(setup.messages.boxes.size(), 1);
    QCOMPARE(setup.messages.boxes[0].kind, TMessageBox::Kind::Information);
    QCOMPARE(setup.messages.boxes[0].caption, QStringLiteral("Default browser recorded"));
    QCOMPARE(setup.messages.boxes[0].text,
             browser + QStringLiteral(" recorded as the new default browser for previewing "
                                      "documents. Change this setting at any time using the "
                                      "same menu item you just selected."));

    // In expert mode the choice is recorded without a word.
    setup.context.settings.expertMode = true;
    setup.context.settings.defaultBrowser.clear();
    launcher.chooseDefaultBrowser();
    QCOMPARE(setup.context.settings.defaultBrowser, browser);
    QCOMPARE(setup.messages.boxes.size(), 1);
}

QTEST_MAIN(LauncherTest)
#include "launcher_test.moc"
