// Finding the system's open command for text files in the desktop entries.
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include "frontend/text_open_command.h"
#include "frontend_test_support.h"

using namespace FrontendTest;
using TextOpenCommand::commandFromDesktopEntry;

class TextOpenCommandTest : public QObject {
    Q_OBJECT

  private slots:
    void execLineIsCutBeforeItsFirstPercent_data();
    void execLineIsCutBeforeItsFirstPercent();
    void desktopEntriesAreFoundInOrderAndInSubfolders();
    void applicationFoldersComeFromTheDataDirectories();
};

void TextOpenCommandTest::execLineIsCutBeforeItsFirstPercent_data() {
    QTest::addColumn<QByteArray>("entry");
    QTest::addColumn<QString>("command");
    QTest::newRow("trailing blank kept")
        << QByteArray("[Desktop Entry]\nName=Ed\nExec=editor --new %F\n") << "editor --new ";
    QTest::newRow("no percent") << QByteArray("[Desktop Entry]\nExec=editor\n") << "editor";
    QTest::newRow("blanks around the equals sign")
        << QByteArray("[Desktop Entry]\nExec = editor %U\n") << "editor ";
    QTest::newRow("CR LF lines") << QByteArray("[Desktop Entry]\r\nExec=editor %f\r\n")
                                 << "editor ";
    QTest::newRow("first percent even when doubled")
        << QByteArray("[Desktop Entry]\nExec=sh -c 'ed 100%%' %f\n") << "sh -c 'ed 100";
    QTest::newRow("escaped blank") << QByteArray("[Desktop Entry]\nExec=my\\sed %f\n") << "my ed ";
    QTest::newRow("action groups are not the main group")
        << QByteArray(
               "[Desktop Action new]\nExec=editor --window %f\n"
               "[Desktop Entry]\nExec=editor %f\n")
        << "editor ";
    QTest::newRow("first Exec wins")
        << QByteArray("[Desktop Entry]\nExec=first %f\nExec=second %f\n") << "first ";
    QTest::newRow("comment and translated keys ignored")
        << QByteArray("[Desktop Entry]\n# Exec=commented\nName[de]=x\nExec=editor\n") << "editor";
    QTest::newRow("terminal programs give nothing")
        << QByteArray("[Desktop Entry]\nExec=vi %F\nTerminal=true\n") << QString();
    QTest::newRow("no Exec") << QByteArray("[Desktop Entry]\nName=Ed\n") << QString();
    QTest::newRow("empty") << QByteArray() << QString();
}

void TextOpenCommandTest::execLineIsCutBeforeItsFirstPercent() {
    QFETCH(QByteArray, entry);
    QFETCH(QString, command);
    QCOMPARE(commandFromDesktopEntry(entry), command);
}

void TextOpenCommandTest::desktopEntriesAreFoundInOrderAndInSubfolders() {
    QTemporaryDir home;
    QTemporaryDir system;
    QVERIFY(QDir().mkpath(home.path() + "/applications"));
    QVERIFY(QDir().mkpath(system.path() + "/applications/kde"));
    const QStringList folders{home.path() + "/applications", system.path() + "/applications"};

    ScratchProgramDir::writeFile(system.path() + "/applications/ed.desktop", "[Desktop Entry]\n");
    QCOMPARE(TextOpenCommand::findDesktopEntry("ed.desktop", folders),
             system.path() + "/applications/ed.desktop");

    // The user's own entry hides the system's.
    ScratchProgramDir::writeFile(home.path() + "/applications/ed.desktop", "[Desktop Entry]\n");
    QCOMPARE(TextOpenCommand::findDesktopEntry("ed.desktop", folders),
             home.path() + "/applications/ed.desktop");

    // "kde-write.desktop" names kde/write.desktop.
    ScratchProgramDir::writeFile(system.path() + "/applications/kde/write.desktop",
                                 "[Desktop Entry]\n");
    QCOMPARE(TextOpenCommand::findDesktopEntry("kde-write.desktop", folders),
             system.path() + "/applications/kde/write.desktop");

    QVERIFY(TextOpenCommand::findDesktopEntry("none.desktop", folders).isEmpty());
    QVERIFY(TextOpenCommand::findDesktopEntry("", folders).isEmpty());
    // An id is a name, never a path out of the folders.
    QVERIFY(TextOpenCommand::findDesktopEntry("../applications/ed.desktop", folders).isEmpty());
}

void TextOpenCommandTest::applicationFoldersComeFromTheDataDirectories() {
    const QByteArray oldHome = qgetenv("XDG_DATA_HOME");
    const QByteArray oldDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_HOME", "/home/u/data");
    qputenv("XDG_DATA_DIRS", "/opt/share::relative:/usr/share");
    QCOMPARE(TextOpenCommand::applicationDirectories(),
             QStringList({"/home/u/data/applications", "/opt/share/applications",
                          "/usr/share/applications"}));
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_DATA_DIRS");
    QCOMPARE(TextOpenCommand::applicationDirectories(),
             QStringList({QDir::homePath() + "/.local/share/applications",
                          "/usr/local/share/applications", "/usr/share/applications"}));
    qputenv("XDG_DATA_HOME", oldHome);
    qputenv("XDG_DATA_DIRS", oldDirs);
}

QTEST_MAIN(TextOpenCommandTest)
#include "text_open_command_test.moc"
