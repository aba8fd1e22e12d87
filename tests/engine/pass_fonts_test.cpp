// Font tag compression: relative sizes, BIG/SMALL with the heading test and end-tag
// matching, and the fast pass against the literal loops on random markup.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "passes/passes.h"
#include "support/random_markup.h"
#include "support/literal_search.h"

namespace tsqz {
namespace {

// A head that has been closed: the heading test passes after it ("</head>" ends in "</h").
const std::string kHead = "<html><head></head><body>";

struct Outcome {
    std::string text;
    int32_t saved;
};

Outcome RunPass(std::string text, int basefont, bool msns) {
    Engine engine;
    engine.stats.on = true;
    engine.run.basefont = static_cast<uint8_t>(basefont);
    engine.options.MSNSOnly = msns;
    ShrinkFonts(engine, text);
    return {text, engine.stats.file[kSlotShrinkFontTags]};
}

struct Row {
    std::string input;
    std::string expected;
    int32_t saved;
    int basefont = 3;
    bool msns = true;
};

void CheckRows(std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input + " basefont " + std::to_string(row.basefont));
        const Outcome out = RunPass(row.input, row.basefont, row.msns);
        EXPECT_EQ(out.text, row.expected);
        EXPECT_EQ(out.saved, row.saved);
    }
}

// A relative size in a FONT start tag becomes the absolute size it stands for.
TEST(FontTags, RelativeSizesBecomeAbsolute) {
    CheckRows({
        {"<font size=+1 color=red>", "<font size=4 color=red>", 1},
        {"<FONT SIZE=+2>", "<FONT SIZE=5>", 1},
        {R"(<font size="-1">)", R"(<font size="2">)", 1},
        {R"(<font size= "+1">)", R"(<font size= "4">)", 1},
        {"<font size=-2>", "<font size=1>", 1},
        {"<font size=-3>", "<font size=-3>", 0},
        {"<font size=+1.5>", "<font size=4.5>", 1},
        {"<font size=+1>", "<font size=6>", 1, 5, false},
        {"<font size=+4>", "<font size=9>", 1, 5},
        // The result must be one digit from 1 to 9: larger sizes stay relative.
        {"<font size=+5>", "<font size=+5>", 0, 5},
        {"<font size=+7>", "<font size=+7>", 0},
        {"<font size=+12><font size=-12>", "<font size=+12><font size=-12>", 0},
        {"<font size=+0>", "<font size=+0>", 0},
        // The next sign is looked for 9 bytes on in the edited text, so one 9 bytes after a
        // rewritten sign is passed over, and one 10 bytes after it is seen.
        {"<font size=+1  size=+1>", "<font size=4  size=+1>", 1},
        {"<font size=+1   size=+1>", "<font size=4   size=4>", 2},
    });
}

// Signs anywhere else stay: in text, in other tags and attributes, outside the tag.
TEST(FontTags, OtherSignsStay) {
    CheckRows({
        {"a +1 -1 C++", "a +1 -1 C++", 0},
        {R"(<font size=2>C++ 1+1 <p title="a+1 b-1">x-1</p>)",
         R"(<font size=2>C++ 1+1 <p title="a+1 b-1">x-1</p>)", 0, 3, false},
        {R"(<font face="Times-1" size=+1>)", R"(<font face="Times-1" size=4>)", 1},
        {"<font point-size=+1>", "<font point-size=+1>", 0},
        {"<font>x</font><p size=+1>", "<font>x</font><p size=+1>", 0},
        {"<font>size=+1", "<font>size=+1", 0},
        {"<font size = +1><font size=  +1>", "<font size = +1><font size=  +1>", 0},
    });
}

// FONT elements one size off the base font become BIG or SMALL with their end tags.
TEST(FontTags, BigAndSmallElements) {
    CheckRows({
        {kHead + "<font size=+1>big</font>", kHead + "<BIG>big</BIG>", 10},
        {kHead + R"(<FONT SIZE="-1">x<font color=red>y</font>z</FONT>)",
         kHead + "<SMALL>x<font color=red>y</font>z</SMALL>", 8},
        {kHead + "<font size=+1>x</font>", kHead + "<BIG>x</BIG>", 10, 5},
        {kHead + "<font size=4>x</font>", kHead + "<SMALL>x</SMALL>", 5, 5},
        {kHead + "<font size=+1>x</font>", kHead + "<font size=4>x</font>", 1, 3, false},
        // The end tag is rewritten through its own ">".
        {kHead + "<font size=4>x</font >", kHead + "<BIG>x</BIG>", 10},
        // Two FONT start tags inside: the third end tag closes the element.
        {kHead + "<font size=4>a<font>b<font>c</font>d</font>e</font>",
         kHead + "<BIG>a<font>b<font>c</font>d</font>e</BIG>", 9},
        {kHead + "<font size=4>a<font size=4>b</font>c</font>", kHead + "<BIG>a<BIG>b</BIG>c</BIG>",
         18},
        // An end tag taken by an earlier occurrence is not taken again.
        {kHead + "<font size=4>a<font>b</font><font size=4>c</font>d</font>",
         kHead + "<BIG>a<font>b</font><BIG>c</BIG>d</BIG>", 18},
    });
}

// Only after a closed heading; never at the chunk's first byte; never without an end tag;
// never outside the sizes 1 to 7.
TEST(FontTags, WhenBigAndSmallAreNotWritten) {
    CheckRows({
        {"<p><font size=4>x</font>", "<p><font size=4>x</font>", 0},
        {kHead + "<h2><font size=4>x</font></h2>", kHead + "<h2><font size=4>x</font></h2>", 0},
        {kHead + "<h2>t</h2><font size=4>x</font>", kHead + "<h2>t</h2><BIG>x</BIG>", 9},
        {"<font size=4>a</font><h1>x</h1><font size=4>b</font>",
         "<font size=4>a</font><h1>x</h1><font size=4>b</font>", 0},
        {kHead + "<font size=4>x", kHead + "<font size=4>x", 0},
        {kHead + "<font size=4>a<font size=4>b</font>",
         kHead + "<font size=4>a<font size=4>b</font>", 0},
        {kHead + "<font size=4>x</font <b>>", kHead + "<font size=4>x</font <b>>", 0},
        {kHead + "<font size=0>x</font>", kHead + "<font size=0>x</font>", 0, 1},
        {kHead + "<font size=2>x</font>", kHead + "<BIG>x</BIG>", 9, 1},
        {kHead + "<font size=8>x</font>", kHead + "<font size=8>x</font>", 0, 7},
        {kHead + "<font size=6>x</font>", kHead + "<SMALL>x</SMALL>", 5, 7},
    });
}

// The plain literal loops, editing in place: the sweeps search back for "<font" and "<",
// the conversion searches forward from each occurrence for the end tags.
bool LiteralSizeValue(const std::string& t, int32_t sign) {
    for (std::string_view prefix : {"size=", "size= ", "size=\"", "size= \""}) {
        const int32_t start = sign - static_cast<int32_t>(prefix.size());
        if (start < 2 || FindText(t, prefix, -start) != start) continue;
        const unsigned char before = ByteAt(t, start - 1);
        if (std::string_view(" \t\r\n\f\"'/").find(static_cast<char>(before)) !=
            std::string_view::npos) {
            return true;
        }
    }
    return false;
}

std::string LiteralFonts(std::string t, int b, bool msns) {
    if (FindText(t, "<font", -1) == 0) return t;
    for (const char sign : {'+', '-'}) {
        for (int32_t p = FindChar(t, sign, 1); p != 0;) {
            const int32_t next = p + 9;
            const unsigned char d = ByteAt(t, p + 1);
            const unsigned char after = ByteAt(t, p + 2);
            if (d >= '1' && d <= '9' && !(after >= '0' && after <= '9')) {
                const int32_t f = FindTextBack(t, "<font", -p);
                const int32_t lt = p > 1 ? FindCharBack(t, '<', p - 1) : 0;
                const int32_t gt = f != 0 ? FindChar(t, '>', f) : 0;
                if (f != 0 && f == lt && (gt == 0 || gt > p) && LiteralSizeValue(t, p)) {
                    const int size = sign == '+' ? b + (d - '0') : b - (d - '0');
                    if (size >= 1 && size <= 9) {
                        DeleteAt(t, p, 1);
                        t[static_cast<size_t>(p - 1)] = static_cast<char>('0' + size);
                    }
                }
            }
            p = FindChar(t, sign, next);
        }
    }
    if (!msns) return t;
    const struct {
        const char* before;
        int offset;
        const char* after;
        std::string element;
    } rows[] = {{"<font size=", 1, ">", "BIG>"},
                {"<font size=\"", 1, "\">", "BIG>"},
                {"<font size=", -1, ">", "SMALL>"},
                {"<font size=\"", -1, "\">", "SMALL>"}};
    for (const auto& row : rows) {
        const int size = b + row.offset;
        if (size < 1 || size > 7) continue;
        const std::string tag =
            row.before + std::string(1, static_cast<char>('0' + size)) + row.after;
        for (int32_t p = FindText(t, tag, -1); p > 1; p = FindText(t, tag, -(p + 1))) {
            if (FindTextBack(t, "</h", -p) <= FindTextBack(t, "<h", -p)) continue;
            const int32_t e1 = FindText(t, "</font", -(p + 1));
            const int32_t i1 = FindText(t, "<font", -(p + 1));
            if (e1 == 0) break;
            int32_t m = e1;
            if (i1 != 0 && i1 < e1) {
                const int32_t i2 = FindText(t, "<font", -(i1 + 5));
                m = FindText(t, "</font", -(e1 + 1));
                if (m != 0 && i2 != 0 && i2 < e1) m = FindText(t, "</font", -(m + 1));
            }
            if (m == 0) break;
            const int32_t close = FindChar(t, '>', m + 6);
            const int32_t open = FindChar(t, '<', m + 6);
            if (close == 0 || (open != 0 && open < close)) break;
            t.replace(static_cast<size_t>(m - 1), static_cast<size_t>(close - m + 1),
                      "</" + row.element);
            t.replace(static_cast<size_t>(p - 1), tag.size(), "<" + row.element);
        }
    }
    return t;
}

TEST(FontTags, SameAsTheLiteralLoopsOnRandomMarkup) {
    test::MarkupSource source({"<font",
                               "<FONT",
                               " size=",
                               " SIZE=",
                               "size=\"",
                               "\"",
                               "+",
                               "-",
                               "1",
                               "2",
                               "4",
                               "7",
                               ">",
                               "</font>",
                               "</FONT >",
                               "</font",
                               "<h1>",
                               "</h1>",
                               "<h",
                               "x",
                               " ",
                               "<",
                               "<font size=4>",
                               "<font size=\"2\">",
                               "<b>",
                               "-size=",
                               " size=+1",
                               "  "},
                              9);
    for (int i = 0; i < 20000; ++i) {
        const std::string input = (source.Choice(1) ? kHead : "") + source.Next(24);
        const int basefont = source.Choice(9);
        const bool msns = source.Choice(3) != 0;
        SCOPED_TRACE(input + " basefont " + std::to_string(basefont));
        const Outcome out = RunPass(input, basefont, msns);
        ASSERT_EQ(out.text, LiteralFonts(input, basefont, msns));
        EXPECT_LE(out.text.size(), input.size());
        EXPECT_EQ(out.saved, static_cast<int32_t>(input.size() - out.text.size()));
    }
    const std::string page = kHead +
                             R"(<font size=+1>a<font color=red>b</font></font><FONT SIZE="-1">)"
                             "c</FONT ><h3><font size=4>d</font></h3><font size=4>e</font>";
    for (size_t cut = 0; cut <= page.size(); ++cut) {
        SCOPED_TRACE(page.substr(0, cut));
        const Outcome out = RunPass(page.substr(0, cut), 3, true);
        EXPECT_EQ(out.text, LiteralFonts(page.substr(0, cut), 3, true));
        EXPECT_LE(out.text.size(), cut);
    }
}

}  // namespace
}  // namespace tsqz
