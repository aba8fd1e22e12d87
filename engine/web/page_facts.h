// What the web template learns about a page before rewriting it: its encoding, its document
// mode, what its own CSS says about white space and display, which attributes its scripts and
// style sheets mention, and where server-side code sits.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace tsqz::web {

// Elements picked by selectors, by the subject's tag name, class or id; `all` when a subject
// has none of these (such as "*" or "[dir]").
struct SelectorSubjects {
    std::unordered_set<std::string> tags, classes, ids;
    bool all = false;
    bool empty() const { return !all && tags.empty() && classes.empty() && ids.empty(); }
};

enum class DocumentMode { NoQuirks, LimitedQuirks, Quirks };

struct PageFacts {
    bool utf8 = false;              // a UTF-8 byte order mark or declaration
    bool windows1252 = false;       // a declared label the browser reads as windows-1252
    bool ascii_compatible = true;   // false for UTF-16 and ISO-2022 pages: left as they are
    DocumentMode mode = DocumentMode::Quirks;
    SelectorSubjects preserve_space;  // white-space that keeps white space
    SelectorSubjects not_block;       // display other than a block-level value
    // Watched attribute names (booleans, those with defaults) the page's styles and scripts
    // refer to as attributes (selectors, getAttribute), and those its scripts read as element
    // properties; whether a script reads an element's list of attributes.
    std::unordered_set<std::string> mentioned;
    std::unordered_set<std::string> read_as_property;
    bool attribute_lists_read = false;
    // The page loads style sheets from elsewhere (a rel="stylesheet" link, an "@import"): their
    // selectors are unknown, so they may match any attribute.
    bool outside_style_sheets = false;
    std::vector<std::pair<size_t, size_t>> server_code;  // "<% %>", "<? ?>", "{{ }}", "{% %}"
};

PageFacts ScanPage(std::string_view input);

// The text of a STYLE or SCRIPT element as the tokenizer gives it.
struct RawText {
    size_t begin = 0, end = 0;
    bool style = false;  // else a script
    bool operator==(const RawText&) const = default;
};
// ScanPage with a quick walk over the page in place of the tokenizer's for the STYLE and
// SCRIPT text, which it lists in `texts`. The walk follows only SVG and MathML's own tags, so
// inside a select or where markup leaves foreign content it may read that text differently
// from the tokenizer: the facts hold when the tokenizer gives exactly these texts.
PageFacts ScanPageQuickly(std::string_view input, std::vector<RawText>& texts);

// Reads as a style sheet every text from `from` on that follows a "<style" start tag, up to
// the next "</style" or the end, whatever markup stands around it, but for those that begin
// where the tokenizer read raw text (`read`, ascending): for the part of a page whose markup
// the tokenizer may not read as the parser does (a style sheet there may have been taken for
// text, and its rules be missed). Returns whether the facts changed.
bool ReadStyleSheetsLoosely(std::string_view input, size_t from, const std::vector<size_t>& read, PageFacts& facts);

// Declarations of one rule or style attribute: does it keep white space, is it not a block?
struct DeclarationFacts {
    bool preserve_space = false;
    bool not_block = false;
};
DeclarationFacts ReadDeclarations(std::string_view declarations);

// Reads a style sheet's rules into `facts`.
void ReadStyleSheet(std::string_view css, PageFacts& facts);

// Doctype fields as the tokenizer reads them.
struct DoctypeFields {
    std::string name;
    std::string public_id, system_id;
    bool has_public = false, has_system = false, force_quirks = false;
};
DoctypeFields ReadDoctype(std::string_view content);  // the bytes after "<!DOCTYPE"

}  // namespace tsqz::web
