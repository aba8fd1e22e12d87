// How the engine's units name a place in a text, and the one value for "no place".
//
// Two conventions meet at the unit boundaries, each with its own type:
// - Search positions: int32_t, 1-based, 0 = not found. The primitives of text.h, the
//   Rewriter (text_rewriter.h) and the tag readers take and return these, and the passes
//   written in them keep them.
// - Indexes: 0-based offsets into a std::string_view, as the standard library counts. The
//   scanners (byte_scan.h, tag_scan.h) and the passes' own scans over a fixed text use
//   these; "no index" is the all-ones value of the index type, kNoneOf<T>: kNone (npos) for
//   size_t, -1 for the int32_t indexes of the empty-tag scans.
// A place crosses from one convention to the other only through IndexOf and PositionOf.
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
