// Pixel-by-pixel comparison of two full-page screenshots.
#pragma once

#include <QRect>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "render/chromium_renderer.h"

namespace tsqz::render {

struct ShotDifference {
    bool same_size = true;
    bool unreadable = false;  // a tile did not decode as an image
    int64_t pixels = 0;       // differing pixels where both pages have pixels
    int64_t unsteady = 0;     // differing pixels set aside in tiles that differ between two
                              // captures of the first page too
    QRect bounds;             // the differing pixels, in page coordinates
    // The tiles that differ: indexes into the first and the second shot.
    std::vector<std::pair<size_t, size_t>> tiles;

    // The pages show other text, where it is compared: below the part captured of a tall page,
    // in tiles that move by themselves, and everywhere when asked for.
    bool text_differs = false;
    bool Identical() const { return same_size && !unreadable && pixels == 0 && !text_differs; }
    // "identical", or what differs and where, in one line, with the first place where the
    // shown text differs when it does.
    std::string Describe(const PageShot& before, const PageShot& after) const;
};

// With `again`, a second capture of the page of `before`: a tile in which the two captures of
// that page differ (an animation driven by a script, a video) is compared by the text the
// pages show only. With `after_again` too, a second capture of the page of `after`, a tile
// is the same when any capture of one page agrees with any of the other.
// With `same_text`, the shown texts must be the same in any case.
ShotDifference CompareShots(const PageShot& before, const PageShot& after,
                            const PageShot* again = nullptr, bool same_text = false,
                            const PageShot* after_again = nullptr);

// Writes the differing tiles of both shots into `folder` as before-yY-xX.png, after-yY-xX.png
// and diff-yY-xX.png (differing pixels red over a faded copy of the first), for a person to
// look at.
void SaveDifferingTiles(const PageShot& before, const PageShot& after,
                        const ShotDifference& difference, const std::string& folder);

}  // namespace tsqz::render
