// The font rule, the placement of secondary windows and the main window's position.
#include <QScreen>
#include <QtTest>

#include "frontend/app_settings.h"
#include "frontend/main_mnu.h"
#include "frontend/window_rules.h"
#include "frontend_test_support.h"

using namespace FrontendTest;

class WindowRulesTest : public QObject {
    Q_OBJECT

  private slots:
    void secondaryWindowsAreCentredAndKeptOnScreen_data();
    void secondaryWindowsAreCentredAndKeptOnScreen();
    void largeFontsOrBoldFontsOffGiveRegularType();
    void scaledDisplayHasLargeFonts();
    void negativeStoredPositionCentresThatAxis();
    void mainWindowPositionIsReadAndWrittenBack();
};

void WindowRulesTest::secondaryWindowsAreCentredAndKeptOnScreen_data() {
    QTest::addColumn<QRect>("mainWindow");
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QPoint>("expected");
    // On a screen of 1024 x 768.
    QTest::newRow("centred") << QRect(100, 100, 400, 300) << QSize(200, 100) << QPoint(200, 200);
    // Odd differences round toward zero.
    QTest::newRow("odd difference") << QRect(0, 0, 401, 301) << QSize(200, 100) << QPoint(100, 100);
    // Past the right and bottom edges: moved back to 20 from the edge.
    QTest::newRow("past the edges")
        << QRect(900, 700, 200, 100) << QSize(300, 200) << QPoint(1024 - 300 - 20, 768 - 200 - 20);
    // Before the left and top edges: 20 from the edge.
    QTest::newRow("before the edges")
        << QRect(-50, -40, 100, 80) << QSize(300, 200) << QPoint(20, 20);
    // Wider than the screen: the right-edge rule makes it negative, the left-edge rule wins.
    QTest::newRow("wider than the screen")
        << QRect(0, 0, 1024, 768) << QSize(1100, 800) << QPoint(20, 20);
}

void WindowRulesTest::secondaryWindowsAreCentredAndKeptOnScreen() {
    QFETCH(QRect, mainWindow);
    QFETCH(QSize, window);
    QFETCH(QPoint, expected);
    QCOMPARE(WindowRules::placementOver(mainWindow, window, QSize(1024, 768)), expected);
}

void WindowRulesTest::largeFontsOrBoldFontsOffGiveRegularType() {
    QVERIFY(!WindowRules::isLargeFontDisplay(96));
    QVERIFY(!WindowRules::isLargeFontDisplay(107.9));
    QVERIFY(WindowRules::isLargeFontDisplay(108));
    QVERIFY(WindowRules::isLargeFontDisplay(120));

    QVERIFY(!WindowRules::wantsRegularFonts(true, 96));
    QVERIFY(WindowRules::wantsRegularFonts(false, 96));
    QVERIFY(WindowRules::wantsRegularFonts(true, 120));
    QVERIFY(WindowRules::wantsRegularFonts(false, 120));

    // The rule only ever takes bold away or puts it back on the window's own font.
    QWidget window;
    QFont font = window.font();
    font.setItalic(true);
    window.setFont(font);
    TAppSettings settings;
    settings.boldFonts = true;
    WindowRules::applyFontRule(&window, settings);
    QVERIFY(window.font().bold());
    QVERIFY(window.font().italic());
    settings.boldFonts = false;
    WindowRules::applyFontRule(&window, settings);
    QVERIFY(!window.font().bold());
    QVERIFY(window.font().italic());
}

// Qt 6 reports a scaled display (QT_SCALE_FACTOR=2, or 144 dpi through QT_FONT_DPI or Xft.dpi)
// with 96 logical dots per inch and a device pixel ratio above 1; the rule counts both. ctest
// runs this case again under each of those settings (frontend.window_rules_scaled_*).
void WindowRulesTest::scaledDisplayHasLargeFonts() {
    QCOMPARE(WindowRules::displayDpi(96, 1.5), 144.0);
    QVERIFY(WindowRules::isLargeFontDisplay(WindowRules::displayDpi(96, 2)));
    QVERIFY(!WindowRules::isLargeFontDisplay(WindowRules::displayDpi(96, 1)));

    const bool scaled = qEnvironmentVariableIntValue("QT_SCALE_FACTOR") == 2 ||
                        qEnvironmentVariableIntValue("QT_FONT_DPI") == 144;
    QWidget window;
    window.show();
    QVERIFY(FrontendTest::activate(&window));
    QCOMPARE(WindowRules::isLargeFontDisplay(WindowRules::activeLogicalDpi()), scaled);
    TAppSettings settings;
    settings.boldFonts = true;
    WindowRules::applyFontRule(&window, settings);
    QCOMPARE(window.font().bold(), !scaled);
}

void WindowRulesTest::negativeStoredPositionCentresThatAxis() {
    const QSize window(400, 300);
    const QSize screen(1024, 768);
    QCOMPARE(WindowRules::mainWindowPosition(-1, -1, window, screen), QPoint(312, 234));
    QCOMPARE(WindowRules::mainWindowPosition(-5, 10, window, screen), QPoint(312, 10));
    QCOMPARE(WindowRules::mainWindowPosition(0, -1, window, screen), QPoint(0, 234));
    // Stored values are used unchanged, even far away.
    QCOMPARE(WindowRules::mainWindowPosition(3000, 2000, window, screen), QPoint(3000, 2000));
}

void WindowRulesTest::mainWindowPositionIsReadAndWrittenBack() {
    ScratchProgramDir dir;
    dir.writeSettings(
        "[General Options]\nUsedOnce=1\n[Window positions]\nMenuLeft=30\nMenuTop=-1\n");
    FakeDesktop desktop;
    {
        TAppContext context(desktop);
        TMainMnu window(context);
        const int screenHeight = window.screen()->geometry().height();
        QCOMPARE(window.pos(), QPoint(30, (screenHeight - window.height()) / 2));
        window.move(44, 55);
        window.close();
    }
    // Closing wrote MenuTop, then MenuLeft, as decimal text.
    const QByteArray text = ScratchProgramDir::readFile(dir.settingsPath());
    QVERIFY(text.contains("MenuLeft=44"));
    QVERIFY(text.contains("MenuTop=55"));

    TAppContext context(desktop);
    TMainMnu window(context);
    QCOMPARE(window.pos(), QPoint(44, 55));

    // Written into a file without the section, the two keys come in the order MenuTop, MenuLeft.
    dir.writeSettings("[General Options]\nUsedOnce=1\n");
    TAppContext fresh(desktop);
    TMainMnu freshWindow(fresh);
    freshWindow.close();
    const QByteArray written = ScratchProgramDir::readFile(dir.settingsPath());
    QVERIFY(written.indexOf("MenuTop=") >= 0);
    QVERIFY(written.indexOf("MenuTop=") < written.indexOf("MenuLeft="));
}

QTEST_MAIN(WindowRulesTest)
#include "window_rules_test.moc"
