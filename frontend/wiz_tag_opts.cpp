// TWizTagOpts: the compression options assistant. Five pages over the option sections of the
// settings file; every change is written there at once.
#include "frontend/wiz_tag_opts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <span>

#include "engine/include/tagsqueeze.h"
#include "frontend/app_settings.h"
#include "frontend/help_viewer.h"
#include "toolkit/captions.h"
#include "toolkit/check_list.h"
#include "toolkit/message_box.h"
#include "toolkit/spin_edit.h"

namespace {

#define WIZ_TEXT(text) QT_TRANSLATE_NOOP("TWizTagOpts", text)

// The option sections the engine reads.
constexpr const char* kTagOptions = TSQZ_SECTION_TAG_OPTIONS;
constexpr const char* kFineTuning = TSQZ_SECTION_FINE_TUNING;
constexpr const char* kScriptOptions = TSQZ_SECTION_SCRIPT_OPTIONS;
// The web template (beyond the tag list): on, jobs run today's HTML rules instead of the
// options of this assistant.
constexpr const char* kWebTemplate = TSQZ_SECTION_WEB_TEMPLATE;
constexpr const char* kWebKey = "Web";

struct OptionRow {
    const char* caption;
    const char* key;
    // Tag page only: checked by "Select safe options"; left unchecked by "Select all options".
    bool inSafeSet = false;
    bool highRisk = false;
};

constexpr OptionRow kTagRows[] = {
    {WIZ_TEXT("<STRONG> to <B>"), "STRONGtoB"},
    {WIZ_TEXT("<EM> to <I>"), "EMToI"},
    {WIZ_TEXT("<CITE> to <I>"), "CITEToI"},
    {WIZ_TEXT("<ADDRESS> to <I>"), "ADDRESSToI"},
    {WIZ_TEXT("<DFN> to <I>"), "DFNToI"},
    {WIZ_TEXT("<CODE> to <TT>"), "CODEToTT"},
    {WIZ_TEXT("<SAMP> to <TT>"), "SAMPToTT"},
    {WIZ_TEXT("<KBD> to <TT>"), "KBDToTT"},
    {WIZ_TEXT("Strip </P> tags **"), "StripClosingP", false, true},
    {WIZ_TEXT("Strip empty/redundant tag pairs"), "StripEmpties", true},
    {WIZ_TEXT("Strip HTML comments"), "StripComments"},
    {WIZ_TEXT("Strip GENERATOR tags"), "StripGenerator"},
    {WIZ_TEXT("Strip unnecessary META tags"), "StripAllMeta"},
    // The front end's own key: the engine never reads it; it only decides whether the
    // character entity page is offered.
    {WIZ_TEXT("Shrink character entities"), "ShortSpecials", true},
    {WIZ_TEXT("Strip DTD tags **"), "NoDTD", false, true},
    {WIZ_TEXT("Strip trailing tags from list items"), "StripClosingLI"},
    {WIZ_TEXT("Standardize color attributes"), "StandardColors", true},
    {WIZ_TEXT("Optimize font tags and attributes"), "ShrinkFontTags"},
};

// Indexed by the entity level StandardizeChars.
constexpr const char* kEntityLevels[] = {
    WIZ_TEXT("&Optimize (not standardize) all char. entities"),
    WIZ_TEXT("Standardize all entities; no exceptions"),
    WIZ_TEXT("Standardize all except &quote characters"),
    WIZ_TEXT("Standardize all except non-breaking spaces (&&nbsp;)"),
    WIZ_TEXT("Standardize all except quotes and &&nbsp;'s"),
    WIZ_TEXT("&Compress &&nbsp;'s and quotes only\r\n(don't compress other entities)"),
};
constexpr const char* kEntityLevelKey = "StandardizeChars";
constexpr const char* kIsoKey = "UseISOTag";
// The same entry as the engine's MSNSOnly: keys match without regard to case.
constexpr const char* kBigSmallKey = "MSNSonly";

constexpr OptionRow kFineTuningRows[] = {
    {WIZ_TEXT("Strip non-HTML content"), "StripNonHTML"},
    {WIZ_TEXT("Remove blank lines"), "StripBlankLines"},
    {WIZ_TEXT("Optimize line lengths"), "OptimizeLines"},
    {WIZ_TEXT("Strip unneeded spaces, tabs"), "StripSpaces"},
    {WIZ_TEXT("Strip unneeded quotes"), "StripQuotes"},
    {WIZ_TEXT("Reduce CR/LF to LF"), "CRLFToLF"},
    {WIZ_TEXT("Optimize script blocks"), "CompressScripts"},
    {WIZ_TEXT("Optimize style sheets"), "CompressStyleSheets"},
};
// The row whose check enables the word-wrap field.
constexpr int kOptimizeLinesRow = 2;

constexpr const char* kWordWrapKey = "WordWrap";
constexpr int kWordWrapMinimum = 30;
constexpr int kWordWrapMaximum = 9999;
constexpr int kWordWrapStep = 5;
constexpr int kWordWrapDigits = 4;
// Shown when the stored width is missing or below the minimum.
constexpr const char* kWordWrapFallback = "255";

constexpr OptionRow kScriptRows[] = {
    {WIZ_TEXT("Strip unneeded spaces, tabs"), "ScriptSpaces"},
    {WIZ_TEXT("Strip unneeded line breaks"), "ScriptLines"},
    {WIZ_TEXT("Strip comments"), "ScriptComments"},
    {WIZ_TEXT("Replace CR/LFs with LFs"), "ScriptEOLs"},
    {WIZ_TEXT("Compress embedded ASP script blocks"), "ASPBlocks"},
};

// The engine's templates that write the "Tag Options" part of the safe or all-options set.
constexpr unsigned char kSafeTagTemplate = 18;
constexpr unsigned char kAllTagTemplate = 19;

constexpr const char* kCaption = WIZ_TEXT("Tagsqueeze freeware compression options assistant ");

constexpr const char* kTagHeading = WIZ_TEXT("Tag replacement/removal options");
constexpr const char* kTagText = WIZ_TEXT(
    "Specify the tag replacement options you want to use as Tagsqueeze defaults. "
    "High-risk options (may slightly alter document appearance) are marked with ** (two "
    "asterisks).");
constexpr const char* kTagListLabel = WIZ_TEXT("&Tag/element compression options:");
constexpr const char* kSafeButton = WIZ_TEXT("Select &safe options");
constexpr const char* kAllButton = WIZ_TEXT("Select &all options");
constexpr const char* kWebCaption = WIZ_TEXT("Use today's HTML rules (web template)");
constexpr const char* kSafeQuestionCaption = WIZ_TEXT("About to reset all options");
constexpr const char* kSafeQuestion =
    WIZ_TEXT("Reset all options to the \"safe\" optimization set?");

constexpr const char* kEntityHeading = WIZ_TEXT("Character entity options");
constexpr const char* kEntityText =
    WIZ_TEXT("Select the character entity options appropriate to the needs of the current web.");
constexpr const char* kIsoCaption =
    WIZ_TEXT("&Insure ISO-8859-1 specification in document\r\n(add META tag if needed)");

constexpr const char* kFontHeading = WIZ_TEXT("Font tag compression options");
constexpr const char* kFontText = WIZ_TEXT(
    "Specify the font tag compression options you want to use as Tagsqueeze defaults. "
    "Use the online help as a guide to selecting appropriate settings. (Currently only "
    "the one option is available.)");
constexpr const char* kFontLabel = WIZ_TEXT("Netscape-/Internet Explorer-specific options:");
constexpr const char* kBigSmallCaption = WIZ_TEXT("&Use <BIG>/<SMALL> tags where applicable");

constexpr const char* kFineTuningHeading = WIZ_TEXT("File fine tuning options");
constexpr const char* kFineTuningText = WIZ_TEXT(
    "Select the compression options to apply to the non-HTML characteristics of this web:");
constexpr const char* kFineTuningListLabel = WIZ_TEXT("&Document fine tuning options:");
constexpr const char* kWordWrapLabel = WIZ_TEXT("&Word wrap limit (max. chars. per line):");

constexpr const char* kScriptHeading = WIZ_TEXT("Script compression options");
constexpr const char* kScriptText = WIZ_TEXT(
    "Select the compression options to apply to script blocks found in your HTML "
    "documents. These options are only executed when script compression is enabled.");
constexpr const char* kScriptListLabel = WIZ_TEXT("&Script block compression options:");

// Balloon hints of the controls.
constexpr const char* kTagListHint = WIZ_TEXT(
    "Each checked row is applied to every document compressed from now on. Rows marked ** may "
    "change how a page looks.");
constexpr const char* kSafeHint =
    WIZ_TEXT("Sets the rows of this page to the safe set and stores it at once.");
constexpr const char* kAllHint = WIZ_TEXT(
    "Checks every row of this page except the two high-risk ones and stores them at once.");
constexpr const char* kWebHint = WIZ_TEXT(
    "Compresses with the rules of today's HTML instead of the options of this assistant, "
    "leaving what browsers show as it was; the other options are kept for when it is off.");
constexpr const char* kEntityHint =
    WIZ_TEXT("How named character entities are rewritten in compressed documents.");
constexpr const char* kIsoHint =
    WIZ_TEXT("Adds a META tag declaring the ISO-8859-1 character set when a document has none.");
constexpr const char* kBigSmallHint =
    WIZ_TEXT("Writes one-step font size changes as <BIG> or <SMALL> elements, which are shorter.");
constexpr const char* kFineTuningListHint =
    WIZ_TEXT("Options for line ends, spacing, blank lines and the length of lines.");
constexpr const char* kWordWrapHint = WIZ_TEXT(
    "The longest line that \"Optimize line lengths\" builds; from 30 to 9999 characters. An "
    "empty field or a smaller number leaves the width to the compressor's default.");
constexpr const char* kScriptListHint =
    WIZ_TEXT("Options applied to script and ASP code blocks when script compression is on.");

QString wizText(const char* text) { return QCoreApplication::translate("TWizTagOpts", text); }

QString flagText(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

// A label above a check list of option rows, each checked when its key is above 0 and each
// user toggle written through to the row's key at once.
TCheckList* addOptionList(TAssistantPage* page, QVBoxLayout* layout, const char* label,
                          const char* hint, const char* section, std::span<const OptionRow> rows,
                          TAppContext& context) {
    auto* listLabel = new QLabel(wizText(label), page);
    auto* list = new TCheckList(page);
    listLabel->setBuddy(list);
    list->setToolTip(wizText(hint));
    const TSettingsFile file = context.optionsFile();
    for (const OptionRow& row : rows)
        list->addRow(wizText(row.caption), file.readInt(section, row.key, 0) > 0);
    // Tall enough for every row without a scroll bar.
    list->setMinimumHeight(list->sizeHintForRow(0) * list->count() + 2 * list->frameWidth());
    QObject::connect(list, &TCheckList::rowToggled, page,
                     [&context, section, rows](int row, bool checked) {
                         context.optionsFile().writeText(section, rows[row].key, flagText(checked));
                     });
    layout->addWidget(listLabel);
    layout->addWidget(list);
    return list;
}

// A check box shown from its key and written through at each user change.
QCheckBox* addOptionCheckBox(TAssistantPage* page, QVBoxLayout* layout, const char* caption,
                             const char* hint, const char* section, const char* key,
                             TAppContext& context) {
    auto* box = new QCheckBox(multiLineCaption(wizText(caption)), page);
    box->setToolTip(wizText(hint));
    box->setChecked(context.optionsFile().readInt(section, key, 0) > 0);
    QObject::connect(box, &QCheckBox::clicked, page, [&context, section, key](bool checked) {
        context.optionsFile().writeText(section, key, flagText(checked));
    });
    layout->addWidget(box);
    return box;
}

}  // namespace

TagOptionsPage::TagOptionsPage(TAppContext& context, QWidget* parent)
    : TAssistantPage(wizText(kTagHeading), wizText(kTagText), parent), appContext(context) {
    tagCheckList = addOptionList(this, pageLayout(), kTagListLabel, kTagListHint, kTagOptions,
                                 kTagRows, context);
    tagCheckList->setObjectName(QStringLiteral("tagCheckList"));

    auto* safePushButton = new QPushButton(wizText(kSafeButton), this);
    safePushButton->setObjectName(QStringLiteral("safeOptionsPushButton"));
    safePushButton->setToolTip(wizText(kSafeHint));
    auto* allPushButton = new QPushButton(wizText(kAllButton), this);
    allPushButton->setObjectName(QStringLiteral("allOptionsPushButton"));
    allPushButton->setToolTip(wizText(kAllHint));
    connect(safePushButton, &QPushButton::clicked, this, &TagOptionsPage::selectSafeOptions);
    connect(allPushButton, &QPushButton::clicked, this, &TagOptionsPage::selectAllOptions);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(safePushButton);
    buttonRow->addWidget(allPushButton);
    buttonRow->addStretch(1);
    pageLayout()->addLayout(buttonRow);

    // Stored like the rows; neither prepared set touches it.
    addOptionCheckBox(this, pageLayout(), kWebCaption, kWebHint, kWebTemplate, kWebKey, context)
        ->setObjectName(QStringLiteral("webTemplateCheckBox"));
}

bool TagOptionsPage::isRowChecked(int row) const { return tagCheckList->isRowChecked(row); }

// Both sets are stored by the engine's template, not by the rows: setting a row here writes
// nothing of its own, so ShortSpecials keeps its stored value (the templates do not know it)
// and the other pages keep showing what they showed.
void TagOptionsPage::selectSafeOptions() {
    if (!TMessageBox::question(wizText(kSafeQuestionCaption), wizText(kSafeQuestion), this)) return;
    for (int row = 0; row < std::ssize(kTagRows); ++row)
        tagCheckList->setRowChecked(row, kTagRows[row].inSafeSet);
    WriteSwitchTemplate(QFile::encodeName(appContext.settings.optionsPath).constData(),
                        kSafeTagTemplate);
}

void TagOptionsPage::selectAllOptions() {
    for (int row = 0; row < std::ssize(kTagRows); ++row)
        tagCheckList->setRowChecked(row, !kTagRows[row].highRisk);
    WriteSwitchTemplate(QFile::encodeName(appContext.settings.optionsPath).constData(),
                        kAllTagTemplate);
}

EntityOptionsPage::EntityOptionsPage(TAppContext& context, QWidget* parent)
    : TAssistantPage(wizText(kEntityHeading), wizText(kEntityText), parent),
      levelButtonGroup(new QButtonGroup(this)) {
    // A stored level outside the six leaves every button clear.
    const int storedLevel = context.optionsFile().readInt(kFineTuning, kEntityLevelKey, 0);
    for (int level = 0; level < std::ssize(kEntityLevels); ++level) {
        auto* button = new QRadioButton(multiLineCaption(wizText(kEntityLevels[level])), this);
        button->setObjectName(QStringLiteral("entityRadioButton%1").arg(level));
        button->setToolTip(wizText(kEntityHint));
        button->setChecked(level == storedLevel);
        levelButtonGroup->addButton(button, level);
        pageLayout()->addWidget(button);
    }
    connect(levelButtonGroup, &QButtonGroup::idClicked, this, [&context](int level) {
        context.optionsFile().writeInt(kFineTuning, kEntityLevelKey, level);
    });
    pageLayout()->addSpacing(8);
    isoCheckBox =
        addOptionCheckBox(this, pageLayout(), kIsoCaption, kIsoHint, kFineTuning, kIsoKey, context);
    isoCheckBox->setObjectName(QStringLiteral("isoCheckBox"));
    pageLayout()->addStretch(1);
}

FontOptionsPage::FontOptionsPage(TAppContext& context, QWidget* parent)
    : TAssistantPage(wizText(kFontHeading), wizText(kFontText), parent) {
    pageLayout()->addWidget(new QLabel(wizText(kFontLabel), this));
    bigSmallCheckBox = addOptionCheckBox(this, pageLayout(), kBigSmallCaption, kBigSmallHint,
                                         kTagOptions, kBigSmallKey, context);
    bigSmallCheckBox->setObjectName(QStringLiteral("bigSmallCheckBox"));
    pageLayout()->addStretch(1);
}

FineTuningPage::FineTuningPage(TAppContext& context, QWidget* parent)
    : TAssistantPage(wizText(kFineTuningHeading), wizText(kFineTuningText), parent),
      appContext(context),
      wordWrapLabel(new QLabel(wizText(kWordWrapLabel), this)),
      wordWrapSpinEdit(new TSpinEdit(this)) {
    fineTuningCheckList = addOptionList(this, pageLayout(), kFineTuningListLabel,
                                        kFineTuningListHint, kFineTuning, kFineTuningRows, context);
    fineTuningCheckList->setObjectName(QStringLiteral("fineTuningCheckList"));

    wordWrapSpinEdit->setObjectName(QStringLiteral("wordWrapSpinEdit"));
    wordWrapSpinEdit->setToolTip(wizText(kWordWrapHint));
    wordWrapSpinEdit->setRange(kWordWrapMinimum, kWordWrapMaximum);
    wordWrapSpinEdit->setSingleStep(kWordWrapStep);
    wordWrapSpinEdit->setMaxDigits(kWordWrapDigits);
    wordWrapLabel->setBuddy(wordWrapSpinEdit);
    // A stored width above the field's range shows as the largest it can hold.
    const int stored = context.optionsFile().readInt(kFineTuning, kWordWrapKey, 0);
    wordWrapSpinEdit->setText(stored >= kWordWrapMinimum
                                  ? QString::number(std::min(stored, kWordWrapMaximum))
                                  : QLatin1String(kWordWrapFallback));
    enableWordWrap(fineTuningCheckList->isRowChecked(kOptimizeLinesRow));
    connect(fineTuningCheckList, &TCheckList::rowToggled, this, [this](int row, bool checked) {
        if (row == kOptimizeLinesRow) enableWordWrap(checked);
    });
    connect(wordWrapSpinEdit, &TSpinEdit::editingFinished, this, &FineTuningPage::commitWordWrap);

    auto* wordWrapRow = new QHBoxLayout;
    wordWrapRow->addWidget(wordWrapLabel);
    wordWrapRow->addWidget(wordWrapSpinEdit);
    wordWrapRow->addStretch(1);
    pageLayout()->addLayout(wordWrapRow);
}

void FineTuningPage::enableWordWrap(bool enabled) {
    wordWrapLabel->setEnabled(enabled);
    wordWrapSpinEdit->setEnabled(enabled);
}

bool FineTuningPage::isEditingWordWrap() const { return wordWrapSpinEdit->hasFocus(); }

// The width is stored as typed; without a usable one the key goes, and the engine then uses
// its own default width.
void FineTuningPage::commitWordWrap() {
    const TSettingsFile file = appContext.optionsFile();
    const QString typed = wordWrapSpinEdit->text();
    if (!typed.isEmpty() && wordWrapSpinEdit->value() >= kWordWrapMinimum) {
        file.writeText(kFineTuning, kWordWrapKey, typed);
    } else {
        file.removeKey(kFineTuning, kWordWrapKey);
    }
}

ScriptOptionsPage::ScriptOptionsPage(TAppContext& context, QWidget* parent)
    : TAssistantPage(wizText(kScriptHeading), wizText(kScriptText), parent) {
    addOptionList(this, pageLayout(), kScriptListLabel, kScriptListHint, kScriptOptions,
                  kScriptRows, context)
        ->setObjectName(QStringLiteral("scriptCheckList"));
}

TWizTagOpts::TWizTagOpts(TAppContext& context, QWidget* mainWindow)
    : TAssistant(context, mainWindow),
      tagPage(new TagOptionsPage(context, this)),
      fineTuningPage(new FineTuningPage(context, this)) {
    setObjectName(QStringLiteral("wizTagOpts"));
    setWindowTitle(wizText(kCaption));
    addPage(kTagPage, tagPage, HelpContext::kTagOptions);
    addPage(kEntityPage, new EntityOptionsPage(context, this), HelpContext::kEntityOptions);
    addPage(kFontPage, new FontOptionsPage(context, this), HelpContext::kFontOptions);
    addPage(kFineTuningPage, fineTuningPage, HelpContext::kFineTuning);
    addPage(kScriptPage, new ScriptOptionsPage(context, this), HelpContext::kScriptOptions);
    finishCreation();
}

int TWizTagOpts::nextId() const {
    const bool entities = tagPage->isRowChecked(kShortSpecialsRow);
    const bool fonts = tagPage->isRowChecked(kShrinkFontTagsRow);
    switch (currentId()) {
        case kTagPage:
            return entities ? kEntityPage : fonts ? kFontPage : kFineTuningPage;
        case kEntityPage:
            return fonts ? kFontPage : kFineTuningPage;
        case kFontPage:
            return kFineTuningPage;
        case kFineTuningPage:
            return kScriptPage;
        default:
            return -1;
    }
}

// Closing while the word-wrap field has the focus leaves the field.
void TWizTagOpts::commitPendingEdits() {
    if (fineTuningPage->isEditingWordWrap()) fineTuningPage->commitWordWrap();
}
