// Front-to-back editing of a text at linear cost.
#include "text/text_rewriter.h"

#include <algorithm>
#include <cstring>

#include "text/byte_scan.h"
#include "text/literal_search.h"

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

bool Rewriter::HasAt(int32_t pos, std::string_view pattern, bool ignore_case) const {
    if (pos < 1 || pattern.empty() ||
        static_cast<int64_t>(pos) + static_cast<int64_t>(pattern.size()) - 1 > Length()) {
        return false;
    }
    for (size_t k = 0; k < pattern.size(); ++k) {
        if (!BytesMatch(static_cast<unsigned char>(pattern[k]), At(pos + static_cast<int32_t>(k)),
                        ignore_case)) {
            return false;
        }
    }
    return true;
}

int32_t Rewriter::Find(std::string_view pattern, int32_t start, bool ignore_case) const {
    if (pattern.empty() || start < 1) return 0;
    const size_t m = pattern.size();
    const size_t total = static_cast<size_t>(Length());
    size_t s = static_cast<size_t>(start - 1);
    if (s >= total || m > total - s) return 0;
    // Without wildcards or case folding the library's substring search gives the same answer.
    const bool exact = !ignore_case && pattern.find('?') == std::string_view::npos;
    const size_t d = done_.size();
    if (s < d) {
        // Matches wholly inside the edited part, then those that run across the cursor.
        if (exact) {
            if (size_t at = FindExact(done_, pattern, s); at != std::string_view::npos) {
                return static_cast<int32_t>(at + 1);
            }
        } else if (int32_t at = tsqz::Find(done_, pattern, start, ignore_case); at != 0) {
            return at;
        }
        for (size_t c = std::max(s, d + 1 >= m ? d + 1 - m : 0); c < d; ++c) {
            if (HasAt(static_cast<int32_t>(c + 1), pattern, ignore_case)) {
                return static_cast<int32_t>(c + 1);
            }
        }
        s = d;
    }
    const std::string_view rest = Rest();
    const size_t offset = s - d;
    if (exact) {
        const size_t at = FindExact(rest, pattern, offset);
        return at == std::string_view::npos ? 0 : static_cast<int32_t>(d + at + 1);
    }
    const int32_t at = tsqz::Find(rest.substr(offset), pattern, 1, ignore_case);
    return at == 0 ? 0 : static_cast<int32_t>(s + static_cast<size_t>(at));
}

int32_t Rewriter::FindChar(unsigned char byte, int32_t start) const {
    if (start < 1 || start > Length()) return 0;
    size_t s = static_cast<size_t>(start - 1);
    const size_t d = done_.size();
    if (s < d) {
        const void* hit = std::memchr(done_.data() + s, byte, d - s);
        if (hit != nullptr) {
            return static_cast<int32_t>(static_cast<const char*>(hit) - done_.data()) + 1;
        }
        s = d;
    }
    const std::string_view rest = Rest();
    const size_t offset = s - d;
    const void* hit = std::memchr(rest.data() + offset, byte, rest.size() - offset);
    if (hit == nullptr) return 0;
    return static_cast<int32_t>(d +
                                static_cast<size_t>(static_cast<const char*>(hit) - rest.data())) +
           1;
}

int32_t Rewriter::FindCharBack(unsigned char byte, int32_t limit) const {
    const int32_t length = Length();
    if (length == 0) return 0;
    if (limit < 1 || limit > length) limit = length;
    const size_t d = done_.size();
    const auto e = static_cast<size_t>(limit);  // bytes of the current text to look at
    if (e > d) {
        const std::string_view rest = Rest();
        const void* hit = memrchr(rest.data(), byte, e - d);
        if (hit != nullptr) {
            return static_cast<int32_t>(
                       d + static_cast<size_t>(static_cast<const char*>(hit) - rest.data())) +
                   1;
        }
    }
    const void* hit = memrchr(done_.data(), byte, std::min(e, d));
    return hit == nullptr ? 0
                          : static_cast<int32_t>(static_cast<const char*>(hit) - done_.data()) + 1;
}

void Rewriter::CopyUpTo(size_t done_size) {
    const size_t count = done_size - done_.size();
    if (done_.empty()) done_.reserve(source_.size() + 64);
    done_.append(source_, next_, count);
    next_ += count;
}

void Rewriter::Delete(int32_t pos, int32_t count) {
    const int32_t length = Length();
    if (pos < 1 || pos > length || count <= 0) return;
    count = std::min(count, length - pos + 1);
    edited_ = true;
    for (int32_t* mark : marks_) {
        if (*mark >= pos + count) {
            *mark -= count;
        } else if (*mark > pos) {
            *mark = pos;
        }
    }
    const auto at = static_cast<size_t>(pos - 1);
    auto n = static_cast<size_t>(count);
    if (at >= done_.size()) {
        CopyUpTo(at);
        next_ += n;
        return;
    }
    const size_t in_done = std::min(n, done_.size() - at);
    done_.erase(at, in_done);
    next_ += n - in_done;
}

void Rewriter::Insert(int32_t pos, std::string_view what) {
    if (pos < 1 || pos > Length() + 1 || what.empty()) return;
    edited_ = true;
    const auto size = static_cast<int32_t>(what.size());
    for (int32_t* mark : marks_) {
        if (*mark >= pos) *mark += size;
    }
    const auto at = static_cast<size_t>(pos - 1);
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
    const auto u = static_cast<int32_t>(unit.size());
    for (int32_t p = text.Find(pair, 1); p != 0; p = text.Find(pair, p + u)) {
        // p holds the first copy of a run; count the copies after it.
        int32_t end = p + u;
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
    const auto length = static_cast<int32_t>(anchor.size());
    const Text spaced = " " + Text(anchor);
    for (int32_t space = text.Find(spaced, 1); space != 0;) {
        const int32_t at = space + 1;
        int32_t first = space;
        while (text.At(first - 1) == ' ')
            --first;
        text.Delete(first, at - first);
        space = text.Find(spaced, first + length - 1);
    }
}

void DeleteSpacesAfter(Rewriter& text, std::string_view anchor) {
    const auto length = static_cast<int32_t>(anchor.size());
    const Text spaced = Text(anchor) + " ";
    for (int32_t at = text.Find(spaced, 1); at != 0; at = text.Find(spaced, at + 1)) {
        const int32_t first = at + length;
        int32_t end = first;
        while (text.At(end) == ' ')
            ++end;
        text.Delete(first, end - first);
    }
}

}  // namespace tsqz
