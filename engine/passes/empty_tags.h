// The tags that empty-tag removal and its cleanup look for: the phrase names, where a
// chunk's FONT, phrase, bare-anchor and image tags are, and the byte helpers both units use.
// Header-only, so the scans stay inlined in both; the cleanup itself is empty_tags_cleanup.cpp.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "passes/passes.h"
#include "text/byte_scan.h"
#include "text/position.h"

namespace tsqz::empties {

// The functions here have internal linkage, as they had inside one unit, so that each unit's
// scans inline them as before.

inline constexpr size_t kNpos = std::string_view::npos;

// Phrase elements in the order the cleanup visits them, each with its closing ">". The start
// tag is "<" and the end tag "</" in front of the name, so start tags with attributes are
// never touched.
inline constexpr std::string_view kPhraseNames[] = {
    "cite>", "code>",  "em>",     "kbd>", "samp>", "strong>", "var>",     "b>",  "big>", "blink>",
    "i>",    "small>", "strike>", "sub>", "sup>",  "dfn>",    "address>", "tt>", "u>"};

inline constexpr size_t kLongestName = [] {
    size_t longest = 0;
    for (std::string_view name : kPhraseNames)
        longest = std::max(longest, name.size());
    return longest;
}();

static constexpr unsigned char FoldCase(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

static inline unsigned char At(std::string_view text, size_t i) {
    return static_cast<unsigned char>(text[i]);
}

static inline bool MatchesAt(std::string_view text, size_t at, std::string_view pattern) {
    if (at + pattern.size() > text.size()) return false;
    for (size_t k = 0; k < pattern.size(); ++k) {
        if (!BytesMatch(At(pattern, k), At(text, at + k), true)) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Step 2: where the tags are that the cleanup looks for.

// The places here are 0-based int32_t indexes, half the size of size_t in the place lists;
// "no place" is kNoPlace, -1.
inline constexpr int32_t kNoPlace = kNoneOf<int32_t>;

// Up to eight bytes of a text as one word, zeros past its end, so that a short pattern is
// compared with them in one step.
static inline uint64_t WordAt(std::string_view text, size_t at) {
    uint64_t word = 0;
    if (at + 8 <= text.size()) {
        std::memcpy(&word, text.data() + at, 8);
    } else if (at < text.size()) {
        std::memcpy(&word, text.data() + at, text.size() - at);
    }
    return word;
}

// A pattern of at most eight bytes, lower case, as a word laid out as WordAt reads one. A
// text word matches when, with the case bit set at the pattern's letters, it holds the
// pattern's bytes: letters in either case, every other byte exactly, as the searches match.
struct WordPattern {
    uint64_t value = 0;
    uint64_t fold = 0;
    uint64_t care = 0;

    constexpr WordPattern() = default;
    constexpr explicit WordPattern(std::string_view pattern) {
        for (size_t k = 0; k < pattern.size() && k < 8; ++k) {
            const size_t shift = 8 * (std::endian::native == std::endian::little ? k : 7 - k);
            const auto c = static_cast<unsigned char>(pattern[k]);
            value |= uint64_t{c} << shift;
            if (c >= 'a' && c <= 'z') fold |= uint64_t{0x20} << shift;
            care |= uint64_t{0xFF} << shift;
        }
    }
    bool Matches(uint64_t word) const { return ((word | fold) & care) == value; }
};

inline constexpr std::array<WordPattern, std::size(kPhraseNames)> kNameWords = [] {
    std::array<WordPattern, std::size(kPhraseNames)> words{};
    for (size_t k = 0; k < std::size(kPhraseNames); ++k) {
        words[k] = WordPattern(kPhraseNames[k]);
    }
    return words;
}();
static_assert(kLongestName <= 8);

// Phrase names by their first two bytes, one bit per entry of kPhraseNames. A name's first
// byte picks a row (a letter in either case; row 26 for any other byte) and its second byte
// a column (a letter in either case, or the ">" of a one-letter name; column 27 for any
// other byte); the last row and column are empty.
struct NamesByStart {
    std::array<uint8_t, 256> row{};
    std::array<uint8_t, 256> column{};
    std::array<std::array<uint32_t, 28>, 27> names{};
};

inline constexpr NamesByStart kNamesByStart = [] {
    NamesByStart table;
    for (size_t c = 0; c < 256; ++c) {
        const unsigned char folded = FoldCase(static_cast<unsigned char>(c));
        const bool letter = folded >= 'a' && folded <= 'z';
        table.row[c] = static_cast<uint8_t>(letter ? folded - 'a' : 26);
        table.column[c] = static_cast<uint8_t>(letter ? folded - 'a' : c == '>' ? 26 : 27);
    }
    for (size_t k = 0; k < std::size(kPhraseNames); ++k) {
        const std::string_view name = kPhraseNames[k];
        const uint8_t row = table.row[static_cast<unsigned char>(name[0])];
        const uint8_t column = table.column[static_cast<unsigned char>(name[1])];
        table.names[row][column] |= 1u << k;
    }
    return table;
}();
static_assert(std::size(kPhraseNames) <= 32);

// The tags the cleanup searches for, each list in text order (0-based places of the "<").
struct TagPlaces {
    bool image = false;  // "<img"
    std::vector<int32_t> bare_anchors;
    std::vector<int32_t> font_starts;
    std::vector<int32_t> font_ends;
    std::array<std::vector<int32_t>, std::size(kPhraseNames)> phrase_starts;
    std::array<std::vector<int32_t>, std::size(kPhraseNames)> phrase_ends;
};

// The phrase name (with its ">") that the text holds at `at`, as an index, or -1.
static inline int PhraseNameAt(std::string_view text, size_t at) {
    if (at + 1 >= text.size()) return -1;
    uint32_t names =
        kNamesByStart
            .names[kNamesByStart.row[At(text, at)]][kNamesByStart.column[At(text, at + 1)]];
    if (names == 0) return -1;
    const uint64_t word = WordAt(text, at);
    for (; names != 0; names &= names - 1) {
        const int k = __builtin_ctz(names);
        if (kNameWords[k].Matches(word)) return k;
    }
    return -1;
}

// Notes the form that the "<" at `i` starts, if it is one the cleanup looks for. The byte
// after it (and after a "</") tells which it may be, so most tags are passed after a look at
// one or two bytes.
static inline void NoteTag(std::string_view text, size_t i, TagPlaces& places) {
    static constexpr WordPattern kFontStart("<font");
    static constexpr WordPattern kFontEnd("</font>");
    static constexpr WordPattern kImage("<img");
    static constexpr WordPattern kBareAnchor("<a>");
    const auto at = static_cast<int32_t>(i);
    if (i + 2 >= text.size()) return;  // every form is three bytes or more
    const unsigned char second = FoldCase(At(text, i + 1));
    if (second == '/') {
        const unsigned char third = FoldCase(At(text, i + 2));
        if (third == 'f') {
            if (kFontEnd.Matches(WordAt(text, i))) places.font_ends.push_back(at);
        } else if (const int k = PhraseNameAt(text, i + 2); k >= 0) {
            places.phrase_ends[k].push_back(at);
        }
    } else if (second == 'f') {
        if (kFontStart.Matches(WordAt(text, i))) places.font_starts.push_back(at);
    } else if (second == 'a' && kBareAnchor.Matches(WordAt(text, i))) {
        places.bare_anchors.push_back(at);
    } else if (second == 'i' && kImage.Matches(WordAt(text, i))) {
        places.image = true;
    } else if (const int k = PhraseNameAt(text, i + 1); k >= 0) {
        places.phrase_starts[k].push_back(at);
    }
}

static inline void FindTagPlaces(std::string_view text, TagPlaces& places) {
    ScanBytes<'<'>(text, 0, [&](size_t i) {
        NoteTag(text, i, places);
        return i + 1;
    });
}

// The first cleanup cycle would remove nothing from the text (false also when reading it
// costs too much); read on the unchanged text, so the cycle need not run.
bool FirstCycleRemovesNothing(std::string_view text, const TagPlaces& places, bool lf_only,
                              unsigned char line_end);

// The pumps of a cleanup cycle: one per phrase name.
void PumpPerName(const Engine& engine);

// The cleanup cycles over the chunk, until one removes nothing; places are the chunk's tags.
void RunCleanup(Engine& engine, Text& chunk, unsigned char line_end, const TagPlaces& places);

}  // namespace tsqz::empties
