// Whitespace and line layout: the passes' rules on examples, the mended cases, whole
// documents through the layout steps, and the fast passes against plain in-place versions.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "passes/dispatch.h"
#include "passes/inline_elements.h"
#include "passes/passes.h"
#include "support/literal_search.h"

namespace tsqz {
namespace {

struct Row {
    std::string_view input;
    std::string_view expected;
};

class LayoutTest : public ::testing::Test {
  protected:
    LayoutTest() {
        engine.stats.on = true;
        engine.run.lf_only = true;
    }

    Text Spaces(std::string_view input) {
        Text text(input);
        RemoveUnneededSpaces(engine, text);
        return text;
    }

    Text Optimized(std::string_view input) {
        Text text(input);
        SetWrapColumn(engine);
        JoinLines(engine, text);
        RewrapText(engine, text);
        return text;
    }

    Engine engine;
};

// ---------------------------------------------------------------------------------------
// Space removal

TEST_F(LayoutTest, SpaceRemovalCollapsesAndDropsSpacesThatShowNothing) {
    const Row rows[] = {
        {"a   b", "a b"},
        {"a\tb", "a b"},
        {"a \t b", "a b"},
        {"x\n   y  \nz", "x\ny\nz"},
        {"<div>x</div> <div>y", "<div>x</div><div>y"},  // after a block-level end tag
        {"<div>x<div> <div>y", "<div>x<div> <div>y"},   // not after a start tag
        {"<b> x", "<b> x"},
        {"text <br> text", "text<br>text"},
        {"text<p> x", "text<p>x"},
        {"a <div> c", "a<div> c"},  // a space on both sides: the one before goes
        {"<a >x< /a>", "<a>x< /a>"},  // "< " is text: it stays
        {"<img src = \"a.gif\">", "<img src =\"a.gif\">"},
        {"a = b <x y= z>", "a = b <x y=z>"},  // outside a tag "= " stays
        {"<x a= b= c>", "<x a=b=c>"},
        {"<x a= = b>", "<x a== b>"},  // the search resumes two bytes on, past the second "= "
        {"<head> <title>t</title> <meta> </head> <body> x </body>",
         "<head><title>t</title><meta></head><body>x</body>"},
        {"x<p> one </p> <p> two", "x<p>one</p><p>two"},
        {"<p> one", "<p> one"},  // the patterns are searched from position 2
        {"x <li> y </li> z", "x<li>y</li>z"},
        {"a <center> b </center> c", "a<center> b</center>c"},
        {"<area coords=\"1, 2, 3\"> <frameset rows=\"50%, *\">",
         "<area coords=\"1,2,3\"><frameset rows=\"50%,*\">"},
        {"x<h1> Title </h1> text", "x<h1>Title</h1>text"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Spaces(row.input), row.expected);
    }
}

// TITLE text with a double space comes back exactly; other titles are compacted.
TEST_F(LayoutTest, TitleWithDoubleSpaceIsKept) {
    const Row rows[] = {
        {"<TITLE>My  Page</TITLE>", "<TITLE>My  Page</TITLE>"},
        {"<TITLE>My\tPage</TITLE>", "<TITLE>My Page</TITLE>"},
        {"x  <TITLE> My  Page </TITLE>  y", "x<TITLE> My  Page </TITLE>y"},
        // The copy goes back into the title it came from; "< title>" is text, not a title.
        {"< title>x</title><title>a  b</title>", "< title>x</title><title>a  b</title>"},
        // ... and it replaces that title only, even when "< /title>" inside it closes up.
        {"<title>a  b< /title>x</title> <b> y", "<title>a  b< /title>x</title><b> y"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Spaces(row.input), row.expected);
    }
}

// Around TT elements no space goes, with attributes or without; table tags lose theirs.
TEST_F(LayoutTest, TTElementsKeepTheirSpaces) {
    const Row rows[] = {
        {"x <tt>y</tt> z <td> a", "x <tt>y</tt> z<td>a"},
        {"x <TT CLASS=c>y</TT> z", "x <TT CLASS=c>y</TT> z"},
        {"<tr> <td> a </td> </tr>", "<tr><td>a</td></tr>"},
        {"<table> <th> a", "<table><th>a"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Spaces(row.input), row.expected);
    }
}

TEST_F(LayoutTest, ListItemSpacesStayWhenClosingLIIsStripped) {
    engine.options.StripClosingLI = 1;
    EXPECT_EQ(Spaces("x <li> y"), "x<li> y");
    engine.options.StripClosingLI = 0;
    EXPECT_EQ(Spaces("x <li> y"), "x<li>y");
}

// A tag written "<>" does not stop the walk over the tags.
TEST_F(LayoutTest, EmptyTagDoesNotHang) {
    EXPECT_EQ(Spaces("x<> y <div> z"), "x<> y<div> z");
    EXPECT_EQ(Spaces("x<><> <> <div> z"), "x<><> <><div> z");  // "<>" is text
}

// List values are compacted only where the quoted value belongs to the attribute's own tag.
TEST_F(LayoutTest, ListValuesStayInsideTheirTag) {
    const Row rows[] = {
        {"<textarea rows=5 cols=40></textarea><img alt=\"a b\">",
         "<textarea rows=5 cols=40></textarea><img alt=\"a b\">"},
        {"<p>The rows= setting, \"one two\"</p>", "<p>The rows= setting, \"one two\"</p>"},
        {"<frameset cols= \"1, 2\">", "<frameset cols=\"1,2\">"},
        {"<frameset cols = \"1, 2\">", "<frameset cols =\"1, 2\">"},  // not the name "cols="
        {"<area coords=\"1, 2\"", "<area coords=\"1,2\""},
        {"<area coords=\"1, 2", "<area coords=\"1, 2"},
        // Compacting one name's value can make another name appear, which is then compacted.
        {"<x coords=\"ro ws=\" y=\"a b\">", "<x coords=\"rows=\"y=\"a b\">"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Spaces(row.input), row.expected);
    }
}

TEST_F(LayoutTest, KeywordListIsCompacted) {
    const Row rows[] = {
        {"<meta name=\"keywords\" content=\"a, b, c\">",
         "<meta name=\"keywords\" content=\"a,b,c\">"},
        {"<META NAME=\"Keywords\" CONTENT=\"a, b\">", "<META NAME=\"Keywords\" CONTENT=\"a,b\">"},
        // Only when the value's quote is close to "content=".
        {"<meta name=\"keywords\" content=x y=\"a, b\">",
         "<meta name=\"keywords\" content=x y=\"a, b\">"},
        // An empty value does not reach into the text after it.
        {"<meta name=\"keywords\" content=\"\"><p>Hello, world \"x\"",
         "<meta name=\"keywords\" content=\"\"><p>Hello, world \"x\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Spaces(row.input), row.expected);
    }
}

// ---------------------------------------------------------------------------------------
// Line ends, empty lines, joining and rewrapping

TEST_F(LayoutTest, LineEndConversionAndEmptyLines) {
    engine.run.lf_only = false;
    // A CR alone is a line end of its own: it becomes a LF instead of joining two lines.
    Text text = "a\r\n\r\n\r\nb\rc\r\n";
    ConvertLineEnds(engine, text);
    EXPECT_EQ(text, "a\n\n\nb\nc\n");
    EXPECT_TRUE(engine.run.lf_only);
    EXPECT_EQ(engine.stats.file[kSlotCRLFToLF], 4);

    RemoveEmptyLines(engine, text);
    EXPECT_EQ(text, "a\nb\nc\n");
    EXPECT_EQ(engine.stats.file[kSlotStripBlankLines], 2);

    engine.run.lf_only = false;
    text = "a\r\n\r\n\r\nb\n\n c \r\n \r\n";
    RemoveEmptyLines(engine, text);
    EXPECT_EQ(text, "a\r\nb\n\n c \r\n \r\n");  // a line holding spaces is not empty
}

TEST_F(LayoutTest, JoiningGluesLinesAfterTagsAndSpacesTheRest) {
    const Row rows[] = {
        {"<p>\nword\nnext\n", "<p>word next\n"},
        {"\nx", " x"},
        {"<td>\n\n\nx", "<td>x"},
        {"a\n\n<b>", "a  <b>"},
        {"a\n", "a\n"},
    };
    engine.options.WordWrap = 254;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Optimized(row.input), row.expected);
    }
    engine.run.lf_only = false;
    EXPECT_EQ(Optimized("<p>\r\nword\rx\r\nnext\r\n"), "<p>word x next\n");
}

// Breaks fall after a ">" or a space, never inside a tag name or a word.
TEST_F(LayoutTest, RewrapAtThirtyNeverBreaksInsideAWord) {
    engine.options.WordWrap = 30;
    const Text input =
        "<table><tr><td>Alpha beta gamma delta</td><td><a href=\"x.html\">Epsilon</a></td>"
        "</tr></table><p>zeta eta theta iota kappa lambda mu nu xi omicron pi rho";
    const Text out = Optimized(input);
    EXPECT_EQ(out,
              "<table><tr><td>Alpha beta\n"
              "gamma delta</td><td><a\n"
              "href=\"x.html\">Epsilon</a></td>\n"
              "</tr></table><p>zeta eta theta\n"
              "iota kappa lambda mu nu xi\n"
              "omicron pi rho");
    Text rejoined = out;
    JoinLines(engine, rejoined);
    EXPECT_NE(rejoined.find("Alpha beta gamma"), Text::npos);
}

TEST_F(LayoutTest, RewrapInCrLfDocumentsWritesCrLf) {
    engine.options.WordWrap = 30;
    engine.run.lf_only = false;
    EXPECT_EQ(Optimized("<p>one two three four five six seven eight nine ten\r\n"),
              "<p>one two three four five\r\nsix seven eight nine ten\n");
}

// Past the probe a space ahead is a break point even with no ">" ahead; with neither ahead
// the rest of the chunk stays one line.
TEST_F(LayoutTest, RewrapWithoutTagAhead) {
    engine.options.WordWrap = 30;
    const Text word(40, 'w');
    EXPECT_EQ(Optimized("x" + word + " tail end"), "x" + word + "\ntail end");
    EXPECT_EQ(Optimized("x" + word + word), "x" + word + word);
    EXPECT_EQ(Optimized("<p>" + word + word), "<p>\n" + word + word);
    EXPECT_EQ(Optimized("ab " + word + "<p>" + word), "ab\n" + word + "<p>\n" + word);
}

TEST_F(LayoutTest, StatisticsOfTheLinePasses) {
    engine.options.WordWrap = 30;
    Text text = "<p>\nalpha beta gamma delta epsilon zeta\n";
    SetWrapColumn(engine);
    JoinLines(engine, text);
    EXPECT_EQ(engine.stats.file[kSlotOptimizeLines], 1);
    RewrapText(engine, text);
    EXPECT_EQ(text, "<p>alpha beta gamma delta\nepsilon zeta\n");
    EXPECT_EQ(engine.stats.file[kSlotOptimizeLines], 1);  // one LF in, one space out
    Text spaced = "a  b";
    RemoveUnneededSpaces(engine, spaced);
    EXPECT_EQ(engine.stats.file[kSlotStripSpaces], 1);
    Text keywords = "<meta name=\"keywords\" content=\"a, b\">";
    RemoveUnneededSpaces(engine, keywords);
    EXPECT_EQ(engine.stats.file[kSlotStripSpaces], 1);  // keyword compaction records nothing
}

// ---------------------------------------------------------------------------------------
// Whole documents through the layout steps of the dispatcher

// The dispatcher's layout steps in their order: CR LF conversion early, then either joining,
// spaces and rewrapping, or spaces and empty lines.
Text RunLayoutSteps(Engine& engine, Text text) {
    const OptionBlock& o = engine.options;
    if (o.CRLFToLF) ConvertLineEnds(engine, text);
    if (o.OptimizeLines) {
        SetWrapColumn(engine);
        JoinLines(engine, text);
        if (o.StripSpaces) RemoveUnneededSpaces(engine, text);
        RewrapText(engine, text);
    } else {
        if (o.StripSpaces) RemoveUnneededSpaces(engine, text);
        if (o.StripBlankLines) RemoveEmptyLines(engine, text);
    }
    return text;
}

constexpr std::string_view kDocument =
    "<html>\n<head>\n  <title>Sample  page</title>\n</head>\n<body>\n"
    "<h1> Heading </h1>\n\n\n<p>  Some   text with <b>bold</b> <i>word</i>  \n"
    "and a <a href = \"x.html\">link</a>.</p>\n"
    "<table> <tr> <td> cell </td> </tr> </table>\n</body>\n</html>\n";

// Line ends stay, runs of spaces and empty lines go; the title keeps its double space.
constexpr std::string_view kSpacedDocument =
    "<html>\n<head>\n<title>Sample  page</title>\n</head>\n<body>\n"
    "<h1>Heading</h1>\n<p>Some text with <b>bold</b> <i>word</i>\n"
    "and a <a href =\"x.html\">link</a>.</p>\n"
    "<table><tr><td>cell</td></tr></table>\n</body>\n</html>\n";

// Joined and rewrapped at 40: each line ends after a ">" or at a space.
constexpr std::string_view kWrappedDocument =
    "<html><head><title>Sample  page</title>\n"
    "</head><body><h1>Heading</h1><p>Some\n"
    "text with <b>bold</b> <i>word</i> and a\n"
    "<a href =\"x.html\">link</a>.</p><table>\n"
    "<tr><td>cell</td></tr></table></body>\n"
    "</html>\n";

Text WithCrLf(std::string_view lf_text) {
    Text out;
    for (char c : lf_text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

TEST_F(LayoutTest, LfDocumentThroughEveryLayoutStep) {
    engine.options.StripSpaces = 1;
    engine.options.StripBlankLines = 1;
    EXPECT_EQ(RunLayoutSteps(engine, Text(kDocument)), kSpacedDocument);

    engine.options.OptimizeLines = 1;
    engine.options.WordWrap = 40;
    EXPECT_EQ(RunLayoutSteps(engine, Text(kDocument)), kWrappedDocument);
}

TEST_F(LayoutTest, CrLfDocumentThroughEveryLayoutStep) {
    engine.run.lf_only = false;
    engine.options.StripSpaces = 1;
    engine.options.StripBlankLines = 1;
    EXPECT_EQ(RunLayoutSteps(engine, WithCrLf(kDocument)), WithCrLf(kSpacedDocument));

    // Rewrapping writes CR LF pairs at one column less; joining has taken the old ones out.
    engine.options.OptimizeLines = 1;
    engine.options.WordWrap = 41;
    Text expected = WithCrLf(kWrappedDocument);
    expected.erase(expected.size() - 2, 1);  // the last line feed was never a CR LF break
    EXPECT_EQ(RunLayoutSteps(engine, WithCrLf(kDocument)), expected);

    // With CR LF conversion, everything after it writes line feeds only.
    engine.run.lf_only = false;
    engine.options.CRLFToLF = 1;
    engine.options.WordWrap = 40;
    const Text converted = RunLayoutSteps(engine, WithCrLf(kDocument));
    EXPECT_TRUE(engine.run.lf_only);
    EXPECT_EQ(converted.find('\r'), Text::npos);
    engine.run.lf_only = true;
    EXPECT_EQ(converted, RunLayoutSteps(engine, Text(kDocument)));
}

// ---------------------------------------------------------------------------------------
// The fast passes against plain in-place versions on random HTML-like chunks

// Space removal as its steps read, edited in place with the search primitives. The title
// copy goes back between the tags it was taken from: no step deletes anything but spaces,
// so those tags stay the same non-space bytes of the text.
int32_t NonSpacesBefore(const Text& text, int32_t pos) {
    int32_t count = 0;
    for (int32_t i = 1; i < pos; ++i)
        count += ByteAt(text, i) != ' ';
    return count;
}

int32_t NthNonSpace(const Text& text, int32_t n) {
    for (int32_t i = 1; i <= Len(text); ++i) {
        if (ByteAt(text, i) != ' ' && --n == 0) return i;
    }
    return 0;
}

bool LiteralInsideTag(const Text& text, int32_t pos) {
    if (pos <= 1) return false;
    return FindCharBack(text, '<', pos - 1) > FindCharBack(text, '>', pos - 1);
}

// Whether the "<" at `open` starts markup that a ">" ends: a letter, "/", "!" or "?" follows,
// or it is a whole placeholder or server-code marker pair.
bool LiteralStartsMarkup(const Text& t, int32_t open) {
    const unsigned char next = ByteAt(t, open + 1);
    if (std::isalpha(next) || next == '/' || next == '!' || next == '?') return true;
    if (next == '@') {
        return std::isalpha(ByteAt(t, open + 2)) && std::isalpha(ByteAt(t, open + 3)) &&
               std::isalpha(ByteAt(t, open + 4)) && ByteAt(t, open + 5) == '@' &&
               ByteAt(t, open + 6) == '>';
    }
    return next >= 0x80 && ByteAt(t, open + 2) >= 0x80 && ByteAt(t, open + 3) == '>';
}

// The "<" of the tag that the ">" at `gt` ends: the nearest "<" before it, with no other ">"
// between them, when it starts markup; 0 if there is none.
int32_t LiteralTagEndingAt(const Text& t, int32_t gt) {
    if (gt < 1 || ByteAt(t, gt) != '>') return 0;
    const int32_t open = FindCharBack(t, '<', gt);
    return open != 0 && FindChar(t, '>', open) == gt && LiteralStartsMarkup(t, open) ? open : 0;
}

// Whether white space beside the tag at `open` shows: the name after "<" or "</" up to white
// space, "/" or ">" is a text-level name or one neither table knows; everything else a "<"
// can start shows too (comments, markup, script and style placeholders, the server-code
// marker pair, a "<" that is text), except a placeholder of a preformatted block and the
// document type declaration.
bool LiteralInlineTag(const Text& t, int32_t open) {
    if (ByteAt(t, open) != '<') return false;
    const std::string after = t.substr(static_cast<size_t>(open - 1), 9);
    for (std::string_view block : {"<@PLA@>", "<@LIS@>", "<@XMP@>", "<@PRE@>"}) {
        if (after.compare(0, block.size(), block) == 0) return false;
    }
    std::string upper;
    for (char c : after)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.compare(0, 9, "<!DOCTYPE") == 0) return false;
    size_t i = static_cast<size_t>(open) + (ByteAt(t, open + 1) == '/' ? 1 : 0);
    if (i >= t.size() || !std::isalpha(static_cast<unsigned char>(t[i]))) return true;
    std::string name;
    while (i < t.size() && std::string_view(" \t\n\r\f/><").find(t[i]) == std::string_view::npos &&
           t[i] != '\0') {
        name += static_cast<char>(std::toupper(static_cast<unsigned char>(t[i++])));
    }
    return IsInlineElementName(name) || !IsBlockElementName(name);
}

// Server-code marker pairs ("<" + two bytes from 0x80 up + ">") ending at `gt` or starting at
// `lt`: white space beside them is never removed whole, nor put in.
bool LiteralMarkerEnds(const Text& t, int32_t gt) {
    return ByteAt(t, gt) == '>' && ByteAt(t, gt - 3) == '<' && ByteAt(t, gt - 1) >= 0x80 &&
           ByteAt(t, gt - 2) >= 0x80;
}
bool LiteralMarkerStarts(const Text& t, int32_t lt) {
    return ByteAt(t, lt) == '<' && ByteAt(t, lt + 1) >= 0x80 && ByteAt(t, lt + 2) >= 0x80 &&
           ByteAt(t, lt + 3) == '>';
}

// Whether a FONT, BIG, SMALL, TT or CODE element opened before `pos` is still open there.
bool LiteralFontOpen(const Text& t, int32_t pos) {
    std::map<std::string, int> open;
    int total = 0;
    for (int32_t p = 1; p < pos; ++p) {
        if (ByteAt(t, p) != '<') continue;
        const bool end = ByteAt(t, p + 1) == '/';
        std::string name;
        for (int32_t i = p + (end ? 2 : 1);
             i <= Len(t) && ByteAt(t, i) != 0 &&
             std::string_view(" \t\n\r\f/><").find(static_cast<char>(ByteAt(t, i))) ==
                 std::string_view::npos;
             ++i) {
            name += static_cast<char>(std::toupper(ByteAt(t, i)));
        }
        if (name != "FONT" && name != "BIG" && name != "SMALL" && name != "TT" && name != "CODE") {
            continue;
        }
        if (!end) {
            ++open[name];
            ++total;
        } else if (open[name] > 0) {
            --open[name];
            --total;
        }
    }
    return total > 0;
}

Text LiteralSpaces(Text t, bool lf_only, bool strip_closing_li) {
    const int32_t title = FindText(t, "<title>", -1);
    const int32_t title_end = title != 0 ? FindText(t, "</title>", -title) : 0;
    Text copy;
    if (title_end != 0) {
        copy = t.substr(static_cast<size_t>(title - 1), static_cast<size_t>(title_end - title));
        if (FindText(copy, "  ", 1) == 0) copy.clear();
    }
    ReplaceChar(t, '\t', ' ');
    const int32_t title_rank = NonSpacesBefore(t, title) + 1;
    const int32_t title_end_rank = NonSpacesBefore(t, title_end) + 1;
    ReplaceAllRepeat(t, "  ", " ");
    if (int32_t body = FindText(t, "<body", -1); body != 0) {
        Text piece = t.substr(0, static_cast<size_t>(body + 1));
        bool shorter = false;
        for (int32_t p = FindText(piece, "> <", 1); p != 0; p = FindText(piece, "> <", p + 2)) {
            if (LiteralMarkerEnds(piece, p) || LiteralMarkerStarts(piece, p + 2)) continue;
            DeleteAt(piece, p + 1, 1);
            shorter = true;
        }
        if (shorter) t = piece + t.substr(static_cast<size_t>(body + 1));
    }
    for (std::string_view name : {"coords=", "cols=", "rows="}) {
        const auto n = static_cast<int32_t>(name.size());
        int32_t m = FindText(t, name, -1);
        while (m != 0) {
            int32_t open = m + n;
            while (ByteAt(t, open) == ' ')
                ++open;
            if (ByteAt(t, open) != '"' || !LiteralInsideTag(t, m)) {
                m = FindText(t, name, -(m + n));
                continue;
            }
            const int32_t close = FindChar(t, '"', open + 1);
            if (close == 0) break;
            for (int32_t p = close - 1; p > open; --p) {
                if (ByteAt(t, p) == ' ') DeleteAt(t, p, 1);
            }
            m = FindText(t, name, -(open + n));
        }
    }
    ReplaceAllRepeat(t, "\n ", "\n");
    if (!lf_only && FindText(t, " \r\n", 1) != 0) ReplaceAllRepeat(t, " \r\n", "\r\n");
    ReplaceAllRepeat(t, " \n", "\n");
    for (int32_t p = FindText(t, " >", 1); p != 0;) {
        if (LiteralTagEndingAt(t, p + 1) != 0) {
            DeleteAt(t, p, 1);
            p = FindText(t, " >", std::max(1, p - 1));
        } else {
            p = FindText(t, " >", p + 1);
        }
    }
    for (int32_t p = FindText(t, "> <", 2); p != 0; p = FindText(t, "> <", p + 1)) {
        const int32_t open = LiteralTagEndingAt(t, p);
        if (open != 0 && ByteAt(t, open + 1) == '/' && !LiteralInlineTag(t, open) &&
            !LiteralFontOpen(t, p + 1) && !LiteralMarkerStarts(t, p + 2)) {
            DeleteAt(t, p + 1, 1);
        }
    }
    for (int32_t open = FindChar(t, '<', 1); open > 1;) {
        const int32_t close = FindChar(t, '>', open);
        if (close == 0) break;
        int32_t from = close - 1;
        if (ByteAt(t, open - 1) == ' ' && ByteAt(t, close + 1) == ' ' &&
            !LiteralInlineTag(t, open) && !LiteralFontOpen(t, open - 1) &&
            !LiteralMarkerEnds(t, open - 2)) {
            DeleteAt(t, open - 1, 1);
        }
        if (from <= open) from = open + 1;
        open = FindChar(t, '<', from);
    }
    struct Rule {
        std::string_view pattern;
        int rule;
        bool li;
    };
    const Rule rules[] = {
        {" <body", 1, false},        {"<body>", 3, false},
        {" </body", 1, false},       {"</body>", 2, false},
        {" <br", 1, false},          {"<br", 3, false},
        {" <h", 1, false},           {"<h", 3, false},
        {" </h", 1, false},          {"</h", 3, false},
        {" <frame", 1, false},       {"</frame", 3, false},
        {" <iframe", 1, false},      {"</iframe", 3, false},
        {" <p", 1, false},           {"<p", 3, false},
        {" </p", 1, false},          {"</p", 3, false},
        {" <li>", 1, true},          {"<li>", 2, true},
        {" <dt>", 1, true},          {"<dt>", 2, true},
        {" </li>", 1, true},         {"</li>", 2, true},
        {" </dt>", 1, true},         {"</dt>", 2, true},
        {" <blockquote>", 1, false}, {" </blockquote>", 1, false},
        {"</blockquote>", 2, false}, {" <center>", 1, false},
        {" </center>", 1, false},    {"</center>", 2, false},
        {" <t", 1, false},           {"<t", 3, false},
        {" </t", 1, false},          {"</t", 3, false},
    };
    for (const Rule& r : rules) {
        if (r.li && strip_closing_li) continue;
        const auto n = static_cast<int32_t>(r.pattern.size());
        for (int32_t p = FindText(t, r.pattern, -2); p != 0; p = FindText(t, r.pattern, -(p + 1))) {
            const int32_t tag = r.pattern[0] == ' ' ? p + 1 : p;
            if (LiteralInlineTag(t, tag) || LiteralFontOpen(t, tag)) continue;
            if (r.rule == 1 && !LiteralMarkerEnds(t, p - 1)) DeleteAt(t, p, 1);
            if (r.rule == 2 && ByteAt(t, p + n) == ' ' && !LiteralMarkerStarts(t, p + n + 1))
                DeleteAt(t, p + n, 1);
            if (r.rule == 3) {
                const int32_t close = FindChar(t, '>', p);
                if (close == 0) break;
                if (ByteAt(t, close + 1) == ' ' && !LiteralMarkerEnds(t, close) &&
                    !LiteralMarkerStarts(t, close + 2))
                    DeleteAt(t, close + 1, 1);
            }
        }
    }
    if (FindText(t, "= ", 1) != 0 || FindText(t, " =", 1) != 0) {
        for (int32_t p = FindText(t, "= ", 2); p != 0; p = FindText(t, "= ", p + 2)) {
            if (LiteralInsideTag(t, p) && !LiteralMarkerStarts(t, p + 2)) DeleteAt(t, p + 1, 1);
        }
    }
    if (!copy.empty()) {
        const int32_t start = NthNonSpace(t, title_rank);
        const int32_t end = NthNonSpace(t, title_end_rank);
        t.replace(static_cast<size_t>(start - 1), static_cast<size_t>(end - start), copy);
    }
    if (int32_t name = FindText(t, "name=\"keywords\"", -1); name != 0) {
        const int32_t content = FindText(t, "content=", -name);
        const int32_t open = content != 0 ? FindChar(t, '"', content) : 0;
        const int32_t close = open != 0 && open - content <= 10 ? FindChar(t, '"', open + 1) : 0;
        if (close != 0) {
            Text value = t.substr(static_cast<size_t>(open), static_cast<size_t>(close - open - 1));
            ReplaceAll(value, ", ", ",");
            t.replace(static_cast<size_t>(open), static_cast<size_t>(close - open - 1), value);
        }
    }
    return t;
}

Text LiteralJoin(Text t, bool lf_only) {
    if (!lf_only) {
        ReplaceAll(t, "\r\n", "\n");
        ReplaceChar(t, '\r', '\n');
    }
    int32_t lf = FindChar(t, '\n', 1);
    while (lf != 0 && lf != Len(t)) {
        const int32_t open = LiteralTagEndingAt(t, lf - 1);
        if (open != 0 && !LiteralInlineTag(t, open) && !LiteralFontOpen(t, lf) &&
            !LiteralMarkerStarts(t, lf + 1)) {
            DeleteAt(t, lf, 1);
            lf = FindChar(t, '\n', 1);
        } else {
            t[static_cast<size_t>(lf - 1)] = ' ';
            lf = FindChar(t, '\n', lf);
        }
    }
    return t;
}

// Which bytes (1-based, index 0 unused) lie inside a quoted attribute value: in a tag that
// starts markup other than "<!", a quote after "=" and white space opens one, the same quote
// closes it.
std::vector<bool> LiteralInsideValues(const Text& t) {
    std::vector<bool> inside(t.size() + 2, false);
    int32_t p = 1;
    while (p <= Len(t)) {
        if (ByteAt(t, p) != '<' || !LiteralStartsMarkup(t, p) || ByteAt(t, p + 1) == '!') {
            ++p;
            continue;
        }
        bool after_equals = false;
        for (++p; p <= Len(t) && ByteAt(t, p) != '>'; ++p) {
            const unsigned char c = ByteAt(t, p);
            if ((c == '"' || c == '\'') && after_equals) {
                int32_t q = p + 1;
                while (q <= Len(t) && ByteAt(t, q) != c)
                    inside[static_cast<size_t>(q++)] = true;
                p = q;
                after_equals = false;
                if (p > Len(t)) break;
            } else if (c == '=') {
                after_equals = true;
            } else if (!std::isspace(c)) {
                after_equals = false;
            }
        }
    }
    return inside;
}

// Rewrapping may break after a space, or after the ">" that ends a tag unless a text-level
// tag ends there and text or another such tag follows, or a font change is open; never
// inside a quoted attribute value.
bool LiteralBreakAfter(const Text& t, int32_t p, const std::vector<bool>& inside) {
    if (inside[static_cast<size_t>(p)]) return false;
    if (ByteAt(t, p) == ' ') return true;
    const int32_t open = LiteralTagEndingAt(t, p);
    if (open == 0 || LiteralFontOpen(t, p + 1)) return false;
    if (LiteralMarkerEnds(t, p) || LiteralMarkerStarts(t, p + 1)) return false;
    return !LiteralInlineTag(t, open) || (ByteAt(t, p + 1) == '<' && !LiteralInlineTag(t, p + 1));
}

Text LiteralRewrap(Text t, bool lf_only, int32_t width) {
    const std::string_view line_end = lf_only ? "\n" : "\r\n";
    int32_t line = 1;
    int32_t probe = width;
    std::vector<bool> inside = LiteralInsideValues(t);
    while (probe < Len(t)) {
        int32_t b = probe;
        while (b >= 1 && !LiteralBreakAfter(t, b, inside))
            --b;
        int32_t at = b;
        if (b <= line) {
            int32_t f = probe;
            while (f <= Len(t) && !LiteralBreakAfter(t, f, inside))
                ++f;
            if (f > Len(t)) break;
            at = f;
        }
        InsertAt(t, at + 1, line_end);
        inside.insert(inside.begin() + at + 1, line_end.size(), false);
        line = at + 2;
        probe = at + width + 2;
    }
    ReplaceAll(t, lf_only ? " \n" : " \r", lf_only ? "\n" : "\r");
    return t;
}

constexpr std::string_view kTokens[] = {
    " ",
    " ",
    " ",
    "  ",
    "\t",
    "\n",
    "\n",
    "\r\n",
    "\r",
    "x",
    "yz",
    "<",
    ">",
    ">",
    "/",
    "=",
    "= ",
    " =",
    "\"",
    ", ",
    "<b>",
    "</b>",
    "<p>",
    "</P>",
    "<t",
    "<tt>",
    "</tt>",
    "<TD>",
    "<br>",
    "<h1>",
    "</h1>",
    "<body>",
    "</body>",
    "<title>",
    "</TITLE>",
    "<li>",
    "</li>",
    "<dt>",
    "coords=",
    "ROWS=",
    "cols=",
    "<>",
    "< ",
    " >",
    "<center>",
    "</center>",
    " <frame",
    "</iframe",
    "<blockquote>",
    "name=\"keywords\"",
    "content=",
    "<html>",
    "<a href=\"x\">",
    "</a>",
    "<i>",
    "</I>",
    "<tt class=x>",
    "<textarea>",
    "</textarea>",
    "<font size=2>",
    "</font>",
    "<BIG>",
    "<pid>",
    "</cr>",
    "<\xFE\xFE>",
    "&lt;x>",
    "<td>",
    "</td>",
    "<table>",
    "<!-- c -->",
    "<!DOCTYPE html>",
    "<@PRE@>",
    "<@SCR@>",
    "<?x?>",
    "< b",
    "<3",
};

Text RandomChunk(std::mt19937& rng, int max_tokens) {
    std::uniform_int_distribution<int> count(0, max_tokens);
    std::uniform_int_distribution<size_t> pick(0, std::size(kTokens) - 1);
    Text text;
    for (int n = count(rng); n > 0; --n)
        text += kTokens[pick(rng)];
    return text;
}

TEST_F(LayoutTest, SpaceRemovalMatchesInPlaceVersion) {
    std::mt19937 rng(1);
    for (int round = 0; round < 6000; ++round) {
        const Text input = RandomChunk(rng, 40);
        const bool lf_only = round % 2 == 0;
        const bool strip_li = round % 3 == 0;
        SCOPED_TRACE(input);
        engine.run.lf_only = lf_only;
        engine.options.StripClosingLI = strip_li;
        ASSERT_EQ(Spaces(input), LiteralSpaces(input, lf_only, strip_li));
    }
}

TEST_F(LayoutTest, JoiningAndRewrappingMatchInPlaceVersions) {
    std::mt19937 rng(2);
    for (int round = 0; round < 6000; ++round) {
        const Text input = RandomChunk(rng, 60);
        const bool lf_only = round % 2 == 0;
        const auto width = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 40)(rng));
        SCOPED_TRACE(input);
        engine.run.lf_only = lf_only;
        engine.run.wrap_column = width;
        Text joined = input;
        JoinLines(engine, joined);
        ASSERT_EQ(joined, LiteralJoin(input, lf_only));
        Text wrapped = input;  // rewrapping also meets line ends it did not insert
        RewrapText(engine, wrapped);
        ASSERT_EQ(wrapped, LiteralRewrap(input, lf_only, width)) << "width " << width;
        Text collapsed = input;
        RemoveEmptyLines(engine, collapsed);
        Text literal = input;
        ReplaceAllRepeat(literal, lf_only ? "\n\n" : "\r\n\r\n", lf_only ? "\n" : "\r\n");
        ASSERT_EQ(collapsed, literal);
    }
}

// The passes look at sixteen bytes at a time and hand over only some places to look at
// closely, so these chunks are long enough for many such blocks, and the tokens are those
// that make places: spaces beside line ends, tags and "=", the names that end in "s=", and
// tags whose kind or font change is read. A chunk that starts with "<" has steps 11 and 13 of
// space removal done in one walk; one that does not, one by one.
constexpr std::string_view kPlaceTokens[] = {
    " ",
    " ",
    "  ",
    " \t",
    "\t",
    "\n",
    " \n ",
    " \r\n",
    "\r\n ",
    "< ",
    "</ ",
    " >",
    " <",
    "> <",
    "<p",
    "<P ",
    "</p>",
    "<br>",
    "<BR >",
    "<li>",
    "</LI>",
    "<dt>",
    "</dt>",
    "<tr>",
    "</TD>",
    "<td",
    "<th >",
    "<h2>",
    "</H2>",
    "<body>",
    "<BODY ",
    "</body>",
    "<frameset>",
    "</frame>",
    "<iframe>",
    "</IFRAME>",
    "<blockquote>",
    "</blockquote>",
    "<center>",
    "</CENTER>",
    "<title>",
    "</Title>",
    "<TiTlE>",
    "<font>",
    "</FONT>",
    "<code>",
    "</code >",
    "<small>",
    "<big>",
    "</tt>",
    "<TT>",
    "<b>",
    "</b>",
    "<a href=x>",
    "</a>",
    "<span>",
    "<img>",
    "<xyz>",
    "</xyz>",
    "<\xFE\xFE >",
    "<\xFE\xFE>",
    "<!-- x -->",
    "<>",
    "<<",
    ">>",
    "=",
    "= ",
    " = ",
    "a= ",
    "x",
    "word",
    "s=",
    "S= ",
    "cols=",
    "ROWS= ",
    "coords=\"",
    "\"",
    "\" ",
    "1, 2",
    "name=\"keywords\"",
    "NAME=\"Keywords\" content=\"",
    ", ",
    "`",
    "@",
    "co",
    "ro",
    "ws=",
    "ords=",
};

Text RandomPlaces(std::mt19937& rng, int max_tokens) {
    std::uniform_int_distribution<int> count(0, max_tokens);
    std::uniform_int_distribution<size_t> pick(0, std::size(kPlaceTokens) - 1);
    Text text;
    for (int n = count(rng); n > 0; --n)
        text += kPlaceTokens[pick(rng)];
    return text;
}

TEST_F(LayoutTest, LongChunksMatchInPlaceVersions) {
    std::mt19937 rng(3);
    for (int round = 0; round < 1500; ++round) {
        Text input = RandomPlaces(rng, 250);
        if (round % 4 == 1) input = "<p>" + input;
        if (round % 4 == 2) input = " " + input;
        const bool lf_only = round % 2 == 0;
        const bool strip_li = round % 3 == 0;
        const auto width = static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 120)(rng));
        SCOPED_TRACE(input);
        engine.run.lf_only = lf_only;
        engine.options.StripClosingLI = strip_li;
        engine.run.wrap_column = width;
        ASSERT_EQ(Spaces(input), LiteralSpaces(input, lf_only, strip_li));
        Text joined = input;
        JoinLines(engine, joined);
        ASSERT_EQ(joined, LiteralJoin(input, lf_only));
        Text wrapped = input;
        RewrapText(engine, wrapped);
        ASSERT_EQ(wrapped, LiteralRewrap(input, lf_only, width)) << "width " << width;
    }
}

Text Repeat(std::string_view unit, size_t times) {
    Text out;
    for (size_t i = 0; i < times; ++i)
        out += unit;
    return out;
}

// Chunks that would send a walk back or ahead over the same bytes again and again, or that
// give it nothing to stop at, come out as the in-place versions give them.
TEST_F(LayoutTest, PathologicalChunksMatchInPlaceVersions) {
    const Text inputs[] = {
        Repeat("<p", 600),                   // no ">" at all
        Repeat("a > ", 600),                 // only ">" that end no tag
        " " + Repeat("x = ", 500),           // "= " outside every tag
        "<x " + Repeat("a= = ", 400) + ">",  // "= " behind "= "
        Repeat(" \t ", 700),                 // one run of blanks
        Repeat("\n \n", 600),                // spaces between line ends
        Repeat("\r\n \r\n", 400),
        "<font size=2>" + Repeat("<p> a </p> \n", 150),  // a font change never closed
        Repeat("<tt>", 200) + Repeat("</tt> <p> x", 200),
        Text(2500, 'w') + " w",   // no break point for a long way
        Repeat("<b>x</b>", 300),  // a run of text-level tags
        Repeat("<>", 800),
        Repeat("< ", 800),
        " " + Repeat("<a<>", 400) + " y",  // step 12 visiting the "<" before ">"
        " " + Repeat("<p> x <p> ", 200),
        Repeat("cols=\"1 2\" ", 200),
        "<x rows=" + Repeat("\"a b\" ", 200),
        "<title>a  b</title>" + Repeat(" <td> c ", 200),
    };
    for (const Text& input : inputs) {
        SCOPED_TRACE(input.substr(0, 40));
        for (const bool lf_only : {true, false}) {
            engine.run.lf_only = lf_only;
            for (const bool strip_li : {false, true}) {
                engine.options.StripClosingLI = strip_li;
                ASSERT_EQ(Spaces(input), LiteralSpaces(input, lf_only, strip_li));
            }
            Text joined = input;
            JoinLines(engine, joined);
            ASSERT_EQ(joined, LiteralJoin(input, lf_only));
            for (const uint16_t width : {1, 30, 254}) {
                engine.run.wrap_column = width;
                Text wrapped = input;
                RewrapText(engine, wrapped);
                ASSERT_EQ(wrapped, LiteralRewrap(input, lf_only, width)) << "width " << width;
            }
        }
    }
}

// A 64 KB chunk of 2000 short lines goes through the line passes like any other; the
// benchmark shows the cost stays linear.
TEST_F(LayoutTest, LongChunkOfShortLines) {
    Text chunk;
    while (chunk.size() < 64000)
        chunk += "<li>item  number " + std::to_string(chunk.size()) + "\n";
    engine.options.WordWrap = 80;
    engine.options.StripSpaces = 1;
    engine.options.OptimizeLines = 1;
    const Text out = RunLayoutSteps(engine, chunk);
    EXPECT_EQ(out, LiteralRewrap(LiteralSpaces(LiteralJoin(chunk, true), true, false), true, 80));
}

}  // namespace
}  // namespace tsqz
