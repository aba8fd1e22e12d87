// One page rendered before and after compression and the two screenshots compared.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/chromium_renderer.h"
#include "render/page_compressor.h"
#include "render/shot_compare.h"

namespace tsqz::render {

// The window every page is rendered in; the whole page height is captured.
constexpr int kViewportWidth = 1024;
constexpr int kViewportHeight = 768;
// The window widths the corpus pages are rendered at.
constexpr int kViewportWidths[] = {1024, 1280};

// The legacy corpus folder under the shared data folder, or empty when it is absent.
std::string LegacyCorpusDir();
// The corpus folder of modern pages (the shared data folder's corpus/), or empty.
std::string ModernCorpusDir();
// The page files of a corpus folder (everything but its notes), sorted by name.
std::vector<std::string> CorpusPages(const std::string& folder);

struct RenderCheck {
    CompressOutcome compress;
    // Why the original was shown with the engine's charset declaration added; empty if not.
    std::string_view charset_exception;
    std::optional<PageShot> before;
    std::optional<PageShot> after;
    ShotDifference difference;
    std::string error;  // compression or browser failure; empty when both shots were taken
    bool scripts_off = false;  // compared with the pages' scripts taken out (see CheckPage)
    // The engine refused the page with this code and wrote nothing: the page stays exactly
    // as it was (a malformed page, for example a PRE element the browser leaves open to the
    // end). Nothing is rendered then.
    int32_t refused = 0;

    bool Passed() const { return refused != 0 || (error.empty() && difference.Identical()); }
};

// Shots of one page's original, kept between checks of that page.
struct OriginalShots {
    std::optional<PageShot> plain;
    std::optional<PageShot> declared;  // with the engine's charset declaration added
};

// Copies the page into `work` under an .html name (so the browser takes any page as HTML),
// compresses it there, renders both and compares them.
//
// Two things a browser never shows are set aside first. Server code ("<%" to "%>") is shown
// as "<%%>" in both: a browser gets the code's output, not the code, so only where the code
// stands must stay the same. And a page whose undeclared bytes are not Latin-1 text (listed
// in the charset exceptions) is shown with the engine's charset declaration in both, when the
// engine added one: the declaration changes which glyphs those bytes get, and nothing else.
//
// A page taller than `max_height` is captured down to it only; below that its height and the
// text it shows are compared. When the shots differ, both are captured afresh up to three
// times (a change the compression made shows every time; a page painted one way or another
// passes when a round paints both alike); if either page's captures differ from each other (its scripts animate it, or lay it out at their own pace),
// both pages are compared again with their script elements taken out, and tiles in
// which even then two captures of the original differ are compared by the shown text only
// (CompareShots); the compressed page is captured twice then too, a tile is the same when
// any capture of the original agrees with any of the compressed page, and a difference is
// looked at afresh twice more before it counts.
//
// With `options.same_text` the text the pages show must be the same too; with
// `options.outputs` the compressed page is that folder's page of the same name.
RenderCheck CheckPage(ChromiumRenderer& renderer, const std::string& page_path,
                      const OptionSet& options, const std::string& work,
                      OriginalShots* shots = nullptr,
                      int max_height = ChromiumRenderer::kMaxHeight);

}  // namespace tsqz::render
