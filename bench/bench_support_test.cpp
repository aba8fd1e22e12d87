// Tests of the benchmark's helpers: the synthetic documents must be measurable at every size,
// and the page list, templates and medians must be what the tables claim.
#include "bench_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "run/engine.h"
#include "run/pipeline.h"

namespace tsqz::bench {
namespace {

namespace fs = std::filesystem;

// Every size of the series has exactly its size, its kind's line ends and a cut point in every
// 64 KB window, so the engine can run it at all (no -17, no -20 at 16 MB).
TEST(SyntheticPage, EverySizeIsExactAndCanBeCutIntoChunks) {
    for (const SyntheticChoice& kind : kSyntheticKinds) {
        for (const SizeChoice& size : kScalingSizes) {
            SCOPED_TRACE(std::string(kind.label) + " " + std::string(size.label));
            const std::string page = MakeSyntheticPage(kind.kind, size.bytes);
            ASSERT_EQ(page.size(), size.bytes);
            const bool crlf = kind.kind == SyntheticKind::kRealisticCRLF;
            EXPECT_TRUE(page.ends_with(crlf ? "</HTML>\r\n" : "</HTML>\n"));
            size_t lf = 0, crlf_pairs = 0;
            for (size_t i = 0; i < page.size(); ++i) {
                if (page[i] != '\n') continue;
                ++lf;
                if (i > 0 && page[i - 1] == '\r') ++crlf_pairs;
            }
            EXPECT_EQ(crlf_pairs, crlf ? lf : 0);
            // Only the web template, which has no chunks, runs the sizes beyond 16 MB.
            std::vector<std::string_view> chunks;
            if (!size.web_only) {
                EXPECT_EQ(CutIntoChunks(page, chunks), 0);
            }
        }
    }
}

// Sizes that leave a remainder of every length after the last whole unit still come out exact.
TEST(SyntheticPage, OddSizesAreExact) {
    for (const SyntheticChoice& kind : kSyntheticKinds) {
        for (size_t size = 5000; size < 7200; size += 7) {
            ASSERT_EQ(MakeSyntheticPage(kind.kind, size).size(), size) << kind.label;
        }
    }
}

// The series measures successful runs: each kind compresses without an error code under every
// template, and its PRE block comes out as it went in.
TEST(SyntheticPage, CompressesUnderEveryTemplate) {
    const std::string kPre = "  preformatted    text    kept    as    it    is";
    for (const TemplateChoice& choice : kTemplates) {
        const OptionBlock options = TemplateOptions(choice);
        for (const SyntheticChoice& kind : kSyntheticKinds) {
            SCOPED_TRACE(std::string(choice.label) + " " + std::string(kind.label));
            Engine engine;
            engine.options = options;
            RunOutcome outcome;
            const std::string page = MakeSyntheticPage(kind.kind, 64'000);
            ASSERT_EQ(RunPipeline(engine, page, "synthetic", "", outcome), 0);
            ASSERT_TRUE(outcome.completed);
            EXPECT_NE(outcome.document.find(kPre), std::string::npos);
            EXPECT_LE(outcome.document.size(), page.size() + 100);
        }
    }
}

// The labels name the right columns: nothing on in "off", comments kept by "safe" but removed
// by "all", and the three blocks differ.
TEST(Templates, LabelsMatchTheirColumns) {
    const OptionBlock off = TemplateOptions(FindTemplate("off")->column);
    const OptionBlock safe = TemplateOptions(FindTemplate("safe")->column);
    const OptionBlock all = TemplateOptions(FindTemplate("all")->column);
    for (const OptionInfo& info : OptionTable()) {
        if (info.kind == OptionKind::Switch) {
            EXPECT_EQ(off.*info.byte_member, 0) << info.name;
        }
    }
    EXPECT_EQ(safe.StripComments, 0);
    EXPECT_EQ(all.StripComments, 1);
    EXPECT_EQ(safe.StripSpaces, 1);
    EXPECT_EQ(FindTemplate("most"), nullptr);
    // The web template: the safe block with Web on, the minifiers off only in "web-markup".
    const OptionBlock web = TemplateOptions(*FindTemplate("web"));
    const OptionBlock markup = TemplateOptions(*FindTemplate("web-markup"));
    EXPECT_EQ(web.Web, 1);
    EXPECT_EQ(markup.Web, 1);
    EXPECT_EQ(web.StripSpaces, safe.StripSpaces);
    EXPECT_EQ(web.WebNoScripts + web.WebNoStyles, 0);
    EXPECT_EQ(markup.WebNoScripts + markup.WebNoStyles, 2);
    EXPECT_EQ(TemplateOptions(*FindTemplate("safe")).Web, 0);
}

TEST(Pages, LoadsHtmlDocumentsOfAFolderSortedByName) {
    const fs::path folder = fs::temp_directory_path() / ("bench-pages-" + std::to_string(::rand()));
    fs::create_directories(folder / "sub.html");
    for (const char* name : {"b.htm", "a.HTML", "c.txt", "d.asp", "e.Shtml", "noext"}) {
        std::ofstream(folder / name) << "<html>" << name;
    }
    std::ofstream(folder / "sub.html" / "inner.html") << "<html>";
    const std::vector<Page> pages = LoadPages(folder.string());
    std::vector<std::string> names;
    for (const Page& page : pages)
        names.push_back(page.name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.HTML", "b.htm", "d.asp", "e.Shtml"}));
    ASSERT_FALSE(pages.empty());
    EXPECT_EQ(pages[0].text, "<html>a.HTML");
    fs::remove_all(folder);
    EXPECT_TRUE(LoadPages(folder.string()).empty());
}

TEST(Numbers, MedianAndThousands) {
    EXPECT_EQ(Median({}), 0);
    EXPECT_EQ(Median({3, 1, 2}), 2);
    EXPECT_EQ(Median({4, 1, 3, 2}), 2.5);
    EXPECT_EQ(Median({5, 5, 1, 9}), 5);
    EXPECT_EQ(Thousands(0), "0");
    EXPECT_EQ(Thousands(999), "999");
    EXPECT_EQ(Thousands(1000), "1,000");
    EXPECT_EQ(Thousands(11175743), "11,175,743");
}

}  // namespace
}  // namespace tsqz::bench
