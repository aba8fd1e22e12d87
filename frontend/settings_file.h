// The settings file Tagsqueeze.ini, opened afresh for every read and write through the
// private-profile code, and the names of the front end's sections and keys.
#pragma once

#include <QString>

#include <cstdint>

namespace Ini {

constexpr const char* kFileName = "Tagsqueeze.ini";

constexpr const char* kGeneralOptions = "General Options";
constexpr const char* kBackupOptions = "Backup Options";
constexpr const char* kReportOptions = "Report Options";
constexpr const char* kSettings = "Settings";
constexpr const char* kRecentFiles = "Recent Files";
constexpr const char* kWindowPositions = "Window positions";

constexpr const char* kUsedOnce = "UsedOnce";
constexpr const char* kCloseOnEscape = "CloseOnEscape";
constexpr const char* kExpertMode = "ExpertMode";
constexpr const char* kDefaultBrowser = "DefaultBrowser";
constexpr const char* kLastCompressedFile = "LastCompressedFile";
constexpr const char* kOutputDirectory = "OutputDirectory";
constexpr const char* kShowPreviewDlg = "ShowPreviewDlg";
constexpr const char* kUseExternalEditor = "UseExternalEditor";
constexpr const char* kExternalEditor = "ExternalEditor";
constexpr const char* kBoldFonts = "BoldFonts";
constexpr const char* kCreateBackup = "CreateBackup";
constexpr const char* kCompressSource = "CompressSource";
constexpr const char* kOverwritePrompt = "OverwritePrompt";
constexpr const char* kOutputReport = "OutputReport";
constexpr const char* kWriteDetailedStats = "WriteDetailedStats";
constexpr const char* kStatisticsByFile = "StatisticsByFile";
constexpr const char* kAppendReports = "AppendReports";
constexpr const char* kLastReport = "LastReport";
constexpr const char* kBrowseReportPrompt = "BrowseReportPrompt";
constexpr const char* kRecycleFiles = "RecycleFiles";
constexpr const char* kMruFilePrefix = "MRUFile";
constexpr const char* kMenuLeft = "MenuLeft";
constexpr const char* kMenuTop = "MenuTop";

// Longest values kept when text keys are read; longer values are cut.
constexpr int kPathLength = 255;
constexpr int kLongPathLength = 511;

}  // namespace Ini

class TSettingsFile {
  public:
    explicit TSettingsFile(QString path = {}) : filePath(std::move(path)) {}

    const QString& path() const { return filePath; }
    bool exists() const;

    // A missing file, section or key gives the default.
    int32_t readInt(const char* section, const char* key, int32_t defaultValue) const;
    // Empty text when missing; cut to maxLength bytes.
    QString readText(const char* section, const char* key, int maxLength) const;

    // Each returns false when the file could not be written.
    bool writeText(const char* section, const char* key, const QString& value) const;
    bool writeInt(const char* section, const char* key, int32_t value) const;
    bool removeKey(const char* section, const char* key) const;
    bool removeSection(const char* section) const;

  private:
    QString filePath;
};
