// Byte-string search and edit primitives.
//
// Results equal those of the plain byte-by-byte loops; the searches skip ahead with memchr on
// the pattern's first byte (both cases of a letter when ignoring case), and replace-all builds
// the new text in one left-to-right pass instead of inserting and deleting in place.
#include "text/text.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "text/byte_scan.h"

namespace tsqz {
namespace {

// The text byte other than p itself that matches pattern byte p, or -1.
int AlternateByte(unsigned char p, bool ignore_case) {
    if (!ignore_case || p > 0x7A) return -1;
    int t = p ^ 0x20;
    return (t >= 0x41 && t <= 0x7A) ? t : -1;
}

bool MatchesAt(const unsigned char* t, std::string_view pattern, bool ignore_case) {
    for (size_t i = 1; i < pattern.size(); ++i) {
        if (!BytesMatch(static_cast<unsigned char>(pattern[i]), t[i], ignore_case)) return false;
    }
    return true;
}

// Windows of the two-byte searches below: the first is small, each next one twice as large, up
// to the last size.
constexpr size_t kFirstWindow = 64;
constexpr size_t kLastWindow = 16384;

// Next index in [from, to) whose byte is a or b (b < 0: only a); to when none. With two bytes
// it looks through growing windows: a search for both over the whole rest would cost as far
// as the next copy of the rarer byte on every call, and a search loop that stops at each copy
// of the frequent one would go over the same stretch again and again.
size_t NextOf(const unsigned char* d, size_t from, size_t to, int a, int b) {
    if (from >= to) return to;
    if (b < 0) {
        const void* pa = std::memchr(d + from, a, to - from);
        return pa ? static_cast<size_t>(static_cast<const unsigned char*>(pa) - d) : to;
    }
    for (size_t window = kFirstWindow; from < to; window = std::min(window * 2, kLastWindow)) {
        const size_t end = std::min(to, from + window);
        const void* pa = std::memchr(d + from, a, end - from);
        const size_t ia = pa ? static_cast<size_t>(static_cast<const unsigned char*>(pa) - d) : end;
        const void* pb = std::memchr(d + from, b, ia - from);
        if (pb) return static_cast<size_t>(static_cast<const unsigned char*>(pb) - d);
        if (pa) return ia;
        from = end;
    }
    return to;
}

// Previous index in [0, upto] whose byte is a or b; SIZE_MAX when none. Growing windows
// towards the start, as in NextOf.
size_t PrevOf(const unsigned char* d, size_t upto, int a, int b) {
    if (b < 0) {
        const void* pa = memrchr(d, a, upto + 1);
        return pa ? static_cast<size_t>(static_cast<const unsigned char*>(pa) - d) : SIZE_MAX;
    }
    size_t end = upto + 1;  // the window is [begin, end)
    for (size_t window = kFirstWindow; end > 0; window = std::min(window * 2, kLastWindow)) {
        const size_t begin = end > window ? end - window : 0;
        const void* pa = memrchr(d + begin, a, end - begin);
        const size_t ia =
            pa ? static_cast<size_t>(static_cast<const unsigned char*>(pa) - d) : SIZE_MAX;
        const size_t from = ia == SIZE_MAX ? begin : ia + 1;
        const void* pb = from < end ? memrchr(d + from, b, end - from) : nullptr;
        if (pb) return static_cast<size_t>(static_cast<const unsigned char*>(pb) - d);
        if (pa) return ia;
        end = begin;
    }
    return SIZE_MAX;
}

// How common a byte is in a page, roughly (higher is more common). A search looks for the
// least common byte of its pattern and checks the rest around it, so it stops at few places.
int Commonness(unsigned char c) {
    if (c == ' ') return 9;
    if (c >= 'a' && c <= 'z') return 8;
    if (c == '\n' || c == '\r' || c == '\t' || c == '<' || c == '>' || c == '"' || c == '=' ||
        c == '/' || c == '.') {
        return 7;
    }
    if (c >= '0' && c <= '9') return 6;
    if (c >= 'A' && c <= 'Z') return 5;
    if (c == '-' || c == '_' || c == ':' || c == ';' || c == ',' || c == '\'' || c == '#' ||
        c == '&' || c == '(' || c == ')') {
        return 4;
    }
    return 2;
}

// Whether the pattern matches at d in full.
bool MatchesAll(const unsigned char* d, std::string_view pattern, bool ignore_case) {
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (!BytesMatch(static_cast<unsigned char>(pattern[i]), d[i], ignore_case)) return false;
    }
    return true;
}

}  // namespace

size_t FindFrom(std::string_view text, std::string_view pattern, size_t from, bool ignore_case) {
    const size_t n = text.size(), m = pattern.size();
    if (m == 0 || m > n || from > n - m) return std::string_view::npos;
    const auto* d = reinterpret_cast<const unsigned char*>(text.data());
    const size_t last = n - m;  // last candidate index
    const auto p0 = static_cast<unsigned char>(pattern[0]);
    if (p0 == '?') {
        for (size_t i = from; i <= last; ++i) {
            if (MatchesAt(d + i, pattern, ignore_case)) return i;
        }
        return std::string_view::npos;
    }
    // The anchor: the least common pattern byte that only one text byte matches (not "?",
    // not a letter when case is ignored). Every match has that byte at its place, and the
    // matches come in the order of those places.
    size_t anchor = m;
    for (size_t k = 0; k < m; ++k) {
        const auto p = static_cast<unsigned char>(pattern[k]);
        if (p == '?' || AlternateByte(p, ignore_case) >= 0) continue;
        if (anchor == m || Commonness(p) < Commonness(static_cast<unsigned char>(pattern[anchor])))
            anchor = k;
    }
    const auto p1 = static_cast<unsigned char>(pattern[1 % m]);
    if (m >= 2 && p1 != '?' &&
        (anchor == m || Commonness(static_cast<unsigned char>(pattern[anchor])) >= 7)) {
        // No rare byte to look for ("<script", "</li>", letters only): two bytes of the pattern,
        // in either case where case is ignored, are tested sixteen places at a time. They are
        // its first two, or for an end tag the "/" and the next, as "</" opens every end tag.
        const size_t k = m >= 3 && p0 == '<' && p1 == '/' && pattern[2] != '?' ? 1 : 0;
        const auto pair = [ignore_case](char p) {
            const int alt = AlternateByte(static_cast<unsigned char>(p), ignore_case);
            return std::pair<char, char>(p, static_cast<char>(alt < 0 ? p : alt));
        };
        const auto [a, a_alt] = pair(pattern[k]);
        const auto [b, b_alt] = pair(pattern[k + 1]);
        size_t found = std::string_view::npos;
        ScanPlaces(
            text, from + k,
            [a = a, a_alt = a_alt, b = b, b_alt = b_alt](Bytes16 b0, Bytes16 b1, Bytes16) {
                return ((b0 == a) | (b0 == a_alt)) & ((b1 == b) | (b1 == b_alt));
            },
            [&](size_t i) -> size_t {
                const size_t start = i - k;
                if (start > last) return kScanEnd;
                if (!MatchesAll(d + start, pattern, ignore_case)) return i + 1;
                found = start;
                return kScanEnd;
            });
        return found;
    }
    if (anchor != m && anchor != 0) {
        const int a = static_cast<unsigned char>(pattern[anchor]);
        for (size_t i = NextOf(d, from + anchor, last + anchor + 1, a, -1); i <= last + anchor;
             i = NextOf(d, i + 1, last + anchor + 1, a, -1)) {
            if (MatchesAll(d + i - anchor, pattern, ignore_case)) return i - anchor;
        }
        return std::string_view::npos;
    }
    const int alt = AlternateByte(p0, ignore_case);
    for (size_t i = NextOf(d, from, last + 1, p0, alt); i <= last;
         i = NextOf(d, i + 1, last + 1, p0, alt)) {
        if (MatchesAt(d + i, pattern, ignore_case)) return i;
    }
    return std::string_view::npos;
}

size_t FindBefore(std::string_view text, std::string_view pattern, size_t end, bool ignore_case) {
    const size_t m = pattern.size();
    end = std::min(end, text.size());
    if (m == 0 || m > end) return kNone;
    const auto* d = reinterpret_cast<const unsigned char*>(text.data());
    const auto p0 = static_cast<unsigned char>(pattern[0]);
    size_t i = end - m;  // the rightmost candidate
    if (p0 == '?') {
        for (;; --i) {
            if (MatchesAt(d + i, pattern, ignore_case)) return i;
            if (i == 0) return kNone;
        }
    }
    const int alt = AlternateByte(p0, ignore_case);
    for (size_t c = PrevOf(d, i, p0, alt); c != SIZE_MAX;
         c = c ? PrevOf(d, c - 1, p0, alt) : SIZE_MAX) {
        if (MatchesAt(d + c, pattern, ignore_case)) return c;
    }
    return kNone;
}

namespace {

int32_t ReplaceAllImpl(Text& text, std::string_view pattern, std::string_view replacement,
                       bool ignore_case) {
    if (pattern.empty() || text.empty()) return 0;
    size_t at = FindFrom(text, pattern, 0, ignore_case);
    if (at == std::string_view::npos) return 0;
    // After a replacement at p the literal search resumes right after the inserted text, and
    // after a deletion at p itself; either way the bytes it sees from there on are the
    // original bytes that followed the match, so one left-to-right pass is the same.
    Text out;
    out.reserve(text.size());
    size_t copied = 0;
    int32_t count = 0;
    while (at != std::string_view::npos) {
        out.append(text, copied, at - copied);
        out.append(replacement);
        copied = at + pattern.size();
        ++count;
        at = FindFrom(text, pattern, copied, ignore_case);
    }
    out.append(text, copied, std::string::npos);
    text.swap(out);
    return count;
}

}  // namespace

int32_t ReplaceAll(Text& text, std::string_view pattern, std::string_view replacement) {
    return ReplaceAllImpl(text, pattern, replacement, false);
}

int32_t ReplaceAllCase(Text& text, std::string_view pattern, std::string_view replacement,
                       bool ignore_case) {
    return ReplaceAllImpl(text, pattern, replacement, ignore_case);
}

int32_t ReplaceAllRepeat(Text& text, std::string_view pattern, std::string_view replacement) {
    int32_t total = 0;
    for (int32_t n = ReplaceAll(text, pattern, replacement); n > 0;
         n = ReplaceAll(text, pattern, replacement)) {
        total += n;
    }
    return total;
}

void ReplaceChar(Text& text, unsigned char from, unsigned char to) {
    std::replace(text.begin(), text.end(), static_cast<char>(from), static_cast<char>(to));
}

int32_t RemoveChar(Text& text, unsigned char byte) {
    // Most texts hold none of the byte (a tab, a CR): the library search finds that fastest.
    const void* first = std::memchr(text.data(), byte, text.size());
    if (first == nullptr) return Len(text);
    const auto from = text.begin() + (static_cast<const char*>(first) - text.data());
    text.erase(std::remove(from, text.end(), static_cast<char>(byte)), text.end());
    return Len(text);
}

void CarriageReturnsToLineFeeds(Text& text) {
    size_t write = text.find('\r');
    if (write == Text::npos) return;
    for (size_t read = write; read < text.size(); ++read) {
        const char c = text[read];
        if (c != '\r') {
            text[write++] = c;
        } else if (read + 1 >= text.size() || text[read + 1] != '\n') {
            text[write++] = '\n';
        }
    }
    text.resize(write);
}

Text TrimCharLeft(std::string_view text, unsigned char byte) {
    const size_t first = text.find_first_not_of(static_cast<char>(byte));
    // A text made only of the byte comes back whole.
    if (first == kNone) return Text(text);
    return Text(text.substr(first));
}

Text TrimCharRight(std::string_view text, unsigned char byte) {
    const size_t last = text.find_last_not_of(static_cast<char>(byte));
    return last == kNone ? Text() : Text(text.substr(0, last + 1));
}

std::string DateStamp(const std::tm& local_time) {
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int month = std::clamp(local_time.tm_mon, 0, 11);
    return std::string(kMonths[month]) + ". " + std::to_string(local_time.tm_mday) + ", " +
           std::to_string(local_time.tm_year + 1900);
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace tsqz
