// Which tags white space shows beside, read from their "<", and which tag a ">" ends.
#include "passes/inline_elements.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace tsqz {
namespace {

using Kind = TagInfo::Kind;

auto BytesOf(std::string_view text) {
    return [text](size_t i) -> unsigned char {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
    };
}

TagInfo ReadFirstTag(std::string_view text) {
    const size_t open = text.find('<');
    return ReadTagAt(BytesOf(text), open == std::string_view::npos ? 0 : open);
}

struct TagRow {
    std::string_view text;
    Kind kind;
    bool is_end;
};

// The name is the whole name, in any case, whatever follows it: a table name that is only a
// prefix of the tag's name does not count, and a name neither table knows is laid out as
// text-level by browsers.
TEST(InlineElementsTest, ReadsTheWholeNameOfStartAndEndTags) {
    constexpr TagRow kRows[] = {
        {"<b>", Kind::kTextLevel, false},
        {"</B>", Kind::kTextLevel, true},
        {"<a href=x>", Kind::kTextLevel, false},
        {"</a >", Kind::kTextLevel, true},
        {"<tt class=x>", Kind::kTextLevel, false},
        {"<textarea\nrows=3>", Kind::kTextLevel, false},
        {"<TextArea>", Kind::kTextLevel, false},
        {"<img/>", Kind::kTextLevel, false},
        {"<Font\tsize=2>", Kind::kTextLevel, false},
        {"<IFRAME src=x>", Kind::kTextLevel, false},
        {"<acronym>", Kind::kTextLevel, false},
        {"<b", Kind::kTextLevel, false},
        {"<br>", Kind::kBlock, false},
        {"<BR clear=all>", Kind::kBlock, false},
        {"</td>", Kind::kBlock, true},
        {"<title>", Kind::kBlock, false},
        {"<Table CellPadding=0>", Kind::kBlock, false},
        {"<blockquote>", Kind::kBlock, false},
        {"</P>", Kind::kBlock, true},
        {"<h1>", Kind::kBlock, false},
        {"<abbrev>", Kind::kUnknown, false},
        {"<acronyms>", Kind::kUnknown, false},
        {"<PID>", Kind::kUnknown, false},
        {"<hostname>", Kind::kUnknown, false},
        {"</cr>", Kind::kUnknown, true},
        {"<blockquotes>", Kind::kUnknown, false},
        {"<script>", Kind::kUnknown, false},
        {"<frame</h1>", Kind::kBlock, false},
        {"<b<i>", Kind::kTextLevel, false},
        // Names that share a length and a first letter, or all but their last bytes.
        {"<tD>", Kind::kBlock, false},
        {"<Th>", Kind::kBlock, false},
        {"<tr>", Kind::kBlock, false},
        {"<tt>", Kind::kTextLevel, false},
        {"<tq>", Kind::kUnknown, false},
        {"<BlockQuotE>", Kind::kBlock, false},
        {"<blockquotx>", Kind::kUnknown, false},
        {"<plaintext>", Kind::kBlock, false},
        {"<plaintexy>", Kind::kUnknown, false},
        {"<frameset>", Kind::kBlock, false},
        {"<framesex>", Kind::kUnknown, false},
        {"<textarea>", Kind::kTextLevel, false},
        {"<textareb>", Kind::kUnknown, false},
        {"<strike>", Kind::kTextLevel, false},
        {"<strong>", Kind::kTextLevel, false},
        {"<i>", Kind::kTextLevel, false},
        {"<p>", Kind::kBlock, false},
        {"<z>", Kind::kUnknown, false},
        {"<h6>", Kind::kBlock, false},
        {"<h7>", Kind::kUnknown, false},
    };
    for (const TagRow& row : kRows) {
        SCOPED_TRACE(std::string(row.text));
        const TagInfo tag = ReadFirstTag(row.text);
        EXPECT_EQ(tag.kind, row.kind);
        EXPECT_EQ(tag.is_end, row.is_end);
        EXPECT_EQ(tag.IsInline(), row.kind != Kind::kBlock);
    }
}

// What a "<" that starts no element is read as. What a browser shows nothing for and lays out
// no box for (comments, "<!...>" and "<?...>" markup, "</>", the placeholders of script and
// style elements), and what is no tag at all (a "<" not followed by a letter, the marker pair
// of server code) count as text-level: white space on either side of them shows. The document
// type declaration and the placeholders of preformatted blocks count as block-level; a
// position that holds no "<" is no element.
TEST(InlineElementsTest, WhatIsNoElement) {
    for (const std::string_view text :
         {"<!-- b -->", "<@SCR@>", "<@STY@>", "<@nab@>", "< b>", "</ b>", "</>", "<>", "a <",
          "<?xml b?>", "<1b>", "<\xFE>", "<\xFE\xFE", "a<\xFE\xFE>b", "<\x81\x80>"}) {
        SCOPED_TRACE(std::string(text));
        const TagInfo tag = ReadFirstTag(text);
        EXPECT_EQ(tag.kind, Kind::kTextLevel);
        EXPECT_FALSE(tag.is_end);
        EXPECT_TRUE(tag.IsInline());
    }
    for (const std::string_view text : {"<!DOCTYPE b>", "<!doctype html>", "<@PRE@>", "<@XMP@>",
                                        "<@LIS@>", "<@PLA@>", "<@mzz@>", "<@aab@>"}) {
        SCOPED_TRACE(std::string(text));
        EXPECT_EQ(ReadFirstTag(text).kind, Kind::kBlock);
    }
    EXPECT_EQ(ReadFirstTag("x").kind, Kind::kNoElement);
}

// The tag a ">" ends is the one whose "<" is nearest before it; a second ">" is text.
TEST(InlineElementsTest, FollowsWhichTagEachGreaterThanEnds) {
    const std::string_view text = "a > <b>x</b>> <!-- y > z --> &lt;p>";
    const auto at = BytesOf(text);
    std::vector<std::string> ends;
    TagEnds tags;
    for (size_t pos = 0; pos < text.size(); ++pos) {
        const size_t open = tags.Advance(at, pos);
        if (at(pos) == '>') {
            ends.push_back(open == kNone ? "text" : std::string(text.substr(open, pos - open + 1)));
        }
        EXPECT_EQ(tags.Advance(at, pos), open);  // asking again gives the same answer
    }
    EXPECT_EQ(ends, (std::vector<std::string>{"text", "<b>", "</b>", "text", "<!-- y >", "text",
                                              "text"}));

    // Positions may be skipped; deleted bytes behind the walk are accounted for.
    TagEnds skipping;
    const std::string_view spaced = "<a  >";
    EXPECT_EQ(skipping.Advance(BytesOf(spaced), 4), 0u);
    TagEnds shifted;
    EXPECT_EQ(shifted.Advance(BytesOf("<a  >x>"), 4), 0u);
    shifted.Shift(2);  // "<a>x>": the walk goes on after the ">" now at index 2
    EXPECT_EQ(shifted.Advance(BytesOf("<a>x>"), 4), kNone);
}

// An element that changes the font stays open from its start tag to its end tag, however many
// blocks lie between; an end tag with nothing open closes nothing, and only whole names count.
TEST(InlineElementsTest, FollowsWhetherAFontChangeIsOpen) {
    struct Probe {
        std::string_view text;
        std::string_view mark;  // OpenAt is asked at the first byte of this
        bool open;
    };
    constexpr Probe kProbes[] = {
        {"a<FONT SIZE=2>b<P>c</P>\n<P>d", "\n", true},
        {"<font face=x>b</Font>\n", "\n", false},
        {"<font><FONT>b</font>\n", "\n", true},
        {"</tt><p>\n", "\n", false},
        {"</tt><tt><p>\n", "\n", true},
        {"<big>x</big><small>\n", "\n", true},
        {"<code\n>\n", ">\n", true},
        {"<CODE>x</code >\n", "\n", false},
        {"<b><i><u><a href=x><font color=red", "<font", false},
        {"<fontx><ttt><bigger><codes><smaller>\n", "\n", false},
        {"<tt/>\n", "\n", true},
    };
    for (const Probe& probe : kProbes) {
        SCOPED_TRACE(std::string(probe.text));
        const size_t pos = probe.text.find(probe.mark);
        OpenFontElements fonts;
        EXPECT_EQ(fonts.OpenAt(BytesOf(probe.text), pos), probe.open);
    }

    // Asked along the text, with a deletion behind the walk.
    OpenFontElements fonts;
    const auto at = BytesOf("<tt>  </tt>");
    EXPECT_FALSE(fonts.OpenAt(at, 0));
    EXPECT_TRUE(fonts.OpenAt(at, 5));
    fonts.Shift(1);  // "<tt> </tt>": the walk goes on at the "<" now at index 5
    EXPECT_FALSE(fonts.OpenAt(BytesOf("<tt> </tt>"), 10));
}

}  // namespace
}  // namespace tsqz
