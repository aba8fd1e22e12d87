// Fuzz target of the script and style-sheet minifiers.
//
// The first byte chooses what the rest is: raw bytes as a script, a module, a style sheet,
// style declarations or JSON, or the choices of a generated script or style sheet
// (minify_generator.h). Checked on every input: no sanitizer report; the output is never
// longer; a script's minified form has exactly the input's tokens (nothing merged, split or
// changed; strings and numbers by their values, a ";" before "}" may go), and a sheet's still
// reads to the end; minifying again changes nothing; a SCRIPT or STYLE text that ended where
// it should still does. The syntax trees themselves are
// compared by the parser oracle (tests/minify), which minify_cases feeds with the same
// generated inputs.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "minify_generator.h"
#include "minify_checks.h"
#include "web/css_minify.h"
#include "web/js_minify.h"

namespace tsqz::fuzz {
namespace {

[[noreturn]] void Fail(const char* what, std::string_view in, std::string_view out) {
    std::fprintf(stderr, "minify check failed: %s\ninput:  [%.*s]\noutput: [%.*s]\n", what,
                 static_cast<int>(in.size()), in.data(), static_cast<int>(out.size()),
                 out.data());
    std::abort();
}

// The UTF-16 code units a string literal stands for: escapes decoded; source bytes read as
// UTF-8 where they form it, else one unit a byte (so a literal compares with its minified
// spelling whether an escape became the character or not).
std::u16string StringValue(std::string_view literal) {
    std::u16string v;
    auto push = [&v](uint32_t cp) {
        if (cp < 0x10000) {
            v += static_cast<char16_t>(cp);
        } else {
            v += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            v += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    };
    const std::string_view body = literal.substr(1, literal.size() - 2);
    auto hex = [body](size_t k, size_t n) {
        uint32_t cp = 0;
        for (size_t m = k; m < k + n && m < body.size(); ++m)
            cp = cp * 16 + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(body[m]))
                                                     ? body[m] - '0'
                                                     : (body[m] | 0x20) - 'a' + 10);
        return cp;
    };
    for (size_t k = 0; k < body.size();) {
        const unsigned char c = static_cast<unsigned char>(body[k]);
        if (c == '\\') {
            const char e = k + 1 < body.size() ? body[k + 1] : 0;
            const std::string_view simple = "n\nr\rt\tb\bf\fv\v";  // pairs: letter, value
            if (e == '\r' || e == '\n') {
                k += 2 + (e == '\r' && k + 2 < body.size() && body[k + 2] == '\n');
            } else if (body.substr(k + 1, 3) == "\xE2\x80\xA8" || body.substr(k + 1, 3) == "\xE2\x80\xA9") {
                k += 4;
            } else if (e == 'x') {
                push(hex(k + 2, 2));
                k += 4;
            } else if (e == 'u' && k + 2 < body.size() && body[k + 2] == '{') {
                const size_t close = std::min(body.find('}', k), body.size());
                push(hex(k + 3, close - k - 3));
                k = close + 1;
            } else if (e == 'u') {
                push(hex(k + 2, 4));
                k += 6;
            } else if (e == '0') {
                push(0);
                k += 2;
            } else if (const size_t at = simple.find(e); at != std::string_view::npos && at % 2 == 0) {
                push(static_cast<unsigned char>(simple[at + 1]));
                k += 2;
            } else {
                push(static_cast<unsigned char>(e));
                k += 2;
            }
            continue;
        }
        // A UTF-8 sequence where the bytes form one, else the byte.
        size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 1;
        if (c >= 0x80 && c < 0xC2) n = 1;
        if (n > 1 && k + n <= body.size()) {
            uint32_t cp = c & (0x3F >> (n - 1));
            bool ok = true;
            for (size_t m = 1; m < n; ++m) {
                const unsigned char b = static_cast<unsigned char>(body[k + m]);
                ok = ok && (b & 0xC0) == 0x80;
                cp = (cp << 6) | (b & 0x3F);
            }
            if (ok && cp <= 0x10FFFF) {
                push(cp);
                k += n;
                continue;
            }
        }
        push(c);
        ++k;
    }
    return v;
}

// A token as the checks compare it: a string or decimal number by its value (the minifier
// picks their spelling), anything else by its text.
std::string Canonical(const std::string& token) {
    const unsigned char c = static_cast<unsigned char>(token[0]);
    if (token.size() >= 2 && (c == '"' || c == '\'')) {
        const std::u16string v = StringValue(token);
        std::string units = "string:";
        for (char16_t u : v) units += std::to_string(static_cast<unsigned>(u)) + ',';
        return units;
    }
    const bool decimal = token.find_first_not_of("0123456789.eE+-") == std::string::npos &&
                         !(token.size() > 1 && token[0] == '0' && std::isdigit(static_cast<unsigned char>(token[1])));
    if ((std::isdigit(c) || (c == '.' && token.size() > 1)) && decimal) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "number:%.17g", std::strtod(token.c_str(), nullptr));
        return buffer;
    }
    return token;
}

// A token between "{" or "," and ":" (a property's name, as far as tokens tell) by the name
// it gives: a string by its value, a name or number by its text; else empty.
std::string PropertyName(const std::vector<std::string>& tokens, size_t k) {
    if (k == 0 || k + 1 >= tokens.size() || tokens[k + 1] != ":" ||
        (tokens[k - 1] != "{" && tokens[k - 1] != ","))
        return {};
    const std::string& t = tokens[k];
    if (t == "true" || t == "false") return {};  // may be a value ("a ? b, true : c")
    if (t[0] != '"' && t[0] != '\'') return "name:" + Canonical(t);
    std::string value;
    for (char16_t u : StringValue(t)) {
        if (u >= 0x80) return {};
        value += static_cast<char>(u);
    }
    // A number's canonical spelling names what the number does ("1" and 1).
    const bool number = !value.empty() && value.size() < 16 &&
                        value.find_first_not_of("0123456789") == std::string::npos &&
                        (value == "0" || value[0] != '0');
    return "name:" + (number ? Canonical(value) : value);
}

bool IsWordToken(const std::string& t) {
    const unsigned char c = static_cast<unsigned char>(t[0]);
    return std::isalpha(c) || c == '_' || c == '$' || c == '\\' || c >= 0x80;
}

// The tokens without the parentheses the minifier may drop: "(" OPERAND ")" where the "("
// follows an operator or an operator word (no call's), and the empty "()" after "new" and a
// name or chain of names.
std::vector<std::string> WithoutDroppableParens(const std::vector<std::string>& tokens) {
    static const std::vector<std::string> kBefore = {
        "return", "typeof", "void", "delete", "throw", "case", "in", "instanceof", "=", "(",
        ",", "[", ":", "?", "=>", "==", "===", "!=", "!==", "&&", "||", "??", "*", "/", "%", "+",
        "-", "**",
        "<", ">", "<=", ">=", "&", "|", "^", "!", "~", "+=", "-=", "*=", "/=", "%=", "**=",
        "<<=", ">>=", ">>>=", "&=", "|=", "^=", "&&=", "||=", "?\?=", "<<", ">>", ">>>", "..."};
    std::vector<std::string> out;
    for (size_t k = 0; k < tokens.size(); ++k) {
        const std::string& t = tokens[k];
        if (t == "(" && k + 2 < tokens.size() && tokens[k + 2] == ")" && !out.empty()) {
            const std::string& before = out.back();
            const std::string& operand = tokens[k + 1];
            const bool group = std::find(kBefore.begin(), kBefore.end(), before) != kBefore.end() &&
                               (k + 3 >= tokens.size() || tokens[k + 3] != "**");
            const unsigned char o = static_cast<unsigned char>(operand[0]);
            if (group && (IsWordToken(operand) || std::isdigit(o) || o == '"' || o == '\'' ||
                          o == '`' || (o == '.' && operand.size() > 1) || (o == '/' && operand.size() > 1))) {
                out.push_back(operand);
                k += 2;
                continue;
            }
        }
        if (t == "(" && k + 1 < tokens.size() && tokens[k + 1] == ")" && !out.empty()) {
            size_t m = out.size() - 1;  // back over NAME (. NAME)* to a "new"
            while (m >= 2 && IsWordToken(out[m]) && out[m - 1] == ".") m -= 2;
            if (m >= 1 && IsWordToken(out[m]) && out[m - 1] == "new") {
                ++k;
                continue;
            }
        }
        out.push_back(t);
    }
    return out;
}

// The tokens by Canonical, without a ";" right before a "}" (the minifier drops those where
// automatic semicolon insertion puts them back; the parser oracle checks which), with "!0"
// and "!1" read as "true" and "false" and a property's name by the name it gives (the
// minifier writes the shorter; the parser oracle checks where).
std::vector<std::string> Comparable(const std::vector<std::string>& tokens) {
    std::vector<std::string> out;
    for (size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k] == ";" && k + 1 < tokens.size() && tokens[k + 1] == "}") continue;
        if (std::string name = PropertyName(tokens, k); !name.empty()) {
            out.push_back(name);
            continue;
        }
        std::string token = Canonical(tokens[k]);
        if ((token == "number:0" || token == "number:1") && !out.empty() && out.back() == "!") {
            out.back() = token == "number:0" ? "true" : "false";
            continue;
        }
        out.push_back(std::move(token));
    }
    return out;
}

bool ContainsCaseless(std::string_view s, std::string_view what) {
    for (size_t k = 0; k + what.size() <= s.size(); ++k) {
        size_t m = 0;
        while (m < what.size() && (s[k + m] | 0x20) == what[m]) ++m;
        if (m == what.size()) return true;
    }
    return false;
}

}  // namespace

std::string CheckScript(std::string_view in, bool module, bool utf8) {
    const std::string out = web::MinifyJavaScript(in, module, utf8);
    if (out.size() > in.size()) Fail("script grew", in, out);
    if (out != in) {
        std::vector<std::string> before, after;
        if (!web::ListJavaScriptTokens(in, module, before) ||
            !web::ListJavaScriptTokens(out, module, after))
            Fail("minified a script it cannot read", in, out);
        // "!0" is one operand to the parentheses around it; nested groups lose one pair a
        // round.
        auto without_parens = [](std::vector<std::string> tokens) {
            for (size_t k = 0; k + 1 < tokens.size(); ++k) {
                if (tokens[k] != "!") continue;
                const std::string value = Canonical(tokens[k + 1]);
                if (value != "number:0" && value != "number:1") continue;
                tokens[k] = value == "number:0" ? "true" : "false";
                tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(k + 1));
            }
            for (size_t n = 0; n != tokens.size();) {
                n = tokens.size();
                tokens = WithoutDroppableParens(tokens);
            }
            return tokens;
        };
        const std::vector<std::string> a = Comparable(without_parens(before)),
                                       b = Comparable(without_parens(after));
        if (a != b) {
            const size_t k = static_cast<size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
            std::fprintf(stderr, "token %zu: [%s] became [%s]\n", k, k < a.size() ? a[k].c_str() : "",
                         k < b.size() ? b[k].c_str() : "");
            Fail("tokens differ", in, out);
        }
    }
    if (web::MinifyJavaScript(out, module, utf8) != out) Fail("script not stable", in, out);
    const auto kind = module ? web::ScriptKind::Module : web::ScriptKind::Classic;
    if (web::ScriptTextEndsAtItsEnd(in) &&
        !web::ScriptTextEndsAtItsEnd(web::MinifyScriptElement(in, kind, utf8)))
        Fail("SCRIPT ends elsewhere", in, out);
    return out;
}

std::string CheckStyleSheet(std::string_view in, bool declarations) {
    const std::string out = declarations ? web::MinifyStyleDeclarations(in)
                                         : web::MinifyStyleSheet(in);
    if (out.size() > in.size()) Fail("sheet grew", in, out);
    std::vector<web::CssToken> tokens;
    if (out != in && !web::TokenizeCss(out, tokens)) Fail("minified sheet unreadable", in, out);
    const std::string again = declarations ? web::MinifyStyleDeclarations(out)
                                           : web::MinifyStyleSheet(out);
    if (again != out) Fail("sheet not stable", out, again);
    if (ContainsCaseless(out, "</style") && !ContainsCaseless(in, "</style"))
        Fail("STYLE ends early", in, out);
    return out;
}

std::string CheckJson(std::string_view in) {
    const std::string out = web::MinifyJson(in);
    if (out.size() > in.size()) Fail("JSON grew", in, out);
    if (web::MinifyJson(out) != out) Fail("JSON not stable", in, out);
    return out;
}

}  // namespace tsqz::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tsqz::fuzz;
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    Choices choices(data + 1, size - 1);
    const bool utf8 = data[0] / 7 % 2 == 1;  // scripts: as on a UTF-8 page or on another
    switch (data[0] % 7) {
        case 0: CheckScript(rest, false, utf8); break;
        case 1: CheckScript(rest, true, utf8); break;
        case 2: CheckStyleSheet(rest, false); break;
        case 3: CheckStyleSheet(rest, true); break;
        case 4: CheckJson(rest); break;
        case 5: CheckScript(GenerateScript(choices), false, utf8); break;
        default: CheckStyleSheet(GenerateStyleSheet(choices), false); break;
    }
    return 0;
}
