// What the tool tells the user while a job runs.
#include "cli/progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

namespace tsqz::cli {
namespace {

size_t TerminalWidth() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20) return size.ws_col;
    return 80;
}

// Keeps the end of a path, where its file name is, within width bytes.
std::string FitPath(const std::string& path, size_t width) {
    if (path.size() <= width) return path;
    if (width <= 3) return path.substr(path.size() - width);
    return "..." + path.substr(path.size() - (width - 3));
}

}  // namespace

std::string Percentage(int64_t before, int64_t after) {
    if (before <= 0) return "0.00";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f",
                  static_cast<double>(before - after) * 100.0 / static_cast<double>(before));
    return text;
}

Progress::Progress(bool quiet, bool verbose, size_t document_count)
    : quiet_(quiet),
      verbose_(verbose && !quiet),
      live_(!quiet && document_count > 1 && ::isatty(STDERR_FILENO)),
      count_(document_count) {}

Progress::~Progress() { ClearLine(); }

void Progress::ClearLine() {
    if (!line_drawn_) return;
    std::fputs("\r\033[K", stderr);
    line_drawn_ = false;
}

void Progress::DrawLine() {
    if (!live_) return;
    const std::string head = "[" + std::to_string(index_) + "/" + std::to_string(count_) + "] " +
                             std::to_string(totals_.bytes_before - totals_.bytes_after) +
                             " bytes saved  ";
    const size_t width = TerminalWidth() - 1;
    std::string line =
        head.size() < width ? head + FitPath(current_, width - head.size()) : head.substr(0, width);
    std::fprintf(stderr, "\r\033[K%s", line.c_str());
    std::fflush(stderr);
    line_drawn_ = true;
}

void Progress::Starting(size_t index, const std::string& path) {
    index_ = index + 1;
    current_ = path;
    DrawLine();
}

void Progress::Succeeded(const std::string& path, const std::string& target, int64_t before,
                         int64_t after, const std::string& note) {
    ++totals_.documents;
    totals_.bytes_before += before;
    totals_.bytes_after += after;
    if (verbose_) {
        ClearLine();
        std::string shown = target.empty() ? path : path + " -> " + target;
        std::fprintf(stderr, "tsqz: %s: %lld -> %lld bytes (%s%% saved)%s%s\n", shown.c_str(),
                     static_cast<long long>(before), static_cast<long long>(after),
                     Percentage(before, after).c_str(), note.empty() ? "" : "; ", note.c_str());
    }
    DrawLine();
}

void Progress::Failed(const std::string& path, const std::string& message,
                      const std::string& detail) {
    ++totals_.documents;
    ++totals_.failed;
    ClearLine();
    std::fprintf(stderr, "tsqz: %s: %s\n", path.c_str(), message.c_str());
    if (!detail.empty()) std::fprintf(stderr, "tsqz: %s: %s\n", path.c_str(), detail.c_str());
    DrawLine();
}

void Progress::Copied(const std::string& path, const std::string& message, bool strict) {
    ++totals_.documents;
    ++totals_.copied;
    if (strict) ++totals_.failed;
    if (quiet_ && !strict) return;
    ClearLine();
    std::fprintf(stderr, "tsqz: %s%s: %s\n", strict ? "" : "warning: ", path.c_str(),
                 message.c_str());
    DrawLine();
}

void Progress::Problem(const std::string& message) {
    ClearLine();
    std::fprintf(stderr, "tsqz: %s\n", message.c_str());
    DrawLine();
}

void Progress::Summary(bool analysis) {
    ClearLine();
    live_ = false;
    if (quiet_) return;
    const std::string copied =
        totals_.copied == 0 ? std::string()
                            : ", " + std::to_string(totals_.copied) + " copied unchanged";
    std::fprintf(stderr,
                 "tsqz: %lld document%s (%lld failed%s): %lld bytes before, %lld bytes after, "
                 "%s%% saved%s\n",
                 static_cast<long long>(totals_.documents), totals_.documents == 1 ? "" : "s",
                 static_cast<long long>(totals_.failed), copied.c_str(),
                 static_cast<long long>(totals_.bytes_before),
                 static_cast<long long>(totals_.bytes_after),
                 Percentage(totals_.bytes_before, totals_.bytes_after).c_str(),
                 analysis ? "; analysis only, nothing written" : "");
}

}  // namespace tsqz::cli
