// How the engine's units name a place in a text, and the one value for "no place".
//
// A place is a 0-based index into the text, as the standard library counts, and "no place"
// is kNone (npos). The searches of text.h, the scanners (byte_scan.h, tag_scan.h), the
// Rewriter (text_rewriter.h) and the passes' own scans take and return these.
//
// The head and script passes and the plain loops the tests hold the passes against are written
// in 1-based int32_t positions with 0 for "not found": text/literal_search.h. A place crosses
// from those into an index only through IndexOf, and back through PositionOf.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tsqz {

// "No index" for an index type: all ones (npos for size_t, -1 for a signed type).
template <typename Index>
inline constexpr Index kNoneOf = static_cast<Index>(-1);
inline constexpr size_t kNone = kNoneOf<size_t>;
static_assert(kNone == std::string_view::npos);

// The 0-based index of a found (non-zero) 1-based search position, and back.
constexpr size_t IndexOf(int32_t position) { return static_cast<size_t>(position - 1); }
constexpr int32_t PositionOf(size_t index) { return static_cast<int32_t>(index) + 1; }

}  // namespace tsqz
