// Script, ASP and style-sheet compression: examples, the mended cases, statistics, and the
// fast steps against plain in-place versions.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "passes/passes.h"
#include "passes/script_steps.h"
#include "support/literal_search.h"

namespace tsqz {
namespace {

struct Row {
    std::string_view input;
    std::string_view expected;
};

class ScriptsTest : public ::testing::Test {
  protected:
    ScriptsTest() {
        engine.stats.on = true;
        engine.run.lf_only = true;
    }

    Text Script(std::string_view input) {
        Text block(input);
        EXPECT_EQ(CompressScriptBlock(engine, block), 0);
        return block;
    }

    Text Style(std::string_view input) {
        Text block(input);
        CompressStyleBlock(engine, block);
        return block;
    }

    Engine engine;
};

Text WithCrLf(std::string_view lf_text) {
    Text out;
    for (char c : lf_text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// Language guess

TEST(ScriptLanguageTest, GuessesFromLineShapesOperatorsAndKeywords) {
    using enum ScriptLanguage;
    struct Case {
        std::string_view block;
        bool lf_only;
        ScriptLanguage language;
    };
    const Case cases[] = {
        {"a = 1;\nb = 2", true, kJavaScript},
        {"a = 1;\r\nb = 2", false, kJavaScript},
        {"a = 1;\r\nb = 2", true, kOther},  // with LF-only line ends ";" + CR is no shape
        {"function f()\n{ x }", true, kJavaScript},
        {"if a == b then", true, kJavaScript},             // "==" outside strings
        {"x = \"a == b\"\nIf x Then y", true, kVBScript},  // "==" in a string only
        {"x = \"{\" & \"}\"\nDim y", true, kVBScript},
        {"Dim x\nx = 1", true, kVBScript},
        {"msg = \"if \"", true, kOther},  // the keyword stands in a string
        {"x = 1\ny = 2", true, kOther},
        {"", true, kOther},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block);
        EXPECT_EQ(GuessScriptLanguage(c.block, c.lf_only), c.language);
    }
}

// ---------------------------------------------------------------------------------------
// Script compressor

TEST_F(ScriptsTest, JavaScriptComments) {
    engine.options.ScriptComments = 1;
    const Row rows[] = {
        // The "//-->" that closes a script hidden in an HTML comment stays.
        {"<script>//<!--\nx = 1;\n//--></script>", "<script>x = 1;\n//--></script>"},
        {"<script>\n<!--\n// hide\nx = 1;\n//-->\n</script>",
         "<script>\n<!--\nx = 1;\n//-->\n</script>"},
        {"a;\n// one\n// two\nb;\n", "a;\nb;\n"},
        {"x = 1; /* a */ y = 2; // b\nz = 3;\n", "x = 1;  y = 2; z = 3;\n"},
        {"a;\n/* one\n two */b;\n/*/ odd */c;", "a;\nb;\n odd */c;"},
        {"a; /* open\n", "a; /* open\n"},
        // Delimiters in strings and block comments start nothing.
        {"var u = \"http://x/\";\nvar v = 'a//b'; // c\n",
         "var u = \"http://x/\";\nvar v = 'a//b'; "},
        {"s = \"/* x */\";\n", "s = \"/* x */\";\n"},
        {"s = 'it\\'s // x';\n", "s = 'it\\'s // x';\n"},
        {"/* see http://x.org/ */\nf();\n/* two */ g();\n", "\nf();\n g();\n"},
        {"t = `a\n//b`;\n", "t = `a\n//b`;\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Script(row.input), row.expected);
    }
}

TEST_F(ScriptsTest, VBScriptSpacesAndComments) {
    engine.options.ScriptSpaces = 1;
    const Row spaces[] = {
        {"If a = 1 Then\nx = a + b\n", "If a=1 Then\nx=a+b\n"},
        {"MsgBox \"a = b\"\nIf x Then y", "MsgBox \"a = b\"\nIf x Then y"},
        {"Dim s\ns = \"x\" & \"y\" ' a = b\n", "Dim s\ns=\"x\"&\"y\" ' a = b\n"},
        {"Dim a\nIf a <> 1 Then\n", "Dim a\nIf a<>1 Then\n"},
    };
    for (const Row& row : spaces) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Script(row.input), row.expected);
    }

    // With comment removal on, operators inside comments count as code.
    engine.options.ScriptComments = 1;
    const Row comments[] = {
        {"Dim x\nx = 1 ' note\ny = 2\n", "Dim x\nx=1 \ny=2\n"},
        {"Dim s\nMsgBox \"it's\"\n", "Dim s\nMsgBox \"it's\"\n"},
        {"Dim s\n' whole line\n  ' indented\ns = 1\n", "Dim s\ns=1\n"},
        {"Dim s\nREM note\nrem note\ns = 1 REM x\n", "Dim s\nrem note\ns=1 REM x\n"},
        {"Dim s\n\"\"' after quotes\n", "Dim s\n\"\"\n"},
    };
    for (const Row& row : comments) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Script(row.input), row.expected);
    }
}

TEST_F(ScriptsTest, VBScriptCommentsInCrLfDocuments) {
    engine.run.lf_only = false;
    engine.options.ScriptComments = 1;
    engine.options.ScriptLines = 1;
    EXPECT_EQ(Script(WithCrLf("Dim x\nREM a\nx = 1 ' b\n\n\n<%\ny\n")),
              WithCrLf("Dim x\nx = 1 \n<%y\n"));
}

// A block with no braces, operators or keywords gets only tabs, line edges, empty lines and
// carriage returns done.
TEST_F(ScriptsTest, OtherLanguageGetsOnlyTheGeneralSteps) {
    engine.run.lf_only = false;
    engine.options.ScriptSpaces = 1;
    engine.options.ScriptComments = 1;
    engine.options.ScriptLines = 1;
    engine.options.ScriptEOLs = 1;
    EXPECT_EQ(Script("<script>\r\n\tfoo bar  \r\n\r\n\r\n  // keep\r\n</script>"),
              "<script>\nfoo bar\n// keep\n</script>");
}

// Every script switch on: a CR LF block comes out as its LF twin once its CRs are gone.
TEST_F(ScriptsTest, LfAndCrLfBlocksThroughEveryStep) {
    engine.options.ScriptSpaces = 1;
    engine.options.ScriptComments = 1;
    engine.options.ScriptLines = 1;
    engine.options.ScriptEOLs = 1;
    constexpr std::string_view kBlock =
        "<script>\n<!--\n\tvar a = 1;  // one\n\n\n  /* two */ b = \"x//y\";\n//-->\n</script>";
    constexpr std::string_view kCompressed =
        "<script>\n<!--\nvar a = 1;  \n b = \"x//y\";\n//-->\n</script>";
    EXPECT_EQ(Script(kBlock), kCompressed);
    engine.run.lf_only = false;
    EXPECT_EQ(Script(WithCrLf(kBlock)), kCompressed);
}

TEST_F(ScriptsTest, JavaScriptSpacesTrimTheBlock) {
    engine.options.ScriptSpaces = 1;
    engine.options.ScriptLines = 1;
    EXPECT_EQ(Script("  x = 1;\n\t  y = 2;   \n\n\n"), "x = 1;\ny = 2;\n");
}

TEST_F(ScriptsTest, ScriptStatistics) {
    engine.options.ScriptSpaces = 1;
    engine.options.ScriptComments = 1;
    engine.options.ScriptLines = 1;
    engine.options.ScriptEOLs = 1;
    engine.run.lf_only = false;
    Text block = "a = 1;  \r\n// c\r\n\r\n\r\nb = 2;\r\n";
    CompressScriptBlock(engine, block);
    EXPECT_EQ(block, "a = 1;\nb = 2;\n");
    const auto& s = engine.stats.file;
    EXPECT_EQ(s[kSlotScriptSpaces], 2);
    EXPECT_EQ(s[kSlotScriptComments], 6);
    EXPECT_EQ(s[kSlotScriptLines], 4);
    EXPECT_EQ(s[kSlotScriptEOLs], 2);
    EXPECT_EQ(s[kSlotScripts], 14);
}

// ---------------------------------------------------------------------------------------
// Style compressor

TEST_F(ScriptsTest, StyleSpacesAndComments) {
    engine.options.CompressStyleSheets = 1;
    engine.options.StripSpaces = 1;
    engine.options.StripComments = 1;
    const Row rows[] = {
        {"{ color : red ; }", "{color:red;}"},
        {"p { color : red ; }", "p{color:red;}"},
        {"<style>\n  h1 {\tmargin: 0 ;  }\n  /* note */\n</style>",
         "<style>\nh1{margin:0;}\n\n</style>"},
        {"a { background:url(http://x/a.png) }", "a{background:url(http://x/a.png)}"},
        {"@import \"http://x/s.css\";\np { font: 'A  B' }",
         "@import \"http://x/s.css\";\np{font:'A B'}"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(Style(row.input), row.expected);
    }
    engine.options.CompressStyleSheets = 0;
    EXPECT_EQ(Style("p { color : red ; }"), "p { color : red ; }");
}

// Lines are joined and broken after ";" or "}" about every W bytes, in LF documents too.
TEST_F(ScriptsTest, StyleLineBreaking) {
    engine.options.CompressStyleSheets = 1;
    engine.options.OptimizeLines = 1;
    Text rules;
    for (int i = 0; i < 30; ++i)
        rules += "p" + std::to_string(i) + " {\n  color: red;\n}\n";
    engine.run.wrap_column = 80;
    const Text lf = Style(rules);
    // Marks fall in the text as it was: the last "}" at or before 254 ends p11, the last one
    // at or before 241 + 80 ends p14. The line feed after a marked "}" has become a space.
    Text expected;
    for (int i = 0; i < 15; ++i) {
        expected += "p" + std::to_string(i) + " {  color: red; }";
        expected += i == 11 || i == 14 ? "\n " : " ";
    }
    EXPECT_EQ(lf.substr(0, expected.size()), expected);
    for (size_t at = lf.find('\n'); at != Text::npos; at = lf.find('\n', at + 1)) {
        EXPECT_EQ(lf[at - 1], '}');
    }

    engine.run.lf_only = false;
    engine.run.wrap_column = 79;
    const Text crlf = Style(WithCrLf(rules));
    EXPECT_EQ(std::count(crlf.begin(), crlf.end(), '\r'),
              std::count(crlf.begin(), crlf.end(), '\n'));
    for (size_t at = crlf.find('\n'); at != Text::npos; at = crlf.find('\n', at + 1)) {
        EXPECT_EQ(crlf.substr(at - 2, 2), "}\r");
    }

    // No line end inside a string or a url(), where it would cut the declaration: the
    // probe at 254 falls inside the string, so the break goes after the rule before it.
    engine.run.lf_only = true;
    engine.run.wrap_column = 254;
    Text quoted = "\"";
    for (int i = 0; i < 20; ++i)
        quoted += "x;y}";
    quoted += "\"";
    const Text url = "url(data:image/png;base64,AAAA)";
    Text sheet;
    for (int i = 0; i < 14; ++i)
        sheet += "p { color: red }\n";
    sheet += "q { content: " + quoted + "; background: " + url + " }\nr { color: red }\n";
    const Text broken = Style(sheet);
    EXPECT_NE(broken.find(quoted), Text::npos);
    EXPECT_NE(broken.find(url), Text::npos);
    EXPECT_EQ(broken.find('\n'), 14 * 17 - 1);  // right after the "}" of the last "p" rule

    // Bytes 0xFD and 0xFC of the style sheet itself are text, not line-break marks.
    engine.run.lf_only = true;
    engine.run.wrap_column = 254;
    Text latin = "p { font-family: \"Ann\xFD\xFC\" }\n";
    while (latin.size() < 600)
        latin += "q { content: \"\xFC\xFD\"; }\n";
    const Text out = Style(latin);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\xFD'),
              std::count(latin.begin(), latin.end(), '\xFD'));
    EXPECT_EQ(std::count(out.begin(), out.end(), '\xFC'),
              std::count(latin.begin(), latin.end(), '\xFC'));
    EXPECT_EQ(out.substr(0, 28), "p { font-family: \"Ann\xFD\xFC\" } q");
}

TEST_F(ScriptsTest, StyleStatisticsAndCrRemoval) {
    engine.options.CompressStyleSheets = 1;
    engine.options.CRLFToLF = 1;
    engine.run.lf_only = false;
    EXPECT_EQ(Style("p {\r\n x: y;\r\n}\r\n"), "p {\n x: y;\n}\n");
    EXPECT_EQ(engine.stats.file[kSlotStyleSheets], 3);
}

// ---------------------------------------------------------------------------------------
// Whole-document ASP pass

// Only white space between the delimiters goes; nothing outside them is added or removed,
// since the server sends it right beside the code's output.
TEST_F(ScriptsTest, ASPDocumentPass) {
    engine.options.ASPBlocks = 1;
    engine.options.ScriptSpaces = 1;
    Text doc = "<% x %>text";
    CompressASPDocument(engine, doc);
    EXPECT_EQ(doc, "<%x%>text");
    EXPECT_EQ(engine.stats.file[kSlotStyleSheets], 2);
    EXPECT_EQ(engine.stats.file[kSlotScriptSpaces], 0);

    const Row rows[] = {
        {"a <% b %>\nc", "a <%b%>\nc"},
        {"a <%  b %>c", "a <%b%>c"},  // " <% " after "<% ": the space inside goes
        {"<%a%>b<%c%>de", "<%a%>b<%c%>de"},
        {"<%a%>b", "<%a%>b"},
        {"<%a%>", "<%a%>"},
        {"<input value=\"<%=a%>\"><a href='<%=b%>'>x",
         "<input value=\"<%=a%>\"><a href='<%=b%>'>x"},
        {"<img src=\"<%=path%>/images/a.gif\">", "<img src=\"<%=path%>/images/a.gif\">"},
        {"(<%=count%>)", "(<%=count%>)"},
        {"<input type=submit value=<%=caption%>>", "<input type=submit value=<%=caption%>>"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        Text text(row.input);
        CompressASPDocument(engine, text);
        EXPECT_EQ(text, row.expected);
    }

    // Line ends inside the delimiters go; those outside stay.
    engine.options.ScriptLines = 1;
    engine.run.lf_only = false;
    doc = "x\r\n<%\r\na\r\n%>\r\ny\n<%b%>\nz";
    CompressASPDocument(engine, doc);
    EXPECT_EQ(doc, "x\r\n<%a\r%>\r\ny\n<%b%>\nz");
}

// ---------------------------------------------------------------------------------------
// The fast steps against plain in-place versions on random blocks

Text RandomBlock(std::mt19937& rng, const std::vector<std::string_view>& tokens, int max_tokens) {
    std::uniform_int_distribution<int> count(0, max_tokens);
    std::uniform_int_distribution<size_t> pick(0, tokens.size() - 1);
    Text text;
    for (int n = count(rng); n > 0; --n)
        text += tokens[pick(rng)];
    return text;
}

// The code reader's rules read one byte at a time: strings end at their line end unless it
// is escaped (template strings of scripts run on), "/*" opens a comment that "*/" closes, and
// in style sheets "url(" opens a literal that ")" or a line end closes.
class LiteralReader {
  public:
    explicit LiteralReader(bool style_sheet) : style_sheet_(style_sheet) {}

    // Reads every byte before the 1-based position `at`.
    void ReadTo(const Text& text, int32_t at) {
        for (; pos_ < at && pos_ <= Len(text); ++pos_) {
            unsigned char c = ByteAt(text, pos_);
            if (in_comment_) {
                if (previous_ == '*' && c == '/') {
                    in_comment_ = false;
                    c = 0;
                }
            } else if (quote_ != 0) {
                if (escaped_) {
                    escaped_ = c == '\r';
                } else if (c == '\\') {
                    escaped_ = true;
                } else if (c == quote_ || (c == '\n' && quote_ != '`')) {
                    quote_ = 0;
                }
            } else if (in_url_) {
                in_url_ = c != ')' && c != '\n';
            } else if (c == '"' || c == '\'' || (c == '`' && !style_sheet_)) {
                quote_ = c;
            } else if (previous_ == '/' && c == '*') {
                in_comment_ = true;
                c = 0;
            } else if (style_sheet_ && c == '(' && pos_ >= 4) {
                Text before = text.substr(static_cast<size_t>(pos_ - 4), 3);
                for (char& b : before)
                    b = static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b);
                in_url_ = before == "url";
            }
            previous_ = c;
        }
    }
    bool Code() const { return quote_ == 0 && !in_comment_ && !in_url_; }
    bool InLiteral() const { return quote_ != 0 || in_url_; }

  private:
    bool style_sheet_;
    int32_t pos_ = 1;
    unsigned char quote_ = 0;
    bool escaped_ = false;
    bool in_comment_ = false;
    bool in_url_ = false;
    unsigned char previous_ = 0;
};

bool LiteralCodeAt(const Text& text, int32_t pos, bool style_sheet) {
    LiteralReader reader(style_sheet);
    reader.ReadTo(text, pos);
    return reader.Code();
}

Text LiteralComments(Text t, bool style_sheet) {
    for (int32_t p = FindText(t, "//", 1); p != 0;) {
        const int32_t lf = FindChar(t, '\n', p);
        if (lf == 0) break;
        const int32_t arrow = FindText(t, "-->", p + 2);
        if (!LiteralCodeAt(t, p, style_sheet) || (arrow != 0 && arrow < lf)) {
            p = FindText(t, "//", p + 2);
            continue;
        }
        DeleteAt(t, p, lf - p + 1);
        p = FindText(t, "//", p);
    }
    for (int32_t p = FindText(t, "/*", 1); p != 0;) {
        if (!LiteralCodeAt(t, p, style_sheet)) {
            p = FindText(t, "/*", p + 2);
            continue;
        }
        const int32_t close = FindText(t, "*/", p);
        if (close == 0) break;
        DeleteAt(t, p, close + 2 - p);
        p = FindText(t, "/*", p);
    }
    return t;
}

// The text of the line before position p.
std::string_view LineBefore(const Text& t, int32_t p) {
    const int32_t start = p > 1 ? FindCharBack(t, '\n', p - 1) + 1 : 1;
    return std::string_view(t).substr(static_cast<size_t>(start - 1),
                                      static_cast<size_t>(p - start));
}

bool Only(std::string_view text, char c) {
    return text.find_first_not_of(c) == std::string_view::npos;
}

int32_t LineStart(const Text& t, int32_t p) { return p - Len(LineBefore(t, p)); }

void LiteralDeleteLine(Text& t, int32_t p) {
    const int32_t start = LineStart(t, p);
    const int32_t lf = FindChar(t, '\n', p);
    DeleteAt(t, start, (lf != 0 ? lf : Len(t)) - start + 1);
}

Text LiteralVBComments(Text t, bool lf_only) {
    for (int32_t p = FindText(t, "REM ", 1); p != 0;) {
        const std::string_view before = LineBefore(t, p);
        if (Only(before, ' ') || Only(before, '\t')) {
            const int32_t start = LineStart(t, p);
            LiteralDeleteLine(t, p);
            p = FindText(t, "REM ", start);
        } else {
            p = FindText(t, "REM ", p + 3);
        }
    }
    for (int32_t p = FindChar(t, '\'', 1); p != 0;) {
        const std::string_view before = LineBefore(t, p);
        if (Only(before, ' ') || Only(before, '\t')) {
            const int32_t start = LineStart(t, p);
            LiteralDeleteLine(t, p);
            p = FindChar(t, '\'', start);
        } else if (std::count(before.begin(), before.end(), '"') % 2 == 0 || Only(before, '"')) {
            int32_t end = FindChar(t, '\n', p);
            if (end == 0) {
                end = Len(t) + 1;
            } else if (!lf_only && ByteAt(t, end - 1) == '\r' && end - 1 > p) {
                --end;
            }
            DeleteAt(t, p, end - p);
            p = FindChar(t, '\'', p);
        } else {
            p = FindChar(t, '\'', p + 1);
        }
    }
    return t;
}

Text LiteralVBOperators(Text t, bool comments_removed) {
    for (std::string_view op :
         {"=", "+", "-", "*", "<", ">", "/", "&", ",", "(", ")", "<>", ">=", "<="}) {
        const auto n = static_cast<int32_t>(op.size());
        for (int32_t p = FindText(t, op, 1); p != 0; p = FindText(t, op, p + 1)) {
            const bool before = ByteAt(t, p - 1) == ' ';
            const bool after = ByteAt(t, p + n) == ' ';
            const std::string_view line = LineBefore(t, p);
            bool code = std::count(line.begin(), line.end(), '"') % 2 == 0;
            const size_t apostrophe = line.rfind('\'');
            if (code && !comments_removed && apostrophe != std::string_view::npos) {
                const std::string_view upto = line.substr(0, apostrophe + 1);
                code = std::count(upto.begin(), upto.end(), '"') % 2 != 0;
            }
            if (!(before || after) || !code) continue;
            if (after) DeleteAt(t, p + n, 1);
            if (before) DeleteAt(t, p - 1, 1);
        }
    }
    return t;
}

// Style line breaking with the marks written into the text, for texts without those bytes;
// the ";" and "}" inside strings and url() are hidden from it meanwhile.
Text LiteralStyleLines(Text t, bool lf_only, int32_t width) {
    {
        const Text source = t;
        LiteralReader reader(true);
        for (int32_t p = 1; p <= Len(t); ++p) {
            reader.ReadTo(source, p);
            char& c = t[static_cast<size_t>(p - 1)];
            if (reader.InLiteral() && c == ';') c = '\x01';
            if (reader.InLiteral() && c == '}') c = '\x02';
        }
    }
    int32_t probe = 254;
    int32_t last = 508;
    bool stopped = false;
    while (probe < Len(t)) {
        const int32_t semicolon = FindCharBack(t, ';', probe);
        const int32_t brace = FindCharBack(t, '}', probe);
        if (semicolon == 0 && brace == 0) break;
        if (semicolon < probe - 254 && brace < probe - 254) {
            stopped = true;
            break;
        }
        last = std::max(semicolon, brace);
        t[static_cast<size_t>(last - 1)] = last == semicolon ? '\xFD' : '\xFC';
        probe = last + width;
    }
    int32_t end = stopped ? last : Len(t);
    const auto walk = [&t, &end](char byte) {
        for (int32_t p = FindCharBack(t, byte, end); p != 0;
             p = p > 1 ? FindCharBack(t, byte, p - 1) : 0) {
            if (ByteAt(t, p - 1) == ' ' || ByteAt(t, p + 1) == ' ') {
                DeleteAt(t, p, 1);
                --end;
            } else {
                t[static_cast<size_t>(p - 1)] = ' ';
            }
        }
    };
    if (!lf_only) walk('\r');
    walk('\n');
    const Text line_end = lf_only ? "\n" : "\r\n";
    ReplaceAll(t, "\xFD", ";" + line_end);
    ReplaceAll(t, "\xFC", "}" + line_end);
    ReplaceAll(t, "\x01", ";");
    ReplaceAll(t, "\x02", "}");
    return t;
}

Text LiteralStyleSpaces(Text t, bool lf_only) {
    RemoveChar(t, '\t');
    ReplaceAllRepeat(t, "  ", " ");
    for (int32_t lf = FindText(t, "\n ", 1); lf != 0; lf = FindText(t, "\n ", lf + 1)) {
        const int32_t start = lf + 1;
        int32_t end = FindChar(t, lf_only ? '\n' : '\r', start);
        if (end == 0) end = Len(t) + 1;
        const Text line =
            t.substr(static_cast<size_t>(start - 1), static_cast<size_t>(end - start));
        t.replace(static_cast<size_t>(start - 1), line.size(),
                  TrimCharRight(TrimCharLeft(line, ' '), ' '));
    }
    for (auto [from, to] : {std::pair{"{ ", "{"},
                            {"} ", "}"},
                            {" {", "{"},
                            {" }", "}"},
                            {": ", ":"},
                            {" :", ":"},
                            {"; ", ";"},
                            {" ;", ";"}}) {
        ReplaceAllRepeat(t, from, to);
    }
    return t;
}

TEST(ScriptStepsTest, CommentRemovalMatchesInPlaceVersion) {
    const std::vector<std::string_view> tokens = {
        "//", "/*", "*/",   "/",    "*", "\n", "\r\n", "-->",     "'", "\"",
        "`",  "\\", "url(", "URL(", ")", "x",  " ",    "http://", ";"};
    std::mt19937 rng(3);
    for (int round = 0; round < 8000; ++round) {
        const Text input = RandomBlock(rng, tokens, 30);
        const bool style_sheet = round % 2 == 0;
        SCOPED_TRACE(input);
        Text fast = input;
        RemoveCodeComments(fast, style_sheet);
        ASSERT_EQ(fast, LiteralComments(input, style_sheet));
    }
}

// The code reader, asked at growing positions of an edited text (so that it reads across the
// edited part and the unread rest), answers as the byte-by-byte reading does at each of them,
// and the state it says holds for the next stretch does.
TEST(ScriptStepsTest, CodeReaderMatchesReadingByteByByte) {
    const std::vector<std::string_view> tokens = {
        "/*", "*/", "/",    "*",    "\n", "\r\n", "\r", "'", "\"",
        "`",  "\\", "url(", "uRl(", "(",  ")",    "x",  " ", "abcdefghijklmnopqrst"};
    std::mt19937 rng(9);
    for (int round = 0; round < 6000; ++round) {
        const Text source = RandomBlock(rng, tokens, 60);
        const bool style_sheet = round % 2 == 0;
        Text model = source;
        Rewriter text(source);
        if (!model.empty()) {
            const int32_t at = std::uniform_int_distribution<int32_t>(1, Len(model))(rng);
            text.Delete(static_cast<size_t>(at - 1), 1);
            DeleteAt(model, at, 1);
        }
        SCOPED_TRACE(model);
        CodeReader reader(style_sheet);
        LiteralReader literal(style_sheet);
        for (int32_t p = 1; p <= Len(model) + 1;
             p += std::uniform_int_distribution<int32_t>(1, 24)(rng)) {
            literal.ReadTo(model, p);
            ASSERT_EQ(reader.IsCodeAt(text, static_cast<size_t>(p - 1)), literal.Code()) << p;
            ASSERT_EQ(reader.InLiteral(), literal.InLiteral()) << p;
            // The state holds through the position the reader names.
            const int32_t same = static_cast<int32_t>(reader.SameStateThrough(text)) + 1;
            ASSERT_GE(same, p);
            LiteralReader ahead = literal;
            for (int32_t q = p + 1; q <= std::min(same, Len(model) + 1); ++q) {
                ahead.ReadTo(model, q);
                ASSERT_EQ(ahead.Code(), literal.Code()) << p << " " << q;
                ASSERT_EQ(ahead.InLiteral(), literal.InLiteral()) << p << " " << q;
            }
        }
    }
}

TEST(ScriptStepsTest, VBScriptStepsMatchInPlaceVersions) {
    const std::vector<std::string_view> tokens = {
        "REM ", "REM", "'",  "\"", "\n", "\r\n", " ", "  ", "\t", "x", "=", "<",
        ">",    "<>",  ">=", "&",  "(",  ")",    ",", "-",  "+",  "*", "/"};
    std::mt19937 rng(4);
    for (int round = 0; round < 8000; ++round) {
        const Text input = RandomBlock(rng, tokens, 30);
        const bool lf_only = round % 2 == 0;
        const bool comments = round % 3 == 0;
        SCOPED_TRACE(input);
        Text fast = input;
        RemoveVBScriptComments(fast, lf_only);
        ASSERT_EQ(fast, LiteralVBComments(input, lf_only));
        fast = input;
        RemoveVBScriptOperatorSpaces(fast, comments);
        ASSERT_EQ(fast, LiteralVBOperators(input, comments));
    }
}

TEST(ScriptStepsTest, StyleStepsMatchInPlaceVersions) {
    const std::vector<std::string_view> tokens = {";",  "}",  "{",   "ab",   "x: y", " ", "  ",
                                                  "\t", "\n", "\n ", "\r\n", "\r",   ":", "url(",
                                                  ")",  "\"", "'",   "/*",   "*/"};
    std::mt19937 rng(5);
    for (int round = 0; round < 4000; ++round) {
        const Text input = RandomBlock(rng, tokens, round % 4 == 0 ? 800 : 60);
        const bool lf_only = round % 2 == 0;
        const int32_t width =
            round % 3 == 0 ? 254 : std::uniform_int_distribution<int32_t>(1, 300)(rng);
        SCOPED_TRACE(input);
        Text fast = input;
        BreakStyleLines(fast, lf_only, width);
        ASSERT_EQ(fast, LiteralStyleLines(input, lf_only, width)) << "width " << width;
        fast = input;
        CompressStyleSpaces(fast, lf_only);
        ASSERT_EQ(fast, LiteralStyleSpaces(input, lf_only));
    }
}

}  // namespace
}  // namespace tsqz
