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
    // Cuts the bytes at indexes first..last; ranges come in increasing order.
    void Cut(size_t first, size_t last) {
        out_.append(original_, copied_, first - copied_);
        copied_ = last + 1;
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

// The first match at or after an index, remembered: asked again from a later index that lies
// at or before the last answer, it gives the same answer without searching, so a loop whose
// starts only move forward searches each byte once.
class ForwardSearch {
  public:
    ForwardSearch(std::string_view text, std::string_view pattern, bool ignore_case)
        : text_(text), pattern_(pattern), ignore_case_(ignore_case) {}
    size_t From(size_t start) {
        const bool known = searched_ && start >= from_ && (found_ == kNone || start <= found_);
        if (!known) {
            from_ = start;
            found_ = FindFrom(text_, pattern_, start, ignore_case_);
            searched_ = true;
        }
        return found_;
    }

  private:
    std::string_view text_;
    std::string_view pattern_;
    bool ignore_case_;
    bool searched_ = false;
    size_t from_ = 0;
    size_t found_ = kNone;
};

// A tag name ends at ">" or white space; "<title" must not match "<titles".
size_t FindTagStart(std::string_view text, std::string_view tag, size_t start) {
    for (size_t p = FindFrom(text, tag, start, true); p != kNone;
         p = FindFrom(text, tag, p + 1, true)) {
        const unsigned char next = ByteAtIndex(text, p + tag.size());
        if (next == '>' || IsSpace(next)) return p;
    }
    return kNone;
}

// The stretches of the chunk that lie inside an element of kLiteralContentElements: from its
// start tag to its end tag, or to the end of the chunk when no end tag follows.
class LiteralContent {
  public:
    explicit LiteralContent(std::string_view text) {
        const size_t beyond = text.size();
        for (const ElementTags& element : kLiteralContentElements) {
            size_t open = FindTagStart(text, element.open, 0);
            while (open != kNone) {
                const size_t close = FindTagStart(text, element.close, open + 1);
                ranges_.emplace_back(open, close != kNone ? close : beyond);
                if (close == kNone) break;
                open = FindTagStart(text, element.open, close + 1);
            }
        }
        std::sort(ranges_.begin(), ranges_.end());
        // Merge overlaps so that a forward walk over the ranges answers each question.
        std::vector<std::pair<size_t, size_t>> merged;
        for (const auto& range : ranges_) {
            if (!merged.empty() && range.first <= merged.back().second) {
                merged.back().second = std::max(merged.back().second, range.second);
            } else {
                merged.push_back(range);
            }
        }
        ranges_.swap(merged);
    }
    // Whether index p lies inside such an element; p only grows from call to call.
    bool Contains(size_t p) {
        while (next_ < ranges_.size() && ranges_[next_].second <= p)
            ++next_;
        return next_ < ranges_.size() && ranges_[next_].first < p;
    }

  private:
    std::vector<std::pair<size_t, size_t>> ranges_;  // [start tag, end tag) indexes
    size_t next_ = 0;
};

void RemoveHtmlComments(Text& chunk) {
    if (FindFrom(chunk, kCommentOpen, 0, false) == kNone) return;
    LiteralContent literal(chunk);
    ForwardSearch close(chunk, kCommentClose, false);
    ForwardSearch webbot(chunk, kWebbot, true);
    CutList cuts(chunk);
    size_t cursor = 0;
    for (;;) {
        const size_t open = FindFrom(chunk, kCommentOpen, cursor, false);
        if (open == kNone) break;
        const size_t after_open = open + kCommentOpen.size();
        if (ByteAtIndex(chunk, after_open) == kIncludeMark) {
            cursor = after_open;
            continue;
        }
        // "<!-->" is a whole comment: the "-->" may begin inside the "<!--".
        const size_t end = close.From(open);
        if (end == kNone) break;  // an unclosed comment ends the pass; the rest stays
        const size_t marker = webbot.From(after_open);
        if ((marker == kNone || marker > end) && !literal.Contains(open)) {
            const size_t last = end + kCommentClose.size() - 1;
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
    size_t open = FindFrom(chunk, kCommentElementOpen, 0, true);
    while (open != kNone) {
        const size_t close =
            FindFrom(chunk, kCommentElementClose, open + kCommentElementOpen.size(), true);
        if (close == kNone) break;
        const size_t last = close + kCommentElementClose.size() - 1;
        cuts.Cut(open, last);
        open = FindFrom(chunk, kCommentElementOpen, last + 1, true);
    }
    cuts.ApplyTo(chunk);
}

// The META loops: each element opened by `open` runs to its first ">"; it is cut when it
// holds one of the markers (cut_marked) or when it holds none (!cut_marked). A marker counts
// when it lies wholly within the element.
void RemoveMetaElements(Text& chunk, std::string_view open_tag, const std::string_view* markers,
                        size_t marker_count, bool cut_marked) {
    CutList cuts(chunk);
    size_t open = FindFrom(chunk, open_tag, 0, true);
    while (open != kNone) {
        const size_t close = chunk.find('>', open);
        if (close == kNone) break;  // an element without ">" stays, and no later one can end
        const size_t length = close - open + 1;
        const std::string_view element(chunk.data() + open, length);
        bool marked = false;
        for (size_t i = 0; i < marker_count && !marked; ++i) {
            marked = FindFrom(element, markers[i], 0, true) != kNone;
        }
        if (marked == cut_marked) {
            cuts.Cut(open, close);
            // The next search starts at the index the ">" had before the cut; in the
            // shortened text that lies `length` bytes further on, so a META within that
            // distance is not examined. Kept on purpose: it is the pass's known behaviour.
            open = FindFrom(chunk, open_tag, close + length, true);
        } else {
            open = FindFrom(chunk, open_tag, close, true);
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
    size_t pos = 0;
    for (;;) {
        const size_t lt = text.find('<', pos);
        if (lt == kNone) break;
        size_t last = kNone;
        if (comment_close_left && text.substr(lt).starts_with(kCommentOpen)) {
            const size_t end = FindFrom(text, kCommentClose, lt + 2, false);
            if (end != kNone) {
                last = end + kCommentClose.size() - 1;
            } else {
                comment_close_left = false;
            }
        }
        if (last == kNone) last = text.find('>', lt + 1);
        if (last == kNone) break;
        tags.append(text.substr(lt, last - lt + 1));
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
    const size_t open = FindFrom(chunk, kDoctypeOpen, 0, true);
    const size_t close = open != kNone ? chunk.find('>', open) : kNone;
    if (close != kNone) chunk.erase(open, close - open + 1);
    EndSavings(engine, chunk, kSlotNoDTD);
}

void RemoveNonHTMLContent(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    const size_t start = FindFrom(chunk, kHtmlStart, 0, true);
    if (start != kNone && start >= 1) {
        chunk.replace(0, start, ReduceToTags(std::string_view(chunk).substr(0, start)));
    }
    const size_t end = FindBefore(chunk, kHtmlEnd, chunk.size(), true);
    // One byte after "</html>" (a final line feed) is left alone.
    if (end != kNone && chunk.size() - (end + kHtmlEnd.size()) >= 2) {
        chunk.replace(end, Text::npos, ReduceToTags(std::string_view(chunk).substr(end)));
    }
    EndSavings(engine, chunk, kSlotStripNonHTML);
}

}  // namespace tsqz
