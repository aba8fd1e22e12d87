// Which tags white space shows beside: text-level (inline) elements against block-level ones.
#include "inline_elements.h"

namespace tsqz {
namespace {

// The text-level elements of HTML 4, with the presentational ones still met in old pages.
constexpr std::string_view kInlineElements[] = {
    "A",    "ABBR",   "ACRONYM", "APPLET", "B",    "BDO",      "BIG",    "BLINK",  "BUTTON",
    "CITE", "CODE",   "DFN",     "EM",     "FONT", "I",        "IFRAME", "IMG",    "INPUT",
    "KBD",  "LABEL",  "MAP",     "OBJECT", "Q",    "S",        "SAMP",   "SELECT", "SMALL",
    "SPAN", "STRIKE", "STRONG",  "SUB",    "SUP",  "TEXTAREA", "TT",     "U",      "VAR",
};

// The elements of HTML 4 at whose tags white space collapses: those that start and end a
// block, a list item, a table part, a form part or a frame, and those of the head. SCRIPT,
// NOSCRIPT, INS, DEL and BASEFONT are in neither table: white space beside them can show.
constexpr std::string_view kBlockElements[] = {
    "ADDRESS", "AREA",      "BASE",     "BLOCKQUOTE", "BODY",    "BR",       "CAPTION", "CENTER",
    "COL",     "COLGROUP",  "DD",       "DIR",        "DIV",     "DL",       "DT",      "FIELDSET",
    "FORM",    "FRAME",     "FRAMESET", "H1",         "H2",      "H3",       "H4",      "H5",
    "H6",      "HEAD",      "HR",       "HTML",       "ISINDEX", "LEGEND",   "LI",      "LINK",
    "LISTING", "MENU",      "META",     "NOFRAMES",   "OL",      "OPTGROUP", "OPTION",  "P",
    "PARAM",   "PLAINTEXT", "PRE",      "STYLE",      "TABLE",   "TBODY",    "TD",      "TFOOT",
    "TH",      "THEAD",     "TITLE",    "TR",         "UL",      "XMP",
};

template <size_t N>
constexpr bool NamesFitTheReader(const std::string_view (&names)[N]) {
    for (const std::string_view name : names) {
        if (name.size() > static_cast<size_t>(tag_detail::kLongestName)) return false;
    }
    return true;
}
static_assert(NamesFitTheReader(kInlineElements) && NamesFitTheReader(kBlockElements),
              "ReadTagAt reads names of at most kLongestName bytes");

bool EqualsIgnoringCase(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto folded = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        if (folded != static_cast<unsigned char>(upper[i])) return false;
    }
    return true;
}

template <size_t N>
bool Contains(const std::string_view (&names)[N], std::string_view name) {
    for (const std::string_view row : names) {
        if (EqualsIgnoringCase(name, row)) return true;
    }
    return false;
}

}  // namespace

bool IsInlineElementName(std::string_view name) { return Contains(kInlineElements, name); }

bool IsBlockElementName(std::string_view name) { return Contains(kBlockElements, name); }

}  // namespace tsqz
