// Loading the settings record and the values beside it from Tagsqueeze.ini.
#include "frontend/app_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "engine/include/tagsqueeze.h"
#include "frontend/desktop.h"
#include "frontend/help_viewer.h"
#include "toolkit/message_box.h"

namespace {

// How a stored integer turns into an on/off setting.
enum class Rule {
    kExactlyOne,  // any other number, 2 included, is off
    kGreaterThanZero,
};

struct FlagKey {
    const char* section;
    const char* key;
    int32_t defaultValue;
    Rule rule;
    bool TAppSettings::*field;
    bool inverted;  // the record keeps the opposite of the key
};

// The record's switches in the order the settings file is read.
constexpr FlagKey kFlagKeys[] = {
    {Ini::kGeneralOptions, Ini::kCloseOnEscape, 0, Rule::kExactlyOne, &TAppSettings::closeOnEscape,
     false},
    {Ini::kGeneralOptions, Ini::kExpertMode, 0, Rule::kExactlyOne, &TAppSettings::expertMode,
     false},
    {Ini::kGeneralOptions, Ini::kShowPreviewDlg, 1, Rule::kGreaterThanZero,
     &TAppSettings::showPreviewDlg, false},
    {Ini::kGeneralOptions, Ini::kUseExternalEditor, 1, Rule::kGreaterThanZero,
     &TAppSettings::useExternalEditor, false},
    {Ini::kGeneralOptions, Ini::kBoldFonts, 1, Rule::kExactlyOne, &TAppSettings::boldFonts, false},
    {Ini::kBackupOptions, Ini::kCreateBackup, 1, Rule::kExactlyOne, &TAppSettings::createBackup,
     false},
    {Ini::kBackupOptions, Ini::kCompressSource, 1, Rule::kExactlyOne, &TAppSettings::compressSource,
     false},
    {Ini::kBackupOptions, Ini::kOverwritePrompt, 1, Rule::kExactlyOne,
     &TAppSettings::overwritePrompt, false},
    {Ini::kReportOptions, Ini::kBrowseReportPrompt, 1, Rule::kGreaterThanZero,
     &TAppSettings::browseReportPrompt, false},
    {Ini::kReportOptions, Ini::kWriteDetailedStats, 0, Rule::kGreaterThanZero,
     &TAppSettings::briefReport, true},
    {Ini::kReportOptions, Ini::kOutputReport, 0, Rule::kGreaterThanZero,
     &TAppSettings::outputReport, false},
    {Ini::kReportOptions, Ini::kStatisticsByFile, 1, Rule::kGreaterThanZero,
     &TAppSettings::statisticsByFile, false},
    {Ini::kReportOptions, Ini::kAppendReports, 0, Rule::kGreaterThanZero,
     &TAppSettings::appendReports, false},
    {Ini::kSettings, Ini::kRecycleFiles, 1, Rule::kExactlyOne, &TAppSettings::recycleFiles, false},
};

bool isOn(int32_t value, Rule rule) { return rule == Rule::kExactlyOne ? value == 1 : value > 0; }

// The safe option set, as the engine numbers its templates.
constexpr unsigned char kSafeTemplate = 2;

constexpr const char* kRebuiltCaption =
    QT_TRANSLATE_NOOP("TAppContext", "Default Tagsqueeze.ini created");
constexpr const char* kRebuiltText = QT_TRANSLATE_NOOP(
    "TAppContext",
    "No Tagsqueeze.ini file found (either first-time use or .ini file erased). Tagsqueeze.ini "
    "has been rebuilt using the safe optimization parameter set.");

QString tr(const char* text) { return QCoreApplication::translate("TAppContext", text); }

QString withExtension(const QString& path, const QString& extension) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot > slash ? path.left(dot) : path) + extension;
}

}  // namespace

QString TAppContext::programDirectory() const {
    return settings.settingsPath.left(settings.settingsPath.lastIndexOf(u'/') + 1);
}

void TAppContext::load(const QString& directory) {
    settings.settingsPath = directory + QLatin1String(Ini::kFileName);
    settings.optionsPath = settings.settingsPath;

    helpFilePath = withExtension(settings.settingsPath, QStringLiteral(".hlp"));
    settings.helpMacroPath = helpFilePath;
    settings.helpMacroPath.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    THelp::setHelpFile(helpFilePath, settings.helpMacroPath);

    const TSettingsFile file = settingsFile();
    if (!file.exists()) {
        WriteSwitchTemplate(QFile::encodeName(settings.settingsPath).constData(), kSafeTemplate);
        TMessageBox::information(tr(kRebuiltCaption), tr(kRebuiltText));
    }

    usedOnce = file.readInt(Ini::kGeneralOptions, Ini::kUsedOnce, 0) == 1;
    for (const FlagKey& flag : kFlagKeys) {
        const bool on = isOn(file.readInt(flag.section, flag.key, flag.defaultValue), flag.rule);
        settings.*flag.field = flag.inverted ? !on : on;
    }

    settings.defaultBrowser =
        file.readText(Ini::kGeneralOptions, Ini::kDefaultBrowser, Ini::kPathLength);

    currentDocument =
        file.readText(Ini::kGeneralOptions, Ini::kLastCompressedFile, Ini::kLongPathLength);
    if (!QFileInfo(currentDocument).isFile()) currentDocument.clear();

    outputDirectory =
        file.readText(Ini::kGeneralOptions, Ini::kOutputDirectory, Ini::kLongPathLength);
    if (!QFileInfo(outputDirectory).isDir()) outputDirectory.clear();

    // The editor shown in the user options: the preferred one when it exists, else the
    // system's open command for text files.
    settings.editorPath.clear();
    if (settings.useExternalEditor) {
        settings.editorPath =
            file.readText(Ini::kGeneralOptions, Ini::kExternalEditor, Ini::kPathLength);
        if (settings.editorPath.isEmpty() || !QFileInfo(settings.editorPath).isFile()) {
            settings.editorPath = systemDesktop.textOpenCommand();
        }
    }
}
