// Start-up of the program and its end: the application set-up, the command line, a second
// instance that hands its document to the running one and ends at once, and the rule that
// only closing the main window ends the program.
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QWizard>
#include <QtTest>

#include "frontend/app_settings.h"
#include "frontend/help_viewer.h"
#include "frontend/instance_channel.h"
#include "frontend/instance_lock.h"
#include "frontend/main_mnu.h"
#include "frontend/option_windows.h"
#include "frontend/startup.h"
#include "frontend_test_support.h"
#include "toolkit/hint_switch.h"

using namespace FrontendTest;

namespace {

// The environment of a started TsqzLite: its own runtime folder (for the lock and the socket)
// and program directory, the offscreen platform.
QProcessEnvironment programEnvironment(const QString& runtime, const QString& programDir) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("TAGSQUEEZE_PROGRAM_DIR"), programDir);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

bool isEmptyFolder(const QString& path) {
    return QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

  private slots:
    void applicationSetUpSwitchesHintsOff();
    void commandLineNamesOneOptionalDocument_data();
    void commandLineNamesOneOptionalDocument();
    void secondInstanceEndsWithoutWindowMessageOrFile();
    void secondStartHandsItsDocumentToTheRunningWindow();
    void onlyClosingTheMainWindowEndsTheProgram();
};

void StartupTest::applicationSetUpSwitchesHintsOff() {
    THintSwitch::instance()->setOn(true);
    configureApplication(*qApp);
    // The windows belong to the installed desktop entry, tagsqueeze.desktop.
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("tagsqueeze"));
    QVERIFY(!THintSwitch::instance()->isOn());
    QCOMPARE(THintSwitch::instance()->showDelay(), 100);
    QCOMPARE(THintSwitch::instance()->displayTime(), 30000);
    QCOMPARE(qApp->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 100);
}

void StartupTest::secondInstanceEndsWithoutWindowMessageOrFile() {
    QTemporaryDir runtime;
    QTemporaryDir programDir;
    QProcessEnvironment environment = programEnvironment(runtime.path(), programDir.path());
    const QString shot = runtime.path() + QStringLiteral("/main.png");
    environment.insert(QStringLiteral("TSQZ_SCREENSHOT_WINDOW"), QStringLiteral("main"));
    environment.insert(QStringLiteral("TSQZ_SCREENSHOT_FILE"), shot);

    // The first instance holds the lock (here: the test itself, under the same runtime folder).
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    TInstanceLock firstInstance;
    QCOMPARE(firstInstance.acquire(), TInstanceLock::Result::kAcquired);

    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(TSQZ_LITE_PROGRAM), {});
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(second.readAllStandardOutput().isEmpty());
    QVERIFY(second.readAllStandardError().isEmpty());
    // No settings file rebuilt, no error log, no picture of a window.
    QVERIFY(isEmptyFolder(programDir.path()));
    QVERIFY(!QFile::exists(shot));

    // The same start with the lock free does run: it shows the main window and saves its
    // picture (a settings file that has seen its first run keeps every box away). The
    // document named on its command line, relative to its working folder, becomes the current
    // document.
    firstInstance.release();
    const QString settings = programDir.path() + QStringLiteral("/Tagsqueeze.ini");
    ScratchProgramDir::writeFile(settings, "[General Options]\nUsedOnce=1\n");
    const QString document = runtime.path() + QStringLiteral("/a page.htm");
    ScratchProgramDir::writeFile(document, "<html></html>");
    QProcess alone;
    alone.setProcessEnvironment(environment);
    alone.setWorkingDirectory(runtime.path());
    alone.start(QStringLiteral(TSQZ_LITE_PROGRAM), {QStringLiteral("a page.htm")});
    QVERIFY(alone.waitForFinished(20000));
    QCOMPARE(alone.exitCode(), 0);
    QVERIFY(QFile::exists(shot));
    QCOMPARE(TSettingsFile(settings).readText("General Options", "LastCompressedFile", 511),
             document);
}

void StartupTest::commandLineNamesOneOptionalDocument_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("document");
    const int run = int(StartRequest::Kind::kRun);
    const QString here = QDir::currentPath() + u'/';
    QTest::newRow("none") << QStringList() << run << QString();
    QTest::newRow("absolute") << QStringList{"/web/a b.htm"} << run << "/web/a b.htm";
    QTest::newRow("relative") << QStringList{"site/a.htm"} << run << here + "site/a.htm";
    // A file manager may hand over a URL.
    QTest::newRow("file URL") << QStringList{"file:///web/a%20b.htm"} << run << "/web/a b.htm";
    // Qt's own options and their values are not documents.
    QTest::newRow("Qt options") << QStringList{"-platform", "offscreen", "--style", "fusion",
                                               "-reverse", "/web/a.htm"}
                                << run << "/web/a.htm";
    QTest::newRow("only Qt options") << QStringList{"-platform", "xcb"} << run << QString();
    QTest::newRow("after --") << QStringList{"--", "-odd.htm"} << run << here + "-odd.htm";
    QTest::newRow("two documents") << QStringList{"a.htm", "b.htm"}
                                   << int(StartRequest::Kind::kUsageError) << QString();
    QTest::newRow("help") << QStringList{"--help"} << int(StartRequest::Kind::kHelp) << QString();
}

void StartupTest::commandLineNamesOneOptionalDocument() {
    QFETCH(QStringList, arguments);
    QFETCH(int, kind);
    QFETCH(QString, document);
    const StartRequest request = readStartRequest(arguments);
    QCOMPARE(int(request.kind), kind);
    QCOMPARE(request.document, document);
}

// The running instance here is the test itself, with the lock, the channel and a main window
// wired as the program wires them; the later starts are real TsqzLite processes.
void StartupTest::secondStartHandsItsDocumentToTheRunningWindow() {
    QTemporaryDir runtime;
    QTemporaryDir secondProgramDir;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    ScratchProgramDir dir;
    dir.writeSettings("[General Options]\nUsedOnce=1\n");
    const QString first = dir.file(QStringLiteral("first page.htm"));
    const QString second = dir.file(QStringLiteral("second page.htm"));
    ScratchProgramDir::writeFile(first, "<html></html>");
    ScratchProgramDir::writeFile(second, "<html></html>");

    TInstanceLock lock;
    QCOMPARE(lock.acquire(), TInstanceLock::Result::kAcquired);
    FakeDesktop desktop;
    TAppContext context(desktop);
    TMainMnu mainWindow(context);
    TInstanceChannel channel;
    connect(&channel, &TInstanceChannel::documentHandedOver, &mainWindow,
            &TMainMnu::takeDocumentFromDesktop);
    QVERIFY(channel.listen());
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    mainWindow.showMinimized();

    const auto startLater = [&](QProcess& process, const QStringList& arguments) {
        process.setProcessEnvironment(programEnvironment(runtime.path(), secondProgramDir.path()));
        process.setWorkingDirectory(dir.path());
        process.start(QStringLiteral(TSQZ_LITE_PROGRAM), arguments);
    };
    const auto endedQuietly = [&](QProcess& process) {
        const bool ended = process.state() == QProcess::NotRunning || process.waitForFinished(20000);
        const QByteArray output = process.readAllStandardOutput() + process.readAllStandardError();
        if (!output.isEmpty()) qWarning("later start said: %s", output.constData());
        return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
               output.isEmpty() && isEmptyFolder(secondProgramDir.path());
    };
    auto* documentField = mainWindow.findChild<QLineEdit*>(QStringLiteral("documentLineEdit"));

    // A start with a document (relative to its working folder) while the running instance
    // is still starting up: the request is taken and held until the main window is ready.
    // Then the window comes back from its minimized state with that document, remembered as
    // a selection is.
    QProcess withDocument;
    startLater(withDocument, {QStringLiteral("first page.htm")});
    QVERIFY(QTest::qWaitFor([&] { return withDocument.state() == QProcess::NotRunning; }, 20000));
    QVERIFY(endedQuietly(withDocument));
    QVERIFY(context.currentDocument.isEmpty());
    channel.deliverRequests();
    QTRY_COMPARE(context.currentDocument, first);
    QVERIFY(!mainWindow.isMinimized());
    QCOMPARE(documentField->text(), first);
    QCOMPARE(TSettingsFile(dir.settingsPath()).readText("General Options", "LastCompressedFile", 511),
             first);

    // A start without one only brings the window to the front.
    mainWindow.showMinimized();
    QProcess bare;
    startLater(bare, {});
    QTRY_VERIFY_WITH_TIMEOUT(!mainWindow.isMinimized(), 20000);
    QVERIFY(endedQuietly(bare));
    QCOMPARE(context.currentDocument, first);

    // While a modal window is open (here a dialog standing for a job or an assistant), the
    // document waits until it has closed.
    QDialog modal(&mainWindow);
    QProcess duringDialog;
    QString documentWhileOpen;
    bool handedOver = false;
    QTimer::singleShot(0, &modal, [&] {
        startLater(duringDialog, {second});
        // The event loop runs meanwhile, so the running instance takes the request.
        handedOver = QTest::qWaitFor(
            [&] { return duringDialog.state() == QProcess::NotRunning; }, 20000);
        QTest::qWait(300);
        documentWhileOpen = context.currentDocument;
        modal.accept();
    });
    modal.exec();
    QVERIFY(handedOver);
    QVERIFY(endedQuietly(duringDialog));
    QCOMPARE(documentWhileOpen, first);
    QTRY_COMPARE(context.currentDocument, second);
}

// The help viewer may be the last window shown while an assistant hides the main window;
// closing it must not end the program. Only closing the main window does.
void StartupTest::onlyClosingTheMainWindowEndsTheProgram() {
    configureApplication(*qApp);
    ScratchProgramDir dir;
    dir.writeSettings("[General Options]\nUsedOnce=1\n");
    FakeDesktop desktop;
    TAppContext context(desktop);
    TMainMnu mainWindow(context);
    OptionWindows::install(mainWindow);
    mainWindow.show();

    QStringList seen;
    QTimer::singleShot(0, &mainWindow, [&] {
        // Opens the compression options assistant, which runs until it is closed below.
        mainWindow.findChild<QPushButton*>(QStringLiteral("compressionOptionsPushButton"))->click();
    });
    QTimer::singleShot(300, [&] { THelp::open(HelpContext::kTagOptions); });
    QTimer::singleShot(600, [&] {
        THelpViewer* viewer = THelp::viewer();
        if (!viewer || !FrontendTest::activate(viewer)) return;
        QTest::keyClick(viewer, Qt::Key_Escape);
        seen << (viewer->isVisible() ? "help still open" : "help closed");
    });
    QTimer::singleShot(900, [&] {
        auto* assistant = qobject_cast<QWizard*>(QApplication::activeModalWidget());
        seen << (assistant && assistant->isVisible() ? "assistant open" : "no assistant");
        if (assistant) assistant->close();
    });
    QTimer::singleShot(1200, [&] {
        seen << (mainWindow.isVisible() ? "main window back" : "no main window");
        mainWindow.close();
    });
    // Whatever goes wrong, the test ends.
    QTimer::singleShot(15000, qApp, [] { QCoreApplication::exit(1); });

    const int exitCode = runMainWindow(*qApp, mainWindow);
    QCOMPARE(seen, QStringList({"help closed", "assistant open", "main window back"}));
    QCOMPARE(exitCode, 0);
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
