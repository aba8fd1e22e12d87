// What the tool tells the user while a job runs: a progress line on a terminal, a line per
// document when verbose, every failure, and the closing summary. All of it on standard error,
// so that standard output carries only documents and reports.
#pragma once

#include <cstdint>
#include <string>

namespace tsqz::cli {

struct Totals {
    int64_t documents = 0;
    int64_t failed = 0;
    int64_t copied = 0;  // refused by the engine and copied unchanged below the output folder
    int64_t bytes_before = 0;  // of the documents that succeeded
    int64_t bytes_after = 0;
};

class Progress {
  public:
    // The progress line is drawn only when standard error is a terminal, the job has more than
    // one document and the run is not quiet.
    Progress(bool quiet, bool verbose, size_t document_count);
    ~Progress();

    void Starting(size_t index, const std::string& path);
    // target: where the result went, when that is not the document itself; note: an aside
    // such as a kept backup, or empty.
    void Succeeded(const std::string& path, const std::string& target, int64_t before,
                   int64_t after, const std::string& note);
    // detail: the system's reason or a hint, printed on a line of its own when not empty.
    void Failed(const std::string& path, const std::string& message,
                const std::string& detail = {});
    // A document copied unchanged: a warning, or a failure when strict.
    void Copied(const std::string& path, const std::string& message, bool strict);
    // A problem that concerns the whole run rather than one document.
    void Problem(const std::string& message);
    void Summary(bool analysis);

    const Totals& totals() const { return totals_; }

  private:
    void ClearLine();
    void DrawLine();

    bool quiet_;
    bool verbose_;
    bool live_;  // the updating line is in use
    size_t count_;
    size_t index_ = 0;
    std::string current_;
    bool line_drawn_ = false;
    Totals totals_;
};

// "12.34" for a saving of 1234 out of 10000 bytes; "0.00" when nothing came in.
std::string Percentage(int64_t before, int64_t after);

}  // namespace tsqz::cli
