// Colour standardisation: names to values, the colour table against the X11 colour
// file, the attribute-only matching, and the fast pass against the literal loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
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

Outcome RunPass(std::string text) {
    Engine engine;
    engine.stats.on = true;
    StandardizeColors(engine, text);
    return {text, engine.stats.file[kSlotStandardColors]};
}

struct Row {
    const char* input;
    const char* expected;
    int32_t saved;
};

void CheckRows(std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        const Outcome out = RunPass(row.input);
        EXPECT_EQ(out.text, row.expected);
        EXPECT_EQ(out.saved, row.saved);
    }
}

// Names become "#" and six upper-case hex digits: short names grow (a negative saving),
// seven letters keep their length, longer names shrink.
TEST(ColourStandardisation, NamesBecomeNumericValues) {
    CheckRows({
        {R"(<font color="Red">)", R"(<font color="#FF0000">)", -4},
        {"<body bgcolor=white text=black>", "<body bgcolor=#FFFFFF text=black>", -2},
        {"<font color=navy size=2>", "<font color=#000080 size=2>", -3},
        {"<font color=navy>", "<font color=#000080>", -3},
        {"<font color=fuchsia>", "<font color=#FF00FF>", 0},
        {"<td bgcolor=lightgoldenrodyellow>", "<td bgcolor=#FAFAD2>", 13},
        // Only names ending in "color=" are found: not BORDERCOLORLIGHT= or BORDERCOLORDARK=.
        {R"(<td BorderColor="Green" BORDERCOLORLIGHT=silver BORDERCOLORDARK=gray>)",
         R"(<td BorderColor="#008000" BORDERCOLORLIGHT=silver BORDERCOLORDARK=gray>)", -2},
        {R"(<font color="LightGrey">)", R"(<font color="#D3D3D3">)", 2},
        {"<font color=red><font color=blue>", "<font color=#FF0000><font color=#0000FF>", -7},
    });
}

// Values that are numeric already, unknown, spaced or in single quotes stay as they are.
TEST(ColourStandardisation, OtherValuesStay) {
    CheckRows({
        {R"(<font color="#ff0000">)", R"(<font color="#ff0000">)", 0},
        {"<font color=#FFF>", "<font color=#FFF>", 0},
        {"<font color=  #FFF>", "<font color=  #FFF>", 0},
        {"<font color=lightgray>", "<font color=lightgray>", 0},
        {"<font color=grey><font color=darkgrey>", "<font color=grey><font color=darkgrey>", 0},
        {R"(<font color=" red">)", R"(<font color=" red">)", 0},
        {"<font color='red'>", "<font color='red'>", 0},
        {R"(<font color = "red">)", R"(<font color = "red">)", 0},
        {R"(<font color="red)", R"(<font color="red)", 0},
        {"<font color=red", "<font color=red", 0},
        {"<font color=", "<font color=", 0},
        {"<body text=black link=blue>", "<body text=black link=blue>", 0},
    });
}

// Only "color=" inside a tag is an attribute, and a quoted value opens before the tag's ">".
TEST(ColourStandardisation, VisibleTextKeepsItsWords) {
    CheckRows({
        {"<P>Use color=red here</P>", "<P>Use color=red here</P>", 0},
        {"color=red >", "color=red >", 0},
        {R"(<font color=>"red" x</font>)", R"(<font color=>"red" x</font>)", 0},
        {R"(<font color=a>"red"</font>)", R"(<font color=a>"red"</font>)", 0},
    });
}

// The table holds each of the 140 colour names exactly once, and only lightgrey of the
// names spelled with "grey".
TEST(ColourStandardisation, TableHoldsTheListedNames) {
    const std::string names =
        "aqua black blue fuchsia gray green lime maroon navy olive purple red silver teal white "
        "yellow aliceblue antiquewhite aquamarine azure beige bisque blanchedalmond blueviolet "
        "brown burlywood cadetblue chartreuse chocolate coral cornflowerblue cornsilk crimson "
        "cyan darkblue darkcyan darkgoldenrod darkgray darkgreen darkkhaki darkmagenta "
        "darkolivegreen darkorange darkorchid darkred darksalmon darkseagreen darkslateblue "
        "darkslategray darkturquoise darkviolet deeppink deepskyblue dimgray dodgerblue "
        "firebrick floralwhite forestgreen gainsboro ghostwhite gold goldenrod greenyellow "
        "honeydew hotpink indianred indigo ivory khaki lavender lavenderblush lawngreen "
        "lemonchiffon lightblue lightcoral lightcyan lightgoldenrodyellow lightgreen lightgrey "
        "lightpink lightsalmon lightseagreen lightskyblue lightslategray lightsteelblue "
        "lightyellow limegreen linen magenta mediumaquamarine mediumblue mediumorchid "
        "mediumpurple mediumseagreen mediumslateblue mediumspringgreen mediumturquoise "
        "mediumvioletred midnightblue mintcream mistyrose moccasin navajowhite oldlace olivedrab "
        "orange orangered orchid palegoldenrod palegreen paleturquoise palevioletred papayawhip "
        "peachpuff peru pink plum powderblue rosybrown royalblue saddlebrown salmon sandybrown "
        "seagreen seashell sienna skyblue slateblue slategray snow springgreen steelblue tan "
        "thistle tomato turquoise violet wheat whitesmoke yellowgreen";
    std::istringstream in(names);
    int count = 0;
    for (std::string name; in >> name; ++count) {
        SCOPED_TRACE(name);
        const std::string out = RunPass("<font color=" + name + ">").text;
        ASSERT_EQ(out.size(), std::string("<font color=#000000>").size());
        EXPECT_EQ(out.find_first_not_of("0123456789ABCDEF", 13), out.size() - 1);
    }
    EXPECT_EQ(count, 140);
    for (const char* grey : {"lightgray", "grey", "darkgrey", "dimgrey", "slategrey",
                             "darkslategrey", "lightslategrey"}) {
        const std::string in_tag = std::string("<font color=") + grey + ">";
        EXPECT_EQ(RunPass(in_tag).text, in_tag);
    }
    EXPECT_EQ(RunPass("<a color=aliceblue>").text, "<a color=#F0F8FF>");
    EXPECT_EQ(RunPass("<a color=YellowGreen>").text, "<a color=#9ACD32>");
}

// Values agree with the X11 colour file where the web keeps X11's value; the names the web
// defines differently, or X11 lacks, are checked one by one.
TEST(ColourStandardisation, ValuesAgreeWithTheX11ColourFile) {
    const std::map<std::string, std::string> web_values = {
        {"gray", "#808080"}, {"green", "#008000"},   {"maroon", "#800000"},  {"purple", "#800080"},
        {"aqua", "#00FFFF"}, {"crimson", "#DC143C"}, {"fuchsia", "#FF00FF"}, {"indigo", "#4B0082"},
        {"lime", "#00FF00"}, {"olive", "#808000"},   {"silver", "#C0C0C0"},  {"teal", "#008080"},
    };
    for (const auto& [name, value] : web_values) {
        EXPECT_EQ(RunPass("<a color=" + name + ">").text, "<a color=" + value + ">") << name;
    }
    std::ifstream rgb("/usr/share/X11/rgb.txt");
    if (!rgb) GTEST_SKIP() << "no X11 colour file on this machine";
    int compared = 0;
    for (std::string line; std::getline(rgb, line);) {
        std::istringstream fields(line);
        int r, g, b;
        std::string name, extra;
        if (!(fields >> r >> g >> b >> name) || (fields >> extra)) continue;  // one-word names
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (web_values.count(name)) continue;
        const std::string out = RunPass("<a color=" + name + ">").text;
        if (out == "<a color=" + name + ">") continue;  // not a name of the table
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02X%02X%02X", r, g, b);
        EXPECT_EQ(out, "<a color=" + std::string(hex) + ">") << name;
        ++compared;
    }
    EXPECT_GE(compared, 120);
}

// The plain literal loop, with an in-place replacement and a search that resumes
// right after "color=". The small map stands in for the table; the random pieces form no
// other colour name.
std::string LiteralColours(std::string t) {
    const std::map<std::string, std::string> table = {
        {"red", "#FF0000"}, {"navy", "#000080"}, {"white", "#FFFFFF"}, {"lightgrey", "#D3D3D3"}};
    const auto lookup = [&](std::string v) {
        for (char& c : v)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto it = table.find(v);
        return it == table.end() ? std::string() : it->second;
    };
    const auto first_in = [&](int32_t from, int32_t span, char byte) {
        for (int32_t p = from; p < from + span && p <= Len(t); ++p) {
            if (ByteAt(t, p) == static_cast<unsigned char>(byte)) return p;
        }
        return 0;
    };
    for (int32_t m = FindText(t, "color=", -1); m != 0;) {
        const int32_t v = m + 6;
        if (v > Len(t)) break;
        const bool inside = FindCharBack(t, '<', m) > FindCharBack(t, '>', m);
        if (inside && first_in(v, 5, '#') == 0) {
            int32_t start = v, stop = 0;
            const int32_t quote = first_in(v, 4, '"');
            if (quote != 0 && first_in(v, quote - v, '>') == 0) {
                start = quote + 1;
                stop = FindChar(t, '"', start);
            } else {
                const int32_t space = FindChar(t, ' ', v), close = FindChar(t, '>', v);
                stop = space == 0 ? close : (close == 0 ? space : std::min(space, close));
            }
            if (stop != 0) {
                const std::string value = lookup(t.substr(start - 1, stop - start));
                if (!value.empty()) t.replace(start - 1, stop - start, value);
            }
        }
        m = FindText(t, "color=", -v);
    }
    return t;
}

TEST(ColourStandardisation, SameAsTheLiteralLoopOnRandomMarkup) {
    test::MarkupSource source(
        {"<font ", "<", ">", "\"", "color=", "COLOR=", "bgcolor=", "red", "Red", "navy", "white",
         "lightgrey", "lightgray", "grey", " ", "#", "x", "'", "="},
        5);
    for (int i = 0; i < 20000; ++i) {
        const std::string input = source.Next(20);
        SCOPED_TRACE(input);
        const Outcome out = RunPass(input);
        ASSERT_EQ(out.text, LiteralColours(input));
        EXPECT_EQ(out.saved,
                  static_cast<int32_t>(input.size()) - static_cast<int32_t>(out.text.size()));
    }
    const std::string page = R"(<body bgcolor="white" text=black><font color=red>a</font>)"
                             R"(<table bordercolor=navy><td bgcolor="LightGrey">b</td></table>)";
    for (size_t cut = 0; cut <= page.size(); ++cut) {
        SCOPED_TRACE(page.substr(0, cut));
        EXPECT_EQ(RunPass(page.substr(0, cut)).text, LiteralColours(page.substr(0, cut)));
    }
}

}  // namespace
}  // namespace tsqz
