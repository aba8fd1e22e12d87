// Colour names in colour attributes become numeric values.
#include <cstddef>
#include <iterator>
#include <string_view>
#include <vector>

#include "passes/passes.h"
#include "text/colour_names.h"
#include "text/tag_scan.h"

namespace tsqz {
namespace {

constexpr size_t LongestName() {
    size_t longest = 0;
    for (const NamedColour& c : kColours)
        longest = c.name.size() > longest ? c.name.size() : longest;
    return longest;
}
constexpr size_t kLongestName = LongestName();

constexpr std::string_view kAttribute = "color=";

unsigned char Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// The table's value for a name, compared in lower case and exactly (no spaces around it);
// empty when the text is no known name.
std::string_view LookUpColour(std::string_view text) {
    for (const NamedColour& c : kColours) {
        if (c.name.size() != text.size()) continue;
        size_t i = 0;
        while (i < text.size() && Lower(static_cast<unsigned char>(text[i])) == c.name[i])
            ++i;
        if (i == text.size()) return c.value;
    }
    return {};
}

// First index in [from, min(from + span, size)) holding one of the bytes, or npos.
size_t FindWithin(std::string_view text, size_t from, size_t span, std::string_view bytes) {
    const size_t stop = from + span < text.size() ? from + span : text.size();
    for (size_t i = from; i < stop; ++i) {
        if (bytes.find(text[i]) != std::string_view::npos) return i;
    }
    return std::string_view::npos;
}

struct ValueEdit {
    size_t start;
    size_t length;
    std::string_view value;
};

}  // namespace

// Every "color=" inside a tag (also the end of BGCOLOR= and BORDERCOLOR=) whose value is a
// known colour name gets the name's numeric value. Values written with "#" among their first
// five bytes are numeric already. A quoted value opens with a double quote among the first
// four bytes, before the tag's ">"; otherwise the value runs to the next space or ">".
// The search resumes right after "color="; a replaced name holds no "color=" and none can
// start across its edges, so all matches are found in the original text and the edits are
// applied in one pass at the end.
void StandardizeColors(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    const std::string_view text = chunk;
    const size_t n = text.size();
    TagTracker tags(text);
    std::vector<ValueEdit> edits;
    for (size_t match = FindFrom(text, kAttribute, 0, true); match != kNone;
         match = FindFrom(text, kAttribute, match + kAttribute.size(), true)) {
        const size_t v = match + kAttribute.size();
        if (v >= n) break;
        // Visible text such as "color=red" is no attribute.
        if (!tags.InsideTag(match)) continue;
        if (FindWithin(text, v, 5, "#") != std::string_view::npos) continue;
        size_t start = v;
        size_t stop = std::string_view::npos;
        const size_t quote = FindWithin(text, v, 4, "\"");
        if (quote != std::string_view::npos &&
            FindWithin(text, v, quote - v, ">") == std::string_view::npos) {
            start = quote + 1;
            // A name ends within its longest length; a farther closing quote means no name.
            stop = FindWithin(text, start, kLongestName + 1, "\"");
        } else {
            stop = FindWithin(text, start, kLongestName + 1, " >");
        }
        if (stop == std::string_view::npos) continue;
        const std::string_view value = LookUpColour(text.substr(start, stop - start));
        if (!value.empty()) edits.push_back({start, stop - start, value});
    }
    if (!edits.empty()) {
        Text out;
        out.reserve(n + 7 * edits.size());
        size_t copied = 0;
        for (const ValueEdit& e : edits) {
            out.append(text, copied, e.start - copied);
            out.append(e.value);
            copied = e.start + e.length;
        }
        out.append(text, copied, std::string_view::npos);
        chunk.swap(out);
    }
    EndSavings(engine, chunk, kSlotStandardColors);
}

}  // namespace tsqz
