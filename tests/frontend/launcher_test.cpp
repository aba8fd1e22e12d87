// Showing documents in the browser, reports and files lists in the editor, and choosing the
// preview browser, with every message compared exactly.
#include <QDir>
#include <QElapsedTimer>
#include <QtTest>

#include <initializer_list>
#include <utility>

#include "frontend/app_settings.h"
#include "frontend/desktop.h"
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

// Sets environment variables for the scope (empty text removes one), restoring them after.
class EnvironmentScope {
  public:
    EnvironmentScope(std::initializer_list<std::pair<const char*, QByteArray>> values) {
        for (const auto& [name, value] : values) {
            saved.append({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
            if (value.isEmpty()) {
                qunsetenv(name);
            } else {
                qputenv(name, value);
            }
        }
    }
    ~EnvironmentScope() {
        for (const Saved& old : saved) {
            if (old.wasSet) {
                qputenv(old.name, old.value);
            } else {
                qunsetenv(old.name);
            }
        }
    }

  private:
    struct Saved {
        const char* name;
        bool wasSet;
        QByteArray value;
    };
    QList<Saved> saved;
};

// A program directory with a settings file, a context loaded from it and a fake desktop. The
// user's own $BROWSER, $VISUAL and $EDITOR are out of the way.
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

    EnvironmentScope noUserCommands{{"BROWSER", {}}, {"VISUAL", {}}, {"EDITOR", {}}};
    ScratchProgramDir dir;
    FakeDesktop desktop;
    TAppContext context;
    MessageRecorder messages;
};

QStringList programsStarted(const FakeDesktop& desktop) {
    QStringList programs;
    for (const FakeDesktop::Start& start : desktop.starts)
        programs.append(start.program);
    return programs;
}

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
    void browserVariableTakesOverWhenTheAssociationOpensNothing();
    void editorsAreTriedInTurnBeforeTheFailureIsReported();
    void systemDesktopWatchesTheStartedProgramBriefly();
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

// The desktop's opener may exist and open nothing: the commands in $BROWSER (a ":" list, "%s"
// standing for the file) come next, and only then the box "No browser found".
void LauncherTest::browserVariableTakesOverWhenTheAssociationOpensNothing() {
    Setup setup;
    const EnvironmentScope browsers{{"BROWSER", "gone-browser:web --new-tab %s --private"}};
    setup.desktop.associationSucceeds = false;
    setup.desktop.failingPrograms = {QStringLiteral("gone-browser")};
    const QString page = setup.makeFile(QStringLiteral("a page.htm"));
    TLauncher(setup.context).showInBrowser(page, true);

    QCOMPARE(setup.desktop.associationOpens, QStringList({page}));
    QCOMPARE(programsStarted(setup.desktop), QStringList({"gone-browser", "web"}));
    QCOMPARE(setup.desktop.starts[0].arguments, QStringList({page}));
    QCOMPARE(setup.desktop.starts[1].arguments, QStringList({"--new-tab", page, "--private"}));
    QVERIFY(setup.messages.boxes.isEmpty());

    // Nothing opens it: the box, as before.
    setup.desktop.failingPrograms.append(QStringLiteral("web"));
    TLauncher(setup.context).showInBrowser(page, true);
    QCOMPARE(setup.messages.boxes.size(), 1);
    QCOMPARE(setup.messages.boxes[0].caption, QStringLiteral("No browser found"));
}

// Reports and files lists: the preferred editor or the desktop's program for text, then the
// desktop's opener, $VISUAL, $EDITOR; the first that opens the file ends the search, and the
// box comes only when none did.
void LauncherTest::editorsAreTriedInTurnBeforeTheFailureIsReported() {
    Setup setup;
    const EnvironmentScope editors{{"VISUAL", "visual-editor"}, {"EDITOR", "plain-editor -R"}};
    setup.desktop.textCommand = QStringLiteral("text-viewer --new ");
    const QString report = setup.makeFile(QStringLiteral("optrpt.txt"));
    setup.desktop.failingPrograms = {QStringLiteral("text-viewer"), QStringLiteral("xdg-open"),
                                     QStringLiteral("visual-editor")};
    TLauncher launcher(setup.context);
    launcher.viewReportOrList();
    QCOMPARE(programsStarted(setup.desktop),
             QStringList({"text-viewer", "xdg-open", "visual-editor", "plain-editor"}));
    QCOMPARE(setup.desktop.starts[0].arguments, QStringList({"--new", report}));
    QCOMPARE(setup.desktop.starts[1].arguments, QStringList({report}));
    QCOMPARE(setup.desktop.starts[3].arguments, QStringList({"-R", report}));
    QVERIFY(setup.messages.boxes.isEmpty());

    // The first that works ends the search.
    setup.desktop.starts.clear();
    setup.desktop.failingPrograms = {QStringLiteral("text-viewer")};
    launcher.viewReportOrList();
    QCOMPARE(programsStarted(setup.desktop), QStringList({"text-viewer", "xdg-open"}));

    setup.desktop.failingPrograms.append({"xdg-open", "visual-editor", "plain-editor"});
    launcher.viewReportOrList();
    QCOMPARE(setup.messages.boxes.size(), 1);
    QCOMPARE(setup.messages.boxes[0].caption, QStringLiteral("Unable to load file"));
    QCOMPARE(setup.messages.boxes[0].text, kEditorFailedText);
}

// The real desktop: a program that fails at once counts as not started; one still running
// after the short watch counts as showing the file and is left running; the windows keep
// drawing meanwhile. xdg-open is whatever comes first on the search path, here a stand-in.
void LauncherTest::systemDesktopWatchesTheStartedProgramBriefly() {
    QTemporaryDir bin;
    const auto writeScript = [&](const QString& name, const QByteArray& body) {
        const QString path = bin.filePath(name);
        ScratchProgramDir::writeFile(path, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    };
    const QString opens = writeScript(QStringLiteral("opens"), "exit 0");
    const QString refuses = writeScript(QStringLiteral("refuses"), "exit 3");
    const QString keepsShowing = writeScript(QStringLiteral("keeps-showing"), "sleep 20");
    TSystemDesktop desktop;

    QVERIFY(desktop.startProgram(opens, {QStringLiteral("a file")}));
    QVERIFY(!desktop.startProgram(refuses, {}));
    QVERIFY(!desktop.startProgram(bin.filePath(QStringLiteral("no such program")), {}));

    int ticks = 0;
    QTimer drawing;
    connect(&drawing, &QTimer::timeout, this, [&] { ++ticks; });
    drawing.start(100);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(desktop.startProgram(keepsShowing, {}));
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));

    // xdg-open that has no program for the file fails the association; one that opened it
    // succeeds.
    const EnvironmentScope path{{"PATH", bin.path().toLocal8Bit() + ':' + qgetenv("PATH")}};
    QFile::copy(refuses, bin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(!desktop.openWithAssociation(bin.filePath(QStringLiteral("page.htm"))));
    QFile::remove(bin.filePath(QStringLiteral("xdg-open")));
    QFile::copy(opens, bin.filePath(QStringLiteral("xdg-open")));
    QVERIFY(desktop.openWithAssociation(bin.filePath(QStringLiteral("page.htm"))));
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
