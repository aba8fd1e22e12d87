// Which tags white space shows beside: text-level (inline) elements against block-level ones.
#include "passes/inline_elements.h"

#include <array>
#include <cstdint>

namespace tsqz {
namespace {

// The text-level elements of HTML 4, with the presentational ones still met in old pages.
constexpr std::string_view kInlineElements[] = {
    "A",    "ABBR",   "ACRONYM", "APPLET", "B",    "BDO",      "BIG",    "BLINK",  "BUTTON",
    "CITE", "CODE",   "DFN",     "EM",     "FONT", "I",        "IFRAME", "IMG",    "INPUT",
    "KBD",  "LABEL",  "MAP",     "OBJECT", "Q",    "S",        "SAMP",   "SELECT", "SMALL",
    "SPAN", "STRIKE", "STRONG",  "SUB",    "SUP",  "TEXTAREA", "TT",     "U",      "VAR",
};

// The elements of HTML 4 at whose tags white space collapses: those that start and end a
// block, a list item, a table part, a form part or a frame, and those of the head. SCRIPT,
// NOSCRIPT, INS, DEL and BASEFONT are in neither table: white space beside them can show.
constexpr std::string_view kBlockElements[] = {
    "ADDRESS", "AREA",      "BASE",     "BLOCKQUOTE", "BODY",    "BR",       "CAPTION", "CENTER",
    "COL",     "COLGROUP",  "DD",       "DIR",        "DIV",     "DL",       "DT",      "FIELDSET",
    "FORM",    "FRAME",     "FRAMESET", "H1",         "H2",      "H3",       "H4",      "H5",
    "H6",      "HEAD",      "HR",       "HTML",       "ISINDEX", "LEGEND",   "LI",      "LINK",
    "LISTING", "MENU",      "META",     "NOFRAMES",   "OL",      "OPTGROUP", "OPTION",  "P",
    "PARAM",   "PLAINTEXT", "PRE",      "STYLE",      "TABLE",   "TBODY",    "TD",      "TFOOT",
    "TH",      "THEAD",     "TITLE",    "TR",         "UL",      "XMP",
};

// Both tables in one, grouped by name length and first letter, so that a name is compared
// only with the few names of its own length that start with its letter.
constexpr size_t kLetters = 26;
constexpr size_t kBuckets = (tag_detail::kLongestName + 1) * kLetters;

// A name of at most kLongestName bytes as two numbers: its first eight bytes and the rest.
struct NameKey {
    uint64_t head = 0;
    uint64_t tail = 0;
    constexpr bool operator==(const NameKey&) const = default;
};

constexpr NameKey KeyOf(std::string_view name) {
    NameKey key;
    for (size_t i = 0; i < name.size(); ++i) {
        const uint64_t byte = static_cast<unsigned char>(name[i]);
        if (i < 8) {
            key.head |= byte << (8 * i);
        } else {
            key.tail |= byte << (8 * (i - 8));
        }
    }
    return key;
}

struct NameRow {
    NameKey key;
    TagInfo::Kind kind;
};

struct NameIndex {
    std::array<NameRow, std::size(kInlineElements) + std::size(kBlockElements)> rows{};
    std::array<uint8_t, kBuckets + 1> first{};  // rows of bucket b: first[b] to first[b + 1]
};

constexpr size_t BucketOf(std::string_view upper) {
    return upper.size() * kLetters + static_cast<size_t>(upper[0] - 'A');
}

constexpr NameIndex BuildNameIndex() {
    NameIndex index;
    struct Named {
        std::string_view name;
        TagInfo::Kind kind;
    };
    std::array<Named, index.rows.size()> all{};
    size_t count = 0;
    for (const std::string_view name : kInlineElements)
        all[count++] = {name, TagInfo::Kind::kTextLevel};
    for (const std::string_view name : kBlockElements)
        all[count++] = {name, TagInfo::Kind::kBlock};
    std::array<size_t, kBuckets + 1> sizes{};
    for (const Named& row : all)
        ++sizes[BucketOf(row.name)];
    size_t next = 0;
    for (size_t b = 0; b < kBuckets; ++b) {
        index.first[b] = static_cast<uint8_t>(next);
        next += sizes[b];
    }
    index.first[kBuckets] = static_cast<uint8_t>(next);
    std::array<size_t, kBuckets> filled{};
    for (const Named& row : all) {
        const size_t b = BucketOf(row.name);
        index.rows[index.first[b] + filled[b]++] = {KeyOf(row.name), row.kind};
    }
    return index;
}

template <size_t N>
constexpr bool NamesFitTheIndex(const std::string_view (&names)[N]) {
    for (const std::string_view name : names) {
        if (name.empty() || name.size() > static_cast<size_t>(tag_detail::kLongestName) ||
            name[0] < 'A' || name[0] > 'Z') {
            return false;
        }
        for (const char c : name) {
            if (c >= 'a' && c <= 'z') return false;
        }
    }
    return true;
}
static_assert(
    NamesFitTheIndex(kInlineElements) && NamesFitTheIndex(kBlockElements),
    "ReadTagAt reads names of at most kLongestName bytes; the index keys on an upper-case "
    "first letter");

constexpr bool NoNameInBothTables() {
    for (const std::string_view a : kInlineElements) {
        for (const std::string_view b : kBlockElements) {
            if (a == b) return false;
        }
    }
    return true;
}
static_assert(NoNameInBothTables(), "a name is either text-level or block-level");

constexpr NameIndex kNameIndex = BuildNameIndex();

// The name in upper case, or an empty text when it cannot be a name of the tables.
std::string_view ToUpperName(std::string_view name, char (&buffer)[tag_detail::kLongestName]) {
    if (name.empty() || name.size() > std::size(buffer)) return {};
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        buffer[i] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 0x20 : c);
    }
    return {buffer, name.size()};
}

}  // namespace

TagInfo::Kind KindOfUpperName(std::string_view upper) {
    if (upper.empty() || upper.size() > static_cast<size_t>(tag_detail::kLongestName) ||
        upper[0] < 'A' || upper[0] > 'Z') {
        return TagInfo::Kind::kUnknown;
    }
    const size_t b = BucketOf(upper);
    const NameKey key = KeyOf(upper);
    for (size_t r = kNameIndex.first[b]; r < kNameIndex.first[b + 1]; ++r) {
        if (kNameIndex.rows[r].key == key) return kNameIndex.rows[r].kind;
    }
    return TagInfo::Kind::kUnknown;
}

bool IsInlineElementName(std::string_view name) {
    char buffer[tag_detail::kLongestName];
    const std::string_view upper = ToUpperName(name, buffer);
    return !upper.empty() && KindOfUpperName(upper) == TagInfo::Kind::kTextLevel;
}

bool IsBlockElementName(std::string_view name) {
    char buffer[tag_detail::kLongestName];
    const std::string_view upper = ToUpperName(name, buffer);
    return !upper.empty() && KindOfUpperName(upper) == TagInfo::Kind::kBlock;
}

}  // namespace tsqz
