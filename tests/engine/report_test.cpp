// Compression reports: golden per-file and job reports, report assembly from the work files,
// percentages in the locale's form, and report writes that fail part-way.
#include "run/report.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <sys/stat.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "run/errors.h"
#include "include/tagsqueeze.h"
#include "run/stats.h"
#include "support/test_support.h"

namespace tsqz {
namespace {

// Tuesday, the fifth of May 1998, 14:03:09 UTC.
std::time_t FixedClock() { return 894376989; }

std::vector<std::pair<std::string, std::string>>& Boxes() {
    static std::vector<std::pair<std::string, std::string>> boxes;
    return boxes;
}
void CaptureBox(const char* caption, const char* text) { Boxes().emplace_back(caption, text); }

// Compares with a file under tests/data/reports; TSQZ_UPDATE_GOLDEN=1 rewrites the file
// (read every rewritten golden by eye before committing it).
void ExpectGolden(const std::string& name, const std::string& actual) {
    const std::string path = std::string(TSQZ_TEST_DATA) + "/reports/" + name;
    if (std::getenv("TSQZ_UPDATE_GOLDEN")) test::WriteFile(path, actual);
    EXPECT_EQ(actual, test::ReadFile(path)) << "golden file " << path;
    for (size_t i = actual.find('\n'); i != std::string::npos; i = actual.find('\n', i + 1)) {
        ASSERT_TRUE(i > 0 && actual[i - 1] == '\r') << "line end without CR at " << i;
    }
}

class ReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::setlocale(LC_ALL, "C");
        const char* tz = std::getenv("TZ");
        had_tz_ = tz != nullptr;
        if (tz) old_tz_ = tz;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        Boxes().clear();

        engine_.hooks.clock = FixedClock;
        engine_.hooks.message_box = CaptureBox;
        engine_.document_name = "/srv/site/index.html";
        engine_.report.enabled = true;
        engine_.report.name = report_;
        engine_.report.detailed = true;
        OptionBlock& o = engine_.options;
        o.STRONGtoB = o.EMToI = o.KBDToTT = o.StripClosingP = o.StripComments = 1;
        o.StripGenerator = o.NoDTD = o.StripEmpties = o.CompressStyleSheets = 1;
        o.StripQuotes = o.StripSpaces = o.StripBlankLines = o.CRLFToLF = o.CompressScripts = 1;
        o.StandardizeChars = 1;
    }

    void TearDown() override {
        if (had_tz_) {
            ::setenv("TZ", old_tz_.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

    // One document through the statistics as the pipeline feeds them.
    void Document(int32_t before, int32_t after, std::vector<std::pair<int, int32_t>> savings) {
        ResetFileStatistics(engine_);
        NoteSizeBefore(engine_, before);
        for (auto [slot, saved] : savings)
            engine_.stats.file[static_cast<size_t>(slot)] = saved;
        NoteSizeAfter(engine_, after);
        ++engine_.stats.files_processed;
    }

    void TypicalDocument() {
        Document(10000, 8000,
                 {{kSlotSTRONGtoB, 120},
                  {kSlotEMToI, 480},
                  {kSlotKBDToTT, 0},
                  {kSlotStripClosingP, 40},
                  {kSlotStripComments, 900},
                  {kSlotNoDTD, 60},
                  {kSlotEntities, 13},
                  {kSlotStripEmpties, 7},
                  {kSlotStyleSheets, 100},
                  {kSlotStripQuotes, 20},
                  {kSlotStripSpaces, 250},
                  {kSlotStripBlankLines, 10},
                  {kSlotCRLFToLF, 0},
                  {kSlotScripts, 0}});
    }

    std::string Work(std::string_view name) const { return program_.File(name); }

    test::ProgramDirScope program_;
    test::TempDir dir_;
    const std::string report_ = dir_.File("report.txt");
    Engine engine_;
    bool had_tz_ = false;
    std::string old_tz_;
};

// --- Golden reports ---------------------------------------------------------------------------

TEST_F(ReportTest, PerFileReportDetailedAndBrief) {
    ResetJobStatistics(engine_);
    TypicalDocument();
    ASSERT_EQ(WriteReport(engine_, 0), 0);
    const std::string detailed = test::ReadFile(report_);
    ExpectGolden("file_report.txt", detailed);
    EXPECT_FALSE(test::PathExists(Work("~fileinf.tmp")));

    // Without the detailed switch the report stops after the totals.
    engine_.report.detailed = false;
    ASSERT_EQ(WriteReport(engine_, 0), 0);
    EXPECT_EQ(test::ReadFile(report_), detailed.substr(0, detailed.find("Per-option")));
}

TEST_F(ReportTest, JobReportAssemblesSummaryCommentFileStatisticsAndErrors) {
    ResetJobStatistics(engine_);
    engine_.mode.batch = 1;
    engine_.report.file_statistics = true;
    TypicalDocument();
    AddFileReportEntry(engine_);
    engine_.document_name = "/srv/site/news.html";
    Document(5000, 4500, {{kSlotSTRONGtoB, 20}, {kSlotStripSpaces, 480}});
    AddFileReportEntry(engine_);
    AppendErrorLog(engine_, "/srv/site/broken.html", TSQZ_ERR_UNCLOSED_BLOCK);
    test::WriteFile(Work("~comment.tmp"), "Comment without a final line end");
    test::WriteFile(report_, "an old report that is replaced\r\n");

    ASSERT_EQ(WriteReport(engine_, 1), 0);
    ExpectGolden("job_report.txt", test::ReadFile(report_));
    for (const char* work : {"~htmlwrk.tmp", "~fileinf.tmp", "~comment.tmp", "~errors.tmp"}) {
        EXPECT_FALSE(test::PathExists(Work(work))) << work;
    }
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(ReportTest, JobReportsWithoutDetailAppendedOneAfterTheOther) {
    engine_.report.detailed = false;
    engine_.report.append = true;
    ResetJobStatistics(engine_);
    TypicalDocument();
    ASSERT_EQ(WriteReport(engine_, 1), 0);
    // A second job that saved nothing; the job reset also clears the job sizes.
    ResetJobStatistics(engine_);
    Document(3000, 3000, {});
    ASSERT_EQ(WriteReport(engine_, 1), 0);
    ExpectGolden("job_report_appended.txt", test::ReadFile(report_));
}

TEST_F(ReportTest, BlankLineAndLineEndNotes) {
    // With line optimisation, blank-line removal is reported as not applicable; with CR/LF
    // conversion and blank-line removal both on, the CR/LF figure carries its note. The
    // document grew: no savings, and a negative figure shows "0%".
    engine_.options.OptimizeLines = 1;
    ResetJobStatistics(engine_);
    Document(2000, 2100, {{kSlotOptimizeLines, -150}, {kSlotCRLFToLF, 50}});
    ASSERT_EQ(WriteReport(engine_, 1), 0);
    engine_.report.append = true;  // the per-file report then goes to the per-file work file
    ASSERT_EQ(WriteReport(engine_, 0), 0);
    EXPECT_EQ(engine_.mode.batch, 1);
    ExpectGolden("notes_job_report.txt", test::ReadFile(report_));
    ExpectGolden("notes_file_report.txt", test::ReadFile(Work("~fileinf.tmp")));
}

// --- Assembly rules ---------------------------------------------------------------------------

TEST_F(ReportTest, AssemblyCopiesLinesAndLogsUnreadableFileStatistics) {
    ResetJobStatistics(engine_);
    TypicalDocument();
    engine_.report.detailed = false;
    engine_.report.file_statistics = true;
    // The per-file statistics cannot be read (a folder stands in their place); the comment
    // has LF line ends and a last line without one.
    ASSERT_EQ(::mkdir(Work("~fileinf.tmp").c_str(), 0700), 0);
    test::WriteFile(Work("~comment.tmp"), "one\ntwo\rthree");
    ASSERT_EQ(WriteReport(engine_, 1), 0);
    const std::string report = test::ReadFile(report_);
    EXPECT_NE(report.find("\r\n\r\none\r\ntwo\r\nthree\r\n"), std::string::npos);
    const std::string logged = "Error processing " + report_ +
                               ":\r\n(I/O error on addition of individual file stats for this\r\n";
    EXPECT_NE(report.find(logged), std::string::npos);
    EXPECT_FALSE(test::PathExists(Work("~errors.tmp")));
}

TEST_F(ReportTest, AssemblyNeedsReportsOnAndTheSummary) {
    ResetJobStatistics(engine_);
    TypicalDocument();
    engine_.report.enabled = false;
    ASSERT_EQ(WriteReport(engine_, 1), 0);
    EXPECT_FALSE(test::PathExists(report_));
    EXPECT_TRUE(test::PathExists(Work("~htmlwrk.tmp")));  // written, not assembled
}

TEST_F(ReportTest, PerFileReportGoesToTheDefaultNameWhenNoneIsSet) {
    test::TempDir cwd;
    const std::string old = std::filesystem::current_path();
    std::filesystem::current_path(cwd.path());
    engine_.report.name.clear();
    ResetJobStatistics(engine_);
    TypicalDocument();
    EXPECT_EQ(WriteReport(engine_, 0), 0);
    std::filesystem::current_path(old);
    EXPECT_TRUE(test::PathExists(cwd.File("optrpt.txt")));
}

// --- Failures ---------------------------------------------------------------------------------

TEST_F(ReportTest, UnwritableTargetsGiveMinus14AndLeaveTheWorkFiles) {
    ResetJobStatistics(engine_);
    TypicalDocument();
    engine_.report.name = dir_.File("missing/report.txt");
    EXPECT_EQ(WriteReport(engine_, 0), TSQZ_ERR_REPORT_CREATE);
    EXPECT_EQ(WriteReport(engine_, 1), TSQZ_ERR_REPORT_CREATE);
    EXPECT_TRUE(test::PathExists(Work("~htmlwrk.tmp")));
    EXPECT_TRUE(Boxes().empty());

    // The summary itself cannot be written: the message box and -14.
    test::WriteFile(dir_.File("plain"), "x");
    ::setenv("TAGSQUEEZE_PROGRAM_DIR", dir_.File("plain/sub").c_str(), 1);
    EXPECT_EQ(WriteReport(engine_, 1), TSQZ_ERR_REPORT_CREATE);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].first, "Report output failed");
    EXPECT_EQ(Boxes()[0].second.rfind("Unable to write compression report (I/O error ", 0), 0u);
    EXPECT_EQ(Boxes()[0].second.back(), '.');
}

TEST_F(ReportTest, AFullDiskLeavesNoHalfWrittenReport) {
    ResetJobStatistics(engine_);
    TypicalDocument();
    test::WriteFile(report_, "previous report\r\n");
    const std::string stats_before(150, 's');
    test::WriteFile(Work("~fileinf.tmp"), stats_before);

    // Files may not grow past 200 bytes: every report write fails part-way.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 200;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int32_t replaced = WriteReport(engine_, 0);
    engine_.mode.batch = 1;
    AddFileReportEntry(engine_);
    const int32_t summary = WriteReport(engine_, 1);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous_handler);

    EXPECT_EQ(replaced, TSQZ_ERR_REPORT_CREATE);
    EXPECT_EQ(test::ReadFile(report_), "previous report\r\n");
    EXPECT_EQ(test::ReadFile(Work("~fileinf.tmp")), stats_before);
    EXPECT_EQ(summary, TSQZ_ERR_REPORT_CREATE);
    EXPECT_FALSE(test::PathExists(Work("~htmlwrk.tmp")));
    // No temporary file is left beside the report either.
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

// --- Numbers in the locale's form -------------------------------------------------------------

TEST(ReportNumbers, PercentagesRoundToTwoDecimalsWithTheLocaleSeparators) {
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(FormatPercentFigure(25.0), "25.00");
    EXPECT_EQ(FormatPercentFigure(100.0 / 3), "33.33");
    EXPECT_EQ(FormatPercentFigure(2.0 / 3), "0.67");
    EXPECT_EQ(FormatPercentFigure(-12.345678), "-12.35");
    EXPECT_EQ(FormatPercentFigure(-0.001), "0.00");
    EXPECT_EQ(FormatPercentFigure(1234567.891), "1234567.89");  // the C locale has no separator

    // A locale of our own with "," as decimal point, "." between thousands and a 12-hour
    // clock, compiled for the test (skipped where the system cannot compile locales).
    test::TempDir locales;
    test::WriteFile(locales.File("src"),
                    "LC_CTYPE\ncopy \"POSIX\"\nEND LC_CTYPE\n"
                    "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\ngrouping 3\n"
                    "END LC_NUMERIC\n"
                    "LC_TIME\nabday \"Sun\";\"Mon\";\"Tue\";\"Wed\";\"Thu\";\"Fri\";\"Sat\"\n"
                    "day \"Sunday\";\"Monday\";\"Tuesday\";\"Wednesday\";\"Thursday\";"
                    "\"Friday\";\"Saturday\"\n"
                    "abmon \"Jan\";\"Feb\";\"Mar\";\"Apr\";\"May\";\"Jun\";\"Jul\";\"Aug\";"
                    "\"Sep\";\"Oct\";\"Nov\";\"Dec\"\n"
                    "mon \"January\";\"February\";\"March\";\"April\";\"May\";\"June\";\"July\";"
                    "\"August\";\"September\";\"October\";\"November\";\"December\"\n"
                    "d_t_fmt \"%a %b %e %H:%M:%S %Y\"\nd_fmt \"%m/%d/%y\"\n"
                    "t_fmt \"%I:%M:%S %p\"\nam_pm \"AM\";\"PM\"\nt_fmt_ampm \"%I:%M:%S %p\"\n"
                    "END LC_TIME\n");
    const std::string command = "localedef -c -i " + locales.File("src") + " -f ANSI_X3.4-1968 " +
                                locales.File("tsqz_test") + " >/dev/null 2>&1";
    (void)std::system(command.c_str());
    ::setenv("LOCPATH", locales.path().c_str(), 1);
    const bool have_locale = std::setlocale(LC_ALL, "tsqz_test") != nullptr;
    if (have_locale) {
        EXPECT_EQ(FormatPercentFigure(1234567.891), "1.234.567,89");
        EXPECT_EQ(FormatPercentFigure(-999.999), "-1.000,00");
        EXPECT_EQ(FormatPercentFigure(12.5), "12,50");
        Engine engine;
        engine.hooks.clock = FixedClock;
        engine.stats.on = true;
        test::ProgramDirScope program;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        WriteReport(engine, 1);
        const std::string summary = test::ReadFile(program.File("~htmlwrk.tmp"));
        EXPECT_NE(summary.find("generated May. 5, 1998 at 02:03:09 pm\r\n"), std::string::npos);
        ::unsetenv("TZ");
        ::tzset();
    }
    std::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");
    if (!have_locale) GTEST_SKIP() << "localedef could not compile the test locale";
}

}  // namespace
}  // namespace tsqz
