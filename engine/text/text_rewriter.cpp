// Front-to-back editing of a text at linear cost.
#include "text/text_rewriter.h"

#include <algorithm>
#include <cstring>

#include "text/byte_scan.h"
#include "text/text.h"

namespace tsqz {

namespace {

// First index at or after `from` where the needle stands exactly; npos when none. The
// needles are short delimiters ("//", "%>"): a sixteen-byte test for their first two bytes
// hands over the few candidates, which are then compared in full.
size_t FindExact(std::string_view haystack, std::string_view needle, size_t from) {
    constexpr size_t npos = std::string_view::npos;
    if (needle.empty() || from > haystack.size() || needle.size() > haystack.size() - from) {
        return npos;
    }
    if (needle.size() == 1) {
        const void* hit = std::memchr(haystack.data() + from, needle[0], haystack.size() - from);
        return hit == nullptr
                   ? npos
                   : static_cast<size_t>(static_cast<const char*>(hit) - haystack.data());
    }
    const char first = needle[0], second = needle[1];
    size_t found = npos;
    ScanPlaces(
        haystack, from,
        [first, second](Bytes16 b0, Bytes16 b1, Bytes16) { return (b0 == first) & (b1 == second); },
        [&](size_t i) -> size_t {
            if (i + needle.size() > haystack.size()) return kScanEnd;
            if (haystack.compare(i, needle.size(), needle) != 0) return i + 1;
            found = i;
            return kScanEnd;
        });
    return found;
}

}  // namespace

bool Rewriter::HasAt(size_t i, std::string_view pattern, bool ignore_case) const {
    const size_t length = Length();
    if (pattern.empty() || i >= length || pattern.size() > length - i) return false;
    for (size_t k = 0; k < pattern.size(); ++k) {
        if (!BytesMatch(static_cast<unsigned char>(pattern[k]), At(i + k), ignore_case)) {
            return false;
        }
    }
    return true;
}

size_t Rewriter::Find(std::string_view pattern, size_t from, bool ignore_case) const {
    const size_t m = pattern.size();
    const size_t total = Length();
    if (pattern.empty() || from >= total || m > total - from) return kNone;
    size_t s = from;
    // Without wildcards or case folding the library's substring search gives the same answer.
    const bool exact = !ignore_case && pattern.find('?') == std::string_view::npos;
    const size_t d = done_.size();
    if (s < d) {
        // Matches wholly inside the edited part, then those that run across the cursor.
        const size_t at = exact ? FindExact(done_, pattern, s)
                                : FindFrom(done_, pattern, s, ignore_case);
        if (at != kNone) return at;
        for (size_t c = std::max(s, d + 1 >= m ? d + 1 - m : 0); c < d; ++c) {
            if (HasAt(c, pattern, ignore_case)) return c;
        }
        s = d;
    }
    const std::string_view rest = Rest();
    const size_t at = exact ? FindExact(rest, pattern, s - d)
                            : FindFrom(rest, pattern, s - d, ignore_case);
    return at == kNone ? kNone : d + at;
}

size_t Rewriter::FindChar(unsigned char byte, size_t from) const {
    if (from >= Length()) return kNone;
    size_t s = from;
    const size_t d = done_.size();
    if (s < d) {
        const void* hit = std::memchr(done_.data() + s, byte, d - s);
        if (hit != nullptr) return static_cast<size_t>(static_cast<const char*>(hit) - done_.data());
        s = d;
    }
    const std::string_view rest = Rest();
    const size_t offset = s - d;
    const void* hit = std::memchr(rest.data() + offset, byte, rest.size() - offset);
    if (hit == nullptr) return kNone;
    return d + static_cast<size_t>(static_cast<const char*>(hit) - rest.data());
}

size_t Rewriter::FindCharBack(unsigned char byte, size_t end) const {
    const size_t e = std::min(end, Length());  // bytes of the current text to look at
    const size_t d = done_.size();
    if (e > d) {
        const std::string_view rest = Rest();
        const void* hit = memrchr(rest.data(), byte, e - d);
        if (hit != nullptr) {
            return d + static_cast<size_t>(static_cast<const char*>(hit) - rest.data());
        }
    }
    const void* hit = memrchr(done_.data(), byte, std::min(e, d));
    return hit == nullptr ? kNone
                          : static_cast<size_t>(static_cast<const char*>(hit) - done_.data());
}

void Rewriter::CopyUpTo(size_t done_size) {
    const size_t count = done_size - done_.size();
    if (done_.empty()) done_.reserve(source_.size() + 64);
    done_.append(source_, next_, count);
    next_ += count;
}

void Rewriter::Delete(size_t at, size_t count) {
    const size_t length = Length();
    if (at >= length || count == 0) return;
    count = std::min(count, length - at);
    edited_ = true;
    for (size_t* mark : marks_) {
        if (*mark == kNone) continue;
        if (*mark >= at + count) {
            *mark -= count;
        } else if (*mark > at) {
            *mark = at;
        }
    }
    if (at >= done_.size()) {
        CopyUpTo(at);
        next_ += count;
        return;
    }
    const size_t in_done = std::min(count, done_.size() - at);
    done_.erase(at, in_done);
    next_ += count - in_done;
}

void Rewriter::Insert(size_t at, std::string_view what) {
    if (at > Length() || what.empty()) return;
    edited_ = true;
    for (size_t* mark : marks_) {
        if (*mark != kNone && *mark >= at) *mark += what.size();
    }
    if (at >= done_.size()) {
        CopyUpTo(at);
        done_.append(what);
    } else {
        done_.insert(at, what);
    }
}

Text Rewriter::Finish() {
    done_.append(Rest());
    next_ = source_.size();
    return std::move(done_);
}

void CollapseRuns(Rewriter& text, std::string_view unit) {
    const Text pair = Text(unit) + Text(unit);
    const size_t u = unit.size();
    for (size_t p = text.Find(pair, 0); p != kNone; p = text.Find(pair, p + u)) {
        // p holds the first copy of a run; count the copies after it.
        size_t end = p + u;
        while (text.HasAt(end, unit))
            end += u;
        text.Delete(p + u, end - (p + u));
    }
}

void CollapseRuns(Text& text, std::string_view unit) {
    RewriteWith(text, [unit](Rewriter& r) { CollapseRuns(r, unit); });
}

// Only an anchor with a space beside it changes anything, so the search is for the space and
// the anchor together: the anchors ("{", ";", ":", ...) are frequent in style sheets, the pairs
// are not. The anchor holds no space, so a search from the anchor's last byte on finds only
// anchors after it.
void DeleteSpacesBefore(Rewriter& text, std::string_view anchor) {
    const Text spaced = " " + Text(anchor);
    for (size_t space = text.Find(spaced, 0); space != kNone;) {
        const size_t at = space + 1;
        size_t first = space;
        while (first > 0 && text.At(first - 1) == ' ')
            --first;
        text.Delete(first, at - first);
        space = text.Find(spaced, first + anchor.size() - 1);
    }
}

void DeleteSpacesAfter(Rewriter& text, std::string_view anchor) {
    const Text spaced = Text(anchor) + " ";
    for (size_t at = text.Find(spaced, 0); at != kNone; at = text.Find(spaced, at + 1)) {
        const size_t first = at + anchor.size();
        size_t end = first;
        while (text.At(end) == ' ')
            ++end;
        text.Delete(first, end - first);
    }
}

}  // namespace tsqz
