// How the engine's units name a place in a text, and the one value for "no place".
//
// A place is a 0-based index into the text, as the standard library counts, and "no place"
// is kNone (npos). Every search, scanner and editor of text/ (text.h, byte_scan.h, tag_scan.h,
// text_rewriter.h) and the passes' readers take and return these.
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

}  // namespace tsqz
