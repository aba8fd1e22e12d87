// Empty-tag removal, step 2: the cleanup cycles. Each cycle removes empty and mergeable FONT
// and phrase elements and bare anchors by search-and-delete loops whose exact resume points are
// behaviour; the searches here remember what they found and are kept true across each deletion,
// so a cycle avoids the plain loops' repeated rescans. A cycle that would remove nothing is read
// on the unchanged chunk instead of run.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "passes/empty_tags.h"

namespace tsqz::empties {
namespace {

// A byte that whitespace squeezing removes from a copy; CR is text in an LF-only document.
bool IsSqueezed(unsigned char c, bool lf_only) {
    return c == '\n' || c == ' ' || (c == '\r' && !lf_only);
}

// ---------------------------------------------------------------------------------------------
// Step 2, on copies: what the cleanup strips from a piece of the chunk before it looks for text.

// Whitespace squeezing of a copy. Spaces go only when something is left, which makes no
// difference to what is left.
void Squeeze(Text& copy, bool lf_only) {
    RemoveChar(copy, '\n');
    if (!lf_only) RemoveChar(copy, '\r');
    if (!copy.empty()) RemoveChar(copy, ' ');
}

// Removes tags from a cursor: each step takes the first `form` at or after the cursor, else
// the first `other_form`, removes it through the next ">", and leaves the cursor where it
// stood. A tag without its ">" ends the removal: it and the rest count as text.
void StripFromCursor(Text& copy, std::string_view form, std::string_view other_form) {
    size_t cursor = 0;
    for (;;) {
        size_t at = FindFrom(copy, form, cursor, true);
        if (at == kNone && !other_form.empty()) at = FindFrom(copy, other_form, cursor, true);
        if (at == kNone) return;
        const size_t close = copy.find('>', at);
        if (close == kNone) return;
        copy.erase(at, close - at + 1);
        cursor = at;
    }
}

// Removes every occurrence; the search goes on where the removed text stood.
void RemoveEvery(Text& copy, std::string_view pattern) {
    for (size_t at = FindFrom(copy, pattern, 0, true); at != kNone;
         at = FindFrom(copy, pattern, at, true)) {
        copy.erase(at, pattern.size());
    }
}

// The first place in the list at or after `from`, or kNoPlace.
int32_t FirstFrom(const std::vector<int32_t>& places, int32_t from) {
    const auto found = std::lower_bound(places.begin(), places.end(), from);
    return found == places.end() ? kNoPlace : *found;
}

// ---------------------------------------------------------------------------------------------
// Step 2, on the chunk.

// The chunk during the cleanup cycles. Bytes never move: a removed byte is only marked, so a
// removal costs just the bytes it removes and positions held across it stay put. A removed
// position stands for the next byte still there after it.
class SparseText {
  public:
    explicit SparseText(Text&& text)
        : bytes_(std::move(text)),
          end_(Len(bytes_)),
          next_(static_cast<size_t>(end_) + 1),
          prev_(static_cast<size_t>(end_) + 1),
          tree_(static_cast<size_t>(end_) + 1) {
        for (int32_t i = 0; i <= end_; ++i) {
            next_[i] = prev_[i] = i;
            // With every byte present, node i counts the i & -i bytes it stands for.
            tree_[i] = i & -i;
        }
    }

    int32_t End() const { return end_; }
    unsigned char Byte(int32_t i) const {
        return i < end_ ? At(bytes_, static_cast<size_t>(i)) : 0;
    }
    bool Present(int32_t i) const { return next_[i] == i; }
    // Whether no byte has been removed yet.
    bool Unchanged() const { return !changed_; }

    // The first present position at or after i, End() when none.
    int32_t Next(int32_t i) const {
        if (i >= end_) return end_;
        while (next_[i] != i) {
            i = next_[i] = next_[next_[i]];
        }
        return i;
    }
    // The present position after present position i.
    int32_t Succ(int32_t i) const { return i >= end_ ? end_ : Next(i + 1); }
    // The last present position at or before i, kNoPlace when none.
    int32_t Prev(int32_t i) const {
        if (i < 0) return kNoPlace;
        int32_t k = std::min(i, end_ - 1) + 1;  // prev_ is shifted by one; 0 stands for none
        while (prev_[k] != k) {
            k = prev_[k] = prev_[prev_[k]];
        }
        return k - 1;
    }
    // k present bytes on from present position i.
    int32_t Advance(int32_t i, int32_t k) const {
        while (k-- > 0 && i < end_) {
            i = Succ(i);
        }
        return i;
    }
    // The logical byte after position pos: one present byte past the one pos stands for.
    int32_t After(int32_t pos) const { return Succ(Next(pos)); }

    // Present bytes in [a, b].
    int32_t PresentIn(int32_t a, int32_t b) const { return a > b ? 0 : Prefix(b + 1) - Prefix(a); }

    // Whether the pattern matches the present bytes from present position i on.
    bool MatchesAt(int32_t i, std::string_view pattern) const {
        for (size_t k = 0; k < pattern.size(); ++k) {
            if (k) i = Succ(i);
            if (i >= end_ || !BytesMatch(At(pattern, k), Byte(i), true)) return false;
        }
        return true;
    }

    // The first present position in [from, before) where the pattern matches, ignoring case.
    int32_t Find(std::string_view pattern, int32_t from, int32_t before = INT32_MAX) const {
        const auto p0 = At(pattern, 0);
        const int alternate =
            (p0 <= 0x7A && (p0 ^ 0x20) >= 0x41 && (p0 ^ 0x20) <= 0x7A) ? (p0 ^ 0x20) : -1;
        before = std::min(before, end_);
        for (int32_t i = Next(std::max(from, 0)); i < before;) {
            i = NextOf(i, before, p0, alternate);
            if (i >= before) break;
            if (!Present(i)) {
                i = Next(i);
            } else if (MatchesAt(i, pattern)) {
                return i;
            } else {
                i = Succ(i);
            }
        }
        return kNoPlace;
    }

    // The first present byte c in [from, before), or kNoPlace.
    int32_t FindByte(unsigned char c, int32_t from, int32_t before) const {
        before = std::min(before, end_);
        for (int32_t i = Next(std::max(from, 0)); i < before;) {
            i = NextOf(i, before, c, -1);
            if (i >= before) break;
            if (Present(i)) return i;
            i = Next(i);
        }
        return kNoPlace;
    }

    // Whether the pattern matches the present bytes across the place of some removal: kSome,
    // kNoPlace, or kUnknown after too many removals to look at each. Any match that is not in
    // the bytes as they were given runs across one.
    enum class Across { kNoPlace, kSome, kUnknown };
    Across MatchesAcrossRemovals(std::string_view pattern) const {
        constexpr size_t kFewRemovals = 64;
        if (removed_.size() > kFewRemovals) return Across::kUnknown;
        for (const auto& range : removed_) {
            // A match across the removal holds the present byte before it and starts there
            // or at most pattern.size() - 2 present bytes earlier.
            int32_t at = Prev(range.first - 1);
            for (size_t k = 0; k + 1 < pattern.size() && at != kNoPlace; ++k, at = Prev(at - 1)) {
                if (MatchesAt(at, pattern)) return Across::kSome;
            }
        }
        return Across::kNoPlace;
    }

    // The present bytes in [a, b).
    Text Copy(int32_t a, int32_t b) const {
        Text copy;
        for (int32_t i = Next(a); i < b; i = Succ(i)) {
            copy += static_cast<char>(Byte(i));
        }
        return copy;
    }

    // Removes the present bytes in [a, b].
    void Remove(int32_t a, int32_t b) {
        if (std::max(a, 0) <= std::min(b, end_ - 1)) {
            removed_.emplace_back(std::max(a, 0), std::min(b, end_ - 1));
        }
        for (int32_t i = Next(a); i <= b && i < end_; i = Next(i + 1)) {
            changed_ = true;
            next_[i] = i + 1;
            prev_[i + 1] = i;
            for (int32_t k = i + 1; k <= end_; k += k & -k) {
                --tree_[k];
            }
        }
    }

    // The text as it now stands; the object is spent afterwards.
    Text TakeRemaining() {
        size_t kept = 0;
        const auto keep = [&](size_t from, size_t to) {
            std::memmove(bytes_.data() + kept, bytes_.data() + from, to - from);
            kept += to - from;
        };
        if (removed_.size() > bytes_.size() / 64) {
            // Many removals: the runs of present bytes, read off the marks.
            for (int32_t i = Next(0); i < end_;) {
                int32_t j = i;
                while (j < end_ && Present(j)) {
                    ++j;
                }
                keep(static_cast<size_t>(i), static_cast<size_t>(j));
                i = Next(j);
            }
        } else {
            // Few: after a removal every byte of its range is gone, so the bytes left are
            // those outside all the ranges.
            std::sort(removed_.begin(), removed_.end());
            size_t from = 0;  // the first byte not yet kept or dropped
            for (const auto& [a, b] : removed_) {
                if (static_cast<size_t>(b) < from) continue;
                if (static_cast<size_t>(a) > from) keep(from, static_cast<size_t>(a));
                from = static_cast<size_t>(b) + 1;
            }
            keep(from, bytes_.size());
        }
        bytes_.resize(kept);
        return std::move(bytes_);
    }

  private:
    int32_t Prefix(int32_t k) const {
        int32_t sum = 0;
        for (; k > 0; k -= k & -k) {
            sum += tree_[k];
        }
        return sum;
    }

    // The first index in [i, before) holding byte a or b (b < 0: only a), before when none.
    int32_t NextOf(int32_t i, int32_t before, int a, int b) const {
        const char* d = bytes_.data();
        const void* pa = std::memchr(d + i, a, static_cast<size_t>(before - i));
        int32_t found = pa ? static_cast<int32_t>(static_cast<const char*>(pa) - d) : before;
        if (b >= 0 && found > i) {
            const void* pb = std::memchr(d + i, b, static_cast<size_t>(found - i));
            if (pb) found = static_cast<int32_t>(static_cast<const char*>(pb) - d);
        }
        return found;
    }

    Text bytes_;
    int32_t end_;
    mutable std::vector<int32_t> next_;  // union-find: next_[i] == i while byte i is present
    mutable std::vector<int32_t> prev_;  // the same backwards, for position i at i + 1
    std::vector<int32_t> tree_;          // Fenwick tree of present bytes
    std::vector<std::pair<int32_t, int32_t>> removed_;  // ranges [a, b] removed so far
    bool changed_ = false;
};

// The tag forms that the strippings remove, for the document's line end: IMG tags, A start
// tags, BR tags with attributes, A end tags, P-like tags and P end tags (non-text tags), then
// FONT start and end tags. Each kind goes over the whole copy before the next.
class StrippedForms {
  public:
    explicit StrippedForms(unsigned char line_end)
        : forms_{"<img ",  std::string{'<', 'i', 'm', 'g', static_cast<char>(line_end)},
                 "<a ",    std::string{'<', 'a', static_cast<char>(line_end)},
                 "<br ",   "</a>",
                 "<p",     "</p>",
                 "<font ", "</font>"} {}

    void StripNonText(Text& copy) const {
        StripFromCursor(copy, forms_[0], forms_[1]);
        StripFromCursor(copy, forms_[2], forms_[3]);
        StripFromCursor(copy, forms_[4], {});
        RemoveEvery(copy, forms_[5]);
        StripFromCursor(copy, forms_[6], {});
        RemoveEvery(copy, forms_[7]);
    }

    void StripFont(Text& copy) const {
        StripFromCursor(copy, forms_[8], {});
        RemoveEvery(copy, forms_[9]);
    }

    // Whether some form matches at the "<" of a tag written from `open` to its ">" at
    // `close`. No form holds a ">" before its last byte, so the tag alone decides.
    bool AnyAt(const SparseText& text, int32_t open, int32_t close, bool font_too) const {
        const size_t count = font_too ? std::size(forms_) : std::size(forms_) - 2;
        for (size_t f = 0; f < count; ++f) {
            const std::string& form = forms_[f];
            int32_t at = open;
            size_t k = 0;
            for (; k < form.size(); ++k) {
                if (k) at = text.Succ(at);
                if (at > close || !BytesMatch(At(form, k), text.Byte(at), true)) break;
            }
            if (k == form.size()) return true;
        }
        return false;
    }

  private:
    std::string forms_[10];
};

// The longest pattern a Seeker is given: a phrase end tag.
constexpr size_t kLongestPattern = [] {
    size_t longest = 7;  // "</font>"
    for (std::string_view name : kPhraseNames) {
        longest = std::max(longest, name.size() + 2);
    }
    return longest;
}();

// The last present positions before a removal, oldest first: the starts whose matches can
// run across the join.
struct Join {
    int32_t starts[kLongestPattern - 1];
    int count = 0;
};

// A forward search that remembers what it found, for a few stretches of the text at once
// (a sweep asks from its cursor and from the tags it meets further on). Each stretch knows
// that no match starts in [lo, end), and in state kHit that one starts at end, in state
// kNoMore that none starts from lo on. A search that runs into another stretch joins it. A
// removal changes only the matches that held removed bytes or now run across the join, so
// only the few starts just before the join are looked at again.
class Seeker {
  public:
    explicit Seeker(std::string_view pattern) : pattern_(pattern) {}

    // Every place where the pattern matches while the text is unchanged, in text order.
    void UsePlaces(const std::vector<int32_t>* places) { places_ = places; }

    // The first match at or after `from`, or kNoPlace.
    int32_t Next(const SparseText& text, int32_t from) {
        from = text.Next(from);
        used_ = true;
        Stretch* s = Covering(from, nullptr);
        if (!s) {
            s = &Oldest();
            *s = {kClean, from, from, 0};
        }
        s->used = ++clock_;
        while (s->state == kClean) {
            if (Stretch* t = Covering(s->end, s)) {
                s->state = t->state;
                s->end = t->end;
                t->state = kUnknown;
                continue;
            }
            const Stretch* ahead = NearestAfter(s->end);
            const int32_t hit = Search(text, s->end, ahead ? ahead->lo : text.End());
            if (hit != kNoPlace) {
                s->state = kHit;
                s->end = hit;
            } else if (ahead) {
                s->end = ahead->lo;
            } else {
                s->state = kNoMore;
            }
        }
        return s->state == kHit ? s->end : kNoPlace;
    }

    // The bytes in [x, y] have just been removed; `join` holds the present starts before x.
    void Adjust(const SparseText& text, int32_t x, int32_t y, const Join& join) {
        if (!used_) return;
        for (Stretch& s : stretches_) {
            AdjustStretch(text, x, y, join, s);
        }
    }

  private:
    enum State : uint8_t { kUnknown, kClean, kHit, kNoMore };
    struct Stretch {
        State state = kUnknown;
        int32_t lo = 0;
        int32_t end = 0;
        uint32_t used = 0;
    };

    // The first match starting in [from, before), or kNoPlace.
    int32_t Search(const SparseText& text, int32_t from, int32_t before) const {
        if (places_ == nullptr || !text.Unchanged()) return text.Find(pattern_, from, before);
        const int32_t hit = FirstFrom(*places_, std::max(from, 0));
        return hit != kNoPlace && hit < std::min(before, text.End()) ? hit : kNoPlace;
    }

    // A stretch other than `except` whose knowledge covers a search from `at`.
    Stretch* Covering(int32_t at, const Stretch* except) {
        for (Stretch& s : stretches_) {
            if (&s == except || s.state == kUnknown || s.lo > at) continue;
            if (s.state == kNoMore || at <= s.end) return &s;
        }
        return nullptr;
    }

    const Stretch* NearestAfter(int32_t at) const {
        const Stretch* nearest = nullptr;
        for (const Stretch& s : stretches_) {
            if (s.state != kUnknown && s.lo > at && (!nearest || s.lo < nearest->lo)) {
                nearest = &s;
            }
        }
        return nearest;
    }

    Stretch& Oldest() {
        Stretch* oldest = &stretches_[0];
        for (Stretch& s : stretches_) {
            if (s.state == kUnknown) return s;
            if (s.used < oldest->used) oldest = &s;
        }
        return *oldest;
    }

    void AdjustStretch(const SparseText& text, int32_t x, int32_t y, const Join& join, Stretch& s) {
        if (s.state == kUnknown || s.lo > y) return;
        const int span = static_cast<int>(pattern_.size()) - 1;
        const int first = std::max(0, join.count - span);
        bool recheck_all = s.state == kNoMore;
        if (s.state == kHit) {
            const bool hit_removed = s.end >= x && s.end <= y;
            const bool hit_at_join = join.count > first && s.end >= join.starts[first] && s.end < x;
            recheck_all = hit_removed || hit_at_join;
        }
        for (int k = first; k < join.count; ++k) {
            const int32_t at = join.starts[k];
            if (at < s.lo) continue;
            if (!recheck_all && at >= s.end) break;
            if (text.MatchesAt(at, pattern_)) {
                s.state = kHit;
                s.end = at;
                return;
            }
        }
        if (s.state == kHit && recheck_all) {
            s.state = kClean;
            s.end = y + 1;
        } else if (s.state == kClean && s.end >= x && s.end <= y + 1) {
            s.end = y + 1;
        }
    }

    std::string pattern_;
    const std::vector<int32_t>* places_ = nullptr;
    Stretch stretches_[4];
    uint32_t clock_ = 0;
    bool used_ = false;  // whether any stretch has been filled
};

// Consecutive iterations of a sweep that changed nothing. A sweep's iteration reads the
// text from the tag it found up to some last byte, and does the same again while those
// bytes stay the same; so a later cycle passes a stored span in one step, up to the last of
// its iterations whose bytes are all still there.
class QuietSpans {
  public:
    // An iteration that found its tag at `start`, read up to `reach` and left the sweep to go
    // on from `resume`, follows the last one recorded.
    void Record(const SparseText& text, int32_t start, int32_t reach, int32_t resume) {
        const int32_t first = current_.empty() ? start : current_.front().start;
        if (!current_.empty()) reach = std::max(reach, current_.back().reach);
        current_.push_back({start, reach, resume, text.PresentIn(first, reach)});
    }

    // The sweep changed something, or went on in another way.
    void Finish() {
        if (current_.size() >= 2) spans_[current_.front().start] = std::move(current_);
        current_.clear();
    }

    // Passes the stored span that starts at `start`, if any of it still holds, and returns
    // where the sweep goes on; kNoPlace when nothing was passed.
    int32_t Pass(const SparseText& text, int32_t start) {
        const auto found = spans_.find(start);
        if (found == spans_.end()) return kNoPlace;
        std::vector<Step> steps = std::move(found->second);
        spans_.erase(found);
        size_t lo = 0, hi = steps.size();
        while (lo < hi) {
            const size_t mid = (lo + hi + 1) / 2;
            if (text.PresentIn(start, steps[mid - 1].reach) == steps[mid - 1].present) {
                lo = mid;
            } else {
                hi = mid - 1;
            }
        }
        if (lo == 0) return kNoPlace;
        steps.resize(lo);
        Finish();
        current_ = std::move(steps);
        return current_.back().resume;
    }

  private:
    struct Step {
        int32_t start;
        int32_t reach;    // the last byte this or an earlier step of the span read
        int32_t resume;   // where the sweep went on
        int32_t present;  // present bytes from the span's start to reach, when recorded
    };
    std::vector<Step> current_;
    std::unordered_map<int32_t, std::vector<Step>> spans_;
};

// The searches of one phrase element.
struct PhraseSearches {
    explicit PhraseSearches(std::string_view name)
        : start_tag("<" + std::string(name)),
          end_tag("</" + std::string(name)),
          present(name),
          start_from_scan(start_tag),
          end_after_start(end_tag),
          next_start(start_tag) {}

    std::string start_tag;
    std::string end_tag;
    Seeker present;
    Seeker start_from_scan;
    Seeker end_after_start;
    Seeker next_start;
    QuietSpans quiet;
};

// The verdict on a piece of the chunk that the FONT cleanup strips and squeezes: whether
// nothing is left, and for a piece that keeps text, the last byte that decided it (kNoPlace
// when the whole piece decided it).
struct Verdict {
    bool empty;
    int32_t decided_by;
};

// One FONT start tag that the cleanup passed without a change, as part of a run.
struct QuietFont {
    int32_t start;
    int32_t close;
    int32_t reach;    // the last byte any element of the run up to here depended on
    int32_t present;  // present bytes from the run's start to reach, when recorded
};

// Consecutive FONT start tags that the cleanup passed without a change, all compared with the
// same following start tag. The next cycle passes them again in one step while the bytes
// they depended on stay the same.
struct QuietRun {
    std::vector<QuietFont> elements;
    int32_t next = kNoPlace;
    int32_t next_close = kNoPlace;
    int32_t next_present = 0;
};

// The chunk during the cleanup cycles. Every removal goes through here so that the
// remembered searches stay true to the text.
class Cleanup {
  public:
    // `places` are those of the text as given.
    Cleanup(Engine& engine, Text&& text, const TagPlaces& places)
        : engine_(engine),
          text_(std::move(text)),
          lf_only_(engine.run.lf_only),
          forms_(engine.run.lf_only ? '\n' : '\r'),
          places_(places) {
        phrases_.reserve(std::size(kPhraseNames));
        for (size_t k = 0; k < std::size(kPhraseNames); ++k) {
            phrases_.emplace_back(kPhraseNames[k]);
            phrases_[k].start_from_scan.UsePlaces(&places.phrase_starts[k]);
            phrases_[k].next_start.UsePlaces(&places.phrase_starts[k]);
            phrases_[k].end_after_start.UsePlaces(&places.phrase_ends[k]);
        }
        font_from_cursor_.UsePlaces(&places.font_starts);
        font_after_end_.UsePlaces(&places.font_starts);
        font_end_.UsePlaces(&places.font_ends);
        bare_open_.UsePlaces(&places.bare_anchors);
        seekers_ = {&font_from_cursor_, &font_end_, &font_after_end_, &bare_open_, &bare_close_};
        for (PhraseSearches& p : phrases_) {
            for (Seeker* s : {&p.present, &p.start_from_scan, &p.end_after_start, &p.next_start}) {
                seekers_.push_back(s);
            }
        }
    }

    // One cycle of the FONT cleanup and the phrase cleanup; whether it removed anything.
    bool Cycle() {
        const int32_t fonts = CleanFonts();
        const int32_t phrases = CleanPhrases();
        return fonts != 0 || phrases != 0;
    }

    // Cycles until one removes nothing.
    void Run() {
        while (Cycle()) {
        }
    }

    // The text as it now stands; the object is spent afterwards.
    Text TakeRemaining() { return text_.TakeRemaining(); }

  private:
    // Removes the present bytes in [a, b].
    void Remove(int32_t a, int32_t b) {
        text_.Remove(a, b);
        ++removals_;
        Join join;
        constexpr int kStarts = static_cast<int>(std::size(join.starts));
        int32_t latest_first[kStarts];
        for (int32_t p = text_.Prev(a - 1); p != kNoPlace && join.count < kStarts;
             p = text_.Prev(p - 1)) {
            latest_first[join.count++] = p;
        }
        for (int k = 0; k < join.count; ++k) {
            join.starts[k] = latest_first[join.count - 1 - k];
        }
        for (Seeker* s : seekers_) {
            s->Adjust(text_, a, b, join);
        }
    }

    // Removes `length` present bytes from `at`.
    void RemoveFrom(int32_t at, int32_t length) { Remove(at, text_.Advance(at, length - 1)); }

    bool IsSqueezed(unsigned char c) const { return empties::IsSqueezed(c, lf_only_); }

    // Non-text tag stripping (and FONT tag stripping when asked), then whitespace squeezing,
    // of the present bytes in [from, before). Every stripping removes from a "<" through a
    // ">", so while the piece reads as whitespace and tags without a "<" inside, each tag
    // goes whole or stays whole: text, or a tag that no form matches, stays, and decides
    // the verdict. Anything else is decided on a copy.
    Verdict Strips(int32_t from, int32_t before, bool font_too) const {
        bool tags = false;
        for (int32_t i = text_.Next(from);;) {
            while (i < before && IsSqueezed(text_.Byte(i))) {
                i = text_.Succ(i);
            }
            if (i >= before) break;
            if (text_.Byte(i) != '<') return {false, i};
            const int32_t close = text_.FindByte('>', text_.Succ(i), before);
            // Without its ">" the tag is text, wherever the piece ends.
            if (close == kNoPlace) return {false, kNoPlace};
            tags = true;
            if (text_.FindByte('<', text_.Succ(i), close) != kNoPlace) break;
            if (!forms_.AnyAt(text_, i, close, font_too)) return {false, close};
            i = text_.Succ(close);
        }
        if (!tags) return {true, kNoPlace};
        Text copy = text_.Copy(from, before);
        forms_.StripNonText(copy);
        if (font_too) forms_.StripFont(copy);
        Squeeze(copy, lf_only_);
        return {copy.empty(), kNoPlace};
    }

    void FinishRun(QuietRun& run) {
        if (run.elements.size() >= 2) runs_[run.elements.front().start] = std::move(run);
        run = QuietRun{};
    }

    void RecordQuiet(QuietRun& run, int32_t start, int32_t close, int32_t decided_by, int32_t next,
                     int32_t next_close) {
        if (decided_by == kNoPlace) {
            FinishRun(run);
            return;
        }
        if (run.elements.empty() || run.next != next || run.next_close != next_close) {
            FinishRun(run);
            run.next = next;
            run.next_close = next_close;
            run.next_present = text_.PresentIn(next, next_close);
        }
        const QuietFont* last = run.elements.empty() ? nullptr : &run.elements.back();
        const int32_t first = last ? run.elements.front().start : start;
        const int32_t reach = std::max({last ? last->reach : close, close, decided_by});
        run.elements.push_back({start, close, reach, text_.PresentIn(first, reach)});
    }

    // Passes a run recorded by an earlier cycle that starts at `start`, when the cleanup would
    // pass its elements again without a change: the bytes they depended on are the same, the
    // end tag they all find lies after them, and the start tag they were compared with is
    // the same one. Leaves the passed elements in `run` and returns whether any were passed.
    bool PassQuietRun(int32_t start, int32_t end, QuietRun& run) {
        const auto found = runs_.find(start);
        if (found == runs_.end()) return false;
        QuietRun stored = std::move(found->second);
        runs_.erase(found);
        const int32_t after_end = text_.Advance(end, 7);
        const int32_t next = font_after_end_.Next(text_, after_end);
        if (next != stored.next ||
            text_.PresentIn(stored.next, stored.next_close) != stored.next_present) {
            return false;
        }
        const auto still = [&](const QuietFont& e) {
            return e.reach < end && text_.PresentIn(start, e.reach) == e.present;
        };
        // Both conditions hold for a prefix of the elements.
        size_t lo = 0, hi = stored.elements.size();
        while (lo < hi) {
            const size_t mid = (lo + hi + 1) / 2;
            if (still(stored.elements[mid - 1])) {
                lo = mid;
            } else {
                hi = mid - 1;
            }
        }
        if (lo == 0) return false;
        stored.elements.resize(lo);
        FinishRun(run);
        run = std::move(stored);
        return true;
    }

    int32_t CleanFonts() {
        constexpr int32_t kEndLength = 7;  // "</font>"
        int32_t count = 0;
        int32_t cursor = 0;
        QuietRun run;
        for (;;) {
            const int32_t start = font_from_cursor_.Next(text_, cursor);
            if (start == kNoPlace) break;
            const int32_t close = text_.FindByte('>', text_.Advance(start, 5), text_.End());
            const int32_t end = font_end_.Next(text_, start);
            // An end tag before the start tag's ">" leaves the start tag unclosed.
            if (close == kNoPlace || end == kNoPlace || end < close) break;
            // A span whose bytes are all unchanged first; else a run whose end tag moved.
            if (const int32_t passed = quiet_fonts_.Pass(text_, start); passed != kNoPlace) {
                FinishRun(run);
                cursor = text_.Succ(passed);
                continue;
            }
            if (PassQuietRun(start, end, run)) {
                quiet_fonts_.Finish();
                cursor = text_.Succ(run.elements.back().start);
                continue;
            }
            const int32_t end_close = text_.Advance(end, kEndLength - 1);
            if (end == text_.Succ(close)) {
                FinishRun(run);
                quiet_fonts_.Finish();
                Remove(end, end_close);
                Remove(start, close);
                ++count;
                continue;
            }
            const Verdict content = Strips(text_.Succ(close), end, false);
            if (content.empty) {
                FinishRun(run);
                quiet_fonts_.Finish();
                Remove(end, end_close);
                Remove(start, close);
                ++count;
                if (font_from_cursor_.Next(text_, start) == kNoPlace) break;
                cursor = text_.After(start);
                continue;
            }
            const int32_t after_end = text_.Succ(end_close);
            const int32_t next = font_after_end_.Next(text_, after_end);
            if (next == kNoPlace) break;
            const int32_t next_close = text_.FindByte('>', next, text_.End());
            if (next_close == kNoPlace) break;
            // An element that holds text is kept as it is, also when an equal one follows:
            // merging the two redraws the text between them in the element's font (a smaller
            // or larger space, a font left open across paragraphs), which shows.
            RecordQuiet(run, start, close, content.decided_by, next, next_close);
            // Everything this iteration read lies between its tag and the next one's ">".
            quiet_fonts_.Record(text_, start, next_close, start);
            cursor = text_.Succ(start);
        }
        FinishRun(run);
        quiet_fonts_.Finish();
        return count;
    }

    // Whether the present bytes in [from, before) hold only tags and whitespace (tag
    // stripping after squeezing leaves nothing); a "<" without its ">" is text. Two results
    // are kept for the merges and the nested elements that follow: the first text byte of a
    // piece, and how far a piece read as tags only.
    bool HoldsOnlyTags(int32_t from, int32_t before) {
        if (text_byte_.at != kNoPlace && text_byte_.from == from && text_byte_.at < before &&
            text_.PresentIn(from, text_byte_.at) == text_byte_.present) {
            return false;
        }
        int32_t i = from;
        bool in_tag = false;
        // A piece that starts after a ">" of a tags-only piece read on from the same state.
        if (tags_.to != kNoPlace && from >= tags_.from && from <= tags_.to && before >= tags_.to &&
            text_.PresentIn(tags_.from, tags_.to - 1) == tags_.present) {
            const int32_t previous = text_.Prev(from - 1);
            if (from == tags_.from ||
                (previous != kNoPlace && previous >= tags_.from && text_.Byte(previous) == '>')) {
                i = tags_.to;
                in_tag = tags_.in_tag;
            }
        }
        for (i = text_.Next(i); i < before; i = text_.Succ(i)) {
            const unsigned char c = text_.Byte(i);
            if (IsSqueezed(c)) continue;
            if (in_tag) {
                in_tag = c != '>';
            } else if (c == '<') {
                in_tag = true;
            } else {
                text_byte_ = {from, i, text_.PresentIn(from, i)};
                return false;
            }
        }
        tags_ = {from, before, in_tag, text_.PresentIn(from, before - 1)};
        return !in_tag;
    }

    void RemoveBareAnchors() {
        for (;;) {
            const int32_t open = bare_open_.Next(text_, 0);
            if (open == kNoPlace) return;
            RemoveFrom(open, 3);
            const int32_t close = bare_close_.Next(text_, open);
            if (close == kNoPlace) return;
            RemoveFrom(close, 4);
        }
    }

    int32_t CleanPhrases() {
        RemoveBareAnchors();
        // Most chunks hold few of the names: one walk over the ">" bytes tells which, and a
        // name that was missing cannot be there while nothing has been removed since (only a
        // removal joins bytes into new text), so its own search through the chunk is spared.
        // On the unchanged text the places of the start tags tell it, and a name without a
        // start tag has no element to clean.
        const std::array<bool, std::size(kPhraseNames)> named =
            text_.Unchanged() ? NamesStarting() : NamesPresent();
        const uint64_t removals_at_walk = removals_;
        int32_t count = 0;
        for (size_t k = 0; k < phrases_.size(); ++k) {
            PhraseSearches& p = phrases_[k];
            PumpMessages(engine_);
            if (!named[k] && removals_ == removals_at_walk) continue;
            // A name without a start tag in the text as given has one now only where a
            // removal joined one.
            if (!text_.Unchanged() && places_.phrase_starts[k].empty() &&
                text_.MatchesAcrossRemovals(p.start_tag) == SparseText::Across::kNoPlace) {
                continue;
            }
            if (text_.Unchanged() || p.present.Next(text_, 0) != kNoPlace) count += CleanPhrase(p);
        }
        return count;
    }

    std::array<bool, std::size(kPhraseNames)> NamesStarting() const {
        std::array<bool, std::size(kPhraseNames)> named{};
        for (size_t k = 0; k < std::size(kPhraseNames); ++k) {
            named[k] = !places_.phrase_starts[k].empty();
        }
        return named;
    }

    // Which phrase names the present bytes hold, found as the searches find them (ignoring
    // ASCII case). Every name ends in ">", which only matches ">": each match ends at one.
    std::array<bool, std::size(kPhraseNames)> NamesPresent() const {
        std::array<bool, std::size(kPhraseNames)> named{};
        for (int32_t j = text_.FindByte('>', 0, text_.End()); j != kNoPlace;
             j = text_.FindByte('>', j + 1, text_.End())) {
            // The present bytes before this ">", nearest first.
            unsigned char before[kLongestName - 1];
            size_t known = 0;
            for (int32_t i = text_.Prev(j - 1); i != kNoPlace && known < kLongestName - 1;
                 i = text_.Prev(i - 1)) {
                before[known++] = text_.Byte(i);
            }
            for (size_t k = 0; k < std::size(kPhraseNames); ++k) {
                const std::string_view name = kPhraseNames[k];
                if (named[k] || name.size() - 1 > known) continue;
                bool same = true;
                for (size_t m = 0; m + 1 < name.size() && same; ++m) {
                    same = BytesMatch(At(name, name.size() - 2 - m), before[m], true);
                }
                named[k] = same;
            }
        }
        return named;
    }

    int32_t CleanPhrase(PhraseSearches& p) {
        const auto start_length = static_cast<int32_t>(p.start_tag.size());
        const auto end_length = static_cast<int32_t>(p.end_tag.size());
        int32_t count = 0;
        int32_t restart = 0;
        int32_t scan = 0;
        bool stay = false;
        for (;;) {
            if (!stay) scan = restart;
            stay = false;
            if (text_.Next(scan) >= text_.End()) break;
            const int32_t start = p.start_from_scan.Next(text_, scan);
            if (start == kNoPlace) break;
            if (const int32_t passed = p.quiet.Pass(text_, start); passed != kNoPlace) {
                restart = passed;
                continue;
            }
            const int32_t close = text_.Advance(start, start_length - 1);
            const int32_t end = p.end_after_start.Next(text_, close);
            if (end == kNoPlace) break;
            if (end == text_.Succ(close)) {
                p.quiet.Finish();
                RemoveFrom(end, end_length);
                Remove(start, close);
                ++count;
                continue;
            }
            if (HoldsOnlyTags(text_.Succ(close), end)) {
                p.quiet.Finish();
                RemoveFrom(end, end_length);
                Remove(start, close);
                ++count;
                restart = p.next_start.Next(text_, start);
                if (restart == kNoPlace) break;
                stay = true;
                continue;
            }
            const int32_t after_end = text_.Advance(end, end_length);
            const int32_t next = p.next_start.Next(text_, after_end);
            if (next == kNoPlace) break;
            restart = next;
            // Neighbouring elements that hold text are not merged: the browser would draw
            // their text as one run, which moves glyphs and gives a space between them the
            // element's style.
            // Everything this iteration read lies between its tag and the next start tag.
            p.quiet.Record(text_, start, text_.Advance(next, start_length - 1), next);
        }
        p.quiet.Finish();
        return count;
    }

    struct TextByte {
        int32_t from = kNoPlace;
        int32_t at = kNoPlace;
        int32_t present = 0;
    };
    struct TagsOnly {
        int32_t from = kNoPlace;
        int32_t to = kNoPlace;  // read as tags only up to here, from `from`
        bool in_tag = false;
        int32_t present = 0;
    };

    Engine& engine_;
    SparseText text_;
    const bool lf_only_;
    const StrippedForms forms_;
    Seeker font_from_cursor_{"<font"};
    Seeker font_end_{"</font>"};
    Seeker font_after_end_{"<font"};
    Seeker bare_open_{"<a>"};
    Seeker bare_close_{"</a>"};
    std::vector<PhraseSearches> phrases_;
    const TagPlaces& places_;
    std::vector<Seeker*> seekers_;
    uint64_t removals_ = 0;  // removals so far, to tell whether the text changed
    std::unordered_map<int32_t, QuietRun> runs_;
    QuietSpans quiet_fonts_;
    TextByte text_byte_;
    TagsOnly tags_;
};

// ---------------------------------------------------------------------------------------------
// The first cleanup cycle read without changing anything.
//
// Most chunks hold FONT and phrase elements that all keep text, and no bare anchor; then the
// first cycle removes nothing and the cycles end with the chunk as it was. A walk over the
// "<" bytes finds every tag the cycle searches for, and the cycle's sweeps are then followed
// on the unchanged text, up to the first removal they would make. Only a chunk where one
// would be made goes through the cleanup proper.

// Follows the first cycle over an unchanged chunk. Every byte it reads counts against a
// budget of a few times the chunk's length; a chunk that would take more (deeply nested
// elements holding only tags) is left to the cleanup proper, which is linear.
class FirstCycleReader {
  public:
    FirstCycleReader(std::string_view text, const TagPlaces& places, bool lf_only,
                     unsigned char line_end)
        : text_(text),
          places_(places),
          lf_only_(lf_only),
          forms_(line_end),
          budget_(4 * static_cast<int64_t>(text.size()) + 4096) {}

    // Whether the first cycle removes nothing (false also when the budget ran out).
    bool RemovesNothing() {
        return places_.bare_anchors.empty() && FontsRemoveNothing() && PhrasesRemoveNothing();
    }

  private:
    enum class Piece { kKeeps, kEmpty, kUnknown };

    // The first ">" at or after `from`, or kNoPlace.
    int32_t FindClose(int32_t from) {
        if (from >= Len(text_)) return kNoPlace;
        const size_t found = text_.find('>', static_cast<size_t>(from));
        const int32_t end = found == kNpos ? Len(text_) : static_cast<int32_t>(found);
        budget_ -= end - from;
        return found == kNpos ? kNoPlace : end;
    }

    // What the FONT cleanup's stripping and squeezing leave of [from, before): a text byte
    // before any "<" is never stripped; anything else is decided on a copy, as the cleanup
    // does, when it is short.
    Piece FontContent(int32_t from, int32_t before) {
        int32_t i = from;
        while (i < before && IsSqueezed(At(text_, static_cast<size_t>(i)), lf_only_)) {
            ++i;
        }
        budget_ -= i - from;
        if (i == before) return Piece::kEmpty;
        if (text_[static_cast<size_t>(i)] != '<') return Piece::kKeeps;
        constexpr int32_t kLongestCopy = 4096;
        if (before - from > kLongestCopy) return Piece::kUnknown;
        budget_ -= 8 * (before - from);
        Text copy(text_.substr(static_cast<size_t>(from), static_cast<size_t>(before - from)));
        forms_.StripNonText(copy);
        Squeeze(copy, lf_only_);
        return copy.empty() ? Piece::kEmpty : Piece::kKeeps;
    }

    // Whether [from, before) holds only tags and whitespace, as the phrase cleanup reads it:
    // outside a tag only whitespace and "<" may stand, and a tag runs to its ">".
    bool HoldsOnlyTags(int32_t from, int32_t before) {
        int32_t i = from;
        bool only_tags = true;
        while (i < before) {
            const unsigned char c = At(text_, static_cast<size_t>(i));
            if (IsSqueezed(c, lf_only_)) {
                ++i;
                continue;
            }
            const size_t close = c == '<' ? text_.substr(0, static_cast<size_t>(before))
                                                .find('>', static_cast<size_t>(i) + 1)
                                          : kNpos;
            if (close == kNpos) {
                only_tags = false;
                break;
            }
            i = static_cast<int32_t>(close) + 1;
        }
        budget_ -= i - from;
        return only_tags;
    }

    bool FontsRemoveNothing() {
        constexpr int32_t kStartLength = 5;  // "<font"
        constexpr int32_t kEndLength = 7;    // "</font>"
        int32_t cursor = 0;
        for (;;) {
            if (budget_ < 0) return false;
            const int32_t start = FirstFrom(places_.font_starts, cursor);
            if (start == kNoPlace) return true;
            const int32_t close = FindClose(start + kStartLength);
            const int32_t end = FirstFrom(places_.font_ends, start);
            if (close == kNoPlace || end == kNoPlace || end < close) return true;
            if (end == close + 1) return false;
            const Piece content = FontContent(close + 1, end);
            if (content != Piece::kKeeps) return false;
            const int32_t next = FirstFrom(places_.font_starts, end + kEndLength);
            if (next == kNoPlace || FindClose(next) == kNoPlace) return true;
            cursor = start + 1;
        }
    }

    bool PhrasesRemoveNothing() {
        for (size_t k = 0; k < std::size(kPhraseNames); ++k) {
            const auto start_length = static_cast<int32_t>(kPhraseNames[k].size() + 1);
            const std::vector<int32_t>& starts = places_.phrase_starts[k];
            const std::vector<int32_t>& ends = places_.phrase_ends[k];
            // Both lists are read forwards: each element's end tag, and the start tag after
            // that, lie further on than the last.
            size_t s = 0;
            size_t e = 0;
            while (s < starts.size()) {
                if (budget_ < 0) return false;
                const int32_t inside = starts[s] + start_length;
                while (e < ends.size() && ends[e] < inside) {
                    ++e;
                }
                if (e == ends.size()) break;
                const int32_t end = ends[e];
                if (end == inside || HoldsOnlyTags(inside, end)) return false;
                while (s < starts.size() && starts[s] < end + start_length + 1) {
                    ++s;
                }
            }
        }
        return true;
    }

    std::string_view text_;
    const TagPlaces& places_;
    const bool lf_only_;
    const StrippedForms forms_;
    int64_t budget_;
};

}  // namespace

bool FirstCycleRemovesNothing(std::string_view text, const TagPlaces& places, bool lf_only,
                              unsigned char line_end) {
    return FirstCycleReader(text, places, lf_only, line_end).RemovesNothing();
}

// The pumps of a cleanup cycle: one per phrase name.
void PumpPerName(const Engine& engine) {
    for (size_t k = 0; k < std::size(kPhraseNames); ++k) {
        PumpMessages(engine);
    }
}

// The cleanup cycles, until one removes nothing. The cycle after the first is read on the
// unchanged text first, as the first one was: it mostly removes nothing.
void RunCleanup(Engine& engine, Text& chunk, unsigned char line_end, const TagPlaces& places) {
    bool changed = false;
    {
        Cleanup first(engine, std::move(chunk), places);
        changed = first.Cycle();
        chunk = first.TakeRemaining();
    }
    if (!changed) return;
    TagPlaces now;
    FindTagPlaces(chunk, now);
    if (FirstCycleReader(chunk, now, engine.run.lf_only, line_end).RemovesNothing()) {
        PumpPerName(engine);
        return;
    }
    Cleanup rest(engine, std::move(chunk), now);
    rest.Run();
    chunk = rest.TakeRemaining();
}

}  // namespace tsqz::empties
