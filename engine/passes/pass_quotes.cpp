// Attribute quote removal: the double quotes around single-token attribute values.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "text/byte_scan.h"
#include "passes/passes.h"
#include "text/tag_scan.h"

namespace tsqz {
namespace {

enum class QuoteRule : uint8_t {
    kGeneral,     // every occurrence
    kColour,      // general while StandardColors is on; otherwise only a value opening "#"
    kNumber,      // general, but only a whole number loses its quotes
    kBodyColour,  // first occurrence only, a "#" value, and only while StandardColors is on
};

struct QuoteEntry {
    std::string_view attribute;  // matched ignoring case, also as the end of a longer name
    QuoteRule rule;
};

// Processed in this order; an entry sees the quotes that earlier entries removed.
constexpr QuoteEntry kQuoteEntries[] = {
    {"TEXT=", QuoteRule::kBodyColour},
    {"VLINK=", QuoteRule::kBodyColour},
    {"LINK=", QuoteRule::kBodyColour},
    {"ALINK=", QuoteRule::kBodyColour},
    {"BGCOLOR=", QuoteRule::kGeneral},
    {"BORDER=", QuoteRule::kGeneral},
    {"HSPACE=", QuoteRule::kGeneral},
    {"VSPACE=", QuoteRule::kGeneral},
    {"ALIGN=", QuoteRule::kGeneral},
    {"WIDTH=", QuoteRule::kGeneral},
    {"HEIGHT=", QuoteRule::kGeneral},
    {"COLOR=", QuoteRule::kColour},
    {"SIZE=", QuoteRule::kGeneral},
    {"CELLPADDING=", QuoteRule::kGeneral},
    {"COLSPAN=", QuoteRule::kGeneral},
    {"ROWSPAN=", QuoteRule::kGeneral},
    {"BORDERCOLOR=", QuoteRule::kGeneral},
    {"BORDERCOLORDARK=", QuoteRule::kGeneral},
    {"BORDERCOLORLIGHT=", QuoteRule::kGeneral},
    {"SPACING=", QuoteRule::kGeneral},
    {"MARGIN=", QuoteRule::kGeneral},
    {"CLEAR=", QuoteRule::kGeneral},
    {"VALUE=", QuoteRule::kNumber},
};

// The places of a match are found through the letter before its "=".
static_assert([] {
    for (const QuoteEntry& entry : kQuoteEntries) {
        const char letter = entry.attribute[entry.attribute.size() - 2];
        if (letter < 'A' || letter > 'Z' || entry.attribute.back() != '=') return false;
    }
    return true;
}());

// Which letters, "a" to "z", stand before the "=" of some entry.
constexpr std::array<bool, 26> kLastLetters = [] {
    std::array<bool, 26> letters{};
    for (const QuoteEntry& entry : kQuoteEntries)
        letters[static_cast<size_t>((entry.attribute[entry.attribute.size() - 2] | 0x20) - 'a')] =
            true;
    return letters;
}();

// How one entry is applied, worked out from its rule and the options.
struct EntryPlan {
    std::string_view attribute;
    size_t max_gap;  // the opening quote may stand at most this many bytes after the match
    bool first_only;
    bool hash_only;  // the byte after the opening quote must be "#"
    bool number_only;
};

// Bytes that make an unquoted value mean something else (or end early): such a value keeps
// its quotes, whatever the attribute.
bool NeedsQuotes(unsigned char c) {
    switch (c) {
        case ' ':
        case '\t':
        case '\r':
        case '\n':
        case '\f':
        case '>':
        case '<':
        case '=':
        case '\'':
        case '`':
            return true;
        default:
            return false;
    }
}

// An optional sign and decimal digits, within the 32-bit signed range.
bool IsWholeNumber(std::string_view value) {
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    if (i == value.size()) return false;
    const int64_t limit = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
    int64_t number = 0;
    for (; i < value.size(); ++i) {
        if (value[i] < '0' || value[i] > '9') return false;
        number = number * 10 + (value[i] - '0');
        if (number > limit) return false;
    }
    return true;
}

// The chunk as the entries see it: removed quotes are only marked dead and skipped by every
// look at the text, and the chunk is rebuilt once after the last entry. An entry thus sees
// exactly the text the literal loop leaves after deleting the earlier quotes in place (text
// brought together by a removal is matched again), at linear cost.
class LiveText {
  public:
    explicit LiveText(std::string_view text) : text_(text) {
        // Every attribute text ends in a letter and "=", and "=" is never removed: its places
        // are the only places where a match can end, for every entry. Only double quotes are
        // ever removed, so the live byte before an "=" that a match ends at is the first byte
        // before it that is not a double quote: the places are filed by that letter.
        // Letters that end no attribute text file nothing.
        ScanBytes<'='>(text, 0, [this, text](size_t at) {
            size_t before = at;
            while (before != 0 && text[before - 1] == '"')
                --before;
            if (before == 0) return at + 1;
            const auto letter = static_cast<unsigned char>(text[before - 1] | 0x20);
            if (letter >= 'a' && letter <= 'z' && kLastLetters[letter - 'a'])
                equals_[letter - 'a'].push_back(at);
            return at + 1;
        });
    }

    size_t size() const { return text_.size(); }
    std::string_view view() const { return text_; }
    char operator[](size_t i) const { return text_[i]; }
    // The places of "=" where a match of the attribute may end, in order.
    const std::vector<size_t>& EqualsFor(std::string_view attribute) const {
        const auto letter = static_cast<unsigned char>(attribute[attribute.size() - 2] | 0x20);
        return equals_[letter - 'a'];
    }

    bool Dead(size_t i) const { return !dead_.empty() && dead_[i] != 0; }
    void Kill(size_t i) {
        if (dead_.empty()) dead_.resize(text_.size());
        if (dead_[i] == 0) killed_.push_back(i);
        dead_[i] = 1;
    }

    size_t NextLive(size_t i) const {
        while (i < text_.size() && Dead(i))
            ++i;
        return i;
    }

    // The first live double quote at or after i, or size().
    size_t NextLiveQuote(size_t i) const {
        while (i < text_.size()) {
            const void* q = std::memchr(text_.data() + i, '"', text_.size() - i);
            if (!q) return text_.size();
            i = static_cast<size_t>(static_cast<const char*>(q) - text_.data());
            if (!Dead(i)) return i;
            ++i;
        }
        return text_.size();
    }

    // Where the match of the attribute whose last byte is the "=" at index e begins (counting
    // live bytes only, ignoring case), or kNone.
    size_t MatchEndingAt(size_t e, std::string_view attribute) const {
        size_t j = e;
        for (size_t k = attribute.size() - 1; k-- > 0;) {
            do {
                if (j == 0) return kNone;
                --j;
            } while (Dead(j));
            if (!BytesMatch(static_cast<unsigned char>(attribute[k]),
                            static_cast<unsigned char>(text_[j]), true)) {
                return kNone;
            }
        }
        return j;
    }

    // The chunk without its dead bytes, copied a live stretch at a time.
    void Rebuild(Text& chunk) {
        if (killed_.empty()) return;
        std::sort(killed_.begin(), killed_.end());
        Text out;
        out.reserve(text_.size() - killed_.size());
        size_t copied = 0;
        for (size_t dead : killed_) {
            out.append(text_, copied, dead - copied);
            copied = dead + 1;
        }
        out.append(text_, copied, std::string_view::npos);
        chunk.swap(out);
    }

  private:
    std::string_view text_;
    std::array<std::vector<size_t>, 26> equals_;  // by the letter before, "a" to "z"
    std::vector<uint8_t> dead_;                   // empty until the first removal
    std::vector<size_t> killed_;                  // the dead places, in the order of removal
};

// Applies one entry: the literal loop finds each match from just after the previous one, so
// the matches are taken in order of their closing "=".
void StripEntry(LiveText& text, const EntryPlan& plan) {
    const size_t n = text.size();
    TagTracker tags(text.view());
    const std::vector<size_t>& equals = text.EqualsFor(plan.attribute);
    size_t next_equals = 0;
    size_t from = 0;
    size_t opening = 0;
    for (;;) {
        const size_t first = text.NextLive(from);
        size_t start = kNone;
        size_t end = 0;
        for (; next_equals < equals.size(); ++next_equals) {
            const size_t e = equals[next_equals];
            if (e < first) continue;
            start = text.MatchEndingAt(e, plan.attribute);
            if (start != kNone && start >= first) {
                end = e + 1;
                break;
            }
            start = kNone;
        }
        if (start == kNone) break;
        if (opening < start) opening = start;
        opening = text.NextLiveQuote(opening);
        if (opening >= n) break;  // no opening quote anywhere after: the entry is done

        size_t gap = 0;
        for (size_t i = start; i < opening && gap <= plan.max_gap; ++i)
            gap += !text.Dead(i);
        bool examine = gap <= plan.max_gap && tags.InsideTag(start);
        const size_t value_start = text.NextLive(opening + 1);
        if (examine && plan.hash_only) examine = value_start < n && text[value_start] == '#';
        if (examine) {
            const size_t closing = text.NextLiveQuote(opening + 1);
            if (closing >= n) break;  // unterminated value: the entry is done
            std::string value;
            bool keep = value_start >= closing;  // an empty value keeps its quotes
            for (size_t i = value_start; i < closing && !keep; i = text.NextLive(i + 1)) {
                keep = NeedsQuotes(static_cast<unsigned char>(text[i]));
                if (plan.number_only) value.push_back(text[i]);
            }
            keep = keep || (plan.number_only && !IsWholeNumber(value));
            if (!keep) {
                text.Kill(opening);
                text.Kill(closing);
            }
        }
        if (plan.first_only) break;
        from = end;
    }
}

}  // namespace

void RemoveAttributeQuotes(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    const bool standard_colors = engine.options.StandardColors != 0;
    LiveText text(chunk);
    for (const QuoteEntry& entry : kQuoteEntries) {
        EntryPlan plan{entry.attribute, entry.attribute.size() + 3, false, false, false};
        switch (entry.rule) {
            case QuoteRule::kGeneral:
                break;
            case QuoteRule::kColour:
                plan.hash_only = !standard_colors;
                break;
            case QuoteRule::kNumber:
                plan.number_only = true;
                break;
            case QuoteRule::kBodyColour:
                if (!standard_colors) continue;
                plan.max_gap = entry.attribute.size() + 4;  // "less than L + 5"
                plan.first_only = true;
                plan.hash_only = true;
                break;
        }
        StripEntry(text, plan);
    }
    text.Rebuild(chunk);
    EndSavings(engine, chunk, kSlotStripQuotes);
}

}  // namespace tsqz
