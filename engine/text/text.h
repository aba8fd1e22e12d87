// Byte-string search and edit primitives that every pass is written in.
//
// A text is a std::string of raw bytes, and a place in it a 0-based index with kNone for "no
// place" (text/position.h). In a pattern "?" matches any byte. The rules here are behaviour,
// not taste: passes depend on where a search starts, what counts as a match and where a
// replace-all resumes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "text/position.h"

namespace tsqz {

using Text = std::string;

// Byte comparison of the searches: pattern byte p matches text byte t.
inline bool BytesMatch(unsigned char p, unsigned char t, bool ignore_case) {
    if (p == '?' || p == t) return true;
    // ASCII letters regardless of case; also lets a text '`' match a pattern '@'.
    return ignore_case && p <= 0x7A && t >= 0x41 && t <= 0x7A && (t ^ 0x20) == p;
}

// 0-based index of the first match of the pattern at or after index `from`; kNone when none.
size_t FindFrom(std::string_view text, std::string_view pattern, size_t from, bool ignore_case);
// 0-based index of the last match lying wholly before index `end` (an end past the text: the
// whole text); kNone when none.
size_t FindBefore(std::string_view text, std::string_view pattern, size_t end, bool ignore_case);

// Byte at a 0-based index; 0 outside the text.
inline unsigned char ByteAtIndex(std::string_view text, size_t i) {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
}

// Replace every occurrence, scanning left to right; the scan resumes just after the inserted
// replacement (or, for a deletion, where the deleted text began). Returns the count.
int32_t ReplaceAll(Text& text, std::string_view pattern, std::string_view replacement);
int32_t ReplaceAllCase(Text& text, std::string_view pattern, std::string_view replacement,
                       bool ignore_case);
// Runs ReplaceAll until it replaces nothing ("repeat until none"); returns the total count.
int32_t ReplaceAllRepeat(Text& text, std::string_view pattern, std::string_view replacement);
void ReplaceChar(Text& text, unsigned char from, unsigned char to);
int32_t RemoveChar(Text& text, unsigned char byte);
// Line ends to line feeds: a CR before a LF goes, a CR alone (the line end of old Mac files,
// or a stray one) becomes a LF, so no two lines are glued together.
void CarriageReturnsToLineFeeds(Text& text);
// The text without the copies of the byte at its start (a text of nothing but the byte comes
// back whole), or without those at its end (such a text comes back empty).
Text TrimCharLeft(std::string_view text, unsigned char byte);
Text TrimCharRight(std::string_view text, unsigned char byte);
inline int32_t Len(std::string_view text) { return static_cast<int32_t>(text.size()); }
// Appends code point |cp| (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, uint32_t cp);

// "Jan. 5, 1998": English month abbreviation whatever the locale.
std::string DateStamp(const std::tm& local_time);

}  // namespace tsqz
