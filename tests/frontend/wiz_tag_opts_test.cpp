// The compression options assistant: what it shows from the option sections, the write-through
// of each change, the safe and all-options sets, the word-wrap field, the page sequence,
// Escape, help and closing.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "frontend/app_settings.h"
#include "frontend/filegauge.h"
#include "frontend/help_viewer.h"
#include "frontend/settings_file.h"
#include "frontend/wiz_tag_opts.h"
#include "frontend_test_support.h"
#include "toolkit/check_list.h"
#include "toolkit/hint_switch.h"
#include "toolkit/spin_edit.h"

using namespace FrontendTest;

namespace {

const QStringList kTagKeys = {"STRONGtoB",      "EMToI",         "CITEToI",       "ADDRESSToI",
                              "DFNToI",         "CODEToTT",      "SAMPToTT",      "KBDToTT",
                              "StripClosingP",  "StripEmpties",  "StripComments", "StripGenerator",
                              "StripAllMeta",   "ShortSpecials", "NoDTD",         "StripClosingLI",
                              "StandardColors", "ShrinkFontTags"};

// Every option off but for the two rows that decide the optional pages, with fine tuning and
// script values that neither set touches.
constexpr const char* kStartingOptions =
    "[General Options]\nUsedOnce=1\n"
    "[Tag Options]\nSTRONGtoB=0\nEMToI=0\nStripEmpties=0\nStandardColors=0\nShortSpecials=1\n"
    "ShrinkFontTags=1\nMSNSOnly=1\n"
    "[Fine Tuning]\nStandardizeChars=2\nUseISOTag=0\nStripSpaces=1\nOptimizeLines=1\n"
    "WordWrap=120\n"
    "[Script block options]\nScriptEOLs=1\nASPBlocks=0\n";

using Setup = WindowSetup;

TCheckList* list(const TWizTagOpts& wizard, const char* name) {
    return wizard.findChild<TCheckList*>(QLatin1String(name));
}

// A toggle as the list view makes it when the user clicks a row's mark.
void toggleRow(TCheckList* checkList, int row) {
    QListWidgetItem* item = checkList->item(row);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

QList<bool> rowStates(const TCheckList* checkList) {
    QList<bool> states;
    for (int row = 0; row < checkList->count(); ++row)
        states.append(checkList->isRowChecked(row));
    return states;
}

QString nextCaption(const TWizTagOpts& wizard) {
    const QAbstractButton* next = wizard.button(QWizard::NextButton);
    return next->isVisible() ? next->text() : wizard.button(QWizard::FinishButton)->text();
}

// Walks "&Next >" to the end, then "< &Back" to the start, recording the pages.
QList<int> forwardThenBack(TWizTagOpts& wizard) {
    QList<int> pages{wizard.currentId()};
    while (wizard.nextId() != -1) {
        wizard.next();
        pages.append(wizard.currentId());
    }
    while (wizard.button(QWizard::BackButton)->isEnabled()) {
        wizard.back();
        pages.append(wizard.currentId());
    }
    return pages;
}

}  // namespace

class WizTagOptsTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { THelp::closeViewer(); }
    void creationShowsTheStoredOptionsAndWritesNothing();
    void pagesSitUnderTheirIds();
    void eachChangeIsWrittenAtOnce();
    void rows13And17DecideTheOptionalPages();
    void safeOptionsAskFirstAndStoreOnlyTheTagTemplate();
    void safeOptionsShowRow13CheckedUntilTheNextStart();
    void allOptionsLeaveTheHighRiskRowsUnchecked();
    void wordWrapFieldShowsAndStoresByTheLeaveRule();
    void wordWrapFieldFollowsOptimizeLineLengths();
    void escapeClosesOnAnyPageKeepingEveryChange();
    void escapeStepsOnWhenCloseOnEscapeIsOn();
    void helpAndF1OpenTheTopicOfThePageShown();
    void webTemplateBoxIsStoredLikeTheRowsAndFitsTheTagPage();
    void webTemplateBoxDecidesWhatTheJobWrites();
};

void WizTagOptsTest::creationShowsTheStoredOptionsAndWritesNothing() {
    // A switch is shown checked when its key is above 0: 2 counts, -1 and text do not.
    Setup setup(
        "[Tag Options]\nSTRONGtoB=2\nEMToI=-1\nCITEToI=yes\nStripEmpties=1\n"
        "msnsonly=1\n"
        "[Fine Tuning]\nStandardizeChars=3\nUseISOTag=1\nCRLFToLF=1\n"
        "[Script block options]\nScriptComments=1\n");
    const QByteArray before = setup.bytes();
    TWizTagOpts wizard(setup.context, &setup.mainWindow);

    QCOMPARE(wizard.windowTitle(),
             QStringLiteral("Tagsqueeze freeware compression options assistant "));
    QList<bool> tags(18, false);
    tags[0] = tags[9] = true;
    QCOMPARE(rowStates(list(wizard, "tagCheckList")), tags);
    for (int level = 0; level < 6; ++level) {
        QCOMPARE(wizard.findChild<QRadioButton*>(QStringLiteral("entityRadioButton%1").arg(level))
                     ->isChecked(),
                 level == 3);
    }
    QVERIFY(wizard.findChild<QCheckBox*>("isoCheckBox")->isChecked());
    QVERIFY(wizard.findChild<QCheckBox*>("bigSmallCheckBox")->isChecked());
    QCOMPARE(rowStates(list(wizard, "fineTuningCheckList")),
             QList<bool>({false, false, false, false, false, true, false, false}));
    QCOMPARE(rowStates(list(wizard, "scriptCheckList")),
             QList<bool>({false, false, true, false, false}));
    QCOMPARE(wizard.currentId(), int(TWizTagOpts::kTagPage));
    QVERIFY(!wizard.button(QWizard::BackButton)->isEnabled());
    QVERIFY(!wizard.button(QWizard::CancelButton)->isVisible());
    // Opening the assistant hides the main window.
    QVERIFY(!setup.mainWindow.isVisible());
    QCOMPARE(setup.bytes(), before);

    // A stored level outside 0 to 5 leaves every level clear.
    for (const char* level : {"6", "-1"}) {
        setup.file().writeText("Fine Tuning", "StandardizeChars", QLatin1String(level));
        TWizTagOpts other(setup.context, nullptr);
        for (auto* button : other.findChildren<QRadioButton*>())
            QVERIFY(!button->isChecked());
    }
}

void WizTagOptsTest::pagesSitUnderTheirIds() {
    Setup setup(kStartingOptions);
    TWizTagOpts wizard(setup.context, &setup.mainWindow);
    const QList<QPair<int, QString>> headings = {
        {TWizTagOpts::kTagPage, "Tag replacement/removal options"},
        {TWizTagOpts::kEntityPage, "Character entity options"},
        {TWizTagOpts::kFontPage, "Font tag compression options"},
        {TWizTagOpts::kFineTuningPage, "File fine tuning options"},
        {TWizTagOpts::kScriptPage, "Script compression options"},
    };
    for (const auto& [id, heading] : headings) {
        auto* page = qobject_cast<TAssistantPage*>(wizard.page(id));
        QVERIFY(page);
        QCOMPARE(page->headingText(), heading);
    }
    QCOMPARE(list(wizard, "tagCheckList")->count(), 18);
    QCOMPARE(list(wizard, "fineTuningCheckList")->count(), 8);
    QCOMPARE(list(wizard, "scriptCheckList")->count(), 5);

    // Multi-line captions break where their stored "\r\n" stands; "&&" shows one "&".
    QCOMPARE(wizard.findChild<QRadioButton*>("entityRadioButton5")->text(),
             QStringLiteral("&Compress &&nbsp;'s and quotes only\n(don't compress other "
                            "entities)"));
    QCOMPARE(wizard.findChild<QCheckBox*>("isoCheckBox")->text(),
             QStringLiteral("&Insure ISO-8859-1 specification in document\n(add META tag if "
                            "needed)"));
}

void WizTagOptsTest::eachChangeIsWrittenAtOnce() {
    Setup setup(kStartingOptions);
    TWizTagOpts wizard(setup.context, &setup.mainWindow);
    const TSettingsFile file = setup.file();

    toggleRow(list(wizard, "tagCheckList"), 0);
    QCOMPARE(file.readText("Tag Options", "STRONGtoB", 9), QStringLiteral("1"));
    toggleRow(list(wizard, "tagCheckList"), 13);
    QCOMPARE(file.readText("Tag Options", "ShortSpecials", 9), QStringLiteral("0"));
    toggleRow(list(wizard, "fineTuningCheckList"), 3);
    QCOMPARE(file.readText("Fine Tuning", "StripSpaces", 9), QStringLiteral("0"));
    toggleRow(list(wizard, "scriptCheckList"), 4);
    QCOMPARE(file.readText("Script block options", "ASPBlocks", 9), QStringLiteral("1"));

    wizard.findChild<QRadioButton*>("entityRadioButton5")->click();
    QCOMPARE(file.readText("Fine Tuning", "StandardizeChars", 9), QStringLiteral("5"));
    wizard.findChild<QRadioButton*>("entityRadioButton0")->click();
    QCOMPARE(file.readText("Fine Tuning", "StandardizeChars", 9), QStringLiteral("0"));
    wizard.findChild<QCheckBox*>("isoCheckBox")->click();
    QCOMPARE(file.readText("Fine Tuning", "UseISOTag", 9), QStringLiteral("1"));

    // The font box writes the key spelled MSNSonly, which is the stored MSNSOnly entry.
    wizard.findChild<QCheckBox*>("bigSmallCheckBox")->click();
    QCOMPARE(file.readText("Tag Options", "MSNSOnly", 9), QStringLiteral("0"));
    QCOMPARE(setup.bytes().count("MSNS"), 1);

    // Everything went through the copy of the path kept for the option sections.
    setup.context.settings.optionsPath = setup.dir.file("options.ini");
    toggleRow(list(wizard, "tagCheckList"), 1);
    QCOMPARE(TSettingsFile(setup.dir.file("options.ini")).readText("Tag Options", "EMToI", 9),
             QStringLiteral("1"));
    QVERIFY(file.readText("Tag Options", "EMToI", 9) == QStringLiteral("0"));
}

void WizTagOptsTest::rows13And17DecideTheOptionalPages() {
    using W = TWizTagOpts;
    struct Path {
        bool entities, fonts;
        QList<int> pages;
    };
    const Path paths[] = {
        {true,
         true,
         {W::kTagPage, W::kEntityPage, W::kFontPage, W::kFineTuningPage, W::kScriptPage,
          W::kFineTuningPage, W::kFontPage, W::kEntityPage, W::kTagPage}},
        {true,
         false,
         {W::kTagPage, W::kEntityPage, W::kFineTuningPage, W::kScriptPage, W::kFineTuningPage,
          W::kEntityPage, W::kTagPage}},
        {false,
         true,
         {W::kTagPage, W::kFontPage, W::kFineTuningPage, W::kScriptPage, W::kFineTuningPage,
          W::kFontPage, W::kTagPage}},
        {false,
         false,
         {W::kTagPage, W::kFineTuningPage, W::kScriptPage, W::kFineTuningPage, W::kTagPage}},
    };
    for (const Path& path : paths) {
        Setup setup(kStartingOptions);
        TWizTagOpts wizard(setup.context, &setup.mainWindow);
        wizard.show();
        // The rows as the user leaves them on the tag page decide, not the stored keys.
        if (!path.entities) toggleRow(list(wizard, "tagCheckList"), W::kShortSpecialsRow);
        if (!path.fonts) toggleRow(list(wizard, "tagCheckList"), W::kShrinkFontTagsRow);
        QCOMPARE(forwardThenBack(wizard), path.pages);
        QVERIFY(!wizard.button(QWizard::BackButton)->isEnabled());
    }

    // Captions: "&Close" on the script page only, "&Next >" again after going back.
    Setup setup(kStartingOptions);
    TWizTagOpts wizard(setup.context, &setup.mainWindow);
    wizard.show();
    toggleRow(list(wizard, "tagCheckList"), W::kShortSpecialsRow);
    toggleRow(list(wizard, "tagCheckList"), W::kShrinkFontTagsRow);
    wizard.button(QWizard::NextButton)->click();
    QCOMPARE(wizard.currentId(), int(W::kFineTuningPage));
    QVERIFY(wizard.button(QWizard::BackButton)->isEnabled());
    QCOMPARE(nextCaption(wizard), QStringLiteral("&Next >"));
    wizard.button(QWizard::NextButton)->click();
    QCOMPARE(wizard.currentId(), int(W::kScriptPage));
    QCOMPARE(nextCaption(wizard), QStringLiteral("&Close"));
    wizard.button(QWizard::BackButton)->click();
    QCOMPARE(nextCaption(wizard), QStringLiteral("&Next >"));
    wizard.button(QWizard::BackButton)->click();
    QCOMPARE(wizard.currentId(), int(W::kTagPage));
    QVERIFY(!wizard.button(QWizard::BackButton)->isEnabled());

    // "&Close" on the last page closes the assistant and shows the main window again.
    wizard.next();
    wizard.next();
    wizard.button(QWizard::FinishButton)->click();
    QVERIFY(!wizard.isVisible());
    QVERIFY(setup.mainWindow.isVisible());
}

void WizTagOptsTest::safeOptionsAskFirstAndStoreOnlyTheTagTemplate() {
    Setup setup(kStartingOptions);
    TWizTagOpts wizard(setup.context, &setup.mainWindow);
    const QList<bool> shownBefore = rowStates(list(wizard, "tagCheckList"));
    const QByteArray before = setup.bytes();
    MessageRecorder messages;
    auto* safe = wizard.findChild<QPushButton*>("safeOptionsPushButton");

    messages.answers = {false};
    safe->click();
    QCOMPARE(messages.boxes.size(), 1);
    QCOMPARE(messages.boxes[0].kind, TMessageBox::Kind::Question);
    QCOMPARE(messages.boxes[0].caption, QStringLiteral("About to reset all options"));
    QCOMPARE(messages.boxes[0].text,
             QStringLiteral("Reset all options to the \"safe\" optimization set?"));
    QCOMPARE(rowStates(list(wizard, "tagCheckList")), shownBefore);
    QCOMPARE(setup.bytes(), before);

    messages.answers = {true};
    safe->click();
    QList<bool> safeRows(18, false);
    safeRows[9] = safeRows[13] = safeRows[16] = true;
    QCOMPARE(rowStates(list(wizard, "tagCheckList")), safeRows);

    // The file holds the safe tag options...
    const TSettingsFile file = setup.file();
    for (const QString& key : kTagKeys) {
        if (key == QLatin1String("ShortSpecials")) continue;
        const bool on =
            key == QLatin1String("StripEmpties") || key == QLatin1String("StandardColors");
        QCOMPARE(file.readInt("Tag Options", key.toLatin1().constData(), -7), on ? 1 : 0);
    }
    QCOMPARE(file.readInt("Tag Options", "MSNSOnly", -7), 0);
    // ...while the other sections and the other pages keep their earlier values.
    QCOMPARE(file.readInt("Fine Tuning", "StandardizeChars", -7), 2);
    QCOMPARE(file.readInt("Fine Tuning", "UseISOTag", -7), 0);
    QCOMPARE(file.readInt("Fine Tuning", "WordWrap", -7), 120);
    QCOMPARE(file.readInt("Script block options", "ScriptEOLs", -7), 1);
    QCOMPARE(file.readInt("Script block options", "ASPBlocks", -7), 0);
    QVERIFY(wizard.findChild<QRadioButton*>("entityRadioButton2")->isChecked());
    QVERIFY(wizard.findChild<QCheckBox*>("bigSmallCheckBox")->isChecked());
    QCOMPARE(rowStates(list(wizard, "fineTuningCheckList")),
             QList<bool>({false, false, true, true, false, false, false, false}));
    QCOMPARE(rowStates(list(wizard, "scriptCheckList")),
             QList<bool>({false, false, false, true, false}));
}

void WizTagOptsTest::safeOptionsShowRow13CheckedUntilTheNextStart() {
    Setup setup("[Tag Options]\nShortSpecials=0\nShrinkFontTags=0\n[Fine Tuning]\nWordWrap=100\n");
    {
        TWizTagOpts wizard(setup.context, &setup.mainWindow);
        wizard.show();
        QVERIFY(!list(wizard, "tagCheckList")->isRowChecked(TWizTagOpts::kShortSpecialsRow));
        MessageRecorder messages;
        wizard.findChild<QPushButton*>("safeOptionsPushButton")->click();
        QVERIFY(list(wizard, "tagCheckList")->isRowChecked(TWizTagOpts::kShortSpecialsRow));
        wizard.button(QWizard::NextButton)->click();
        QCOMPARE(wizard.currentId(), int(TWizTagOpts::kEntityPage));
        wizard.close();
    }
    // The templates do not know ShortSpecials: the file keeps its 0.
    QCOMPARE(setup.file().readInt("Tag Options", "ShortSpecials", -7), 0);
    TWizTagOpts reopened(setup.context, &setup.mainWindow);
    QVERIFY(!list(reopened, "tagCheckList")->isRowChecked(TWizTagOpts::kShortSpecialsRow));
}

void WizTagOptsTest::allOptionsLeaveTheHighRiskRowsUnchecked() {
    Setup setup(kStartingOptions);
    TWizTagOpts wizard(setup.context, &setup.mainWindow);
    MessageRecorder messages;
    wizard.findChild<QPushButton*>("allOptionsPushButton")->click();
    QVERIFY(messages.boxes.isEmpty());

    QList<bool> allRows(18, true);
    allRows[8] = allRows[14] = false;
    QCOMPARE(rowStates(list(wizard, "tagCheckList")), allRows);
    const TSettingsFile file = setup.file();
    for (const QString& key : kTagKeys) {
        const int expected = key == QLatin1String("ShortSpecials")                     ? 1
                             : key == QLatin1String("StripClosingP") || key == "NoDTD" ? 0
                                                                                       : 1;
        QCOMPARE(file.readInt("Tag Options", key.toLatin1().constData(), -7), expected);
    }
    // The font page is not refreshed although the template stored MSNSOnly=0.
    QCOMPARE(file.readInt("Tag Options", "MSNSOnly", -7), 0);
    QVERIFY(wizard.findChild<QCheckBox*>("bigSmallCheckBox")->isChecked());
    QCOMPARE(file.readInt("Fine Tuning", "StandardizeChars", -7), 2);
}

void WizTagOptsTest::wordWrapFieldShowsAndStoresByTheLeaveRule() {
    Setup setup("[Fine Tuning]\nOptimizeLines=1\nWordWrap=20\n");
    TWizTagOpts wizard(setup.context, &setup.mainWindow);
    wizard.show();
    QVERIFY(activate(&wizard));
    wizard.next();
    QCOMPARE(wizard.currentId(), int(TWizTagOpts::kFineTuningPage));
    auto* field = wizard.findChild<TSpinEdit*>("wordWrapSpinEdit");
    auto* fineTuning = list(wizard, "fineTuningCheckList");
    const TSettingsFile file = setup.file();
    // A stored width below 30 shows as 255, and nothing is written by showing it.
    QCOMPARE(field->text(), QStringLiteral("255"));
    QCOMPARE(file.readText("Fine Tuning", "WordWrap", 9), QStringLiteral("20"));

    // Entering and leaving the field unchanged stores what it shows.
    auto enterAndLeave = [&](const QString& typed) {
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        if (!typed.isNull()) {
            auto* text = field->findChild<QLineEdit*>();
            text->selectAll();
            QTest::keyClick(text, Qt::Key_Backspace);
            QTest::keyClicks(text, typed);
        }
        fineTuning->setFocus();
        QTRY_VERIFY(!field->hasFocus());
    };
    enterAndLeave(QString());
    QCOMPARE(file.readText("Fine Tuning", "WordWrap", 9), QStringLiteral("255"));

    struct Row {
        QString typed;
        QString stored;  // null: the key is removed
    };
    const Row rows[] = {
        {"72", "72"}, {"", QString()},   {"4000", "4000"}, {"29", QString()},
        {"30", "30"}, {"12345", "1234"}, {"6x0", "60"},    {"0", QString()},
    };
    for (const Row& row : rows) {
        enterAndLeave(row.typed);
        QCOMPARE(file.readText("Fine Tuning", "WordWrap", 9), row.stored);
        if (row.stored.isNull()) {
            QCOMPARE(file.readInt("Fine Tuning", "WordWrap", -7), -7);
        }
    }

    // The arrows step by 5 within 30 to 9999.
    field->setFocus();
    field->setText(QStringLiteral("32"));
    QTest::keyClick(field, Qt::Key_Up);
    QCOMPARE(field->text(), QStringLiteral("37"));
    field->setText(QStringLiteral("33"));
    QTest::keyClick(field, Qt::Key_Down);
    QCOMPARE(field->text(), QStringLiteral("30"));
    field->setText(QStringLiteral("9998"));
    QTest::keyClick(field, Qt::Key_Up);
    QCOMPARE(field->text(), QStringLiteral("9999"));
    field->setText(QString());
    QTest::keyClick(field, Qt::Key_Up);
    QCOMPARE(field->text(), QStringLiteral("30"));

    // Closing the assistant from inside the field leaves it.
    field->setText(QStringLiteral("85"));
    QVERIFY(field->hasFocus());
    wizard.done(QDialog::Rejected);
    QCOMPARE(file.readText("Fine Tuning", "WordWrap", 9), QStringLiteral("85"));
}

void WizTagOptsTest::wordWrapFieldFollowsOptimizeLineLengths() {
    Setup setup("[Fine Tuning]\nOptimizeLines=0\nWordWrap=300\n");
    TWizTagOpts wizard(setup.context, &setup.mainWindow);
    auto* field = wizard.findChild<TSpinEdit*>("wordWrapSpinEdit");
    QLabel* fieldLabel = nullptr;
    for (QLabel* candidate : wizard.findChildren<QLabel*>()) {
        if (candidate->buddy() == field) fieldLabel = candidate;
    }
    QVERIFY(fieldLabel);
    QCOMPARE(fieldLabel->text(), QStringLiteral("&Word wrap limit (max. chars. per line):"));
    QCOMPARE(field->text(), QStringLiteral("300"));
    QVERIFY(!field->isEnabled());
    QVERIFY(!fieldLabel->isEnabled());

    auto* fineTuning = list(wizard, "fineTuningCheckList");
    toggleRow(fineTuning, 2);
    QVERIFY(field->isEnabled());
    QVERIFY(fieldLabel->isEnabled());
    QCOMPARE(setup.file().readText("Fine Tuning", "OptimizeLines", 9), QStringLiteral("1"));
    toggleRow(fineTuning, 3);  // another row leaves the field alone
    QVERIFY(field->isEnabled());
    toggleRow(fineTuning, 2);
    QVERIFY(!field->isEnabled());
    QVERIFY(!fieldLabel->isEnabled());
}

void WizTagOptsTest::escapeClosesOnAnyPageKeepingEveryChange() {
    for (int page = TWizTagOpts::kTagPage; page <= TWizTagOpts::kScriptPage; ++page) {
        Setup setup(kStartingOptions);
        THintSwitch::instance()->setOn(true);
        TWizTagOpts wizard(setup.context, &setup.mainWindow);
        wizard.show();
        toggleRow(list(wizard, "tagCheckList"), 0);
        while (wizard.currentId() != page)
            wizard.next();
        toggleRow(list(wizard, "scriptCheckList"), 0);
        QVERIFY(activate(&wizard));
        QTest::keyClick(&wizard, Qt::Key_Escape);
        QVERIFY2(!wizard.isVisible(), qPrintable(QStringLiteral("page %1").arg(page)));
        QCOMPARE(setup.file().readInt("Tag Options", "STRONGtoB", -7), 1);
        QCOMPARE(setup.file().readInt("Script block options", "ScriptSpaces", -7), 1);
        QVERIFY(setup.mainWindow.isVisible());
        QVERIFY(!THintSwitch::instance()->isOn());
    }
}

void WizTagOptsTest::escapeStepsOnWhenCloseOnEscapeIsOn() {
    Setup setup(QByteArray(kStartingOptions).replace("UsedOnce=1\n", "CloseOnEscape=1\n"));
    TWizTagOpts wizard(setup.context, &setup.mainWindow);
    wizard.show();
    QList<int> pages{wizard.currentId()};
    while (wizard.isVisible() && pages.size() < 10) {
        QVERIFY(activate(&wizard));
        QTest::keyClick(&wizard, Qt::Key_Escape);
        if (wizard.isVisible()) pages.append(wizard.currentId());
    }
    QCOMPARE(pages,
             QList<int>({TWizTagOpts::kTagPage, TWizTagOpts::kEntityPage, TWizTagOpts::kFontPage,
                         TWizTagOpts::kFineTuningPage, TWizTagOpts::kScriptPage}));
    QVERIFY(setup.mainWindow.isVisible());
}

void WizTagOptsTest::helpAndF1OpenTheTopicOfThePageShown() {
    Setup setup(kStartingOptions);
    TWizTagOpts wizard(setup.context, &setup.mainWindow);
    wizard.show();
    const int contexts[] = {420000, 421000, 421500, 422000, 423000};
    for (const int context : contexts) {
        wizard.button(QWizard::HelpButton)->click();
        QVERIFY(THelp::viewer());
        QCOMPARE(THelp::viewer()->currentContext(), context);
        THelp::closeViewer();
        QVERIFY(activate(&wizard));
        QTest::keyClick(&wizard, Qt::Key_F1);
        QVERIFY(THelp::viewer());
        QCOMPARE(THelp::viewer()->currentContext(), context);
        THelp::closeViewer();
        if (wizard.nextId() != -1) wizard.next();
    }
}

// The web template's box below the rows: shown from [Web Template] Web, written at each click,
// untouched by the prepared sets; on screen inside the tag page, clear of its other controls
// and wide enough for its caption.
void WizTagOptsTest::webTemplateBoxIsStoredLikeTheRowsAndFitsTheTagPage() {
    Setup setup(QByteArray(kStartingOptions) + "[Web Template]\nWeb=1\n");
    const QByteArray before = setup.bytes();
    TWizTagOpts wizard(setup.context, &setup.mainWindow);
    auto* box = wizard.findChild<QCheckBox*>("webTemplateCheckBox");
    QVERIFY(box);
    QCOMPARE(box->text(), QStringLiteral("Use today's HTML rules (web template)"));
    QVERIFY(box->isChecked());
    QCOMPARE(setup.bytes(), before);

    const TSettingsFile file = setup.file();
    box->click();
    QCOMPARE(file.readText("Web Template", "Web", 9), QStringLiteral("0"));
    MessageRecorder messages;
    messages.answers = {true};
    wizard.findChild<QPushButton*>("safeOptionsPushButton")->click();
    wizard.findChild<QPushButton*>("allOptionsPushButton")->click();
    QVERIFY(!box->isChecked());
    QCOMPARE(file.readText("Web Template", "Web", 9), QStringLiteral("0"));
    box->click();
    QCOMPARE(file.readText("Web Template", "Web", 9), QStringLiteral("1"));

    wizard.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wizard));
    QWidget* page = wizard.page(TWizTagOpts::kTagPage);
    QCOMPARE(box->parentWidget(), page);
    QVERIFY(box->isVisible());
    QVERIFY(page->rect().contains(box->geometry()));
    QVERIFY(box->width() >= box->sizeHint().width());
    int controls = 0;
    for (QWidget* other : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other == box || !other->isVisible()) continue;
        QVERIFY2(!other->geometry().intersects(box->geometry()),
                 qPrintable(other->metaObject()->className()));
        ++controls;
    }
    QVERIFY(controls >= 4);  // list and its label, the two buttons
}

// Ticking the box makes the next job write the web template's output and show its savings;
// unticking it brings back what the options of the assistant write.
void WizTagOptsTest::webTemplateBoxDecidesWhatTheJobWrites() {
    const QByteArray page = "<HTML><BODY><STRONG>bold</STRONG> text</BODY></HTML>";
    Setup setup("[General Options]\nUsedOnce=1\n[Tag Options]\nSTRONGtoB=1\n"
                "[Backup Options]\nOverwritePrompt=0\n");
    MessageRecorder messages;
    const QString document = setup.dir.path() + QStringLiteral("page.htm");
    setup.context.currentDocument = document;
    auto jobWith = [&](bool web) {
        {
            TWizTagOpts wizard(setup.context, &setup.mainWindow);
            auto* box = wizard.findChild<QCheckBox*>("webTemplateCheckBox");
            if (box->isChecked() != web) box->click();
            wizard.close();
        }
        ScratchProgramDir::writeFile(document, page);
        TFilegauge gauge(setup.context, nullptr);
        gauge.runJob();
        return gauge.findChild<QLabel*>("byteSavingsLabel")->text();
    };
    QCOMPARE(jobWith(true), QStringLiteral("26"));
    QCOMPARE(ScratchProgramDir::readFile(document), QByteArray("<strong>bold</strong> text"));
    QCOMPARE(jobWith(false), QStringLiteral("10"));
    QCOMPARE(ScratchProgramDir::readFile(document),
             QByteArray("<HTML><BODY><B>bold</B> text</BODY></HTML>"));
    QVERIFY(messages.boxes.isEmpty());
}

QTEST_MAIN(WizTagOptsTest)
#include "wiz_tag_opts_test.moc"
