// Script minification for the web template: a JavaScript tokenizer that removes comments,
// white space and line ends without renaming anything, a JSON minifier, and the check that a
// SCRIPT element's text still ends where it did.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tsqz::web {

// What the type attribute of a SCRIPT element makes of its text.
enum class ScriptKind {
    Classic,  // JavaScript (no type, or a JavaScript MIME type)
    Module,   // type="module": JavaScript without HTML-like comments
    Json,     // JSON, JSON-LD, import maps, speculation rules
    Other,    // data blocks and templates: left as they are
};

// |type| and |language| are the values of those attributes; |has_type| and |has_language| say
// whether the element has them. Without a type, a language attribute names the type
// ("text/" and the language), as browsers read it.
ScriptKind ClassifyScriptType(std::string_view type, bool has_type, std::string_view language,
                              bool has_language);

// Minifies JavaScript. Returns the input unchanged when the tokenizer cannot read it to the
// end (an unclosed string, comment, template or regular expression, unbalanced brackets).
// String and number literals get their shortest spelling of the same value; |utf8| (the
// page is UTF-8) lets an escape of a non-ASCII character become the character itself.
std::string MinifyJavaScript(std::string_view js, bool module, bool utf8 = false);

// The tokens of a script as the minifier reads them (comments left out), for tests that
// compare a script with its minified form. Returns false where MinifyJavaScript gives up.
bool ListJavaScriptTokens(std::string_view js, bool module, std::vector<std::string>& tokens);

// Minifies JSON text: white space between tokens goes. Returns the input unchanged when it
// holds anything but JSON tokens.
std::string MinifyJson(std::string_view json);

// Whether |text|, as the content of a SCRIPT element followed by "</script>", lets the
// element end exactly there (HTML's script data states: no earlier end tag, not inside an
// escaped "<script" at the end).
bool ScriptTextEndsAtItsEnd(std::string_view text);

// Minifies the text of a SCRIPT element by its kind; falls back to the input whenever the
// result would end the element somewhere else than the input does.
std::string MinifyScriptElement(std::string_view text, ScriptKind kind, bool utf8 = false);
// The same appended to |out|, written straight into it (a failed attempt is taken back), so
// the result of a large script is not held a second time.
void AppendMinifiedScriptElement(std::string_view text, ScriptKind kind, bool utf8,
                                 std::string& out);

}  // namespace tsqz::web
