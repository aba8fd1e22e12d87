// Pixel-by-pixel comparison of two full-page screenshots.
#include "render/shot_compare.h"

#include <QColor>
#include <QImage>
#include <algorithm>
#include <filesystem>

namespace tsqz::render {
namespace {

QImage Decode(const QByteArray& png) {
    QImage image;
    if (!image.loadFromData(png, "PNG")) return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

// Counts the pixels in which two tiles differ and adds them to the bounds.
int64_t CountDifferences(const QImage& a, const QImage& b, int left, int top, QRect& bounds) {
    const int width = std::min(a.width(), b.width());
    const int height = std::min(a.height(), b.height());
    int64_t count = 0;
    for (int y = 0; y < height; ++y) {
        const auto* row_a = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* row_b = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (row_a[x] == row_b[x]) continue;
            ++count;
            bounds |= QRect(left + x, top + y, 1, 1);
        }
    }
    return count;
}

// The first place where two shown texts differ, with a little of the text around it in each,
// line ends written as "|".
std::string FirstTextDifference(const std::string& a, const std::string& b) {
    size_t start = 0;
    while (start < a.size() && start < b.size() && a[start] == b[start])
        ++start;
    if (start == a.size() && start == b.size()) return {};
    constexpr size_t kBefore = 30;
    constexpr size_t kAfter = 30;
    const size_t from = start > kBefore ? start - kBefore : 0;
    const auto excerpt = [from, start](const std::string& s) {
        std::string piece = s.substr(from, std::min(start + kAfter, s.size()) - from);
        for (char& c : piece) {
            if (c == '\n') c = '|';
        }
        return "\"" + piece + "\"";
    };
    return excerpt(a) + " became " + excerpt(b);
}

}  // namespace

ShotDifference CompareShots(const PageShot& before, const PageShot& after,
                            const PageShot* again, bool same_text,
                            const PageShot* after_again) {
    ShotDifference d;
    d.same_size = before.width == after.width && before.height == after.height &&
                  before.full_height == after.full_height && before.truncated == after.truncated;
    // Below the part captured of a tall page only the shown text is compared.
    d.text_differs =
        (same_text || before.truncated || after.truncated) && before.text != after.text;
    // Both shots are cut into tiles the same way, so tiles at the same place match up even
    // when the pages' sizes differ.
    size_t j = 0;
    for (size_t i = 0; i < before.tiles.size(); ++i) {
        const ShotTile& a = before.tiles[i];
        const auto order = [](const ShotTile& t) { return std::pair(t.top, t.left); };
        while (j < after.tiles.size() && order(after.tiles[j]) < order(a))
            ++j;
        if (j == after.tiles.size()) break;
        const ShotTile& b = after.tiles[j];
        if (order(b) != order(a)) continue;
        // The encoder is deterministic: equal bytes are equal pixels. With second captures, a
        // tile passes when any capture of one page agrees with any capture of the other: a
        // few pages are not painted alike every time (the antialiased edge of a rounded corner
        // comes out one way or another even without scripts or animations).
        if (a.png == b.png) continue;
        const ShotTile* a2 = again != nullptr && again->tiles.size() == before.tiles.size()
                                 ? &again->tiles[i]
                                 : nullptr;
        const ShotTile* b2 = after_again != nullptr && after_again->tiles.size() == after.tiles.size()
                                 ? &after_again->tiles[j]
                                 : nullptr;
        if ((b2 && b2->png == a.png) || (a2 && a2->png == b.png) ||
            (a2 && b2 && a2->png == b2->png)) {
            continue;
        }
        const QImage image_a = Decode(a.png);
        const QImage image_b = Decode(b.png);
        if (image_a.isNull() || image_b.isNull()) {
            d.unreadable = true;
            d.tiles.emplace_back(i, j);
            continue;
        }
        QRect ignored;
        // A tile that two captures of the first page do not agree on moves by itself (an
        // animation driven by a script, a video): only the shown text speaks for it.
        if (a2 && a2->png != a.png) {
            d.unsteady += CountDifferences(image_a, image_b, a.left, a.top, ignored);
            d.text_differs = d.text_differs || before.text != after.text;
            continue;
        }
        const int64_t here = CountDifferences(image_a, image_b, a.left, a.top, d.bounds);
        if (here != 0 || image_a.size() != image_b.size()) d.tiles.emplace_back(i, j);
        d.pixels += here;
    }
    return d;
}

std::string ShotDifference::Describe(const PageShot& before, const PageShot& after) const {
    if (Identical()) return "identical";
    std::string text;
    if (!same_size) {
        text += "size " + std::to_string(before.width) + "x" + std::to_string(before.full_height) +
                " became " + std::to_string(after.width) + "x" + std::to_string(after.full_height) +
                "; ";
    }
    if (before.truncated) {
        text += "captured down to y " + std::to_string(before.height) + " only; ";
    }
    if (unreadable) text += "a screenshot tile did not decode; ";
    text += std::to_string(pixels) + " pixels differ";
    if (pixels != 0) {
        text += " within x " + std::to_string(bounds.left()) + ".." +
                std::to_string(bounds.right()) + ", y " + std::to_string(bounds.top()) + ".." +
                std::to_string(bounds.bottom());
    }
    if (unsteady != 0) {
        text += "; " + std::to_string(unsteady) + " more differ between two captures of the first";
    }
    if (const std::string words = FirstTextDifference(before.text, after.text); !words.empty()) {
        text += "; shown text " + words;
    }
    return text;
}

void SaveDifferingTiles(const PageShot& before, const PageShot& after,
                        const ShotDifference& difference, const std::string& folder) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    for (const auto& [i, j] : difference.tiles) {
        const ShotTile& tile = before.tiles[i];
        const QImage a = Decode(tile.png);
        const QImage b = Decode(after.tiles[j].png);
        const std::string place =
            "-y" + std::to_string(tile.top) + "-x" + std::to_string(tile.left) + ".png";
        a.save(QString::fromStdString(folder + "/before" + place));
        b.save(QString::fromStdString(folder + "/after" + place));
        if (a.isNull() || b.isNull()) continue;
        QImage diff = a.copy();
        for (int y = 0; y < diff.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(diff.scanLine(y));
            const auto* other =
                y < b.height() ? reinterpret_cast<const QRgb*>(b.constScanLine(y)) : nullptr;
            for (int x = 0; x < diff.width(); ++x) {
                if (!other || x >= b.width() || other[x] != row[x]) {
                    row[x] = qRgb(255, 0, 0);
                } else {
                    const int grey = 192 + qGray(row[x]) / 4;
                    row[x] = qRgb(grey, grey, grey);
                }
            }
        }
        diff.save(QString::fromStdString(folder + "/diff" + place));
    }
}

}  // namespace tsqz::render
