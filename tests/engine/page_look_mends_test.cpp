// Cases where the passes as first written changed what a reader sees (or refused a sound
// page), each with the result it used to give and the one it gives now, through the whole
// run. A case passes when the run gives the new result; the old one is kept beside it as the
// record of what changed, and must differ from it.
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace tsqz
