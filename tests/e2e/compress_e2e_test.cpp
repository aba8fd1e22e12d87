// Compressing through the public interface, as a host does: file and buffer modes, error
// codes, counting and logging, atomic replacement and the bounded buffer export.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tagsqueeze.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

using tsqz::test::PathExists;
using tsqz::test::ProgramDirScope;
using tsqz::test::ReadFile;
using tsqz::test::TempDir;
using tsqz::test::WriteFile;

// Every switch off, reports off, statistics reset; the process-wide engine carries state
// from test to test otherwise.
class CompressTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitCompressionParams();
        SetCompressionMode(0, 0, 0);
        SetReportParameters(nullptr, 0, 0, 0);
        ResetCompressionStatistics(0);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = dir_.File(name);
        WriteFile(path, bytes);
        return path;
    }
    std::string ErrorLog() const { return ReadFile(program_dir_.File("~errors.tmp")); }

    ProgramDirScope program_dir_;
    TempDir dir_;
};

const std::string kPage = "<HTML><BODY><P>Hello</P></BODY></HTML>\r\n";

TEST_F(CompressTest, AllSwitchesOffRoundTripsEveryByte) {
    std::string binary = "<html>\r\n<body>\n\x80\xfe\xff";
    binary += std::string("a\0b", 3);
    binary += "\r</body></html>";
    for (const std::string& doc : {kPage, std::string("<html>\n<p>lf only\n</html>\n"), binary}) {
        const std::string in = Write("in.htm", doc);
        const std::string out = dir_.File("out.htm");
        ASSERT_EQ(CompressHTMLFile(in.c_str(), in.c_str(), out.c_str()), 0);
        EXPECT_EQ(ReadFile(out), doc);
    }
}

TEST_F(CompressTest, ReferenceFileMissingGivesTwoAndTouchesNothing) {
    const std::string in = Write("in.htm", kPage);
    const std::string out = dir_.File("out.htm");
    EXPECT_EQ(CompressHTMLFile(in.c_str(), dir_.File("nope.htm").c_str(), out.c_str()), 2);
    EXPECT_FALSE(PathExists(out));
}

TEST_F(CompressTest, NotHtmlIsRefusedWithoutCountingOrLogging) {
    const std::string in = Write("in.txt", "just text, no markup");
    const std::string out = dir_.File("out.htm");
    SetReportParameters("report.txt", 0, 0, 0);
    EXPECT_EQ(CompressHTMLFile(in.c_str(), in.c_str(), out.c_str()), TSQZ_ERR_NOT_HTML);
    int32_t code = 0, count = 0;
    GetOptErrors(&code, &count);
    EXPECT_EQ(code, TSQZ_ERR_NOT_HTML);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(PathExists(out));
    EXPECT_FALSE(PathExists(program_dir_.File("~errors.tmp")));
}

TEST_F(CompressTest, MissingDocumentIsLoggedEvenWithReportsOff) {
    const std::string ref = Write("ref.htm", kPage);
    const std::string missing = dir_.File("missing.htm");
    EXPECT_EQ(CompressHTMLFile(missing.c_str(), ref.c_str(), dir_.File("o.htm").c_str()),
              TSQZ_ERR_FILE_NOT_FOUND);
    int32_t code = 0, count = 0;
    GetOptErrors(&code, &count);
    EXPECT_EQ(count, 1);
    // The entry carries the name given to the run: the reference path (shortened past 60).
    const std::string log = ErrorLog();
    EXPECT_NE(log.find("(file not found...unable to process)\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.rfind("\r\nError log:\r\n==========\r\nError processing ", 0), 0u) << log;
}

TEST_F(CompressTest, UnreadableDocumentAndFolderGiveTheirOwnCode) {
    const std::string ref = Write("ref.htm", kPage);
    EXPECT_EQ(CompressHTMLFile(dir_.path().c_str(), ref.c_str(), dir_.File("o.htm").c_str()),
              TSQZ_ERR_UNREADABLE);
    EXPECT_FALSE(PathExists(dir_.File("o.htm")));
    const std::string long_path = "/" + std::string(5000, 'a');
    EXPECT_EQ(CompressHTMLFile(long_path.c_str(), ref.c_str(), dir_.File("o.htm").c_str()),
              TSQZ_ERR_PATH_TOO_LONG);
}

TEST_F(CompressTest, BatchModeAccumulatesTheErrorCount) {
    const std::string ref = Write("ref.htm", kPage);
    const std::string missing = dir_.File("missing.htm");
    int32_t code = 0, count = 0;
    SetCompressionMode(0, 1, 0);
    for (int i = 0; i < 3; ++i) {
        CompressHTMLFile(missing.c_str(), ref.c_str(), dir_.File("o.htm").c_str());
    }
    GetOptErrors(&code, &count);
    EXPECT_EQ(count, 3);
    SetCompressionMode(0, 0, 0);
    CompressHTMLFile(missing.c_str(), ref.c_str(), dir_.File("o.htm").c_str());
    GetOptErrors(&code, &count);
    EXPECT_EQ(count, 1);  // outside batch mode every call starts again from 0
}

TEST_F(CompressTest, SourceHoldingTheDocumentIsCompressedInMemory) {
    const std::string ref = Write("ref.htm", kPage);
    const std::string out = dir_.File("out.htm");
    EXPECT_EQ(CompressHTMLFile(kPage.c_str(), ref.c_str(), out.c_str()), 0);
    EXPECT_FALSE(PathExists(out));
}

TEST_F(CompressTest, ChunkFailureWritesNothingAndCounts) {
    std::string doc = "<html>" + std::string(70000, 'x') + "</html>";
    const std::string in = Write("big.htm", doc);
    const std::string out = dir_.File("out.htm");
    EXPECT_EQ(CompressHTMLFile(in.c_str(), in.c_str(), out.c_str()), TSQZ_ERR_NO_CUT_POINT);
    int32_t code = 0, count = 0;
    GetOptErrors(&code, &count);
    EXPECT_EQ(count, 1);
    EXPECT_FALSE(PathExists(out));
}

TEST_F(CompressTest, SeveralChunksComeBackByteForByte) {
    std::string doc = "<html>\r\n";
    for (int i = 0; i < 40; ++i)
        doc += "<P>" + std::string(4000, 'a' + i % 26) + "\r\n";
    doc += "</html>";
    const std::string in = Write("big.htm", doc);
    ASSERT_EQ(CompressHTMLFile(in.c_str(), in.c_str(), in.c_str()), 0);
    EXPECT_EQ(ReadFile(in), doc);
}

// A full disk, simulated by a file-size limit: the write fails with -9 and the old file
// stays as it was, with no temporary file left beside it.
TEST_F(CompressTest, FailedWriteLeavesTheOldFileIntact) {
    const std::string doc = "<html>" + std::string(8192, 'y') + "</html>";
    const std::string in = Write("in.htm", doc);
    const std::string out = Write("out.htm", "old contents");
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int32_t result = CompressHTMLFile(in.c_str(), in.c_str(), out.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result, TSQZ_ERR_WRITE);
    EXPECT_EQ(ReadFile(out), "old contents");
    EXPECT_EQ(ReadFile(in), doc);
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".tsqz-"), std::string::npos);
    }

    // An output folder that cannot take a new file.
    if (geteuid() != 0) {
        TempDir locked;
        const std::string target = locked.File("out.htm");
        WriteFile(target, "old");
        chmod(locked.path().c_str(), 0500);
        EXPECT_EQ(CompressHTMLFile(in.c_str(), in.c_str(), target.c_str()), TSQZ_ERR_WRITE);
        chmod(locked.path().c_str(), 0700);
        EXPECT_EQ(ReadFile(target), "old");
    }
}

// An existing output file set to read-only is a write error (-9) and stays as it was, even
// for the super-user; a new output file beside it is written.
TEST_F(CompressTest, ReadOnlyOutputFileIsNotOverwritten) {
    const std::string doc = "<html><P>text</P></html>";
    const std::string in = Write("in.htm", doc);
    const std::string out = Write("out.htm", "old contents");
    chmod(out.c_str(), 0444);
    EXPECT_EQ(CompressHTMLFile(in.c_str(), in.c_str(), out.c_str()), TSQZ_ERR_WRITE);
    EXPECT_EQ(ReadFile(out), "old contents");
    chmod(in.c_str(), 0444);
    EXPECT_EQ(CompressHTMLFile(in.c_str(), in.c_str(), in.c_str()), TSQZ_ERR_WRITE);
    EXPECT_EQ(ReadFile(in), doc);
    const std::string fresh = dir_.File("fresh.htm");
    EXPECT_EQ(CompressHTMLFile(in.c_str(), in.c_str(), fresh.c_str()), 0);
    EXPECT_TRUE(PathExists(fresh));
}

TEST_F(CompressTest, ReplacementKeepsPermissionsAndFollowsLinks) {
    const std::string real = Write("real.htm", kPage);
    chmod(real.c_str(), 0640);
    const std::string link = dir_.File("link.htm");
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    ASSERT_EQ(CompressHTMLFile(link.c_str(), link.c_str(), link.c_str()), 0);
    struct stat st {};
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(ReadFile(real), kPage);
}

TEST_F(CompressTest, BufferExportsRoundTripAndTheBoundedOneRefusesASmallBuffer) {
    std::vector<char> memory(kPage.size() + 1);
    std::memcpy(memory.data(), kPage.c_str(), kPage.size() + 1);
    char* text = memory.data();
    EXPECT_EQ(CompressHTMLBuffer("page", &text), 0);
    EXPECT_EQ(std::string(text), kPage);

    std::vector<char> bounded(kPage.begin(), kPage.end());
    bounded.push_back('\0');
    EXPECT_EQ(CompressHTMLBufferEx("page", bounded.data(), static_cast<int32_t>(bounded.size())),
              0);
    EXPECT_EQ(std::string(bounded.data()), kPage);

    // The result and its NUL need kPage.size() + 1 bytes: one fewer is refused untouched.
    std::vector<char> small(kPage.begin(), kPage.end());
    small.push_back('\0');
    const std::vector<char> before = small;
    EXPECT_EQ(CompressHTMLBufferEx("page", small.data(), static_cast<int32_t>(kPage.size())),
              TSQZ_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(small, before);
    EXPECT_FALSE(PathExists(program_dir_.File("~errors.tmp")));
}

TEST_F(CompressTest, BufferWithoutHtmlIsTakenAsAPath) {
    const std::string in = Write("in.htm", kPage);
    const std::string out = dir_.File("named-by-first-argument.htm");
    std::vector<char> memory(in.begin(), in.end());
    memory.push_back('\0');
    char* text = memory.data();
    EXPECT_EQ(CompressHTMLBuffer(out.c_str(), &text), 0);
    EXPECT_EQ(std::string(text), in);  // the caller's text stays
    EXPECT_EQ(ReadFile(out), kPage);
}

TEST_F(CompressTest, SettersAndOptionCalls) {
    unsigned char level = 6;
    EXPECT_EQ(CompressCharEntities(&level), 0);
    EXPECT_EQ(level, 0);
    EXPECT_EQ(RewrapLines(12), 12);
    EXPECT_EQ(CompressSTRONG2B(2), 2);
    EXPECT_EQ(DebugCompressionParams(42), 0);
    InitCompressionParams();
    int32_t code = 99, count = 99;
    GetOptErrors(&code, &count);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(count, 0);
}

}  // namespace
