// Whitespace, line layout, script, ASP and style compression through the whole run: the
// blocks are compressed as they are cut out, and the layout passes never touch them.
#include <gtest/gtest.h>

#include <string>

#include "run/engine.h"
#include "run/pipeline.h"

namespace tsqz {
namespace {

Text WithCrLf(std::string_view lf_text) {
    Text out;
    for (char c : lf_text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

Text Compress(Engine& engine, std::string_view document) {
    RunOutcome outcome;
    EXPECT_EQ(RunPipeline(engine, document, "test", "", outcome), 0);
    EXPECT_TRUE(outcome.completed);
    return outcome.document;
}

void LayoutAndScriptOptions(OptionBlock& o) {
    o.StripSpaces = 1;
    o.OptimizeLines = 1;
    o.WordWrap = 60;
    o.CompressScripts = 1;
    o.CompressStyleSheets = 1;
    o.ScriptSpaces = 1;
    o.ScriptComments = 1;
    o.ScriptLines = 1;
    o.ScriptEOLs = 1;
    o.ASPBlocks = 1;
}

constexpr std::string_view kPage =
    "<html>\n<head>\n<title>Test  page</title>\n"
    "<style type=\"text/css\">\nbody { color : black ; }\np {\n  margin : 0 ;\n}\n</style>\n"
    "<script language=\"JavaScript\">\n<!--\n// say hello\nfunction hi() {\n"
    "  alert(\"hi // there\");   /* inline */\n}\n//-->\n</script>\n</head>\n<body>\n"
    "<% Response.Write \"x\" %>text\n"
    "<p>Some   words  here and <b>bold</b> <i>italic</i>\n"
    "<pre>keep   this\n  as is</pre>\n</body>\n</html>\n";

// The style sheet is joined and its spaces go; the script loses its comments and indents but
// keeps "//" inside a string and the closing "//-->"; the ASP code loses its edge spaces and
// nothing outside them (the line end before it shows as a space, since its output may be
// words); the PRE block comes back as it was.
constexpr std::string_view kStyle =
    "<style type=\"text/css\"> body{color:black;}p{margin:0;}</style>";
constexpr std::string_view kScript =
    "<script language=\"JavaScript\">\n<!--\nfunction hi() {\nalert(\"hi // there\");   \n}\n"
    "//-->\n</script>";

TEST(PipelineLayoutTest, LfPageThroughEveryPass) {
    Engine engine;
    LayoutAndScriptOptions(engine.options);
    EXPECT_EQ(Compress(engine, kPage),
              "<html><head><title>Test  page</title>" + Text(kStyle) + Text(kScript) +
                  "</head>\n<body> <%Response.Write \"x\"%>text<p>Some words here and "
                  "<b>bold</b>\n<i>italic</i> <pre>keep   this\n  as is</pre></body></html>\n");
}

TEST(PipelineLayoutTest, CrLfPageThroughEveryPass) {
    Engine engine;
    LayoutAndScriptOptions(engine.options);
    // Rewrapping writes CR LF at one column less; the script loses its CRs by its own switch.
    EXPECT_EQ(Compress(engine, WithCrLf(kPage)),
              "<html><head><title>Test  page</title>" + Text(kStyle) + Text(kScript) +
                  "</head>\r\n<body> <%Response.Write \"x\"%>text<p>Some words here and "
                  "<b>bold</b>\r\n<i>italic</i> <pre>keep   this\r\n  as is</pre></body></html>\n");
    // With CR LF conversion every later pass writes line feeds; PRE keeps its CR LF.
    engine.options.CRLFToLF = 1;
    EXPECT_EQ(Compress(engine, WithCrLf(kPage)),
              "<html><head><title>Test  page</title>" + Text(kStyle) + Text(kScript) +
                  "</head>\n<body> <%Response.Write \"x\"%>text<p>Some words here and "
                  "<b>bold</b>\n<i>italic</i> <pre>keep   this\r\n  as is</pre></body></html>\n");
}

// The style sheet is broken at the wrap column of the document in hand, whatever the
// documents and options before it.
TEST(PipelineLayoutTest, StyleWrapColumnFollowsTheCurrentDocument) {
    Text style = "<style>\n";
    for (int i = 0; i < 40; ++i)
        style += ".c" + std::to_string(i) + " { color: red; }\n";
    const Text page = WithCrLf("<html><head>" + style + "</style></head><body>x</body></html>\n");

    Engine fresh;
    LayoutAndScriptOptions(fresh.options);
    const Text expected = Compress(fresh, page);
    // The first break is probed 254 bytes in; the later ones one wrap column (59) apart.
    size_t longest = 0;
    for (size_t start = expected.find('\n') + 1, end;
         (end = expected.find('\n', start)) != Text::npos; start = end + 1) {
        longest = std::max(longest, end - start);
    }
    EXPECT_LT(longest, 60u) << expected;

    Engine used;
    used.options.OptimizeLines = 1;
    used.options.WordWrap = 254;
    Compress(used, "<html><body>an LF document</body></html>\n");
    LayoutAndScriptOptions(used.options);
    EXPECT_EQ(Compress(used, page), expected);
}

}  // namespace
}  // namespace tsqz
