// Style-sheet minification for the web template: a CSS tokenizer and the rules that shorten
// a sheet without changing the rules and declarations a browser reads from it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tsqz::web {

// Token kinds of the CSS syntax tokenizer (comments are kept as tokens of their own, so the
// minifier can decide which to keep).
enum class CssTok : uint8_t {
    Ident, Function, AtKeyword, Hash, String, BadString, Url, BadUrl, Delim, Number,
    Percentage, Dimension, Whitespace, CDO, CDC, Colon, Semicolon, Comma, LBracket, RBracket,
    LParen, RParen, LBrace, RBrace, Comment
};

// One token: a byte range of the input. For numeric tokens |unit| is where the unit (or
// the "%") begins; for the others it equals |end|.
struct CssToken {
    CssTok kind;
    uint32_t begin;
    uint32_t end;
    uint32_t unit;
};

// Splits |css| into tokens. Returns false when the text holds something a browser would
// read differently from an intact sheet (an unclosed comment, a bad string or bad url).
bool TokenizeCss(std::string_view css, std::vector<CssToken>& tokens);

// Minifies the text of a STYLE element. Returns the input unchanged when it cannot be read
// to the end, when its blocks do not balance, or when the result would end the element early.
std::string MinifyStyleSheet(std::string_view css);
// The same appended to |out|, written straight into it (a failed attempt is taken back).
void AppendMinifiedStyleSheet(std::string_view css, std::string& out);

// Minifies the declarations of a style attribute (the attribute's value with character
// references already decoded). Same fall-back as MinifyStyleSheet.
std::string MinifyStyleDeclarations(std::string_view css);
// The same appended to |out| (a page's thousands of short attributes then reuse its room).
void AppendMinifiedStyleDeclarations(std::string_view css, std::string& out);

}  // namespace tsqz::web
