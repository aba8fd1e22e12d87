// The front end's settings record TAppSettings, the values kept beside it, and the loading
// of both from the settings file at start-up.
#pragma once

#include <QString>

#include "frontend/recent_files.h"
#include "frontend/settings_file.h"

class TDesktop;

// The in-memory copy of the settings, in the settings file's terms. Windows that change a
// setting write the key and the field together.
struct TAppSettings {
    QString settingsPath;
    // The copy through which the option sections are read and written and the engine is told
    // where the settings file is.
    QString optionsPath;
    QString helpMacroPath;  // the help file's path with each backslash doubled
    bool analysis = false;  // set by the main window before each job
    bool compressSource = true;
    bool createBackup = true;
    bool overwritePrompt = true;
    bool useExternalEditor = true;
    bool statisticsByFile = true;
    bool outputReport = false;
    bool browseReportPrompt = true;
    bool briefReport = true;  // the inverse of WriteDetailedStats
    bool appendReports = false;
    bool recycleFiles = true;
    bool closeOnEscape = false;
    bool showPreviewDlg = true;
    QString editorPath;  // the editor shown in the user options assistant
    bool expertMode = false;
    bool boldFonts = true;
    QString defaultBrowser;
};

// Everything the front end remembers while it runs: the record and what lives beside it.
class TAppContext {
  public:
    explicit TAppContext(TDesktop& desktop) : systemDesktop(desktop) {}

    // Load settings: fills the record from Tagsqueeze.ini in the program directory (which
    // ends in "/"). A missing file is first rebuilt from the engine's safe template, with an
    // information box saying so.
    void load(const QString& programDirectory);

    TSettingsFile settingsFile() const { return TSettingsFile(settings.settingsPath); }
    TSettingsFile optionsFile() const { return TSettingsFile(settings.optionsPath); }
    TDesktop& desktop() const { return systemDesktop; }
    QString programDirectory() const;

    TAppSettings settings;
    bool usedOnce = false;
    QString currentDocument;  // empty when none; "(none selected)" after a failed check
    QString outputDirectory;
    TRecentFiles recentFiles;
    QString helpFilePath;

  private:
    TDesktop& systemDesktop;
};
