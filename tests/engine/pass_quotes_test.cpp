// Attribute quote removal: the rules of the attribute list, the values that keep their
// quotes, and the fast pass against the literal in-place loop on random markup.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "passes/passes.h"
#include "support/random_markup.h"
#include "support/literal_search.h"

namespace tsqz {
namespace {

struct Outcome {
    std::string text;
    int32_t saved;
};

Outcome RunPass(std::string text, bool standard_colors) {
    Engine engine;
    engine.stats.on = true;
    engine.options.StandardColors = standard_colors;
    RemoveAttributeQuotes(engine, text);
    return {text, engine.stats.file[kSlotStripQuotes]};
}

struct Row {
    const char* input;
    const char* expected;
    int32_t saved;
};

void CheckRows(std::initializer_list<Row> rows, bool standard_colors) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        const Outcome out = RunPass(row.input, standard_colors);
        EXPECT_EQ(out.text, row.expected);
        EXPECT_EQ(out.saved, row.saved);
    }
}

// The general rule: a quoted value right after the attribute text (or up to three bytes
// later), inside a tag, loses its quotes; the entries also match the ends of longer names.
TEST(QuoteRemoval, GeneralRule) {
    CheckRows(
        {
            {R"(<TD ALIGN="center" WIDTH="50%">)", "<TD ALIGN=center WIDTH=50%>", 4},
            {R"(<td valign="top">)", "<td valign=top>", 2},
            {R"(<IMG BORDER="0" HSPACE="2" VSPACE="3" HEIGHT="9">)",
             "<IMG BORDER=0 HSPACE=2 VSPACE=3 HEIGHT=9>", 8},
            {R"(<FONT SIZE="+1"><BODY BGCOLOR="#FFFFFF">)", "<FONT SIZE=+1><BODY BGCOLOR=#FFFFFF>",
             4},
            {R"(<TABLE CELLPADDING="2" COLSPAN="3" ROWSPAN="4" CLEAR="all">)",
             "<TABLE CELLPADDING=2 COLSPAN=3 ROWSPAN=4 CLEAR=all>", 8},
            {R"(<T BORDERCOLORDARK="red" BORDERCOLORLIGHT="blue" MARGIN="1" SPACING="2">)",
             "<T BORDERCOLORDARK=red BORDERCOLORLIGHT=blue MARGIN=1 SPACING=2>", 8},
            {R"(<FRAME MARGINWIDTH="4">)", "<FRAME MARGINWIDTH=4>", 2},
            // Up to three bytes may stand between the "=" and the quote, not four.
            {R"(<TD ALIGN=   "x">)", "<TD ALIGN=   x>", 2},
            {R"(<TD ALIGN=    "x">)", R"(<TD ALIGN=    "x">)", 0},
            // Outside a tag nothing changes.
            {R"(<P>ALIGN="left"</P>)", R"(<P>ALIGN="left"</P>)", 0},
            {R"(ALIGN="left")", R"(ALIGN="left")", 0},
            // Text brought together by a removal is matched again.
            {R"(<P ALIGN=AL"IGN"="x">)", "<P ALIGN=ALIGN=x>", 4},
        },
        false);
}

// Values that would change meaning without quotes keep them.
TEST(QuoteRemoval, ValuesThatNeedTheirQuotesKeepThem) {
    CheckRows(
        {
            {R"(<TD ALIGN="">)", R"(<TD ALIGN="">)", 0},
            {R"(<TD WIDTH="50 %">)", R"(<TD WIDTH="50 %">)", 0},
            {"<TD WIDTH=\"5\t0\">", "<TD WIDTH=\"5\t0\">", 0},
            {"<TD WIDTH=\"5\n0\">", "<TD WIDTH=\"5\n0\">", 0},
            {"<TD WIDTH=\"5\r\n0\">", "<TD WIDTH=\"5\r\n0\">", 0},
            {R"(<TD WIDTH="a>b">)", R"(<TD WIDTH="a>b">)", 0},
            {R"(<TD WIDTH="a<b">)", R"(<TD WIDTH="a<b">)", 0},
            {R"(<TD WIDTH="a=b">)", R"(<TD WIDTH="a=b">)", 0},
            {R"(<TD WIDTH="a'b">)", R"(<TD WIDTH="a'b">)", 0},
            {R"(<TD WIDTH="a`b">)", R"(<TD WIDTH="a`b">)", 0},
            // A quote that closes in a later tag does not take the text between with it.
            {R"(<TD ALIGN="left><TD ALIGN="right">)", R"(<TD ALIGN="left><TD ALIGN=right>)", 2},
        },
        false);
}

// A missing opening or closing quote ends that entry only.
TEST(QuoteRemoval, UnterminatedValuesEndTheirEntry) {
    CheckRows(
        {
            {R"(<TD ALIGN="left>)", R"(<TD ALIGN="left>)", 0},
            {R"(<TD WIDTH="5" ALIGN="left>)", R"(<TD WIDTH=5 ALIGN="left>)", 2},
            {"<TD ALIGN=left WIDTH=5>", "<TD ALIGN=left WIDTH=5>", 0},
        },
        false);
}

// COLOR= loses quotes only around "#" values while colours are not standardised.
TEST(QuoteRemoval, ColourValuesDependOnStandardColors) {
    CheckRows(
        {
            {R"(<FONT COLOR="red">)", R"(<FONT COLOR="red">)", 0},
            {R"(<FONT COLOR="#FF0000">)", "<FONT COLOR=#FF0000>", 2},
            {R"(<BODY TEXT="#000000" LINK="#0000FF">)", R"(<BODY TEXT="#000000" LINK="#0000FF">)",
             0},
        },
        false);
    CheckRows(
        {
            {R"(<FONT COLOR="red">)", "<FONT COLOR=red>", 2},
            {R"(<BODY TEXT="#000000" LINK="#0000FF">)", "<BODY TEXT=#000000 LINK=#0000FF>", 4},
            // Body colours: a "#" value, the quote less than five bytes after the "=".
            {R"(<BODY TEXT="black">)", R"(<BODY TEXT="black">)", 0},
            {R"(<BODY TEXT=    "#000000">)", "<BODY TEXT=    #000000>", 2},
            {R"(<BODY TEXT=     "#000000">)", R"(<BODY TEXT=     "#000000">)", 0},
            // Only the first occurrence of each body entry is looked at: LINK= is first found
            // inside VLINK=, whose quotes are gone by then.
            {R"(<A TEXT="#111111"><B TEXT="#222222">)", R"(<A TEXT=#111111><B TEXT="#222222">)", 2},
            {R"(<BODY VLINK="#111111" LINK="#222222">)", R"(<BODY VLINK=#111111 LINK="#222222">)",
             2},
        },
        true);
}

// VALUE= loses its quotes only around a whole number in the 32-bit signed range.
TEST(QuoteRemoval, NumberRule) {
    CheckRows(
        {
            {R"(<INPUT VALUE="42">)", "<INPUT VALUE=42>", 2},
            {R"(<INPUT VALUE="OK">)", R"(<INPUT VALUE="OK">)", 0},
            {R"(<LI VALUE="-7"><LI VALUE="+7">)", "<LI VALUE=-7><LI VALUE=+7>", 4},
            {R"(<LI VALUE="2147483647">)", "<LI VALUE=2147483647>", 2},
            {R"(<LI VALUE="-2147483648">)", "<LI VALUE=-2147483648>", 2},
            {R"(<LI VALUE="2147483648">)", R"(<LI VALUE="2147483648">)", 0},
            {R"(<LI VALUE="-">)", R"(<LI VALUE="-">)", 0},
            {R"(<LI VALUE="1.5">)", R"(<LI VALUE="1.5">)", 0},
        },
        false);
}

// The plain literal loop: delete the quotes in place, search again from just
// after the attribute text, look backwards for the tag's "<" and ">".
std::string LiteralQuoteRemoval(std::string t, bool standard_colors) {
    enum Kind { kGeneral, kColour, kNumber, kBody };
    const std::pair<std::string_view, Kind> entries[] = {
        {"TEXT=", kBody},
        {"VLINK=", kBody},
        {"LINK=", kBody},
        {"ALINK=", kBody},
        {"BGCOLOR=", kGeneral},
        {"BORDER=", kGeneral},
        {"HSPACE=", kGeneral},
        {"VSPACE=", kGeneral},
        {"ALIGN=", kGeneral},
        {"WIDTH=", kGeneral},
        {"HEIGHT=", kGeneral},
        {"COLOR=", kColour},
        {"SIZE=", kGeneral},
        {"CELLPADDING=", kGeneral},
        {"COLSPAN=", kGeneral},
        {"ROWSPAN=", kGeneral},
        {"BORDERCOLOR=", kGeneral},
        {"BORDERCOLORDARK=", kGeneral},
        {"BORDERCOLORLIGHT=", kGeneral},
        {"SPACING=", kGeneral},
        {"MARGIN=", kGeneral},
        {"CLEAR=", kGeneral},
        {"VALUE=", kNumber},
    };
    const auto inside = [&](int32_t s) {
        return FindCharBack(t, '<', s) > FindCharBack(t, '>', s);
    };
    const auto value_ok = [](const std::string& v, bool number) {
        if (v.empty() || v.find_first_of(" \t\r\n\f><='`") != std::string::npos) return false;
        if (!number) return true;
        size_t digits = (v[0] == '+' || v[0] == '-') ? 1 : 0;
        if (digits == v.size() || v.find_first_not_of("0123456789", digits) != std::string::npos) {
            return false;
        }
        const std::string trimmed = v.substr(v.find_first_not_of('0', digits) == std::string::npos
                                                 ? v.size()
                                                 : v.find_first_not_of('0', digits));
        if (trimmed.size() > 10) return false;
        const long long n = trimmed.empty() ? 0 : std::stoll(trimmed);
        return v[0] == '-' ? n <= 2147483648LL : n <= 2147483647LL;
    };
    for (const auto& [a, kind] : entries) {
        const auto L = static_cast<int32_t>(a.size());
        if (kind == kBody && !standard_colors) continue;
        int32_t s = FindText(t, a, -1);
        while (s != 0) {
            const int32_t q = FindChar(t, '"', s);
            if (q == 0) break;
            const bool near = kind == kBody ? q - s < L + 5 : q - s <= L + 3;
            const bool hash = kind == kBody || (kind == kColour && !standard_colors);
            if (near && inside(s) && (!hash || ByteAt(t, q + 1) == '#')) {
                const int32_t c = FindChar(t, '"', q + 1);
                if (c == 0) break;
                if (value_ok(t.substr(q, c - q - 1), kind == kNumber)) {
                    DeleteAt(t, c, 1);
                    DeleteAt(t, q, 1);
                }
            }
            if (kind == kBody || s + L > Len(t)) break;
            s = FindText(t, a, -(s + L));
        }
    }
    return t;
}

TEST(QuoteRemoval, SameAsTheLiteralLoopOnRandomMarkup) {
    test::MarkupSource source(
        {"<",    ">",      "\"",    "\"",    "ALIGN=", "align=", "VALIGN=", "AL",
         "IGN=", "COLOR=", "TEXT=", "LINK=", "VLINK=", "VALUE=", " ",       "x",
         "#",    "1",      "-",     "=",     "'",      "5"},
        3);
    for (int i = 0; i < 20000; ++i) {
        const std::string input = source.Next(24);
        const bool colours = source.Choice(1) == 1;
        SCOPED_TRACE(input);
        const Outcome out = RunPass(input, colours);
        ASSERT_EQ(out.text, LiteralQuoteRemoval(input, colours));
        EXPECT_EQ(out.saved, static_cast<int32_t>(input.size() - out.text.size()));
    }
}

// Longer runs with more entries: quotes removed by one entry change what later entries match
// (the pass removes them all at the end), and the "inside a tag" answers must hold across long
// stretches without "<" or ">".
TEST(QuoteRemoval, SameAsTheLiteralLoopOnLongMarkupWithManyEntries) {
    test::MarkupSource source({"<",
                               ">",
                               "\"",
                               "\"",
                               "\"",
                               "ALIGN=",
                               "WIDTH=",
                               "SIZE=",
                               "SI",
                               "ZE=",
                               "BORDER=",
                               "COLOR=",
                               "BORDERCOLOR=",
                               "TEXT=",
                               "LINK=",
                               "VALUE=",
                               "<TD ",
                               "<FONT ",
                               " ",
                               "x",
                               "#",
                               "1",
                               "+",
                               "=",
                               "\n",
                               "'",
                               "text ",
                               "E="},
                              11);
    for (int i = 0; i < 3000; ++i) {
        const std::string input = source.Next(160);
        const bool colours = source.Choice(1) == 1;
        SCOPED_TRACE(input);
        const Outcome out = RunPass(input, colours);
        ASSERT_EQ(out.text, LiteralQuoteRemoval(input, colours));
        EXPECT_EQ(out.saved, static_cast<int32_t>(input.size() - out.text.size()));
    }
}

// Names cut by quotes that an earlier entry removes ("ALIGN="WIDTH"="5"" gives a WIDTH match
// whose "=" follows a removed quote), names in any case and split into pieces, and "=" after
// other bytes: the pass looks only at the "=" whose letter before (past any quotes) fits.
TEST(QuoteRemoval, SameAsTheLiteralLoopWhereRemovedQuotesJoinNames) {
    test::MarkupSource source(
        {"<P ", ">", "\"",  "\"", "ALIGN=", "align=\"", "WIDTH",  "width",  "WID",
         "TH",  "=", "\"=", "SI", "ZE",     "SIZE=",    "VALUE=", "BORDER", "COLOR",
         "=\"", " ", "5",   "x",  "#1",     "a=",       "\n"},
        29);
    for (int i = 0; i < 10000; ++i) {
        const std::string input = source.Next(60);
        const bool colours = source.Choice(1) == 1;
        SCOPED_TRACE(input);
        const Outcome out = RunPass(input, colours);
        ASSERT_EQ(out.text, LiteralQuoteRemoval(input, colours));
        EXPECT_EQ(out.saved, static_cast<int32_t>(input.size() - out.text.size()));
    }
    EXPECT_EQ(RunPass("<P ALIGN=\"WIDTH\"=\"5\">", false).text, "<P ALIGN=WIDTH=5>");
}

TEST(QuoteRemoval, TruncatedMarkupNeverGrows) {
    const std::string page =
        R"(<BODY TEXT="#000000"><TABLE BORDER="0" WIDTH="100%"><TR><TD ALIGN="left" )"
        R"(VALIGN="top"><FONT COLOR="red" SIZE="-1"><INPUT VALUE="12">x</FONT></TD></TR>)";
    for (size_t cut = 0; cut <= page.size(); ++cut) {
        const std::string input = page.substr(0, cut);
        SCOPED_TRACE(input);
        const Outcome out = RunPass(input, true);
        EXPECT_EQ(out.text, LiteralQuoteRemoval(input, true));
        EXPECT_LE(out.text.size(), input.size());
    }
}

}  // namespace
}  // namespace tsqz
