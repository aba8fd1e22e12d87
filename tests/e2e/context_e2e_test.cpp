// The re-entrant interface through the shared library: contexts on threads of their own give
// what one engine gives serially, and jobs merged in document order give the serial report.
// The tsan preset runs these under ThreadSanitizer.
#include <gtest/gtest.h>
#include <tagsqueeze.h>
#include <tagsqueeze_context.h>

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace {

using tsqz::test::ProgramDirScope;
using tsqz::test::ReadFile;
using tsqz::test::TempDir;
using tsqz::test::WriteFile;

struct ContextDeleter {
    void operator()(TsqzContext* context) const { TsqzContextDestroy(context); }
};
using ContextPtr = std::unique_ptr<TsqzContext, ContextDeleter>;

ContextPtr MakeContext(const std::string& folder) {
    std::filesystem::create_directories(folder);
    return ContextPtr(TsqzContextCreate(folder.c_str()));
}

struct Page {
    std::string name;
    std::string text;
};

// The shared corpus (legacy pages and modern pages up to 700 KB, which keeps the run short
// under ThreadSanitizer), or a few made-up pages when it is absent.
std::vector<Page> CorpusPages() {
    std::vector<Page> pages;
    const std::string shared = tsqz::test::SharedDir();
    if (!shared.empty()) {
        for (const char* folder : {"/corpus/legacy", "/corpus"}) {
            for (const auto& entry : std::filesystem::directory_iterator(shared + folder)) {
                const std::string path = entry.path().string();
                if (!entry.is_regular_file() || path.ends_with(".md") ||
                    entry.file_size() > 700 * 1024) {
                    continue;
                }
                pages.push_back({path, ReadFile(path)});
            }
        }
    }
    if (pages.empty()) {
        for (int i = 0; i < 12; ++i) {
            std::string body;
            for (int k = 0; k <= i * 40; ++k) {
                body += "<P><STRONG>Item  " + std::to_string(k) +
                        "</STRONG>   <FONT COLOR=\"#FF0000\">red</FONT>\r\n";
            }
            pages.push_back({"made-up-" + std::to_string(i),
                             "<HTML>\r\n<HEAD><TITLE>t</TITLE></HEAD>\r\n<BODY>\r\n" + body +
                                 "</BODY>\r\n</HTML>\r\n"});
        }
    }
    std::sort(pages.begin(), pages.end(), [](const Page& a, const Page& b) { return a.name < b.name; });
    return pages;
}

// What one compression gives: the code, the result and the last document's figures.
struct Result {
    int32_t code = 0;
    std::string text;
    int32_t saved = 0;
    std::string total;
    bool operator==(const Result&) const = default;
};

Result Compress(TsqzContext* context, const Page& page) {
    std::string buffer(page.text.size() * 2 + 65536, '\0');
    std::copy(page.text.begin(), page.text.end(), buffer.begin());
    Result result;
    TsqzContextResetStatistics(context, 1);
    result.code = TsqzContextCompressBuffer(context, page.name.c_str(), buffer.data(),
                                            static_cast<int32_t>(buffer.size()));
    if (result.code == 0) result.text.assign(buffer.c_str());
    result.saved = TsqzContextBaseStats(context, 1, 0);
    result.total = TsqzContextSavings(context, 0, 0, 0);
    return result;
}

class ContextE2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::setlocale(LC_ALL, "C");
        // Every option of the all-options template, read the same way by every context.
        InitCompressionParams();
        ASSERT_EQ(WriteSwitchTemplate(settings_.c_str(), 3), 1);
        int32_t status = 0;
        ASSERT_EQ(ReadCompressionParams(settings_.c_str(), &status), 1);
        SetCompressionMode(0, 0, 0);
        SetReportParameters(nullptr, 0, 0, 0);
        ResetCompressionStatistics(0);
    }

    ProgramDirScope program_;
    TempDir dir_;
    const std::string settings_ = dir_.File("all.ini");
};

TEST_F(ContextE2eTest, ContextsOnThreadsMatchTheSerialRunByteForByte) {
    const std::vector<Page> pages = CorpusPages();
    // Serially, through the classic functions' default context.
    std::vector<Result> serial;
    for (const Page& page : pages) serial.push_back(Compress(TsqzDefaultContext(), page));

    // Each thread compresses every page, starting at a different one, so that different pages
    // run side by side; its options come from the file, are copied from the default context,
    // or are set one by one by name.
    constexpr size_t kThreads = 4;
    std::vector<std::vector<Result>> got(kThreads, std::vector<Result>(pages.size()));
    std::vector<std::thread> threads;
    for (size_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ContextPtr context = MakeContext(dir_.File("work-" + std::to_string(t)));
            if (t % 3 == 0) {
                int32_t status = 0;
                TsqzContextReadOptions(context.get(), settings_.c_str(), &status);
            } else if (t % 3 == 1) {
                TsqzContextCopySettings(context.get(), TsqzDefaultContext());
            } else {
                for (int32_t i = 0; i < TsqzOptionCount(); ++i) {
                    TsqzOptionInfo info{};
                    int32_t value = 0;
                    if (TsqzDescribeOption(i, &info) &&
                        TsqzContextGetOption(TsqzDefaultContext(), info.name, &value)) {
                        TsqzContextSetOption(context.get(), info.name, value);
                    }
                }
            }
            for (size_t k = 0; k < pages.size(); ++k) {
                const size_t i = (k + t * pages.size() / kThreads) % pages.size();
                got[t][i] = Compress(context.get(), pages[i]);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    size_t compressed = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        if (serial[i].code == 0) ++compressed;
        for (size_t t = 0; t < kThreads; ++t) {
            EXPECT_TRUE(got[t][i] == serial[i]) << pages[i].name << " on thread " << t;
        }
    }
    EXPECT_GT(compressed, pages.size() / 2);
}

// The report with the generation time masked (the clock cannot be pinned from outside).
std::string Masked(std::string report) {
    const std::string stamp = "Compression report generated ";
    for (size_t at = report.find(stamp); at != std::string::npos; at = report.find(stamp, at + 1)) {
        const size_t end = report.find("\r\n", at);
        report.replace(at + stamp.size(), end - at - stamp.size(), "<time>");
    }
    return report;
}

TEST_F(ContextE2eTest, JobsMergedInDocumentOrderGiveTheSerialReport) {
    // Documents that succeed, fail before and after the pipeline starts, in a fixed order.
    std::vector<std::string> files;
    const std::vector<Page> pages = CorpusPages();
    for (size_t i = 0; i < pages.size() && files.size() < 6; i += 3) {
        files.push_back(dir_.File("page" + std::to_string(i) + ".htm"));
        WriteFile(files.back(), pages[i].text);
    }
    files.insert(files.begin() + 1, dir_.File("missing.htm"));
    files.insert(files.begin() + 3, dir_.File("broken.htm"));
    WriteFile(files[3], "<html><xmp>never closed</html>");
    files.push_back(dir_.File("not-html.htm"));
    WriteFile(files.back(), "plain text");

    const auto job = [&](TsqzContext* context, const std::string& report) {
        TsqzContextCopySettings(context, TsqzDefaultContext());
        TsqzContextSetBatchMode(context, 1);
        TsqzContextSetReport(context, report.c_str(), 0, 1, 1);
        TsqzContextResetStatistics(context, 0);
    };
    const std::string output = dir_.File("out.htm");

    // One context does the whole job.
    ContextPtr serial = MakeContext(dir_.File("serial"));
    const std::string serial_report = dir_.File("serial.txt");
    job(serial.get(), serial_report);
    for (const std::string& file : files) {
        TsqzContextCompressFile(serial.get(), file.c_str(), output.c_str());
    }
    ASSERT_EQ(TsqzContextWriteReport(serial.get(), 1), 0);

    // Two workers take turns; their jobs go into a third context in document order.
    ContextPtr collector = MakeContext(dir_.File("collector"));
    ContextPtr workers[2] = {MakeContext(dir_.File("w0")), MakeContext(dir_.File("w1"))};
    const std::string merged_report = dir_.File("merged.txt");
    job(collector.get(), merged_report);
    for (ContextPtr& worker : workers) job(worker.get(), merged_report);
    for (size_t i = 0; i + 1 < files.size(); i += 2) {
        TsqzContextCompressFile(workers[0].get(), files[i].c_str(), output.c_str());
        TsqzContextCompressFile(workers[1].get(), files[i + 1].c_str(), output.c_str());
        ASSERT_EQ(TsqzContextMergeJob(collector.get(), workers[0].get()), 0);
        ASSERT_EQ(TsqzContextMergeJob(collector.get(), workers[1].get()), 0);
    }
    if (files.size() % 2 == 1) {
        TsqzContextCompressFile(workers[0].get(), files.back().c_str(), output.c_str());
        ASSERT_EQ(TsqzContextMergeJob(collector.get(), workers[0].get()), 0);
    }
    ASSERT_EQ(TsqzContextWriteReport(collector.get(), 1), 0);

    const std::string expected = Masked(ReadFile(serial_report));
    EXPECT_NE(expected.find("Error log:"), std::string::npos);
    EXPECT_EQ(Masked(ReadFile(merged_report)), expected);
    int32_t code = 0;
    int32_t count = 0;
    int32_t serial_count = 0;
    TsqzContextLastError(collector.get(), &code, &count);
    TsqzContextLastError(serial.get(), nullptr, &serial_count);
    EXPECT_EQ(count, serial_count);
    EXPECT_EQ(TsqzContextBaseStats(collector.get(), 0, 0), TsqzContextBaseStats(serial.get(), 0, 0));
    // The workers' jobs were handed over completely.
    EXPECT_EQ(TsqzContextBaseStats(workers[0].get(), 0, 0), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir_.File("w0")));
}

}  // namespace
