// Forward scanning helpers shared by the markup passes: tag boundaries and element names.
#pragma once

#include <cstddef>
#include <string_view>

#include "text/position.h"
#include "text/text.h"

namespace tsqz {

// "Is this place inside a tag?", asked of a text at 0-based indexes that mostly increase: the
// last "<" at or before the index lies after the last ">" at or before it. Each answer reads
// back from the asked index only as far as the nearest "<" or ">", or else as far as the
// index asked before, whose answer then holds; so a pass that asks at every match costs the
// bytes between its matches at most, and one that asks at few places costs little more than
// those places. An index below the one asked before is answered afresh from the start.
//
// Bytes is what the tracker reads: a std::string_view for a fixed text (TagTracker), or any
// view with size() and operator[] of a text that changes only after the places already asked
// at, such as an output that grows at its end or a Rewriter's text (RewriterTagTracker in
// text_rewriter.h); every answer is then the one the text as it stands gives.
template <typename Bytes>
class BasicTagTracker {
  public:
    explicit BasicTagTracker(Bytes text) : text_(text) {}

    // The index of the "<" that opens the tag holding index pos, or kNone when pos lies
    // outside every tag (indexes past the end are asked of the last byte).
    size_t OpenOf(size_t pos) {
        const size_t n = text_.size();
        if (n == 0) return kNone;
        if (pos >= n) pos = n - 1;
        if (asked_ != kNone && pos < asked_) asked_ = kNone;  // asked out of order: afresh
        const size_t stop = asked_ == kNone ? 0 : asked_ + 1;
        size_t open = asked_ == kNone ? kNone : open_;
        for (size_t j = pos + 1; j-- > stop;) {
            const char c = text_[j];
            if (c == '<' || c == '>') {
                open = c == '<' ? j : kNone;
                break;
            }
        }
        asked_ = pos;
        open_ = open;
        return open;
    }

    bool InsideTag(size_t pos) { return OpenOf(pos) != kNone; }

  private:
    Bytes text_;
    size_t asked_ = kNone;  // the index asked last
    size_t open_ = kNone;   // its answer
};

using TagTracker = BasicTagTracker<std::string_view>;

// The bytes that end a tag or attribute name in a browser: white space and "/".
inline bool EndsTagName(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '/';
}

// The name matches the text at 0-based index at, ignoring ASCII case as the searches do
// (never at kNone).
inline bool NameAt(std::string_view text, size_t at, std::string_view name) {
    if (at > text.size() || text.size() - at < name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (!BytesMatch(static_cast<unsigned char>(name[i]),
                        static_cast<unsigned char>(text[at + i]), true)) {
            return false;
        }
    }
    return true;
}

}  // namespace tsqz
