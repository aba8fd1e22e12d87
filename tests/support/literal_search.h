// The searches of text.h at 1-based positions, 0 meaning "not found", for the plain loops the
// tests hold the passes against: written byte for byte as the passes' rules read, they count
// from 1. A signed start or limit asks for case-insensitive matching when it is negative.
// The engine itself takes 0-based indexes; a place crosses over only through IndexOf and
// PositionOf.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/position.h"
#include "text/text.h"

namespace tsqz {

// The 0-based index of a found (non-zero) 1-based search position, and back.
constexpr size_t IndexOf(int32_t position) { return static_cast<size_t>(position - 1); }
constexpr int32_t PositionOf(size_t index) { return static_cast<int32_t>(index) + 1; }

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

// In-place edits at 1-based positions.
inline void DeleteAt(Text& text, int32_t pos, int32_t count) {
    text.erase(IndexOf(pos), static_cast<size_t>(count));
}
inline void InsertAt(Text& text, int32_t pos, std::string_view what) {
    text.insert(IndexOf(pos), what);
}
// Byte at a 1-based position; 0 outside the text.
inline unsigned char ByteAt(std::string_view text, int32_t pos) {
    return pos >= 1 ? ByteAtIndex(text, IndexOf(pos)) : 0;
}

}  // namespace tsqz
