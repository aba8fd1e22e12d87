// Compression reports: the per-file report, the job report and its assembly into the report
// file, and the figures the host reads.
//
// Every report is built in memory and then written in one piece: a file that is replaced goes
// through a temporary file and a rename, a file that grows gets the whole piece appended or,
// if that write fails, is cut back to its old length. So a failing disk never leaves half a
// report behind.
#include "run/report.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <ctime>
#include <limits>
#include <string>
#include <string_view>

#include "run/errors.h"
#include "run/stats.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace tsqz {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Work files in the program directory, and the per-file report's default name (current folder).
constexpr std::string_view kSummaryFile = "~htmlwrk.tmp";
constexpr std::string_view kFileStatsFile = "~fileinf.tmp";
constexpr std::string_view kCommentFile = "~comment.tmp";
constexpr std::string_view kDefaultReport = "optrpt.txt";

constexpr size_t kRuleWidth = 66;
constexpr size_t kLabelWidth = 31;
constexpr size_t kFigureWidth = 18;

// clang-format off
constexpr std::string_view kFilesProcessed   = "Total HTML files processed:                  ";
constexpr std::string_view kJobBefore        = "Combined web size prior to compression:     ";
constexpr std::string_view kJobAfter         = "Combined web size after compression:        ";
constexpr std::string_view kAmountSaved      = "Total amount saved by compression:          ";
constexpr std::string_view kJobPercent       = "Percentage reduction in HTML content:        ";
constexpr std::string_view kFileBefore       = "File size prior to compression:             ";
constexpr std::string_view kFileAfter        = "File size after compression:                ";
constexpr std::string_view kFilePercent      = "Percentage reduction in file size:           ";
constexpr std::string_view kOptionHeader =
    "Option:                        Bytes saved:      Percent of total:";
// clang-format on
static_assert(kFilesProcessed.size() == 45 && kJobPercent.size() == 45 &&
              kFilePercent.size() == 45);
static_assert(kJobBefore.size() == 44 && kJobAfter.size() == 44 && kAmountSaved.size() == 44);
static_assert(kFileBefore.size() == 44 && kFileAfter.size() == 44);
static_assert(kOptionHeader.size() == kRuleWidth && kOptionHeader.find("Bytes saved:") == 31 &&
              kOptionHeader.find("Percent of total:") == 49);

// The "Tag conversions" group, by slot. The per-file report moves the entity line after the
// style line; both orders are the reports' own and are kept as they are.
constexpr std::array<int, 19> kJobTagGroup = {
    kSlotSTRONGtoB, kSlotEMToI, kSlotCITEToI, kSlotADDRESSToI, kSlotDFNToI, kSlotCODEToTT,
    kSlotSAMPToTT, kSlotKBDToTT, kSlotStripClosingP, kSlotStripClosingLI, kSlotStandardColors,
    kSlotNoDTD, kSlotStripGenerator, kSlotStripAllMeta, kSlotEntities, kSlotStripEmpties,
    kSlotStyleSheets, kSlotStripComments, kSlotShrinkFontTags};
constexpr std::array<int, 19> kFileTagGroup = {
    kSlotSTRONGtoB, kSlotEMToI, kSlotCITEToI, kSlotADDRESSToI, kSlotDFNToI, kSlotCODEToTT,
    kSlotSAMPToTT, kSlotKBDToTT, kSlotStripClosingP, kSlotStripClosingLI, kSlotStandardColors,
    kSlotNoDTD, kSlotStripGenerator, kSlotStripAllMeta, kSlotStripEmpties, kSlotStyleSheets,
    kSlotEntities, kSlotStripComments, kSlotShrinkFontTags};

// CompressionSavings: the slot behind each index 1..28 (index 0 is the savings total).
constexpr std::array<int, 29> kSavingsIndex = {
    0, kSlotSTRONGtoB, kSlotEMToI, kSlotCITEToI, kSlotADDRESSToI, kSlotDFNToI, kSlotCODEToTT,
    kSlotSAMPToTT, kSlotKBDToTT, kSlotStripClosingP, kSlotStripEmpties, kSlotStripComments,
    kSlotStripAllMeta, kSlotEntities, kSlotNoDTD, kSlotStripClosingLI, kSlotStandardColors,
    kSlotShrinkFontTags, kSlotStripNonHTML, kSlotOptimizeLines, kSlotStripBlankLines,
    kSlotStripSpaces, kSlotStripQuotes, kSlotCRLFToLF, kSlotStyleSheets, kSlotScripts,
    kSlotScriptSpaces, kSlotScriptLines, kSlotScriptComments};
// clang-format on

// The option whose per-option savings line shows the slot: its label is the line's label and
// the line is printed while the option is on (a web template rule's: while it runs).
const OptionInfo& LineForSlot(int slot) {
    for (const OptionInfo& info : kOptionTable) {
        if (!info.report_label.empty() && info.report_slot == slot) return info;
    }
    return kOptionTable.front();  // every slot of the groups has a line
}

int32_t Clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Appends one report line with its CR LF.
class Lines {
  public:
    void Add(std::string_view text = {}) {
        text_ += text;
        text_ += kLineEnd;
    }
    void Add(std::string_view label, int64_t figure, std::string_view unit = {}) {
        text_ += label;
        text_ += std::to_string(figure);
        text_ += unit;
        text_ += kLineEnd;
    }
    void Rule(char c, size_t width = kRuleWidth) {
        text_.append(width, c);
        text_ += kLineEnd;
    }
    std::string& text() { return text_; }

  private:
    std::string text_;
};

std::string PadRight(std::string text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

// The option line: label to 31 bytes, the figure to 18, then its share of the job's reduction.
std::string OptionLine(std::string_view label, int32_t figure, int64_t job_reduction) {
    std::string line = PadRight(std::string(label), kLabelWidth);
    line += PadRight(std::to_string(figure), kFigureWidth);
    if (figure >= 1 && job_reduction != 0) {
        line += FormatPercentFigure(static_cast<double>(figure) * 100.0 /
                                    static_cast<double>(job_reduction));
        line += '%';
    } else {
        line += "0%";
    }
    return line;
}

// The per-option section of the job report (job counters) or of the per-file report.
void AddOptionSection(Lines& out, const Engine& engine, bool job) {
    const OptionBlock& o = engine.options;
    const auto& counters = job ? engine.stats.job : engine.stats.file;
    const int64_t reduction = int64_t{engine.stats.job_before} - engine.stats.job_after;
    auto add_line = [&](int slot) {
        const OptionInfo& line = LineForSlot(slot);
        const bool shown =
            IsWebSlot(slot) ? o.Web != 0 && OptionValue(o, line) == 0 : OptionValue(o, line) != 0;
        if (shown) {
            out.Add(OptionLine(line.report_label, counters[static_cast<size_t>(slot)], reduction));
        }
    };

    if (job) {
        out.Rule('*');
        out.Add();
        out.Add("Per-option savings (HTML)");
        out.Rule('=', 25);
        out.Add("This section lists the savings achieved on a per-option basis");
        out.Add("for the current job. Statistics are provided only for the options");
        out.Add("specified for this job.");
    } else {
        out.Add("Per-option savings for this file");
        out.Rule('=', 32);
    }
    out.Add();
    out.Add(kOptionHeader);
    out.Rule('-');
    if (o.Web) {
        // The web template ran instead of the passes: its rules' lines stand for theirs.
        out.Add("Web template (today's HTML rules)");
        out.Rule('-');
        for (int slot = kSlotWebFirst; slot <= kAllSlotCount; ++slot)
            add_line(slot);
        if (!job) out.Add();
        return;
    }
    out.Add("Tag conversions");
    out.Rule('-');
    for (int slot : job ? kJobTagGroup : kFileTagGroup)
        add_line(slot);
    out.Rule('-');
    out.Add("General file compression");
    out.Rule('-');
    add_line(kSlotStripQuotes);
    add_line(kSlotStripSpaces);
    if (o.StripBlankLines) {
        if (o.OptimizeLines) {
            out.Add("  (Blank line removal not applicable;");
            out.Add("   blank lines were removed when line lengths were optimized)");
        } else {
            add_line(kSlotStripBlankLines);
        }
    }
    add_line(kSlotOptimizeLines);
    add_line(kSlotStripNonHTML);
    if (o.CRLFToLF) {
        add_line(kSlotCRLFToLF);
        if (o.StripBlankLines) {
            out.Add("  (Figure may be skewed; some CR's may have been");
            // The per-file report's note has no closing parenthesis; kept as the reports had it.
            out.Add(job ? "   removed during line length optimization)"
                        : "   removed during line length optimization");
        }
    }
    add_line(kSlotScripts);
    if (!job) out.Add();
}

// The time of day in the locale's format, lower-cased ("2:05:09 pm").
std::string TimeText(const std::tm& now) {
    char buffer[128];
    const size_t n = std::strftime(buffer, sizeof buffer, "%X", &now);
    std::string text(buffer, n);
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string JobReportText(const Engine& engine) {
    const Stats& s = engine.stats;
    Lines out;
    out.Rule('*');
    out.Add();
    const std::tm now = LocalNow(engine);
    out.Add("Compression report generated " + DateStamp(now) + " at " + TimeText(now));
    out.Add();
    out.Add("HTML processing totals");
    out.Rule('=', 22);
    out.Add();
    out.Add(kFilesProcessed, s.files_processed);
    out.Add(kJobBefore, s.job_before, " bytes");
    out.Add(kJobAfter, s.job_after, " bytes");
    if (s.job_after < s.job_before && s.job_after != 0) {
        const int64_t saved = int64_t{s.job_before} - s.job_after;
        out.Add(kAmountSaved, saved, " bytes");
        out.Add(std::string(kJobPercent) +
                FormatPercentFigure(static_cast<double>(saved) * 100.0 / s.job_before) + "%");
    } else {
        out.Add("No savings achieved in this pass.");
        out.Add("Compressor could not not compress this web.");
    }
    out.Add();
    if (s.on && engine.report.detailed) AddOptionSection(out, engine, true);
    out.Add();
    return std::move(out.text());
}

std::string FileReportText(const Engine& engine, bool batch) {
    const Stats& s = engine.stats;
    Lines out;
    if (batch) {
        out.Rule('*');
        out.Add();
    }
    out.Add("Compression statistics for: ");
    out.Add(engine.document_name);
    out.Add();
    out.Add(kFileBefore, s.file_before, " bytes");
    out.Add(kFileAfter, s.file_after, " bytes");
    if (s.file_after < s.file_before && s.file_after != 0) {
        const int64_t saved = int64_t{s.file_before} - s.file_after;
        out.Add(kAmountSaved, saved, " bytes");
        out.Add(std::string(kFilePercent) +
                FormatPercentFigure(static_cast<double>(saved) * 100.0 / s.file_before) + "%");
    } else {
        out.Add("No savings achieved by compression.");
        out.Add("Compressor could not not reduce the size of this file.");
    }
    out.Add();
    if (s.on && engine.report.detailed) AddOptionSection(out, engine, false);
    return std::move(out.text());
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Appends the bytes as a whole: on a failed write the file is cut back to its old length (or
// removed, when this call created it).
bool AppendWhole(const std::string& path, std::string_view bytes) {
    const bool existed = platform::FileExists(path);
    // Not blocking: a FIFO that nobody reads is refused below instead of waiting forever.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    bool ok = WriteAll(fd, bytes);
    if (!ok) (void)!::ftruncate(fd, st.st_size);
    if (::close(fd) != 0 && ok) {
        ok = false;
        (void)!::truncate(path.c_str(), st.st_size);
    }
    if (!ok && !existed) ::unlink(path.c_str());
    return ok;
}

// Copies a text line by line, every line ending in CR LF: a last line without its line end
// gets one, and LF or CR line ends become CR LF.
void AddLinesOf(std::string& out, std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const size_t end = text.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            out.append(text, i, std::string_view::npos);
            out += kLineEnd;
            return;
        }
        out.append(text, i, end - i);
        out += kLineEnd;
        i = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? end + 2
                                                                                  : end + 1;
    }
}

// Takes one work file's lines into the report being built; false when it is missing or
// cannot be read.
bool TakeWorkFile(const std::string& path, std::string& report) {
    std::string bytes;
    if (platform::ReadWholeFile(path, bytes) != platform::ReadResult::kOk) return false;
    AddLinesOf(report, bytes);
    return true;
}

std::string ReportPath(const Engine& engine) {
    return engine.report.name.empty() ? std::string(kDefaultReport) : engine.report.name;
}

// Report assembly after a successful job report: summary, comment, per-file statistics (when
// asked for) and the error log, appended to the report file or replacing it.
int32_t AssembleReport(Engine& engine) {
    const ReportSettings& r = engine.report;
    if (!r.enabled) return 0;
    const std::string dir = WorkFolder(engine);
    const std::string target = ReportPath(engine);
    const std::string summary = dir + std::string(kSummaryFile);
    // An old report file goes first, so that a failed write leaves none; a link, FIFO or device
    // named as the report is written through or refused, never removed.
    struct stat old {};
    if (!r.append && ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::unlink(target.c_str());
    }
    if (!platform::FileExists(summary)) {
        ShowMessageBox(engine, "Report data not found...aborting",
                       "Summary statistics for this job cannot be found. Unable to write report.");
        return 0;
    }

    std::string report;
    if (!TakeWorkFile(summary, report)) AppendErrorLog(engine, target, TSQZ_ERR_REPORT_APPEND);
    TakeWorkFile(dir + std::string(kCommentFile), report);
    if (r.file_statistics && !TakeWorkFile(dir + std::string(kFileStatsFile), report)) {
        AppendErrorLog(engine, target, TSQZ_ERR_REPORT_FILESTATS);
    }
    TakeWorkFile(dir + std::string(kErrorLogName), report);

    const bool written =
        r.append ? AppendWhole(target, report) : platform::WriteFileAtomically(target, report);
    // Nothing is lost when the report cannot be written: the work files stay for another try.
    if (!written) return TSQZ_ERR_REPORT_CREATE;
    for (std::string_view name : {kCommentFile, kFileStatsFile, kSummaryFile, kErrorLogName}) {
        ::unlink((dir + std::string(name)).c_str());
    }
    return 0;
}

int32_t WriteJobReport(Engine& engine) {
    const std::string path = WorkFolderForWriting(engine) + std::string(kSummaryFile);
    errno = 0;
    if (!platform::WriteFileAtomically(path, JobReportText(engine))) {
        const int error = errno != 0 ? errno : EIO;
        ShowMessageBox(
            engine, "Report output failed",
            "Unable to write compression report (I/O error " + std::to_string(error) + ".");
        return TSQZ_ERR_REPORT_CREATE;
    }
    return 0;
}

// The per-file report for the document name: in batch mode appended to the per-file work
// file, otherwise replacing the report file.
int32_t WriteFileReport(Engine& engine) {
    const bool batch = engine.mode.batch != 0;
    const std::string text = FileReportText(engine, batch);
    const bool written =
        batch ? AppendWhole(WorkFolderForWriting(engine) + std::string(kFileStatsFile), text)
              : platform::WriteFileAtomically(ReportPath(engine), text);
    return written ? 0 : TSQZ_ERR_REPORT_CREATE;
}

}  // namespace

std::string FormatPercentFigure(double value) {
    const std::lconv* lc = std::localeconv();
    const std::string_view point =
        (lc && lc->decimal_point && *lc->decimal_point) ? lc->decimal_point : ".";
    const std::string_view separator = (lc && lc->thousands_sep) ? lc->thousands_sep : "";
    const long long cents = std::llround(value * 100.0);
    const unsigned long long magnitude = cents < 0 ? 0ULL - static_cast<unsigned long long>(cents)
                                                   : static_cast<unsigned long long>(cents);
    const std::string whole = std::to_string(magnitude / 100);
    std::string text = cents < 0 ? "-" : "";
    for (size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) text += separator;
        text += whole[i];
    }
    text += point;
    const unsigned long long fraction = magnitude % 100;
    text += static_cast<char>('0' + fraction / 10);
    text += static_cast<char>('0' + fraction % 10);
    return text;
}

// Writes a held per-file entry to the engine's per-file work file.
bool WriteHeldEntry(const Engine& engine, HeldFileEntry entry) {
    Engine view;
    view.options = engine.options;
    view.report = engine.report;
    view.document_name = std::move(entry.document_name);
    view.stats = entry.stats;
    return AppendWhole(WorkFolderForWriting(engine) + std::string(kFileStatsFile),
                       FileReportText(view, true));
}

void AddFileReportEntry(Engine& engine) {
    if (engine.hold_file_entries && engine.mode.batch) {
        engine.held_file_entries.push_back({engine.document_name, engine.stats});
    } else {
        WriteFileReport(engine);
    }
}

int32_t MergeJob(Engine& into, Engine& from) {
    const std::string into_folder = WorkFolderForWriting(into);
    const std::string from_folder = WorkFolder(from);
    // Held entries count their job figures from the start of from's job; into's job so far
    // comes before them.
    for (HeldFileEntry& entry : from.held_file_entries) {
        entry.stats.job_before = WrapAdd(entry.stats.job_before, into.stats.job_before);
        entry.stats.job_after = WrapAdd(entry.stats.job_after, into.stats.job_after);
        if (into.hold_file_entries) {
            into.held_file_entries.push_back(std::move(entry));
        } else if (!WriteHeldEntry(into, std::move(entry))) {
            return TSQZ_ERR_REPORT_FILESTATS;
        }
    }
    from.held_file_entries.clear();
    if (into_folder != from_folder) {
        // The per-file entries follow into's; the error log's entries too, without a second
        // heading, just as if into had logged them itself.
        for (const std::string_view name : {kFileStatsFile, kErrorLogName}) {
            const std::string source = from_folder + std::string(name);
            std::string bytes;
            if (platform::ReadWholeFile(source, bytes) != platform::ReadResult::kOk) continue;
            const std::string target = into_folder + std::string(name);
            std::string_view piece = bytes;
            if (name == kErrorLogName && platform::FileExists(target) &&
                piece.starts_with(kErrorLogHeading)) {
                piece.remove_prefix(kErrorLogHeading.size());
                bytes = std::string(kErrorLogSeparator) + std::string(piece);
                piece = bytes;
            }
            if (!AppendWhole(target, piece)) return TSQZ_ERR_REPORT_FILESTATS;
            ::unlink(source.c_str());
        }
    }
    if (from.error_count != 0) into.error_code = from.error_code;
    AddJobStatistics(into, from);
    ResetJobStatistics(from);
    return 0;
}

int32_t WriteReport(Engine& engine, uint8_t kind) {
    if (kind != 0) {
        // Held per-file entries go to the work file first, in their order.
        for (HeldFileEntry& entry : engine.held_file_entries) {
            if (!WriteHeldEntry(engine, std::move(entry))) return TSQZ_ERR_REPORT_CREATE;
        }
        engine.held_file_entries.clear();
        if (int32_t code = WriteJobReport(engine); code != 0) return code;
        return AssembleReport(engine);
    }
    engine.mode.batch = engine.report.append ? 1 : 0;
    return WriteFileReport(engine);
}

int32_t BaseStats(const Engine& engine, bool last_document, bool percent) {
    const Stats& s = engine.stats;
    const int64_t before = last_document ? s.file_before : s.job_before;
    const int64_t after = last_document ? s.file_after : s.job_after;
    if (!percent) return Clamp32(before - after);
    if (before == 0) return 0;
    return Clamp32((before - after) * 100 / before);  // truncates toward zero
}

const char* SavingsText(Engine& engine, uint8_t index, bool job, bool percent) {
    const Stats& s = engine.stats;
    if (percent) {
        const int64_t reduction = int64_t{s.job_before} - s.job_after;
        const double share = (s.job_before == 0 || reduction == 0)
                                 ? 0.0
                                 : static_cast<double>(reduction) * 100.0 / s.job_before;
        engine.savings_text = FormatPercentFigure(share);
    } else {
        int32_t figure = 0;
        if (index == 0) {
            figure = job ? s.job_total : s.file_total;
        } else if (index < kSavingsIndex.size()) {
            const auto slot = static_cast<size_t>(kSavingsIndex[index]);
            figure = job ? s.job[slot] : s.file[slot];
        }
        engine.savings_text = std::to_string(figure);
    }
    return engine.savings_text.c_str();
}

}  // namespace tsqz
