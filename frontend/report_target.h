// Where the engine writes the report of one job. With "&Append all reports to a single file"
// the report goes to a scratch file first and is then added whole to the end of the report
// file, so that each job's report lands in the file the user named.
#pragma once

#include <QString>

#include <memory>

class QTemporaryDir;

class TReportTarget {
  public:
    // reportPath: the report file, as the report path resolves (LastReport or optrpt.txt).
    TReportTarget(const QString& reportPath, bool append);
    ~TReportTarget();
    TReportTarget(const TReportTarget&) = delete;
    TReportTarget& operator=(const TReportTarget&) = delete;

    // The file the engine is told to write the per-file report to, replacing it: the report
    // file itself, or with append on a scratch file of this job's own. Empty text when no
    // scratch file could be made: then no report is written, and finish() fails.
    QString engineReportName() const;

    // After the engine has written the report: with append on, adds it to the end of the
    // report file. False when that failed; the report file is then as it was.
    bool finish();

  private:
    QString reportPath;
    std::unique_ptr<QTemporaryDir> scratch;
};
