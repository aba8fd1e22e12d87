// Statistics, reports and protected blocks through the public interface, as a host uses them.
#include <gtest/gtest.h>
#include <tagsqueeze.h>

#include <clocale>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace {

using tsqz::test::PathExists;
using tsqz::test::ProgramDirScope;
using tsqz::test::ReadFile;
using tsqz::test::TempDir;
using tsqz::test::WriteFile;

std::vector<std::pair<std::string, std::string>>& Boxes() {
    static std::vector<std::pair<std::string, std::string>> boxes;
    return boxes;
}
void CaptureBox(const char* caption, const char* text) { Boxes().emplace_back(caption, text); }

// Every switch off, so the figures do not depend on what the passes save.
class ReportE2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::setlocale(LC_ALL, "C");
        // An empty settings file turns every option off, also those without a setter.
        const std::string settings = dir_.File("empty.ini");
        WriteFile(settings, "");
        int32_t status = 0;
        ReadCompressionParams(settings.c_str(), &status);
        SetCompressionMode(0, 0, 0);
        SetReportParameters(nullptr, 0, 0, 0);
        ResetCompressionStatistics(0);
        SetMessageBoxHandler(CaptureBox);
        Boxes().clear();
    }
    void TearDown() override { SetMessageBoxHandler(nullptr); }

    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.File(name);
        WriteFile(path, bytes);
        return path;
    }

    // The report with the folder of the test replaced by "<dir>" and the generation time by
    // "<time>" (the engine's clock cannot be pinned from outside).
    std::string Masked(std::string report) const {
        for (size_t at = report.find(dir_.path()); at != std::string::npos;
             at = report.find(dir_.path(), at)) {
            report.replace(at, dir_.path().size(), "<dir>");
        }
        const std::string stamp = "Compression report generated ";
        for (size_t at = report.find(stamp); at != std::string::npos;
             at = report.find(stamp, at + 1)) {
            const size_t end = report.find("\r\n", at);
            report.replace(at + stamp.size(), end - at - stamp.size(), "<time>");
        }
        return report;
    }

    ProgramDirScope program_;
    TempDir dir_;
};

TEST_F(ReportE2eTest, BatchJobReportWithFileStatisticsAndErrors) {
    const std::string report = dir_.File("job.txt");
    SetReportParameters(report.c_str(), 0, 1, 1);
    SetCompressionMode(0, 1, 0);
    ResetCompressionStatistics(0);
    const std::string good = Write("good.htm", "<html>\r\n<pre>  a</pre>\r\n</html>\r\n");
    const std::string bad = Write("bad.htm", "<html><xmp>never closed</html>");
    EXPECT_EQ(CompressHTMLFile(good.c_str(), good.c_str(), dir_.File("good.out").c_str()), 0);
    EXPECT_EQ(CompressHTMLFile(bad.c_str(), bad.c_str(), dir_.File("bad.out").c_str()),
              TSQZ_ERR_UNCLOSED_BLOCK);
    EXPECT_FALSE(PathExists(dir_.File("bad.out")));
    int32_t code = 0, count = 0;
    GetOptErrors(&code, &count);
    EXPECT_EQ(count, 1);

    // The good document counts in both job sizes, the failed one in neither.
    EXPECT_EQ(CompressionBaseStats(0, 0), 0);
    EXPECT_STREQ(CompressionSavings(0, 1, 1), "0.00");
    ASSERT_EQ(WriteCompressionReport(1), 0);
    const std::string text = ReadFile(report);
    const std::string golden = std::string(TSQZ_TEST_DATA) + "/reports/e2e_job_report.txt";
    if (std::getenv("TSQZ_UPDATE_GOLDEN")) WriteFile(golden, Masked(text));
    EXPECT_EQ(Masked(text), ReadFile(golden));
    EXPECT_FALSE(PathExists(program_.File("~errors.tmp")));
    EXPECT_TRUE(Boxes().empty());
}

// With the web template on, the per-option sections list its rules (those switched on), with
// figures that add up to what each document lost, in place of the passes' lines.
TEST_F(ReportE2eTest, WebTemplateRulesHaveLinesOfTheirOwn) {
    const std::string report = dir_.File("web.txt");
    SetReportParameters(report.c_str(), 0, 1, 1);
    SetCompressionMode(0, 1, 0);
    CompressHTMLComments(1);  // a pass's option: no line while the web template runs
    ASSERT_EQ(TsqzSetOption("Web", 1), 1);
    ASSERT_EQ(TsqzSetOption("WebNoDoctype", 1), 1);
    ResetCompressionStatistics(0);
    const std::string pages[] = {
        "<!DOCTYPE html>\n<html>\n<head>\n  <title>T</title>\n</head>\n<body>\n"
        "<ul class=\"menu\">\n  <li>one</li>\n  <li>two &amp; three</li>\n</ul>\n"
        "<!-- a note -->\n<input type=\"text\" checked=\"checked\">\n</body>\n</html>\n",
        "<html><body><p style=\"color : red ;\">a   b</p>"
        "<script type=\"text/javascript\">var  x = 1 ;</script></body></html>",
    };
    int32_t saved = 0;
    for (const std::string& page : pages) {
        const std::string in = Write(saved == 0 ? "first.htm" : "second.htm", page);
        ASSERT_EQ(CompressHTMLFile(in.c_str(), in.c_str(), dir_.File("out.htm").c_str()), 0);
        // The desktop job shows the document's savings total: the rules' figures.
        EXPECT_EQ(std::stoi(CompressionSavings(0, 0, 0)), CompressionBaseStats(1, 0));
        saved += CompressionBaseStats(1, 0);
    }
    EXPECT_EQ(CompressionBaseStats(0, 0), saved);
    ASSERT_EQ(WriteCompressionReport(1), 0);
    const std::string text = ReadFile(report);
    const std::string golden = std::string(TSQZ_TEST_DATA) + "/reports/e2e_web_job_report.txt";
    if (std::getenv("TSQZ_UPDATE_GOLDEN")) WriteFile(golden, Masked(text));
    EXPECT_EQ(Masked(text), ReadFile(golden));
    ASSERT_EQ(TsqzSetOption("Web", 0), 1);
    ASSERT_EQ(TsqzSetOption("WebNoDoctype", 0), 1);
}

TEST_F(ReportE2eTest, PerFileReportForTheLastDocument) {
    const std::string report = dir_.File("file.txt");
    SetReportParameters(report.c_str(), 0, 0, 0);
    ResetCompressionStatistics(1);
    const std::string page = "<html><body>page</body></html>";
    const std::string in = Write("in.htm", page);
    ASSERT_EQ(CompressHTMLFile(in.c_str(), in.c_str(), in.c_str()), 0);
    EXPECT_EQ(WriteCompressionReport(0), 0);
    const std::string expected = "Compression statistics for: \r\n" + in + "\r\n\r\n" +
                                 "File size prior to compression:             30 bytes\r\n"
                                 "File size after compression:                30 bytes\r\n"
                                 "No savings achieved by compression.\r\n"
                                 "Compressor could not not reduce the size of this file.\r\n\r\n";
    EXPECT_EQ(ReadFile(report), expected);
}

TEST_F(ReportE2eTest, ReportFailuresReachTheMessageBoxHandler) {
    WriteFile(dir_.File("plain"), "x");
    ::setenv("TAGSQUEEZE_PROGRAM_DIR", dir_.File("plain/sub").c_str(), 1);
    SetReportParameters(dir_.File("r.txt").c_str(), 0, 1, 0);
    EXPECT_EQ(WriteCompressionReport(1), TSQZ_ERR_REPORT_CREATE);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].first, "Report output failed");
    EXPECT_EQ(Boxes()[0].second.rfind("Unable to write compression report (I/O error ", 0), 0u);
}

TEST_F(ReportE2eTest, AFailedExtractionLeavesTheSourceThatWasToBeOverwritten) {
    // The host overwrites the source: a missing "</pre>" must leave it exactly as it was.
    const std::string doc = "<html>\r\n<pre>  kept\r\n<p>  text  </p>\r\n</html>\r\n";
    const std::string in = Write("page.htm", doc);
    RemoveExcessSpaces(1);
    EXPECT_EQ(CompressHTMLFile(in.c_str(), in.c_str(), in.c_str()), TSQZ_ERR_UNCLOSED_BLOCK);
    EXPECT_EQ(ReadFile(in), doc);
}

}  // namespace
