// The first-run window: its texts, UsedOnce written at creation, and its one appearance after
// the main window first shows, followed by help at 66000.
#include <QPushButton>
#include <QtTest>

#include "frontend/app_settings.h"
#include "frontend/first_time.h"
#include "frontend/help_viewer.h"
#include "frontend/main_mnu.h"
#include "frontend/settings_file.h"
#include "frontend_test_support.h"

using namespace FrontendTest;

namespace {

const QStringList kParagraphs = {
    QStringLiteral("This introductory message will only appear the first time the software is "
                   "run after a new install. Please take the time to read it through "
                   "completely."),
    QStringLiteral("Thanks for taking the time to try Tagsqueeze freeware version. Since this is "
                   "the first time you have run Tagsqueeze, we'd like to take a moment to point "
                   "out some important features of the program. Because this program acts "
                   "directly on the content of HTML documents, it is important that you "
                   "recognize the limitations and risks involved in using the program."),
    QStringLiteral("First of all, while Tagsqueeze comes ready to use with a preset selection of "
                   "compression options and safety features, note that selection of certain "
                   "features can have adverse effects on some types of HTML documents. Always "
                   "make backups of documents before compressing!"),
    QStringLiteral("Also note that this is a tool designed both for casual authors and "
                   "professional HTML developers. The helpfiles contain a wealth of technical "
                   "data. You don't need to study the whole helpfile to use the program, but we "
                   "strongly recommend browsing the introductory and how-to topics."),
};

int usedOnceInFile(const ScratchProgramDir& dir) {
    return TSettingsFile(dir.settingsPath()).readInt("General Options", "UsedOnce", 0);
}

}  // namespace

class FirstRunTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { THelp::closeViewer(); }
    void windowShowsItsTextsAndRecordsUsedOnceAtCreation();
    void okIsTheDefaultAndTheCancelButton();
    void appearsOnceAfterTheMainWindowFirstShows();
    void neverAppearsOnceUsed();
};

void FirstRunTest::windowShowsItsTextsAndRecordsUsedOnceAtCreation() {
    ScratchProgramDir dir;
    dir.writeSettings("[Tag Options]\n");
    FakeDesktop desktop;
    TAppContext context(desktop);
    context.load(dir.path());
    QCOMPARE(usedOnceInFile(dir), 0);

    QWidget mainWindow;
    TFirstTime window(context, &mainWindow);
    QCOMPARE(usedOnceInFile(dir), 1);
    QCOMPARE(window.windowTitle(), QStringLiteral("Welcome to Tagsqueeze freeware "));
    QCOMPARE(window.headingText(),
             QStringLiteral("A few important notes about the application..."));
    QCOMPARE(window.paragraphTexts(), kParagraphs);
    QCOMPARE(window.okButton()->text(), QStringLiteral("&OK"));
    QVERIFY(window.font().bold());
}

void FirstRunTest::okIsTheDefaultAndTheCancelButton() {
    ScratchProgramDir dir;
    dir.writeSettings("[Tag Options]\n");
    FakeDesktop desktop;
    TAppContext context(desktop);
    context.load(dir.path());
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        TFirstTime window(context, nullptr);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.okButton()->isDefault());
        QTest::keyClick(&window, key);
        QVERIFY(!window.isVisible());
    }
}

void FirstRunTest::appearsOnceAfterTheMainWindowFirstShows() {
    ScratchProgramDir dir;
    dir.writeSettings("[Tag Options]\n");
    FakeDesktop desktop;
    TAppContext context(desktop);
    TMainMnu mainWindow(context);
    QVERIFY(!context.usedOnce);

    int appearances = 0;
    QString title;
    bool mainWasVisible = false;
    int usedOnceWhileOpen = 0;
    int helpWhileOpen = -1;
    int helpAfterClick = -1;
    QTimer watcher;
    watcher.setInterval(20);
    connect(&watcher, &QTimer::timeout, [&] {
        auto* window = qobject_cast<TFirstTime*>(QApplication::activeModalWidget());
        if (!window) return;
        // The waits below run the event loop; the watcher must not fire again inside them.
        watcher.stop();
        ++appearances;
        title = window->windowTitle();
        mainWasVisible = mainWindow.isVisible();
        usedOnceWhileOpen = usedOnceInFile(dir);
        // F1 opens its topic in a viewer that stays usable while the window is open.
        if (activate(window)) QTest::keyClick(window, Qt::Key_F1);
        THelpViewer* viewer = THelp::viewer();
        if (viewer && QTest::qWaitForWindowExposed(viewer)) {
            helpWhileOpen = viewer->currentContext();
            auto* contents = viewer->findChild<QPushButton*>();
            QTest::mouseClick(viewer->windowHandle(), Qt::LeftButton, {},
                              contents->mapTo(viewer, contents->rect().center()));
            helpAfterClick = viewer->currentContext();
        }
        window->okButton()->click();
        watcher.start();
    });
    watcher.start();

    mainWindow.show();
    QTRY_VERIFY(context.usedOnce);
    QCOMPARE(appearances, 1);
    QCOMPARE(title, QStringLiteral("Welcome to Tagsqueeze freeware "));
    QVERIFY(mainWasVisible);
    QCOMPARE(usedOnceWhileOpen, 1);
    QCOMPARE(helpWhileOpen, 66000);
    QCOMPARE(helpAfterClick, 0);  // the viewer's "Contents" button took the click
    // When it has closed, help opens at the first-run topic.
    QVERIFY(THelp::viewer());
    QCOMPARE(THelp::viewer()->currentContext(), 66000);

    // Showing the main window again does not bring it back.
    mainWindow.hide();
    mainWindow.show();
    QTest::qWait(300);
    QCOMPARE(appearances, 1);
}

void FirstRunTest::neverAppearsOnceUsed() {
    ScratchProgramDir dir;
    dir.writeSettings("[General Options]\nUsedOnce=1\n");
    FakeDesktop desktop;
    TAppContext context(desktop);
    TMainMnu mainWindow(context);
    QVERIFY(context.usedOnce);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    QTest::qWait(300);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(!THelp::viewer());
}

QTEST_MAIN(FirstRunTest)
#include "first_run_test.moc"
