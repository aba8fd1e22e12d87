// Empty and redundant tag removal: zero image borders, empty and mergeable FONT and phrase
// elements, bare anchors, and attribute settings that equal the browser default.
//
// The pass is a set of search-and-delete loops whose exact resume points are behaviour. The
// loops here give the same result as the plain loops but avoid their repeated rescans: the
// attribute loops and the image-border loop build their output in one pass, and the cleanup
// cycles use searches that remember what they found and are kept true across each deletion.
// Most chunks need little of this: one walk over their "<" and "=" bytes finds the tags and
// settings the loops look for, so a loop with nothing to find is passed over, and a cleanup
// cycle that would remove nothing is read on the unchanged chunk instead of run. The cleanup
// cycles are in empty_tags_cleanup.cpp, the tag finding they share with this file in
// empty_tags.h.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "passes/empty_tags.h"
#include "passes/passes.h"
#include "text/byte_scan.h"
#include "text/tag_scan.h"

namespace tsqz {
namespace {

using empties::At;
using empties::FindTagPlaces;
using empties::FoldCase;
using empties::kNpos;
using empties::kPhraseNames;
using empties::MatchesAt;
using empties::NoteTag;
using empties::TagPlaces;

// Where a default attribute setting may go. Every row goes only where it stands inside a tag
// as a whole attribute.
enum class Place : uint8_t {
    kInsideTag,
    kOutsideCenter,  // and no CENTER block is open
    kImageBorder,    // and an image came before it, and it is not inside a link
};

struct DefaultAttribute {
    std::string_view text;
    bool quoted;  // looked for only when quote removal is off (quote removal unquotes these)
    Place place;
};

// Applied one after the other, in this order. An empty ALT text is no default: an image with
// it that fails to load shows nothing, one without it a broken-image sign, so it stays.
constexpr DefaultAttribute kDefaultAttributes[] = {
    {"height=100%", false, Place::kInsideTag},
    {"vspace=0", false, Place::kInsideTag},
    {"hspace=0", false, Place::kInsideTag},
    {"height=\"100%\"", true, Place::kInsideTag},
    {"vspace=\"0\"", true, Place::kInsideTag},
    {"hspace=\"0\"", true, Place::kInsideTag},
    // A quoted 100 % width written straight after another value's closing quote is left out
    // on purpose: removing that text would take the other value's quote with it.
    {"width = \"100%\"", true, Place::kOutsideCenter},
    {"align=\"left\"", true, Place::kOutsideCenter},
    {"align = \"left\"", true, Place::kOutsideCenter},
    {" border=0", false, Place::kImageBorder},
    {" border=\"0\"", true, Place::kImageBorder},
};

// Whether a proper suffix of the pattern equals its prefix, ignoring case.
constexpr bool OverlapsItself(std::string_view p) {
    for (size_t shift = 1; shift < p.size(); ++shift) {
        bool same = true;
        for (size_t k = 0; k + shift < p.size() && same; ++k) {
            same = FoldCase(static_cast<unsigned char>(p[k])) ==
                   FoldCase(static_cast<unsigned char>(p[k + shift]));
        }
        if (same) return true;
    }
    return false;
}

// The attribute loops go on after a kept match without looking inside it; that equals the
// loop's own resume point (one, four or five bytes on) only for such patterns.
constexpr bool NoRowOverlapsItself() {
    for (const DefaultAttribute& row : kDefaultAttributes) {
        if (OverlapsItself(row.text)) return false;
    }
    return true;
}
static_assert(NoRowOverlapsItself());

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A byte that ends an attribute written without quotes.
bool EndsAttribute(unsigned char c) { return IsBlank(c) || c == '>' || c == '/'; }

// 0-based index of the first match at or after `from`, ignoring case; kNpos when none. A
// pattern with an "=" (every attribute row has one) is looked for from the places of "=",
// which only matches "=" and is much rarer in a page than the letters the rows start with.
size_t FindIn(std::string_view text, std::string_view pattern, size_t from) {
    if (from >= text.size()) return kNpos;
    const size_t equals = pattern.find('=');
    if (equals == kNpos) return FindFrom(text, pattern, from, true);
    for (size_t e = text.find('=', from + equals); e != kNpos; e = text.find('=', e + 1)) {
        if (MatchesAt(text, e - equals, pattern)) return e - equals;
    }
    return kNpos;
}

// The last match lying wholly inside a text that only grows at its end; each candidate start
// is looked at once.
class LastMatch {
  public:
    explicit LastMatch(std::string_view pattern) : pattern_(pattern) {}

    // 0-based start of the last match, or -1.
    int64_t In(std::string_view text) {
        if (next_ + pattern_.size() > text.size()) return last_;
        for (size_t at = FindIn(text, pattern_, next_); at != kNpos;
             at = FindIn(text, pattern_, at + 1)) {
            last_ = static_cast<int64_t>(at);
        }
        next_ = text.size() - pattern_.size() + 1;
        return last_;
    }

  private:
    std::string pattern_;
    size_t next_ = 0;
    int64_t last_ = -1;
};

// ---------------------------------------------------------------------------------------------
// Step 1: zero borders of images that are not links.

// Length of a zero border setting at `at`: 8 for border=0 ending there, 10 for border="0".
size_t ZeroBorderLength(std::string_view text, size_t at) {
    const size_t v = at + 7;
    if (v + 1 < text.size() && text[v] == '0' && EndsAttribute(At(text, v + 1))) return 8;
    if (v + 2 < text.size() && text[v] == '"' && text[v + 1] == '0' && text[v + 2] == '"') {
        return 10;
    }
    return 0;
}

// Anchor tags in the text before an image.
class LinkTracker {
  public:
    explicit LinkTracker(unsigned char line_end)
        : line_end_form_(std::string{'<', 'a', static_cast<char>(line_end)}),
          cr_document_(line_end == '\r') {}

    // The later of the last "<a " and the last "<a" + line end (in a CR LF document the last
    // "<a" + LF when there is no "<a" + CR) opens a link that no "</a" has closed since.
    bool Encloses(std::string_view before) {
        int64_t line_end = line_end_form_.In(before);
        if (cr_document_ && line_end < 0) line_end = lf_form_.In(before);
        const int64_t open = std::max(space_form_.In(before), line_end);
        return open >= 0 && close_.In(before) < open;
    }

  private:
    LastMatch space_form_{"<a "};
    LastMatch line_end_form_;
    LastMatch lf_form_{"<a\n"};
    LastMatch close_{"</a"};
    bool cr_document_;
};

// For each "<img": when the first "border=" at or after it lies inside the tag with a value
// of exactly 0 and the image is not a link, the setting goes. The text before the current
// image is final and moves to the output as the scan passes; a deletion moves only the bytes
// between the image and the setting.
void ZeroImageBorders(Text& text, unsigned char line_end) {
    if (FindIn(text, "<img", 0) == kNpos) return;
    Text out;
    out.reserve(text.size());
    size_t head = 0;  // text[head..] is the rest of the chunk, after out
    LinkTracker links(line_end);
    size_t from = 0;        // where the next "<img" search starts, within the rest
    size_t border = kNpos;  // absolute index of the last "border=" found, kNpos if unknown
    for (;;) {
        std::string_view rest(text.data() + head, text.size() - head);
        const size_t image = FindIn(rest, "<img", from);
        if (image == kNpos) break;
        out.append(rest.substr(0, image));
        head += image;
        rest.remove_prefix(image);
        const size_t close = rest.find('>');
        if (close == kNpos) break;
        const size_t base = out.size();
        if (border == kNpos || border < base) {
            const size_t found = FindIn(rest, "border=", 0);
            if (found == kNpos) break;
            border = base + found;
        }
        const size_t at = border - base;
        from = 1;
        if (at > close) continue;
        const size_t length = ZeroBorderLength(rest, at);
        if (length == 0 || links.Encloses(out)) continue;
        std::memmove(text.data() + head + length, text.data() + head, at);
        head += length;
        border = kNpos;
    }
    out.append(text, head, kNpos);
    text.swap(out);
}

// ---------------------------------------------------------------------------------------------
// Step 3: default attribute settings.

// What an attribute row needs to know about the text before a match, kept for the output
// built so far, which only grows at its end.
class TagContext {
  public:
    TagContext(const Text& out, unsigned char line_end) : tags_(OutBytes{&out}), links_(line_end) {}

    // The last "<" of the output so far (all before the match) comes after the last ">".
    bool InsideTag(std::string_view out) { return !out.empty() && tags_.InsideTag(out.size() - 1); }

    // No CENTER block started, or the last one started has been closed.
    bool OutsideCenter(std::string_view out) {
        const int64_t open = center_open_.In(out);
        return open < 0 || center_close_.In(out) > open;
    }

    bool ImageBefore(std::string_view out) { return image_.In(out) >= 0; }

    // For a match that begins with a space: an "<a" right before it opens a link with that
    // space; otherwise the link rule of the image borders applies, so that a link written
    // with a line end after "<a" keeps its images' zero borders here too.
    bool InsideLink(std::string_view out) {
        return (out.size() >= 2 && MatchesAt(out, out.size() - 2, "<a")) || links_.Encloses(out);
    }

  private:
    // The output as it stands; it only grows at its end, as the tracker needs.
    struct OutBytes {
        const Text* out;
        size_t size() const { return out->size(); }
        char operator[](size_t i) const { return (*out)[i]; }
    };
    BasicTagTracker<OutBytes> tags_;
    LastMatch center_open_{"<center>"};
    LastMatch center_close_{"</center>"};
    LastMatch image_{"<img"};
    LinkTracker links_;
};

// One row over the whole chunk in one pass. A removed match is skipped, and the search goes on
// where the row's loop resumes in the shortened text: where the match stood, or four or five
// bytes after it.
void RemoveDefaultAttribute(Text& text, const DefaultAttribute& row, unsigned char line_end) {
    const std::string_view pattern = row.text;
    size_t match = FindIn(text, pattern, 0);
    if (match == kNpos) return;
    const std::string_view source(text);
    Text out;
    out.reserve(text.size());
    TagContext context(out, line_end);
    size_t copied = 0;
    while (match != kNpos) {
        out.append(source.substr(copied, match - copied));
        copied = match;
        if (row.place == Place::kImageBorder && !context.ImageBefore(out)) break;
        const size_t after = match + pattern.size();
        // The two border rows carry the blank before the attribute themselves.
        const bool starts_attribute =
            pattern[0] == ' ' || (!out.empty() && IsBlank(At(out, out.size() - 1)));
        bool remove = starts_attribute && after < source.size() &&
                      EndsAttribute(At(source, after)) && context.InsideTag(out);
        if (remove && row.place == Place::kOutsideCenter) remove = context.OutsideCenter(out);
        if (remove && row.place == Place::kImageBorder) remove = !context.InsideLink(out);
        if (remove) {
            size_t skip = row.place == Place::kOutsideCenter ? 4
                          : row.place == Place::kImageBorder ? 5
                                                             : 0;
            skip = std::min(skip, source.size() - after);
            out.append(source.substr(after, skip));
            copied = after + skip;
        } else {
            out.append(source.substr(match, pattern.size()));
            copied = after;
        }
        match = FindIn(source, pattern, copied);
    }
    out.append(source.substr(copied));
    text.swap(out);
}

// ---------------------------------------------------------------------------------------------
// Step 3 over the chunk: which rows to run.

// Where each row's "=" stands in it.
constexpr std::array<size_t, std::size(kDefaultAttributes)> kEqualsAt = [] {
    std::array<size_t, std::size(kDefaultAttributes)> at{};
    for (size_t k = 0; k < std::size(kDefaultAttributes); ++k) {
        at[k] = kDefaultAttributes[k].text.find('=');
    }
    return at;
}();
static_assert(std::size(kDefaultAttributes) <= 32);

// For each byte, the rows (one bit each) that may match where that byte stands just before,
// or just after, an "=".
struct RowsBesideEquals {
    std::array<uint32_t, 256> before{};
    std::array<uint32_t, 256> after{};
};

constexpr RowsBesideEquals kRowsBesideEquals = [] {
    RowsBesideEquals rows;
    for (size_t k = 0; k < std::size(kDefaultAttributes); ++k) {
        const std::string_view text = kDefaultAttributes[k].text;
        const auto p = static_cast<unsigned char>(text[kEqualsAt[k] - 1]);
        const auto q = static_cast<unsigned char>(text[kEqualsAt[k] + 1]);
        for (size_t c = 0; c < 256; ++c) {
            if (FoldCase(static_cast<unsigned char>(c)) == FoldCase(p)) rows.before[c] |= 1u << k;
            if (FoldCase(static_cast<unsigned char>(c)) == FoldCase(q)) rows.after[c] |= 1u << k;
        }
    }
    return rows;
}();

// What one walk over the "=" bytes of a text finds.
struct EqualsFound {
    uint32_t rows = 0;         // the rows among those wanted that match somewhere
    bool zero_border = false;  // a "border=" with a value that starts 0 or a quote
};

// Notes the rows among `wanted` that match around the "=" at `e` (a row that matches nowhere
// has nothing to do), and, when `borders`, a "border=" there whose value may be zero (an
// image border can go nowhere else). Returns whether nothing is left to find.
bool NoteEquals(std::string_view text, size_t e, uint32_t wanted, bool borders,
                EqualsFound& found) {
    if (e == 0 || e + 1 >= text.size()) return false;
    const unsigned char before = At(text, e - 1);
    const unsigned char after = At(text, e + 1);
    uint32_t rows =
        wanted & ~found.rows & kRowsBesideEquals.before[before] & kRowsBesideEquals.after[after];
    for (; rows != 0; rows &= rows - 1) {
        const int k = __builtin_ctz(rows);
        if (e >= kEqualsAt[k] && MatchesAt(text, e - kEqualsAt[k], kDefaultAttributes[k].text)) {
            found.rows |= 1u << k;
        }
    }
    if (borders && !found.zero_border && (after == '0' || after == '"') && e >= 6 &&
        MatchesAt(text, e - 6, "border=")) {
        found.zero_border = true;
    }
    return found.rows == wanted && (found.zero_border || !borders);
}

EqualsFound FindAtEquals(std::string_view text, uint32_t wanted) {
    EqualsFound found;
    if (wanted == 0) return found;
    ScanBytes<'='>(text, 0, [&](size_t e) {
        return NoteEquals(text, e, wanted, false, found) ? kScanEnd : e + 1;
    });
    return found;
}

// Both of the above in one walk.
void FindTagsAndEquals(std::string_view text, uint32_t wanted, TagPlaces& places,
                       EqualsFound& found) {
    ScanBytes<'<', '='>(text, 0, [&](size_t i) {
        if (text[i] == '<') {
            NoteTag(text, i, places);
        } else {
            NoteEquals(text, i, wanted, true, found);
        }
        return i + 1;
    });
}

}  // namespace

void RemoveEmptyTags(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    const unsigned char line_end = engine.run.lf_only ? '\n' : '\r';
    const bool quotes_removed = engine.options.StripQuotes != 0;
    uint32_t wanted = 0;
    for (size_t k = 0; k < std::size(kDefaultAttributes); ++k) {
        if (!(kDefaultAttributes[k].quoted && quotes_removed)) wanted |= 1u << k;
    }
    const size_t length = chunk.size();  // every step only removes: the same length, the same text
    TagPlaces places;
    EqualsFound found;
    FindTagsAndEquals(chunk, wanted, places, found);
    if (places.image && found.zero_border) {
        ZeroImageBorders(chunk, line_end);
        if (chunk.size() != length) {
            places = TagPlaces{};
            FindTagPlaces(chunk, places);
        }
    }
    if (empties::FirstCycleRemovesNothing(chunk, places, engine.run.lf_only, line_end)) {
        // The cycle pumps once per phrase name, whether or not the name is there.
        empties::PumpPerName(engine);
    } else {
        empties::RunCleanup(engine, chunk, line_end, places);
    }

    if (chunk.size() != length) found = FindAtEquals(chunk, wanted);
    // Each row works on what the rows before it left; the rows still to come are looked for
    // again whenever one removes something.
    for (size_t k = 0; k < std::size(kDefaultAttributes); ++k) {
        wanted &= ~(1u << k);
        if (!(found.rows & (1u << k))) continue;
        const size_t before = chunk.size();
        RemoveDefaultAttribute(chunk, kDefaultAttributes[k], line_end);
        if (chunk.size() != before) found = FindAtEquals(chunk, wanted);
    }
    EndSavings(engine, chunk, kSlotStripEmpties);
}

}  // namespace tsqz
