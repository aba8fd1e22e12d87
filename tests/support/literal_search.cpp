// The 1-based searches over the 0-based ones of text.h.
#include "support/literal_search.h"

#include <algorithm>
#include <cstring>

namespace tsqz {

int32_t FindText(std::string_view text, std::string_view pattern, int32_t start) {
    if (text.empty() || pattern.empty() || start == 0) return 0;
    const int64_t s = start < 0 ? -static_cast<int64_t>(start) : start;
    const auto n = static_cast<int64_t>(text.size());
    if (s > n || static_cast<int64_t>(pattern.size()) > n - s + 1) return 0;
    size_t at = FindFrom(text, pattern, static_cast<size_t>(s - 1), start < 0);
    return at == std::string_view::npos ? 0 : static_cast<int32_t>(at + 1);
}

int32_t FindTextBack(std::string_view text, std::string_view pattern, int32_t limit) {
    const int64_t e = limit < 0 ? -static_cast<int64_t>(limit) : limit;
    const size_t at = FindBefore(text, pattern, e == 0 ? text.size() : static_cast<size_t>(e),
                                 limit < 0);
    return at == kNone ? 0 : PositionOf(at);
}

int32_t FindChar(std::string_view text, unsigned char byte, int32_t start) {
    if (start <= 0 || start > Len(text)) return 0;
    const void* p = std::memchr(text.data() + start - 1, byte, text.size() - (start - 1));
    return p ? static_cast<int32_t>(static_cast<const char*>(p) - text.data()) + 1 : 0;
}

int32_t FindCharBack(std::string_view text, unsigned char byte, int32_t limit) {
    if (text.empty()) return 0;
    // A limit of 0 (or one at or beyond the end) means the whole text: callers that mean
    // "before position 1" must not ask.
    size_t e = (limit <= 0 || limit >= Len(text)) ? text.size() : static_cast<size_t>(limit);
    const void* p = memrchr(text.data(), byte, e);
    return p ? static_cast<int32_t>(static_cast<const char*>(p) - text.data()) + 1 : 0;
}

int32_t SkipChar(std::string_view text, unsigned char byte) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) != byte) return static_cast<int32_t>(i + 1);
    }
    return 0;
}

int32_t SkipCharBack(std::string_view text, unsigned char byte) {
    for (size_t i = text.size(); i > 0; --i) {
        if (static_cast<unsigned char>(text[i - 1]) != byte) return static_cast<int32_t>(i);
    }
    return 0;
}

int32_t CountCharFrom(std::string_view text, unsigned char byte, int32_t start) {
    if (start <= 0 || start > Len(text)) return 0;
    return static_cast<int32_t>(
        std::count(text.begin() + (start - 1), text.end(), static_cast<char>(byte)));
}

int32_t CountCharIn(std::string_view text, unsigned char byte, int32_t n) {
    if (n <= 0 || n > Len(text)) return 0;
    return static_cast<int32_t>(
        std::count(text.begin(), text.begin() + n, static_cast<char>(byte)));
}

}  // namespace tsqz
