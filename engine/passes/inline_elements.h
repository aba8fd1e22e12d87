// Which tags white space shows beside: text-level (inline) elements against block-level ones.
//
// The whitespace passes delete line ends and spaces next to tags. Next to the tag of a
// block-level element (a table cell, a list item, a paragraph, the head) such white space
// collapses away in a browser anyway; next to the tag of a text-level element it separates two
// visible words, so the passes keep it there. Browsers lay out elements they do not know as
// text-level ones, so a name in neither table counts as text-level too.
#pragma once

#include <cstdint>
#include <iterator>
#include <string_view>

#include "passes/display_rules.h"
#include "text/position.h"

namespace tsqz {

// Whether `name` is the name of a text-level element, in any ASCII case. BR is not one: the
// line break it makes swallows white space beside it.
bool IsInlineElementName(std::string_view name);
// Whether `name` is the name of an element at whose tags white space collapses (block-level,
// list, table, form-structure, frame and head elements), in any ASCII case.
bool IsBlockElementName(std::string_view name);

// What a tag is, read from its "<".
struct TagInfo {
    enum class Kind : uint8_t {
        kNoElement,  // no "<" there
        // A text-level element; or what a browser shows nothing for and lays out no box for,
        // so that white space on either side of it meets: a comment, "<!...>" and "<?...>"
        // markup, a script or style element (or the placeholder left for one); or what is no
        // tag at all and shows as text: a "<" not followed by a letter ("a < b", "<>"), the
        // marker pair that stands for server code, whose output may be words.
        kTextLevel,
        // An element at whose tags white space collapses, the placeholder left for a
        // preformatted block, or the document type declaration (white space before the
        // root element is never shown).
        kBlock,
        kUnknown,  // a name neither table knows
    };
    Kind kind = Kind::kNoElement;
    bool is_end = false;  // "</" followed by a name

    // Whether white space beside the tag shows: next to text-level and unknown elements.
    bool IsInline() const { return kind == Kind::kTextLevel || kind == Kind::kUnknown; }
};

// The kind of element a name stands for, given in upper case (ASCII letters folded, other
// bytes as they are) and starting with a letter: text-level, block-level or unknown.
TagInfo::Kind KindOfUpperName(std::string_view upper);

// Reads the tag whose "<" is at index `open` of a text, with `at(index)` giving the byte
// there and 0 outside the text. The name is what follows "<" or "</", up to
// white space, "/", ">", "<" or the end of the text, and must start with an ASCII letter (so
// the passes, which delete white space only before a "<" or after a ">", never change the name
// a tag is read with). Everything else a "<" can start is read as the Kind comments say.
// Reads at most a few bytes, whatever the text.
// With `display`, a block-level element that the page's style sheets may lay out text-level
// (display_rules.h) is read as text-level.
template <typename ByteAt>
TagInfo ReadTagAt(const ByteAt& at, size_t open, const DisplayRules* display = nullptr);

// Follows, while a loop walks forward through a text, which tag each ">" ends: the one whose
// "<" is the nearest before it, unless a ">" between them already ended that tag or that "<"
// starts no markup (see StartsMarkupAt); such a ">" ends no tag and is text ("runs > $5",
// "&lt;HEAD>", "a < b > c").
class TagEnds {
  public:
    // Looks at every index up to `pos` not looked at yet, in order; returns the index of the
    // "<" of the tag that the ">" at `pos` ends, or kNone when there is no ">" there or it
    // ends no tag. `pos` never goes back, except to ask again about the last index.
    template <typename ByteAt>
    size_t Advance(const ByteAt& at, size_t pos);
    // The text lost `count` bytes after the last "<" looked at and before the next index to
    // look at.
    void Shift(size_t count) { next_ -= count; }

  private:
    size_t next_ = 0;             // first index not looked at yet
    size_t open_ = kNone;         // the nearest "<" looked at
    bool open_unended_ = false;   // no ">" looked at since that "<"
    size_t last_answer_ = kNone;  // the answer for index next_ - 1
};

// Follows, while a loop walks forward through a text, whether an element that changes the
// size or family of the font (FONT, BIG, SMALL, TT, CODE) has been opened and not closed.
// Browsers open such an element again around any text after the block it was left open in,
// white space between two paragraphs included, and that white space then makes a line of its
// own font; so while one is open, white space beside block-level tags shows as well.
class OpenFontElements {
  public:
    // Whether such an element is open at index `pos`: opened by a tag whose "<" lies before
    // `pos` and not closed by one. Looks at every index before `pos` not looked at yet, in
    // order; `pos` never goes back.
    template <typename ByteAt>
    bool OpenAt(const ByteAt& at, size_t pos);
    // The text lost `count` bytes before the next index to look at.
    void Shift(size_t count) { next_ -= count; }

    // For a walk that finds the "<" bytes itself instead of asking OpenAt: takes in the tag
    // whose "<" is at index `open`. Every "<" of the text must be taken, in order; Open()
    // then tells whether an element is open after the last one taken.
    template <typename ByteAt>
    void Take(const ByteAt& at, size_t open);
    bool Open() const { return open_total_ > 0; }

  private:
    static constexpr std::string_view kNames[] = {"FONT", "BIG", "SMALL", "TT", "CODE"};
    // The index of the name that starts with this byte (either case), -1 for none.
    static constexpr int FontNameByLetter(unsigned char c) {
        for (int i = 0; i < static_cast<int>(std::size(kNames)); ++i) {
            if ((c & 0xDF) == static_cast<unsigned char>(kNames[i][0])) return i;
        }
        return -1;
    }
    size_t next_ = 0;  // first index not looked at yet
    int32_t open_[std::size(kNames)] = {};
    int32_t open_total_ = 0;
};

// ---- implementation ----

namespace tag_detail {
// No name in the tables is longer; a longer name is no element the tables know.
constexpr int32_t kLongestName = 10;

inline bool EndsName(unsigned char c) {
    return c == 0 || c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '/' ||
           c == '>' || c == '<';
}

inline bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// Whether the "<" at `open` starts a tag, a comment or other markup that the next ">" ends:
// a letter, "/", "!" or "?" follows it, or it starts a whole placeholder ("<@" + three
// letters + "@>") or server-code marker pair ("<" + two bytes from 0x80 up + ">"). Any other
// "<" is text, and so is the next ">".
template <typename ByteAt>
bool StartsMarkupAt(const ByteAt& at, size_t open) {
    const unsigned char next = at(open + 1);
    if (IsAsciiLetter(next) || next == '/' || next == '!' || next == '?') return true;
    if (next == '@') {
        return IsAsciiLetter(at(open + 2)) && IsAsciiLetter(at(open + 3)) &&
               IsAsciiLetter(at(open + 4)) && at(open + 5) == '@' && at(open + 6) == '>';
    }
    return next >= 0x80 && at(open + 2) >= 0x80 && at(open + 3) == '>';
}

// The 7-byte placeholder "<@" + three letters + "@>" that stands for a PLAINTEXT, LISTING,
// XMP or PRE block: "<@PLA@>", "<@LIS@>", "<@XMP@>", "<@PRE@>", or a stand-in numbered with
// lower-case letters whose first lies in kBlockStandInFirst..kBlockStandInLast. The others
// stand for script and style elements.
constexpr unsigned char kBlockStandInFirst = 'a';
constexpr unsigned char kBlockStandInLast = 'm';

template <typename ByteAt>
bool IsBlockPlaceholder(const ByteAt& at, size_t open) {
    if (at(open + 1) != '@' || at(open + 5) != '@' || at(open + 6) != '>') return false;
    const unsigned char a = at(open + 2);
    const unsigned char b = at(open + 3);
    const unsigned char c = at(open + 4);
    if (a >= 'a' && a <= 'z') {
        return a >= kBlockStandInFirst && a <= kBlockStandInLast && b >= 'a' && b <= 'z' &&
               c >= 'a' && c <= 'z';
    }
    const auto is = [&](const char(&name)[4]) {
        return a == static_cast<unsigned char>(name[0]) &&
               b == static_cast<unsigned char>(name[1]) && c == static_cast<unsigned char>(name[2]);
    };
    return is("PLA") || is("LIS") || is("XMP") || is("PRE");
}

// "<!DOCTYPE" in any case.
template <typename ByteAt>
bool IsDoctype(const ByteAt& at, size_t open) {
    constexpr char kName[] = "DOCTYPE";
    for (size_t k = 0; k < 7; ++k) {
        if ((at(open + 2 + k) & 0xDF) != static_cast<unsigned char>(kName[k])) return false;
    }
    return true;
}
}  // namespace tag_detail

template <typename ByteAt>
TagInfo ReadTagAt(const ByteAt& at, size_t open, const DisplayRules* display) {
    using namespace tag_detail;
    using Kind = TagInfo::Kind;
    TagInfo tag;
    if (at(open) != '<') return tag;
    const unsigned char first = at(open + 1);
    if (first == '@') {
        tag.kind = IsBlockPlaceholder(at, open) &&
                           (display == nullptr || !display->MakesLiteralBlocksTextLevel())
                       ? Kind::kBlock
                       : Kind::kTextLevel;
        return tag;
    }
    if (first == '!') {
        tag.kind = IsDoctype(at, open) ? Kind::kBlock : Kind::kTextLevel;
        return tag;
    }
    size_t pos = open + 1;
    if (first == '/') ++pos;
    if (!IsAsciiLetter(at(pos))) {
        // "<?...>", "</ ...>" and "</>" show nothing; anything else is text.
        tag.kind = Kind::kTextLevel;
        return tag;
    }
    tag.is_end = first == '/';
    char name[kLongestName];
    int32_t length = 0;
    for (unsigned char c; !EndsName(c = at(pos)); ++pos) {
        if (length == kLongestName) {
            tag.kind = Kind::kUnknown;
            return tag;
        }
        name[length++] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 0x20 : c);
    }
    const std::string_view upper(name, static_cast<size_t>(length));
    tag.kind = KindOfUpperName(upper);
    if (tag.kind == Kind::kBlock && display != nullptr && display->MakesTextLevel(upper))
        tag.kind = Kind::kTextLevel;
    return tag;
}

template <typename ByteAt>
size_t TagEnds::Advance(const ByteAt& at, size_t pos) {
    if (pos < next_) return pos + 1 == next_ ? last_answer_ : kNone;
    size_t answer = kNone;
    for (; next_ <= pos; ++next_) {
        const unsigned char c = at(next_);
        if (c == '<') {
            open_ = next_;
            open_unended_ = tag_detail::StartsMarkupAt(at, next_);
        } else if (c == '>') {
            answer = open_unended_ && next_ == pos ? open_ : kNone;
            open_unended_ = false;
        }
    }
    last_answer_ = answer;
    return answer;
}

template <typename ByteAt>
bool OpenFontElements::OpenAt(const ByteAt& at, size_t pos) {
    for (; next_ < pos; ++next_) {
        if (at(next_) == '<') Take(at, next_);
    }
    return open_total_ > 0;
}

template <typename ByteAt>
void OpenFontElements::Take(const ByteAt& at, size_t open) {
    using namespace tag_detail;
    size_t name = open + 1;
    const bool end = at(name) == '/';
    if (end) ++name;
    // The names start with different letters, so the first one tells which name to compare.
    const int i = FontNameByLetter(at(name));
    if (i < 0) return;
    const std::string_view wanted = kNames[i];
    const size_t length = wanted.size();
    for (size_t k = 1; k < length; ++k) {
        if ((at(name + k) & 0xDF) != static_cast<unsigned char>(wanted[k])) return;
    }
    if (!EndsName(at(name + length))) return;
    if (!end) {
        ++open_[i];
        ++open_total_;
    } else if (open_[i] > 0) {
        --open_[i];
        --open_total_;
    }
}

}  // namespace tsqz
