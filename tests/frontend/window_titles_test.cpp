// Window captions as the X window system shows them: exactly each window's own caption, with
// nothing appended. Runs on a virtual X display (xvfb-run, set up by ctest); xprop reads the
// name the window manager would show.
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <functional>
#include <memory>

#include "frontend/app_settings.h"
#include "frontend/filegauge.h"
#include "frontend/first_time.h"
#include "frontend/help_viewer.h"
#include "frontend/main_mnu.h"
#include "frontend/opt_confirm.h"
#include "frontend/startup.h"
#include "frontend/user_options.h"
#include "frontend/wiz_tag_opts.h"
#include "frontend_test_support.h"

using namespace FrontendTest;

namespace {

// The window's name on the X display (_NET_WM_NAME), or a note of what went wrong.
QString shownTitle(QWidget* window) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window->winId()),
                 QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(10000)) return QStringLiteral("(xprop did not answer)");
    const QString output = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    static const QRegularExpression pattern(QStringLiteral("^_NET_WM_NAME\\(\\w+\\) = \"(.*)\"$"));
    const QRegularExpressionMatch match = pattern.match(output);
    if (!match.hasMatch()) return QStringLiteral("(xprop said: %1)").arg(output);
    QString title = match.captured(1);
    title.replace(QStringLiteral("\\\""), QStringLiteral("\""));
    title.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    return title;
}

}  // namespace

class WindowTitlesTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void captionsReachTheWindowSystemUnchanged();
};

void WindowTitlesTest::initTestCase() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X display (ctest runs this test under xvfb-run)");
    configureApplication(*qApp);
}

void WindowTitlesTest::captionsReachTheWindowSystemUnchanged() {
    ScratchProgramDir dir;
    dir.writeSettings("[General Options]\nUsedOnce=1\n");
    FakeDesktop desktop;
    TAppContext context(desktop);
    TMainMnu mainWindow(context);
    mainWindow.show();
    MessageRecorder messages;  // the progress window's job finds no document
    bool cancelFlag = false;

    struct Window {
        QString caption;
        std::function<QWidget*()> open;
    };
    const QList<Window> windows = {
        {"Tagsqueeze freeware main menu", [&]() -> QWidget* { return &mainWindow; }},
        {"Tagsqueeze freeware ", [&] { return new TFilegauge(context, &mainWindow); }},
        {"Tagsqueeze freeware ", [&] { return new TOptconfirm(context, cancelFlag, &mainWindow); }},
        {"Tagsqueeze freeware compression options assistant ",
         [&] { return new TWizTagOpts(context, &mainWindow); }},
        {"Tagsqueeze freeware user options assistant ",
         [&] { return new TUserOptions(context, &mainWindow); }},
        {"Welcome to Tagsqueeze freeware ", [&] { return new TFirstTime(context, &mainWindow); }},
    };
    for (const Window& entry : windows) {
        QWidget* window = entry.open();
        std::unique_ptr<QWidget> owned(window == &mainWindow ? nullptr : window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(shownTitle(window), entry.caption);
    }

    // A message box shows its caption the same way.
    TMessageBox::Interceptor recorder = TMessageBox::setInterceptor({});
    QString boxTitle;
    QTimer readBox;
    connect(&readBox, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !QTest::qWaitForWindowExposed(box)) return;
        readBox.stop();
        boxTitle = shownTitle(box);
        box->accept();
    });
    readBox.start(50);
    TMessageBox::information(QStringLiteral("Default browser recorded"), QStringLiteral("text"));
    TMessageBox::setInterceptor(recorder);
    QCOMPARE(boxTitle, QStringLiteral("Default browser recorded"));
}

QTEST_MAIN(WindowTitlesTest)
#include "window_titles_test.moc"
