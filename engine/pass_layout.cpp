// Whitespace and line layout: line-end conversion, space removal, empty-line removal, line
// joining and rewrapping.
//
// The loops are written as find-edit-search-on over a Rewriter (text_rewriter.h), so each
// reads like its in-place form while its cost stays linear in the chunk.
//
// White space is taken out (or a line end put in) only where a browser shows no difference:
// beside the tags of block-level elements. Beside the tags of text-level elements, after a ">"
// that is text, and anywhere while a font change is left open (inline_elements.h), it
// separates visible words or makes a line of its own, and stays as it is.
#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "inline_elements.h"
#include "passes.h"
#include "text_rewriter.h"

namespace tsqz {
namespace {

std::string_view LineEnd(const Engine& engine) { return engine.run.lf_only ? "\n" : "\r\n"; }

// The tag whose "<" is at `open` in the current text of a Rewriter.
TagInfo TagAt(const Rewriter& text, int32_t open) {
    return ReadTagAt([&text](int32_t pos) { return text.At(pos); }, open);
}

// ---------------------------------------------------------------------------------------
// Space removal

// The title text kept aside when it holds two spaces in a row, with the positions of its
// "<title>" and "</title>" followed through the edits so that it goes back where it was.
struct TitleCopy {
    Text text;
    int32_t start = 0;  // the "<" of "<title>"
    int32_t end = 0;    // the "<" of "</title>"
};

TitleCopy KeepTitleWithDoubleSpaces(const Text& chunk) {
    const int32_t start = Find(chunk, "<title>", 1, true);
    if (start == 0) return {};
    const int32_t end = Find(chunk, "</title>", start, true);
    if (end == 0) return {};
    const std::string_view title = std::string_view(chunk).substr(static_cast<size_t>(start - 1),
                                                                  static_cast<size_t>(end - start));
    if (title.find("  ") == std::string_view::npos) return {};
    return {Text(title), start, end};
}

// Tracks, while a loop moves forward through the text, the last "<" and ">" before the
// position it has reached; valid while every edit lies after that position and keeps the
// "<" and ">" bytes.
class TagTracker {
  public:
    explicit TagTracker(Rewriter& text)
        : next_open_(text.FindChar('<', 1)), next_close_(text.FindChar('>', 1)) {
        text.Track(next_open_);
        text.Track(next_close_);
    }

    // Whether `at` lies inside a tag: the nearest "<" before it is later than the nearest ">".
    bool InsideTag(const Rewriter& text, int32_t at) {
        while (next_open_ != 0 && next_open_ < at) {
            last_open_ = next_open_;
            next_open_ = text.FindChar('<', next_open_ + 1);
        }
        while (next_close_ != 0 && next_close_ < at) {
            last_close_ = next_close_;
            next_close_ = text.FindChar('>', next_close_ + 1);
        }
        return last_open_ > last_close_;
    }

  private:
    int32_t next_open_;
    int32_t next_close_;
    int32_t last_open_ = 0;
    int32_t last_close_ = 0;
};

// Step 4: spaces between tags before "<body" go; the head piece ends with the "<b" of it.
void RemoveHeadSpaces(Rewriter& text) {
    const int32_t body = text.Find("<body", 1, true);
    if (body == 0) return;
    int32_t piece_end = body + 1;
    for (int32_t p = text.Find("> <", 1); p != 0 && p + 2 <= piece_end;
         p = text.Find("> <", p + 2)) {
        text.Delete(p + 1, 1);
        --piece_end;
    }
}

// Step 5: attributes whose value is a list; the spaces inside their quoted value go.
constexpr std::string_view kListAttributes[] = {"coords=", "cols=", "rows="};

// The names end in "=", which is far rarer in a page than their first letters: the search
// goes from "=" to "=" and compares the name before it.
int32_t FindListAttribute(const Rewriter& text, std::string_view name, int32_t start) {
    const auto tail = static_cast<int32_t>(name.size()) - 1;
    for (int32_t eq = text.FindChar('=', start + tail); eq != 0; eq = text.FindChar('=', eq + 1)) {
        if (text.HasAt(eq - tail, name, true)) return eq - tail;
    }
    return 0;
}

// Only a quoted value that belongs to the attribute counts: the name lies inside a tag and
// only spaces stand between it and the opening quote. Taking the first quote after the name
// wherever it lies would strip the spaces of some later tag's value, or of visible text.
void CompactListValues(Rewriter& text, std::string_view name) {
    const auto name_length = static_cast<int32_t>(name.size());
    TagTracker tags(text);
    for (int32_t m = FindListAttribute(text, name, 1); m != 0;) {
        int32_t open = m + name_length;
        while (text.At(open) == ' ')
            ++open;
        if (text.At(open) != '"' || !tags.InsideTag(text, m)) {
            m = FindListAttribute(text, name, m + name_length);
            continue;
        }
        const int32_t close = text.FindChar('"', open + 1);
        if (close == 0) break;
        int32_t end = close;
        for (int32_t p = open + 1; p < end;) {
            if (text.At(p) == ' ') {
                text.Delete(p, 1);
                --end;
            } else {
                ++p;
            }
        }
        m = FindListAttribute(text, name, open + name_length);
    }
}

// Step 9: spaces before the ">" that ends a tag go, "<a >" becomes "<a>". A ">" that ends no
// tag is text and keeps the space before it.
void RemoveSpacesBeforeTagEnds(Rewriter& text) {
    TagEnds tags;
    const auto at = [&text](int32_t pos) { return text.At(pos); };
    for (int32_t close = text.FindChar('>', 2); close != 0; close = text.FindChar('>', close + 1)) {
        if (tags.Advance(at, close) == 0 || text.At(close - 1) != ' ') continue;
        int32_t first = close - 1;
        while (text.At(first - 1) == ' ')
            --first;
        text.Delete(first, close - first);
        tags.Shift(close - first);
        close = first;
    }
}

// Step 11 decides by the tag that ends at the ">" before the gap: an end tag loses the space,
// unless it ends a text-level element, where the space separates two visible words.
bool SpaceAfterTagGoes(const Rewriter& text, int32_t tag_open) {
    return text.At(tag_open + 1) == '/' && !TagAt(text, tag_open).IsInline();
}

// Step 11: "> <" after an end tag becomes "><". The ">" must end that tag (after a ">" that
// is text the space stays), and no font change may be open.
void RemoveSpacesAfterEndTags(Rewriter& text) {
    OpenFontElements fonts;
    const auto at = [&text](int32_t pos) { return text.At(pos); };
    for (int32_t p = text.Find("> <", 2); p != 0; p = text.Find("> <", p + 1)) {
        const int32_t open = text.FindCharBack('<', p);
        if (open != 0 && text.FindChar('>', open) == p && SpaceAfterTagGoes(text, open) &&
            !fonts.OpenAt(at, p + 1)) {
            text.Delete(p + 1, 1);
        }
    }
}

// Step 12: a tag with a space on both sides keeps only the space after it. The walk visits
// the first "<" and then the first "<" from one byte before the ">" of each visited tag. A
// text-level tag keeps both: an image or a form control would touch the word before it, and
// the space would move inside a link's underline. So does every tag while a font change is
// open.
void RemoveSpacesAroundTags(Rewriter& text) {
    OpenFontElements fonts;
    const auto at = [&text](int32_t pos) { return text.At(pos); };
    int32_t open = text.FindChar('<', 1);
    while (open > 1) {
        const int32_t close = text.FindChar('>', open);
        if (close == 0) break;
        int32_t from = close - 1;
        if (text.At(open - 1) == ' ' && text.At(close + 1) == ' ' &&
            !TagAt(text, open).IsInline() && !fonts.OpenAt(at, open - 1)) {
            text.Delete(open - 1, 1);
        }
        // A tag written "<>" would send the search back to the same "<" forever.
        if (from <= open) from = open + 1;
        open = text.FindChar('<', from);
    }
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

// Step 13. The rows are applied one after another, each searching the whole chunk from
// position 2. On the chunk as steps 3 to 12 leave it they cannot interfere: it holds no two
// spaces in a row, no "< " and no " >"; no pattern holds a space but its leading one; and
// every rule deletes a single space that stands before a "<" or after a ">". Such a deletion
// joins a non-space byte to a "<" or a ">" to a non-space byte, so it never makes a new match,
// never turns a byte that a rule looks at into a space or a "t", and never moves the ">" a
// tag ends at. Its only effect on a later row is that a space already gone is not deleted
// again. So one walk over the chunk's tags finds what every row deletes, and the deletions are
// applied together. (The equivalence with the row-by-row form is checked by the tests.)
//
// A tag whose white space shows is left alone by every row: the tag of a text-level or unknown
// element that a prefix happens to match (TT and TEXTAREA for "<t", IFRAME, "<PID>" for "<p"),
// and any tag while a font change is open. Both are read from bytes that no row deletes: a
// tag's name ends at white space, "<" or ">", and the font changes are tags themselves.
void RemoveTagSpaces(Rewriter& text, bool closing_li_stripped) {
    OpenFontElements fonts;
    const auto at = [&text](int32_t pos) { return text.At(pos); };
    constexpr size_t kRules = std::size(kTagSpaceRules);
    std::array<bool, kRules> stopped{};  // a rule-3 row met a match with no ">" after it
    std::vector<int32_t> gone;
    int32_t close = 0;  // the first ">" at or after the "<" in hand
    for (int32_t open = text.FindChar('<', 2); open != 0; open = text.FindChar('<', open + 1)) {
        if (TagAt(text, open).IsInline() || fonts.OpenAt(at, open)) continue;
        const unsigned char second = text.At(open + 1);
        for (size_t r = 0; r < kRules; ++r) {
            const TagSpaceRule& rule = kTagSpaceRules[r];
            if (stopped[r] || (rule.condition == kClosingLIKept && closing_li_stripped)) continue;
            const bool leading_space = rule.pattern[0] == ' ';
            const int32_t match = leading_space ? open - 1 : open;
            // The byte after the "<" rejects most rows before the whole pattern is compared.
            if (match < 2 || !BytesMatch(rule.pattern[leading_space ? 2 : 1], second, true) ||
                !text.HasAt(match, rule.pattern, true)) {
                continue;
            }
            const auto after = match + static_cast<int32_t>(rule.pattern.size());
            switch (rule.rule) {
                case kBeforeTag:
                    gone.push_back(match);
                    break;
                case kAfterFixedTag:
                    if (text.At(after) == ' ') gone.push_back(after);
                    break;
                case kAfterTagEnd:
                    if (close < open) close = text.FindChar('>', open);
                    if (close == 0) {
                        stopped[r] = true;
                    } else if (text.At(close + 1) == ' ') {
                        gone.push_back(close + 1);
                    }
                    break;
            }
        }
    }
    std::sort(gone.begin(), gone.end());
    gone.erase(std::unique(gone.begin(), gone.end()), gone.end());
    int32_t deleted = 0;
    for (int32_t pos : gone)
        text.Delete(pos - deleted++, 1);
}

// Step 14: "= " inside a tag loses its space. After a deletion the search resumes two bytes
// after the match as it now stands, so an "= " right behind it is passed over.
void RemoveSpacesAfterEquals(Rewriter& text) {
    if (text.Find("= ", 1) == 0 && text.Find(" =", 1) == 0) return;
    TagTracker tags(text);
    for (int32_t p = text.Find("= ", 2); p != 0; p = text.Find("= ", p + 2)) {
        if (tags.InsideTag(text, p)) text.Delete(p + 1, 1);
    }
}

// Keyword-list compaction: ", " becomes "," in the content of the first keywords META.
void CompactKeywordList(Text& chunk) {
    const int32_t name = Find(chunk, "name=\"keywords\"", 1, true);
    if (name == 0) return;
    const int32_t content = Find(chunk, "content=", name, true);
    if (content == 0) return;
    const int32_t open = FindChar(chunk, '"', content);
    if (open == 0 || open - content > 10) return;
    // The closing quote is searched from the byte after the opening one: an empty value
    // must not reach into the text that follows it.
    const int32_t close = FindChar(chunk, '"', open + 1);
    if (close == 0) return;
    Text value = chunk.substr(static_cast<size_t>(open), static_cast<size_t>(close - open - 1));
    if (ReplaceAll(value, ", ", ",") == 0) return;
    chunk.replace(static_cast<size_t>(open), static_cast<size_t>(close - open - 1), value);
}

// ---------------------------------------------------------------------------------------
// Line joining and rewrapping

// A line feed right after the ">" that ends a tag goes; any other becomes a space. After the
// tag of a text-level element it is a space as well, as it is after a ">" that ends no tag:
// there it separates two visible words; and so it is while a font change is open. `tag_open`
// is the "<" of the tag that ends right before the line feed, 0 if none does.
bool LineEndVanishes(const Rewriter& text, int32_t tag_open, bool font_open) {
    return tag_open != 0 && !TagAt(text, tag_open).IsInline() && !font_open;
}

// The positions after which rewrapping may break a line: a space, or the ">" that ends a tag
// unless the line end would stand between two pieces of text-level content (the tag is that
// of a text-level element, and text or another such tag follows), where it would show as a
// space that was not there, or a font change is open. breaks[pos] for pos 1 to the length.
std::vector<bool> BreakPoints(std::string_view chunk) {
    const auto n = static_cast<int32_t>(chunk.size());
    const auto at = [chunk, n](int32_t pos) -> unsigned char {
        return pos >= 1 && pos <= n
                   ? static_cast<unsigned char>(chunk[static_cast<size_t>(pos - 1)])
                   : 0;
    };
    std::vector<bool> breaks(static_cast<size_t>(n) + 1);
    TagEnds tags;
    OpenFontElements fonts;
    for (int32_t p = 1; p <= n; ++p) {
        const int32_t open = tags.Advance(at, p);
        if (at(p) == ' ') breaks[static_cast<size_t>(p)] = true;
        if (open == 0 || fonts.OpenAt(at, p + 1)) continue;
        const bool inline_before = ReadTagAt(at, open).IsInline();
        const bool inline_after = at(p + 1) != '<' || ReadTagAt(at, p + 1).IsInline();
        breaks[static_cast<size_t>(p)] = !inline_before || !inline_after;
    }
    return breaks;
}

}  // namespace

void ConvertLineEnds(Engine& engine, Text& chunk) {
    engine.run.saved_length = Len(chunk);
    RemoveChar(chunk, '\r');
    engine.run.lf_only = true;
    EndSavings(engine, chunk, kSlotCRLFToLF);
}

void RemoveUnneededSpaces(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    TitleCopy title = KeepTitleWithDoubleSpaces(chunk);
    ReplaceChar(chunk, '\t', ' ');
    // Every later step deletes spaces only, so the title's tags survive and can be followed.
    auto step = [&](auto&& edit) {
        RewriteWith(chunk, [&](Rewriter& text) {
            text.Track(title.start);
            text.Track(title.end);
            edit(text);
        });
    };
    step([](Rewriter& text) { CollapseRuns(text, " "); });
    step(RemoveHeadSpaces);
    for (std::string_view name : kListAttributes) {
        step([name](Rewriter& text) { CompactListValues(text, name); });
    }
    step([](Rewriter& text) { DeleteSpacesAfter(text, "\n"); });
    if (!engine.run.lf_only && chunk.find(" \r\n") != Text::npos) {
        step([](Rewriter& text) { DeleteSpacesBefore(text, "\r\n"); });
    }
    step([](Rewriter& text) { DeleteSpacesBefore(text, "\n"); });
    step(RemoveSpacesBeforeTagEnds);
    step([](Rewriter& text) { DeleteSpacesAfter(text, "<"); });
    step(RemoveSpacesAfterEndTags);
    step(RemoveSpacesAroundTags);
    const bool closing_li_stripped = engine.options.StripClosingLI != 0;
    step([closing_li_stripped](Rewriter& text) { RemoveTagSpaces(text, closing_li_stripped); });
    step(RemoveSpacesAfterEquals);
    if (!title.text.empty()) {
        chunk.replace(static_cast<size_t>(title.start - 1),
                      static_cast<size_t>(title.end - title.start), title.text);
    }
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
    if (!engine.run.lf_only) RemoveChar(chunk, '\r');
    RewriteWith(chunk, [](Rewriter& text) {
        // Each line feed is handled in place, so the text before it holds no line feed any
        // more: searching on from it finds what a search from position 1 would. Nor is it
        // edited any more, so the tags ending there are followed forward.
        TagEnds tags;
        OpenFontElements fonts;
        const auto at = [&text](int32_t pos) { return text.At(pos); };
        for (int32_t lf = text.FindChar('\n', 1); lf != 0 && lf != text.Length();
             lf = text.FindChar('\n', lf)) {
            const bool vanishes =
                LineEndVanishes(text, tags.Advance(at, lf - 1), fonts.OpenAt(at, lf));
            text.Delete(lf, 1);
            if (!vanishes) text.Insert(lf, " ");
        }
    });
    EndSavings(engine, chunk, kSlotOptimizeLines);
}

// Rewrapping probes W bytes after each line start: it breaks after the last break point
// (BreakPoints) that lies after the line start and at or before the probe, else after the
// first one at or past the probe. A section with no break point ahead stays one line from
// there on.
//
// The walk is done in the chunk's own positions; every probe lies after the last inserted
// line end. The back search stops at the previous probe, because the bytes between the
// previous break and that probe held no break point, so a line is never searched twice.
void RewrapText(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    const std::string_view line_end = LineEnd(engine);
    const auto end_length = static_cast<int32_t>(line_end.size());
    const int32_t width = std::max<int32_t>(engine.run.wrap_column, 1);
    const int32_t n = Len(chunk);
    const std::vector<bool> breaks = BreakPoints(chunk);
    const auto can_break = [&breaks](int32_t pos) { return breaks[static_cast<size_t>(pos)]; };

    Text out;
    int32_t copied = 0;       // chunk bytes already in `out`
    int32_t first = 2;        // first chunk position a backward break may take
    int32_t probe = width;    // the probe position P, in chunk positions
    int32_t searched_to = 0;  // the bytes (previous break, searched_to] hold no break byte
    while (probe < n) {
        int32_t at = 0;
        for (int32_t p = probe; p >= std::max(first, searched_to + 1); --p) {
            if (can_break(p)) {
                at = p;
                break;
            }
        }
        if (at != 0) {
            searched_to = probe;
        } else {
            for (int32_t p = probe; p <= n && at == 0; ++p) {
                if (can_break(p)) at = p;
            }
            if (at == 0) break;
            searched_to = 0;
        }
        if (out.empty()) out.reserve(chunk.size() + chunk.size() / 16);
        out.append(chunk, static_cast<size_t>(copied), static_cast<size_t>(at - copied));
        out.append(line_end);
        copied = at;
        // The next line start L = at + 2 and probe P = at + W + 2 count in the text with the
        // line end inserted; back in chunk positions, a backward break must lie after L.
        first = at + 3 - end_length;
        probe = at + width + 2 - end_length;
    }
    if (copied != 0) {
        out.append(chunk, static_cast<size_t>(copied));
        chunk.swap(out);
    }
    ReplaceAll(chunk, engine.run.lf_only ? " \n" : " \r", engine.run.lf_only ? "\n" : "\r");
    EndSavings(engine, chunk, kSlotOptimizeLines);
}

}  // namespace tsqz
