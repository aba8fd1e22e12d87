// The main window's shell: what its creation shows, its Help and Exit, Escape, and what
// closing it saves.
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "frontend/app_settings.h"
#include "frontend/help_viewer.h"
#include "frontend/main_mnu.h"
#include "frontend/settings_file.h"
#include "frontend_test_support.h"
#include "toolkit/hint_switch.h"

using namespace FrontendTest;

class MainMnuTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { THelp::closeViewer(); }
    void creationShowsTheRememberedDocumentAndFolder();
    void helpAndF1OpenTheMainWindowTopic();
    void escapeExitsOnlyWhenCloseOnEscapeIsOn();
    void closingSavesRecentFilesAndClosesHelp();
};

void MainMnuTest::creationShowsTheRememberedDocumentAndFolder() {
    ScratchProgramDir dir;
    const QString document = dir.file("page one.htm");
    ScratchProgramDir::writeFile(document, "<html></html>");
    dir.writeSettings("[General Options]\nUsedOnce=1\nLastCompressedFile=" + document.toUtf8() +
                      "\nOutputDirectory=" + dir.path().toUtf8() + "\n");
    FakeDesktop desktop;
    TAppContext context(desktop);
    TMainMnu window(context);
    QCOMPARE(window.windowTitle(), QStringLiteral("Tagsqueeze freeware main menu"));
    QCOMPARE(window.findChild<QLineEdit*>("documentLineEdit")->text(), document);
    QCOMPARE(window.findChild<QLineEdit*>("outputDirLineEdit")->text(), dir.path());

    auto* hints = window.findChild<THintsCheckBox*>("hintsCheckBox");
    QVERIFY(hints);
    QCOMPARE(hints->text(), QStringLiteral("Hi&nts"));
    QCOMPARE(hints->toolTip(),
             QStringLiteral("This checkbox enables or disables hinting for any given Tagsqueeze "
                            "dialog. The default is \"hints off\" because hinting is highly "
                            "inconvenient once you understand the use of the controls."));
    // A fixed size that can be minimised, not maximised.
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
}

void MainMnuTest::helpAndF1OpenTheMainWindowTopic() {
    ScratchProgramDir dir;
    dir.writeSettings("[General Options]\nUsedOnce=1\n");
    FakeDesktop desktop;
    TAppContext context(desktop);
    TMainMnu window(context);
    window.show();
    QVERIFY(activate(&window));

    window.findChild<QPushButton*>("helpPushButton")->click();
    QVERIFY(THelp::viewer());
    QCOMPARE(THelp::viewer()->currentContext(), 100001);

    THelp::closeViewer();
    QVERIFY(activate(&window));
    QTest::keyClick(&window, Qt::Key_F1);
    QVERIFY(THelp::viewer());
    QCOMPARE(THelp::viewer()->currentContext(), 100001);
}

void MainMnuTest::escapeExitsOnlyWhenCloseOnEscapeIsOn() {
    ScratchProgramDir dir;
    FakeDesktop desktop;
    for (const bool closeOnEscape : {false, true}) {
        dir.writeSettings(closeOnEscape ? "[General Options]\nUsedOnce=1\nCloseOnEscape=1\n"
                                        : "[General Options]\nUsedOnce=1\nCloseOnEscape=2\n");
        TAppContext context(desktop);
        TMainMnu window(context);
        window.show();
        QVERIFY(activate(&window));
        QTest::keyClick(&window, Qt::Key_Escape);
        QCOMPARE(window.isVisible(), !closeOnEscape);
    }
}

void MainMnuTest::closingSavesRecentFilesAndClosesHelp() {
    ScratchProgramDir dir;
    dir.writeSettings(
        "[General Options]\nUsedOnce=1\n[Recent Files]\nMRUFile1=/web/a.htm\n"
        "MRUFile2=/web/b.htm\n");
    FakeDesktop desktop;
    TAppContext context(desktop);
    TMainMnu window(context);
    window.show();
    QCOMPARE(context.recentFiles.entries().mid(0, 3),
             QStringList({"/web/a.htm", "/web/b.htm", "+"}));
    context.recentFiles.add(QStringLiteral("/web/new.htm"));
    THelp::open(100001);
    QPointer<THelpViewer> viewer = THelp::viewer();

    window.findChild<QPushButton*>("exitPushButton")->click();
    QVERIFY(!window.isVisible());
    QTRY_VERIFY(viewer.isNull());
    const TSettingsFile file(dir.settingsPath());
    QCOMPARE(file.readText("Recent Files", "MRUFile1", 255), QStringLiteral("/web/new.htm"));
    QCOMPARE(file.readText("Recent Files", "MRUFile2", 255), QStringLiteral("/web/a.htm"));
    QCOMPARE(file.readText("Recent Files", "MRUFile3", 255), QStringLiteral("/web/b.htm"));
    QVERIFY(file.readText("Recent Files", "MRUFile4", 255).isEmpty());
}

QTEST_MAIN(MainMnuTest)
#include "main_mnu_test.moc"
