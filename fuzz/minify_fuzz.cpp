// Fuzz target of the script and style-sheet minifiers.
//
// The first byte chooses what the rest is: raw bytes as a script, a module, a style sheet,
// style declarations or JSON, or the choices of a generated script or style sheet
// (minify_generator.h). Checked on every input: no sanitizer report; the output is never
// longer; a script's minified form has exactly the input's tokens (nothing merged, split or
// changed), and a sheet's still reads to the end; minifying again changes nothing; a SCRIPT
// or STYLE text that ended where it should still does. The syntax trees themselves are
// compared by the parser oracle (tests/minify), which minify_cases feeds with the same
// generated inputs.
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

bool ContainsCaseless(std::string_view s, std::string_view what) {
    for (size_t k = 0; k + what.size() <= s.size(); ++k) {
        size_t m = 0;
        while (m < what.size() && (s[k + m] | 0x20) == what[m]) ++m;
        if (m == what.size()) return true;
    }
    return false;
}

}  // namespace

std::string CheckScript(std::string_view in, bool module) {
    const std::string out = web::MinifyJavaScript(in, module);
    if (out.size() > in.size()) Fail("script grew", in, out);
    if (out != in) {
        std::vector<std::string> before, after;
        if (!web::ListJavaScriptTokens(in, module, before) ||
            !web::ListJavaScriptTokens(out, module, after))
            Fail("minified a script it cannot read", in, out);
        if (before != after) Fail("tokens differ", in, out);
    }
    if (web::MinifyJavaScript(out, module) != out) Fail("script not stable", in, out);
    const auto kind = module ? web::ScriptKind::Module : web::ScriptKind::Classic;
    if (web::ScriptTextEndsAtItsEnd(in) &&
        !web::ScriptTextEndsAtItsEnd(web::MinifyScriptElement(in, kind)))
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
    switch (data[0] % 7) {
        case 0: CheckScript(rest, false); break;
        case 1: CheckScript(rest, true); break;
        case 2: CheckStyleSheet(rest, false); break;
        case 3: CheckStyleSheet(rest, true); break;
        case 4: CheckJson(rest); break;
        case 5: CheckScript(GenerateScript(choices), false); break;
        default: CheckStyleSheet(GenerateStyleSheet(choices), false); break;
    }
    return 0;
}
