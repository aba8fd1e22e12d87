// Front-to-back editing of a text at linear cost, for passes whose loops edit as they search.
//
// The whitespace and script passes are written as "find, edit, search on from here" loops.
// Done in place, every edit shifts the whole tail of the text, so a chunk with thousands of
// edits costs thousands of tail shifts. A Rewriter holds the text as the bytes already
// edited followed by the unread rest of the source: an edit at or after the cursor (the end of
// the edited part) only copies the source bytes up to it. Searches and reads work on the
// current text as the primitives of text.h do, with the same 1-based positions, so a loop
// reads like its in-place form and gives the same result.
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

    // Keeps a position pointing at the same byte through later edits; a position whose byte
    // is deleted moves to where the deletion was. The variable must outlive the Rewriter.
    void Track(int32_t& position) { marks_.push_back(&position); }

    int32_t Length() const { return static_cast<int32_t>(done_.size() + (source_.size() - next_)); }
    // Byte at a position of the current text; 0 outside it.
    unsigned char At(int32_t pos) const {
        if (pos < 1) return 0;
        size_t i = static_cast<size_t>(pos - 1);
        if (i < done_.size()) return static_cast<unsigned char>(done_[i]);
        i = i - done_.size() + next_;
        return i < source_.size() ? static_cast<unsigned char>(source_[i]) : 0;
    }
    // The bytes from a position of the current text to the end of the stretch that holds it
    // (the edited part or the unread rest), for readers that go through the text in order;
    // empty outside the text.
    std::string_view RunAt(int32_t pos) const {
        if (pos < 1) return {};
        size_t i = static_cast<size_t>(pos - 1);
        if (i < done_.size()) return std::string_view(done_).substr(i);
        i = i - done_.size() + next_;
        return i < source_.size() ? source_.substr(i) : std::string_view();
    }
    // As FindText with a start of `start` (negated when ignoring case), over the current text.
    int32_t Find(std::string_view pattern, int32_t start, bool ignore_case = false) const;
    // Whether the pattern matches at a position of the current text, as FindText compares.
    bool HasAt(int32_t pos, std::string_view pattern, bool ignore_case = false) const;
    // As FindChar over the current text.
    int32_t FindChar(unsigned char byte, int32_t start) const;
    // Last position at or before `limit` holding the byte, or 0; a limit past the end means
    // the whole text. Costs the distance walked back.
    int32_t FindCharBack(unsigned char byte, int32_t limit) const;

    // Edits at or after the cursor cost the bytes passed over; edits before it cost the bytes
    // from the edit to the cursor, so loops keep them close to it.
    void Delete(int32_t pos, int32_t count);
    void Insert(int32_t pos, std::string_view what);
    bool Edited() const { return edited_; }

    // The current text; the Rewriter is spent afterwards.
    Text Finish();

  private:
    std::string_view Rest() const { return source_.substr(next_); }
    void CopyUpTo(size_t done_size);

    Text done_;                // edited bytes before the cursor
    std::string_view source_;  // the text as it was when the Rewriter was made
    size_t next_ = 0;          // first source byte not yet copied or skipped
    std::vector<int32_t*> marks_;
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

// "Does this position lie inside a tag?" of a Rewriter's current text: the last "<" before the
// 1-based position `at` lies after the last ">" before it. The tracker of tag_scan.h, reading
// the text as it stands; positions asked mostly increase and the loop edits only after them.
class RewriterTagTracker {
  public:
    explicit RewriterTagTracker(const Rewriter& text) : tags_(Bytes{&text}) {}

    bool InsideTag(int32_t at) { return at >= 2 && tags_.InsideTag(IndexOf(at - 1)); }

  private:
    struct Bytes {
        const Rewriter* text;
        size_t size() const { return static_cast<size_t>(text->Length()); }
        char operator[](size_t i) const { return static_cast<char>(text->At(PositionOf(i))); }
    };
    BasicTagTracker<Bytes> tags_;
};

}  // namespace tsqz
