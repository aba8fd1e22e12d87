// Phrase-tag conversions and end-tag removal: the rows, the element-only matching, the
// agreement of start and end tags, and behaviour on random and truncated markup.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "passes/passes.h"
#include "support/random_markup.h"

namespace tsqz {
namespace {

struct Outcome {
    std::string text;
    int32_t saved;
};

// Each rule charges its own slot.
int SlotOf(TagRule rule) {
    switch (rule) {
        case TagRule::STRONGtoB:
            return kSlotSTRONGtoB;
        case TagRule::EMToI:
            return kSlotEMToI;
        case TagRule::CITEToI:
            return kSlotCITEToI;
        case TagRule::ADDRESSToI:
            return kSlotADDRESSToI;
        case TagRule::DFNToI:
            return kSlotDFNToI;
        case TagRule::CODEToTT:
            return kSlotCODEToTT;
        case TagRule::SAMPToTT:
            return kSlotSAMPToTT;
        case TagRule::KBDToTT:
            return kSlotKBDToTT;
        case TagRule::StripClosingP:
            return kSlotStripClosingP;
        case TagRule::StripClosingLI:
            return kSlotStripClosingLI;
    }
    return 0;
}

Outcome RunPass(TagRule rule, std::string text) {
    Engine engine;
    engine.stats.on = true;
    ApplyTagRule(engine, text, rule);
    int32_t total = 0;
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        if (slot != SlotOf(rule)) total += engine.stats.file[static_cast<size_t>(slot)];
    }
    EXPECT_EQ(total, 0) << "savings charged to another slot";
    return {text, engine.stats.file[static_cast<size_t>(SlotOf(rule))]};
}

struct Row {
    TagRule rule;
    const char* input;
    const char* expected;
    int32_t saved;
};

void Check(const Row& row) {
    SCOPED_TRACE(row.input);
    const Outcome out = RunPass(row.rule, row.input);
    EXPECT_EQ(out.text, row.expected);
    EXPECT_EQ(out.saved, row.saved);
}

// Every row rewrites start and end tags in any letter case into its upper-case replacement.
TEST(TagConversions, EveryRowWithItsReplacementAndSlot) {
    const Row rows[] = {
        {TagRule::STRONGtoB, "<strong>x</Strong>", "<B>x</B>", 10},
        {TagRule::STRONGtoB, "<StRoNg>", "<B>", 5},
        {TagRule::EMToI, "<em>x</EM>", "<I>x</I>", 2},
        {TagRule::CITEToI, "<cite>x</cite>", "<I>x</I>", 6},
        {TagRule::ADDRESSToI, "<ADDRESS>x</address>", "<I>x</I>", 12},
        {TagRule::DFNToI, "<dfn>x</dfn>", "<I>x</I>", 4},
        {TagRule::CODEToTT, "<code>x</Code>", "<TT>x</TT>", 4},
        {TagRule::SAMPToTT, "<samp>x</samp>", "<TT>x</TT>", 4},
        {TagRule::KBDToTT, "<kbd>x</KBD>", "<TT>x</TT>", 2},
        {TagRule::EMToI, "", "", 0},
        {TagRule::EMToI, "<B>no emphasis</B>", "<B>no emphasis</B>", 0},
        // Only a name followed directly by ">" is the bare tag.
        {TagRule::STRONGtoB, "<STRONG >x</STRONG >", "<STRONG >x</STRONG >", 0},
    };
    for (const Row& row : rows)
        Check(row);
}

// The two deletions remove the whole end tag wherever it stands, in any case.
TEST(TagConversions, ClosingParagraphAndListItemTagsAreDeleted) {
    const Row rows[] = {
        {TagRule::StripClosingP, "<P>one</P><P>two</p>", "<P>one<P>two", 8},
        {TagRule::StripClosingP, "<TD><P>a</P></TD></P>", "<TD><P>a</TD>", 8},
        {TagRule::StripClosingP, "<PRE>x</PRE></P >", "<PRE>x</PRE></P >", 0},
        {TagRule::StripClosingLI, "<UL><LI>a</LI><li>b</li></UL>", "<UL><LI>a<li>b</UL>", 10},
        {TagRule::StripClosingLI, "<LI>a</LINK>", "<LI>a</LINK>", 0},
    };
    for (const Row& row : rows)
        Check(row);
}

// A pattern counts only as the element's own name right after "<" or "</": longer names
// ending in the same letters and visible text keep every byte.
TEST(TagConversions, OnlyTheElementsOwnTagsAreRewritten) {
    const Row rows[] = {
        {TagRule::EMToI, "<EM>EM></EM>", "<I>EM></I>", 2},
        {TagRule::EMToI, "<ITEM>a problem>b</ITEM>", "<ITEM>a problem>b</ITEM>", 0},
        {TagRule::EMToI, "<EMBED src=x><EMX>", "<EMBED src=x><EMX>", 0},
        {TagRule::CODEToTT, "<!-- <CODE> -->", "<!-- <TT> -->", 2},
        {TagRule::CODEToTT, "x<CODE", "x<CODE", 0},
        {TagRule::CODEToTT, "x</CODE", "x</CODE", 0},
    };
    for (const Row& row : rows)
        Check(row);
}

// A start tag with attributes keeps its name, and so does the end tag that closes it by
// nesting; end tags of converted start tags, and bare ones that close nothing, are converted.
TEST(TagConversions, StartAndEndTagsAlwaysAgree) {
    const Row rows[] = {
        {TagRule::CODEToTT, "<CODE CLASS=x>a</CODE>", "<CODE CLASS=x>a</CODE>", 0},
        {TagRule::CODEToTT, "<CODE CLASS=x>a<CODE>b</CODE>c</CODE>",
         "<CODE CLASS=x>a<TT>b</TT>c</CODE>", 4},
        {TagRule::CODEToTT, "<CODE>a<CODE CLASS=x>b</CODE>c</CODE>",
         "<TT>a<CODE CLASS=x>b</CODE>c</TT>", 4},
        {TagRule::CODEToTT, "<code\tclass=x>a</code><code\nid=y>b</code>",
         "<code\tclass=x>a</code><code\nid=y>b</code>", 0},
        {TagRule::CODEToTT, "<CODE />a</CODE>", "<CODE />a</CODE>", 0},
        {TagRule::CODEToTT, "a</CODE>b", "a</TT>b", 2},
        {TagRule::CODEToTT, "a</CODE >b", "a</CODE >b", 0},
        // The end tag of a converted element follows it in whatever form it is written.
        {TagRule::CODEToTT, "<CODE>x</CODE >", "<TT>x</TT >", 4},
        {TagRule::STRONGtoB, "<STRONG id=a>x</STRONG></STRONG>", "<STRONG id=a>x</STRONG></B>", 5},
    };
    for (const Row& row : rows)
        Check(row);
}

// An element opened in one chunk and closed in the next keeps its agreement.
TEST(TagConversions, NestingCarriesOverFromChunkToChunk) {
    Engine engine;
    std::string first = "<P><CODE CLASS=x>a<CODE>b";
    std::string second = "<P>c</CODE>d</CODE><CODE>e</CODE>";
    ApplyTagRule(engine, first, TagRule::CODEToTT);
    ApplyTagRule(engine, second, TagRule::CODEToTT);
    EXPECT_EQ(first, "<P><CODE CLASS=x>a<TT>b");
    EXPECT_EQ(second, "<P>c</TT>d</CODE><TT>e</TT>");
    // A fresh run forgets what the last one left open.
    engine.run = RunState{};
    std::string alone = "x</CODE>";
    ApplyTagRule(engine, alone, TagRule::CODEToTT);
    EXPECT_EQ(alone, "x</TT>");
}

TEST(TagConversions, StatisticsOffChangesNoCounter) {
    Engine engine;
    std::string text = "<EM>a</EM></P>";
    ApplyTagRule(engine, text, TagRule::EMToI);
    ApplyTagRule(engine, text, TagRule::StripClosingP);
    EXPECT_EQ(text, "<I>a</I>");
    for (int32_t counter : engine.stats.file)
        EXPECT_EQ(counter, 0);
}

// Where every occurrence of the pattern is a bare tag, the result is the plain replace-all.
TEST(TagConversions, BareTagsGiveTheLiteralReplaceAll) {
    test::MarkupSource source(
        {"<EM>", "</EM>", "<em>", "</Em>", "<B>", "</B>", "x", " ", "<", "/", "M"}, 7);
    for (int i = 0; i < 3000; ++i) {
        const std::string input = source.Next(30);
        std::string literal = input;
        ReplaceAllCase(literal, "EM>", "I>", true);
        // Text such as "<EM>" made of the pieces "<", "EM>" is a bare tag too; only a
        // pattern that follows neither "<" nor "</" would differ, and the pieces give none.
        SCOPED_TRACE(input);
        EXPECT_EQ(RunPass(TagRule::EMToI, input).text, literal);
    }
}

// The conversion as a plain walk over every "<" of the chunk, with the nesting rules of the
// pass; the pass itself only looks at the few "<" a sixteen-byte test lets through.
void ConvertLiterally(std::string& chunk, std::string_view name, std::string_view short_name,
                      std::vector<bool>& open) {
    std::string out;
    size_t copied = 0;
    for (size_t lt = 0; lt < chunk.size(); ++lt) {
        if (chunk[lt] != '<') continue;
        size_t at = lt + 1;
        const bool end_tag = at < chunk.size() && chunk[at] == '/';
        if (end_tag) ++at;
        if (at + name.size() >= chunk.size()) continue;
        bool named = true;
        for (size_t i = 0; i < name.size(); ++i)
            named = named && (chunk[at + i] | 0x20) == (name[i] | 0x20);
        if (!named) continue;
        const char next = chunk[at + name.size()];
        const bool bare = next == '>';
        if (!bare && std::string_view(" \t\n\r\f/").find(next) == std::string_view::npos) continue;
        bool convert = bare;
        if (!end_tag) {
            open.push_back(bare);
        } else if (!open.empty()) {
            convert = open.back();
            open.pop_back();
        }
        if (!convert) continue;
        out.append(chunk, copied, at - copied);
        out.append(short_name);
        copied = at + name.size();
    }
    out.append(chunk, copied, std::string::npos);
    chunk = out;
}

// Every conversion rule equals the plain walk on long random chunks (tags at chunk ends and
// at every place of a sixteen-byte block, names in mixed case, names split by "/" or "<"),
// with the nesting carried from chunk to chunk.
TEST(TagConversions, EqualTheWalkOverEveryTag) {
    struct Rule {
        TagRule rule;
        std::string_view name, short_name;
    };
    const Rule rules[] = {
        {TagRule::STRONGtoB, "STRONG", "B"}, {TagRule::EMToI, "EM", "I"},
        {TagRule::CITEToI, "CITE", "I"},     {TagRule::ADDRESSToI, "ADDRESS", "I"},
        {TagRule::DFNToI, "DFN", "I"},       {TagRule::CODEToTT, "CODE", "TT"},
        {TagRule::SAMPToTT, "SAMP", "TT"},   {TagRule::KBDToTT, "KBD", "TT"}};
    test::MarkupSource source(
        {"<",    "</",  ">",  "/",        " ",      "x",     "s",       "S",     "e",
         "<e",   "</E", "em", "EM",       "Strong", "cite",  "ADDRESS", "dfn",   "Code",
         "samp", "kbd", "\n", " class=a", "<em>",   "</em>", "<Code>",  "</kBd>"},
        23);
    for (int i = 0; i < 1500; ++i) {
        for (const Rule& rule : rules) {
            Engine engine;
            std::vector<bool> open;
            for (int chunk = 0; chunk < 3; ++chunk) {
                const std::string input = source.Next(60);
                std::string expected = input, actual = input;
                ConvertLiterally(expected, rule.name, rule.short_name, open);
                ApplyTagRule(engine, actual, rule.rule);
                SCOPED_TRACE(input);
                ASSERT_EQ(actual, expected);
            }
        }
    }
}

// On any markup every rule ends, never lengthens the text, charges exactly what it removed,
// and changes nothing on a second run over its own output.
TEST(TagConversions, RandomAndTruncatedMarkup) {
    test::MarkupSource source({"<", "</", ">", "STRONG", "strong", "EM", "CODE", "code ", "P", "LI",
                               " ", "class=x", "<ITEM>", "\n", "/"},
                              11);
    const TagRule rules[] = {TagRule::STRONGtoB, TagRule::EMToI, TagRule::CODEToTT,
                             TagRule::StripClosingP, TagRule::StripClosingLI};
    for (int i = 0; i < 2000; ++i) {
        const std::string input = source.Next(40);
        for (TagRule rule : rules) {
            SCOPED_TRACE(input);
            const Outcome once = RunPass(rule, input);
            EXPECT_LE(once.text.size(), input.size());
            EXPECT_EQ(once.saved, static_cast<int32_t>(input.size() - once.text.size()));
            if (rule != TagRule::StripClosingP && rule != TagRule::StripClosingLI) {
                EXPECT_EQ(RunPass(rule, once.text).text, once.text);
            }
        }
    }
    const std::string page = "<P><STRONG>a</STRONG><CODE class=x>b</CODE><EM>c</EM></P>";
    for (size_t cut = 0; cut <= page.size(); ++cut) {
        for (TagRule rule : rules) {
            SCOPED_TRACE(page.substr(0, cut));
            EXPECT_LE(RunPass(rule, page.substr(0, cut)).text.size(), cut);
        }
    }
}

}  // namespace
}  // namespace tsqz
