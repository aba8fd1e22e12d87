// Attribute quote removal: the double quotes around single-token attribute values.
#include <cstdint>
#include <string_view>
#include <vector>

#include "passes.h"
#include "tag_scan.h"

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

// Applies one entry. The literal loop deletes the two quotes in place and searches on from
// just after the attribute text; here removed quotes are only marked dead and skipped by
// every later look at the text, and the text is rebuilt once at the end, so the result is
// the same (text brought together by a removal is matched again) at linear cost. Every dead
// quote lies before the current opening quote, so the quote searches only move forward.
void StripEntry(Text& chunk, const EntryPlan& plan) {
    const std::string_view text = chunk;
    const size_t n = text.size();
    std::vector<bool> dead;
    const auto is_dead = [&](size_t i) { return !dead.empty() && dead[i]; };
    const auto next_live = [&](size_t i) {
        while (i < n && is_dead(i))
            ++i;
        return i;
    };
    const auto next_live_quote = [&](size_t i) {
        while (i < n && (text[i] != '"' || is_dead(i)))
            ++i;
        return i;
    };
    // The index just past a match of the attribute starting at live index i, or npos.
    const auto match_end = [&](size_t i) {
        for (const char c : plan.attribute) {
            i = next_live(i);
            if (i >= n || !BytesMatch(static_cast<unsigned char>(c),
                                      static_cast<unsigned char>(text[i]), true)) {
                return Text::npos;
            }
            ++i;
        }
        return i;
    };

    TagTracker tags(text);
    size_t from = 0;
    size_t opening = 0;
    for (;;) {
        size_t start = next_live(from);
        size_t end = Text::npos;
        for (; start < n; start = next_live(start + 1)) {
            end = match_end(start);
            if (end != Text::npos) break;
        }
        if (start >= n) break;
        if (opening < start) opening = start;
        opening = next_live_quote(opening);
        if (opening >= n) break;  // no opening quote anywhere after: the entry is done

        size_t gap = 0;
        for (size_t i = start; i < opening && gap <= plan.max_gap; ++i)
            gap += !is_dead(i);
        bool examine = gap <= plan.max_gap && tags.InsideTag(start);
        const size_t value_start = next_live(opening + 1);
        if (examine && plan.hash_only) examine = value_start < n && text[value_start] == '#';
        if (examine) {
            const size_t closing = next_live_quote(opening + 1);
            if (closing >= n) break;  // unterminated value: the entry is done
            std::string value;
            bool keep = false;
            for (size_t i = value_start; i < closing; i = next_live(i + 1)) {
                value.push_back(text[i]);
                keep = keep || NeedsQuotes(static_cast<unsigned char>(text[i]));
            }
            keep = keep || value.empty() || (plan.number_only && !IsWholeNumber(value));
            if (!keep) {
                if (dead.empty()) dead.resize(n);
                dead[opening] = true;
                dead[closing] = true;
            }
        }
        if (plan.first_only) break;
        from = end;
    }

    if (dead.empty()) return;
    Text out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        if (!dead[i]) out.push_back(text[i]);
    }
    chunk.swap(out);
}

}  // namespace

void RemoveAttributeQuotes(Engine& engine, Text& chunk) {
    BeginSavings(engine, chunk);
    const bool standard_colors = engine.options.StandardColors != 0;
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
        StripEntry(chunk, plan);
    }
    EndSavings(engine, chunk, kSlotStripQuotes);
}

}  // namespace tsqz
