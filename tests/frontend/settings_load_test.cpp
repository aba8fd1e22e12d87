// Loading Tagsqueeze.ini at start-up: defaults, the "taken as" rules, dropped paths, the
// editor path and the rebuilding of a missing file.
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QtTest>

#include "frontend/app_settings.h"
#include "frontend/help_viewer.h"
#include "frontend/main_mnu.h"
#include "frontend/settings_file.h"
#include "frontend_test_support.h"

using namespace FrontendTest;

namespace {

constexpr const char* kOptionSectionsOnly =
    "[Tag Options]\nSTRONGtoB=1\nStripEmpties=1\n"
    "[Fine Tuning]\nStandardizeChars=4\nWordWrap=254\n"
    "[Script block options]\nASPBlocks=1\n";

struct FlagRow {
    const char* settings;
    bool TAppSettings::*field;
    bool expected;
};

// Flags "on when exactly 1" treat 2 as off; flags "on when greater than 0" take any positive.
const FlagRow kFlagRows[] = {
    {"[General Options]\nBoldFonts=2\n", &TAppSettings::boldFonts, false},
    {"[General Options]\nBoldFonts=0\n", &TAppSettings::boldFonts, false},
    {"[General Options]\nExpertMode=1\n", &TAppSettings::expertMode, true},
    {"[General Options]\nExpertMode=2\n", &TAppSettings::expertMode, false},
    {"[General Options]\nCloseOnEscape=1\n", &TAppSettings::closeOnEscape, true},
    {"[General Options]\nShowPreviewDlg=0\n", &TAppSettings::showPreviewDlg, false},
    {"[General Options]\nShowPreviewDlg=7\n", &TAppSettings::showPreviewDlg, true},
    {"[General Options]\nUseExternalEditor=0\n", &TAppSettings::useExternalEditor, false},
    {"[General Options]\nUseExternalEditor=3\n", &TAppSettings::useExternalEditor, true},
    {"[Backup Options]\nCompressSource=2\n", &TAppSettings::compressSource, false},
    {"[Backup Options]\nCreateBackup=0\n", &TAppSettings::createBackup, false},
    {"[Backup Options]\nOverwritePrompt=2\n", &TAppSettings::overwritePrompt, false},
    {"[Report Options]\nOutputReport=2\n", &TAppSettings::outputReport, true},
    {"[Report Options]\nOutputReport=-1\n", &TAppSettings::outputReport, false},
    {"[Report Options]\nWriteDetailedStats=1\n", &TAppSettings::briefReport, false},
    {"[Report Options]\nWriteDetailedStats=0\n", &TAppSettings::briefReport, true},
    {"[Report Options]\nStatisticsByFile=0\n", &TAppSettings::statisticsByFile, false},
    {"[Report Options]\nAppendReports=5\n", &TAppSettings::appendReports, true},
    {"[Report Options]\nBrowseReportPrompt=0\n", &TAppSettings::browseReportPrompt, false},
    {"[Settings]\nRecycleFiles=2\n", &TAppSettings::recycleFiles, false},
    // Section and key names match without regard to case.
    {"[general options]\nexpertmode=1\n", &TAppSettings::expertMode, true},
};

}  // namespace

class SettingsLoadTest : public QObject {
    Q_OBJECT

  private slots:
    void optionSectionsOnlyGiveEveryDefault();
    void flagsFollowTheirTakenAsRules();
    void boldFontsTwoGivesRegularFonts();
    void missingPathsAreDropped();
    void editorPathFallsBackToTheTextOpenCommand();
    void helpFileSitsBesideTheSettingsFile();
    void missingSettingsFileIsRebuiltWithTheSafeTemplate();
};

void SettingsLoadTest::optionSectionsOnlyGiveEveryDefault() {
    ScratchProgramDir dir;
    dir.writeSettings(kOptionSectionsOnly);
    MessageRecorder messages;
    FakeDesktop desktop;
    TAppContext context(desktop);
    TMainMnu window(context);

    const TAppSettings& settings = context.settings;
    QCOMPARE(settings.settingsPath, dir.settingsPath());
    QCOMPARE(settings.optionsPath, dir.settingsPath());
    QVERIFY(settings.createBackup);
    QVERIFY(settings.compressSource);
    QVERIFY(settings.overwritePrompt);
    QVERIFY(!settings.outputReport);
    QVERIFY(settings.briefReport);
    QVERIFY(settings.statisticsByFile);
    QVERIFY(!settings.appendReports);
    QVERIFY(settings.boldFonts);
    QVERIFY(!settings.expertMode);
    QVERIFY(!settings.closeOnEscape);
    QVERIFY(settings.showPreviewDlg);
    QVERIFY(settings.useExternalEditor);
    QVERIFY(settings.browseReportPrompt);
    QVERIFY(settings.recycleFiles);
    QVERIFY(settings.defaultBrowser.isEmpty());
    QVERIFY(!context.usedOnce);
    QVERIFY(context.currentDocument.isEmpty());
    QVERIFY(context.outputDirectory.isEmpty());
    for (const QString& entry : context.recentFiles.entries())
        QCOMPARE(entry, QStringLiteral("+"));

    // The window shows the same defaults: no document, no output folder, bold type, centred.
    QCOMPARE(window.findChild<QLineEdit*>("documentLineEdit")->text(),
             QStringLiteral("(none selected)"));
    QVERIFY(window.findChild<QLineEdit*>("outputDirLineEdit")->text().isEmpty());
    QVERIFY(window.font().bold());
    const QSize screen = window.screen()->geometry().size();
    QCOMPARE(window.pos(), QPoint((screen.width() - window.width()) / 2,
                                  (screen.height() - window.height()) / 2));

    // Loading reads only: no message, and the file is as it was.
    QVERIFY(messages.boxes.isEmpty());
    QCOMPARE(ScratchProgramDir::readFile(dir.settingsPath()), QByteArray(kOptionSectionsOnly));
}

void SettingsLoadTest::flagsFollowTheirTakenAsRules() {
    for (const FlagRow& row : kFlagRows) {
        ScratchProgramDir dir;
        dir.writeSettings(row.settings);
        FakeDesktop desktop;
        TAppContext context(desktop);
        context.load(dir.path());
        QVERIFY2(context.settings.*row.field == row.expected, row.settings);
    }

    ScratchProgramDir dir;
    FakeDesktop desktop;
    TAppContext context(desktop);
    dir.writeSettings("[General Options]\nUsedOnce=2\n");
    context.load(dir.path());
    QVERIFY(!context.usedOnce);
    dir.writeSettings("[General Options]\nUsedOnce=1\n");
    context.load(dir.path());
    QVERIFY(context.usedOnce);
}

void SettingsLoadTest::boldFontsTwoGivesRegularFonts() {
    ScratchProgramDir dir;
    FakeDesktop desktop;

    dir.writeSettings("[General Options]\nUsedOnce=1\nBoldFonts=2\n");
    TAppContext regularContext(desktop);
    TMainMnu regularWindow(regularContext);
    QVERIFY(!regularWindow.font().bold());
    QVERIFY(!regularWindow.findChild<QLineEdit*>("documentLineEdit")->font().bold());

    dir.writeSettings("[General Options]\nUsedOnce=1\nBoldFonts=1\n");
    TAppContext boldContext(desktop);
    TMainMnu boldWindow(boldContext);
    QVERIFY(boldWindow.font().bold());
    QVERIFY(boldWindow.findChild<QLineEdit*>("documentLineEdit")->font().bold());
}

void SettingsLoadTest::missingPathsAreDropped() {
    ScratchProgramDir dir;
    const QString document = dir.file("page.htm");
    const QString folder = dir.file("out");
    ScratchProgramDir::writeFile(document, "<html></html>");
    QVERIFY(QDir().mkdir(folder));
    FakeDesktop desktop;

    // Existing paths are kept.
    dir.writeSettings("[General Options]\nLastCompressedFile=" + document.toUtf8() +
                      "\nOutputDirectory=" + folder.toUtf8() + "\n");
    TAppContext kept(desktop);
    kept.load(dir.path());
    QCOMPARE(kept.currentDocument, document);
    QCOMPARE(kept.outputDirectory, folder);

    // A document that is a folder, an output folder that is a file: both dropped.
    dir.writeSettings("[General Options]\nLastCompressedFile=" + folder.toUtf8() +
                      "\nOutputDirectory=" + document.toUtf8() + "\n");
    TAppContext swapped(desktop);
    swapped.load(dir.path());
    QVERIFY(swapped.currentDocument.isEmpty());
    QVERIFY(swapped.outputDirectory.isEmpty());

    // A deleted document and a deleted folder leave no current document and no output folder,
    // and the window shows "(none selected)".
    dir.writeSettings("[General Options]\nUsedOnce=1\nLastCompressedFile=" + document.toUtf8() +
                      "\nOutputDirectory=" + folder.toUtf8() + "\n");
    QVERIFY(QFile::remove(document));
    QVERIFY(QDir().rmdir(folder));
    TAppContext deleted(desktop);
    TMainMnu window(deleted);
    QVERIFY(deleted.currentDocument.isEmpty());
    QVERIFY(deleted.outputDirectory.isEmpty());
    QCOMPARE(window.findChild<QLineEdit*>("documentLineEdit")->text(),
             QStringLiteral("(none selected)"));
}

void SettingsLoadTest::editorPathFallsBackToTheTextOpenCommand() {
    ScratchProgramDir dir;
    const QString editor = dir.file("my editor");
    ScratchProgramDir::writeFile(editor, "#!/bin/sh\n");
    FakeDesktop desktop;
    desktop.textCommand = QStringLiteral("texteditor --new-window ");

    dir.writeSettings("[General Options]\nExternalEditor=" + editor.toUtf8() + "\n");
    TAppContext preferred(desktop);
    preferred.load(dir.path());
    QCOMPARE(preferred.settings.editorPath, editor);

    // A deleted preferred editor gives the system's command, trailing blank included.
    dir.writeSettings("[General Options]\nExternalEditor=" + dir.file("gone").toUtf8() + "\n");
    TAppContext deleted(desktop);
    deleted.load(dir.path());
    QCOMPARE(deleted.settings.editorPath, QStringLiteral("texteditor --new-window "));

    dir.writeSettings("[Tag Options]\n");
    TAppContext unset(desktop);
    unset.load(dir.path());
    QCOMPARE(unset.settings.editorPath, QStringLiteral("texteditor --new-window "));

    // With the preferred editor switched off the field stays empty.
    dir.writeSettings("[General Options]\nUseExternalEditor=0\nExternalEditor=" + editor.toUtf8() +
                      "\n");
    TAppContext off(desktop);
    off.load(dir.path());
    QVERIFY(off.settings.editorPath.isEmpty());
}

void SettingsLoadTest::helpFileSitsBesideTheSettingsFile() {
    ScratchProgramDir dir;
    dir.writeSettings(kOptionSectionsOnly);
    FakeDesktop desktop;
    TAppContext context(desktop);
    context.load(dir.path());
    QCOMPARE(context.helpFilePath, dir.file("Tagsqueeze.hlp"));
    QCOMPARE(THelp::helpFile(), dir.file("Tagsqueeze.hlp"));
    QCOMPARE(context.settings.helpMacroPath, dir.file("Tagsqueeze.hlp"));
    QCOMPARE(context.programDirectory(), dir.path());
}

void SettingsLoadTest::missingSettingsFileIsRebuiltWithTheSafeTemplate() {
    ScratchProgramDir dir;
    MessageRecorder messages;
    FakeDesktop desktop;
    TAppContext context(desktop);
    context.load(dir.path());

    QCOMPARE(messages.boxes.size(), 1);
    QCOMPARE(messages.boxes[0].kind, TMessageBox::Kind::Information);
    QCOMPARE(messages.boxes[0].caption, QStringLiteral("Default Tagsqueeze.ini created"));
    QCOMPARE(messages.boxes[0].text,
             QStringLiteral("No Tagsqueeze.ini file found (either first-time use or .ini file "
                            "erased). Tagsqueeze.ini has been rebuilt using the safe optimization "
                            "parameter set."));

    // The safe option set, as the engine reads it back.
    const TSettingsFile file(dir.settingsPath());
    QVERIFY(file.exists());
    QCOMPARE(file.readInt("Tag Options", "StripEmpties", -1), 1);
    QCOMPARE(file.readInt("Tag Options", "StandardColors", -1), 1);
    QCOMPARE(file.readInt("Tag Options", "STRONGtoB", -1), 0);
    QCOMPARE(file.readInt("Tag Options", "NoDTD", -1), 0);
    QCOMPARE(file.readInt("Fine Tuning", "StandardizeChars", -1), 4);
    QCOMPARE(file.readInt("Fine Tuning", "WordWrap", -1), 254);
    QCOMPARE(file.readInt("Script block options", "ASPBlocks", -1), 1);
    QCOMPARE(file.readInt("Script block options", "ScriptEOLs", -1), 0);

    // Only option sections were written, so every front-end setting took its default.
    QCOMPARE(file.readText("General Options", "UsedOnce", 10), QString());
    QVERIFY(!context.usedOnce);
    QVERIFY(context.settings.compressSource);
    QVERIFY(context.settings.createBackup);
    QVERIFY(!context.settings.outputReport);

    // A second start finds the file and says nothing.
    TAppContext again(desktop);
    again.load(dir.path());
    QCOMPARE(messages.boxes.size(), 1);
}

QTEST_MAIN(SettingsLoadTest)
#include "settings_load_test.moc"
