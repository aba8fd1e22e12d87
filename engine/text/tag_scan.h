// Forward scanning helpers shared by the markup passes: tag boundaries and element names.
#pragma once

#include <cstddef>
#include <string_view>

#include "text/position.h"
#include "text/text.h"

namespace tsqz {

// Tracks the last "<" and the last ">" at or before a position that only moves forward, so
// a pass that walks its matches left to right answers "is this inside a tag?" without
// searching backwards from every match. Reads a fixed text at 0-based indexes; a pass that
// asks while it edits uses RewriterTagTracker (text_rewriter.h) instead.
class TagTracker {
  public:
    explicit TagTracker(std::string_view text) : text_(text) {}

    // Takes in every byte up to and including index pos; pos never moves backwards.
    void AdvanceTo(size_t pos) {
        for (; next_ <= pos && next_ < text_.size(); ++next_) {
            if (text_[next_] == '<') {
                last_open_ = next_;
            } else if (text_[next_] == '>') {
                last_close_ = next_;
            }
        }
    }

    // The last "<" at or before pos lies after the last ">" at or before pos.
    bool InsideTag(size_t pos) {
        AdvanceTo(pos);
        return last_open_ != kNone && (last_close_ == kNone || last_open_ > last_close_);
    }

    // The last "<" seen so far, or kNone.
    size_t last_open() const { return last_open_; }

  private:
    std::string_view text_;
    size_t next_ = 0;
    size_t last_open_ = kNone;
    size_t last_close_ = kNone;
};

// The bytes that end a tag or attribute name in a browser: white space and "/".
inline bool EndsTagName(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '/';
}

// The name matches the text at 0-based index at, ignoring ASCII case as the searches do.
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
