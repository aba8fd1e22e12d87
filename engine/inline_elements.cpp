// The text-level (inline) elements: white space beside their tags shows in a browser.
#include "inline_elements.h"

namespace tsqz {
namespace {

// The text-level elements of HTML 4, with the old presentational ones still met in pages.
constexpr std::string_view kInlineElements[] = {
    "A",    "ABBR",   "ACRONYM", "APPLET", "B",    "BDO",      "BIG",    "BLINK",  "BUTTON",
    "CITE", "CODE",   "DFN",     "EM",     "FONT", "I",        "IFRAME", "IMG",    "INPUT",
    "KBD",  "LABEL",  "MAP",     "OBJECT", "Q",    "S",        "SAMP",   "SELECT", "SMALL",
    "SPAN", "STRIKE", "STRONG",  "SUB",    "SUP",  "TEXTAREA", "TT",     "U",      "VAR",
};

constexpr bool NamesFitTheReader() {
    for (const std::string_view row : kInlineElements) {
        if (row.size() > static_cast<size_t>(inline_detail::kLongestName)) return false;
    }
    return true;
}
static_assert(NamesFitTheReader(), "ReadTagAt reads names of at most kLongestName bytes");

bool EqualsIgnoringCase(std::string_view a, std::string_view upper) {
    if (a.size() != upper.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto c = static_cast<unsigned char>(a[i]);
        const unsigned char folded = c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
        if (folded != static_cast<unsigned char>(upper[i])) return false;
    }
    return true;
}

}  // namespace

bool IsInlineElementName(std::string_view name) {
    for (const std::string_view row : kInlineElements) {
        if (EqualsIgnoringCase(name, row)) return true;
    }
    return false;
}

}  // namespace tsqz
