// The text-level (inline) elements: white space beside their tags shows in a browser.
//
// The whitespace passes delete line ends and spaces next to tags. Next to a block-level tag
// (a table cell, a list item, a paragraph) such white space collapses away in the browser
// anyway; next to the tag of a text-level element it separates two visible words, so the
// passes keep it there.
#pragma once

#include <cstdint>
#include <string_view>

namespace tsqz {

// Whether `name` is the name of a text-level element, in any ASCII case. BR is not one: the
// line break it makes swallows white space beside it.
bool IsInlineElementName(std::string_view name);

// What a tag is, read from its "<".
struct TagInfo {
    bool is_inline = false;  // a start or end tag of a text-level element
    bool is_end = false;     // "</" followed by a name
};

// Reads the tag whose "<" is at position `open` (1-based) of a text, with `at(position)`
// giving the byte there and 0 outside the text. The name is what follows "<" or "</", up to
// white space, "/", ">" or the end of the text, and must start with an ASCII letter; "<" not
// followed by one (a comment, a placeholder token, text such as "a < b") starts no element.
// Reads at most a few bytes, whatever the text.
template <typename ByteAt>
TagInfo ReadTagAt(const ByteAt& at, int32_t open);

// ---- implementation ----

namespace inline_detail {
// Longer names than this are never text-level element names.
constexpr int32_t kLongestName = 8;

inline bool EndsName(unsigned char c) {
    return c == 0 || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '/' ||
           c == '>';
}

inline bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
}  // namespace inline_detail

template <typename ByteAt>
TagInfo ReadTagAt(const ByteAt& at, int32_t open) {
    using namespace inline_detail;
    TagInfo tag;
    if (at(open) != '<') return tag;
    int32_t pos = open + 1;
    if (at(pos) == '/') {
        tag.is_end = true;
        ++pos;
    }
    if (!IsAsciiLetter(at(pos))) {
        tag.is_end = false;
        return tag;
    }
    char name[kLongestName];
    int32_t length = 0;
    for (; !EndsName(at(pos)); ++pos) {
        if (length == kLongestName) return tag;
        name[length++] = static_cast<char>(at(pos));
    }
    tag.is_inline = IsInlineElementName(std::string_view(name, static_cast<size_t>(length)));
    return tag;
}

}  // namespace tsqz
