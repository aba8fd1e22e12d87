// The steps of the script and style-sheet compressors, for the passes and their tests.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "text/text_rewriter.h"

namespace tsqz {

enum class ScriptLanguage : uint8_t { kJavaScript = 0, kVBScript = 1, kOther = 2 };

// Reads script or style-sheet code from the start of a block, far enough to tell whether a
// comment delimiter found by a search stands in code. Strings end at their line end unless
// it is escaped; template strings of scripts and block comments run on. Comment removal must
// not start a comment inside "http://..." or url(http://...), nor inside a block comment,
// where a "//" would swallow the "*/" and the next "/*" would then take the code in between.
class CodeReader {
  public:
    explicit CodeReader(bool style_sheet) : style_sheet_(style_sheet) {}

    // The index of the next byte to read; a caller that edits has the Rewriter track it.
    size_t& position() { return pos_; }

    // Reads the text up to `at`, which must not lie before the bytes already read; whether
    // a delimiter at `at` stands in code.
    bool IsCodeAt(const Rewriter& text, size_t at);

    // Whether the index reached lies inside a string literal or a style sheet's url(...).
    bool InLiteral() const { return quote_ != 0 || in_url_; }

    // The last index up to which the state stays what it is at the index reached (the bytes
    // before it pass by without changing it); at least that index.
    size_t SameStateThrough(const Rewriter& text) const;

  private:
    void Read(const Rewriter& text, unsigned char c);
    // The bytes that may change the state as it stands; all others only pass by.
    std::array<char, 5> Stops() const;
    // The same bytes as a table over all byte values.
    const std::array<bool, 256>& StopBytes() const;

    bool style_sheet_;
    size_t pos_ = 0;
    unsigned char quote_ = 0;  // the quote that opened the string being read
    bool escaped_ = false;
    bool in_comment_ = false;
    bool in_url_ = false;
    unsigned char previous_ = 0;  // the last byte read, 0 when it closed or opened a comment
};

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
// lines. A ";" or "}" inside a string or url(...) is no break point.
void BreakStyleLines(Text& block, bool lf_only, int32_t width);

// Collapses and trims the spaces of a style block and those around its punctuation.
void CompressStyleSpaces(Text& block, bool lf_only);

}  // namespace tsqz
