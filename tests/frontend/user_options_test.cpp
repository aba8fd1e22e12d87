// The user options assistant: what it shows from the record, the write-through of each change
// into the record and the settings file, the enabling rules, the backup warning, the two
// pickers, the page sequence, help and closing.
#include <QAbstractButton>
#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

#include "frontend/app_settings.h"
#include "frontend/desktop.h"
#include "frontend/help_viewer.h"
#include "frontend/settings_file.h"
#include "frontend/user_options.h"
#include "frontend_test_support.h"
#include "toolkit/ellipsis_edit.h"
#include "toolkit/hint_switch.h"

using namespace FrontendTest;

namespace {

using Setup = WindowSetup;

template <class Control>
Control* control(const TUserOptions& assistant, const char* name) {
    auto* found = assistant.findChild<Control*>(QLatin1String(name));
    if (!found) qWarning("no control %s", name);
    return found;
}

QLabel* labelOf(const TUserOptions& assistant, const QWidget* buddy) {
    for (QLabel* label : assistant.findChildren<QLabel*>()) {
        if (label->buddy() == buddy) return label;
    }
    return nullptr;
}

QString nextCaption(const TUserOptions& assistant) {
    const QAbstractButton* next = assistant.button(QWizard::NextButton);
    return next->isVisible() ? next->text() : assistant.button(QWizard::FinishButton)->text();
}

constexpr const char* kBackupsOffText =
    "WARNING: Backup mode is now disabled and will remain disabled for the remainder of this "
    "session or until backup is re-enabled. If you are compressing the only copy of your current "
    "web, you may be compromising the ability of your HTML authoring tool to load your working "
    "documents.\n\nIt is strongly recommended that you re-enable the backup switch immediately "
    "if you do not have safe copies of the files you wish to compress.";

}  // namespace

class UserOptionsTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { THelp::closeViewer(); }
    void creationShowsTheRecordAndWritesNothing();
    void pagesSitUnderTheirIds();
    void eachChangeWritesTheRecordAndTheSettingsFile();
    void reportControlsFollowTheReportAndAppendBoxes();
    void backupFollowsTheSourceChoiceAndWarnsEachTimeItGoesOff();
    void pickersSetTheEditorAndTheReportName();
    void reportPickerTakesANewFileName();
    void pageSequenceHelpEscapeAndClosing();
};

void UserOptionsTest::creationShowsTheRecordAndWritesNothing() {
    ScratchProgramDir programs;
    const QString editor = programs.file("my editor");
    ScratchProgramDir::writeFile(editor, "#!/bin/sh\n");
    Setup setup(
        "[General Options]\nUsedOnce=1\nExpertMode=1\nBoldFonts=0\nUseExternalEditor=1\n"
        "ExternalEditor=" +
        editor.toUtf8() +
        "\n"
        "[Backup Options]\nCompressSource=1\nCreateBackup=0\nOverwritePrompt=0\n"
        "[Report Options]\nOutputReport=1\nWriteDetailedStats=1\nStatisticsByFile=0\n"
        "AppendReports=1\nLastReport=" +
        programs.file("all.txt").toUtf8() + "\n");
    const QByteArray before = setup.bytes();
    TUserOptions assistant(setup.context, &setup.mainWindow);

    QCOMPARE(assistant.windowTitle(),
             QStringLiteral("Tagsqueeze freeware user options assistant "));
    QVERIFY(!setup.mainWindow.isVisible());
    QVERIFY(control<QCheckBox>(assistant, "expertCheckBox")->isChecked());
    QVERIFY(control<QCheckBox>(assistant, "regularFontsCheckBox")->isChecked());
    QVERIFY(control<QCheckBox>(assistant, "useEditorCheckBox")->isChecked());
    QCOMPARE(control<TEllipsisEdit>(assistant, "editorEdit")->text(), editor);
    QVERIFY(control<QRadioButton>(assistant, "overwriteRadioButton")->isChecked());
    QVERIFY(!control<QRadioButton>(assistant, "targetRadioButton")->isChecked());
    QVERIFY(!control<QCheckBox>(assistant, "backupCheckBox")->isChecked());
    QVERIFY(control<QCheckBox>(assistant, "backupCheckBox")->isEnabled());
    QVERIFY(!control<QCheckBox>(assistant, "promptCheckBox")->isChecked());
    QVERIFY(control<QCheckBox>(assistant, "reportCheckBox")->isChecked());
    QVERIFY(control<QRadioButton>(assistant, "detailedRadioButton")->isChecked());
    QVERIFY(!control<QRadioButton>(assistant, "briefRadioButton")->isChecked());
    QVERIFY(control<QRadioButton>(assistant, "wholeJobRadioButton")->isChecked());
    QVERIFY(control<QCheckBox>(assistant, "appendCheckBox")->isChecked());
    QCOMPARE(control<TEllipsisEdit>(assistant, "reportNameEdit")->text(), programs.file("all.txt"));
    QVERIFY(control<TEllipsisEdit>(assistant, "reportNameEdit")->isEnabled());
    QCOMPARE(assistant.currentId(), int(TUserOptions::kInterfacePage));
    QVERIFY(!assistant.button(QWizard::BackButton)->isEnabled());
    QCOMPARE(assistant.findChild<THintsCheckBox*>("hintsCheckBox")->text(),
             QStringLiteral("&Hints"));
    QCOMPARE(setup.bytes(), before);

    // The opposite settings, and the report name from the program folder when LastReport's
    // folder is gone.
    Setup other(
        "[General Options]\nUsedOnce=1\nUseExternalEditor=0\n"
        "[Backup Options]\nCompressSource=0\n"
        "[Report Options]\nLastReport=/no/such/folder/r.txt\n");
    TUserOptions second(other.context, &other.mainWindow);
    QVERIFY(!control<QCheckBox>(second, "expertCheckBox")->isChecked());
    QVERIFY(!control<QCheckBox>(second, "regularFontsCheckBox")->isChecked());
    QVERIFY(!control<QCheckBox>(second, "useEditorCheckBox")->isChecked());
    QVERIFY(!control<TEllipsisEdit>(second, "editorEdit")->isEnabled());
    QVERIFY(!labelOf(second, control<TEllipsisEdit>(second, "editorEdit"))->isEnabled());
    QVERIFY(control<QRadioButton>(second, "targetRadioButton")->isChecked());
    QVERIFY(control<QCheckBox>(second, "backupCheckBox")->isChecked());
    QVERIFY(!control<QCheckBox>(second, "backupCheckBox")->isEnabled());
    QVERIFY(control<QRadioButton>(second, "briefRadioButton")->isChecked());
    QVERIFY(control<QRadioButton>(second, "eachFileRadioButton")->isChecked());
    QCOMPARE(control<TEllipsisEdit>(second, "reportNameEdit")->text(),
             other.dir.file("optrpt.txt"));
}

void UserOptionsTest::pagesSitUnderTheirIds() {
    Setup setup("[General Options]\nUsedOnce=1\n");
    TUserOptions assistant(setup.context, &setup.mainWindow);
    auto heading = [&](int id) {
        return qobject_cast<TAssistantPage*>(assistant.page(id))->headingText();
    };
    QCOMPARE(heading(TUserOptions::kInterfacePage), QStringLiteral("Interface options"));
    QCOMPARE(heading(TUserOptions::kBackupPage), QStringLiteral("Backup/overwrite options"));
    QCOMPARE(heading(TUserOptions::kReportPage), QStringLiteral("Reporting options"));
    // A caption's stored line break is a line break on screen.
    QCOMPARE(control<QAbstractButton>(assistant, "overwriteRadioButton")->text(),
             QStringLiteral("&Compress source file\n(overwrite source with compressed version)"));
}

void UserOptionsTest::eachChangeWritesTheRecordAndTheSettingsFile() {
    Setup setup("[General Options]\nUsedOnce=1\n");
    // The option sections' copy of the path is not the one these settings go through.
    setup.context.settings.optionsPath = setup.dir.file("options.ini");
    TUserOptions assistant(setup.context, &setup.mainWindow);
    const TAppSettings& record = setup.context.settings;
    const TSettingsFile file = setup.file();
    auto value = [&](const char* section, const char* key) {
        return file.readText(section, key, 9);
    };

    struct Change {
        const char* control;
        const char* section;
        const char* key;
        const char* written;
        std::function<bool()> recordShows;
    };
    const Change changes[] = {
        {"expertCheckBox", "General Options", "ExpertMode", "1", [&] { return record.expertMode; }},
        {"expertCheckBox", "General Options", "ExpertMode", "0",
         [&] { return !record.expertMode; }},
        {"regularFontsCheckBox", "General Options", "BoldFonts", "0",
         [&] { return !record.boldFonts; }},
        {"regularFontsCheckBox", "General Options", "BoldFonts", "1",
         [&] { return record.boldFonts; }},
        {"useEditorCheckBox", "General Options", "UseExternalEditor", "0",
         [&] { return !record.useExternalEditor; }},
        {"targetRadioButton", "Backup Options", "CompressSource", "0",
         [&] { return !record.compressSource; }},
        {"overwriteRadioButton", "Backup Options", "CompressSource", "1",
         [&] { return record.compressSource; }},
        {"promptCheckBox", "Backup Options", "OverwritePrompt", "0",
         [&] { return !record.overwritePrompt; }},
        {"reportCheckBox", "Report Options", "OutputReport", "1",
         [&] { return record.outputReport; }},
        {"detailedRadioButton", "Report Options", "WriteDetailedStats", "1",
         [&] { return !record.briefReport; }},
        {"briefRadioButton", "Report Options", "WriteDetailedStats", "0",
         [&] { return record.briefReport; }},
        {"wholeJobRadioButton", "Report Options", "StatisticsByFile", "0",
         [&] { return !record.statisticsByFile; }},
        {"eachFileRadioButton", "Report Options", "StatisticsByFile", "1",
         [&] { return record.statisticsByFile; }},
        {"appendCheckBox", "Report Options", "AppendReports", "1",
         [&] { return record.appendReports; }},
    };
    MessageRecorder messages;
    for (const Change& change : changes) {
        control<QAbstractButton>(assistant, change.control)->click();
        QCOMPARE(value(change.section, change.key), QLatin1String(change.written));
        QVERIFY2(change.recordShows(), change.control);
    }
    QVERIFY(messages.boxes.isEmpty());
    QVERIFY(!QFile::exists(setup.dir.file("options.ini")));
}

void UserOptionsTest::reportControlsFollowTheReportAndAppendBoxes() {
    Setup setup(
        "[General Options]\nUsedOnce=1\n[Report Options]\nOutputReport=0\nAppendReports=1\n");
    TUserOptions assistant(setup.context, &setup.mainWindow);
    auto* report = control<QCheckBox>(assistant, "reportCheckBox");
    auto* append = control<QCheckBox>(assistant, "appendCheckBox");
    auto* name = control<TEllipsisEdit>(assistant, "reportNameEdit");
    QLabel* nameLabel = labelOf(assistant, name);
    const QList<QAbstractButton*> details = {
        control<QAbstractButton>(assistant, "briefRadioButton"),
        control<QAbstractButton>(assistant, "detailedRadioButton"),
        control<QAbstractButton>(assistant, "wholeJobRadioButton"),
        control<QAbstractButton>(assistant, "eachFileRadioButton"), append};
    auto expectEnabled = [&](bool detailsOn, bool nameOn) {
        for (const QAbstractButton* detail : details)
            QCOMPARE(detail->isEnabled(), detailsOn);
        QCOMPARE(name->isEnabled(), nameOn);
        QCOMPARE(nameLabel->isEnabled(), nameOn);
    };

    // Reports off: everything below is disabled although the append box stays checked.
    QVERIFY(append->isChecked());
    expectEnabled(false, false);
    report->click();
    expectEnabled(true, true);
    append->click();
    expectEnabled(true, false);
    report->click();
    expectEnabled(false, false);
    report->click();
    expectEnabled(true, false);
    append->click();
    expectEnabled(true, true);

    // Turning reports on again shows the report path afresh from the file.
    const QString report2 = setup.dir.file("second.txt");
    setup.file().writeText("Report Options", "LastReport", report2);
    report->click();
    report->click();
    QCOMPARE(name->text(), report2);
}

void UserOptionsTest::backupFollowsTheSourceChoiceAndWarnsEachTimeItGoesOff() {
    Setup setup("[General Options]\nUsedOnce=1\n");
    TUserOptions assistant(setup.context, &setup.mainWindow);
    auto* backup = control<QCheckBox>(assistant, "backupCheckBox");
    MessageRecorder messages;

    for (int round = 1; round <= 2; ++round) {
        backup->click();
        QCOMPARE(setup.file().readText("Backup Options", "CreateBackup", 9), QStringLiteral("0"));
        QVERIFY(!setup.context.settings.createBackup);
        QCOMPARE(messages.boxes.size(), round);
        QCOMPARE(messages.boxes.last().kind, TMessageBox::Kind::Warning);
        QCOMPARE(messages.boxes.last().caption, QStringLiteral("Backups disabled"));
        QCOMPARE(messages.boxes.last().text, QLatin1String(kBackupsOffText));
        // Turning it on again says nothing.
        backup->click();
        QCOMPARE(setup.file().readText("Backup Options", "CreateBackup", 9), QStringLiteral("1"));
        QVERIFY(setup.context.settings.createBackup);
        QCOMPARE(messages.boxes.size(), round);
    }

    control<QRadioButton>(assistant, "targetRadioButton")->click();
    QVERIFY(!backup->isEnabled());
    control<QRadioButton>(assistant, "overwriteRadioButton")->click();
    QVERIFY(backup->isEnabled());
}

void UserOptionsTest::pickersSetTheEditorAndTheReportName() {
    Setup setup(
        "[General Options]\nUsedOnce=1\n[Report Options]\nOutputReport=1\nAppendReports=1\n");
    setup.desktop.textCommand = QStringLiteral("/usr/bin/texteditor ");
    TAppContext context(setup.desktop);
    context.load(setup.dir.path());
    TUserOptions assistant(context, &setup.mainWindow);
    auto* editor = control<TEllipsisEdit>(assistant, "editorEdit");
    auto* report = control<TEllipsisEdit>(assistant, "reportNameEdit");
    QCOMPARE(editor->text(), QStringLiteral("/usr/bin/texteditor "));
    const QByteArray before = setup.bytes();

    // Cancelling either picker changes nothing. The report name has a picker of its own, which
    // starts at the report file.
    setup.desktop.chosenFile.clear();
    editor->ellipsisButton()->click();
    QCOMPARE(setup.desktop.chooserFilters, QStringList({"Executable files (*)", "All files (*)"}));
    report->ellipsisButton()->click();
    QCOMPARE(setup.desktop.chooserTitles,
             QStringList({"Select editor or report browser application:",
                          "Select or name the report file for appended reports:"}));
    QCOMPARE(setup.desktop.chooserFilters, QStringList({"Report files (*.txt)", "All files (*)"}));
    QCOMPARE(setup.desktop.chooserStartDirectories.last(), setup.dir.file("optrpt.txt"));
    QCOMPARE(editor->text(), QStringLiteral("/usr/bin/texteditor "));
    QCOMPARE(report->text(), setup.dir.file("optrpt.txt"));
    QCOMPARE(setup.bytes(), before);

    setup.desktop.chosenFile = QStringLiteral("/opt/tools/edit");
    editor->ellipsisButton()->click();
    QCOMPARE(editor->text(), QStringLiteral("/opt/tools/edit"));
    QCOMPARE(context.settings.editorPath, QStringLiteral("/opt/tools/edit"));
    QCOMPARE(setup.file().readText("General Options", "ExternalEditor", 255),
             QStringLiteral("/opt/tools/edit"));

    setup.desktop.chosenFile = setup.dir.file("reports.txt");
    report->ellipsisButton()->click();
    QCOMPARE(report->text(), setup.dir.file("reports.txt"));
    QCOMPARE(setup.file().readText("Report Options", "LastReport", 255),
             setup.dir.file("reports.txt"));

    // The editor field follows its check box.
    control<QCheckBox>(assistant, "useEditorCheckBox")->click();
    QVERIFY(!editor->isEnabled());
    QVERIFY(!labelOf(assistant, editor)->isEnabled());
    control<QCheckBox>(assistant, "useEditorCheckBox")->click();
    QVERIFY(editor->isEnabled());
}

// The report file need not exist yet: the real dialog takes a name typed into it, and an
// existing report is taken without an overwrite question (reports are added to it).
void UserOptionsTest::reportPickerTakesANewFileName() {
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("optrpt.txt"));
    ScratchProgramDir::writeFile(existing, "old reports\r\n");
    const QStringList filters = {QStringLiteral("Report files (*.txt)")};
    TSystemDesktop desktop;
    for (const QString& wanted : {dir.filePath(QStringLiteral("new report.txt")), existing}) {
        QString shownTitle;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            shownTitle = dialog->windowTitle();
            dialog->selectFile(wanted);
            static_cast<QDialog*>(dialog)->accept();
            // An overwrite question would be the modal window now.
            QTest::qWait(50);
            QVERIFY(!qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
        });
        QCOMPARE(desktop.chooseFileToWrite(nullptr, QStringLiteral("Report?"), filters, existing),
                 wanted);
        QCOMPARE(shownTitle, QStringLiteral("Report?"));
    }
    QCOMPARE(ScratchProgramDir::readFile(existing), QByteArray("old reports\r\n"));
}

void UserOptionsTest::pageSequenceHelpEscapeAndClosing() {
    Setup setup("[General Options]\nUsedOnce=1\n");
    TUserOptions assistant(setup.context, &setup.mainWindow);
    assistant.show();
    const int contexts[] = {20000, 20200, 20100};
    const QString captions[] = {"&Next >", "&Next >", "&Close"};
    for (int id = TUserOptions::kInterfacePage; id <= TUserOptions::kReportPage; ++id) {
        QCOMPARE(assistant.currentId(), id);
        QCOMPARE(assistant.button(QWizard::BackButton)->isEnabled(), id != 0);
        QCOMPARE(nextCaption(assistant), captions[id]);
        assistant.button(QWizard::HelpButton)->click();
        QCOMPARE(THelp::viewer()->currentContext(), contexts[id]);
        THelp::closeViewer();
        QVERIFY(activate(&assistant));
        QTest::keyClick(&assistant, Qt::Key_F1);
        QCOMPARE(THelp::viewer()->currentContext(), contexts[id]);
        THelp::closeViewer();
        if (id < TUserOptions::kReportPage) assistant.button(QWizard::NextButton)->click();
    }
    assistant.button(QWizard::BackButton)->click();
    QCOMPARE(assistant.currentId(), int(TUserOptions::kBackupPage));
    QCOMPARE(nextCaption(assistant), QStringLiteral("&Next >"));

    // Escape closes on any page, keeping what was changed; hints go off, the main window shows.
    control<QCheckBox>(assistant, "promptCheckBox")->click();
    THintSwitch::instance()->setOn(true);
    QVERIFY(activate(&assistant));
    QTest::keyClick(&assistant, Qt::Key_Escape);
    QVERIFY(!assistant.isVisible());
    QCOMPARE(setup.file().readText("Backup Options", "OverwritePrompt", 9), QStringLiteral("0"));
    QVERIFY(setup.mainWindow.isVisible());
    QVERIFY(!THintSwitch::instance()->isOn());

    // With CloseOnEscape, Escape steps on like "&Next >" and closes on the last page.
    Setup stepping("[General Options]\nUsedOnce=1\nCloseOnEscape=1\n");
    TUserOptions second(stepping.context, &stepping.mainWindow);
    second.show();
    QList<int> pages;
    while (second.isVisible() && pages.size() < 5) {
        pages.append(second.currentId());
        QVERIFY(activate(&second));
        QTest::keyClick(&second, Qt::Key_Escape);
    }
    QCOMPARE(pages, QList<int>({0, 1, 2}));
    QVERIFY(!second.isVisible());
    QVERIFY(stepping.mainWindow.isVisible());
}

QTEST_MAIN(UserOptionsTest)
#include "user_options_test.moc"
