// Finding the few places of a text that a pass must look at, sixteen bytes at a time.
//
// The whitespace passes act on a small share of a chunk's bytes (a space beside a line feed,
// a "> <", a tag's "<"), but those bytes are too common for a search per place to pay. These
// walks test sixteen bytes at once and hand over only the places that pass a test; the
// caller then looks at each place byte by byte, so the test may let through more than it
// needs to, never less. Without SSE2 the same code runs on plain byte arrays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tsqz {

// Sixteen bytes of a text and the tests a scan builds its place test from.
class Bytes16 {
  public:
    static Bytes16 Load(const char* at) {
#if defined(__SSE2__)
        return Bytes16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)));
#else
        Bytes16 v;
        for (int i = 0; i < 16; ++i)
            v.b_[i] = static_cast<unsigned char>(at[i]);
        return v;
#endif
    }

    // All ones in the lanes holding `c`.
    Bytes16 operator==(char c) const {
#if defined(__SSE2__)
        return Bytes16(_mm_cmpeq_epi8(v_, _mm_set1_epi8(c)));
#else
        Bytes16 r;
        for (int i = 0; i < 16; ++i)
            r.b_[i] = b_[i] == static_cast<unsigned char>(c) ? 0xFF : 0;
        return r;
#endif
    }
    Bytes16 operator|(Bytes16 o) const {
#if defined(__SSE2__)
        return Bytes16(_mm_or_si128(v_, o.v_));
#else
        Bytes16 r;
        for (int i = 0; i < 16; ++i)
            r.b_[i] = b_[i] | o.b_[i];
        return r;
#endif
    }
    Bytes16 operator&(Bytes16 o) const {
#if defined(__SSE2__)
        return Bytes16(_mm_and_si128(v_, o.v_));
#else
        Bytes16 r;
        for (int i = 0; i < 16; ++i)
            r.b_[i] = b_[i] & o.b_[i];
        return r;
#endif
    }
    // Bit i set when lane i is all ones.
    uint32_t Mask() const {
#if defined(__SSE2__)
        return static_cast<uint32_t>(_mm_movemask_epi8(v_));
#else
        uint32_t m = 0;
        for (int i = 0; i < 16; ++i)
            m |= static_cast<uint32_t>(b_[i] >> 7) << i;
        return m;
#endif
    }

  private:
#if defined(__SSE2__)
    Bytes16() = default;
    explicit Bytes16(__m128i v) : v_(v) {}
    __m128i v_;
#else
    unsigned char b_[16] = {};
#endif
};

// The place of the first `c` in `text` from `from` on, or text.size(). Most searches end a few
// bytes on (a tag's quoted value, the white space between two tags): the first sixteen bytes
// are compared at once inline, and memchr, whose call costs more than such a search, takes
// over after them.
inline size_t FindByte(std::string_view text, size_t from, char c) {
    const size_t n = text.size();
    if (from + 16 <= n) {
        const uint32_t mask = (Bytes16::Load(text.data() + from) == c).Mask();
        if (mask != 0) return from + static_cast<size_t>(__builtin_ctz(mask));
        from += 16;
    }
    if (from >= n) return n;
    const void* hit = std::memchr(text.data() + from, c, n - from);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data()) : n;
}

// The value a visit returns to end the scan.
inline constexpr size_t kScanEnd = std::string_view::npos;

namespace scan_detail {

// Visits the marked lanes of the sixteen bytes at i in order; returns where the scan goes on
// (i + 16, or further when a visit jumps past the block), or kScanEnd.
template <typename Visit>
size_t VisitLanes(uint32_t mask, size_t i, const Visit& visit) {
    while (mask != 0) {
        const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
        const size_t go_on = visit(at);
        if (go_on == kScanEnd || go_on >= i + 16) return go_on;
        // Lanes before where the visit goes on are passed over.
        mask &= ~0u << (go_on > at ? go_on - i : at + 1 - i);
    }
    return i + 16;
}

}  // namespace scan_detail

// Calls `visit(i)` for each index i of the text, from `from` on and in order, that may be a
// place: where `test(b0, b1, b2)` marks the lane of b0, b0 to b2 being the sixteen bytes at i,
// i + 1 and i + 2. The last bytes of the text, where the three loads would reach past its
// end, are all handed over. `visit` returns the index to go on from (past i), or kScanEnd.
template <typename Test, typename Visit>
void ScanPlaces(std::string_view text, size_t from, const Test& test, const Visit& visit) {
    const char* s = text.data();
    const size_t n = text.size();
    size_t i = from;
    while (i + 18 <= n) {
        const uint32_t mask =
            test(Bytes16::Load(s + i), Bytes16::Load(s + i + 1), Bytes16::Load(s + i + 2)).Mask();
        i = scan_detail::VisitLanes(mask, i, visit);
        if (i == kScanEnd) return;
    }
    while (i < n) {
        const size_t go_on = visit(i);
        if (go_on == kScanEnd) return;
        i = go_on > i ? go_on : i + 1;
    }
}

// Calls `visit(i)` at each index from `from` on whose byte is one of `Wanted`, in order;
// `visit` returns the index to go on from (past i), or kScanEnd.
template <char... Wanted, typename Visit>
void ScanBytes(std::string_view text, size_t from, const Visit& visit) {
    const char* s = text.data();
    const size_t n = text.size();
    size_t i = from;
    while (i + 16 <= n) {
        const Bytes16 b = Bytes16::Load(s + i);
        i = scan_detail::VisitLanes(((b == Wanted) | ...).Mask(), i, visit);
        if (i == kScanEnd) return;
    }
    while (i < n) {
        if (((s[i] == Wanted) || ...)) {
            const size_t go_on = visit(i);
            if (go_on == kScanEnd) return;
            i = go_on > i ? go_on : i + 1;
        } else {
            ++i;
        }
    }
}

}  // namespace tsqz
