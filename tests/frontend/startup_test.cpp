// Start-up of the program: the application set-up, and a second instance that ends at once.
#include <QDir>
#include <QProcess>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

#include "frontend/instance_lock.h"
#include "frontend/startup.h"
#include "toolkit/hint_switch.h"

class StartupTest : public QObject {
    Q_OBJECT

  private slots:
    void applicationSetUpSwitchesHintsOff();
    void secondInstanceEndsWithoutWindowMessageOrFile();
};

void StartupTest::applicationSetUpSwitchesHintsOff() {
    THintSwitch::instance()->setOn(true);
    configureApplication(*qApp);
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Tagsqueeze freeware"));
    QVERIFY(!THintSwitch::instance()->isOn());
    QCOMPARE(THintSwitch::instance()->showDelay(), 100);
    QCOMPARE(THintSwitch::instance()->displayTime(), 30000);
    QCOMPARE(qApp->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 100);
}

void StartupTest::secondInstanceEndsWithoutWindowMessageOrFile() {
    QTemporaryDir runtime;
    QTemporaryDir programDir;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("TAGSQUEEZE_PROGRAM_DIR"), programDir.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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
    QVERIFY(
        QDir(programDir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    QVERIFY(!QFile::exists(shot));

    // The same start with the lock free does run: it shows the main window and saves its
    // picture (a settings file that has seen its first run keeps every box away).
    firstInstance.release();
    QFile settings(programDir.path() + QStringLiteral("/Tagsqueeze.ini"));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[General Options]\nUsedOnce=1\n");
    settings.close();
    QProcess alone;
    alone.setProcessEnvironment(environment);
    alone.start(QStringLiteral(TSQZ_LITE_PROGRAM), {});
    QVERIFY(alone.waitForFinished(20000));
    QCOMPARE(alone.exitCode(), 0);
    QVERIFY(QFile::exists(shot));
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
