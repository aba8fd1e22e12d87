// Where the engine writes the report of one job, and how an appended report reaches the
// report file.
#include "frontend/report_target.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>

#include "platform/files.h"

namespace {

constexpr const char* kScratchFolderTemplate = "/tsqz-report-XXXXXX";
constexpr const char* kScratchReportName = "report.txt";

std::string fileName(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

TReportTarget::TReportTarget(const QString& path, bool append) : reportPath(path) {
    if (append) {
        scratch = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                                  QLatin1String(kScratchFolderTemplate));
    }
}

TReportTarget::~TReportTarget() = default;

QString TReportTarget::engineReportName() const {
    if (!scratch) return reportPath;
    return scratch->isValid() ? scratch->filePath(QLatin1String(kScratchReportName)) : QString();
}

bool TReportTarget::finish() {
    if (!scratch) return true;
    namespace platform = tsqz::platform;
    std::string addition;
    if (!scratch->isValid() ||
        platform::ReadWholeFile(fileName(engineReportName()), addition) !=
            platform::ReadResult::kOk) {
        return false;
    }
    // The old reports and the new one are written as one new file that replaces the old one,
    // so a failing disk never leaves the report file cut short.
    std::string report;
    const platform::ReadResult existing = platform::ReadWholeFile(fileName(reportPath), report);
    if (existing == platform::ReadResult::kUnreadable) return false;
    return platform::WriteFileAtomically(fileName(reportPath), report + addition);
}
