// Script minification: tables of {input, expected} rows per rule, the script types, the
// inputs that must come back byte for byte, and the SCRIPT end check.
#include <gtest/gtest.h>

#include <string>

#include "web/js_minify.h"

namespace tsqz::web {
namespace {

struct Row {
    const char* input;
    const char* expected;
};

void CheckScripts(std::initializer_list<Row> rows, bool module = false, bool utf8 = false) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(MinifyJavaScript(row.input, module, utf8), row.expected);
    }
}

// Comments go except licence comments; HTML-like comments of classic scripts go too.
TEST(JsMinify, Comments) {
    CheckScripts({
        {"a = 1; // note\nb = 2; /* more */ c()", "a=1;b=2;c()"},
        {"/*! keep */\nvar a = 1 /* @license MIT */", "/*! keep */var a=1/* @license MIT */"},
        {"// @license x\nf()", "// @license x\nf()"},
        {"<!-- hide\nf()\n// -->", "f()"},
        {"x = 1\n--> closing\ny()", "x=1\ny()"},
        {"#!/usr/bin/env node\nf( 1 )", "#!/usr/bin/env node\nf(1)"},
        {"a /* two\nlines */ b", "a\nb"},
    });
}

// A space stays only where two tokens would run together; "a - -b", "a + +b", "1 .x",
// "< !--", "< /re/", "/ /re/" keep theirs.
TEST(JsMinify, SpacesBetweenTokens) {
    CheckScripts({
        {"var a = b + c ;", "var a=b+c;"},
        {"x = a - -b + +c - --d", "x=a- -b+ +c- --d"},
        {"y = 1 .toString() + 1.5 .toFixed()", "y=1 .toString()+1.5 .toFixed()"},
        {"z = 5. in o || /re/g instanceof R", "z=5 in o||/re/g instanceof R"},
        {"if (a < !--b) c", "if(a< !--b)c"},
        {"z = a < /script/.test(s)", "z=a< /script/.test(s)"},
        {"q = a / /re/.exec(s).length", "q=a/ /re/.exec(s).length"},
        {"return typeof x in y", "return typeof x in y"},
        {"a = b ? .5 : c", "a=b? .5:c"},
        {"x = y => y ? .1 : 2", "x=y=>y? .1:2"},
    });
}

// Line ends stay where automatic semicolon insertion or a restricted production uses them.
TEST(JsMinify, LineEndsWhereSemicolonsAreInserted) {
    CheckScripts({
        {"a = 1\nb = 2", "a=1\nb=2"},
        {"function f() {\n  return\n  x\n}", "function f(){return\nx}"},
        {"for (;;) {\n break\n}", "for(;;){break}"},
        {"a\n++b", "a\n++b"},
        {"a++\n(b)", "a++\n(b)"},
        {"x = y\n(z)", "x=y(z)"},
        {"x = y\n+ z\n.w", "x=y+z.w"},
        {"const h = () => {}\n(f)()", "const h=()=>{}\n(f)()"},
        {"if (a) {\n b()\n}\nc()", "if(a){b()}c()"},
        {"if (a)\n  b()\nelse\n  c()", "if(a)b()\nelse c()"},
        {"x = {\n a: 1,\n b: 2\n}\nf()", "x={a:1,b:2}\nf()"},
        {"var\n  a = 1,\n  b", "var a=1,b"},
        {"throw new Error(\n 'x'\n)", "throw new Error('x')"},
        {"let x = async\nfunction f() {}", "let x=async\nfunction f(){}"},
        // A function expression's body stays an expression, so the line end after it stays;
        // a "{" or "function" after an automatic semicolon begins a statement.
        {"var f = function ()\n{ }\nfunction g() {}", "var f=function(){}\nfunction g(){}"},
        {"f(a)\n{ }\nx = {function: 1}\ng(b)\n{ }", "f(a)\n{}x={function:1}\ng(b)\n{}"},
        // A keyword as a property's name is a name: the line end after it stays.
        {"a.var\nb()\nc.in\nd\ne.get\n(f)", "a.var\nb()\nc.in\nd\ne.get(f)"},
        {"f()\n{ }\n/a b/.test(s)", "f()\n{}/a b/.test(s)"},
        {"x = 1\nfunction g() {}\n/a b/.test(s)", "x=1\nfunction g(){}/a b/.test(s)"},
    });
}

// Templates (with nested substitutions), regular expressions and strings without escapes
// keep every byte; "/" after ")" of a condition or "}" of a block begins a regular expression.
TEST(JsMinify, LiteralsStayAsWritten) {
    CheckScripts({
        {"s = ' a  //  b '", "s=' a  //  b '"},
        {"t = `a  ${ b + `c ${ d }  ` }  e`", "t=`a  ${b+`c ${d}  `}  e`"},
        {"r = / a [/] b /g . source", "r=/ a [/] b /g.source"},
        {"if (x) /a b/.test(s)", "if(x)/a b/.test(s)"},
        {"{}\n/a b/.test(s)", "{}/a b/.test(s)"},
        {"x = a.return / 2 / 3", "x=a.return/2/3"},
        {"x = (a, b) / 2 / (c)", "x=(a,b)/2/c"},
        {"f = (a) => {}\n/a*b+/y// c\n.test(s)", "f=a=>{}\n/a*b+/y.test(s)"},
        {"x = function () { function g() {}\n/a b/.test(s) }",
         "x=function(){function g(){}/a b/.test(s)}"},
        {"n = 0x1F + 1_000n + 010 + 08 + 1e-7 + .001 + 100", "n=0x1F+1_000n+010+08+1e-7+.001+100"},
    });
}

// Strings and numbers take the shortest spelling of their value: escapes that need none go,
// the quote that needs fewer escapes, line continuations go; an escape stays where the SCRIPT
// element could end or open a comment, for line terminators, for mode-dependent octal, and in
// a string that may be a directive. Raw non-ASCII only on a UTF-8 page.
TEST(JsMinify, LiteralsInTheirShortestSpelling) {
    CheckScripts({
        {"s = \"a\\u002Fb\\/c\"", "s=\"a/b/c\""},
        {"s = \"\\\"q\\\"\" + 'it\\'s'", "s='\"q\"'+\"it's\""},
        {"s = '\\x41\\u{42}\\u{1F600}\\uD83D\\uDE00\\u00e9\\u2028\\u0085'",
         "s='AB\\u{1f600}\\ud83d\\ude00\\xe9\\u2028\\x85'"},
        {"s = '<\\/script>' + '\\u003C/b>' + '<\\x21--' + '<scr\\x69pt'",
         "s='<\\/script>'+'\\x3c/b>'+'<\\x21--'+'<scr\\x69pt'"},
        {"s = '\\0\\u0031' + '\\0a' + '\\x00' + '\\0' + 1", "s='\\x001'+'\\0a'+'\\0'+'\\0'+1"},
        {"s = 'a\\\nb\\\r\nc' + '\\t\\u000B'", "s='abc'+'\t\\x0b'"},
        {"s = '\\101\\u002F' + '\\8\\u002F'", "s='\\101\\u002F'+'\\8\\u002F'"},
        {"'use\\x20strict'\nf('\\x41')", "'use\\x20strict'\nf('A')"},
        {"n = 1000 + 0.50 + 1.0.toFixed() + 0.0000001 + 1.5e+3 + 5e-1 + 0.0",
         "n=1e3+.5+1 .toFixed()+1e-7+1500+.5+0"},
    });
    CheckScripts({{"s = '\\u00e9\\uD83D\\uDE00\\u{1F600}\\uFFFE\\uDE00'",
                   "s='\xC3\xA9\xF0\x9F\x98\x80\xF0\x9F\x98\x80\\ufffe\\ude00'"}},
                 false, true);
}

// "true" and "false" become "!0" and "!1" where a unary "!" binds no differently and they
// are no names; a property name in quotes loses them where it is an identifier that is no
// reserved word or a number in its canonical form.
TEST(JsMinify, ShorterSpellingsOfValuesAndNames) {
    CheckScripts({
        {"x = true; y = [false, !true]; z = a ? true : false", "x=!0;y=[!1,!!0];z=a?!0:!1"},
        {"x = true\ny = false\nreturn false", "x=!0\ny=!1\nreturn!1"},
        {"x = true.toString() + false[0] + true(1) + true`t` + true ** 2 + a.true + a?.false",
         "x=true.toString()+false[0]+true(1)+true`t`+true**2+a.true+a?.false"},
        {"x = true\n(f); y = true /*! c */ .x; new true", "x=true(f);y=true/*! c */.x;new true"},
        {"o = {true: 1, false() {}, get true() {}}; export {a as true}",
         "o={true:1,false(){},get true(){}};export{a as true}"},
        {"class A { true = 1; x = false }", "class A{true=1;x=false}"},
        {"o = {\"a\": 1, 'b_$': 2, \"12\": 3, \"012\": 4, \"a-b\": 5, \"class\": 6, \"\\x61\": 7}",
         "o={a:1,b_$:2,12:3,\"012\":4,\"a-b\":5,\"class\":6,a:7}"},
        {"switch (v) { case 1, \"x\": break } y = a ? \"b\" : c; { \"s\" }",
         "switch(v){case 1,\"x\":break}y=a?\"b\":c;{\"s\"}"},
        {"({\"a\": b} = c); o = {\"m\"() {}, \"n\" /*! c */ : 1}", "({a:b}=c);o={\"m\"(){},\"n\"/*! c */:1}"},
    });
}

// Parentheses the syntax tree does not hold go: around a single operand after an operator,
// and the empty argument list of "new NAME" where nothing continues the callee. A call's or
// a condition's stay, and so do those a unary operator before "**", a directive or a
// keyword operand need.
TEST(JsMinify, ParenthesesThatHoldNothing) {
    CheckScripts({
        {"return (false); x = (a) + f((b), (1)) - (/re/) + typeof ('s') + [...(c)]",
         "return!1;x=a+f(b,1)-/re/+typeof's'+[...c]"},
        {"x = new Image(); y = new a.b.C() + new this(); v = new (f())(); u = new X; t = new X(1)",
         "x=new Image;y=new a.b.C+new this;v=new(f())();u=new X;t=new X(1)"},
        {"z = new X().y + new X()[0] + new X()(1) + new X()`t`; w = new X() /*! c */",
         "z=new X().y+new X()[0]+new X()(1)+new X()`t`;w=new X()/*! c */"},
        {"x = -(a) ** 2; ('use strict'); if ((a)) (b)(c); y = (yield); z = (async)",
         "x=-(a)**2;('use strict');if(a)(b)(c);y=(yield);z=(async)"},
        {"q = a.new\nfoo(); f = x => (y)\n(z)", "q=a.new\nfoo();f=x=>y(z)"},
    });
}

// A ";" before "}" goes where automatic semicolon insertion puts it back, and stays where it
// is an empty statement.
TEST(JsMinify, SemicolonsBeforeClosingBraces) {
    CheckScripts({
        {"function f() { a(); }", "function f(){a()}"},
        {"{ x = function () {}; y = {}; z = () => {}; }", "{x=function(){};y={};z=()=>{}}"},
        {"class A { x = 1; m() {}; }", "class A{x=1;m(){}}"},
        {"{ ; } { if (a); } { if (a) {}; } { a: ; } { if (a) b; else; } { function g() {}; }",
         "{;}{if(a);}{if(a){};}{a:;}{if(a)b;else;}{function g(){};}"},
        {"for (;;) { break; }", "for(;;){break}"},
    });
}

// In a module "<!--" is the operators it spells.
TEST(JsMinify, ModulesHaveNoHtmlComments) {
    CheckScripts({{"x = a <!--b\ny()", "x=a< !--b\ny()"}}, true);
}

// What the tokenizer cannot read to the end comes back byte for byte.
TEST(JsMinify, UnreadableScriptsStayAsTheyWere) {
    for (const char* input : {"var s = 'open", "f(\n", "x = `a ${b", "/* open", "r = /abc",
                              "a = (b]", "a)", "x = 'a\nb'", "\\x01 @#"}) {
        SCOPED_TRACE(input);
        EXPECT_EQ(MinifyJavaScript(input, false), input);
    }
}

TEST(JsMinify, ScriptTypes) {
    struct TypeRow {
        const char* type;
        bool has_type;
        const char* language;
        bool has_language;
        ScriptKind kind;
    };
    for (const TypeRow& row : std::initializer_list<TypeRow>{
             {"", false, "", false, ScriptKind::Classic},
             {"", true, "", false, ScriptKind::Classic},
             {" Text/JavaScript ", true, "", false, ScriptKind::Classic},
             {"application/x-javascript", true, "", false, ScriptKind::Classic},
             {"module", true, "", false, ScriptKind::Module},
             {"application/ld+json", true, "", false, ScriptKind::Json},
             {"importmap", true, "", false, ScriptKind::Json},
             {"text/html", true, "", false, ScriptKind::Other},
             {"text/x-template", true, "", false, ScriptKind::Other},
             {"", false, "VBScript", true, ScriptKind::Other},
             {"", false, "JavaScript1.2", true, ScriptKind::Classic},
             {"text/javascript", true, "VBScript", true, ScriptKind::Classic},
         }) {
        SCOPED_TRACE(std::string(row.type) + "|" + row.language);
        EXPECT_EQ(ClassifyScriptType(row.type, row.has_type, row.language, row.has_language),
                  row.kind);
    }
}

// JSON loses the white space between tokens; anything that is not JSON stays.
TEST(JsMinify, Json) {
    for (const Row& row : std::initializer_list<Row>{
             {"{ \"a\" : [ 1 , -2.5e3 , true , null ] ,\n \"b\" : \"x  y\\\" \" }",
              "{\"a\":[1,-2.5e3,true,null],\"b\":\"x  y\\\" \"}"},
             {"{ a: 1 }", "{ a: 1 }"},
             {"[1, 2] // c", "[1, 2] // c"},
             {"{\"a\": \"open}", "{\"a\": \"open}"},
         }) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(MinifyJson(row.input), row.expected);
    }
}

// Where the text of a SCRIPT element ends: an end tag ends it anywhere but inside an escaped
// "<script"; a text that ends inside one does not end at its end.
TEST(JsMinify, ScriptEndCheck) {
    EXPECT_TRUE(ScriptTextEndsAtItsEnd("a < b; c = '</scrip'"));
    EXPECT_FALSE(ScriptTextEndsAtItsEnd("x = '</script>'"));
    EXPECT_FALSE(ScriptTextEndsAtItsEnd("x = '</SCRIPT '"));
    EXPECT_TRUE(ScriptTextEndsAtItsEnd("<!-- x = '<script>'; y = '</script>' -->"));
    EXPECT_FALSE(ScriptTextEndsAtItsEnd("<!-- x = '<script>'"));
    EXPECT_FALSE(ScriptTextEndsAtItsEnd("<!-- x = '</script>'"));
    EXPECT_TRUE(ScriptTextEndsAtItsEnd("<!--> '<script>'"));
    // Each kind goes through its own rules; other types stay as they are.
    EXPECT_EQ(MinifyScriptElement("if (a) x = '<script>'\n<!--y\n", ScriptKind::Classic),
              "if(a)x='<script>'");
    EXPECT_EQ(MinifyScriptElement("a = b\n<!--\n'<script>' -->", ScriptKind::Other),
              "a = b\n<!--\n'<script>' -->");
    EXPECT_EQ(MinifyScriptElement("{ \"a\" : 1 }", ScriptKind::Json), "{\"a\":1}");
}

}  // namespace
}  // namespace tsqz::web
