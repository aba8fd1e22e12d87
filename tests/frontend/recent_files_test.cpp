// The recent-files list: loading with duplicates and gaps, adding, and the save that stops at
// the first empty slot.
#include <QtTest>

#include "frontend/recent_files.h"
#include "frontend/settings_file.h"
#include "frontend_test_support.h"

using namespace FrontendTest;

namespace {

QStringList withEmptySlots(QStringList entries) {
    while (entries.size() < TRecentFiles::kSlots)
        entries.append(QStringLiteral("+"));
    return entries;
}

// "MRUFile1".."MRUFile9" as stored, empty text for a missing key.
QStringList storedSlots(const TSettingsFile& file) {
    QStringList stored;
    for (int slot = 1; slot <= TRecentFiles::kSlots; ++slot) {
        stored.append(
            file.readText("Recent Files", ("MRUFile" + QByteArray::number(slot)).constData(), 255));
    }
    return stored;
}

}  // namespace

class RecentFilesTest : public QObject {
    Q_OBJECT

  private slots:
    void loadMarksDuplicatesAndGapsAsEmptySlots();
    void saveStopsAtTheFirstEmptySlot();
    void addPutsNewPathsOnTopAndLeavesKnownOnesInPlace();
};

void RecentFilesTest::loadMarksDuplicatesAndGapsAsEmptySlots() {
    ScratchProgramDir dir;
    // Slot 2 repeats slot 1 in other letter case; slot 3 is missing; slot 5 is empty.
    dir.writeSettings(
        "[Recent Files]\nMRUFile1=/web/Index.htm\nMRUFile2=/WEB/index.HTM\n"
        "MRUFile4=/web/a.htm\nMRUFile5=\nMRUFile6=/web/list.lst\n");
    TRecentFiles recent;
    recent.load(TSettingsFile(dir.settingsPath()));
    QCOMPARE(recent.entries(),
             withEmptySlots({"/web/Index.htm", "+", "+", "/web/a.htm", "+", "/web/list.lst"}));

    // No section at all: nine empty slots.
    dir.writeSettings("[Tag Options]\n");
    recent.load(TSettingsFile(dir.settingsPath()));
    QCOMPARE(recent.entries(), withEmptySlots({}));
}

void RecentFilesTest::saveStopsAtTheFirstEmptySlot() {
    ScratchProgramDir dir;
    const TSettingsFile file(dir.settingsPath());
    dir.writeSettings(
        "[Recent Files]\nMRUFile1=/web/one.htm\nMRUFile2=/web/two.htm\n"
        "MRUFile4=/web/four.htm\nMRUFile9=/web/nine.htm\n[Tag Options]\nSTRONGtoB=1\n");
    TRecentFiles recent;
    recent.load(file);
    recent.save(file);
    // The gap at slot 3 ends the list: the entries after it are gone from the file.
    QCOMPARE(storedSlots(file),
             QStringList({"/web/one.htm", "/web/two.htm", "", "", "", "", "", "", ""}));
    QCOMPARE(file.readInt("Tag Options", "STRONGtoB", 0), 1);

    // Entries of two characters or fewer end the list as "+" does.
    dir.writeSettings("[Recent Files]\nMRUFile1=/a.htm\nMRUFile2=ab\nMRUFile3=/c.htm\n");
    recent.load(file);
    recent.save(file);
    QCOMPARE(storedSlots(file), QStringList({"/a.htm", "", "", "", "", "", "", "", ""}));

    // An empty list removes the section.
    TRecentFiles empty;
    empty.save(file);
    QVERIFY(!ScratchProgramDir::readFile(dir.settingsPath()).contains("Recent Files"));
}

void RecentFilesTest::addPutsNewPathsOnTopAndLeavesKnownOnesInPlace() {
    TRecentFiles recent;
    recent.add(QStringLiteral("/web/a.htm"));
    recent.add(QStringLiteral("/web/b.htm"));
    QCOMPARE(recent.entries(), withEmptySlots({"/web/b.htm", "/web/a.htm"}));

    // Known in another letter case: nothing moves.
    recent.add(QStringLiteral("/WEB/A.HTM"));
    QCOMPARE(recent.entries(), withEmptySlots({"/web/b.htm", "/web/a.htm"}));

    // The ninth entry drops out when a tenth path arrives; "+" entries move down like paths.
    TRecentFiles full;
    for (int i = 1; i <= 9; ++i)
        full.add(QStringLiteral("/web/%1.htm").arg(i));
    full.add(QStringLiteral("/web/10.htm"));
    QCOMPARE(full.entries().size(), 9);
    QCOMPARE(full.entries().first(), QStringLiteral("/web/10.htm"));
    QCOMPARE(full.entries().last(), QStringLiteral("/web/2.htm"));
    QVERIFY(!full.contains(QStringLiteral("/web/1.htm")));

    ScratchProgramDir dir;
    const TSettingsFile file(dir.settingsPath());
    dir.writeSettings("[Recent Files]\nMRUFile1=/web/x.htm\nMRUFile3=/web/y.htm\n");
    TRecentFiles gapped;
    gapped.load(file);
    gapped.add(QStringLiteral("/web/new.htm"));
    QCOMPARE(gapped.entries(), withEmptySlots({"/web/new.htm", "/web/x.htm", "+", "/web/y.htm"}));
}

QTEST_MAIN(RecentFilesTest)
#include "recent_files_test.moc"
