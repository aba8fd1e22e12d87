// Byte-string search and edit primitives that every pass is written in.
//
// A text is a std::string of raw bytes. Positions are 1-based; 0 means "not found". A signed
// start or limit asks for case-insensitive matching when it is negative. In a pattern "?"
// matches any byte. The rules here are behaviour, not taste: passes depend on where a search
// starts, what counts as a match and where a replace-all resumes.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace tsqz {

using Text = std::string;

// Byte comparison of the searches: pattern byte p matches text byte t.
inline bool BytesMatch(unsigned char p, unsigned char t, bool ignore_case) {
    if (p == '?' || p == t) return true;
    // ASCII letters regardless of case; also lets a text '`' match a pattern '@'.
    return ignore_case && p <= 0x7A && t >= 0x41 && t <= 0x7A && (t ^ 0x20) == p;
}

// First match of pattern at or after |start|; negative start ignores case.
int32_t FindText(std::string_view text, std::string_view pattern, int32_t start);
// Rightmost match lying wholly within 1..|limit| (0 or beyond the end: the whole text);
// negative limit ignores case.
int32_t FindTextBack(std::string_view text, std::string_view pattern, int32_t limit);

// Convenience forms used by the passes: explicit case flag, 1-based start/limit.
inline int32_t Find(std::string_view text, std::string_view pattern, int32_t start,
                    bool ignore_case) {
    if (start <= 0) return 0;
    return FindText(text, pattern, ignore_case ? -start : start);
}
// Back search with an explicit case flag; a limit below 1 finds nothing (the signed form
// cannot say "case-insensitive, before position 1").
inline int32_t FindBack(std::string_view text, std::string_view pattern, int32_t limit,
                        bool ignore_case) {
    if (limit <= 0) return 0;
    return FindTextBack(text, pattern, ignore_case ? -limit : limit);
}

int32_t FindChar(std::string_view text, unsigned char byte, int32_t start);
int32_t FindCharBack(std::string_view text, unsigned char byte, int32_t limit);
int32_t SkipChar(std::string_view text, unsigned char byte);
int32_t SkipCharBack(std::string_view text, unsigned char byte);
int32_t CountCharFrom(std::string_view text, unsigned char byte, int32_t start);
int32_t CountCharIn(std::string_view text, unsigned char byte, int32_t n);

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
Text TrimCharLeft(std::string_view text, unsigned char byte);
Text TrimCharRight(std::string_view text, unsigned char byte);

// Position helpers for in-place edits at 1-based positions.
inline void DeleteAt(Text& text, int32_t pos, int32_t count) {
    text.erase(static_cast<size_t>(pos - 1), static_cast<size_t>(count));
}
inline void InsertAt(Text& text, int32_t pos, std::string_view what) {
    text.insert(static_cast<size_t>(pos - 1), what);
}
// Byte at a 1-based position; 0 outside the text.
inline unsigned char ByteAt(std::string_view text, int32_t pos) {
    return (pos >= 1 && static_cast<size_t>(pos) <= text.size())
               ? static_cast<unsigned char>(text[static_cast<size_t>(pos - 1)])
               : 0;
}
inline int32_t Len(std::string_view text) { return static_cast<int32_t>(text.size()); }

// "Jan. 5, 1998": English month abbreviation whatever the locale.
std::string DateStamp(const std::tm& local_time);

}  // namespace tsqz
