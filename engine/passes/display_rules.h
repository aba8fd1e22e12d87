// Which block-level elements a page's own style sheets may lay out as text-level boxes.
//
// White space between two block-level boxes never shows, so the whitespace passes take it
// out. A page's CSS can make such an element text-level ("h3 { display: inline-block }"),
// and then the white space beside its tags separates visible words. The document's STYLE
// elements and style attributes are read for display values that make a box inline-level,
// and every element such a rule can reach is treated as text-level, by its name: a rule for
// a class or an id makes text-level every element whose tag carries that class or id
// anywhere in the document, and with it all elements of that name. A rule whose element
// cannot be told (a selector of attributes or pseudo-classes only, "*", a value such as
// "var(--x)") makes every element text-level. Style sheets the page links to are not read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tsqz {

struct DisplayRules {
    bool all = false;                // every element may be laid out text-level
    std::vector<std::string> names;  // upper-case names of elements that may be

    bool Empty() const { return !all && names.empty(); }
    // Whether the element of this upper-case name may be laid out text-level.
    bool MakesTextLevel(std::string_view upper) const;
    // Whether a PLAINTEXT, LISTING, XMP or PRE element may be (their placeholders do not say
    // which they stand for).
    bool MakesLiteralBlocksTextLevel() const;
};

// Reads the document's STYLE elements and style attributes.
DisplayRules ReadDisplayRules(std::string_view document);

// Whether a CSS display value lays a box out inline-level (inline, inline-block, contents,
// ...), or may do so (a value this reader does not know).
bool DisplayValueMayBeInline(std::string_view value);

}  // namespace tsqz
