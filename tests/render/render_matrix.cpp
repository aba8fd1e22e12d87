// render_matrix: every corpus page rendered before and after compression under the safe
// template, under each of its options alone and under the web template (markup only, and with
// scripts and style sheets), or as other tools left it, as a table; or, with --savings, the
// bytes the safe template saves on each page.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "render/render_check.h"
#include "support/test_support.h"

namespace {

using namespace tsqz::render;

constexpr const char* kUsage =
    "usage: render_matrix [--savings] [--corpus DIR]... [--width N]... [--max-height N]\n"
    "                     [--artifacts DIR] [--option NAME]... [--output LABEL=DIR]...\n"
    "                     [PAGE...]\n"
    "  Renders each page of the corpus folders (default: the shared legacy corpus and the\n"
    "  modern pages beside it) in headless Chromium before and after compression, at each\n"
    "  window width (default: 1024 and 1280), under the safe template as a whole, under\n"
    "  each of its options alone over the all-off template and under the web template\n"
    "  (markup only, then as tsqz --template web runs it, which must also keep the shown\n"
    "  text), and prints which renderings changed. --option limits the columns to the named\n"
    "  options (\"safe\", \"web-markup\" and \"web\" are the templates).\n"
    "  --output adds a column for pages another tool wrote into DIR under the same names\n"
    "  (a LABEL ending in \"+text\" compares the shown text too); with --output and no\n"
    "  --option, only those columns.\n"
    "  --max-height captures pages only down to N pixels (default: whole pages).\n"
    "  --artifacts keeps the differing screenshot tiles and compressed pages in DIR.\n"
    "  --savings only compresses with the safe template and prints the bytes saved.\n";

struct Arguments {
    bool savings = false;
    std::vector<std::string> corpora;
    std::vector<int> widths;
    int max_height = ChromiumRenderer::kMaxHeight;
    std::string artifacts;
    std::vector<std::string> options;
    std::vector<OptionSet> outputs;
    std::vector<std::string> pages;
};

// A page to render: its corpus folder and file name.
struct Page {
    std::string folder;
    std::string name;
};

bool Parse(int argc, char** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--savings") {
            args.savings = true;
        } else if (a == "--corpus" && has_value) {
            args.corpora.emplace_back(argv[++i]);
        } else if ((a == "--width" || a == "--max-height") && has_value) {
            const int value = std::atoi(argv[++i]);
            if (value < 100) return false;
            if (a == "--width") {
                args.widths.push_back(value);
            } else {
                args.max_height = value;
            }
        } else if (a == "--artifacts" && has_value) {
            args.artifacts = argv[++i];
        } else if (a == "--option" && has_value) {
            args.options.emplace_back(argv[++i]);
        } else if (a == "--output" && has_value) {
            const std::string value = argv[++i];
            const size_t equals = value.find('=');
            if (equals == std::string::npos || equals == 0) return false;
            OptionSet set(value.substr(0, equals), 0, {});
            set.outputs = value.substr(equals + 1);
            constexpr std::string_view kText = "+text";
            if (set.label.ends_with(kText)) {
                set.label.resize(set.label.size() - kText.size());
                set.same_text = true;
            }
            args.outputs.push_back(std::move(set));
        } else if (!a.empty() && a[0] != '-') {
            args.pages.push_back(a);
        } else {
            return false;
        }
    }
    return true;
}

int PrintSavings(const std::vector<Page>& pages) {
    const OptionSet safe{"safe template", 2, {}};
    int64_t total_before = 0;
    int64_t total_after = 0;
    int failures = 0;
    std::printf("%-28s %10s %10s %10s %7s\n", "page", "before", "after", "saved", "saved%");
    for (const Page& page : pages) {
        tsqz::test::TempDir work;
        const std::string copy = work.File("original.html");
        tsqz::test::WriteFile(copy, tsqz::test::ReadFile(page.folder + "/" + page.name));
        const CompressOutcome out =
            CompressPage(safe, copy, work.File("compressed.html"), work.path());
        if (out.code != 0) {
            std::printf("%-28s engine result %d\n", page.name.c_str(), out.code);
            ++failures;
            continue;
        }
        total_before += out.before;
        total_after += out.after;
        std::printf(
            "%-28s %10lld %10lld %10lld %6.2f%%\n", page.name.c_str(),
            static_cast<long long>(out.before), static_cast<long long>(out.after),
            static_cast<long long>(out.before - out.after),
            100.0 * static_cast<double>(out.before - out.after) / static_cast<double>(out.before));
    }
    std::printf("%-28s %10lld %10lld %10lld %6.2f%%\n", "total",
                static_cast<long long>(total_before), static_cast<long long>(total_after),
                static_cast<long long>(total_before - total_after),
                total_before == 0 ? 0.0
                                  : 100.0 * static_cast<double>(total_before - total_after) /
                                        static_cast<double>(total_before));
    return failures == 0 ? 0 : 1;
}

std::vector<OptionSet> ChosenColumns(const Arguments& args) {
    std::vector<std::pair<std::string, OptionSet>> all;
    for (OptionSet& set : SafeTemplateMatrix()) {
        all.emplace_back(set.template_number == 2 ? "safe" : set.label, std::move(set));
    }
    all.emplace_back("web-markup", WebTemplateMarkupOnly());
    all.emplace_back("web", WebTemplate());
    std::vector<OptionSet> columns;
    for (auto& [name, set] : all) {
        bool wanted = args.options.empty() && args.outputs.empty();
        for (const std::string& asked : args.options)
            wanted = wanted || asked == name;
        if (wanted) columns.push_back(std::move(set));
    }
    columns.insert(columns.end(), args.outputs.begin(), args.outputs.end());
    return columns;
}

int PrintMatrix(const Arguments& args, const std::vector<Page>& pages) {
    const std::string chromium = FindChromium();
    if (chromium.empty()) {
        std::fprintf(stderr, "render_matrix: no chromium browser installed\n");
        return 2;
    }
    const std::vector<OptionSet> columns = ChosenColumns(args);
    if (columns.empty()) {
        std::fprintf(stderr, "render_matrix: no such option\n");
        return 2;
    }
    std::printf(
        "Columns (\"ok\": pixel-identical; a number: pixels that differ; \"text\": the "
        "same pixels, other shown text; \"ERR\": compression or browser failure):\n");
    for (size_t c = 0; c < columns.size(); ++c) {
        std::printf("  %2zu  %s%s\n", c + 1, columns[c].label.c_str(),
                    columns[c].same_text ? " (and the shown text)" : "");
    }
    std::printf("\n%-34s", "page");
    for (size_t c = 0; c < columns.size(); ++c)
        std::printf(" %7zu", c + 1);
    std::printf("\n");

    std::vector<std::string> details;
    std::vector<std::string> notes;
    int changed = 0;
    for (const int width : args.widths) {
        ChromiumRenderer renderer(chromium, width, kViewportHeight);
        if (!renderer.Ready()) {
            std::fprintf(stderr, "render_matrix: %s\n", renderer.Error().c_str());
            return 2;
        }
        for (const Page& entry : pages) {
            const std::string page = entry.name + " @" + std::to_string(width);
            std::printf("%-34s", page.c_str());
            std::fflush(stdout);
            OriginalShots originals;
            for (const OptionSet& set : columns) {
                tsqz::test::TempDir work;
                const RenderCheck check = CheckPage(renderer, entry.folder + "/" + entry.name, set,
                                                    work.path(), &originals, args.max_height);
                std::string cell = "ok";
                if (!check.charset_exception.empty()) {
                    cell = "ok*";
                    notes.push_back(page + " / " + set.label +
                                    ": compared with the charset declaration in both, because " +
                                    std::string(check.charset_exception));
                }
                if (check.scripts_off) {
                notes.push_back(page + " / " + set.label +
                                ": two renderings of the original differ; compared with scripts "
                                "off");
            }
            if (check.refused != 0) {
                    cell = "ref" + std::to_string(check.refused);
                    notes.push_back(page + " / " + set.label + ": refused by the engine with " +
                                    std::to_string(check.refused) + "; the page stays as it was");
                } else if (!check.error.empty()) {
                    cell = "ERR";
                    details.push_back(page + " / " + set.label + ": " + check.error);
                }
                if (check.refused == 0 && check.error.empty() && !check.difference.Identical()) {
                    cell = check.difference.pixels == 0 && check.difference.same_size
                               ? "text"
                               : std::to_string(check.difference.pixels);
                    details.push_back(page + " / " + set.label + ": " +
                                      check.difference.Describe(*check.before, *check.after));
                    if (!args.artifacts.empty()) {
                        const std::string folder = args.artifacts + "/" + entry.name + "-" +
                                                   std::to_string(width) + "/" + set.label;
                        SaveDifferingTiles(*check.before, *check.after, check.difference, folder);
                        tsqz::test::WriteFile(folder + "/compressed.html",
                                              tsqz::test::ReadFile(work.File("compressed.html")));
                    }
                }
                if (!check.Passed()) ++changed;
                std::printf(" %7s", cell.c_str());
                std::fflush(stdout);
            }
            std::printf("\n");
        }
    }
    if (!notes.empty()) std::printf("\nNotes (ok*: charset exception; refN: refused with N):\n");
    for (const std::string& line : notes)
        std::printf("  %s\n", line.c_str());
    if (!details.empty()) std::printf("\nDifferences:\n");
    for (const std::string& line : details)
        std::printf("  %s\n", line.c_str());
    return changed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!Parse(argc, argv, args)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (args.corpora.empty()) {
        for (const std::string& folder : {LegacyCorpusDir(), ModernCorpusDir()}) {
            if (!folder.empty()) args.corpora.push_back(folder);
        }
    }
    if (args.corpora.empty()) {
        std::fprintf(stderr, "render_matrix: no corpus folder (give --corpus DIR)\n");
        return 2;
    }
    if (args.widths.empty())
        args.widths.assign(std::begin(kViewportWidths), std::end(kViewportWidths));
    // The pages named, or all, of each corpus folder.
    std::vector<Page> pages;
    for (const std::string& folder : args.corpora) {
        for (const std::string& name : CorpusPages(folder)) {
            const bool wanted =
                args.pages.empty() ||
                std::find(args.pages.begin(), args.pages.end(), name) != args.pages.end();
            if (wanted) pages.push_back({folder, name});
        }
    }
    return args.savings ? PrintSavings(pages) : PrintMatrix(args, pages);
}
