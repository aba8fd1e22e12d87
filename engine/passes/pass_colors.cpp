// Colour names in colour attributes become numeric values.
#include <cstddef>
#include <iterator>
#include <string_view>
#include <vector>

#include "passes/passes.h"
#include "text/tag_scan.h"

namespace tsqz {
namespace {

struct NamedColour {
    std::string_view name;   // lower case
    std::string_view value;  // "#" and six upper-case hex digits, exactly as written out
};

// The values of the X11 colour keywords as web style sheets define them. Of the names
// spelled with "grey" only lightgrey is here; "gray" is the spelling of all the others.
constexpr NamedColour kColours[] = {
    {"aqua", "#00FFFF"},
    {"black", "#000000"},
    {"blue", "#0000FF"},
    {"fuchsia", "#FF00FF"},
    {"gray", "#808080"},
    {"green", "#008000"},
    {"lime", "#00FF00"},
    {"maroon", "#800000"},
    {"navy", "#000080"},
    {"olive", "#808000"},
    {"purple", "#800080"},
    {"red", "#FF0000"},
    {"silver", "#C0C0C0"},
    {"teal", "#008080"},
    {"white", "#FFFFFF"},
    {"yellow", "#FFFF00"},
    {"aliceblue", "#F0F8FF"},
    {"antiquewhite", "#FAEBD7"},
    {"aquamarine", "#7FFFD4"},
    {"azure", "#F0FFFF"},
    {"beige", "#F5F5DC"},
    {"bisque", "#FFE4C4"},
    {"blanchedalmond", "#FFEBCD"},
    {"blueviolet", "#8A2BE2"},
    {"brown", "#A52A2A"},
    {"burlywood", "#DEB887"},
    {"cadetblue", "#5F9EA0"},
    {"chartreuse", "#7FFF00"},
    {"chocolate", "#D2691E"},
    {"coral", "#FF7F50"},
    {"cornflowerblue", "#6495ED"},
    {"cornsilk", "#FFF8DC"},
    {"crimson", "#DC143C"},
    {"cyan", "#00FFFF"},
    {"darkblue", "#00008B"},
    {"darkcyan", "#008B8B"},
    {"darkgoldenrod", "#B8860B"},
    {"darkgray", "#A9A9A9"},
    {"darkgreen", "#006400"},
    {"darkkhaki", "#BDB76B"},
    {"darkmagenta", "#8B008B"},
    {"darkolivegreen", "#556B2F"},
    {"darkorange", "#FF8C00"},
    {"darkorchid", "#9932CC"},
    {"darkred", "#8B0000"},
    {"darksalmon", "#E9967A"},
    {"darkseagreen", "#8FBC8F"},
    {"darkslateblue", "#483D8B"},
    {"darkslategray", "#2F4F4F"},
    {"darkturquoise", "#00CED1"},
    {"darkviolet", "#9400D3"},
    {"deeppink", "#FF1493"},
    {"deepskyblue", "#00BFFF"},
    {"dimgray", "#696969"},
    {"dodgerblue", "#1E90FF"},
    {"firebrick", "#B22222"},
    {"floralwhite", "#FFFAF0"},
    {"forestgreen", "#228B22"},
    {"gainsboro", "#DCDCDC"},
    {"ghostwhite", "#F8F8FF"},
    {"gold", "#FFD700"},
    {"goldenrod", "#DAA520"},
    {"greenyellow", "#ADFF2F"},
    {"honeydew", "#F0FFF0"},
    {"hotpink", "#FF69B4"},
    {"indianred", "#CD5C5C"},
    {"indigo", "#4B0082"},
    {"ivory", "#FFFFF0"},
    {"khaki", "#F0E68C"},
    {"lavender", "#E6E6FA"},
    {"lavenderblush", "#FFF0F5"},
    {"lawngreen", "#7CFC00"},
    {"lemonchiffon", "#FFFACD"},
    {"lightblue", "#ADD8E6"},
    {"lightcoral", "#F08080"},
    {"lightcyan", "#E0FFFF"},
    {"lightgoldenrodyellow", "#FAFAD2"},
    {"lightgreen", "#90EE90"},
    {"lightgrey", "#D3D3D3"},
    {"lightpink", "#FFB6C1"},
    {"lightsalmon", "#FFA07A"},
    {"lightseagreen", "#20B2AA"},
    {"lightskyblue", "#87CEFA"},
    {"lightslategray", "#778899"},
    {"lightsteelblue", "#B0C4DE"},
    {"lightyellow", "#FFFFE0"},
    {"limegreen", "#32CD32"},
    {"linen", "#FAF0E6"},
    {"magenta", "#FF00FF"},
    {"mediumaquamarine", "#66CDAA"},
    {"mediumblue", "#0000CD"},
    {"mediumorchid", "#BA55D3"},
    {"mediumpurple", "#9370DB"},
    {"mediumseagreen", "#3CB371"},
    {"mediumslateblue", "#7B68EE"},
    {"mediumspringgreen", "#00FA9A"},
    {"mediumturquoise", "#48D1CC"},
    {"mediumvioletred", "#C71585"},
    {"midnightblue", "#191970"},
    {"mintcream", "#F5FFFA"},
    {"mistyrose", "#FFE4E1"},
    {"moccasin", "#FFE4B5"},
    {"navajowhite", "#FFDEAD"},
    {"oldlace", "#FDF5E6"},
    {"olivedrab", "#6B8E23"},
    {"orange", "#FFA500"},
    {"orangered", "#FF4500"},
    {"orchid", "#DA70D6"},
    {"palegoldenrod", "#EEE8AA"},
    {"palegreen", "#98FB98"},
    {"paleturquoise", "#AFEEEE"},
    {"palevioletred", "#DB7093"},
    {"papayawhip", "#FFEFD5"},
    {"peachpuff", "#FFDAB9"},
    {"peru", "#CD853F"},
    {"pink", "#FFC0CB"},
    {"plum", "#DDA0DD"},
    {"powderblue", "#B0E0E6"},
    {"rosybrown", "#BC8F8F"},
    {"royalblue", "#4169E1"},
    {"saddlebrown", "#8B4513"},
    {"salmon", "#FA8072"},
    {"sandybrown", "#F4A460"},
    {"seagreen", "#2E8B57"},
    {"seashell", "#FFF5EE"},
    {"sienna", "#A0522D"},
    {"skyblue", "#87CEEB"},
    {"slateblue", "#6A5ACD"},
    {"slategray", "#708090"},
    {"snow", "#FFFAFA"},
    {"springgreen", "#00FF7F"},
    {"steelblue", "#4682B4"},
    {"tan", "#D2B48C"},
    {"thistle", "#D8BFD8"},
    {"tomato", "#FF6347"},
    {"turquoise", "#40E0D0"},
    {"violet", "#EE82EE"},
    {"wheat", "#F5DEB3"},
    {"whitesmoke", "#F5F5F5"},
    {"yellowgreen", "#9ACD32"},
};
static_assert(std::size(kColours) == 140);

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
    for (int32_t at = Find(text, kAttribute, 1, true); at != 0;
         at = Find(text, kAttribute, at + Len(kAttribute), true)) {
        const size_t match = static_cast<size_t>(at - 1);
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
