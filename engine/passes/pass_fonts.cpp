// Font tag compression: relative sizes become absolute, and FONT elements one size off the
// base font become BIG or SMALL.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "passes/passes.h"
#include "text/tag_scan.h"

namespace tsqz {
namespace {

constexpr std::string_view kFontStart = "<font";
constexpr std::string_view kFontEnd = "</font";
constexpr std::string_view kSizeAttribute = "size=";
// The next sign is looked for this many bytes after the one just examined.
constexpr size_t kSignSkip = 9;

// The BIG/SMALL rows: the FONT start tag is the text before the size, the size (the base
// font size plus the offset) and the text after it.
struct ExactFontRow {
    std::string_view before;
    int offset;
    std::string_view after;
    std::string_view element;  // written as "<" + element and "</" + element
};

constexpr ExactFontRow kExactFontRows[] = {
    {"<font size=", +1, ">", "BIG>"},
    {"<font size=\"", +1, "\">", "BIG>"},
    {"<font size=", -1, ">", "SMALL>"},
    {"<font size=\"", -1, "\">", "SMALL>"},
};

// Sizes a FONT element can have.
constexpr int kSmallestFont = 1;
constexpr int kLargestFont = 7;

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool IsSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The sign at index sign starts the value of a SIZE attribute: "size=", an optional space
// and an optional quote (double or single) stand right before it, and "size" is a whole
// attribute name.
bool StartsSizeValue(std::string_view text, size_t sign) {
    size_t end = sign;  // one past the "=" of "size="
    if (end > 0 && (text[end - 1] == '"' || text[end - 1] == '\'')) --end;
    if (end > 0 && text[end - 1] == ' ') --end;
    if (end < kSizeAttribute.size()) return false;
    const size_t at = end - kSizeAttribute.size();
    if (!NameAt(text, at, kSizeAttribute)) return false;
    if (at == 0) return false;
    const auto before = static_cast<unsigned char>(text[at - 1]);
    return IsSpace(before) || before == '"' || before == '\'' || before == '/';
}

// One sweep over the relative sizes with one sign. A sign counts when it stands in a FONT
// start tag (the last "<" before it opens "<font" and no ">" follows that) as the value of
// its SIZE attribute, followed by one digit 1 to 9 and no further digit. It and its digit
// become the absolute size when that is 1 to 9; a size of several digits is out of range and
// stays relative. Edits touch only the sign and its digit and the next search starts 9 bytes
// on in the edited text, so the sweep copies the text once, left to right.
void RewriteRelativeSizes(Text& chunk, char sign, int basefont) {
    const std::string_view text = chunk;
    const size_t n = text.size();
    TagTracker tags(text);
    Text out;
    size_t copied = 0;
    for (size_t at = text.find(sign); at != Text::npos;) {
        size_t next = at + kSignSkip;
        const unsigned char digit = ByteAtIndex(text, at + 1);
        const int step = (digit >= '1' && digit <= '9') ? digit - '0' : 0;
        if (step != 0 && !IsDigit(ByteAtIndex(text, at + 2)) &&
            NameAt(text, tags.OpenOf(at), kFontStart) &&
            StartsSizeValue(text, at)) {
            const int size = sign == '+' ? basefont + step : basefont - step;
            if (size >= 1 && size <= 9) {
                if (out.empty()) out.reserve(n);
                out.append(text, copied, at - copied);
                out.push_back(static_cast<char>('0' + size));
                copied = at + 2;
                ++next;  // the sign is gone: 9 bytes on in the edited text
            }
        }
        at = next < n ? text.find(sign, next) : Text::npos;
    }
    if (copied == 0) return;
    out.append(text, copied, Text::npos);
    chunk.swap(out);
}

// 0-based starts of every match of the pattern (ignoring case), left to right.
std::vector<size_t> FindAll(std::string_view text, std::string_view pattern) {
    std::vector<size_t> found;
    for (size_t at = FindFrom(text, pattern, 0, true); at != kNone;
         at = FindFrom(text, pattern, at + pattern.size(), true)) {
        found.push_back(at);
    }
    return found;
}

// The first entry of a sorted list greater than (or at least) a value, as an index.
size_t FirstAfter(const std::vector<size_t>& list, size_t value) {
    return static_cast<size_t>(std::upper_bound(list.begin(), list.end(), value) - list.begin());
}
size_t FirstFrom(const std::vector<size_t>& list, size_t value) {
    return static_cast<size_t>(std::lower_bound(list.begin(), list.end(), value) - list.begin());
}

// The FONT end tags of the text; those already rewritten are skipped, through links that
// point at the next one still standing.
class EndTags {
  public:
    explicit EndTags(std::vector<size_t> starts)
        : starts_(std::move(starts)), next_(starts_.size() + 1) {
        for (size_t i = 0; i < next_.size(); ++i)
            next_[i] = i;
    }
    size_t size() const { return starts_.size(); }
    size_t start(size_t i) const { return starts_[i]; }
    // The first standing end tag at index i or later; size() when none.
    size_t Standing(size_t i) {
        size_t root = i;
        while (next_[root] != root)
            root = next_[root];
        while (next_[i] != root) {
            const size_t up = next_[i];
            next_[i] = root;
            i = up;
        }
        return root;
    }
    void Remove(size_t i) { next_[i] = i + 1; }
    const std::vector<size_t>& starts() const { return starts_; }

  private:
    std::vector<size_t> starts_;
    std::vector<size_t> next_;
};

struct Edit {
    size_t start;
    size_t length;
    std::string text;
};

// Turns the FONT start tag `tag` (matched exactly, ignoring case) and its matching end tag
// into the element. An occurrence is converted only after a heading has closed (the last
// "</h" before it follows the last "<h"), and only when its matching end tag is found:
// the first "</font" after it, or the second when a FONT start tag stands between, or the
// third when a second one does too. The end tag is replaced through its own ">". When no
// matching end tag is found the conversion ends there. An occurrence at the very first byte
// ends it as well.
// No edit creates or removes a tag start, a heading tag or another occurrence, so every
// search runs over the original text; only end tags already rewritten must be skipped.
void ConvertExactTag(Text& chunk, std::string_view tag, std::string_view element) {
    const std::string_view text = chunk;
    const std::vector<size_t> starts = FindAll(text, kFontStart);
    const std::vector<size_t> headings = FindAll(text, "<h");
    const std::vector<size_t> heading_ends = FindAll(text, "</h");
    EndTags ends(FindAll(text, kFontEnd));
    std::vector<Edit> edits;
    size_t heading = 0, heading_end = 0;  // how many of each start before the occurrence
    // A tag at the chunk's very first byte ends the walk, as in the loop this follows.
    for (size_t occurrence = FindFrom(text, tag, 0, true); occurrence != kNone && occurrence != 0;
         occurrence = FindFrom(text, tag, occurrence + 1, true)) {
        while (heading < headings.size() && headings[heading] < occurrence)
            ++heading;
        while (heading_end < heading_ends.size() && heading_ends[heading_end] < occurrence) {
            ++heading_end;
        }
        if (heading_end == 0 ||
            (heading != 0 && heading_ends[heading_end - 1] < headings[heading - 1])) {
            continue;
        }
        const size_t first_end = ends.Standing(FirstAfter(ends.starts(), occurrence));
        if (first_end == ends.size()) break;
        size_t matching = first_end;
        const size_t inner = FirstAfter(starts, occurrence);
        if (inner < starts.size() && starts[inner] < ends.start(first_end)) {
            const size_t second_inner = FirstFrom(starts, starts[inner] + kFontStart.size());
            const bool two_inner =
                second_inner < starts.size() && starts[second_inner] < ends.start(first_end);
            matching = ends.Standing(first_end + 1);
            if (two_inner && matching < ends.size()) matching = ends.Standing(matching + 1);
        }
        if (matching == ends.size()) break;
        const size_t end_start = ends.start(matching);
        const size_t close = text.find('>', end_start + kFontEnd.size());
        const size_t open = text.find('<', end_start + kFontEnd.size());
        if (close == Text::npos || open < close) break;  // the end tag has no ">" of its own
        ends.Remove(matching);
        edits.push_back({occurrence, tag.size(), "<" + std::string(element)});
        edits.push_back({end_start, close + 1 - end_start, "</" + std::string(element)});
    }
    if (edits.empty()) return;
    std::sort(edits.begin(), edits.end(),
              [](const Edit& a, const Edit& b) { return a.start < b.start; });
    Text out;
    out.reserve(text.size());
    size_t copied = 0;
    for (const Edit& e : edits) {
        out.append(text, copied, e.start - copied);
        out.append(e.text);
        copied = e.start + e.length;
    }
    out.append(text, copied, Text::npos);
    chunk.swap(out);
}

}  // namespace

void ShrinkFonts(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    if (FindFrom(chunk, kFontStart, 0, true) != kNone) {
        const int basefont = engine.run.basefont;
        RewriteRelativeSizes(chunk, '+', basefont);
        RewriteRelativeSizes(chunk, '-', basefont);
        if (engine.options.MSNSOnly) {
            for (const ExactFontRow& row : kExactFontRows) {
                const int size = basefont + row.offset;
                if (size < kSmallestFont || size > kLargestFont) continue;
                std::string tag(row.before);
                tag.push_back(static_cast<char>('0' + size));
                tag.append(row.after);
                ConvertExactTag(chunk, tag, row.element);
            }
        }
    }
    EndSavings(engine, chunk, kSlotShrinkFontTags);
}

}  // namespace tsqz
