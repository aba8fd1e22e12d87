// The whitespace passes keep what a browser shows: white space beside the tags of text-level
// elements, after a ">" that is text, and between blocks while a font change is open, stays;
// between block-level tags it goes as before.
#include <gtest/gtest.h>

#include <string>

#include "passes/dispatch.h"
#include "passes/passes.h"

namespace tsqz {
namespace {

struct Row {
    std::string_view input;
    std::string_view expected;
};

class LayoutInlineTest : public ::testing::Test {
  protected:
    LayoutInlineTest() { engine.run.lf_only = true; }

    Text Joined(std::string_view input) {
        Text text(input);
        JoinLines(engine, text);
        return text;
    }

    Text Spaces(std::string_view input) {
        Text text(input);
        RemoveUnneededSpaces(engine, text);
        return text;
    }

    Text Rewrapped(std::string_view input, uint16_t width) {
        Text text(input);
        engine.options.WordWrap = width;
        SetWrapColumn(engine);
        RewrapText(engine, text);
        return text;
    }

    Engine engine;
};

// A line feed after a text-level tag, an unknown one, server code, a comment or a ">" that is
// text shows as a space and stays one; after a block-level tag or the placeholder of a
// preformatted block it goes.
TEST_F(LayoutInlineTest, JoiningKeepsTheSpaceAfterTextLevelTags) {
    const Row rows[] = {
        {"<A HREF=\"x\">Name</A>\nnext", "<A HREF=\"x\">Name</A> next"},
        {"see <b>\nbold", "see <b> bold"},
        {"<img src=a.gif>\n<img src=b.gif>", "<img src=a.gif> <img src=b.gif>"},
        {"Lmhosts,<cr>\nNOT", "Lmhosts,<cr> NOT"},
        {"<\xFE\xFE>\n<\xFE\xFE>", "<\xFE\xFE> <\xFE\xFE>"},
        {"&lt;asjo@diku.dk&gt;br>\nSubject", "&lt;asjo@diku.dk&gt;br> Subject"},
        {"<td>a</td>\n<td>b</td>\n</tr>", "<td>a</td><td>b</td></tr>"},
        {"<p>one</p>\n<p>two<br>\nthree", "<p>one</p><p>two<br>three"},
        {"x<!-- note -->\n<@PRE@>\ny", "x<!-- note --> <@PRE@>y"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Joined(row.input), row.expected);
    }
}

// An element that changes the font, left open, is opened again by the browser around the white
// space between the following blocks, where a line of that font then shows.
TEST_F(LayoutInlineTest, WhiteSpaceBetweenBlocksStaysWhileAFontChangeIsOpen) {
    EXPECT_EQ(Joined("<p>x<FONT SIZE=2>a.\n<p>b</p>\n<p>c</p>"),
              "<p>x<FONT SIZE=2>a. <p>b</p> <p>c</p>");
    EXPECT_EQ(Joined("<p>x<FONT SIZE=2>a.</FONT>\n<p>b</p>\n<p>c</p>"),
              "<p>x<FONT SIZE=2>a.</FONT> <p>b</p><p>c</p>");
    EXPECT_EQ(Spaces("<tt>x<p>b</p> <p>c</p> <p> d"), "<tt>x<p>b</p> <p>c</p> <p> d");
    EXPECT_EQ(Spaces("<tt>x</tt><p>b</p> <p>c</p> <p> d"), "<tt>x</tt><p>b</p><p>c</p><p>d");
}

// Step 11: the space after an end tag goes unless that tag ends a text-level element (or the
// ">" is text).
TEST_F(LayoutInlineTest, SpaceAfterInlineEndTagStays) {
    const Row rows[] = {
        {"<b>x</b> <i>y</i>", "<b>x</b> <i>y</i>"},
        {"<a href=x>a</a> <a href=y>b</a>", "<a href=x>a</a> <a href=y>b</a>"},
        {"<tr><td>a</td> <td>b</td></tr>", "<tr><td>a</td><td>b</td></tr>"},
        {"<p>a</p> <p>b</p>", "<p>a</p><p>b</p>"},
        {"x</ul> <b>y", "x</ul><b>y"},
        {"&lt;/p> <b>y</b>", "&lt;/p> <b>y</b>"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Spaces(row.input), row.expected);
    }
}

// Step 9: the space before a ">" that ends a tag goes; before a ">" that is text it stays.
TEST_F(LayoutInlineTest, SpaceBeforeTextGreaterThanStays) {
    EXPECT_EQ(Spaces("<a href=x >runs > $2200</a>"), "<a href=x>runs > $2200</a>");
    EXPECT_EQ(Spaces("Syntax: ErrorLog ><EM>filename</EM>"), "Syntax: ErrorLog ><EM>filename</EM>");
}

// Step 13: the prefix patterns reach only the block-level tags they stand for, not TT,
// TEXTAREA, IFRAME or unknown elements that start the same way.
TEST_F(LayoutInlineTest, PrefixPatternsSpareTextLevelAndUnknownTags) {
    const Row rows[] = {
        {"x <tt class=x>y</tt> z", "x <tt class=x>y</tt> z"},
        {"Type <textarea> here</textarea> now", "Type <textarea> here</textarea> now"},
        {"a <iframe src=f.html></iframe> b", "a <iframe src=f.html></iframe> b"},
        {"Try strace -p <PID> now", "Try strace -p <PID> now"},
        {"telnet <hostname> 80", "telnet <hostname> 80"},
        {"x <table> <tr> <td> a <th> b", "x<table><tr><td>a<th>b"},
        {"x <h1> A </h1> y <hr> z", "x<h1>A</h1>y<hr>z"},
        {"x <title> t", "x<title>t"},
        {"x <img src=a.gif> y", "x <img src=a.gif> y"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Spaces(row.input), row.expected);
    }
}

// Rewrapping never puts a line end between two pieces of text-level content that touch: a run
// of inline elements without spaces stays on one line however long it is. (A space inside a
// tag is a break point like any other.)
TEST_F(LayoutInlineTest, RewrapAddsNoSpaceInsideARunOfInlineElements) {
    const Text run =
        "<b>one</b><i>two</i><a>three</a><font>four</font><tt>five</tt><img><span>seven</span>"
        "<u>eight</u><sub>nine</sub><sup>ten</sup><em>eleven</em>";
    EXPECT_EQ(Rewrapped(run, 30), run);
    EXPECT_EQ(Rewrapped("<p>" + run + "</p><p>" + run, 30), "<p>\n" + run + "\n</p><p>\n" + run);
    // Breaks still fall at spaces and after block-level tags.
    EXPECT_EQ(Rewrapped("<p>alpha beta gamma delta epsilon</p><p>zeta <b>eta</b><i>theta</i>", 30),
              "<p>alpha beta gamma delta\nepsilon</p><p>zeta\n<b>eta</b><i>theta</i>");
}

}  // namespace
}  // namespace tsqz
