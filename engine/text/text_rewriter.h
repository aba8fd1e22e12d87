// Front-to-back editing of a text at linear cost, for passes whose loops edit as they search.
//
// The whitespace and script passes are written as "find, edit, search on from here" loops.
// Done in place, every edit shifts the whole tail of the text, so a chunk with thousands of
// edits costs thousands of tail shifts. A Rewriter holds the text as the bytes already
// edited followed by the unread rest of the source: an edit at or after the cursor (the end of
// the edited part) only copies the source bytes up to it. Searches and reads work on the
// current text as the primitives of text.h do, with the same 0-based indexes and kNone, so a
// loop reads like its in-place form and gives the same result.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "text/position.h"
#include "text/tag_scan.h"
#include "text/text.h"

namespace tsqz {

class Rewriter {
  public:
    explicit Rewriter(std::string_view source) : source_(source) {}
    Rewriter(const Rewriter&) = delete;
    Rewriter& operator=(const Rewriter&) = delete;

    // Keeps an index pointing at the same byte through later edits; an index whose byte is
    // deleted moves to where the deletion was, and kNone stays kNone. The variable must
    // outlive the Rewriter.
    void Track(size_t& index) { marks_.push_back(&index); }

    size_t Length() const { return done_.size() + (source_.size() - next_); }
    // Byte at an index of the current text; 0 outside it.
    unsigned char At(size_t i) const {
        if (i < done_.size()) return static_cast<unsigned char>(done_[i]);
        i -= done_.size();
        return i < source_.size() - next_ ? static_cast<unsigned char>(source_[next_ + i]) : 0;
    }
    // The bytes from an index of the current text to the end of the stretch that holds it
    // (the edited part or the unread rest), for readers that go through the text in order;
    // empty outside the text.
    std::string_view RunAt(size_t i) const {
        if (i < done_.size()) return std::string_view(done_).substr(i);
        i -= done_.size();
        return i < source_.size() - next_ ? source_.substr(next_ + i) : std::string_view();
    }
    // As FindFrom over the current text: the first match at or after `from`, kNone when none.
    size_t Find(std::string_view pattern, size_t from, bool ignore_case = false) const;
    // Whether the pattern matches at an index of the current text, as FindFrom compares.
    bool HasAt(size_t i, std::string_view pattern, bool ignore_case = false) const;
    // The first index at or after `from` holding the byte; kNone when none.
    size_t FindChar(unsigned char byte, size_t from) const;
    // The last index before `end` holding the byte, kNone when none; an end past the text
    // means the whole text. Costs the distance walked back.
    size_t FindCharBack(unsigned char byte, size_t end) const;

    // Edits at or after the cursor cost the bytes passed over; edits before it cost the bytes
    // from the edit to the cursor, so loops keep them close to it.
    void Delete(size_t at, size_t count);
    void Insert(size_t at, std::string_view what);
    bool Edited() const { return edited_; }

    // The current text; the Rewriter is spent afterwards.
    Text Finish();

  private:
    std::string_view Rest() const { return source_.substr(next_); }
    void CopyUpTo(size_t done_size);

    Text done_;                // edited bytes before the cursor
    std::string_view source_;  // the text as it was when the Rewriter was made
    size_t next_ = 0;          // first source byte not yet copied or skipped
    std::vector<size_t*> marks_;
    bool edited_ = false;
};

// Each run of consecutive copies of `unit` becomes one copy: the result of repeating the
// replace-all of two copies by one until none is left. The unit must not be able to overlap
// itself (" ", "\n" and "\r\n" cannot).
void CollapseRuns(Rewriter& text, std::string_view unit);
void CollapseRuns(Text& text, std::string_view unit);

// Every run of spaces directly before `anchor` goes: repeating the replace-all of " " +
// anchor by anchor until none is left. The anchor must hold no space and not overlap itself.
void DeleteSpacesBefore(Rewriter& text, std::string_view anchor);
// Every run of spaces directly after `anchor` goes: repeating the replace-all of anchor + " "
// by anchor until none is left. The anchor must hold no space.
void DeleteSpacesAfter(Rewriter& text, std::string_view anchor);

// Runs one editing step over the text, replacing it only when the step changed something.
template <typename Step>
void RewriteWith(Text& text, Step&& step) {
    Rewriter rewriter(text);
    step(rewriter);
    if (rewriter.Edited()) text = rewriter.Finish();
}

// "Does this index lie inside a tag?" of a Rewriter's current text: the last "<" before index
// `at` lies after the last ">" before it. The tracker of tag_scan.h, reading the text as it
// stands; indexes asked mostly increase and the loop edits only after them.
class RewriterTagTracker {
  public:
    explicit RewriterTagTracker(const Rewriter& text) : tags_(Bytes{&text}) {}

    bool InsideTag(size_t at) { return at >= 1 && tags_.InsideTag(at - 1); }

  private:
    struct Bytes {
        const Rewriter* text;
        size_t size() const { return text->Length(); }
        char operator[](size_t i) const { return static_cast<char>(text->At(i)); }
    };
    BasicTagTracker<Bytes> tags_;
};

}  // namespace tsqz
