// Style-sheet minification: one table of {input, expected} rows per rule, and the inputs that
// must come back byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "web/css_minify.h"

namespace tsqz::web {
namespace {

struct Row {
    const char* input;
    const char* expected;
};

void CheckSheet(std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(MinifyStyleSheet(row.input), row.expected);
    }
}

// Comments go except "/*!" ones; white space stays only where it separates or is a
// descendant combinator; a comment that separated two tokens leaves an empty one behind.
TEST(CssMinify, CommentsAndWhiteSpace) {
    CheckSheet({
        {"/* a */ p { color : red ; } /*! licence */", "p{color:red}/*! licence */"},
        {"a  b ,\n c > d + e ~ f { x : y }", "a b,c>d+e~f{x:y}"},
        {"a :hover , a:not( .b ) [ href ] {x:y}", "a :hover,a:not(.b) [href]{x:y}"},
        {"a/**/b{x:y}", "a/**/b{x:y}"},
        {"p{margin:1px/**/2px}", "p{margin:1px/**/2px}"},
        {"p{font:12px / 1.5 a , b ! important}", "p{font:12px/1.5 a,b!important}"},
        {"p{width:calc( 100% - 2px )}", "p{width:calc(100% - 2px)}"},
        {"<!-- p{x:y} -->", "p{x:y}"},
    });
}

// Blocks: the last semicolon and empty declarations go, empty style rules and empty
// @media/@supports go, but not @keyframes, @layer or @font-face contents.
TEST(CssMinify, BlocksAndRules) {
    CheckSheet({
        {"p{a:b;;c:d;}", "p{a:b;c:d}"},
        {"p{} q{ } r{a:b}", "r{a:b}"},
        {"@media screen and (max-width : 10px) { p{} }", ""},
        {"@media print{p{a:b}}@supports (display : grid){q{}}", "@media print{p{a:b}}"},
        {"@layer base{}@keyframes k{}", "@layer base{}@keyframes k{}"},
        {"@keyframes k { from { a : b } 50% { c:d } }", "@keyframes k{from{a:b}50%{c:d}}"},
        {"@font-face { font-family : x ; src : url( x.woff ) }",
         "@font-face{font-family:x;src:url( x.woff )}"},
        {"@import url(\"a.css\") screen , print ;", "@import url(\"a.css\") screen,print;"},
        {"@charset  \"utf-8\" ;p{a:b}", "@charset  \"utf-8\" ;p{a:b}"},
        {".a{color:red;.b &{color:blue} .c{}}", ".a{color:red;.b &{color:blue}}"},
        {"p{*zoom: 1;_height:1px}", "p{*zoom: 1;_height:1px}"},
    });
}

// Colours: lower case, three digits where they repeat, names where shorter (in properties
// that take colours), opaque alpha dropped; never in filters or custom properties.
TEST(CssMinify, Colours) {
    CheckSheet({
        {"p{color:#FFFFFF}", "p{color:#fff}"},
        {"p{color:#ff0000;background:#AABBCCDD}", "p{color:red;background:#abcd}"},
        {"p{color:#c0c0c0ff;border-color:#12345}", "p{color:silver;border-color:#12345}"},
        {"p{background:WHITE;color:lightgoldenrodyellow}", "p{background:#fff;color:#fafad2}"},
        {"p{font-family:white;animation-name:black}", "p{font-family:white;animation-name:black}"},
        {"p{--c:#FFFFFF;filter:progid:x(startColorstr=#FFFFFFFF)}",
         "p{--c:#FFFFFF;filter:progid:x(startColorstr=#FFFFFFFF)}"},
        {"#FFFFFF{color:#FFFFFF}", "#FFFFFF{color:#fff}"},
        // Opaque rgb() of whole numbers is a hex colour; other forms stay.
        {"p{color:rgb(0, 51,153);background:linear-gradient(RGBA(255,0,0,1),rgba(1,2,3,100%))}",
         "p{color:#039;background:linear-gradient(red,#010203)}"},
        {"p{color:rgba(0,0,0,.5);fill:rgb(0 0 0);stroke:rgb(100%,0%,0%);--c:rgb(0,0,0)}",
         "p{color:rgba(0,0,0,.5);fill:rgb(0 0 0);stroke:rgb(100%,0%,0%);--c:rgb(0,0,0)}"},
        {"p{color:rgb(256,0,0);border-color:rgb(1.5,0,0);outline-color:rgb(0,0,0,1,1)}",
         "p{color:rgb(256,0,0);border-color:rgb(1.5,0,0);outline-color:rgb(0,0,0,1,1)}"},
    });
}

// Numbers: leading zero and trailing fraction zeros go; zero lengths lose their unit at the
// top of a value, but not in flex, line-height, calc() or custom properties; "1.0" stays a
// non-integer; exponents and percentages stay.
TEST(CssMinify, Numbers) {
    CheckSheet({
        {"p{margin:0px 0.50em -0.0px 010.500%}", "p{margin:0 .5em 0 10.5%}"},
        {"p{opacity:0.0;z-index:1.0;width:1.0px}", "p{opacity:0.0;z-index:1.0;width:1px}"},
        {"p{flex:0 0 0px;line-height:0px;width:calc(0px + 1em)}",
         "p{flex:0 0 0px;line-height:0px;width:calc(0px + 1em)}"},
        {"p{--x:0.50px;margin:1e3px 0%;transition:0s}", "p{--x:0.50px;margin:1e3px 0%;transition:0s}"},
        {"p{margin:-0.5em +0.5em}", "p{margin:-.5em +.5em}"},
        {"p:nth-child(0.5){x:y}", "p:nth-child(0.5){x:y}"},
    });
}

// Keywords with a shorter form of the same meaning: a font-weight's "normal" and "bold" as
// 400 and 700 (not in the font shorthand, not "bolder"), and an attribute selector's value in
// quotes as the identifier it spells, where the selector's "]" follows.
TEST(CssMinify, ShorterKeywords) {
    CheckSheet({
        {"p{font-weight:bold;font-weight:Normal !important;font:bold 1px x;font-weight:bolder}",
         "p{font-weight:700;font-weight:400!important;font:bold 1px x;font-weight:bolder}"},
        {"a[type=\"text\"],a[x^='-y_1' ],a[x=\"1a\"],a[x=\"--y\"],a[x=\"y z\"],a[x=\"y\" i]{color:red}",
         "a[type=text],a[x^=-y_1],a[x=\"1a\"],a[x=\"--y\"],a[x=\"y z\"],a[x=\"y\" i]{color:red}"},
        {"@supports selector([x=\"y\"]){p{content:\"[x='y']\"}}", "@supports selector([x=\"y\"]){p{content:\"[x='y']\"}}"},
    });
}

// Strings, url() and custom property values keep their bytes (custom values only lose white
// space at their ends and inside runs).
TEST(CssMinify, UntouchedParts) {
    CheckSheet({
        {"p{content:\"  a  /* b */  \"}", "p{content:\"  a  /* b */  \"}"},
        {"p{background:url( 'a b.png' ) , url( c.png )}",
         "p{background:url( 'a b.png' ),url( c.png )}"},
        {"p{--x :  a   ,  b  ; --y: ;--z:{a:b}}", "p{--x:a , b;--y: ;--z:{a:b}}"},
    });
}

// What the tokenizer cannot read to the end, or blocks that do not balance, come back as they
// were; so does anything whose result would close the STYLE element.
TEST(CssMinify, UnreadableInputStaysAsItWas) {
    for (const char* input : {"p{color:red", "p{a:\"b\nc\"}", "p{background:url(a b)}",
                              "/* open", "p{a:b}}", "p{a:(b]}", "p{a:b)}", "<//**/style>{a:b}"}) {
        SCOPED_TRACE(input);
        EXPECT_EQ(MinifyStyleSheet(input), input);
    }
}

// A style attribute holds declarations.
TEST(CssMinify, StyleAttributes) {
    for (const Row& row : std::initializer_list<Row>{
             {" color : RED ; margin : 0px 0.5em ; ", "color:RED;margin:0 .5em"},
             {"background:url(x.png);;", "background:url(x.png)"},
             {"--a: 1px ;width:var( --a , 0px )", "--a:1px;width:var(--a,0px)"},
             {"color:red}", "color:red}"},
         }) {
        SCOPED_TRACE(row.input);
        EXPECT_EQ(MinifyStyleDeclarations(row.input), row.expected);
    }
}

}  // namespace
}  // namespace tsqz::web
