// Cases where the passes as first written changed what a reader sees (or refused a sound
// page), each with the result it used to give and the one it gives now, through the whole
// run. A case passes when the run gives the new result; the old one is kept beside it as the
// record of what changed, and must differ from it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "passes/display_rules.h"
#include "run/engine.h"
#include "run/pipeline.h"

namespace tsqz {
namespace {

using SetOptions = void (*)(OptionBlock&);

struct MendCase {
    std::string_view what;
    SetOptions options;
    std::string_view input;
    std::string_view before;  // the old result; "refused N" when the run gave code N
    std::string_view now;     // the result now; "refused N" likewise
};

std::string Compressed(const MendCase& c) {
    Engine engine;
    c.options(engine.options);
    RunOutcome outcome;
    const int32_t code = RunPipeline(engine, c.input, "test", "", outcome);
    if (code < 0) return "refused " + std::to_string(code);
    return outcome.document;
}

void Lines(OptionBlock& o) { o.OptimizeLines = 1; }
void Spaces(OptionBlock& o) { o.StripSpaces = 1; }
void Wrap30(OptionBlock& o) {
    o.OptimizeLines = 1;
    o.WordWrap = 30;
}
void IsoTag(OptionBlock& o) { o.UseISOTag = 1; }
void LineEnds(OptionBlock& o) { o.CRLFToLF = 1; }
void Fonts(OptionBlock& o) { o.ShrinkFontTags = 1; }
void CommentsAndSpaces(OptionBlock& o) {
    o.StripComments = 1;
    o.StripSpaces = 1;
}
void Asp(OptionBlock& o) {
    o.ASPBlocks = 1;
    o.ScriptSpaces = 1;
    o.ScriptLines = 1;
}

// clang-format off
constexpr MendCase kCases[] = {
    // A UTF-8 page without a charset declaration is not declared ISO-8859-1; a Latin-1 one is.
    {"utf-8 text", IsoTag,
     "<html><head><title>\xE2\x80\x9Cx\xE2\x80\x9D</title></head></html>",
     "<html><head><META http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">"
     "<title>\xE2\x80\x9Cx\xE2\x80\x9D</title></head></html>",
     "<html><head><title>\xE2\x80\x9Cx\xE2\x80\x9D</title></head></html>"},
    {"utf-8 byte-order mark", IsoTag, "\xEF\xBB\xBF<html><head></head>x</html>",
     "\xEF\xBB\xBF<html><head><META http-equiv=\"Content-Type\" "
     "content=\"text/html; charset=ISO-8859-1\"></head>x</html>",
     "\xEF\xBB\xBF<html><head></head>x</html>"},
    // The page's CSS makes block-level elements text-level: the white space beside their tags
    // shows. By element name, by a class or an id on the tag, by a style attribute, and, for a
    // rule whose element cannot be told, for every element.
    {"css by name", Spaces,
     "<html><style>.header h3, .header h4 {display: inline-block}</style><div class=header>"
     "<h3>research!rsc</h3> <h4>Thoughts</h4></div></html>",
     "<html><style>.header h3, .header h4 {display: inline-block}</style><div class=header>"
     "<h3>research!rsc</h3><h4>Thoughts</h4></div></html>",
     "<html><style>.header h3, .header h4 {display: inline-block}</style><div class=header>"
     "<h3>research!rsc</h3> <h4>Thoughts</h4></div></html>"},
    {"css by class", Lines,
     "<html><style>.tab{display:inline}</style><ul><li class=tab>a</li>\n<li>b</li></ul></html>",
     "<html><style>.tab{display:inline}</style><ul><li class=tab>a</li><li>b</li></ul></html>",
     "<html><style>.tab{display:inline}</style><ul><li class=tab>a</li> <li>b</li></ul></html>"},
    {"style attribute", Lines,
     "<html><div style=\"display:inline\">a</div>\n<div>b</div></html>",
     "<html><div style=\"display:inline\">a</div><div>b</div></html>",
     "<html><div style=\"display:inline\">a</div> <div>b</div></html>"},
    {"css unresolved", Lines,
     "<html><style>@media screen { [data-x] { display : inline-block !important } }</style>"
     "<p data-x>a</p>\n<p data-x>b</p></html>",
     "<html><style>@media screen { [data-x] { display : inline-block !important } }</style>"
     "<p data-x>a</p><p data-x>b</p></html>",
     "<html><style>@media screen { [data-x] { display : inline-block !important } }</style>"
     "<p data-x>a</p> <p data-x>b</p></html>"},
    // Rewrapping breaks no quoted attribute value: scripts and style sheets read it as it is.
    {"line end inside a value", Wrap30,
     "<html><meta name=x content=\"one two three four five six seven eight nine ten eleven "
     "twelve\">",
     "<html><meta name=x\ncontent=\"one two three four\nfive six seven eight nine ten\neleven "
     "twelve\">",
     "<html><meta name=x\ncontent=\"one two three four five six seven eight nine ten eleven "
     "twelve\">\n"},
    // A later style element is a style sheet too, and a PRE element keeps its white space
    // whatever its attributes.
    {"second style element", Spaces,
     "<html><style>p{}</style><p>a<style>a[title=\"x  y\"]{color:red}</style></p></html>",
     "<html><style>p{}</style><p>a<style>a[title=\"x y\"]{color:red}</style></p></html>",
     "<html><style>p{}</style><p>a<style>a[title=\"x  y\"]{color:red}</style></p></html>"},
    {"pre with attributes", Lines, "<html><pre class=code>a\n   b</pre></html>",
     "<html><pre class=code>a    b</pre></html>", "<html><pre class=code>a\n   b</pre></html>"},
    // A comment or a script between text and a line end: the line end shows as a space.
    {"comment, line end, text", Lines, "<html>a<!-- c -->\nb</html>",
     "<html>a<!-- c -->b</html>", "<html>a<!-- c --> b</html>"},
    {"script, line end, text", Lines, "<html>a<script>x</script>\nb</html>",
     "<html>a<script>x</script>b</html>", "<html>a<script>x</script> b</html>"},
    // "< " is text: without the space it would open a B element.
    {"less-than and space", Spaces, "<html>a < b c</html>", "<html>a <b c</html>",
     "<html>a < b c</html>"},
    // "<>" is text.
    {"empty angle brackets", Lines, "<html>a<>\nb</html>", "<html>a<>b</html>",
     "<html>a<> b</html>"},
    // A CR alone is a line end.
    {"lone carriage return", LineEnds, "<html>one\rtwo</html>", "<html>onetwo</html>",
     "<html>one\ntwo</html>"},
    // A relative size in single quotes is a relative size.
    {"size in single quotes", Fonts, "<html><font size='+1'>x</font></html>",
     "<html><font size='+1'>x</font></html>", "<html><font size='4'>x</font></html>"},
    // The placeholder re-run read its numbered server-code markers differently from the real
    // markers and so could not match the PRE block lost with the comment.
    {"placeholder in a removed comment", CommentsAndSpaces,
     "x<!-- <pre>x</pre> --> <% a %> <html>", "refused -24", "x <% a %> <html>"},
    // Server code: nothing is added next to its output.
    {"code in an address", Asp, "<html><img src=\"<%=path%>/images/a.gif\"></html>",
     "<html><img src=\"<%=path%> /images/a.gif\"></html>",
     "<html><img src=\"<%=path%>/images/a.gif\"></html>"},
    {"code before a bracket", Asp, "<html>(<%=count%>)</html>",
     "<html>(<%=count%> )</html>", "<html>(<%=count%>)</html>"},
    {"code writing a caption", Asp, "<html><button><%=caption%></button></html>",
     "<html><button><%=caption%> </button></html>",
     "<html><button><%=caption%></button></html>"},
    {"spaces inside the code", Asp, "<html><% x %>text</html>", "<html><%x%> text</html>",
     "<html><%x%>text</html>"},
    {"line ends outside the code", Asp, "<html><%=a%>\n<%=b%></html>",
     "<html><%=a%><%=b%> </html>", "<html><%=a%>\n<%=b%></html>"},
};
// clang-format on

TEST(PageLookMendsTest, EachCaseGivesItsNewResult) {
    for (const MendCase& c : kCases) {
        SCOPED_TRACE(std::string(c.what));
        EXPECT_NE(c.before, c.now);
        EXPECT_EQ(Compressed(c), c.now);
    }
}

// What the reading of a page's CSS finds: the elements it may make text-level.
TEST(PageLookMendsTest, ReadsWhichElementsTheStyleSheetsMakeTextLevel) {
    struct Reading {
        std::string_view document;
        bool all;
        std::vector<std::string> names;
    };
    const Reading readings[] = {
        {"<style>h3{display:block} div{color:red}</style>", false, {}},
        {"<style>UL LI.x > A, td { DISPLAY: Inline-Flex; }</style>", false, {"A", "TD"}},
        {"<style>/* h1 {display:inline} */ h2::after {display:inline} @font-face {x: y}</style>",
         false,
         {}},
        {"<style><!-- .a{display:contents} --></style><DIV CLASS='b A'><p id=c>", false, {"DIV"}},
        {"<style>#c:hover{display:var(--d)}</style><p id=C><p>", false, {"P"}},
        {"<style>*{display:inline}</style>", true, {}},
        {"<style>:is(h1,h2){display:inline}</style>", true, {}},
        {"<style>@media print { h5 { display: table-cell } }</style>", false, {}},
        {"<table style='display : inline-table'><div style='display:block'>", false, {"TABLE"}},
        {"<p>display: inline</p>", false, {}},
    };
    for (const Reading& r : readings) {
        SCOPED_TRACE(std::string(r.document));
        const DisplayRules rules = ReadDisplayRules(r.document);
        EXPECT_EQ(rules.all, r.all);
        EXPECT_EQ(rules.names, r.names);
    }
}

}  // namespace
}  // namespace tsqz
