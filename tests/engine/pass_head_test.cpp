// Head and comment clean-up: comments, COMMENT elements, META, DOCTYPE, non-HTML content.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "engine/passes/passes.h"
#include "engine/run/pipeline.h"
#include "support/literal_search.h"

namespace tsqz {
namespace {

using PassFn = void (*)(Engine&, Text&);

struct Row {
    std::string input;
    std::string expected;
};

Engine StatsEngine() {
    Engine engine;
    engine.stats.on = true;
    return engine;
}

void ExpectRows(PassFn pass, int slot, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        Engine engine = StatsEngine();
        std::string chunk = row.input;
        pass(engine, chunk);
        EXPECT_EQ(chunk, row.expected);
        EXPECT_EQ(engine.stats.file[static_cast<size_t>(slot)],
                  static_cast<int32_t>(row.input.size() - chunk.size()));
    }
}

// ---- Literal references: cut in place, then search the changed text again. ----

bool IsTagEnd(unsigned char c) {
    return c == '>' || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Last start of `tag` (as a whole name) before position p.
int32_t LastTagBefore(const std::string& text, const std::string& tag, int32_t p) {
    for (int32_t q = p - 1; q >= 1; --q) {
        if (FindText(text, tag, -q) == q && IsTagEnd(ByteAt(text, q + Len(tag)))) return q;
    }
    return 0;
}

bool InsideLiteralElement(const std::string& original, int32_t p) {
    for (std::string name : {"style", "textarea", "title", "xmp"}) {
        const int32_t open = LastTagBefore(original, "<" + name, p);
        if (open != 0 && open > LastTagBefore(original, "</" + name, p)) return true;
    }
    return false;
}

// Whether a comment lies inside an element is asked of the chunk as it came, so each byte
// carries its original position through the cuts.
std::string ReferenceRemoveComments(std::string t) {
    const std::string original = t;
    std::vector<int32_t> origin(t.size());
    std::iota(origin.begin(), origin.end(), 1);
    auto cut = [&](int32_t at, int32_t count) {
        DeleteAt(t, at, count);
        origin.erase(origin.begin() + (at - 1), origin.begin() + (at - 1 + count));
    };
    if (FindText(t, "<!--", 1) != 0) {
        int32_t cursor = 1;
        for (;;) {
            const int32_t p = FindText(t, "<!--", cursor);
            if (p == 0) break;
            if (ByteAt(t, p + 4) == '#') {
                cursor = p + 4;
                continue;
            }
            const int32_t e = FindText(t, "-->", p);
            if (e == 0) break;
            const int32_t w = FindText(t, "webbot", -(p + 4));
            if ((w == 0 || w > e) &&
                !InsideLiteralElement(original, origin[static_cast<size_t>(p - 1)])) {
                cut(p, e + 3 - p);
                cursor = p + 1;
            } else {
                cursor = p + 4;
            }
        }
    }
    for (int32_t p = FindText(t, "<COMMENT>", -1); p != 0; p = FindText(t, "<COMMENT>", -p)) {
        const int32_t e = FindText(t, "</COMMENT>", -(p + 1));
        if (e == 0) break;
        DeleteAt(t, p, e + 10 - p);
    }
    return t;
}

std::string ReferenceRemoveMeta(std::string t, const std::string& open,
                                const std::vector<std::string>& markers, bool generator) {
    int32_t m = FindText(t, open, -1);
    while (m != 0) {
        const int32_t g = FindChar(t, '>', m);
        if (g == 0) break;
        bool marked = false;
        for (const std::string& marker : markers) {
            const int32_t k = FindTextBack(t, marker, -g);
            if (k != 0 && (generator ? k > m : k >= m)) {
                marked = true;
                break;
            }
        }
        if (marked == generator) DeleteAt(t, m, g - m + 1);
        m = FindText(t, open, -g);
    }
    return t;
}

std::string RandomText(std::mt19937& rng, const std::vector<std::string>& alphabet) {
    std::uniform_int_distribution<size_t> length(0, 40), pick(0, alphabet.size() - 1);
    std::string text;
    for (size_t n = length(rng); n > 0; --n)
        text += alphabet[pick(rng)];
    return text;
}

// ---- Comments ----

// The "#" and "webbot" exceptions, the resumption rules and the end of a comment.
TEST(CommentRemoval, Rules) {
    ExpectRows(RemoveComments, kSlotStripComments,
               {
                   {"a<!--#echo var=DATE_LOCAL-->b", "a<!--#echo var=DATE_LOCAL-->b"},
                   {"a<!-- webbot bot=Timestamp -->b", "a<!-- webbot bot=Timestamp -->b"},
                   {"a<!-- WebBot -->b<!-- x -->c", "a<!-- WebBot -->bc"},
                   {"a<!-- note -->b", "ab"},
                   {"a<!-- note -->webbot", "awebbot"},
                   {"<!-- a --> b -->", " b -->"},
                   {"a<!-->b<!--->c", "abc"},
                   // The search resumes one byte after where the removed comment began.
                   {"<!--a--><!--b-->", "<!--b-->"},
                   {"<!--a--><!--b--><!--c-->", "<!--b-->"},
                   {"<!--a-->x<!--b-->", "x"},
                   {"<!--#a--><!--b-->", "<!--#a-->"},
                   // An unclosed comment ends the pass; the rest stays.
                   {"a<!-- open", "a<!-- open"},
                   {"<!--a--> <!-- open", " <!-- open"},
               });
}

// COMMENT elements go with their content; one without an end tag stays.
TEST(CommentRemoval, CommentElements) {
    ExpectRows(RemoveComments, kSlotStripComments,
               {
                   {"x<COMMENT>hidden</COMMENT>y", "xy"},
                   {"<comment>a</Comment><COMMENT>b</COMMENT>c<COMMENT>d</COMMENT>", "c"},
                   {"a<COMMENT>never closed", "a<COMMENT>never closed"},
                   {"<COMMENT>a</COMMENT><COMMENT>b", "<COMMENT>b"},
                   {"<!--a--><COMMENT><!--b--></COMMENT>z", "z"},
               });
}

// Inside a style sheet the pass did not protect, or a TEXTAREA or TITLE, the comment
// markers are content, so the comment stays.
TEST(CommentRemoval, CommentsThatAreContent) {
    ExpectRows(
        RemoveComments, kSlotStripComments,
        {
            {"<@STY@><style media=print><!-- p{} --></style><!-- x -->",
             "<@STY@><style media=print><!-- p{} --></style>"},
            {"<STYLE>\n<!--\nb{}\n-->\n</STYLE>", "<STYLE>\n<!--\nb{}\n-->\n</STYLE>"},
            {"<textarea><!-- shown --></textarea><title><!--t--></title>",
             "<textarea><!-- shown --></textarea><title><!--t--></title>"},
            {"<titles><!--x--></titles><stylesheet><!--y-->", "<titles></titles><stylesheet>"},
            {"<style>unclosed <!--a--> <!--b-->", "<style>unclosed <!--a--> <!--b-->"},
        });
}

// The one-pass loop cuts exactly what cutting in place and searching again cuts.
TEST(CommentRemoval, MatchesTheLiteralLoop) {
    const std::vector<std::string> alphabet = {
        "<!--", "-->",       "--",         "<!-->",   "<",        "!",       "-",
        ">",    "#",         "webbot",     "WEBBOT",  "web",      "bot",     "x",
        " ",    "<COMMENT>", "</comment>", "<style>", "</style>", "<title ", "</TITLE>",
    };
    std::mt19937 rng(7);
    for (int i = 0; i < 20000; ++i) {
        const std::string input = RandomText(rng, alphabet);
        SCOPED_TRACE(input);
        Engine engine;
        std::string chunk = input;
        RemoveComments(engine, chunk);
        ASSERT_EQ(chunk, ReferenceRemoveComments(input));
    }
}

// ---- META ----

// The keep-list needs quoted values; an element cut leaves the next search at the number its
// ">" had, so a META within that many bytes is passed over.
TEST(MetaRemoval, KeepListAndResumption) {
    ExpectRows(RemoveMetaTags, kSlotStripAllMeta,
               {
                   {"<META NAME=\"keywords\" CONTENT=\"a,b\">",
                    "<META NAME=\"keywords\" CONTENT=\"a,b\">"},
                   {"<meta http-equiv=\"refresh\" content=\"5\">",
                    "<meta http-equiv=\"refresh\" content=\"5\">"},
                   {"<META NAME=\"Description\" CONTENT=\"x\">",
                    "<META NAME=\"Description\" CONTENT=\"x\">"},
                   {"<META NAME=\"author\" CONTENT=\"y\">", "<META NAME=\"author\" CONTENT=\"y\">"},
                   {"<META NAME=\"RATING\" CONTENT=\"General\">",
                    "<META NAME=\"RATING\" CONTENT=\"General\">"},
                   {"a<META NAME=\"GENERATOR\" CONTENT=\"z\">b", "ab"},
                   {"<META NAME=keywords CONTENT=a>", ""},
                   {"<meta http-equiv=refresh>", ""},
                   // A marker after the element's ">" does not keep it.
                   {"<META x>NAME=\"AUTHOR\"", "NAME=\"AUTHOR\""},
                   {"<META a><META b>", "<META b>"},
                   {"<META a>12345678<META b>", "12345678"},
                   {"<META NAME=\"AUTHOR\"><META b>", "<META NAME=\"AUTHOR\">"},
                   {"<META x><META NAME=\"AUTHOR\" CONTENT=\"long enough\"><META y>",
                    "<META NAME=\"AUTHOR\" CONTENT=\"long enough\">"},
                   // An element without ">" stays and ends the pass.
                   {"<META a><META b", "<META b"},
               });
    Engine engine;
    std::string chunk = "no meta";
    RemoveMetaTags(engine, chunk);
    EXPECT_TRUE(engine.run.meta_pass_ran);
}

// Generator METAs: "<META NAME" with one space, the word anywhere in the element.
TEST(MetaRemoval, GeneratorOnly) {
    ExpectRows(RemoveGeneratorMeta, kSlotStripGenerator,
               {
                   {"a<META NAME=\"GENERATOR\" CONTENT=\"z\">b", "ab"},
                   {"<META NAME=\"Formatter\" CONTENT=\"z\">", ""},
                   {"<meta name=\"x\" content=\"Some Generator 1.0\">", ""},
                   {"<META NAME=\"keywords\" CONTENT=\"a\"><META NAME=\"GENERATOR\">",
                    "<META NAME=\"keywords\" CONTENT=\"a\">"},
                   {"<META  NAME=\"GENERATOR\">", "<META  NAME=\"GENERATOR\">"},
                   {"<META HTTP-EQUIV=\"GENERATOR\">", "<META HTTP-EQUIV=\"GENERATOR\">"},
                   {"<META NAME=\"GENERATOR\"", "<META NAME=\"GENERATOR\""},
               });
}

// Both META loops cut exactly what cutting in place and searching again cuts.
TEST(MetaRemoval, MatchesTheLiteralLoop) {
    const std::vector<std::string> alphabet = {
        "<META",
        "<meta ",
        "<META NAME",
        "<meta name",
        "<META  NAME",
        ">",
        "NAME=\"KEYWORDS\"",
        "name=\"author\"",
        "HTTP-EQUIV=\"",
        "http-equiv=",
        "NAME=\"DESCRIPTION\"",
        "NAME=\"RATING\"",
        "GENERATOR",
        "formatter",
        "x",
        " ",
        "\"",
        "12345",
    };
    const std::vector<std::string> keep = {"NAME=\"KEYWORDS\"", "HTTP-EQUIV=\"",
                                           "NAME=\"DESCRIPTION\"", "NAME=\"AUTHOR\"",
                                           "NAME=\"RATING\""};
    const std::vector<std::string> generator = {"GENERATOR", "FORMATTER"};
    std::mt19937 rng(11);
    for (int i = 0; i < 20000; ++i) {
        const std::string input = RandomText(rng, alphabet);
        SCOPED_TRACE(input);
        Engine engine;
        std::string all = input, gen = input;
        RemoveMetaTags(engine, all);
        ASSERT_EQ(all, ReferenceRemoveMeta(input, "<META", keep, false));
        RemoveGeneratorMeta(engine, gen);
        ASSERT_EQ(gen, ReferenceRemoveMeta(input, "<META NAME", generator, true));
    }
}

// ---- DOCTYPE and non-HTML content ----

TEST(DoctypeRemoval, FirstDeclarationOnly) {
    ExpectRows(RemoveDoctype, kSlotNoDTD,
               {
                   {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">\n<html>", "\n<html>"},
                   {"<!doctype a><!DOCTYPE b>x", "<!DOCTYPE b>x"},
                   {"<!DOCTYPE html", "<!DOCTYPE html"},
               });
}

// Text before "<html>" and after the last "</html>" is reduced to its tags; comments there
// are kept whole.
TEST(NonHtmlRemoval, PrefixAndTail) {
    ExpectRows(RemoveNonHTMLContent, kSlotStripNonHTML,
               {
                   {"junk<html>x</html>junk", "<html>x</html>"},
                   {"Content-type: text/html\r\n\r\n<!DOCTYPE HTML>\n<HTML>x</HTML>\n",
                    "<!DOCTYPE HTML><HTML>x</HTML>\n"},
                   {"x<html lang=en>y</html>", "x<html lang=en>y</html>"},
                   {"<html>a</html>\r\n", "<html>a</html>"},
                   {"<html>a</html>b</html> c <p>d", "<html>a</html>b</html><p>"},
                   {"a <!-- x > y --> b <html>", "<!-- x > y --><html>"},
                   {"<!-->x<html>", "<!--><html>"},
                   {"a <!-- x > y <html>", "<!-- x ><html>"},
                   {"</html> t <b>u</b> <!-- c > d -->x", "</html><b></b><!-- c > d -->"},
                   {"</html> a < b", "</html>"},
                   {"<html>x", "<html>x"},
               });
}

// Slots 14 and 15 keep the figure of the last chunk; the others add up over the chunks.
TEST(HeadPasses, LastChunkFigures) {
    const std::string doctype = "<!DOCTYPE HTML>";
    const std::string generator = "<META NAME=\"GENERATOR\" CONTENT=\"x\">";
    const std::string unit = "<P><!-- c -->text text text text text text text text text\n";
    std::string body;
    while (body.size() < 70000)
        body += unit;
    const std::string input =
        doctype + "\n<html><head>" + generator + "</head>\n" + body + "</html>\n";
    Engine engine;
    engine.stats.on = true;
    engine.options.NoDTD = 1;
    engine.options.StripGenerator = 1;
    engine.options.StripComments = 1;
    RunOutcome outcome;
    ASSERT_EQ(RunPipeline(engine, input, "doc", "", outcome), 0);
    const std::string& out = outcome.document;
    EXPECT_TRUE(out.starts_with("\n<html><head></head>\n<P>")) << out.substr(0, 40);
    EXPECT_EQ(out.find("<!--"), std::string::npos);
    EXPECT_EQ(engine.stats.file[kSlotNoDTD], 0);
    EXPECT_EQ(engine.stats.file[kSlotStripGenerator], 0);
    EXPECT_EQ(engine.stats.file[kSlotStripComments],
              static_cast<int32_t>(input.size() - out.size() - doctype.size() - generator.size()));
}

// With StripAllMeta on, the generator pass does not run in that chunk.
TEST(HeadPasses, MetaPassReplacesGeneratorPass) {
    Engine engine;
    engine.stats.on = true;
    engine.options.StripAllMeta = 1;
    engine.options.StripGenerator = 1;
    RunOutcome outcome;
    const std::string input =
        "<html><META NAME=\"GENERATOR\" CONTENT=\"x\"><META NAME=\"AUTHOR\" CONTENT=\"y\"></html>";
    ASSERT_EQ(RunPipeline(engine, input, "doc", "", outcome), 0);
    EXPECT_EQ(outcome.document, "<html><META NAME=\"AUTHOR\" CONTENT=\"y\"></html>");
    EXPECT_EQ(engine.stats.file[kSlotStripAllMeta], 35);
    EXPECT_EQ(engine.stats.file[kSlotStripGenerator], 0);
}

}  // namespace
}  // namespace tsqz
