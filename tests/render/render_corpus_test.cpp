// What a browser shows does not change: pages rendered in headless Chromium before and after
// compression give the same pixels.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "render/render_check.h"
#include "support/test_support.h"

namespace tsqz::render {
namespace {

using tsqz::test::TempDir;
using tsqz::test::WriteFile;

std::string ArtifactFolder(const std::string& name) {
    return std::string(TSQZ_RENDER_ARTIFACTS) + "/" + name;
}

// Skips the calling test unless a browser is installed; `chromium` receives its path.
#define REQUIRE_CHROMIUM(chromium)               \
    const std::string chromium = FindChromium(); \
    if (chromium.empty()) GTEST_SKIP() << "no chromium browser installed"

// The harness itself: it must see the faults it is there to find, and nothing else.
class RenderHarnessTest : public ::testing::Test {
  protected:
    std::optional<PageShot> Shoot(ChromiumRenderer& renderer, const std::string& html) {
        const std::string path = dir_.File("page" + std::to_string(++count_) + ".html");
        WriteFile(path, html);
        auto shot = renderer.Capture(path);
        EXPECT_TRUE(shot.has_value()) << renderer.Error();
        return shot;
    }

    TempDir dir_;
    int count_ = 0;
};

// Two words joined across inline tags, and two joined far below and right of the first
// screen, are seen; the same page rendered twice is pixel-identical, also when
// its markup differs only in ways that do not show.
TEST_F(RenderHarnessTest, SeesWhatChangesTheRenderingAndOnlyThat) {
    REQUIRE_CHROMIUM(chromium);
    ChromiumRenderer renderer(chromium, kViewportWidth, kViewportHeight);
    ASSERT_TRUE(renderer.Ready()) << renderer.Error();

    const std::string spaced = "<html><body><p><b>word</b> <i>next</i></p></body></html>";
    const auto base = Shoot(renderer, spaced);
    const auto again = Shoot(renderer, spaced);
    const auto same_look =
        Shoot(renderer, "<HTML>\n<BODY>\n<P>\n<B>word</B>\n<I>next</I>\n</BODY></HTML>\n");
    const auto joined = Shoot(renderer, "<html><body><p><b>word</b><i>next</i></p></body></html>");
    ASSERT_TRUE(base && again && same_look && joined);
    EXPECT_EQ(base->width, kViewportWidth);
    EXPECT_GE(base->height, kViewportHeight);
    EXPECT_TRUE(CompareShots(*base, *again).Identical());
    EXPECT_TRUE(CompareShots(*base, *same_look).Identical())
        << CompareShots(*base, *same_look).Describe(*base, *same_look);
    EXPECT_FALSE(CompareShots(*base, *joined).Identical());

    // Beyond the first screen, downwards and to the right.
    const auto far_page = [](const char* word) {
        return std::string("<html><body><div style=\"height:9000px\">top</div>") +
               "<p style=\"margin-left:1500px\">" + word + "</p></body></html>";
    };
    const auto tall = Shoot(renderer, far_page("a b"));
    const auto tall_joined = Shoot(renderer, far_page("ab"));
    ASSERT_TRUE(tall && tall_joined);
    EXPECT_GT(tall->height, 9000);
    EXPECT_GT(tall->width, 1500);
    const ShotDifference far = CompareShots(*tall, *tall_joined);
    EXPECT_FALSE(far.Identical());
    EXPECT_GT(far.bounds.top(), 9000);
    EXPECT_GE(far.bounds.left(), 1500);
}

// The height down to which the suite captures a page. A taller page is compared in part: its
// top down to this height pixel by pixel, the rest by the page's height and the text it shows.
// This keeps the suite within its time; render_matrix captures whole pages.
constexpr int kSuiteMaxHeight = 16384;

// One corpus page at one window width.
struct PageAtWidth {
    std::string folder;  // empty when the corpus folder is absent
    std::string page;
    int width = kViewportWidth;
};

// Names the case in test output, instead of its bytes.
void PrintTo(const PageAtWidth& param, std::ostream* out) {
    *out << param.page << " at " << param.width;
}

// The option sets every corpus page is checked under. The safe template may refuse a page
// (and then leaves it as it was); the web template refuses nothing.
struct CheckedSet {
    OptionSet options;
    bool may_refuse = false;
};

std::vector<CheckedSet> CheckedSets() {
    return {{OptionSet("safe template", 2, {}), true},
            {WebTemplateMarkupOnly(), false},
            {WebTemplate(), false}};
}

// The safe template as a whole, and the web template with its markup rules only and as
// `tsqz --template web` runs it (which must keep the shown text too), keep every corpus page,
// legacy and modern, pixel-identical at each width (server code and the charset exceptions
// are set aside as CheckPage says). The original is rendered once for all three.
class TemplateRenderTest : public ::testing::TestWithParam<PageAtWidth> {};

TEST_P(TemplateRenderTest, PageLooksTheSame) {
    const PageAtWidth& param = GetParam();
    if (param.folder.empty()) GTEST_SKIP() << "no corpus folder";
    REQUIRE_CHROMIUM(chromium);
    ChromiumRenderer renderer(chromium, param.width, kViewportHeight);
    ASSERT_TRUE(renderer.Ready()) << renderer.Error();

    const std::string& page = param.page;
    OriginalShots originals;
    for (const CheckedSet& checked : CheckedSets()) {
        const OptionSet& set = checked.options;
        const char* label = set.label.c_str();
        TempDir work;
        const RenderCheck check = CheckPage(renderer, param.folder + "/" + page, set, work.path(),
                                            &originals, kSuiteMaxHeight);
        if (check.refused != 0) {
            EXPECT_TRUE(checked.may_refuse) << page << ": the " << label << " refused it with "
                                            << check.refused;
            RecordProperty("refused", check.refused);
            std::printf("%s / %s: refused by the engine with %d; the page stays as it was\n",
                        page.c_str(), label, check.refused);
            continue;
        }
        if (!check.error.empty()) {
            ADD_FAILURE() << page << " / " << label << ": " << check.error;
            continue;
        }
        if (!check.charset_exception.empty()) {
            RecordProperty("charset_exception", std::string(check.charset_exception));
            std::printf("%s / %s: compared with the charset declaration in both: %s\n",
                        page.c_str(), label, std::string(check.charset_exception).c_str());
        }
        if (check.scripts_off) {
            RecordProperty("scripts_off", 1);
            std::printf("%s / %s: two renderings of the original differ; compared with scripts "
                        "off\n",
                        page.c_str(), label);
        }
        if (check.before->truncated) {
            RecordProperty("captured_height", check.before->height);
            std::printf("%s / %s: rendered in part, pixels compared down to y %d of %d\n",
                        page.c_str(), label, check.before->height, check.before->full_height);
        }
        if (!check.difference.Identical()) {
            const std::string folder =
                ArtifactFolder(page + "-" + std::to_string(param.width) + "/" + set.label);
            SaveDifferingTiles(*check.before, *check.after, check.difference, folder);
            tsqz::test::WriteFile(folder + "/compressed.html",
                                  tsqz::test::ReadFile(work.File("compressed.html")));
            ADD_FAILURE() << page << " at " << param.width << " wide, " << label << ": "
                          << check.difference.Describe(*check.before, *check.after)
                          << "; differing tiles and the compressed page are in " << folder;
        }
    }
}

// The pages of a corpus folder at every width, or one entry that skips when it is absent.
std::vector<PageAtWidth> PagesOrNone(const std::string& folder) {
    std::vector<PageAtWidth> cases;
    if (!folder.empty()) {
        for (const std::string& page : CorpusPages(folder)) {
            for (const int width : kViewportWidths)
                cases.push_back({folder, page, width});
        }
    }
    if (cases.empty()) cases.emplace_back();
    return cases;
}

std::string TestName(const ::testing::TestParamInfo<PageAtWidth>& info) {
    if (info.param.folder.empty()) return "NoCorpus";
    std::string name;
    for (const char c : info.param.page)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name + "_" + std::to_string(info.param.width);
}

INSTANTIATE_TEST_SUITE_P(Legacy, TemplateRenderTest,
                         ::testing::ValuesIn(PagesOrNone(LegacyCorpusDir())), TestName);
INSTANTIATE_TEST_SUITE_P(Modern, TemplateRenderTest,
                         ::testing::ValuesIn(PagesOrNone(ModernCorpusDir())), TestName);

}  // namespace
}  // namespace tsqz::render
