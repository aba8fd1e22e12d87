// Character entity pass and charset declaration: levels, table, quotes, placement, savings.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "engine/passes/passes.h"
#include "engine/run/pipeline.h"
#include "support/random_markup.h"

namespace tsqz {
namespace {

const std::string kDeclaration =
    "<META http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">";

Engine EngineAtLevel(uint8_t level, bool iso_tag = false) {
    Engine engine;
    engine.options.StandardizeChars = level;
    engine.options.UseISOTag = iso_tag ? 1 : 0;
    engine.stats.on = true;
    return engine;
}

struct Row {
    std::string input;
    std::string expected;
};

// Each level runs its own subset of the &nbsp;, &quot; and table steps; levels above 5
// behave like 1.
TEST(EntityPass, LevelsChooseTheirSteps) {
    const std::string input = "A&nbsp;&quot;B&quot;&eacute;";
    const struct {
        uint8_t level;
        std::string expected;
    } rows[] = {
        {0, input},
        {1, "A&#32;'B'&#233;"},
        {2, "A&#32;&quot;B&quot;&#233;"},
        {3, "A&nbsp;'B'&#233;"},
        {4, "A&nbsp;&quot;B&quot;&#233;"},
        {5, "A&#32;'B'&eacute;"},
        {6, "A&#32;'B'&#233;"},
        {255, "A&#32;'B'&#233;"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.level));
        Engine engine = EngineAtLevel(row.level);
        std::string chunk = input;
        CompressEntities(engine, chunk);
        EXPECT_EQ(chunk, row.expected);
        EXPECT_EQ(engine.stats.file[kSlotEntities],
                  static_cast<int32_t>(input.size() - chunk.size()));
    }
}

// Table rows whose numbers do not follow their order, the code-page number of "&trade;",
// and what the table must not touch.
TEST(EntityPass, TableRowsAndCase) {
    const Row rows[] = {
        {"&Aacute;&Agrave;&Eacute;&Egrave;&Iacute;&Igrave;&Oacute;&Ograve;&Uacute;&Ugrave;",
         "&#193;&#192;&#201;&#200;&#205;&#204;&#211;&#210;&#218;&#217;"},
        {"&aacute;&agrave;&eacute;&egrave;&iacute;&igrave;&oacute;&ograve;&uacute;&ugrave;",
         "&#225;&#224;&#233;&#232;&#237;&#236;&#243;&#242;&#250;&#249;"},
        {"&frac14;&frac12;&frac34;&AElig;&aelig;&THORN;&thorn;&szlig;&yacute;&iquest;",
         "&#188;&#189;&#190;&#198;&#230;&#222;&#254;&#223;&#253;&#191;"},
        // Only "&trade;" ignores case.
        {"&TRADE;&Trade;&tRaDe;", "&#153;&#153;&#153;"},
        {"&EACUTE;&NBSP;&Quot;&QUOT;&Thorn;&ETH;", "&EACUTE;&NBSP;&Quot;&QUOT;&Thorn;&ETH;"},
        // Entities outside the table stay, also where a number would be shorter.
        {"&amp;&lt;&gt;&copy;&reg;&#160;&nbsp &eacute",
         "&amp;&lt;&gt;&copy;&reg;&#160;&nbsp &eacute"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        Engine engine = EngineAtLevel(1);
        std::string chunk = row.input;
        CompressEntities(engine, chunk);
        EXPECT_EQ(chunk, row.expected);
    }
}

// The table rows as replace-alls one after another over the whole text, for the rows that the
// pieces below can spell (in the table's order); the pieces spell no other row's name.
std::string ReplaceRowsLiterally(std::string text) {
    struct LiteralRow {
        std::string_view name, numeric;
        bool ignore_case;
    };
    const LiteralRow rows[] = {{"&trade;", "&#153;", true},   {"&frac14;", "&#188;", false},
                               {"&frac12;", "&#189;", false}, {"&AElig;", "&#198;", false},
                               {"&THORN;", "&#222;", false},  {"&aelig;", "&#230;", false},
                               {"&thorn;", "&#254;", false}};
    for (const LiteralRow& row : rows) {
        for (size_t at = 0; at + row.name.size() <= text.size();) {
            bool match = true;
            for (size_t i = 0; i < row.name.size() && match; ++i) {
                const char a = text[at + i], b = row.name[i];
                match = a == b || (row.ignore_case && (a | 0x20) == (b | 0x20) &&
                                   (b | 0x20) >= 'a' && (b | 0x20) <= 'z');
            }
            if (!match) {
                ++at;
                continue;
            }
            text.replace(at, row.name.size(), row.numeric);
            at += row.numeric.size();
        }
    }
    return text;
}

// The whole table handled at each "&" in one pass equals its rows applied one after another,
// with names in any arrangement: side by side, cut short, wrapped in other "&" and ";",
// next to references the rows write, and the one row that ignores case.
TEST(EntityPass, TableEqualsItsRowsOneAfterAnother) {
    test::MarkupSource source(
        {"&",    ";",  "&amp;",  "&&",    "trade",  "TRADE",   "tRaDe",   "trad",    "frac1",
         "4",    "2",  "frac14", "AElig", "aelig",  "AE",      "lig",     "thorn",   "THORN",
         "#153", "&#", "x",      " ",     "&nbsp;", "&trade;", "&thorn;", "&frac14;"},
        5);
    for (int i = 0; i < 20000; ++i) {
        const std::string input = source.Next(24);
        Engine engine = EngineAtLevel(4);
        std::string chunk = input;
        CompressEntities(engine, chunk);
        SCOPED_TRACE(input);
        ASSERT_EQ(chunk, ReplaceRowsLiterally(input));
        EXPECT_EQ(engine.stats.file[kSlotEntities],
                  static_cast<int32_t>(input.size() - chunk.size()));
    }
}

// An apostrophe must neither end a single-quoted attribute value nor open one where an
// unquoted value begins; everywhere else "&quot;" becomes one.
TEST(EntityPass, QuotInsideTags) {
    const Row rows[] = {
        {"<input value='say &quot;hi&quot;'>", "<input value='say &quot;hi&quot;'>"},
        {"<a title = 'x&quot;'>&quot;</a>", "<a title = 'x&quot;'>'</a>"},
        {"<a title=\"say &quot;hi&quot;\">", "<a title=\"say 'hi'\">"},
        {"<a title=&quot;x&quot;>", "<a title=&quot;x'>"},
        {"<a title= &quot;x>", "<a title= &quot;x>"},
        // A ">" inside a quoted value does not end the tag.
        {"<a title='1>0 &quot;' b=&quot;>&quot;", "<a title='1>0 &quot;' b=&quot;>'"},
        {"It's <b>&quot;a&quot;</b> &quot;b&quot; o'clock", "It's <b>'a'</b> 'b' o'clock"},
        {"a < b &quot; c='&quot;'", "a < b ' c='''"},
        // A value left open runs to the end of the chunk.
        {"<p class='x>&quot;", "<p class='x>&quot;"},
        {"<p class=\"x>&quot;", "<p class=\"x>'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        Engine engine = EngineAtLevel(3);
        std::string chunk = row.input;
        CompressEntities(engine, chunk);
        EXPECT_EQ(chunk, row.expected);
    }
}

// "&quot;" becomes an apostrophe except inside a single-quoted attribute value and as the
// first byte of an unquoted one, found by walking every byte of every tag.
std::string ReplaceQuotLiterally(const std::string& text) {
    std::vector<bool> keep(text.size(), false);
    const auto letter = [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
    const auto space = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
    };
    const size_t n = text.size();
    for (size_t i = 0; i + 1 < n;) {
        if (text[i] != '<' || !letter(text[i + 1])) {
            ++i;
            continue;
        }
        size_t j = i + 2;
        while (j < n && text[j] != '>') {
            if (text[j++] != '=') continue;
            while (j < n && space(text[j]))
                ++j;
            if (j >= n) break;
            if (text[j] != '"' && text[j] != '\'') {
                keep[j] = true;
                continue;
            }
            size_t close = j + 1;
            while (close < n && text[close] != text[j])
                ++close;
            for (size_t k = j + 1; text[j] == '\'' && k < close; ++k)
                keep[k] = true;
            j = close < n ? close + 1 : n;
        }
        i = j + 1;
    }
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        if (text.compare(i, 6, "&quot;") == 0 && !keep[i]) {
            out += '\'';
            i += 5;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The "&quot;" step equals the walk over every byte of every tag on long random markup, with
// values quoted either way, left open, unquoted, and "=" and ">" inside values.
TEST(EntityPass, QuotEqualsTheWalkOverEveryTag) {
    test::MarkupSource source({"<a", "<", ">", " ", "=", "= ", "\"", "'", "&quot;", "&quot;",
                               "title", "x", "\n", "a<b", "<p class=", "1>0"},
                              17);
    for (int i = 0; i < 20000; ++i) {
        const std::string input = source.Next(50);
        Engine engine = EngineAtLevel(3);
        std::string chunk = input;
        CompressEntities(engine, chunk);
        SCOPED_TRACE(input);
        ASSERT_EQ(chunk, ReplaceQuotLiterally(input));
    }
}

// The declaration goes after the ">" of the HEAD tag, else of the first "<html" tag, unless
// the chunk names a character set anywhere.
TEST(CharsetDeclaration, Placement) {
    const Row rows[] = {
        {"<HTML><HEAD><TITLE>", "<HTML><HEAD>" + kDeclaration + "<TITLE>"},
        {"<html><head profile=x><title>", "<html><head profile=x>" + kDeclaration + "<title>"},
        {"<html lang=en><body>x", "<html lang=en>" + kDeclaration + "<body>x"},
        {"<html><header>x</header>", "<html>" + kDeclaration + "<header>x</header>"},
        {"<html><header></header><head\n>", "<html><header></header><head\n>" + kDeclaration},
        {"<html>", "<html>" + kDeclaration},
        {"<html><head><meta charset=\"utf-8\">", "<html><head><meta charset=\"utf-8\">"},
        {"<html><head><body>Use CHARSET = x", "<html><head><body>Use CHARSET = x"},
        {"<body>no head, no html</body>", "<body>no head, no html</body>"},
        // A HEAD tag without its ">" gets nothing; the "<html" tag is not tried then.
        {"<html><head ", "<html><head "},
        {"<html", "<html"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        Engine engine = EngineAtLevel(0, true);
        std::string chunk = row.input;
        InsertCharsetDeclaration(engine, chunk, true);
        EXPECT_EQ(chunk, row.expected);
        EXPECT_EQ(engine.stats.file[kSlotEntities],
                  static_cast<int32_t>(row.input.size() - chunk.size()));
    }
    Engine off = EngineAtLevel(0, false);
    std::string chunk = "<html><head>";
    InsertCharsetDeclaration(off, chunk, true);
    EXPECT_EQ(chunk, "<html><head>");
}

// Inside the entity pass the declaration is counted with the entities; the pass stops before
// it when the chunk has no "&".
TEST(CharsetDeclaration, WithinTheEntityPass) {
    for (uint8_t level = 1; level <= 5; ++level) {
        SCOPED_TRACE(static_cast<int>(level));
        Engine engine = EngineAtLevel(level, true);
        std::string chunk = "<html><head><title>no entity</title>";
        CompressEntities(engine, chunk);
        EXPECT_EQ(chunk, "<html><head><title>no entity</title>");
        EXPECT_EQ(engine.stats.file[kSlotEntities], 0);
    }
    Engine engine = EngineAtLevel(1, true);
    std::string chunk = "<html><head>&eacute;";
    CompressEntities(engine, chunk);
    EXPECT_EQ(chunk, "<html><head>" + kDeclaration + "&#233;");
    EXPECT_EQ(engine.stats.file[kSlotEntities], 2 - 72);
    // Without its own counting the step leaves the saved length of the calling pass alone.
    engine.run.saved_length = 5;
    chunk = "<html>";
    InsertCharsetDeclaration(engine, chunk, false);
    EXPECT_EQ(engine.run.saved_length, 5);
    EXPECT_EQ(engine.stats.file[kSlotEntities], 2 - 72);
}

// Level 0 with UseISOTag through the dispatcher: no entity changes, the declaration alone,
// counted as -72.
TEST(CharsetDeclaration, LevelZeroThroughTheDispatcher) {
    Engine engine = EngineAtLevel(0, true);
    const std::string input = "<html><head>&eacute;&nbsp;</head><body></body></html>";
    RunOutcome outcome;
    ASSERT_EQ(RunPipeline(engine, input, "doc", "", outcome), 0);
    EXPECT_EQ(outcome.document,
              "<html><head>" + kDeclaration + "&eacute;&nbsp;</head><body></body></html>");
    EXPECT_EQ(engine.stats.file[kSlotEntities], -72);
}

// A document of several chunks: each chunk is handled on its own, and only the one holding
// the HEAD tag receives the declaration (a later "<header>" does not count).
TEST(CharsetDeclaration, OnlyTheChunkWithTheHeadTag) {
    const std::string unit = "<P>Caf&eacute; &amp; bar <header>x</header>\n";
    std::string body;
    int32_t units = 0;
    for (; body.size() < 70000; ++units)
        body += unit;
    const std::string input =
        "<html><head><title>t</title></head><body>\n" + body + "</body></html>\n";
    std::vector<std::string_view> chunks;
    ASSERT_EQ(CutIntoChunks(input, chunks), 0);
    ASSERT_EQ(chunks.size(), 2u);

    Engine engine = EngineAtLevel(1, true);
    RunOutcome outcome;
    ASSERT_EQ(RunPipeline(engine, input, "doc", "", outcome), 0);
    const std::string& out = outcome.document;
    const size_t first = out.find(kDeclaration);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(out.substr(0, first), "<html><head>");
    EXPECT_EQ(out.find(kDeclaration, first + 1), std::string::npos);
    EXPECT_EQ(out.find("&eacute;"), std::string::npos);
    EXPECT_EQ(engine.stats.file[kSlotEntities], 2 * units - 72);
}

}  // namespace
}  // namespace tsqz
