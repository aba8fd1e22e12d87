// Empty and redundant tag removal written as the plain loops read, with the same mends as the
// engine: every search from its literal start, every deletion in place, every check on a copy.
// Slow on purpose; the tests compare the engine's pass with it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/run/engine.h"
#include "support/literal_search.h"
#include "engine/text/text.h"

namespace tsqz::literal {

inline bool Blank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
inline bool EndsAttribute(unsigned char c) { return Blank(c) || c == '>' || c == '/'; }

inline int32_t F(const Text& t, std::string_view p, int32_t from) { return Find(t, p, from, true); }
inline int32_t B(const Text& t, std::string_view p, int32_t limit) {
    return FindBack(t, p, limit, true);
}

inline void Squeeze(Text& s, bool lf_only) {
    RemoveChar(s, '\n');
    if (!lf_only) RemoveChar(s, '\r');
    if (!s.empty()) RemoveChar(s, ' ');
}

inline void StripFromCursor(Text& s, std::string_view form, std::string_view other) {
    int32_t cursor = 1;
    for (;;) {
        int32_t p = F(s, form, cursor);
        if (!p && !other.empty()) p = F(s, other, cursor);
        if (!p) return;
        const int32_t q = FindChar(s, '>', p);
        if (!q) return;  // unclosed: the rest is text
        DeleteAt(s, p, q - p + 1);
        cursor = p;
    }
}

inline void DeleteEvery(Text& s, std::string_view pattern) {
    for (int32_t p = F(s, pattern, 1); p; p = F(s, pattern, p)) {
        DeleteAt(s, p, static_cast<int32_t>(pattern.size()));
    }
}

inline void StripNonText(Text& s, char le) {
    StripFromCursor(s, "<img ", std::string("<img") + le);
    StripFromCursor(s, "<a ", std::string("<a") + le);
    StripFromCursor(s, "<br ", "");
    DeleteEvery(s, "</a>");
    StripFromCursor(s, "<p", "");
    DeleteEvery(s, "</p>");
}

inline void StripFont(Text& s) {
    StripFromCursor(s, "<font ", "");
    DeleteEvery(s, "</font>");
}

inline void StripTags(Text& s) {
    for (;;) {
        const int32_t p = FindChar(s, '<', 1);
        if (!p) return;
        const int32_t q = FindChar(s, '>', p);
        if (!q) return;
        DeleteAt(s, p, q - p + 1);
    }
}

inline Text Slice(const Text& t, int32_t from, int32_t to) {
    if (to < from) return {};
    return t.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from + 1));
}

inline bool EqualIgnoringCase(const Text& a, const Text& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
        if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Step 1.
inline bool ImageInLink(const Text& t, int32_t image, char le) {
    const int32_t a1 = B(t, "<a ", image - 1);
    int32_t a2 = B(t, std::string("<a") + le, image - 1);
    if (le == '\r' && !a2) a2 = B(t, "<a\n", image - 1);
    const int32_t a = std::max(a1, a2);
    if (!a) return false;
    const int32_t x = F(t, "</a", a);
    return !(x && x < image);
}

inline void ZeroBorders(Text& t, char le) {
    int32_t cursor = 1;
    for (;;) {
        const int32_t i = F(t, "<img", cursor);
        if (!i) return;
        const int32_t gt = FindChar(t, '>', i);
        if (!gt) return;
        const int32_t b = F(t, "border=", i);
        if (!b) return;
        if (b < gt) {
            int32_t len = 0;
            if (ByteAt(t, b + 7) == '0' && EndsAttribute(ByteAt(t, b + 8))) {
                len = 8;
            } else if (ByteAt(t, b + 7) == '"' && ByteAt(t, b + 8) == '0' &&
                       ByteAt(t, b + 9) == '"') {
                len = 10;
            }
            if (len && !ImageInLink(t, i, le)) DeleteAt(t, b, len);
        }
        cursor = i + 1;
    }
}

// Step 2.
inline int32_t FontCleanup(Text& t, bool lf, char le) {
    int32_t count = 0, c = 1;
    for (;;) {
        const int32_t s = F(t, "<font", c);
        if (!s) return count;
        const int32_t e = FindChar(t, '>', s + 5);
        const int32_t d = F(t, "</font>", s);
        if (!e || !d || d < e) return count;
        if (d == e + 1) {
            DeleteAt(t, d, 7);
            DeleteAt(t, s, e - s + 1);
            ++count;
            continue;
        }
        Text content = Slice(t, e + 1, d - 1);
        StripNonText(content, le);
        Squeeze(content, lf);
        if (content.empty()) {
            DeleteAt(t, d, 7);
            DeleteAt(t, s, e - s + 1);
            ++count;
            if (!F(t, "<font", s)) return count;
            c = s + 1;
            continue;
        }
        // An element holding text stays, equal neighbour or not (no merging).
        const int32_t g = F(t, "<font", d + 7);
        if (!g) return count;
        const int32_t ge = FindChar(t, '>', g);
        if (!ge) return count;
        c = s + 1;
    }
}

constexpr std::string_view kNames[] = {
    "cite>", "code>",  "em>",     "kbd>", "samp>", "strong>", "var>",     "b>",  "big>", "blink>",
    "i>",    "small>", "strike>", "sub>", "sup>",  "dfn>",    "address>", "tt>", "u>"};

inline int32_t PhraseCleanup(const Engine& engine, Text& t, bool lf) {
    for (;;) {
        const int32_t p = F(t, "<a>", 1);
        if (!p) break;
        DeleteAt(t, p, 3);
        const int32_t q = F(t, "</a>", p);
        if (!q) break;
        DeleteAt(t, q, 4);
    }
    int32_t count = 0;
    for (std::string_view name : kNames) {
        PumpMessages(engine);
        if (!F(t, name, 1)) continue;
        const std::string open = "<" + std::string(name), close = "</" + std::string(name);
        const auto lo = static_cast<int32_t>(open.size()), lc = static_cast<int32_t>(close.size());
        int32_t restart = 1, scan = 1;
        bool stay = false;
        for (;;) {
            if (!stay) scan = restart;
            stay = false;
            if (scan > Len(t)) break;
            const int32_t b = F(t, open, scan);
            if (!b) break;
            const int32_t gt = b + lo - 1;
            const int32_t d = F(t, close, gt);
            if (!d) break;
            if (d == gt + 1) {
                DeleteAt(t, d, lc);
                DeleteAt(t, b, lo);
                ++count;
                continue;
            }
            Text content = Slice(t, gt + 1, d - 1);
            Squeeze(content, lf);
            StripTags(content);
            if (content.empty()) {
                DeleteAt(t, d, lc);
                DeleteAt(t, b, lo);
                ++count;
                restart = F(t, open, b);
                if (!restart) break;
                stay = true;
                continue;
            }
            const int32_t g = F(t, open, d + lc);
            if (!g || !FindChar(t, '>', g)) break;
            restart = g;  // neighbours holding text are not merged
        }
    }
    return count;
}

// Step 3.
inline bool InsideTag(const Text& t, int32_t p) {
    const int32_t lt = FindCharBack(t, '<', p), gt = FindCharBack(t, '>', p);
    return lt && lt > gt;
}

inline bool WholeAttribute(const Text& t, int32_t p, std::string_view pattern) {
    const bool starts = pattern[0] == ' ' || (p > 1 && Blank(ByteAt(t, p - 1)));
    return starts && EndsAttribute(ByteAt(t, p + static_cast<int32_t>(pattern.size())));
}

inline void InsideTagRow(Text& t, std::string_view pattern) {
    int32_t pos = 1;
    for (int32_t p = F(t, pattern, pos); p; p = F(t, pattern, pos)) {
        if (InsideTag(t, p) && WholeAttribute(t, p, pattern)) {
            DeleteAt(t, p, static_cast<int32_t>(pattern.size()));
            pos = p;
        } else {
            pos = p + 1;
        }
    }
}

inline void CenterRow(Text& t, std::string_view pattern) {
    for (int32_t p = F(t, pattern, 1); p; p = F(t, pattern, p + 4)) {
        const int32_t open = B(t, "<center>", p - 1);
        const bool outside = !open || B(t, "</center>", p - 1) > open;
        if (outside && InsideTag(t, p) && WholeAttribute(t, p, pattern)) {
            DeleteAt(t, p, static_cast<int32_t>(pattern.size()));
        }
    }
}

inline void BorderRow(Text& t, std::string_view pattern, char le) {
    for (int32_t p = F(t, pattern, 1); p; p = F(t, pattern, p + 5)) {
        const int32_t image = F(t, "<img", 1);
        if (!image || image >= p) return;
        int32_t a2 = B(t, std::string("<a") + le, p - 1);
        if (le == '\r' && !a2) a2 = B(t, "<a\n", p - 1);
        const int32_t a = std::max(B(t, "<a ", p), a2);
        const int32_t x = a ? F(t, "</a", a) : 0;
        const bool in_link = a && !(x && x < p);
        if (!in_link && InsideTag(t, p) && WholeAttribute(t, p, pattern)) {
            DeleteAt(t, p, static_cast<int32_t>(pattern.size()));
        }
    }
}

inline void RemoveEmptyTags(Engine& engine, Text& t) {
    const int32_t before = Len(t);
    const bool lf = engine.run.lf_only;
    const char le = lf ? '\n' : '\r';
    ZeroBorders(t, le);
    for (;;) {
        const int32_t fonts = FontCleanup(t, lf, le);
        const int32_t phrases = PhraseCleanup(engine, t, lf);
        if (!fonts && !phrases) break;
    }
    const bool quoted = !engine.options.StripQuotes;
    InsideTagRow(t, "height=100%");
    InsideTagRow(t, "vspace=0");
    InsideTagRow(t, "hspace=0");
    if (quoted) {
        InsideTagRow(t, "height=\"100%\"");
        InsideTagRow(t, "vspace=\"0\"");
        InsideTagRow(t, "hspace=\"0\"");
        CenterRow(t, "width = \"100%\"");
        CenterRow(t, "align=\"left\"");
        CenterRow(t, "align = \"left\"");
    }
    BorderRow(t, " border=0", le);
    if (quoted) BorderRow(t, " border=\"0\"", le);
    if (engine.stats.on) RecordSavings(engine, t, kSlotStripEmpties, before);
}

}  // namespace tsqz::literal
