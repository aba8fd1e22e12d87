// Which tags are those of text-level elements, read from their "<".
#include "inline_elements.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tsqz {
namespace {

TagInfo ReadFirstTag(std::string_view text) {
    const auto at = [text](int32_t pos) -> unsigned char {
        if (pos < 1 || pos > static_cast<int32_t>(text.size())) return 0;
        return static_cast<unsigned char>(text[static_cast<size_t>(pos - 1)]);
    };
    const size_t open = text.find('<');
    return ReadTagAt(at, open == std::string_view::npos ? 1 : static_cast<int32_t>(open) + 1);
}

struct TagRow {
    std::string_view text;
    bool is_inline;
    bool is_end;
};

// The name is the whole name, in any case, whatever follows it; a table name that is only a
// prefix of the tag's name (BLOCKQUOTE, ABBREV, TABLE, TITLE, BDOX) does not count.
TEST(InlineElementsTest, ReadsTheWholeNameOfStartAndEndTags) {
    constexpr TagRow kRows[] = {
        {"<b>", true, false},
        {"</B>", true, true},
        {"<a href=x>", true, false},
        {"</a >", true, true},
        {"<tt class=x>", true, false},
        {"<TT>", true, false},
        {"<textarea\nrows=3>", true, false},
        {"<TextArea>", true, false},
        {"<img/>", true, false},
        {"<Font\tsize=2>", true, false},
        {"<IFRAME src=x>", true, false},
        {"<br>", false, false},
        {"<BR clear=all>", false, false},
        {"</td>", false, true},
        {"<td>", false, false},
        {"<title>", false, false},
        {"<table>", false, false},
        {"<blockquote>", false, false},
        {"<abbrev>", false, false},
        {"<bdox>", false, false},
        {"<p>", false, false},
        {"</p>", false, true},
        {"<acronym>", true, false},
        {"<acronyms>", false, false},
        {"<b", true, false},
        {"<script>", false, false},
        {"<CENTER>", false, false},
        {"<select name=x>", true, false},
    };
    for (const TagRow& row : kRows) {
        SCOPED_TRACE(std::string(row.text));
        const TagInfo tag = ReadFirstTag(row.text);
        EXPECT_EQ(tag.is_inline, row.is_inline);
        EXPECT_EQ(tag.is_end, row.is_end);
    }
}

// A "<" that starts no element: comments, declarations, placeholder tokens, the ASP marker
// pair, text, and a position that holds no "<" at all.
TEST(InlineElementsTest, WhatIsNoElementIsNotInline) {
    for (const std::string_view text : {"<!-- b -->", "<!DOCTYPE b>", "<@SCR@>", "<\xFE\xFE>",
                                        "< b>", "</ b>", "</>", "<>", "a <", "x", "<1b>"}) {
        SCOPED_TRACE(std::string(text));
        const TagInfo tag = ReadFirstTag(text);
        EXPECT_FALSE(tag.is_inline);
        EXPECT_FALSE(tag.is_end);
    }
}

}  // namespace
}  // namespace tsqz
