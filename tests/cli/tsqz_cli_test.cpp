// The command-line tool driven as a user runs it: in place with backups, an output folder,
// files lists, analysis, standard input, failures, usage errors, options and reports.
//
// The assertions hold whatever the compression passes do to a page: they check where bytes
// go and what is left untouched, never the exact compressed bytes.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/tsqz_fixture.h"
#include "support/test_support.h"

namespace tsqz::test {
namespace {

namespace fs = std::filesystem;

// A settings file like the front end's, with the option sections of a typical safe setup.
constexpr std::string_view kSettings =
    "[General Options]\r\nUsedOnce=1\r\n"
    "[Tag Options]\r\nStripEmpties=1\r\nStripComments=1\r\nStandardColors=1\r\n"
    "[Fine Tuning]\r\nStandardizeChars=4\r\nStripBlankLines=1\r\nOptimizeLines=1\r\n"
    "WordWrap=254\r\nStripSpaces=1\r\nStripQuotes=1\r\nCRLFToLF=1\r\nCompressStyleSheets=1\r\n"
    "[Script block options]\r\nScriptLines=1\r\nScriptComments=1\r\nASPBlocks=1\r\n";

constexpr std::string_view kSmallPage =
    "<HTML>\r\n<HEAD><TITLE>Small</TITLE></HEAD>\r\n<BODY BGCOLOR=\"white\">\r\n"
    "<!-- a comment -->\r\n<P>Some   text &amp; more.</P>\r\n\r\n\r\n</BODY>\r\n</HTML>\r\n";

std::string Sample() { return ReadFile(std::string(TSQZ_SAMPLES_DIR) + "/sample.html"); }

bool ContainsIgnoreCase(std::string text, std::string part) {
    auto lower = [](std::string& s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    };
    lower(text);
    lower(part);
    return text.find(part) != std::string::npos;
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Every file below a folder with its bytes, by path relative to the folder.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string relative = fs::relative(entry.path(), folder).string();
        files[relative] = entry.is_regular_file() ? ReadFile(entry.path().string()) : "<folder>";
    }
    return files;
}

class TsqzTest : public TsqzFixture {
  protected:
    TsqzTest() { WriteFile(program_.File("Tagsqueeze.ini"), kSettings); }
};

// In place: the document is replaced, the backup beside it holds the original bytes with the
// document's permission bits, and nothing else is left in the folder or in the temporary
// folder.
TEST_F(TsqzTest, InPlaceKeepsTheOriginalInTheBackup) {
    const std::string original = Sample();
    const std::string page = Put("site/page.html", original);
    ::chmod(page.c_str(), 0640);

    const TsqzRun run = Run({page});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(page + ".tsbak"), original);
    EXPECT_TRUE(ContainsIgnoreCase(ReadFile(page), "</html>"));
    struct stat st {};
    ASSERT_EQ(::stat((page + ".tsbak").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Snapshot(Path("site")).size(), 2u) << "only the page and its backup";
    EXPECT_TRUE(fs::is_empty(Temp())) << "the run's work folder is removed";
    EXPECT_NE(run.err.find("1 document (0 failed)"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());

    // Without a backup nothing but the document is written.
    const std::string other = Put("other/page.html", original);
    ASSERT_EQ(Run({"--no-backup", other}).status, 0);
    EXPECT_FALSE(PathExists(other + ".tsbak"));
}

// A second run never replaces the backup silently: it still holds the first original, until
// --overwrite-backup asks for the document's state before that run.
TEST_F(TsqzTest, ExistingBackupIsKeptUnlessOverwriteIsAsked) {
    const std::string first(kSmallPage);
    const std::string page = Put("page.html", first);
    ASSERT_EQ(Run({page}).status, 0);

    const std::string second = Sample();
    WriteFile(page, second);
    const TsqzRun again = Run({page, "-v"});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(ReadFile(page + ".tsbak"), first);
    EXPECT_NE(again.err.find("kept"), std::string::npos) << again.err;

    const std::string third = Sample() + "\r\n";
    WriteFile(page, third);
    ASSERT_EQ(Run({"--overwrite-backup", page}).status, 0);
    EXPECT_EQ(ReadFile(page + ".tsbak"), third);
}

// -o over a folder: the documents of every subfolder land at the same place below the output
// folder, other files are left out, the sources are untouched, and an output folder inside
// the searched folder is not searched on the next run.
TEST_F(TsqzTest, OutputFolderKeepsTheLayoutAndNeverTouchesSources) {
    Put("site/index.html", Sample());
    Put("site/sub/a.HTM", kSmallPage);
    Put("site/sub/deeper/b.shtml", kSmallPage);
    Put("site/c.asp", kSmallPage);
    Put("site/notes.txt", "not a page");
    const auto before = Snapshot(Path("site"));

    const TsqzRun run = Run({"-o", Path("out"), Path("site")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Snapshot(Path("site")), before);
    const auto out = Snapshot(Path("out"));
    for (const char* name : {"index.html", "sub/a.HTM", "sub/deeper/b.shtml", "c.asp"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(out.count(name), 1u);
        EXPECT_TRUE(ContainsIgnoreCase(out.at(name), "</html>"));
    }
    EXPECT_EQ(out.count("notes.txt"), 0u);
    EXPECT_NE(run.err.find("4 documents (0 failed)"), std::string::npos) << run.err;

    // An output folder inside the site, twice: the second run finds the same four documents.
    ASSERT_EQ(Run({"-o", Path("site/public"), Path("site")}).status, 0);
    const TsqzRun inside = Run({"-o", Path("site/public"), Path("site")});
    ASSERT_EQ(inside.status, 0) << inside.err;
    EXPECT_NE(inside.err.find("4 documents (0 failed)"), std::string::npos) << inside.err;
    EXPECT_FALSE(PathExists(Path("site/public/public")));
}

// Two results for one place, or a result over a source, are refused; the first result stays.
TEST_F(TsqzTest, OutputFolderRefusesToOverwriteSourcesOrOtherResults) {
    const std::string a = Put("a/index.html", kSmallPage);
    const std::string b = Put("b/index.html", Sample());
    const TsqzRun clash = Run({"-o", Path("out"), a, b});
    EXPECT_EQ(clash.status, 1);
    EXPECT_NE(clash.err.find(b), std::string::npos) << clash.err;
    EXPECT_EQ(ReadFile(Path("out/index.html")).size() < Sample().size(), true)
        << "the first document's result stays";

    const TsqzRun onto_source = Run({"-o", Path("a"), a});
    EXPECT_EQ(onto_source.status, 1);
    EXPECT_EQ(ReadFile(a), kSmallPage);
}

// A files list: entries relative to the list's folder whatever the working folder, comments
// and blank lines skipped, CR LF line ends, a missing entry named with the engine's message
// while the other entries are done.
TEST_F(TsqzTest, FilesListTakesRelativePathsFromItsFolderAndGoesOnPastAMissingEntry) {
    const std::string a = Put("pages/a.html", kSmallPage);
    const std::string b = Put("elsewhere/b.html", Sample());
    const std::string c = Put("lists/c.html", kSmallPage);
    const std::string list = Put("lists/job.LST",
                                 "# pages of the job\r\n; an old-style comment\r\n\r\n"
                                 "../pages/a.html\r\n  missing.html  \r\n" +
                                     b + "\r\nc.html");
    fs::create_directory(Path("cwd"));

    TsqzOptions options;
    options.cwd = Path("cwd");
    const TsqzRun run = Run({"lists/job.LST", "--no-backup"}, options);
    EXPECT_EQ(run.status, 1) << "relative to the working folder the list is not found";

    const TsqzRun listed = Run({list}, options);
    EXPECT_EQ(listed.status, 1);
    EXPECT_NE(listed.err.find(Path("lists/missing.html") +
                              ": code -8 (file not found...unable to process)"),
              std::string::npos)
        << listed.err;
    for (const std::string& done : {a, b, c}) {
        SCOPED_TRACE(done);
        EXPECT_TRUE(PathExists(done + ".tsbak"));
    }
    EXPECT_NE(listed.err.find("4 documents (1 failed)"), std::string::npos) << listed.err;

    // With -o the entries keep their place relative to the list; those above it go to the top.
    ASSERT_EQ(Run({"-o", Path("out"), list}, options).status, 1);
    EXPECT_TRUE(PathExists(Path("out/c.html")));
    EXPECT_TRUE(PathExists(Path("out/a.html")));
    EXPECT_TRUE(PathExists(Path("out/b.html")));
}

// --analyze compresses throw-away copies: no file anywhere changes or appears, also when a
// document fails; the summary still reports the documents.
TEST_F(TsqzTest, AnalyzeWritesNothing) {
    Put("site/index.html", Sample());
    Put("site/sub/page.htm", kSmallPage);
    Put("site/broken.html", "no markup here");
    const auto before = Snapshot(dir_.path());

    const TsqzRun run = Run({"--analyze", "-v", Path("site")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Snapshot(dir_.path()), before);
    EXPECT_NE(run.err.find("3 documents (1 failed)"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("nothing written"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
}

// Standard input to standard output gives what compressing the same bytes as a file gives:
// through the buffer export for a page with "<HTML", through a file for text without it or
// with NUL bytes, which the buffer export would take for a path or cut short.
TEST_F(TsqzTest, StandardInputGivesTheSameResultAsAFile) {
    const std::string with_nul = std::string(kSmallPage).insert(30, std::string("\0x\0", 3));
    const std::string cases[] = {
        Sample(),
        std::string(kSmallPage),
        "<!DOCTYPE html>\n<title>No html tag</title>\n<p>Text   here.</p>\n</html>\n",
        with_nul,
    };
    for (const std::string& input : cases) {
        SCOPED_TRACE(input.substr(0, 40));
        const std::string file = Put("doc.html", input);
        const TsqzRun from_file = Run({"--stdout", file});
        ASSERT_EQ(from_file.status, 0) << from_file.err;
        EXPECT_EQ(ReadFile(file), input) << "--stdout leaves the document alone";

        TsqzOptions options;
        options.input = input;
        const TsqzRun piped = Run({"-"}, options);
        ASSERT_EQ(piped.status, 0) << piped.err;
        EXPECT_FALSE(piped.out.empty());
        EXPECT_EQ(piped.out, from_file.out);
    }
}

// Standard input that is not a page fails with nothing on standard output; text that happens
// to name a file is never taken as that file's path.
TEST_F(TsqzTest, StandardInputThatIsNoPageFails) {
    const std::string page = Put("page.html", kSmallPage);
    TsqzOptions options;
    options.cwd = dir_.path();
    options.input = "page.html";
    const TsqzRun named = Run({"-"}, options);
    EXPECT_EQ(named.status, 1);
    EXPECT_TRUE(named.out.empty());
    EXPECT_NE(named.err.find("code -1 (invalid HTML document"), std::string::npos) << named.err;
    EXPECT_EQ(ReadFile(page), kSmallPage);
    EXPECT_EQ(Snapshot(dir_.path()).size(), 2u) << "nothing but page.html and .tmp";

    options.input = std::string(
        "\x7f"
        "ELF\x02\x01\x01\0\0\0",
        10);
    const TsqzRun binary = Run({"-"}, options);
    EXPECT_EQ(binary.status, 1);
    EXPECT_TRUE(binary.out.empty());
}

// A document the engine refuses is named with the engine's message and left as it was, with
// no backup; the documents around it are done.
TEST_F(TsqzTest, RefusedDocumentsAreUntouchedAndTheRunGoesOn) {
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 7919 + 13) % 256);
    const std::string blob = Put("blob.html", binary);
    const std::string before = Put("a.html", kSmallPage);
    const std::string after = Put("z.html", kSmallPage);

    const TsqzRun run = Run({before, blob, after});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ReadFile(blob), binary);
    EXPECT_FALSE(PathExists(blob + ".tsbak"));
    EXPECT_NE(run.err.find(blob + ": code -1 (invalid HTML document...bad syntax or missing "
                                  "<HTML> tag)"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(PathExists(before + ".tsbak"));
    EXPECT_TRUE(PathExists(after + ".tsbak"));
    EXPECT_NE(run.err.find("3 documents (1 failed)"), std::string::npos) << run.err;

    // A path holding "<html" would be read by the engine as a page's text: refused, untouched.
    const std::string odd = Put("<html>.html", kSmallPage);
    const TsqzRun odd_run = Run({odd});
    EXPECT_EQ(odd_run.status, 1);
    EXPECT_EQ(ReadFile(odd), kSmallPage);
    EXPECT_FALSE(PathExists(odd + ".tsbak"));

    // A backup that cannot be made stops the document before it is replaced.
    const std::string page = Put("blocked.html", kSmallPage);
    fs::create_directory(page + ".tsbak");
    const TsqzRun blocked = Run({page});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_EQ(ReadFile(page), kSmallPage);
    EXPECT_TRUE(fs::is_empty(Temp()));
}

// The same file reached twice (named and inside a folder) is compressed once, so its backup
// holds the original.
TEST_F(TsqzTest, ADocumentReachedTwiceIsCompressedOnce) {
    const std::string page = Put("site/page.html", Sample());
    const TsqzRun run = Run({page, Path("site"), Path("site/../site/page.html")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("1 document (0 failed)"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(page + ".tsbak"), Sample());
}

// Usage errors end with status 2 before any document is touched.
TEST_F(TsqzTest, UsageErrorsExitWithTwoAndTouchNothing) {
    const std::string page = Put("page.html", kSmallPage);
    const std::string other = Put("other.html", kSmallPage);
    const std::vector<std::vector<std::string>> rows = {
        {"--set", "NoSuchOption=1", page},
        {"--set", "StripQuotes=2", page},
        {"--set", "StandardizeChars=6", page},
        {"--set", "WordWrap=65536", page},
        {"--set", "WordWrap=wide", page},
        {"--set", "StripQuotes", page},
        {"--bogus", page},
        {},
        {"--stdout", page, other},
        {"--stdout", "-o", Path("out"), page},
        {"--ini", Path("missing.ini"), page},
        {"--ini", program_.File("Tagsqueeze.ini"), "--template", "safe", page},
        {"--template", "most", page},
        {"-", page},
        {"--detailed", page},
        {"--report", "-", "--stdout", page},
        {"--print-options", page},
    };
    for (const auto& args : rows) {
        std::string shown;
        for (const auto& arg : args)
            shown += arg + " ";
        SCOPED_TRACE(shown);
        const TsqzRun run = Run(args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
    }
    EXPECT_EQ(Snapshot(dir_.path()).size(), 3u) << "page.html, other.html and .tmp only";

    const TsqzRun bad_name = Run({"--set", "NoSuchOption=1", page});
    for (const char* name : {"STRONGtoB", "StripQuotes", "WordWrap", "ASPBlocks"}) {
        EXPECT_NE(bad_name.err.find(name), std::string::npos) << "lists the valid names";
    }
}

// --print-options: the default is the program directory's settings file; every option it
// lists can be set by --set (names in any case) and reads back as set; a settings file's
// values mean what the engine makes of them.
TEST_F(TsqzTest, PrintOptionsShowsTheOptionsInEffect) {
    const TsqzRun defaults = Run({"--print-options"});
    ASSERT_EQ(defaults.status, 0) << defaults.err;
    EXPECT_EQ(defaults.out.find("[Tag Options]\n"), 0u);
    EXPECT_NE(defaults.out.find("\nStripComments=1\n"), std::string::npos);
    EXPECT_NE(defaults.out.find("\nStripQuotes=1\n"), std::string::npos);
    EXPECT_NE(defaults.out.find("\nSTRONGtoB=0\n"), std::string::npos);

    std::vector<std::string> names;
    for (size_t at = 0; at < defaults.out.size();) {
        const size_t end = defaults.out.find('\n', at);
        const std::string line = defaults.out.substr(at, end - at);
        at = end + 1;
        if (const size_t equals = line.find('='); equals != std::string::npos) {
            names.push_back(line.substr(0, equals));
        }
    }
    ASSERT_EQ(names.size(), 46u);  // 34 of the original and the web template's 12
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string value = name == "WordWrap" ? "100" : "1";
        const TsqzRun set = Run({"--set", name + "=" + value, "--print-options"});
        ASSERT_EQ(set.status, 0) << set.err;
        EXPECT_NE(set.out.find("\n" + name + "=" + value + "\n"), std::string::npos) << set.out;
    }
    const TsqzRun lower =
        Run({"--set", "stripquotes=0", "--set", "wordwrap=12", "--print-options"});
    EXPECT_NE(lower.out.find("\nStripQuotes=0\n"), std::string::npos) << lower.out;
    EXPECT_NE(lower.out.find("\nWordWrap=30\n"), std::string::npos) << lower.out;
    EXPECT_NE(lower.out.find("\nOptimizeLines=1\n"), std::string::npos) << "kept as it was";

    const std::string ini =
        Put("my.ini",
            "[tag options]\nSTRONGtoB=2\nEMToI=-1\nMSNSonly=1\n"
            "[Fine Tuning]\nWordWrap=10\nStandardizeChars=3\nOptimizeLines=0\n");
    const TsqzRun read = Run({"--ini", ini, "--set", "WordWrap=80", "--print-options"});
    ASSERT_EQ(read.status, 0) << read.err;
    for (const char* line :
         {"\nSTRONGtoB=1\n", "\nEMToI=0\n", "\nMSNSOnly=1\n", "\nStandardizeChars=3\n",
          "\nWordWrap=80\n", "\nOptimizeLines=0\n", "\nStripQuotes=0\n"}) {
        EXPECT_NE(read.out.find(line), std::string::npos) << line << read.out;
    }
}

// The switch templates: all-off, safe and all-options differ where the templates differ.
TEST_F(TsqzTest, TemplatesChooseTheOptions) {
    const TsqzRun off = Run({"--template", "off", "--print-options"});
    const TsqzRun safe = Run({"--template", "safe", "--print-options"});
    const TsqzRun all = Run({"--template", "all", "--print-options"});
    ASSERT_EQ(off.status, 0) << off.err;
    ASSERT_EQ(safe.status, 0) << safe.err;
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(CountOf(off.out, "=1\n"), 0u) << off.out;
    EXPECT_NE(safe.out.find("\nStripQuotes=1\n"), std::string::npos);
    EXPECT_NE(safe.out.find("\nSTRONGtoB=0\n"), std::string::npos);
    EXPECT_NE(all.out.find("\nSTRONGtoB=1\n"), std::string::npos);

    // Without a settings file in the program directory the safe template is the default.
    fs::remove(program_.File("Tagsqueeze.ini"));
    const TsqzRun fallback = Run({"--print-options"});
    ASSERT_EQ(fallback.status, 0) << fallback.err;
    EXPECT_EQ(fallback.out, safe.out);
}

// --report with --by-file: the report file holds every document that was compressed, once,
// and "-" prints the report on standard output.
TEST_F(TsqzTest, ReportByFileHoldsEveryDocumentOnce) {
    const std::vector<std::string> pages = {Put("site/a.html", Sample()),
                                            Put("site/sub/b.html", kSmallPage),
                                            Put("site/c.htm", kSmallPage)};
    Put("site/bad.html", "no markup");
    const std::string report = Path("report.txt");
    const TsqzRun run = Run({"--report", report, "--by-file", "--detailed", Path("site")});
    EXPECT_EQ(run.status, 1) << run.err;
    if (!PathExists(report)) GTEST_SKIP() << "this engine build writes no job report yet";
    const std::string text = ReadFile(report);
    for (const std::string& page : pages) {
        EXPECT_EQ(CountOf(text, page), 1u) << page << "\n" << text;
    }

    const TsqzRun printed = Run({"--report", "-", "--by-file", "--analyze", Path("site/a.html")});
    ASSERT_EQ(printed.status, 0) << printed.err;
    EXPECT_EQ(CountOf(printed.out, Path("site/a.html")), 1u) << printed.out;

    // --append adds to the report instead of replacing it.
    ASSERT_EQ(Run({"--report", report, "--append", "--by-file", "--analyze", pages[1]}).status, 0);
    EXPECT_EQ(ReadFile(report).find(text), 0u);
    EXPECT_EQ(CountOf(ReadFile(report), pages[1]), 2u);
}

// Quiet runs print nothing but failures; verbose runs a line per document; on a terminal a
// job of several documents draws one updating line, elsewhere it never does.
TEST_F(TsqzTest, QuietVerboseAndTheProgressLine) {
    Put("site/a.html", kSmallPage);
    Put("site/b.html", kSmallPage);
    Put("site/c.html", kSmallPage);

    const TsqzRun quiet = Run({"-q", "--analyze", Path("site")});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");

    const TsqzRun verbose = Run({"-v", "--analyze", Path("site")});
    EXPECT_EQ(CountOf(verbose.err, "% saved)"), 3u) << verbose.err;
    EXPECT_EQ(verbose.err.find('\r'), std::string::npos) << "no progress line into a file";

    TsqzOptions terminal;
    terminal.terminal = true;
    const TsqzRun live = Run({"--analyze", Path("site")}, terminal);
    EXPECT_EQ(live.status, 0);
    EXPECT_NE(live.err.find("\r\033[K[3/3]"), std::string::npos) << live.err;
    EXPECT_NE(live.err.find("3 documents (0 failed)"), std::string::npos) << live.err;
}

// The bundled sample page goes through the README's main job.
TEST_F(TsqzTest, TheSamplePageRunsThroughTheMainJob) {
    const TsqzRun run = Run({"--template", "safe", "-o", Path("out"), "--report", "-", "--by-file",
                             "--detailed", std::string(TSQZ_SAMPLES_DIR) + "/sample.html"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(ContainsIgnoreCase(ReadFile(Path("out/sample.html")), "</html>"));
    EXPECT_NE(run.err.find("1 document (0 failed)"), std::string::npos) << run.err;
}

// --template web runs the web template: no page refused (here one of over 64 KB without a cut
// point), rules switched off with --set, comments kept with --keep-comment.
TEST_F(TsqzTest, WebTemplateRunsTodaysRules) {
    const std::string page = Put("web.html",
                                 "<!DOCTYPE html>\n<html>\n<body>\n<ul>\n  <li>a</li>\n</ul>\n"
                                 "<!-- keep me --><!-- drop me -->\n" +
                                 std::string(70000, 'x') + "\n</body>\n</html>\n");
    const TsqzRun web = Run({"--template", "web", "--keep-comment", "keep", "--stdout", page});
    ASSERT_EQ(web.status, 0) << web.err;
    const std::string expected = "<!doctype html><ul><li>a</ul><!-- keep me -->\n" + std::string(70000, 'x');
    EXPECT_TRUE(web.out == expected) << web.out.substr(0, 100);
    const TsqzRun tags_kept =
        Run({"--template", "web", "--set", "WebNoOptionalTags=1", "--stdout", page});
    ASSERT_EQ(tags_kept.status, 0) << tags_kept.err;
    EXPECT_NE(tags_kept.out.find("<li>a</li></ul>"), std::string::npos) << tags_kept.out;
    const TsqzRun printed = Run({"--template", "web", "--print-options"});
    EXPECT_NE(printed.out.find("[Web Template]\nWeb=1\n"), std::string::npos) << printed.out;
}

}  // namespace
}  // namespace tsqz::test
