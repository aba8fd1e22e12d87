// The single-instance guard: one holder at a time, never blocked by a dead instance or by a
// program the instance started, and never redirected by a planted link.
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "frontend/instance_lock.h"

namespace {

// Sets an environment variable for the scope (unset when value is null).
class EnvScope {
  public:
    EnvScope(const char* name, const QByteArray& value) : name(name) {
        hadOld = qEnvironmentVariableIsSet(name);
        old = qgetenv(name);
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }
    ~EnvScope() {
        if (hadOld) {
            qputenv(name, old);
        } else {
            qunsetenv(name);
        }
    }

  private:
    const char* name;
    QByteArray old;
    bool hadOld = false;
};

}  // namespace

class InstanceLockTest : public QObject {
    Q_OBJECT

  private slots:
    void lockFileLivesInTheRuntimeDirectory();
    void onlyOneHolderAtATime();
    void deadInstanceDoesNotBlock();
    void startedProgramsDoNotInheritTheLock();
    void plantedLinkIsNotFollowed();
};

void InstanceLockTest::lockFileLivesInTheRuntimeDirectory() {
    QTemporaryDir runtime;
    {
        EnvScope xdg("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        QCOMPARE(QString::fromStdString(TInstanceLock::lockFilePath()),
                 runtime.path() + QStringLiteral("/TsqzMutex"));
    }
    // Without a usable runtime directory: the temporary directory, one file per user.
    QTemporaryDir temp;
    const QString perUser = temp.path() + QStringLiteral("/TsqzMutex-") + QString::number(getuid());
    EnvScope tmpdir("TMPDIR", temp.path().toLocal8Bit());
    {
        EnvScope xdg("XDG_RUNTIME_DIR", QByteArray());
        QCOMPARE(QString::fromStdString(TInstanceLock::lockFilePath()), perUser);
    }
    {
        EnvScope xdg("XDG_RUNTIME_DIR", "relative/dir");
        QCOMPARE(QString::fromStdString(TInstanceLock::lockFilePath()), perUser);
    }
    {
        EnvScope xdg("XDG_RUNTIME_DIR", (runtime.path() + "/missing").toLocal8Bit());
        QCOMPARE(QString::fromStdString(TInstanceLock::lockFilePath()), perUser);
    }
}

void InstanceLockTest::onlyOneHolderAtATime() {
    QTemporaryDir runtime;
    EnvScope xdg("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    TInstanceLock first;
    TInstanceLock second;
    QCOMPARE(first.acquire(), TInstanceLock::Result::kAcquired);
    QCOMPARE(second.acquire(), TInstanceLock::Result::kHeldElsewhere);
    QVERIFY(!second.held());
    first.release();
    QCOMPARE(second.acquire(), TInstanceLock::Result::kAcquired);
}

void InstanceLockTest::deadInstanceDoesNotBlock() {
    QTemporaryDir runtime;
    EnvScope xdg("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString path = QString::fromStdString(TInstanceLock::lockFilePath());

    // Another process holds the lock: this one is refused. (The shell opens the file, locks it
    // and becomes "sleep", which then holds the lock.)
    QProcess other;
    other.start(QStringLiteral("sh"),
                {QStringLiteral("-c"),
                 QStringLiteral("exec 9>\"$0\" && flock -x 9 && exec sleep 30"), path});
    QVERIFY(other.waitForStarted());
    QVERIFY(QTest::qWaitFor([] {
        TInstanceLock probe;  // released at once while the other process has not locked yet
        return probe.acquire() == TInstanceLock::Result::kHeldElsewhere;
    }));

    // It dies without releasing anything: the next start runs.
    other.kill();
    QVERIFY(other.waitForFinished());
    TInstanceLock next;
    QCOMPARE(next.acquire(), TInstanceLock::Result::kAcquired);
}

void InstanceLockTest::startedProgramsDoNotInheritTheLock() {
    QTemporaryDir runtime;
    EnvScope xdg("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    TInstanceLock instance;
    QCOMPARE(instance.acquire(), TInstanceLock::Result::kAcquired);

    // A browser started by the instance outlives it.
    QProcess browser;
    browser.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    QVERIFY(browser.waitForStarted());
    instance.release();

    TInstanceLock next;
    QCOMPARE(next.acquire(), TInstanceLock::Result::kAcquired);
    browser.kill();
    browser.waitForFinished();
}

void InstanceLockTest::plantedLinkIsNotFollowed() {
    QTemporaryDir runtime;
    EnvScope xdg("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const QString target = runtime.path() + QStringLiteral("/victim");
    QVERIFY(QFile::link(target, runtime.path() + QStringLiteral("/TsqzMutex")));
    TInstanceLock lock;
    // The program then runs unguarded rather than create or lock a file elsewhere.
    QCOMPARE(lock.acquire(), TInstanceLock::Result::kUnavailable);
    QVERIFY(!QFile::exists(target));
}

QTEST_MAIN(InstanceLockTest)
#include "instance_lock_test.moc"
