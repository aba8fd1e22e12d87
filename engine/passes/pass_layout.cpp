// Whitespace and line layout: line-end conversion, space removal, empty-line removal, line
// joining and rewrapping.
//
// Each step of these passes reads as a loop that edits the chunk as it searches ("repeat
// until none", "find, delete, search on"). Here each step is one forward walk that reads the
// chunk as the step found it and copies it once, leaving out what the step deletes (a
// Compactor); the walk looks only at the places byte_scan.h hands over. Where two steps are
// done in one walk, or the walk reads the chunk as it was rather than as the step's own edits
// left it, the comment says why that gives the same result. Two facts carry most of it: from
// the run-collapsing step on, space removal deletes single spaces only and never two in a row
// remain, so the bytes on either side of a space stay what they are while other spaces go;
// and which ">" ends which tag depends only on where the "<" and ">" bytes stand.
//
// White space is taken out (or a line end put in) only where a browser shows no difference:
// beside the tags of block-level elements. Beside the tags of text-level elements, after a ">"
// that is text, and anywhere while a font change is left open (inline_elements.h), it
// separates visible words or makes a line of its own, and stays as it is.
#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "text/byte_scan.h"
#include "passes/inline_elements.h"
#include "passes/passes.h"
#include "text/position.h"
#include "text/text_rewriter.h"

namespace tsqz {
namespace {

std::string_view LineEnd(const Engine& engine) { return engine.run.lf_only ? "\n" : "\r\n"; }

// Reads a text at indexes, 0 outside it, as the tag readers take it.
struct ByteReader {
    std::string_view s;
    unsigned char operator()(size_t i) const { return ByteAtIndex(s, i); }
};

// The marker pair left where server code was cut out ("<" + two bytes from 0x80 up + ">"),
// ending at index `gt` or starting at index `lt`. The code's output lands there and may be
// words, part of an address or an attribute value, so white space beside a marker pair is never
// taken away whole, and none is put in where there was none.
bool MarkerEndsAt(std::string_view s, size_t gt) {
    return gt >= 3 && gt < s.size() && s[gt] == '>' && s[gt - 3] == '<' &&
           static_cast<unsigned char>(s[gt - 1]) >= 0x80 &&
           static_cast<unsigned char>(s[gt - 2]) >= 0x80;
}
bool MarkerStartsAt(std::string_view s, size_t lt) {
    return lt + 3 < s.size() && s[lt] == '<' && s[lt + 3] == '>' &&
           static_cast<unsigned char>(s[lt + 1]) >= 0x80 &&
           static_cast<unsigned char>(s[lt + 2]) >= 0x80;
}
// Whether deleting the white space from `first` to `last` (indices) leaves a marker pair with
// no white space on that side.
bool BaresMarker(std::string_view s, size_t first, size_t last) {
    return (first >= 1 && MarkerEndsAt(s, first - 1)) || MarkerStartsAt(s, last + 1);
}

// Whether white space beside the tag whose "<" is at index `open` shows.
// `display` says which block-level elements the page's style sheets may make text-level.
bool InlineTagAt(std::string_view s, size_t open, const DisplayRules* display) {
    return ReadTagAt(ByteReader{s}, open, display).IsInline();
}

// The index of the "<" of the tag that the ">" at index `gt` ends, kNone when it ends none:
// the nearest "<" before it, unless another ">" stands between them or that "<" starts no
// markup ("a < b > c"). Looks back no further than the ">" before, so a walk that asks about
// each ">" at most once stays linear.
size_t TagOpenOf(std::string_view s, size_t gt) {
    const void* previous = memrchr(s.data(), '>', gt);
    const size_t from =
        previous == nullptr
            ? 0
            : static_cast<size_t>(static_cast<const char*>(previous) - s.data()) + 1;
    const void* found = memrchr(s.data() + from, '<', gt - from);
    if (found == nullptr) return kNone;
    const auto open = static_cast<size_t>(static_cast<const char*>(found) - s.data());
    return tag_detail::StartsMarkupAt(ByteReader{s}, open) ? open : kNone;
}

bool PatternAt(std::string_view s, size_t at, std::string_view pattern) {
    if (at + pattern.size() > s.size()) return false;
    for (size_t k = 0; k < pattern.size(); ++k) {
        if (!BytesMatch(static_cast<unsigned char>(pattern[k]),
                        static_cast<unsigned char>(s[at + k]), true)) {
            return false;
        }
    }
    return true;
}

// The index of the first match at or after `from` of the search of text.h that ignores case,
// kNone if none. The places are found from the pattern's first two bytes, which must not be
// the "?" wildcard.
size_t FindNoCase(std::string_view s, std::string_view pattern, size_t from) {
    // The text bytes that BytesMatch lets stand for a pattern byte: itself and, for a letter,
    // its other case (also "`" for "@", as the searches of text.h have it).
    const auto other = [](char p) {
        const auto c = static_cast<unsigned char>(p);
        const auto flipped = static_cast<unsigned char>(c ^ 0x20);
        return static_cast<char>(c <= 0x7A && flipped >= 0x41 && flipped <= 0x7A ? flipped : c);
    };
    const char a = pattern[0];
    const char a2 = other(a);
    const char b = pattern[1];
    const char b2 = other(b);
    size_t found = kNone;
    ScanPlaces(
        s, from,
        [=](Bytes16 b0, Bytes16 b1, Bytes16) {
            return ((b0 == a) | (b0 == a2)) & ((b1 == b) | (b1 == b2));
        },
        [&](size_t i) {
            if (!PatternAt(s, i, pattern)) return i + 1;
            found = i;
            return kScanEnd;
        });
    return found;
}

// Builds what a walk leaves of a text: the text with bytes dropped or replaced at increasing
// indices, the stretches between them copied whole. The walk reads the text as it was; the
// result takes its place at Finish, only if something changed. `spare` lends its buffer and
// gets the old text's, so a series of walks allocates once.
class Compactor {
  public:
    Compactor(const Text& text, Text& spare) : in_(text), out_(spare) {}
    Compactor(const Compactor&) = delete;
    Compactor& operator=(const Compactor&) = delete;

    // An index before one already handled is ignored, so a byte dropped twice goes once.
    void Drop(size_t i) {
        if (i < next_) return;
        CopyTo(i);
        next_ = i + 1;
    }
    // Drops the bytes from i up to (not including) end.
    void DropRange(size_t i, size_t end) {
        if (end <= next_) return;
        CopyTo(std::max(i, next_));
        next_ = end;
    }
    void Replace(size_t i, char c) {
        if (i < next_) return;
        CopyTo(i);
        out_.push_back(c);
        next_ = i + 1;
    }
    // Puts the result in place of `text`, the text the Compactor was made with.
    void Finish(Text& text) {
        if (!changed_) return;
        out_.append(in_.data() + next_, in_.size() - next_);
        text.swap(out_);
    }

  private:
    void CopyTo(size_t i) {
        if (!changed_) {
            changed_ = true;
            out_.clear();
            out_.reserve(in_.size());
        }
        out_.append(in_.data() + next_, i - next_);
    }

    std::string_view in_;
    Text& out_;
    size_t next_ = 0;  // first input byte not yet copied or dropped
    bool changed_ = false;
};

// ---------------------------------------------------------------------------------------
// Space removal

// The title text kept aside when it holds two spaces in a row. Every later step deletes
// spaces only (tabs have become spaces), so its "<title>" and "</title>" are found again by
// counting the other bytes before them.
struct TitleCopy {
    Text text;
    size_t start_rank = 0;  // bytes other than spaces and tabs before the "<" of "<title>"
    size_t end_rank = 0;    // the same before the "<" of "</title>"
};

size_t CountNonBlanks(std::string_view s, size_t end) {
    size_t count = 0;
    for (size_t i = 0; i < end; ++i)
        count += s[i] != ' ' && s[i] != '\t';
    return count;
}

// The index of the byte other than a space that has `rank` such bytes before it.
size_t NonSpaceWithRank(std::string_view s, size_t rank) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != ' ' && rank-- == 0) return i;
    }
    return s.size();
}

TitleCopy KeepTitleWithDoubleSpaces(const Text& chunk) {
    const size_t start = FindNoCase(chunk, "<title>", 0);
    if (start == kNone) return {};
    const size_t end = FindNoCase(chunk, "</title>", start);
    if (end == kNone) return {};
    const std::string_view title = std::string_view(chunk).substr(start, end - start);
    if (title.find("  ") == std::string_view::npos) return {};
    return {Text(title), CountNonBlanks(chunk, start), CountNonBlanks(chunk, end)};
}

void PutTitleBack(Text& chunk, const TitleCopy& title) {
    const size_t start = NonSpaceWithRank(chunk, title.start_rank);
    const size_t end = NonSpaceWithRank(chunk, title.end_rank);
    chunk.replace(start, end - start, title.text);
}

// Steps 2 to 4: tabs become spaces; each run of spaces becomes one; before the first "<body"
// a space between ">" and "<" goes. One walk does the three: after steps 2 and 3 a run of
// spaces and tabs is one space whatever it was made of, and step 4 deletes that space when a
// ">" stands before the run and a "<" after it that is no later than the one of "<body"
// (which holds no space, so the first two steps find the same "<body" as the third).
void CollapseBlanks(Text& text, Text& spare) {
    const std::string_view s = text;
    const size_t n = s.size();
    const size_t body = FindNoCase(s, "<body", 0);
    const size_t head_end = body == kNone ? 0 : body;
    Compactor out(text, spare);
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    // Handles the run that starts at i, if one does; returns where to go on.
    const auto run = [&](size_t i) -> size_t {
        if (!blank(s[i])) return i + 1;
        size_t end = i + 1;
        while (end < n && blank(s[end]))
            ++end;
        if (end <= head_end && i > 0 && s[i - 1] == '>' && s[end] == '<' &&
            !BaresMarker(s, i, end - 1)) {
            out.DropRange(i, end);
        } else if (end - i > 1 || s[i] == '\t') {
            out.Replace(i, ' ');
            out.DropRange(i + 1, end);
        }
        return end;
    };
    for (size_t i = 0; i < head_end;)
        i = run(i);
    // After the head only runs that are not a single space change.
    ScanPlaces(
        s, head_end,
        [](Bytes16 b0, Bytes16 b1, Bytes16) {
            return (b0 == '\t') | ((b0 == ' ') & ((b1 == ' ') | (b1 == '\t')));
        },
        run);
    out.Finish(text);
}

// Step 5: attributes whose value is a list; the spaces inside their quoted value go.
constexpr std::string_view kListAttributes[] = {"coords=", "cols=", "rows="};

// The names end in "=", which is far rarer in a page than their first letters: the search
// goes from "=" to "=" and compares the name before it.
size_t FindListAttribute(const Rewriter& text, std::string_view name, size_t start) {
    const size_t tail = name.size() - 1;
    for (size_t eq = text.FindChar('=', start + tail); eq != kNone; eq = text.FindChar('=', eq + 1)) {
        if (text.HasAt(eq - tail, name, true)) return eq - tail;
    }
    return kNone;
}

// Only a quoted value that belongs to the attribute counts: the name lies inside a tag and
// only spaces stand between it and the opening quote. Taking the first quote after the name
// wherever it lies would strip the spaces of some later tag's value, or of visible text.
void CompactListValues(Rewriter& text, std::string_view name) {
    RewriterTagTracker tags(text);
    for (size_t m = FindListAttribute(text, name, 0); m != kNone;) {
        size_t open = m + name.size();
        while (text.At(open) == ' ')
            ++open;
        if (text.At(open) != '"' || !tags.InsideTag(m)) {
            m = FindListAttribute(text, name, m + name.size());
            continue;
        }
        const size_t close = text.FindChar('"', open + 1);
        if (close == kNone) break;
        size_t end = close;
        for (size_t p = open + 1; p < end;) {
            if (text.At(p) == ' ') {
                text.Delete(p, 1);
                --end;
            } else {
                ++p;
            }
        }
        m = FindListAttribute(text, name, open + name.size());
    }
}

// Which of the list attributes occur in the text as FindListAttribute finds them: bit k for
// kListAttributes[k]. Every name ends in "s=", which the walk looks for first.
unsigned ListAttributesIn(std::string_view s) {
    unsigned found = 0;
    ScanPlaces(
        s, 0,
        [](Bytes16 b0, Bytes16 b1, Bytes16) { return ((b0 == 's') | (b0 == 'S')) & (b1 == '='); },
        [&](size_t i) {
            if (i + 1 >= s.size() || s[i + 1] != '=') return i + 1;
            for (size_t k = 0; k < std::size(kListAttributes); ++k) {
                const std::string_view name = kListAttributes[k];
                if (i + 2 < name.size()) continue;
                const size_t first = i + 2 - name.size();
                bool match = true;
                for (size_t j = 0; j < name.size() && match; ++j) {
                    match = BytesMatch(static_cast<unsigned char>(name[j]),
                                       static_cast<unsigned char>(s[first + j]), true);
                }
                if (match) found |= 1u << k;
            }
            return i + 1;
        });
    return found;
}

// Step 5, run only for the names that occur; a compaction may make a later name appear.
void CompactListAttributes(Text& chunk) {
    unsigned present = ListAttributesIn(chunk);
    for (size_t k = 0; k < std::size(kListAttributes); ++k) {
        if ((present >> k & 1u) == 0) continue;
        Rewriter text(chunk);
        CompactListValues(text, kListAttributes[k]);
        if (text.Edited()) {
            chunk = text.Finish();
            present = ListAttributesIn(chunk);
        }
    }
}

// Steps 6 to 9 in one walk: a space goes when a line feed stands before it, or after it a
// line feed, a CR LF (unless line ends are LF only) or a ">" that ends a tag (a ">" that is
// text keeps the space before it). Step 10 ("< " becomes "<") is not done: a "<" followed by
// a space is text to a browser, and without the space the "<" would open a tag ("a < b c"
// would show "a " and open a B element). With no two spaces in a row, the bytes beside
// a space stay what they are while other spaces go, and which ">" ends a tag does not change,
// so each space goes or stays whatever the order of the steps.
void RemoveSpacesAtLineEndsAndTagEdges(Text& text, Text& spare, bool lf_only) {
    const std::string_view s = text;
    const size_t n = s.size();
    const auto at = [s, n](size_t i) -> char { return i < n ? s[i] : '\0'; };
    Compactor out(text, spare);
    ScanPlaces(
        s, 0,
        [](Bytes16 b0, Bytes16 b1, Bytes16 b2) {
            return ((b0 == '\n') & (b1 == ' ')) |
                   ((b0 == ' ') & ((b1 == '\n') | (b1 == '>') | ((b1 == '\r') & (b2 == '\n'))));
        },
        [&](size_t i) {
            const char c = s[i];
            if (c == '\n') {
                if (at(i + 1) == ' ') out.Drop(i + 1);
            } else if (c == ' ') {
                const char next = at(i + 1);
                if (next == '\n' || (!lf_only && next == '\r' && at(i + 2) == '\n') ||
                    (next == '>' && TagOpenOf(s, i + 1) != kNone)) {
                    out.Drop(i);
                }
            }
            return i + 1;
        });
    out.Finish(text);
}

// Step 13: tag-specific spaces.
enum class SpaceRule : uint8_t {
    kBeforeTag,      // rule 1: the space that starts the pattern goes
    kAfterFixedTag,  // rule 2: a space right after the pattern goes
    kAfterTagEnd,    // rule 3: a space right after the ">" that ends the tag goes
};

enum class RowCondition : uint8_t {
    kAlways,
    kClosingLIKept,  // only while StripClosingLI is off
};

// The patterns are prefixes ("<h" also matches "<html", "<t" also matches "<textarea"); a
// match counts only at the tag of a block-level element (see RemoveTagSpaces).
struct TagSpaceRule {
    int row;
    std::string_view pattern;  // any case
    SpaceRule rule;
    RowCondition condition;
};

using enum SpaceRule;
using enum RowCondition;

constexpr TagSpaceRule kTagSpaceRules[] = {
    {1, " <body", kBeforeTag, kAlways},
    {2, "<body>", kAfterTagEnd, kAlways},
    {3, " </body", kBeforeTag, kAlways},
    {4, "</body>", kAfterFixedTag, kAlways},
    {5, " <br", kBeforeTag, kAlways},
    {6, "<br", kAfterTagEnd, kAlways},
    {7, " <h", kBeforeTag, kAlways},
    {8, "<h", kAfterTagEnd, kAlways},
    {9, " </h", kBeforeTag, kAlways},
    {10, "</h", kAfterTagEnd, kAlways},
    {11, " <frame", kBeforeTag, kAlways},
    {12, "</frame", kAfterTagEnd, kAlways},
    {13, " <iframe", kBeforeTag, kAlways},
    {14, "</iframe", kAfterTagEnd, kAlways},
    {15, " <p", kBeforeTag, kAlways},
    {16, "<p", kAfterTagEnd, kAlways},
    {17, " </p", kBeforeTag, kAlways},
    {18, "</p", kAfterTagEnd, kAlways},
    {19, " <li>", kBeforeTag, kClosingLIKept},
    {19, "<li>", kAfterFixedTag, kClosingLIKept},
    {19, " <dt>", kBeforeTag, kClosingLIKept},
    {19, "<dt>", kAfterFixedTag, kClosingLIKept},
    {20, " </li>", kBeforeTag, kClosingLIKept},
    {20, "</li>", kAfterFixedTag, kClosingLIKept},
    {20, " </dt>", kBeforeTag, kClosingLIKept},
    {20, "</dt>", kAfterFixedTag, kClosingLIKept},
    {21, " <blockquote>", kBeforeTag, kAlways},
    {21, " </blockquote>", kBeforeTag, kAlways},
    {21, "</blockquote>", kAfterFixedTag, kAlways},
    {22, " <center>", kBeforeTag, kAlways},
    {22, " </center>", kBeforeTag, kAlways},
    {22, "</center>", kAfterFixedTag, kAlways},
    {23, " <t", kBeforeTag, kAlways},
    {23, "<t", kAfterTagEnd, kAlways},
    {23, " </t", kBeforeTag, kAlways},
    {23, "</t", kAfterTagEnd, kAlways},
};

static_assert(std::size(kTagSpaceRules) <= 64, "the rows of a tag are kept as bits of a word");

// For a tag's "<", the rows whose pattern can match there, by whether "/" follows the "<" and
// by the byte after "<" or "</" (the first letter of the pattern's name, in either case).
struct RowsByName {
    uint64_t rows[2][256] = {};
};

constexpr RowsByName IndexTagSpaceRules() {
    RowsByName index;
    for (size_t r = 0; r < std::size(kTagSpaceRules); ++r) {
        std::string_view tag = kTagSpaceRules[r].pattern;
        if (tag[0] == ' ') tag.remove_prefix(1);
        const bool slash = tag[1] == '/';
        const auto letter = static_cast<unsigned char>(tag[slash ? 2 : 1]);
        index.rows[slash][letter] |= uint64_t{1} << r;
        if ((letter | 0x20) >= 'a' && (letter | 0x20) <= 'z') {
            index.rows[slash][letter ^ 0x20] |= uint64_t{1} << r;
        }
    }
    return index;
}

constexpr RowsByName kRowsByName = IndexTagSpaceRules();

// What the rows of step 13 delete around the tag whose "<" is at index `open`: the space
// before it, the space after the first ">" from it, or both. Every fixed pattern of rule 2
// ends at that ">", so rules 2 and 3 delete the same byte.
struct TagSpaces {
    bool before = false;
    bool after_close = false;
};

TagSpaces TagSpacesAt(std::string_view s, size_t open, bool closing_li_stripped) {
    TagSpaces found;
    if (open + 1 >= s.size()) return found;
    const bool slash = s[open + 1] == '/';
    const size_t letter = open + 1 + (slash ? 1 : 0);
    if (letter >= s.size()) return found;
    uint64_t rows = kRowsByName.rows[slash][static_cast<unsigned char>(s[letter])];
    const bool space_before = open >= 2 && s[open - 1] == ' ';
    while (rows != 0) {
        const auto r = static_cast<size_t>(__builtin_ctzll(rows));
        rows &= rows - 1;
        const TagSpaceRule& rule = kTagSpaceRules[r];
        if (rule.condition == kClosingLIKept && closing_li_stripped) continue;
        if (rule.rule == kBeforeTag) {
            if (space_before && !found.before) found.before = PatternAt(s, open - 1, rule.pattern);
        } else if (!found.after_close) {
            found.after_close = PatternAt(s, open, rule.pattern);
        }
    }
    return found;
}

// Steps 11 and 13 as one walk over the tags. Step 11: "> <" after an end tag loses its space,
// when the ">" ends that tag, the tag is not that of a text-level element, and no font
// change is open. Step 13: the rows of kTagSpaceRules, applied to the tags of block-level
// elements while no font change is open.
//
// Every row deletes one space beside a "<" or a ">", and the bytes a row looks at (the
// pattern, the ">" a tag ends at, the tag's name, the font changes) are not spaces and do not
// change when another such space goes; a row only tests whether its own space is there. So
// the rows do not interfere and are applied together, and step 13 deletes the same after
// step 11 as before it. That would not hold if step 12 ran in between (it tests the space
// after a tag before deleting the one before it): when it has work, the steps run one by one
// (`steps` picks them). The deletions come in order: the space before a "<" when the walk
// reaches the "<", the one after a ">" when it reaches the ">".
enum WalkedSteps : unsigned { kAfterEndTags = 1, kTagSpecific = 2 };

void RemoveSpacesBesideTags(Text& text, Text& spare, unsigned steps, bool closing_li_stripped,
                            const DisplayRules* display) {
    const std::string_view s = text;
    const size_t n = s.size();
    const ByteReader at{s};
    Compactor out(text, spare);
    OpenFontElements fonts;
    size_t open = kNone;   // the last "<" met
    bool unended = false;  // and no ">" met since
    // The space after the next ">" goes by a row of step 13 (drop_after_close), or may go by
    // one for the tag at `pending` (its kind is read only if a space does follow the ">").
    bool drop_after_close = false;
    size_t pending = kNone;
    const auto settle_pending = [&] {
        if (pending != kNone && !InlineTagAt(s, pending, display)) drop_after_close = true;
        pending = kNone;
    };
    ScanBytes<'<', '>'>(s, 0, [&](size_t i) {
        if (s[i] == '<') {
            if ((steps & kTagSpecific) != 0 && i >= 1 && !fonts.Open()) {
                const TagSpaces found = TagSpacesAt(s, i, closing_li_stripped);
                if (found.before && !InlineTagAt(s, i, display)) {
                    if (!BaresMarker(s, i - 1, i - 1)) out.Drop(i - 1);
                    drop_after_close = drop_after_close || found.after_close;
                } else if (found.after_close && !found.before) {
                    settle_pending();
                    pending = i;
                }
            }
            fonts.Take(at, i);
            open = i;
            unended = true;
            return i + 1;
        }
        const bool ends_tag = unended;
        unended = false;
        if (i + 1 >= n || s[i + 1] != ' ') {
            drop_after_close = false;
            pending = kNone;
            return i + 1;
        }
        settle_pending();
        if (BaresMarker(s, i + 1, i + 1)) {
            drop_after_close = false;
        } else if (drop_after_close) {
            drop_after_close = false;
            out.Drop(i + 1);
        } else if ((steps & kAfterEndTags) != 0 && ends_tag && i >= 1 && i + 2 < n &&
                   s[i + 2] == '<' && s[open + 1] == '/' && !fonts.Open() &&
                   !InlineTagAt(s, open, display)) {
            out.Drop(i + 1);
        }
        return i + 1;
    });
    out.Finish(text);
}

// Step 12: a tag with a space on both sides keeps only the space after it. The walk visits
// the first "<" and then the first "<" from one byte before the ">" of each visited tag,
// counted in the text as it stands after the deletion: when the space before the tag went,
// that is the ">" itself. A text-level tag keeps both spaces: an image or a form control would
// touch the word before it, and the space would move inside a link's underline. So does every
// tag while a font change is open. A section whose first byte is its first "<" is not changed.
void RemoveSpacesAroundTags(Text& text, Text& spare, const DisplayRules* display) {
    const std::string_view s = text;
    const size_t n = s.size();
    const size_t first = s.find('<');
    if (first == kNone || first == 0) return;
    const ByteReader at{s};
    Compactor out(text, spare);
    OpenFontElements fonts;
    size_t visit_from = first;  // the next "<" at or after this index is visited
    ScanBytes<'<'>(s, 0, [&](size_t open) {
        if (open >= visit_from) {
            const size_t close = s.find('>', open);
            if (close == kNone) return kScanEnd;
            bool deleted = false;
            if (s[open - 1] == ' ' && close + 1 < n && s[close + 1] == ' ' && !fonts.Open() &&
                !InlineTagAt(s, open, display) && !BaresMarker(s, open - 1, open - 1)) {
                out.Drop(open - 1);
                deleted = true;
            }
            // "<>" would send the search back to the same "<": it goes on after the ">".
            visit_from = deleted || close == open + 1 ? close : close - 1;
        }
        fonts.Take(at, open);
        return open + 1;
    });
    out.Finish(text);
}

// Step 14: "= " inside a tag loses its space. After a deletion the search resumes two bytes
// after the match as it now stands, so an "= " right behind it is passed over. Whether a
// place lies inside a tag is read from the nearest "<" or ">" before it, looked for no further
// back than the previous match.
void RemoveSpacesAfterEquals(Text& text, Text& spare) {
    const std::string_view s = text;
    const size_t n = s.size();
    Compactor out(text, spare);
    size_t known = 0;     // the bytes before this index have been looked at
    bool inside = false;  // and the last "<" or ">" among them is a "<"
    ScanPlaces(
        s, 1, [](Bytes16 b0, Bytes16 b1, Bytes16) { return (b0 == '=') & (b1 == ' '); },
        [&](size_t eq) {
            if (s[eq] != '=' || eq + 1 >= n || s[eq + 1] != ' ') return eq + 1;
            for (size_t k = eq; k > known; --k) {
                if (s[k - 1] == '<' || s[k - 1] == '>') {
                    inside = s[k - 1] == '<';
                    break;
                }
            }
            known = eq;
            if (!inside || BaresMarker(s, eq + 1, eq + 1)) return eq + 2;
            out.Drop(eq + 1);
            return eq + 3;
        });
    out.Finish(text);
}

// Keyword-list compaction: ", " becomes "," in the content of the first keywords META.
void CompactKeywordList(Text& chunk) {
    const size_t found = FindNoCase(chunk, "name=\"keywords\"", 0);
    if (found == kNone) return;
    const size_t content = FindFrom(chunk, "content=", found, true);
    if (content == kNone) return;
    const size_t open = chunk.find('"', content);
    if (open == kNone || open - content > 10) return;
    // The closing quote is searched from the byte after the opening one: an empty value
    // must not reach into the text that follows it.
    const size_t close = chunk.find('"', open + 1);
    if (close == kNone) return;
    Text value = chunk.substr(open + 1, close - open - 1);
    if (ReplaceAll(value, ", ", ",") == 0) return;
    chunk.replace(open + 1, close - open - 1, value);
}

// ---------------------------------------------------------------------------------------
// Line joining and rewrapping

// Joins the lines of a text without carriage returns. Each line feed but a last byte goes
// when the ">" of a tag that is not a text-level element stands before it and no font change
// is open, and becomes a space otherwise. A line feed after one that went sees the same byte
// before it, and one after one that became a space sees a space. Deleting a line feed or
// making it a space changes no tag name, since a name ends at either; so the walk reads the
// text as it was.
void JoinLineFeeds(Text& text, const DisplayRules* display) {
    const std::string_view s = text;
    const size_t n = s.size();
    Text spare;
    Compactor out(text, spare);
    const ByteReader at{s};
    OpenFontElements fonts;
    size_t fonts_to = 0;  // the "<" bytes before this index have been taken in
    bool previous_went = false;
    ScanBytes<'\n'>(s, 0, [&](size_t lf) {
        if (lf + 1 >= n) return kScanEnd;
        bool goes = false;
        if (lf > 0 && s[lf - 1] == '\n') {
            goes = previous_went;
        } else if (lf > 0 && s[lf - 1] == '>') {
            const size_t open = TagOpenOf(s, lf - 1);
            if (open != kNone && !InlineTagAt(s, open, display)) {
                ScanBytes<'<'>(s.substr(0, lf), fonts_to, [&](size_t lt) {
                    fonts.Take(at, lt);
                    return lt + 1;
                });
                fonts_to = lf;
                goes = !fonts.Open();
            }
        }
        if (MarkerStartsAt(s, lf + 1)) goes = false;
        previous_went = goes;
        if (goes) {
            out.Drop(lf);
        } else {
            out.Replace(lf, ' ');
        }
        return lf + 1;
    });
    out.Finish(text);
}

// The ">" bytes after which rewrapping may break a line, as 1-based positions in order: those
// that end a tag, unless the line end would stand between two pieces of text-level content
// (the tag is that of a text-level element, and text or another such tag follows), where it
// would show as a space that was not there, or a font change is open. Spaces are break
// points too; the rewrap finds them itself.
std::vector<int32_t> TagBreakPoints(std::string_view s, const DisplayRules* display) {
    const size_t n = s.size();
    const ByteReader at{s};
    std::vector<int32_t> breaks;
    OpenFontElements fonts;
    size_t open = kNone;
    bool unended = false;
    size_t read = kNone;  // the last tag whose kind was read, and whether it is text-level
    bool read_inline = false;
    ScanBytes<'<', '>'>(s, 0, [&](size_t i) {
        if (s[i] == '<') {
            fonts.Take(at, i);
            open = i;
            unended = tag_detail::StartsMarkupAt(at, i);
            return i + 1;
        }
        if (unended && !fonts.Open() && !MarkerEndsAt(s, i) && !MarkerStartsAt(s, i + 1)) {
            // The tag after a ">" is often the next one asked about.
            const bool inline_before = open == read ? read_inline : InlineTagAt(s, open, display);
            bool breaks_here = !inline_before;
            if (!breaks_here) {
                if (i + 1 >= n || s[i + 1] != '<') {
                    breaks_here = false;
                } else {
                    read = i + 1;
                    read_inline = InlineTagAt(s, read, display);
                    breaks_here = !read_inline;
                }
            }
            if (breaks_here) breaks.push_back(static_cast<int32_t>(i) + 1);
        }
        unended = false;
        return i + 1;
    });
    return breaks;
}

// The bytes between the quotes of a quoted attribute value, as 1-based positions.
struct QuotedValue {
    int32_t first;
    int32_t last;
};

// The quoted attribute values of the tags of a text, in order: in a tag that starts markup
// (not a comment or other "<!" markup), a quote right after "=" (white space between allowed)
// opens a value that the same quote closes. A value left open runs to the text's end.
std::vector<QuotedValue> QuotedValues(std::string_view s) {
    std::vector<QuotedValue> values;
    const size_t n = s.size();
    const ByteReader at{s};
    for (size_t lt = s.find('<'); lt != kNone;) {
        if (!tag_detail::StartsMarkupAt(at, lt) || s[lt + 1] == '!') {
            lt = s.find('<', lt + 1);
            continue;
        }
        size_t i = lt + 1;
        bool after_equals = false;
        for (; i < n && s[i] != '>'; ++i) {
            const char c = s[i];
            if ((c == '"' || c == '\'') && after_equals) {
                const size_t close = s.find(c, i + 1);
                const size_t end = close == kNone ? n : close;
                if (end > i + 1) {
                    values.push_back({static_cast<int32_t>(i) + 2, static_cast<int32_t>(end)});
                }
                if (close == kNone) return values;
                i = close;
                after_equals = false;
            } else if (c == '=') {
                after_equals = true;
            } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f') {
                after_equals = false;
            }
        }
        lt = i < n ? s.find('<', i) : kNone;
    }
    return values;
}

// Appends a piece of the rewrapped text, leaving out each space that a `line_end` byte
// follows (the final replace-all of rewrapping), the piece's last byte included when a line
// end is inserted after the piece.
void AppendWithoutSpacesBefore(Text& out, std::string_view piece, char line_end,
                               bool line_end_follows) {
    size_t from = 0;
    for (size_t k = piece.find(line_end, 1); k != kNone; k = piece.find(line_end, k + 1)) {
        if (piece[k - 1] != ' ') continue;
        out.append(piece.substr(from, k - 1 - from));
        from = k;
    }
    size_t end = piece.size();
    if (line_end_follows && end > from && piece[end - 1] == ' ') --end;
    out.append(piece.substr(from, end - from));
}

}  // namespace

void ConvertLineEnds(Engine& engine, Text& chunk) {
    engine.run.saved_length = Len(chunk);
    CarriageReturnsToLineFeeds(chunk);
    engine.run.lf_only = true;
    EndSavings(engine, chunk, kSlotCRLFToLF);
}

void RemoveUnneededSpaces(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    const TitleCopy title = KeepTitleWithDoubleSpaces(chunk);
    Text spare;
    CollapseBlanks(chunk, spare);
    CompactListAttributes(chunk);
    RemoveSpacesAtLineEndsAndTagEdges(chunk, spare, engine.run.lf_only);
    const bool closing_li_stripped = engine.options.StripClosingLI != 0;
    const DisplayRules* display = engine.run.display.get();
    // Step 12 finds work only in a chunk whose first "<" is not its first byte.
    const size_t first_tag = chunk.find('<');
    if (first_tag == kNone || first_tag == 0) {
        RemoveSpacesBesideTags(chunk, spare, kAfterEndTags | kTagSpecific, closing_li_stripped,
                               display);
    } else {
        RemoveSpacesBesideTags(chunk, spare, kAfterEndTags, closing_li_stripped, display);
        RemoveSpacesAroundTags(chunk, spare, display);
        RemoveSpacesBesideTags(chunk, spare, kTagSpecific, closing_li_stripped, display);
    }
    RemoveSpacesAfterEquals(chunk, spare);
    if (!title.text.empty()) PutTitleBack(chunk, title);
    EndSavings(engine, chunk, kSlotStripSpaces);
    CompactKeywordList(chunk);
}

void RemoveEmptyLines(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    CollapseRuns(chunk, LineEnd(engine));
    EndSavings(engine, chunk, kSlotStripBlankLines);
}

void JoinLines(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    if (!engine.run.lf_only) CarriageReturnsToLineFeeds(chunk);
    JoinLineFeeds(chunk, engine.run.display.get());
    EndSavings(engine, chunk, kSlotOptimizeLines);
}

// Rewrapping probes W bytes after each line start: it breaks after the last break point (a
// space, or a ">" of TagBreakPoints) that lies after the line start and at or before the
// probe, else after the first one at or past the probe. A section with no break point ahead
// stays one line from there on.
//
// The walk is done in the chunk's own positions; every probe lies after the last inserted
// line end. Probes only move forward, and each search covers the bytes of one line, so the
// cost stays linear.
void RewrapText(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    const std::string_view line_end = LineEnd(engine);
    const char line_end_byte = line_end[0];
    const auto end_length = static_cast<int32_t>(line_end.size());
    const int32_t width = std::max<int32_t>(engine.run.wrap_column, 1);
    const int32_t n = Len(chunk);
    const std::string_view s = chunk;
    // Spaces at positions from..to (1-based), the last or the first; 0 if none.
    // Spaces inside a quoted attribute value are no break points: a line end there would
    // change the value, which scripts, style sheets and tooltips read as it is.
    const std::vector<QuotedValue> quoted = QuotedValues(s);
    const auto value_at = [&quoted](int32_t pos) -> const QuotedValue* {
        auto it = std::upper_bound(quoted.begin(), quoted.end(), pos,
                                   [](int32_t p, const QuotedValue& v) { return p < v.first; });
        if (it == quoted.begin()) return nullptr;
        --it;
        return pos <= it->last ? &*it : nullptr;
    };
    std::vector<int32_t> tag_breaks = TagBreakPoints(s, engine.run.display.get());
    if (!quoted.empty()) {
        std::erase_if(tag_breaks, [&](int32_t pos) { return value_at(pos) != nullptr; });
    }
    const auto last_space = [&](int32_t from, int32_t to) -> int32_t {
        while (from <= to) {
            const void* hit =
                memrchr(s.data() + from - 1, ' ', static_cast<size_t>(to - from + 1));
            if (hit == nullptr) return 0;
            const int32_t at = static_cast<int32_t>(static_cast<const char*>(hit) - s.data()) + 1;
            const QuotedValue* value = value_at(at);
            if (value == nullptr) return at;
            to = value->first - 1;
        }
        return 0;
    };
    const auto first_space = [&](int32_t from, int32_t to) -> int32_t {
        while (from <= to) {
            const void* hit =
                std::memchr(s.data() + from - 1, ' ', static_cast<size_t>(to - from + 1));
            if (hit == nullptr) return 0;
            const int32_t at = static_cast<int32_t>(static_cast<const char*>(hit) - s.data()) + 1;
            const QuotedValue* value = value_at(at);
            if (value == nullptr) return at;
            from = value->last + 1;
        }
        return 0;
    };

    Text out;
    int32_t copied = 0;     // chunk bytes already in `out`
    int32_t first = 2;      // first chunk position a backward break may take
    int32_t probe = width;  // the probe position P, in chunk positions
    size_t next_tag = 0;    // tag_breaks[next_tag] is the first at or after the probe
    while (probe < n) {
        while (next_tag < tag_breaks.size() && tag_breaks[next_tag] < probe)
            ++next_tag;
        const bool tag_at_probe = next_tag < tag_breaks.size() && tag_breaks[next_tag] == probe;
        int32_t at = tag_at_probe ? probe : next_tag > 0 ? tag_breaks[next_tag - 1] : 0;
        if (at < first) at = 0;
        if (at < probe) at = std::max(at, last_space(std::max(first, at + 1), probe));
        if (at == 0) {
            const int32_t tag_ahead = next_tag < tag_breaks.size() ? tag_breaks[next_tag] : 0;
            at = first_space(probe, tag_ahead != 0 ? tag_ahead - 1 : n);
            if (at == 0) at = tag_ahead;
            if (at == 0) break;
        }
        if (out.empty()) out.reserve(chunk.size() + chunk.size() / 16);
        AppendWithoutSpacesBefore(
            out, s.substr(static_cast<size_t>(copied), static_cast<size_t>(at - copied)),
            line_end_byte, true);
        out.append(line_end);
        copied = at;
        // The next line start L = at + 2 and probe P = at + W + 2 count in the text with the
        // line end inserted; back in chunk positions, a backward break must lie after L.
        first = at + 3 - end_length;
        probe = at + width + 2 - end_length;
    }
    if (copied != 0) {
        AppendWithoutSpacesBefore(out, s.substr(static_cast<size_t>(copied)), line_end_byte, false);
        chunk.swap(out);
    } else if (chunk.find(line_end_byte == '\n' ? " \n" : " \r") != Text::npos) {
        AppendWithoutSpacesBefore(out, s, line_end_byte, false);
        chunk.swap(out);
    }
    EndSavings(engine, chunk, kSlotOptimizeLines);
}

}  // namespace tsqz
