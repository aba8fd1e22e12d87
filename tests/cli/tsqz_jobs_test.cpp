// tsqz -j N against -j 1: for every output mode, the same files written, the same messages,
// the same report and the same exit status, over a tree with failures, a file reached twice and
// results that clash.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/tsqz_runner.h"
#include "support/test_support.h"

namespace tsqz::test {
namespace {

namespace fs = std::filesystem;

// Files and their bytes below a folder, keyed by relative path; folders as "<dir>".
std::map<std::string, std::string> TreeOf(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        tree[fs::relative(entry.path(), root).string()] =
            entry.is_directory() ? "<dir>" : ReadFile(entry.path().string());
    }
    return tree;
}

// The shared corpus pages, or the sample page in a few sizes when the corpus is absent.
void FillSite(const fs::path& site) {
    fs::create_directories(site / "deep" / "er");
    const std::string shared = SharedDir();
    size_t n = 0;
    if (!shared.empty()) {
        for (const char* folder : {"/corpus/legacy", "/corpus"}) {
            for (const auto& entry : fs::directory_iterator(shared + folder)) {
                if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
                const fs::path where = n % 3 == 0 ? site : n % 3 == 1 ? site / "deep" : site / "deep" / "er";
                fs::copy_file(entry.path(), where / entry.path().filename());
                ++n;
            }
        }
    }
    const std::string sample = ReadFile(std::string(TSQZ_SAMPLES_DIR) + "/sample.html");
    for (size_t k = 0; k < 8; ++k) {
        std::string page = sample;
        for (size_t r = 0; r < k; ++r) page.insert(page.rfind("</BODY>") == std::string::npos ? 0 : page.rfind("</BODY>"), "<P>More   text.</P>\r\n");
        WriteFile((site / ("sample" + std::to_string(k) + ".html")).string(), page);
    }
    WriteFile((site / "deep" / "broken.html").string(), "<html><xmp>never closed</html>");
    WriteFile((site / "deep" / "er" / "plain.htm").string(), "no markup at all");
}

std::string Masked(std::string text, const std::string& folder) {
    for (size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at)) {
        text.replace(at, folder.size(), "<run>");
    }
    const std::string stamp = "Compression report generated ";
    for (size_t at = text.find(stamp); at != std::string::npos; at = text.find(stamp, at + 1)) {
        const size_t end = text.find("\r\n", at);
        text.replace(at + stamp.size(), end - at - stamp.size(), "<time>");
    }
    return text;
}

struct Outcome {
    int status = 0;
    std::string messages;
    std::string out;
    std::string report;
    std::map<std::string, std::string> tree;
};

// One run in a fresh copy of the site.
Outcome RunIn(const fs::path& base, const std::string& name, std::vector<std::string> args) {
    const fs::path folder = base / name;
    fs::create_directories(folder);
    FillSite(folder / "site");
    // A files list that names a page of the folder again, a missing page and a page whose
    // result clashes with another's below -o.
    WriteFile((folder / "pages.lst").string(),
              "site/sample3.html\nsite/missing.html\nsite/deep/er/plain.htm\nsite/deep/sample1.html\n");
    fs::copy_file(folder / "site" / "sample1.html", folder / "site" / "deep" / "sample1.html");
    args.insert(args.begin(), {"--report", "report.txt", "--detailed", "--by-file", "-v"});
    args.push_back("site");
    args.push_back("pages.lst");
    TsqzOptions options;
    options.cwd = folder.string();
    const TsqzRun run = RunTsqz(args, options);
    Outcome outcome;
    outcome.status = run.status;
    outcome.messages = Masked(run.err, folder.string());
    outcome.out = run.out;
    if (fs::exists(folder / "report.txt")) {
        outcome.report = Masked(ReadFile((folder / "report.txt").string()), folder.string());
        fs::remove(folder / "report.txt");
    }
    outcome.tree = TreeOf(folder);
    return outcome;
}

TEST(TsqzJobsTest, EveryOutputModeGivesTheSerialRunsFilesMessagesReportAndStatus) {
    TempDir dir;
    const std::vector<std::vector<std::string>> modes = {
        {"--template", "all"},                                // in place, with backups
        {"--template", "safe", "--no-backup"},                // in place, no backups
        {"--template", "all", "-o", "public"},                // output folder
        {"--template", "safe", "--analyze"},                  // analysis only
    };
    for (size_t m = 0; m < modes.size(); ++m) {
        std::vector<std::string> serial_args = modes[m];
        serial_args.insert(serial_args.begin(), "-j1");
        const Outcome serial = RunIn(dir.path(), "serial" + std::to_string(m), serial_args);
        EXPECT_EQ(serial.status, 1) << "a failing document makes the exit status 1";
        EXPECT_NE(serial.report.find("Error log:"), std::string::npos);
        for (const char* jobs : {"2", "5"}) {
            std::vector<std::string> args = modes[m];
            args.insert(args.begin(), {"--jobs", jobs});
            const Outcome parallel =
                RunIn(dir.path(), "jobs" + std::string(jobs) + "-" + std::to_string(m), args);
            const std::string where = "mode " + std::to_string(m) + ", -j " + jobs;
            EXPECT_EQ(parallel.status, serial.status) << where;
            EXPECT_EQ(parallel.messages, serial.messages) << where;
            EXPECT_EQ(parallel.out, serial.out) << where;
            EXPECT_EQ(parallel.report, serial.report) << where;
            EXPECT_TRUE(parallel.tree == serial.tree) << where;
        }
    }
}

TEST(TsqzJobsTest, JobCountMustBeAPositiveNumber) {
    for (const char* bad : {"-j0", "-jx", "--jobs=-1", "--jobs=99999"}) {
        const TsqzRun run = RunTsqz({bad, "page.html"});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_NE(run.err.find("-j takes a number"), std::string::npos) << bad;
    }
}

TEST(TsqzJobsTest, ProgressOnATerminalCountsDocumentsDoneOutOfTotal) {
    TempDir dir;
    FillSite(fs::path(dir.path()) / "site");
    TsqzOptions options;
    options.cwd = dir.path();
    options.terminal = true;
    const TsqzRun run = RunTsqz({"-j", "2", "--analyze", "site"}, options);
    const size_t total = TreeOf(fs::path(dir.path()) / "site").size() - 2;  // less the folders
    const std::string last = "[" + std::to_string(total) + "/" + std::to_string(total) + "]";
    EXPECT_NE(run.err.find(last), std::string::npos) << run.err;
}

}  // namespace
}  // namespace tsqz::test
