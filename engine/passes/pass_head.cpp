// Head and comment clean-up: comments, META, DOCTYPE, text outside the HTML element.
//
// The removal loops are written against the chunk as it was when the pass began. Every
// search of the step-by-step removal starts at or after the place of its last cut, so what it
// sees from there on is a run of the original bytes; each loop therefore keeps its cursor in
// original positions, copies the kept bytes into a new text once and never rescans, yet cuts
// exactly what cutting in place and searching again would cut.
#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "passes/passes.h"
#include "text/literal_search.h"

namespace tsqz {
namespace {

constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCommentClose = "-->";
constexpr std::string_view kWebbot = "webbot";  // comments that carry an authoring tool's data
constexpr char kIncludeMark = '#';              // "<!--#" is a server-side include directive
constexpr std::string_view kCommentElementOpen = "<COMMENT>";
constexpr std::string_view kCommentElementClose = "</COMMENT>";

struct ElementTags {
    std::string_view open;
    std::string_view close;
};
// Elements whose content a browser does not read as markup: a comment there is live style
// sheet text (the document's second and later STYLE elements are not protected) or text on
// the page, so it stays.
constexpr ElementTags kLiteralContentElements[] = {
    {"<style", "</style"},
    {"<textarea", "</textarea"},
    {"<title", "</title"},
    {"<xmp", "</xmp"},
};

// An element stays when its text holds one of these, in any case.
constexpr std::string_view kMetaKeepMarkers[] = {
    "NAME=\"KEYWORDS\"", "HTTP-EQUIV=\"",   "NAME=\"DESCRIPTION\"",
    "NAME=\"AUTHOR\"",   "NAME=\"RATING\"",
};
constexpr std::string_view kMetaOpen = "<META";
// Exactly one space between the words: "<META  NAME" is not a generator candidate.
constexpr std::string_view kGeneratorMetaOpen = "<META NAME";
constexpr std::string_view kGeneratorMarkers[] = {"GENERATOR", "FORMATTER"};

constexpr std::string_view kDoctypeOpen = "<!DOCTYPE";
constexpr std::string_view kHtmlStart = "<html>";  // a start tag with attributes does not count
constexpr std::string_view kHtmlEnd = "</html>";

bool IsSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Builds the result of a removal loop: the original bytes minus the cut ranges, in order.
class CutList {
  public:
    explicit CutList(const Text& original) : original_(original) {}
    // Cuts 1-based positions first..last; ranges come in increasing order.
    void Cut(int32_t first, int32_t last) {
        out_.append(original_, copied_, static_cast<size_t>(first - 1) - copied_);
        copied_ = static_cast<size_t>(last);
        cut_ = true;
    }
    void ApplyTo(Text& text) {
        if (!cut_) return;
        out_.append(original_, copied_, Text::npos);
        text.swap(out_);
    }

  private:
    const Text& original_;
    Text out_;
    size_t copied_ = 0;
    bool cut_ = false;
};

// The first match at or after a position, remembered: asked again from a later position
// that lies at or before the last answer, it gives the same answer without searching, so a
// loop whose starts only move forward searches each byte once.
class ForwardSearch {
  public:
    ForwardSearch(std::string_view text, std::string_view pattern, bool ignore_case)
        : text_(text), pattern_(pattern), ignore_case_(ignore_case) {}
    int32_t From(int32_t start) {
        const bool known = searched_ && start >= from_ && (found_ == 0 || start <= found_);
        if (!known) {
            from_ = start;
            found_ = Find(text_, pattern_, start, ignore_case_);
            searched_ = true;
        }
        return found_;
    }

  private:
    std::string_view text_;
    std::string_view pattern_;
    bool ignore_case_;
    bool searched_ = false;
    int32_t from_ = 0;
    int32_t found_ = 0;
};

// A tag name ends at ">" or white space; "<title" must not match "<titles".
int32_t FindTagStart(std::string_view text, std::string_view tag, int32_t start) {
    for (int32_t p = Find(text, tag, start, true); p != 0; p = Find(text, tag, p + 1, true)) {
        const unsigned char next = ByteAt(text, p + Len(tag));
        if (next == '>' || IsSpace(next)) return p;
    }
    return 0;
}

// The stretches of the chunk that lie inside an element of kLiteralContentElements: from its
// start tag to its end tag, or to the end of the chunk when no end tag follows.
class LiteralContent {
  public:
    explicit LiteralContent(std::string_view text) {
        const int32_t beyond = Len(text) + 1;
        for (const ElementTags& element : kLiteralContentElements) {
            int32_t open = FindTagStart(text, element.open, 1);
            while (open != 0) {
                const int32_t close = FindTagStart(text, element.close, open + 1);
                ranges_.emplace_back(open, close != 0 ? close : beyond);
                if (close == 0) break;
                open = FindTagStart(text, element.open, close + 1);
            }
        }
        std::sort(ranges_.begin(), ranges_.end());
        // Merge overlaps so that a forward walk over the ranges answers each question.
        std::vector<std::pair<int32_t, int32_t>> merged;
        for (const auto& range : ranges_) {
            if (!merged.empty() && range.first <= merged.back().second) {
                merged.back().second = std::max(merged.back().second, range.second);
            } else {
                merged.push_back(range);
            }
        }
        ranges_.swap(merged);
    }
    // Whether position p lies inside such an element; p only grows from call to call.
    bool Contains(int32_t p) {
        while (next_ < ranges_.size() && ranges_[next_].second <= p)
            ++next_;
        return next_ < ranges_.size() && ranges_[next_].first < p;
    }

  private:
    std::vector<std::pair<int32_t, int32_t>> ranges_;  // [start tag, end tag) positions
    size_t next_ = 0;
};

void RemoveHtmlComments(Text& chunk) {
    if (Find(chunk, kCommentOpen, 1, false) == 0) return;
    LiteralContent literal(chunk);
    ForwardSearch close(chunk, kCommentClose, false);
    ForwardSearch webbot(chunk, kWebbot, true);
    CutList cuts(chunk);
    int32_t cursor = 1;
    for (;;) {
        const int32_t open = Find(chunk, kCommentOpen, cursor, false);
        if (open == 0) break;
        const int32_t after_open = open + Len(kCommentOpen);
        if (ByteAt(chunk, after_open) == kIncludeMark) {
            cursor = after_open;
            continue;
        }
        // "<!-->" is a whole comment: the "-->" may begin inside the "<!--".
        const int32_t end = close.From(open);
        if (end == 0) break;  // an unclosed comment ends the pass; the rest stays
        const int32_t marker = webbot.From(after_open);
        if ((marker == 0 || marker > end) && !literal.Contains(open)) {
            const int32_t last = end + Len(kCommentClose) - 1;
            cuts.Cut(open, last);
            // The search resumes one byte after the place where the comment began, so the
            // byte that follows the cut is passed over: of two comments with nothing between
            // them only the first goes. Kept on purpose, it is the pass's known behaviour.
            cursor = last + 2;
        } else {
            cursor = after_open;
        }
    }
    cuts.ApplyTo(chunk);
}

// COMMENT elements go with their content. One without an end tag stays and ends the loop.
void RemoveCommentElements(Text& chunk) {
    CutList cuts(chunk);
    int32_t open = Find(chunk, kCommentElementOpen, 1, true);
    while (open != 0) {
        const int32_t close =
            Find(chunk, kCommentElementClose, open + Len(kCommentElementOpen), true);
        if (close == 0) break;
        const int32_t last = close + Len(kCommentElementClose) - 1;
        cuts.Cut(open, last);
        open = Find(chunk, kCommentElementOpen, last + 1, true);
    }
    cuts.ApplyTo(chunk);
}

// The META loops: each element opened by `open` runs to its first ">"; it is cut when it
// holds one of the markers (cut_marked) or when it holds none (!cut_marked). A marker counts
// when it lies wholly within the element.
void RemoveMetaElements(Text& chunk, std::string_view open_tag, const std::string_view* markers,
                        size_t marker_count, bool cut_marked) {
    CutList cuts(chunk);
    int32_t open = Find(chunk, open_tag, 1, true);
    while (open != 0) {
        const int32_t close = FindChar(chunk, '>', open);
        if (close == 0) break;  // an element without ">" stays, and no later one can end
        const std::string_view element(chunk.data() + open - 1,
                                       static_cast<size_t>(close - open + 1));
        bool marked = false;
        for (size_t i = 0; i < marker_count && !marked; ++i) {
            marked = Find(element, markers[i], 1, true) != 0;
        }
        const int32_t length = close - open + 1;
        if (marked == cut_marked) {
            cuts.Cut(open, close);
            // The next search starts at the number the ">" had before the cut; in the
            // shortened text that lies `length` bytes further on, so a META within that
            // distance is not examined. Kept on purpose: it is the pass's known behaviour.
            open = Find(chunk, open_tag, close + length, true);
        } else {
            open = Find(chunk, open_tag, close, true);
        }
    }
    cuts.ApplyTo(chunk);
}

// Keeps the tags of a text and drops everything between and around them. A comment is kept
// whole, from "<!--" through its "-->", so a ">" inside it does not cut it short; an
// unclosed one is read as a tag up to its first ">".
Text ReduceToTags(std::string_view text) {
    Text tags;
    bool comment_close_left = true;
    int32_t pos = 1;
    for (;;) {
        const int32_t lt = FindChar(text, '<', pos);
        if (lt == 0) break;
        int32_t last = 0;
        if (comment_close_left &&
            text.substr(static_cast<size_t>(lt - 1)).starts_with(kCommentOpen)) {
            const int32_t end = Find(text, kCommentClose, lt + 2, false);
            if (end != 0) {
                last = end + Len(kCommentClose) - 1;
            } else {
                comment_close_left = false;
            }
        }
        if (last == 0) last = FindChar(text, '>', lt + 1);
        if (last == 0) break;
        tags.append(text.substr(static_cast<size_t>(lt - 1), static_cast<size_t>(last - lt + 1)));
        pos = last + 1;
    }
    return tags;
}

}  // namespace

void RemoveComments(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    RemoveHtmlComments(chunk);
    RemoveCommentElements(chunk);
    EndSavings(engine, chunk, kSlotStripComments);
}

void RemoveMetaTags(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    RemoveMetaElements(chunk, kMetaOpen, kMetaKeepMarkers, std::size(kMetaKeepMarkers), false);
    engine.run.meta_pass_ran = true;
    EndSavings(engine, chunk, kSlotStripAllMeta);
}

void RemoveGeneratorMeta(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    RemoveMetaElements(chunk, kGeneratorMetaOpen, kGeneratorMarkers, std::size(kGeneratorMarkers),
                       true);
    EndSavings(engine, chunk, kSlotStripGenerator);
}

// Only the first declaration of the chunk goes.
void RemoveDoctype(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    const int32_t open = Find(chunk, kDoctypeOpen, 1, true);
    const int32_t close = open != 0 ? FindChar(chunk, '>', open) : 0;
    if (close != 0) DeleteAt(chunk, open, close - open + 1);
    EndSavings(engine, chunk, kSlotNoDTD);
}

void RemoveNonHTMLContent(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    const int32_t start = Find(chunk, kHtmlStart, 1, true);
    if (start >= 2) {
        const size_t prefix = static_cast<size_t>(start - 1);
        chunk.replace(0, prefix, ReduceToTags(std::string_view(chunk).substr(0, prefix)));
    }
    const int32_t end = FindBack(chunk, kHtmlEnd, Len(chunk), true);
    // One byte after "</html>" (a final line feed) is left alone.
    if (end != 0 && Len(chunk) - (end + Len(kHtmlEnd) - 1) >= 2) {
        const size_t from = static_cast<size_t>(end - 1);
        chunk.replace(from, Text::npos, ReduceToTags(std::string_view(chunk).substr(from)));
    }
    EndSavings(engine, chunk, kSlotStripNonHTML);
}

}  // namespace tsqz
