// One page rendered before and after compression and the two screenshots compared.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "render/chromium_renderer.h"
#include "render/page_compressor.h"
#include "render/shot_compare.h"

namespace tsqz::render {

// The window every page is rendered in; the whole page height is captured.
constexpr int kViewportWidth = 1024;
constexpr int kViewportHeight = 768;

// The legacy corpus folder under the shared data folder ($TSQZ_SHARED_DIR when set, else the
// one beside the repository), or empty when it is absent.
std::string LegacyCorpusDir();
// The page files of a corpus folder (everything but its notes), sorted by name.
std::vector<std::string> CorpusPages(const std::string& folder);

struct RenderCheck {
    CompressOutcome compress;
    std::optional<PageShot> before;
    std::optional<PageShot> after;
    ShotDifference difference;
    std::string error;  // compression or browser failure; empty when both shots were taken

    bool Passed() const { return error.empty() && difference.Identical(); }
};

// Copies the page into `work` under an .html name (so the browser takes any page as HTML),
// compresses it there, renders both and compares them. A shot of the original from an
// earlier check can be passed in to save rendering it again.
RenderCheck CheckPage(ChromiumRenderer& renderer, const std::string& page_path,
                      const OptionSet& options, const std::string& work,
                      const std::optional<PageShot>& original_shot = std::nullopt);

}  // namespace tsqz::render
