// Grammar-driven scripts and style sheets for the minifier checks (see minify_generator.h).
#include "minify_generator.h"

#include <string_view>

namespace tsqz::fuzz {
namespace {

// What may stand between two tokens of the input.
constexpr std::string_view kJsGaps[] = {
    " ", " ", " ", "", "", "\n", "\n  ", "\t", "/* c */", "/* a\nb */", "// line\n",
    " /*! keep */ ", "\r\n", "\xC2\xA0", "\xE2\x80\xA8",
};
constexpr std::string_view kIdentifiers[] = {"a", "b", "x", "$y", "_z", "of", "async", "let",
                                             "get", "yield", "\xC3\xA9t\xC3\xA9"};
constexpr std::string_view kWords[] = {"this", "null", "true", "false"};
// Property names in quotes and out: those a minifier may unquote and those it may not.
constexpr std::string_view kPropertyNames[] = {"'a'", "\"$b_1\"", "'a-b'", "\"class\"", "'1'",
                                               "\"01\"", "\"\\x61\"", "'\xC3\xA9'", "2", "true"};
constexpr std::string_view kNumbers[] = {"0", "1", "10", ".5", "1.5", "1e3", "0x1F", "1_000",
                                         "2n", "0.0", "5.", "1000", "0.50", "1.5e+3", "0.0000001",
                                         "120e-2", "010"};
constexpr std::string_view kStrings[] = {
    "'s'", "\"d\"", "' // no comment '", "'/* no */'", "\"a\\\"b\"", "'<!--'", "'-->'",
    "'a\\\nb'", "\"\\u002F\\x41\\'\"", "'\\\"\\u0027'", "'\\0\\x31\\0'", "'<\\/script>'",
    "'\\uD83D\\uDE00\\u00e9\\u{1F600}'", "'\\u2028\\t\\v\\x7f\\u0085'", "'<\\x21--\\x3c!--'",
    "'use\\x20strict'", "'\\101'"};
constexpr std::string_view kRegexes[] = {"/re/", "/a b/g", "/[/]/", "/\\//i", "/=/",
                                         "/a*b+/y", "/[\\]/]+/"};
constexpr std::string_view kBinary[] = {"+", "-", "*", "/", "%", "**", "<", ">", "<=", "==",
                                        "===", "!=", "&&", "||", "??", "&", "|", "^", "<<",
                                        ">>", ">>>", "in", "instanceof", ","};
constexpr std::string_view kUnary[] = {"!", "-", "+", "~", "typeof ", "void ", "- -", "+ +",
                                       "++", "--", "delete "};
constexpr std::string_view kAssign[] = {"=", "+=", "-=", "/=", "||=", "?\?=", "**="};

// Never nothing: tokens that touch would read as other tokens in the input already.
constexpr std::string_view kCssGaps[] = {" ", " ", "\n\t", "  ", "/* c */", "/*! keep */", "\n"};
constexpr std::string_view kSelectors[] = {"p", "a:hover", ".c", "#i", "a > b", "a + b",
                                           "a ~ b", "ul li", "[href]", "[x='y z']",
                                           "a:not(.b)", "*", "h1::before", ":root",
                                           "li:nth-child(2n + 1)", "a[data-x*=\"q\"]",
                                           "[t='-a_1' ]", "[t=\"1a\"]", "[t=\"a\" i]"};
constexpr std::string_view kProperties[] = {"color", "background", "margin", "padding",
                                            "border", "flex", "line-height", "width",
                                            "font", "opacity", "z-index", "transition",
                                            "filter", "content", "grid-area",
                                            "background-color", "unicode-range",
                                            "font-weight"};
constexpr std::string_view kValues[] = {
    "#FFFFFF", "#ff0000", "#aabbcc", "#abcd", "#12345", "red", "white", "Black", "fuchsia",
    "lightgoldenrodyellow", "0px", "0.50em", "-0.0px", "010.500%", "0", "1.0", "1e3px",
    "0%", "0s", "auto", "none", "solid", "1px", ".5", "+.5", "\"str  ing\"", "'a;b}'",
    "url(a.png)", "url( \"b c.png\" )", "calc(100% - 0px)", "calc( 1px + 2px )",
    "var(--x, #FFFFFF)", "rgba(0, 0, 0, 0.50)", "12px/1.5", "inherit", "1 / 3",
    "rgb(0, 51,153)", "RGBA(255,0,0,1)", "rgba(1,2,3,100%)", "rgb(0 0 0)", "rgb(256,0,0)",
    "bold", "Normal", "bolder",
};

// Writes tokens with one of |Gaps| before each.
template <const auto& Gaps>
class GapWriter {
public:
    explicit GapWriter(Choices& c) : c_(c) {}

protected:
    void Tok(std::string_view t) {
        if (!out_.empty()) out_ += Gaps[c_.Pick(std::size(Gaps))];
        out_ += t;
    }
    template <size_t N>
    void OneOf(const std::string_view (&list)[N]) { Tok(list[c_.Pick(N)]); }

    Choices& c_;
    std::string out_;
};

class ScriptWriter : GapWriter<kJsGaps> {
public:
    using GapWriter::GapWriter;

    std::string Program() {
        const unsigned n = 1 + c_.Pick(6);
        for (unsigned k = 0; k < n && !c_.Exhausted(); ++k) Statement(0);
        return out_;
    }

private:
    void Expression(int depth) {
        if (depth > 4 || c_.Exhausted()) { Primary(); return; }
        switch (c_.Pick(14)) {
            case 0: Expression(depth + 1); OneOf(kBinary); Expression(depth + 1); break;
            case 1: OneOf(kUnary); Primary(); break;
            case 2: Tok("("); Expression(depth + 1); Tok(")"); break;
            case 3: Primary(); Tok(c_.Maybe(2) ? "++" : "--"); break;
            case 4: Primary(); Tok("("); Expression(depth + 1); Tok(")"); break;
            case 5: Primary(); Tok(c_.Maybe(2) ? "." : "?."); OneOf(kIdentifiers); break;
            case 6: Primary(); Tok("["); Expression(depth + 1); Tok("]"); break;
            case 7: Tok("("); OneOf(kIdentifiers); Tok(")"); Tok("=>"); Arrow(depth); break;
            case 8: Tok("function"); Tok("("); Tok(")"); Block(depth + 1); break;
            case 9: Tok("{");
                    if (c_.Maybe(2)) OneOf(kIdentifiers);
                    else OneOf(kPropertyNames);
                    Tok(":"); Expression(depth + 1); Tok("}"); break;
            case 10: Expression(depth + 1); Tok("?"); Expression(depth + 1); Tok(":"); Expression(depth + 1); break;
            case 11: Tok("`a ${"); Expression(depth + 1); Tok("} b`"); break;
            case 12: Tok("new"); OneOf(kIdentifiers); Tok("("); Tok(")"); break;
            default: Primary();
        }
    }
    void Arrow(int depth) {
        if (c_.Maybe(2)) Block(depth + 1);
        else Expression(depth + 1);
    }
    void Primary() {
        switch (c_.Pick(6)) {
            case 0: OneOf(kNumbers); break;
            case 1: OneOf(kStrings); break;
            case 2: OneOf(kRegexes); break;
            case 3: Tok("`t  ${x}  `"); break;
            case 4: OneOf(kWords); break;
            default: OneOf(kIdentifiers);
        }
    }
    void Block(int depth) {
        Tok("{");
        const unsigned n = c_.Pick(3);
        for (unsigned k = 0; k < n; ++k) Statement(depth + 1);
        Tok("}");
    }
    void Statement(int depth) {
        if (depth > 3) { Expression(depth); Tok(";"); return; }
        switch (c_.Pick(13)) {
            case 0: Tok("var"); OneOf(kIdentifiers); OneOf(kAssign); Expression(depth); break;
            case 1: Tok("if"); Tok("("); Expression(depth); Tok(")"); Statement(depth + 1);
                    if (c_.Maybe(2)) { Tok("else"); Statement(depth + 1); }
                    return;
            case 2: Block(depth); return;
            case 3: Tok("function"); OneOf(kIdentifiers); Tok("("); Tok(")"); Tok("{");
                    Tok("return"); if (c_.Maybe(2)) Expression(depth); Tok("}"); return;
            case 4: Tok("for"); Tok("("); Tok(";"); Tok(";"); Tok(")"); Tok("{"); Tok("break");
                    Tok("}"); return;
            case 5: Tok("throw"); Expression(depth); break;
            case 6: Tok("while"); Tok("("); Expression(depth); Tok(")"); Statement(depth + 1); return;
            case 7: Tok("class"); Tok("A"); Tok("{"); Tok("m"); Tok("("); Tok(")"); Tok("{");
                    Tok("}"); Tok("}"); return;
            case 8: Tok("do"); Statement(depth + 1); Tok("while"); Tok("("); Expression(depth);
                    Tok(")"); break;
            case 9: OneOf(kRegexes); Tok("."); Tok("test"); Tok("("); Tok("s"); Tok(")"); break;
            case 10: OneOf(kIdentifiers); Tok("\n"); Tok(c_.Maybe(2) ? "++" : "--"); OneOf(kIdentifiers); break;
            default: Expression(depth);
        }
        // Statements end with ";" or a line end (an automatic semicolon).
        if (c_.Maybe(2)) Tok(";");
        else out_ += "\n";
    }
};

class SheetWriter : GapWriter<kCssGaps> {
public:
    using GapWriter::GapWriter;

    std::string Sheet() {
        if (c_.Maybe(8)) Tok("<!--");
        const unsigned n = 1 + c_.Pick(5);
        for (unsigned k = 0; k < n && !c_.Exhausted(); ++k) Rule(0);
        if (c_.Maybe(8)) Tok("-->");
        return out_;
    }

private:
    void Rule(int depth) {
        switch (depth < 2 ? c_.Pick(8) : 7) {
            case 0: Tok("@media"); Tok(c_.Maybe(2) ? "screen and (max-width : 10px)" : "print");
                    Tok("{"); Rule(depth + 1); if (c_.Maybe(2)) Rule(depth + 1); Tok("}"); return;
            case 1: Tok("@font-face"); Declarations(); return;
            case 2: Tok("@keyframes k"); Tok("{"); Tok(c_.Maybe(2) ? "from" : "50%");
                    Declarations(); Tok("}"); return;
            case 3: Tok("@import"); Tok(c_.Maybe(2) ? "url(a.css)" : "\"b.css\""); Tok("screen");
                    Tok(";"); return;
            case 4: Tok("@supports (display : grid)"); Tok("{"); Rule(depth + 1); Tok("}"); return;
            default:
                OneOf(kSelectors);
                if (c_.Maybe(3)) { Tok(","); OneOf(kSelectors); }
                Declarations();
        }
    }
    void Declarations() {
        Tok("{");
        const unsigned n = c_.Pick(4);
        for (unsigned k = 0; k < n; ++k) {
            if (c_.Maybe(5)) {
                Tok("--v");
                Tok(":");
                OneOf(kValues);
            } else {
                OneOf(kProperties);
                Tok(":");
                const unsigned values = 1 + c_.Pick(3);
                for (unsigned v = 0; v < values; ++v) {
                    if (v && c_.Maybe(4)) Tok(",");
                    OneOf(kValues);
                }
                if (c_.Maybe(6)) Tok("!important");
            }
            if (k + 1 < n || c_.Maybe(2)) Tok(";");
        }
        Tok("}");
    }
};

}  // namespace

std::string GenerateScript(Choices& c) { return ScriptWriter(c).Program(); }
std::string GenerateStyleSheet(Choices& c) { return SheetWriter(c).Sheet(); }

}  // namespace tsqz::fuzz
