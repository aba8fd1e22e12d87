// Rule tables of the web template: what the browser's parser and default style sheet do with
// each element and attribute, as rows of data.
#pragma once

#include "web/web_tokenizer.h"

#include <cstdint>
#include <string_view>

namespace tsqz::web {

// Properties of an HTML element, as flags.
enum ElementFlag : uint32_t {
    kVoid = 1u << 0,           // no end tag, never on the stack of open elements
    kBlock = 1u << 1,          // a block-level box in the default style sheet
    kPreserveSpace = 1u << 2,  // its text keeps every white-space byte (white-space: pre)
    kClosesP = 1u << 3,        // its start tag lets a preceding "</p>" be omitted
    kBreakout = 1u << 4,       // its start tag leaves SVG and MathML content
    // Parsers differ on its start tag in a select: older ones drop it, newer ones keep it, and
    // then its raw text, the line feed after it, or its scope (which "</select>" stops at) counts.
    kIgnoredInSelect = 1u << 5,
    kFormatting = 1u << 6,     // the parser reopens it when it is closed out of order
    kImpliedEnd = 1u << 7,     // closed by the parser's "generate implied end tags"
    kScopeBoundary = 1u << 8,  // "has an element in scope" stops at it
    kHeadContent = 1u << 9,    // a start tag the parser puts into the head after "</head>"
    kTablePart = 1u << 10,     // table, tbody, thead, tfoot, tr, colgroup: text inside is foster-parented
    // A part of a table but the table itself (caption, colgroup, col, tbody, thead, tfoot, tr,
    // td, th): as a template's first start tag, it has the template's content read by table rules.
    kTableContent = 1u << 11,
    kRcdata = 1u << 12,
    kRawtext = 1u << 13,
    kScript = 1u << 14,
    kPlaintext = 1u << 15,
    kSpecial = 1u << 16,       // the parser's "special" category
    kEndClosesInner = 1u << 17,  // its end tag also closes a p, li, dd, dt or cell left open in it
    // An inline element that is neither special nor formatting nor closed by implied end tags:
    // the parser closes it with any element around it that an end tag pops.
    kPlainInline = 1u << 18,
    // Its start tag closes a paragraph in button scope (a table only outside quirks mode):
    // the elements of the optional "</p>" rule and center, dir, dialog, summary, listing,
    // plaintext, xmp, li, dd and dt.
    kStartClosesP = 1u << 19,
};

// The element table by row, behind the inline lookups below (asked for nearly every tag).
namespace element_rows {
extern const size_t kCount;
extern const uint32_t* const kFlags;
extern const std::string_view* const kNames;
extern const bool* const kRawTextFirsts;  // by byte: a raw text element's name begins with it
}  // namespace element_rows

// The flags of an element by its lowered name; 0 for names the tables do not list.
uint32_t ElementFlags(std::string_view name);

// The row number of an element by its lowered name, below ElementCount(); ElementCount() for
// names the table does not list. Lets per-element counts live in an array.
size_t ElementId(std::string_view name);
inline size_t ElementCount() { return element_rows::kCount; }
// The name of a listed element (static storage), by its ElementId.
inline std::string_view ElementName(size_t id) { return element_rows::kNames[id]; }
// The flags by ElementId (0 for an unlisted name), for tokens that carry their id.
inline uint32_t ElementFlagsOf(size_t id) { return id < element_rows::kCount ? element_rows::kFlags[id] : 0; }

inline bool IsVoidElement(std::string_view name) { return ElementFlags(name) & kVoid; }
inline bool IsForeignBreakout(std::string_view name) { return ElementFlags(name) & kBreakout; }
inline bool IsIgnoredInSelect(std::string_view name) { return ElementFlags(name) & kIgnoredInSelect; }
TextState RawTextStateFor(std::string_view name);
constexpr TextState RawTextStateOf(uint32_t f) {
    if (f & kRcdata) return TextState::Rcdata;
    if (f & kRawtext) return TextState::Rawtext;
    if (f & kScript) return TextState::ScriptData;
    if (f & kPlaintext) return TextState::Plaintext;
    return TextState::Data;
}
// Whether an element whose lowered name begins with `first` can switch the tokenizer to raw
// text (a quick test before the lookup of the name).
inline bool MayOpenRawText(char first) { return element_rows::kRawTextFirsts[static_cast<unsigned char>(first)]; }

// Optional end tags: the element, the start tags after which its end tag may be left out, and
// whether it may also be left out where the parent element ends.
struct OptionalEndTag {
    std::string_view element;
    std::string_view followers;  // space-separated tag names; "*p" means every kClosesP tag
    bool at_parent_end;
};
const OptionalEndTag* FindOptionalEndTag(std::string_view element);

// Boolean attributes, whose value may be left out when it is empty or repeats the name.
bool IsBooleanAttribute(std::string_view name);
// A quick test before IsBooleanAttribute: whether a boolean attribute begins with the lowered
// letter `first` and has `length` bytes.
bool BooleanAttributeMayBe(char first, size_t length);

// Attributes whose value is the default the browser uses anyway. `property_same`: the
// element's property of that name gives the same value without the attribute (an enumerated
// attribute with that default), so only a script reading the attribute itself sees it go.
// `displayed`: the element is shown, so an attribute selector of a style sheet may style it
// by that attribute ("input[type=text]"); such a default stays when the page loads style
// sheets the scan cannot read.
struct DefaultAttribute {
    std::string_view element, attribute, value;  // value compared ignoring ASCII case
    bool property_same;
    bool displayed;
};
const DefaultAttribute* FindDefaultAttribute(std::string_view element, std::string_view attribute);

// Named character references the web template decodes; "&name;" with the semicolon only.
// Returns the code point, or 0 for a name not in the table.
uint32_t NamedReference(std::string_view name);

// The byte that stands for `code_point` in windows-1252, or -1 where it has none; ASCII is left
// to the caller.
int Windows1252Byte(uint32_t code_point);

// Whether the parser also knows `name` without its ";" (the Latin-1 names and amp, lt, gt,
// quot in either case): "&" followed by such a name is read as a reference in text.
bool IsLegacyReferenceName(std::string_view name);

// The document mode a doctype named "html" without force-quirks sets, by its identifiers.
enum class DoctypeMode { NoQuirks, LimitedQuirks, Quirks };
DoctypeMode ModeOfDoctype(std::string_view public_id, bool has_public, std::string_view system_id,
                          bool has_system);

}  // namespace tsqz::web
