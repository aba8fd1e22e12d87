// The steps of the script and style-sheet compressors, for the passes and their tests.
#pragma once

#include <cstdint>
#include <string_view>

#include "text.h"

namespace tsqz {

enum class ScriptLanguage : uint8_t { kJavaScript = 0, kVBScript = 1, kOther = 2 };

// Guesses the language of a script block from its line shapes, operators and keywords.
ScriptLanguage GuessScriptLanguage(std::string_view block, bool lf_only);

// Removes "//" line comments (keeping those followed by "-->" on their line) and then "/* */"
// block comments. Delimiters inside string literals, inside a block comment and, in style
// sheets, inside url(...) start nothing.
void RemoveCodeComments(Text& block, bool style_sheet);

// Removes "REM " lines and apostrophe comments.
void RemoveVBScriptComments(Text& block, bool lf_only);

// Deletes the spaces around VBScript operators that stand in code. With comments to be
// removed afterwards, operators inside comments count as code.
void RemoveVBScriptOperatorSpaces(Text& block, bool comments_removed);

// Breaks a style block after ";" and "}" at about every `width` bytes and joins its other
// lines.
void BreakStyleLines(Text& block, bool lf_only, int32_t width);

// Collapses and trims the spaces of a style block and those around its punctuation.
void CompressStyleSpaces(Text& block, bool lf_only);

}  // namespace tsqz
