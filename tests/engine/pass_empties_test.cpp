// Empty and redundant tag removal: the rules by example, the mended cases, and the pass
// against the plain loops on random, truncated and real markup.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run/engine.h"
#include "engine/passes/passes.h"
#include "engine/run/pipeline.h"
#include "pass_empties_literal.h"
#include "support/test_support.h"

namespace tsqz {
namespace {

struct Row {
    std::string_view input;
    std::string_view expected;
};

struct Settings {
    bool lf_only = true;
    bool strip_quotes = false;
};

Text Run(std::string_view input, Settings settings = {}) {
    Engine engine;
    engine.run.lf_only = settings.lf_only;
    engine.options.StripQuotes = settings.strip_quotes;
    Text text(input);
    RemoveEmptyTags(engine, text);
    return text;
}

Text RunLiteral(std::string_view input, Settings settings = {}) {
    Engine engine;
    engine.run.lf_only = settings.lf_only;
    engine.options.StripQuotes = settings.strip_quotes;
    Text text(input);
    literal::RemoveEmptyTags(engine, text);
    return text;
}

void ExpectRows(const std::vector<Row>& rows, Settings settings = {}) {
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "input: " << row.input);
        EXPECT_EQ(Run(row.input, settings), row.expected);
        EXPECT_EQ(RunLiteral(row.input, settings), row.expected);
    }
}

// A zero border goes from an image that is not a link; any other value, or a link, keeps it.
TEST(EmptyTagsTest, ZeroImageBorders) {
    ExpectRows({
        {"<a href=x><img src=y border=0></a>", "<a href=x><img src=y border=0></a>"},
        {"<img src=y border=0>", "<img src=y >"},
        {"<img src=y border=10>", "<img src=y border=10>"},
        {"<img src=y border=\"0\">", "<img src=y >"},
        {"<A HREF=x><IMG SRC=y BORDER=0></A>", "<A HREF=x><IMG SRC=y BORDER=0></A>"},
        {"<a href=x>link</a><img src=y border=0>", "<a href=x>link</a><img src=y >"},
        {"<a\nhref=x><img src=y border=0></a>", "<a\nhref=x><img src=y border=0></a>"},
        // The first "border=" after the first image lies in the second one.
        {"<img src=y><img border=0>", "<img src=y><img >"},
    });
}

// In a CR LF document an anchor broken after "<a" by CR counts, and by LF when there is no CR
// form; an LF-only document knows only the LF form. The border rows of the attribute list
// follow the same rule, so they do not take from a linked image what the image rule kept.
TEST(EmptyTagsTest, LinksBrokenAcrossLines) {
    const Settings crlf{false, false};
    ExpectRows(
        {{"<a\r\nhref=x><img border=0></a>", "<a\r\nhref=x><img border=0></a>"},
         {"<a\nhref=x><img border=0></a>", "<a\nhref=x><img border=0></a>"},
         {"<img><a\r\nhref=x><table border=0></a>", "<img><a\r\nhref=x><table border=0></a>"}},
        crlf);
    ExpectRows({{"<a\rhref=x><img border=0></a>", "<a\rhref=x><img ></a>"},
                {"<img><a\nhref=x><table border=0></a>", "<img><a\nhref=x><table border=0></a>"},
                {"<img><a\rhref=x><table border=0></a>", "<img><a\rhref=x><table></a>"}});
}

// Empty FONT elements go (tags and whitespace inside do not count as text). Elements holding
// text stay, also beside an equal one: merging them would draw the space between them in
// their size, or leave a font open across paragraphs and links, and the page would look
// different.
TEST(EmptyTagsTest, FontElements) {
    ExpectRows({
        {"<font size=2></font>", ""},
        {"<font size=2> </font>", " "},
        {"<font color=red></font>", ""},
        {"<font size=1><img src=x></font>", "<img src=x>"},
        {"<font size=2>a</font> <font SIZE=2>b</font>",
         "<font size=2>a</font> <font SIZE=2>b</font>"},
        {"<font size=2>a</font><font size=2>b</font>",
         "<font size=2>a</font><font size=2>b</font>"},
        {"<font size=2>a</font><p><font size=2>b</font>",
         "<font size=2>a</font><p><font size=2>b</font>"},
        {"<font size=2>a</font><font size=2></font>b", "<font size=2>a</font>b"},
        {"<font size=2>\n<a href=x>\n</a></font>", "\n<a href=x>\n</a>"},
        {"<font size=2><b></b></font>", ""},
    });
}

// Phrase elements without attributes: empty ones go, bare anchors go. Neighbours holding text
// are not merged: the browser would draw them as one run (glyphs move, a space between them
// turns bold).
TEST(EmptyTagsTest, PhraseElements) {
    ExpectRows({
        {"<b>one</b> <b>two</b>", "<b>one</b> <b>two</b>"},
        {"<i> <br> </i>", " <br> "},
        {"<em></em>", ""},
        {"<b>x</b><b>y</b>", "<b>x</b><b>y</b>"},
        {"<b>x</b><b></b><b>z</b>", "<b>x</b><b>z</b>"},
        {"<b>x</b>y<b>z</b>", "<b>x</b>y<b>z</b>"},
        {"<b class=x></b>", "<b class=x></b>"},
        {"<strong><em></em></strong>", ""},
        {"<a>text</a>", "text"},
        {"<tt><a href=x></a></tt>", "<a href=x></a>"},
        // Start tags that a removal joins, later in the same cycle and in the next one.
        {"<sm<b></b>all></small>x", "x"},
        {"<e<b></b>m></em>x", "x"},
        {"<a>text</a><s<a>up></sup>", "text"},
    });
}

// Default settings go from inside tags; the CENTER rule and the image-and-link rule.
TEST(EmptyTagsTest, DefaultAttributes) {
    ExpectRows({
        {"<img src=a height=100%>", "<img src=a >"},
        {"<img vspace=0 hspace=0 src=a>", "<img   src=a>"},
        {"<img alt=\"\" src=a>", "<img alt=\"\" src=a>"},  // an empty ALT text stays
        {"<img alt=\" \">", "<img alt=\" \">"},
        {"<img height=\"100%\" vspace=\"0\">", "<img  >"},
        {"<center><p align=\"left\"></center><p align=\"left\">",
         "<center><p align=\"left\"></center><p >"},
        {"<table width = \"100%\">", "<table >"},
        {"<table border=0><img src=a border=0><table border=0>",
         "<table border=0><img src=a ><table border=0>"},
        {"<img src=a><table border=0>", "<img src=a><table>"},
        {"<img src=a><table border=\"0\">", "<img src=a><table>"},
        {"<img src=a><a href=x><table border=0></a>", "<img src=a><a href=x><table border=0></a>"},
    });
}

// Tags and settings in any mix of cases; names that begin alike stay apart.
TEST(EmptyTagsTest, AnyCaseAndNamesThatBeginAlike) {
    ExpectRows({
        {"<FoNt Size=2></fOnT>x", "x"},
        {"<ADDRESS>\n</Address>", "\n"},
        {"<Blink><BR></bLiNk><BIG>b</BIG>", "<BR><BIG>b</BIG>"},
        {"<StRoNg>a</sTrOnG><strike></STRIKE>", "<StRoNg>a</sTrOnG>"},
        {"<SUB></sup><SUP></SUB>", "</sup><SUP>"},
        {"<A>x</A>", "x"},
        {"<IMG SRC=a BORDER=0 VSPACE=0 ALT=\"\">", "<IMG SRC=a   ALT=\"\">"},
        {"<Img><TABLE BORDER=0>", "<Img><TABLE>"},
    });
}

// With quote removal on, the quoted forms are not looked for.
TEST(EmptyTagsTest, QuotedFormsSkippedAfterQuoteRemoval) {
    const Settings quotes_removed{true, true};
    ExpectRows(
        {
            {"<img height=\"100%\" vspace=\"0\" hspace=\"0\">",
             "<img height=\"100%\" vspace=\"0\" hspace=\"0\">"},
            {"<p align=\"left\">", "<p align=\"left\">"},
            {"<img src=a><table border=\"0\">", "<img src=a><table border=\"0\">"},
            {"<img src=a height=100% alt=\"\">", "<img src=a  alt=\"\">"},
        },
        quotes_removed);
}

// A setting goes only as a whole attribute inside a tag: no digits cut off a value, no
// visible text changed, no quote of a neighbouring value taken, no partial attribute name.
TEST(EmptyTagsTest, OnlyWholeAttributesInsideTags) {
    ExpectRows({
        {"<img src=a><table border=05>", "<img src=a><table border=05>"},
        {"<img src=y border=05>", "<img src=y border=05>"},
        {"<img vspace=05>", "<img vspace=05>"},
        {"<p>align=\"left\"</p>", "<p>align=\"left\"</p>"},
        {"<p>a height=100% b</p>", "<p>a height=100% b</p>"},
        {"<img src=a><p>see border=0 here</p>", "<img src=a><p>see border=0 here</p>"},
        {"<td class=\"x\"width=\"100%\">", "<td class=\"x\"width=\"100%\">"},
        {"<img src=a xvspace=0>", "<img src=a xvspace=0>"},
        {"<img vspace=0/>", "<img />"},
        {"<img\nvspace=0\n>", "<img\n\n>"},
    });
}

// Tags without their ">" in the copies are text, so every stripping ends; an end tag inside
// an unclosed FONT start tag ends the FONT cleanup instead of cutting into the text after it.
TEST(EmptyTagsTest, UnclosedTagsEndEveryLoop) {
    ExpectRows({
        {"<font size=2><img src=x</font>", "<font size=2><img src=x</font>"},
        {"<font size=2><a href</font>x<font size=3>", "<font size=2><a href</font>x<font size=3>"},
        {"<font size=2>a</font><p class=x<font size=2>b</font>",
         "<font size=2>a</font><p class=x<font size=2>b</font>"},
        {"<font size=2>a</font><font x<font size=2>b</font>",
         "<font size=2>a</font><font x<font size=2>b</font>"},
        {"<b><</b>", "<b><</b>"},
        {"<b>x</b><i y<b>z</b>", "<b>x</b><i y<b>z</b>"},
        {"<font color=red</font>visible text", "<font color=red</font>visible text"},
    });
}

// The copies squeeze CR only when the document has CR LF line ends, and the line-end forms of
// IMG and A tags follow the document's line end.
TEST(EmptyTagsTest, LineEndOfTheDocument) {
    const Settings crlf{false, false};
    ExpectRows({{"<font size=2>\r</font>", "<font size=2>\r</font>"},
                {"<font size=2><img\rsrc=x></font>", "<font size=2><img\rsrc=x></font>"},
                {"<font size=2><img\nsrc=x></font>", "<img\nsrc=x>"}});
    ExpectRows({{"<font size=2>\r\n</font>", "\r\n"},
                {"<font size=2><img\rsrc=x></font>", "<img\rsrc=x>"},
                {"<font size=2><img\nsrc=x></font>", "<font size=2><img\nsrc=x></font>"}},
               crlf);
}

int g_pumps = 0;
void CountPump() { ++g_pumps; }

// Each cycle pumps once per phrase name; nested empty elements take a cycle per FONT level.
TEST(EmptyTagsTest, CyclesAndMessagePump) {
    struct Case {
        std::string_view input;
        int cycles;
    };
    const Case cases[] = {{"plain text", 1},
                          {"<em></em>text", 2},
                          // A start tag joined by a removal is cleaned in the same cycle
                          // when its name comes later.
                          {"<small<b></b>></small>x", 2},
                          {"<s<b></b>mall></small>x", 2},
                          {"<font size=2><b></b></font>", 3},
                          {"<font a><font b><font c></font></font></font><font d>", 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        Engine engine;
        engine.run.lf_only = true;
        engine.hooks.pump = CountPump;
        g_pumps = 0;
        Text text(c.input);
        RemoveEmptyTags(engine, text);
        EXPECT_EQ(g_pumps, 19 * c.cycles);
    }
}

// The bytes removed are added to the pass's slot, and only while statistics are on.
TEST(EmptyTagsTest, SavingsInItsSlot) {
    Engine engine;
    engine.run.lf_only = true;
    Text text = "<font size=2></font>x<em></em>";
    RemoveEmptyTags(engine, text);
    EXPECT_EQ(engine.stats.file[kSlotStripEmpties], 0);

    engine.stats.on = true;
    text = "<font size=2></font>x<em></em>";
    RemoveEmptyTags(engine, text);
    RemoveEmptyTags(engine, text);
    EXPECT_EQ(text, "x");
    EXPECT_EQ(engine.stats.file[kSlotStripEmpties], 29);
}

// Random markup from a small alphabet of the pieces the loops look for.
std::string RandomMarkup(std::mt19937& rng, int pieces) {
    // clang-format off
    static const std::vector<std::string> kPieces = {
        "<font", "<font size=2>", "<FONT SIZE=2>", "<font size=3>", "</font>", "<font ",
        "<b>", "</b>", "<i>", "</i>", "<em>", "</em>", "<B>", "</B>", "<tt>", "</tt>", "<u>",
        "</u>", "<strong>", "</strong>", "<cite>", "</cite>", "<a>", "</a>", "<a href=x>",
        "<a\n", "<a\r", "<a ", "<img", "<img src=y", "<img\n", "<img\r", " border=0",
        "border=\"0\"", "border=0", " border=\"0\"", "<p>", "</p>", "<p", "<br>", "<br ",
        "<br clear=all>", "<center>", "</center>", " align=\"left\"", " width = \"100%\"",
        " height=100%", " vspace=0", " hspace=\"0\"", " alt=\"\"", " alt=\" \"",
        "\"width=\"100%\"", "<table border=0>", "<", ">", "/", "<b", "b>", "</", "\"", "=",
        "0", " ", " ", "\n", "\r\n", "\r", "x", "y", "a", "f", "g", "\t",
    };
    // clang-format on
    std::uniform_int_distribution<size_t> pick(0, kPieces.size() - 1);
    std::string s;
    for (int k = 0; k < pieces; ++k) {
        s += kPieces[pick(rng)];
    }
    return s;
}

void ExpectSameAsLiteral(const std::string& input, Settings settings) {
    const Text fast = Run(input, settings);
    const Text plain = RunLiteral(input, settings);
    ASSERT_EQ(fast, plain) << "input: " << ::testing::PrintToString(input)
                           << " lf_only=" << settings.lf_only
                           << " strip_quotes=" << settings.strip_quotes;
    ASSERT_LE(fast.size(), input.size());
}

// The pass equals the plain loops and never grows the text, on short and longer inputs.
TEST(EmptyTagsTest, SameAsPlainLoopsOnRandomMarkup) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 30000; ++round) {
        const std::string input = RandomMarkup(rng, length(rng));
        ExpectSameAsLiteral(input, Settings{(round & 1) != 0, (round & 2) != 0});
    }
    for (int round = 0; round < 300; ++round) {
        const std::string input = RandomMarkup(rng, 600);
        ExpectSameAsLiteral(input, Settings{(round & 1) != 0, (round & 2) != 0});
    }
}

// Default attributes crowded with "=" bytes: the attribute searches start from the places of
// "=", so runs of "=" and attributes written back to back must not hide a match.
TEST(EmptyTagsTest, SameAsPlainLoopsOnCrowdedAttributes) {
    // clang-format off
    static const std::vector<std::string> kPieces = {
        "=", "==", " ", "<img ", "<td ", "<p ", ">", "\"", "0", "100%", "height", "vspace",
        "height=100%", " border=0", "border=\"0\"", "vspace=0", "hspace=\"0\"", " alt=\"\"",
        "width = \"100%\"", "align=\"left\"", "<center>", "</center>", "<a href=x>", "</a>"};
    // clang-format on
    std::mt19937 rng(31);
    std::uniform_int_distribution<size_t> pick(0, kPieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 30);
    for (int round = 0; round < 20000; ++round) {
        std::string input;
        for (int k = length(rng); k > 0; --k)
            input += kPieces[pick(rng)];
        ExpectSameAsLiteral(input, Settings{(round & 1) != 0, (round & 2) != 0});
    }
}

// Random nested elements: FONT and phrase elements inside each other with text, whitespace,
// non-text tags and empty parts, sometimes damaged, often with a FONT tag after them, so
// that the cleanup needs many cycles.
std::string RandomNest(std::mt19937& rng, int depth) {
    static const std::vector<std::pair<std::string, std::string>> kElements = {
        {"<font size=2>", "</font>"},
        {"<FONT SIZE=2>", "</font>"},
        {"<font size=3>", "</font>"},
        {"<font  size=2>", "</FONT>"},
        {"<font color=red>", "</font>"},
        {"<b>", "</b>"},
        {"<i>", "</i>"},
        {"<em>", "</em>"},
        {"<tt>", "</tt>"},
        {"<a>", "</a>"},
        {"<a href=x>", "</a>"},
        {"<strong>", "</strong>"}};
    static const std::vector<std::string> kLeaves = {
        "x",    " ",           "\n",   "\r\n",           "",
        "",     "<img src=y>", "<br>", "<br clear=all>", "<p>",
        "</p>", "<a href=x>",  "</a>", "<img\nsrc=y>",   "<p class=x",
        "<"};
    std::uniform_int_distribution<int> percent(0, 99);
    std::string s;
    const int siblings = percent(rng) % 3 + 1;
    for (int k = 0; k < siblings; ++k) {
        if (depth > 0 && percent(rng) < 70) {
            const auto& element = kElements[static_cast<size_t>(percent(rng)) % kElements.size()];
            s += element.first + RandomNest(rng, depth - 1);
            if (percent(rng) < 95) s += element.second;
        } else {
            s += kLeaves[static_cast<size_t>(percent(rng)) % kLeaves.size()];
        }
    }
    return s;
}

TEST(EmptyTagsTest, SameAsPlainLoopsOnNestedElements) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> percent(0, 99);
    for (int round = 0; round < 4000; ++round) {
        std::string input = RandomNest(rng, 2 + round % 7);
        if (percent(rng) < 60) input += "<font size=4>";
        if (percent(rng) < 20 && !input.empty()) {
            input.erase(static_cast<size_t>(percent(rng)) % input.size(), 1);
        }
        ExpectSameAsLiteral(input, Settings{(round & 1) != 0, (round & 2) != 0});
    }
}

// Every prefix of a page made of the examples ends, never grows, and equals the plain loops.
TEST(EmptyTagsTest, TruncatedMarkup) {
    const std::string page =
        "<html><body><center><p align=\"left\"><img src=a border=0 vspace=0></center>\r\n"
        "<font size=2>a</font>\r\n<font SIZE=2>b<img\rsrc=y border=\"0\"></font>"
        "<a href=x><img src=y border=0><table border=0></a><a>bare</a>"
        "<b>one</b> <b>two</b><i> <br> </i><em></em><font size=2><b></b></font>"
        "<font size=2>a</font><br clear=all><font size=2>b</font><td class=\"x\"width=\"100%\">"
        "<p>align=\"left\" height=100%</p><img alt=\"\" height=\"100%\"></body></html>";
    for (size_t n = 0; n <= page.size(); ++n) {
        for (const Settings settings : {Settings{false, false}, Settings{true, true}}) {
            ExpectSameAsLiteral(page.substr(0, n), settings);
        }
    }
}

// Pages like real ones: FONT and phrase elements that nearly all hold text, in either case,
// beside tags of every other kind, so that the first cleanup cycle mostly removes nothing
// and, when it does, only at one late place (an empty element, a bare anchor, an element
// holding only tags, one whose end tag is missing).
std::string RandomPage(std::mt19937& rng) {
    // clang-format off
    static const std::vector<std::pair<std::string, std::string>> kElements = {
        {"<font size=2>", "</font>"}, {"<FONT color=red>", "</FONT>"}, {"<font", "</font>"},
        {"<b>", "</b>"}, {"<B>", "</b>"}, {"<i>", "</I>"}, {"<em>", "</em>"},
        {"<tt>", "</tt>"}, {"<code>", "</code>"}, {"<strong>", "</strong>"},
        {"<address>", "</address>"}, {"<u>", "</u>"}, {"<big>", "</big>"},
        {"<a href=x>", "</a>"}, {"<span>", "</span>"}, {"<b class=x>", "</b>"}};
    static const std::vector<std::string> kInside = {
        "text", "x", " y ", "\n", "\r\n", "<img src=y>", "<img\nsrc=y>", "<br>", "<br clear=all>",
        "<p>", "</p>", "<a href=x>", "</a>", "<div>", "</div>", "<", ">", "<!-- c -->", "\t",
        " ", "<img src=y border=0>", "<td vspace=0 alt=\"\">", "<center>", "</center>",
        "<p align=\"left\">", "<table border=\"0\" width = \"100%\">"};
    static const std::vector<std::string> kRare = {
        "<b></b>", "<a>", "</a>", "<font size=1></font>", "<i> <br> </i>", "<em>", "</em>",
        "<font size=3><img src=y></font>", "<tt>\n</tt>", "<FONT>", "</FONT>"};
    // clang-format on
    std::uniform_int_distribution<int> percent(0, 99);
    const auto pick = [&](const auto& list) {
        return list[static_cast<size_t>(percent(rng)) % list.size()];
    };
    std::string page;
    const int pieces = percent(rng) % 60 + 1;
    int open = 0;
    std::vector<std::string> ends;
    for (int k = 0; k < pieces; ++k) {
        const int roll = percent(rng);
        if (roll < 30 && open < 8) {
            const auto& element = pick(kElements);
            page += element.first;
            ends.push_back(element.second);
            ++open;
            page += pick(kInside);
            page += "word";
        } else if (roll < 55 && open > 0) {
            page += ends.back();
            ends.pop_back();
            --open;
        } else if (roll < 57) {
            page += pick(kRare);
        } else {
            page += pick(kInside);
        }
    }
    while (!ends.empty() && percent(rng) < 90) {
        page += ends.back();
        ends.pop_back();
    }
    return page;
}

// The pass equals the plain loops on such pages, both where it finds that nothing needs
// cleaning and where it does not.
TEST(EmptyTagsTest, SameAsPlainLoopsOnPagesThatMostlyKeepTheirTags) {
    std::mt19937 rng(99);
    int unchanged = 0;
    const int rounds = 20000;
    for (int round = 0; round < rounds; ++round) {
        const std::string input = RandomPage(rng);
        const Settings settings{(round & 1) != 0, (round & 2) != 0};
        ExpectSameAsLiteral(input, settings);
        Engine engine;
        Text text = input;
        const char line_end = settings.lf_only ? '\n' : '\r';
        literal::ZeroBorders(text, line_end);
        if (literal::FontCleanup(text, settings.lf_only, line_end) == 0 &&
            literal::PhraseCleanup(engine, text, settings.lf_only) == 0) {
            ++unchanged;
        }
    }
    // Both kinds of page came up often: a first cleanup cycle that removes nothing, and one
    // that removes something.
    EXPECT_GT(unchanged, rounds / 5);
    EXPECT_LT(unchanged, rounds * 4 / 5);
}

// What the cleanup removes joins the text around it, which can complete an attribute setting
// that the chunk did not hold before; a setting at the very end or start of the chunk.
TEST(EmptyTagsTest, SettingsCompletedByTheCleanup) {
    ExpectRows({
        {"<img he<b></b>ight=100% src=a>", "<img  src=a>"},
        {"<img src=a><table bor<font size=2></font>der=0>", "<img src=a><table>"},
        {"<td v<em></em>space=0>", "<td >"},
        {"<img src=a><p al<a>ign=\"left\"></a>", "<img src=a><p >"},
        {"<img vspace=0", "<img vspace=0"},
        {"=0>", "=0>"},
        {"<img src=a border=", "<img src=a border="},
    });
}

// Deep nesting of elements that hold text only after many tags, and elements so long that
// their content is not copied: each way through equals the plain loops.
TEST(EmptyTagsTest, SameAsPlainLoopsOnDeepTagsOnlyPrefixes) {
    for (const int depth : {10, 60, 200}) {
        for (const std::string prefix : {"<br clear=all>", "<img src=y>\n", "<b>", "<a href=x>"}) {
            std::string input;
            for (int k = 0; k < depth; ++k) {
                input += (k % 3 == 0 ? "<FONT size=2>" : "<font size=3>") + prefix;
            }
            input += "text";
            for (int k = 0; k < depth; ++k) {
                input += "</font>";
            }
            SCOPED_TRACE(::testing::Message() << depth << " " << prefix);
            ExpectSameAsLiteral(input, Settings{true, false});
            ExpectSameAsLiteral(input + "<font size=4>", Settings{false, false});
        }
    }
    std::string long_content = "<font size=2>";
    for (int k = 0; k < 600; ++k) {
        long_content += "<br clear=all>\n";
    }
    ExpectSameAsLiteral(long_content + "x</font><font size=2>", Settings{true, false});
    ExpectSameAsLiteral(long_content + "</font><font size=2>", Settings{true, false});
}

// Long runs that make the plain loops rescan: deep nesting, long merge chains, many images.
TEST(EmptyTagsTest, SameAsPlainLoopsOnLongRuns) {
    std::string nested, chain, images, anchors;
    for (int k = 0; k < 300; ++k) {
        nested += "<font size=" + std::to_string(k % 7) + "><b>";
        chain += "<b>x</b> <font size=2>y</font><br clear=all>";
        images += "<img src=y border=0 vspace=0>text ";
        anchors += "<<a>a>";
    }
    nested += "text";
    for (int k = 0; k < 300; ++k) {
        nested += "</b></font>";
    }
    nested += "<font size=9>";
    for (int k = 0; k < 300; ++k) {
        anchors += "</a>";
    }
    for (const std::string& input : {nested, chain, images, anchors}) {
        ExpectSameAsLiteral(input, Settings{true, false});
    }
}

// Real pages, in slices the size of a chunk.
TEST(EmptyTagsTest, SameAsPlainLoopsOnCorpusPages) {
    const std::string dir = test::SharedDir();
    if (dir.empty()) GTEST_SKIP() << "no shared corpus";
    const char* const pages[] = {"corpus/legacy/lg34-musings.html",
                                 "corpus/legacy/lg29-coldiron.html",
                                 "corpus/legacy/tidy-case-588061.html",
                                 "corpus/legacy/lg06-lg_issue6.html", "corpus/tdw-bbc.html"};
    int checked = 0;
    for (const char* name : pages) {
        const std::string path = dir + "/" + name;
        if (!std::filesystem::exists(path)) continue;
        const std::string page = test::ReadFile(path);
        for (size_t at = 0; at < page.size(); at += 65535) {
            SCOPED_TRACE(name);
            const std::string chunk = page.substr(at, 65535);
            ExpectSameAsLiteral(chunk, Settings{chunk.find("\r\n") == std::string::npos, false});
            ++checked;
        }
    }
    if (checked == 0) GTEST_SKIP() << "corpus pages missing";
}

// Through the pipeline: every chunk of a document is cleaned on its own, twice (before and
// after the font pass), and the slot holds the whole document's savings.
TEST(EmptyTagsTest, DocumentOfSeveralChunks) {
    std::string document = "<HTML><BODY>";
    const std::string block = "<P><font size=2></font>Text <b>one</b> <b>two</b><em></em>\n";
    while (document.size() < 200000) {
        document += block;
    }
    document += "</BODY></HTML>";

    Engine engine;
    engine.options.StripEmpties = 1;
    engine.stats.on = true;
    RunOutcome outcome;
    ASSERT_EQ(RunPipeline(engine, document, "doc", "doc", outcome), 0);
    ASSERT_TRUE(outcome.completed);

    std::string expected = "<HTML><BODY>";
    const size_t blocks = (document.size() - expected.size() - 14) / block.size();
    for (size_t k = 0; k < blocks; ++k) {
        expected += "<P>Text <b>one</b> <b>two</b>\n";
    }
    expected += "</BODY></HTML>";
    EXPECT_EQ(outcome.document, expected);
    EXPECT_EQ(engine.stats.file[kSlotStripEmpties],
              static_cast<int32_t>(document.size() - expected.size()));
}

}  // namespace
}  // namespace tsqz
