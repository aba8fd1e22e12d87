// What tsqz promises about the user's files, driven as a careless or hostile user would: a
// report named onto a page, kills half-way, full disks, planted links, two runs at once, pages
// the engine refuses below an output folder, folders and names at the system's limits.
//
// Kill points and a full disk come from the program's test-only TSQZ_TEST_FAULT variable and
// from a file-size limit on the run.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "cli/tsqz_fixture.h"

namespace tsqz::test {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPage =
    "<HTML>\r\n<HEAD><TITLE>Page</TITLE></HEAD>\r\n<BODY BGCOLOR=\"white\">\r\n"
    "<P>Some   text &amp; more.</P>\r\n\r\n\r\n<P>And   more   text.</P>\r\n</BODY>\r\n</HTML>\r\n";

// 70000 bytes with no place to cut a chunk: the engine refuses it with -17.
std::string UncuttablePage() { return "<HTML><BODY>" + std::string(70000, 'x') + "</BODY></HTML>"; }

bool Has(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// Every entry below a folder: file bytes, "<link>target" or "<folder>", with the mode.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        struct stat st {};
        ::lstat(entry.path().c_str(), &st);
        std::string shown;
        if (entry.is_symlink()) {
            shown = "<link>" + fs::read_symlink(entry.path()).string();
        } else if (entry.is_regular_file()) {
            shown = ReadFile(entry.path().string());
        } else {
            shown = "<other>";
        }
        files[fs::relative(entry.path(), folder).string()] =
            shown + " mode " + std::to_string(st.st_mode & 07777);
    }
    return files;
}

std::vector<std::string> Leftovers(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".tsqz-")) names.push_back(name);
    }
    return names;
}

class SafetyTest : public TsqzFixture {
  protected:
    // Runs in the test's folder, so that paths can be given as a user types them.
    TsqzRun RunHere(const std::vector<std::string>& args, TsqzOptions options = {}) const {
        if (options.cwd.empty()) options.cwd = dir_.path();
        return Run(args, options);
    }
    TsqzRun RunWithFault(const std::vector<std::string>& args, const std::string& fault) const {
        TsqzOptions options;
        options.env = {{"TSQZ_TEST_FAULT", fault}};
        return RunHere(args, options);
    }

    // A run reading /dev/zero as its standard input, started in the background.
    StartedTsqz StartOnEndlessInput() const {
        const int zero = ::open("/dev/zero", O_RDONLY | O_CLOEXEC);
        const int saved = ::dup(0);
        ::dup2(zero, 0);  // inherited by the run started below
        TsqzOptions options;
        options.temp_dir = Temp();
        options.inherit_input = true;
        StartedTsqz run({"-"}, options);
        ::dup2(saved, 0);
        ::close(saved);
        ::close(zero);
        return run;
    }
};

// 1. A report that would land on a document, a backup, or a source or result of -o is a usage
// error before anything is written, however the same file is named.
TEST_F(SafetyTest, ReportNeverReplacesADocumentBackupOrResult) {
    struct Row {
        std::vector<std::string> args;
        std::string_view why;
    };
    const Row rows[] = {
        {{"--no-backup", "--report", "a.html", "a.html"}, "the document itself"},
        {{"--report", "a.html", "--append", "a.html"}, "appended to the document"},
        {{"--report", "a.html.tsbak", "a.html"}, "the only backup"},
        {{"--report", "./sub/../a.html.tsbak", "--overwrite-backup", "a.html"}, "backup, other spelling"},
        {{"--report", "link.txt", "a.html"}, "a link to the document"},
        {{"--report", "hard.html", "--no-backup", "a.html"}, "a hard link to the document"},
        {{"-o", "out", "--report", "out/a.html", "a.html"}, "the -o result"},
        {{"-o", "out", "--report", "a.html", "a.html"}, "the -o source"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        TempDir folder;
        auto put = [&](const std::string& name, std::string_view bytes) {
            fs::create_directories(fs::path(folder.File(name)).parent_path());
            WriteFile(folder.File(name), bytes);
        };
        put("a.html", kPage);
        put("a.html.tsbak", "the original");
        put("out/a.html", "old result");
        fs::create_directory(folder.File("sub"));
        fs::create_symlink("a.html", folder.File("link.txt"));
        fs::create_hard_link(folder.File("a.html"), folder.File("hard.html"));
        const auto before = Snapshot(folder.path());
        TsqzOptions options;
        options.cwd = folder.path();
        const TsqzRun run = RunHere(row.args, options);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_TRUE(Has(run.err, "--report")) << run.err;
        EXPECT_EQ(Snapshot(folder.path()), before);
    }
}

// 2. A backup is complete or absent. Killed before the backup is in place: no backup, the
// document untouched, and the next run names the killed run's temporary file. Killed after:
// a complete backup beside the untouched document, which the next run keeps. An empty backup
// is never "kept" as if it held the original.
TEST_F(SafetyTest, BackupIsCompleteOrAbsentWhateverPointARunIsKilledAt) {
    const std::string page = Put("a.html", kPage);

    TsqzRun run = RunWithFault({"a.html"}, "kill:backup-staged");
    EXPECT_EQ(run.status, 128 + SIGKILL);
    EXPECT_FALSE(PathExists(page + ".tsbak"));
    EXPECT_EQ(ReadFile(page), kPage);
    const std::vector<std::string> left = Leftovers(dir_.path());
    ASSERT_EQ(left.size(), 1u);
    run = RunHere({"a.html"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.err, left[0]) && Has(run.err, "interrupted")) << run.err;
    EXPECT_EQ(ReadFile(page + ".tsbak"), kPage);

    for (const char* fault : {"kill:document-staged", "kill:backup-placed"}) {
        SCOPED_TRACE(fault);
        WriteFile(page, kPage);
        fs::remove(page + ".tsbak");
        run = RunWithFault({"a.html"}, fault);
        EXPECT_EQ(run.status, 128 + SIGKILL);
        EXPECT_EQ(ReadFile(page), kPage);
        const bool placed = std::string_view(fault) == "kill:backup-placed";
        EXPECT_EQ(PathExists(page + ".tsbak"), placed);
        if (placed) {
            EXPECT_EQ(ReadFile(page + ".tsbak"), kPage);
        }
    }
    run = RunHere({"-v", "a.html"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.err, "kept")) << run.err;
    EXPECT_EQ(ReadFile(page + ".tsbak"), kPage);
    EXPECT_NE(ReadFile(page), kPage);

    // An empty backup holds no original: the document is left alone.
    const std::string other = Put("b.html", kPage);
    Put("b.html.tsbak", "");
    run = RunHere({"b.html"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "empty")) << run.err;
    EXPECT_EQ(ReadFile(other), kPage);
    EXPECT_EQ(ReadFile(other + ".tsbak"), "");
}

// 3. Nothing is written through a link planted at a backup path or an -o destination; a
// document that is itself a link has the file it points to replaced, the link kept.
TEST_F(SafetyTest, PlantedLinksAreNeverWrittenThrough) {
    const std::string victim = Put("p.txt", "private data");
    ::chmod(victim.c_str(), 0600);
    const std::string page = Put("a.html", kPage);
    fs::create_symlink("p.txt", page + ".tsbak");
    TsqzRun run = RunHere({"--overwrite-backup", "a.html"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "symbolic link")) << run.err;
    EXPECT_EQ(ReadFile(page), kPage);

    fs::create_directories(Path("out"));
    fs::create_symlink("../p.txt", Path("out/a.html"));
    run = RunHere({"-o", "out", "a.html"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(fs::is_symlink(Path("out/a.html")));
    EXPECT_TRUE(Has(ReadFile(Path("out/a.html")), "</HTML>"));

    EXPECT_EQ(ReadFile(victim), "private data");
    struct stat st {};
    ASSERT_EQ(::stat(victim.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    const std::string real = Put("real.html", kPage);
    fs::create_symlink("real.html", Path("linked.html"));
    run = RunHere({"--no-backup", "linked.html"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(Path("linked.html")));
    EXPECT_NE(ReadFile(real), kPage);
}

// Blocked flock waiters on a file, as /proc/locks lists them.
int LockWaiters(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    std::ifstream locks("/proc/locks");
    const std::string inode = ":" + std::to_string(st.st_ino) + " ";
    int count = 0;
    for (std::string line; std::getline(locks, line);) {
        if (Has(line, "->") && Has(line, inode)) ++count;
    }
    return count;
}

// 4. Two runs on one document take turns: with both started before either could replace it,
// the second finds the document changed and leaves it, so the backup holds the original
// every time (20 pairs of --overwrite-backup runs).
TEST_F(SafetyTest, TwoRunsOnOneDocumentNeverLoseTheOriginal) {
    if (!PathExists("/proc/locks")) GTEST_SKIP() << "no /proc/locks to see waiting runs";
    const std::string page = Put("a.html", kPage);
    for (int pair = 0; pair < 20; ++pair) {
        SCOPED_TRACE(pair);
        WriteFile(page, kPage);
        fs::remove(page + ".tsbak");
        // The test holds the document so that both runs are started and waiting.
        const int holder = ::open(page.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(holder, 0);
        ASSERT_EQ(::flock(holder, LOCK_EX), 0);
        TsqzOptions options;
        options.cwd = dir_.path();
        options.temp_dir = Temp();
        StartedTsqz first({"--overwrite-backup", "a.html"}, options);
        StartedTsqz second({"--overwrite-backup", "a.html"}, options);
        for (int wait = 0; wait < 500 && LockWaiters(page) < 2; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::close(holder);
        const TsqzRun a = first.Wait();
        const TsqzRun b = second.Wait();
        EXPECT_EQ(a.status + b.status, 1) << a.err << b.err;
        EXPECT_TRUE(Has(a.err + b.err, "changed after this run started")) << a.err << b.err;
        EXPECT_EQ(ReadFile(page + ".tsbak"), kPage);
    }
}

// 5. A run that cannot finish (a full disk) leaves the old backup and the document exactly as
// they were, --overwrite-backup or not.
TEST_F(SafetyTest, FullDiskLeavesBackupAndDocumentAsTheyWere) {
    const std::string page = Put("a.html", kPage);
    Put("a.html.tsbak", "the first original");
    const auto before = Snapshot(dir_.path());

    TsqzRun run = RunWithFault({"--overwrite-backup", "a.html"}, "full:document-staged");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "code -9") && Has(run.err, "No space left")) << run.err;
    EXPECT_EQ(Snapshot(dir_.path()), before);

    // A real limit: the engine's smaller result fits, the backup of the original does not.
    std::string big = "<HTML>\r\n<BODY>\r\n";
    for (int i = 0; i < 400; ++i) big += "<P>Some   text   here &amp; more.</P>\r\n\r\n\r\n";
    big += "</BODY>\r\n</HTML>\r\n";
    WriteFile(page, big);
    const auto big_before = Snapshot(dir_.path());
    TsqzOptions options;
    options.file_size_limit = static_cast<long>(big.size()) * 7 / 8;
    run = RunHere({"--overwrite-backup", "a.html"}, options);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "cannot write the backup")) << run.err;
    EXPECT_EQ(Snapshot(dir_.path()), big_before);
}

// 6. Standard input: a stop signal is honoured while data keeps flowing.
TEST_F(SafetyTest, StopSignalEndsAnEndlessStandardInput) {
    if (!PathExists("/dev/zero")) GTEST_SKIP();
    StartedTsqz run = StartOnEndlessInput();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(run.pid(), SIGTERM);
    const auto start = std::chrono::steady_clock::now();
    const TsqzRun done = run.Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(done.status, 128 + SIGTERM) << done.err;
    EXPECT_TRUE(done.out.empty());
    EXPECT_TRUE(fs::is_empty(Temp()));
}

// 6. Standard input longer than the engine takes is refused once one byte too many came.
// It reads 1 GiB, so it runs only with TSQZ_SLOW_TESTS=1.
TEST_F(SafetyTest, StandardInputBeyondTheLargestDocumentIsRefused) {
    if (!std::getenv("TSQZ_SLOW_TESTS")) GTEST_SKIP() << "set TSQZ_SLOW_TESTS=1";
    StartedTsqz run = StartOnEndlessInput();
    const TsqzRun done = run.Wait();
    EXPECT_EQ(done.status, 1);
    EXPECT_TRUE(Has(done.err, "more than 1073741824 bytes")) << done.err;
    EXPECT_TRUE(done.out.empty());
}

// 7. With -o the output tree is complete: a page the engine refuses is copied unchanged with
// a warning naming the code, and is no failure unless --strict.
TEST_F(SafetyTest, OutputFolderGetsRefusedPagesUnchanged) {
    Put("site/ok.html", kPage);
    Put("site/big.html", UncuttablePage());
    Put("site/sub/plain.htm", "no markup at all");
    TsqzRun run = RunHere({"-o", "out", "site"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Path("out/big.html")), UncuttablePage());
    EXPECT_EQ(ReadFile(Path("out/sub/plain.htm")), "no markup at all");
    EXPECT_NE(ReadFile(Path("out/ok.html")), kPage);
    EXPECT_TRUE(Has(run.err, "warning: site/big.html: copied unchanged to out/big.html: code -17"))
        << run.err;
    EXPECT_TRUE(Has(run.err, "code -1 ")) << run.err;
    EXPECT_TRUE(Has(run.err, "3 documents (0 failed, 2 copied unchanged)")) << run.err;

    run = RunHere({"--strict", "-o", "strict", "site"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(ReadFile(Path("strict/big.html")), UncuttablePage());
}

// Makes nested folders below base, one per name, with *at calls so that the whole path may
// exceed what one system call accepts; returns an open descriptor of the deepest.
int MakeNested(const std::string& base, const std::vector<std::string>& names) {
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
    for (const std::string& name : names) {
        ::mkdirat(fd, name.c_str(), 0755);
        const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    return fd;
}

void PutAt(int folder, const std::string& name, std::string_view bytes) {
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// 8. Nothing is skipped silently: an output folder that is the searched folder, folders
// deeper than the search goes, and paths longer than the system takes.
TEST_F(SafetyTest, NothingIsSkippedSilently) {
    Put("site/a.html", kPage);
    const auto before = Snapshot(Path("site"));
    TsqzRun run = RunHere({"-o", "site", "site/"});
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_TRUE(Has(run.err, "being searched")) << run.err;
    EXPECT_EQ(Snapshot(Path("site")), before);

    fs::create_directory(Path("deep"));
    int fd = MakeNested(Path("deep"), std::vector<std::string>(70, "d"));
    PutAt(fd, "a.html", kPage);
    ::close(fd);
    run = RunHere({"--analyze", "deep"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(Has(run.err, "folders deep and was not searched")) << run.err;

    fs::create_directory(Path("long"));
    fd = MakeNested(Path("long"), std::vector<std::string>(16, std::string(250, 'n')));
    PutAt(fd, std::string(245, 'p') + ".html", kPage);
    ::close(fd);
    run = RunHere({"--analyze", "long"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(Has(run.err, "code -22")) << run.err;
}

// 9. Failures are named by their real cause, the system's reason on a line of its own beside
// the engine's text; a name of 255 bytes is no reason to fail.
TEST_F(SafetyTest, MessagesNameTheRealCause) {
    // 255 bytes: no room for a backup's ".tsbak", which the message says.
    const std::string name = std::string(250, 'n') + ".html";
    Put(name, kPage);
    TsqzRun run = RunHere({name});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "File name too long") && Has(run.err, "--no-backup")) << run.err;
    EXPECT_EQ(ReadFile(Path(name)), kPage);
    run = RunHere({"--no-backup", name});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(ReadFile(Path(name)), kPage);
    run = RunHere({"-o", "out", name});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Path("out/" + name)), ReadFile(Path(name)));

    Put("a.html", kPage);
    fs::create_directory(Path("settings"));
    run = RunHere({"--ini", "settings", "a.html"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(run.err, "is a folder")) << run.err;

    run = RunHere({"--report", "missing/report.txt", "--no-backup", "a.html"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "code -14")) << run.err;
    EXPECT_TRUE(Has(run.err, "the system says: No such file or directory")) << run.err;

    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    TsqzOptions closed;
    closed.stdout_fd = fds[1];
    run = RunHere({"--stdout", "a.html"}, closed);
    ::close(fds[1]);
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "code -9") && Has(run.err, "Broken pipe")) << run.err;

    ASSERT_EQ(::mkfifo(Path("fifo.html").c_str(), 0600), 0);
    run = RunHere({"fifo.html"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "code -21") && Has(run.err, "not a regular file")) << run.err;
}

// 10. A temporary folder whose path holds "HKEY_" is no key-store path to the run; a settings
// file without any option section is a warning, and a usage error when named by --ini.
TEST_F(SafetyTest, SettingsAreNeverSilentlyEmpty) {
    Put("a.html", kPage);
    fs::create_directory(Path("HKEY_tmp"));
    TsqzOptions options;
    options.temp_dir = Path("HKEY_tmp");
    TsqzRun run = RunHere({"--no-backup", "a.html"}, options);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(ReadFile(Path("a.html")), kPage);

    Put("empty.ini", "[Other]\nKey=1\n");
    run = RunHere({"--ini", "empty.ini", "--print-options"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(run.err, "none of the option sections")) << run.err;

    WriteFile(program_.File("Tagsqueeze.ini"), "[Other]\nKey=1\n");
    run = RunHere({"--print-options"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.err, "warning:") && Has(run.err, "none of the option sections")) << run.err;
}

// 11. In place, a read-only document or another user's is refused with -9 unless --force;
// forced, its mode and owner stay.
TEST_F(SafetyTest, ReadOnlyAndOtherUsersDocumentsNeedForce) {
    const std::string page = Put("a.html", kPage);
    ::chmod(page.c_str(), 0444);
    TsqzRun run = RunHere({"a.html"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "code -9") && Has(run.err, "read-only (mode 0444)")) << run.err;
    EXPECT_EQ(ReadFile(page), kPage);
    EXPECT_FALSE(PathExists(page + ".tsbak"));

    run = RunHere({"--force", "a.html"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(ReadFile(page), kPage);
    struct stat st {};
    ASSERT_EQ(::stat(page.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);

    if (::geteuid() != 0) return;  // only the super-user can give a file away
    const std::string theirs = Put("b.html", kPage);
    ASSERT_EQ(::chown(theirs.c_str(), 1, 1), 0);
    run = RunHere({"b.html"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "belongs to another user")) << run.err;
    EXPECT_EQ(ReadFile(theirs), kPage);
    run = RunHere({"--force", "b.html"});
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(::stat(theirs.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 1u);
}

// 12. A program folder named by TAGSQUEEZE_PROGRAM_DIR is not created just to look for a
// settings file; a report named onto a FIFO or a link is written through or refused, never
// replaced.
TEST_F(SafetyTest, ReportTargetsAndProgramFolderAreLeftAsTheyAre) {
    Put("a.html", kPage);
    TsqzOptions options;
    options.env = {{"TAGSQUEEZE_PROGRAM_DIR", Path("not/made")}};
    TsqzRun run = RunHere({"--analyze", "a.html"}, options);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(PathExists(Path("not")));

    Put("real.txt", "old");
    fs::create_symlink("real.txt", Path("report.txt"));
    run = RunHere({"--analyze", "--report", "report.txt", "a.html"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(Path("report.txt")));
    EXPECT_NE(ReadFile(Path("real.txt")), "old");

    ASSERT_EQ(::mkfifo(Path("report.fifo").c_str(), 0600), 0);
    run = RunHere({"--analyze", "--report", "report.fifo", "a.html"});  // nobody reads it
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(fs::is_fifo(Path("report.fifo")));

    std::string received;
    std::thread reader([&] { received = ReadFile(Path("report.fifo")); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    run = RunHere({"--analyze", "--report", "report.fifo", "a.html"});
    reader.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_fifo(Path("report.fifo")));
    EXPECT_FALSE(received.empty());
}

}  // namespace
}  // namespace tsqz::test
