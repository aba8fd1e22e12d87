// Rule tables of the web template as rows of data.
#include "web/web_tables.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

namespace tsqz::web {

namespace {

struct ElementRow {
    std::string_view name;
    uint32_t flags;
};

constexpr uint32_t kHeading = kBlock | kClosesP | kStartClosesP | kBreakout | kSpecial | kEndClosesInner;

constexpr ElementRow kElements[] = {
    {"a", kFormatting},
    {"abbr", kPlainInline},
    {"acronym", kPlainInline},
    {"address", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"applet", kScopeBoundary | kIgnoredInSelect | kSpecial | kEndClosesInner},
    {"area", kVoid | kSpecial},
    {"article", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"aside", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"b", kFormatting | kBreakout},
    {"base", kVoid | kHeadContent | kSpecial},
    {"basefont", kVoid | kHeadContent | kSpecial},
    {"bdi", kPlainInline},
    {"bdo", kPlainInline},
    {"bgsound", kVoid | kHeadContent | kSpecial},
    {"big", kFormatting | kBreakout},
    {"blockquote", kBlock | kClosesP | kBreakout | kSpecial | kEndClosesInner | kStartClosesP},
    {"body", kBlock | kBreakout | kSpecial | kEndClosesInner},
    {"br", kVoid | kBreakout | kSpecial},
    {"button", kSpecial | kEndClosesInner},
    {"caption", kBlock | kScopeBoundary | kTableContent | kSpecial | kEndClosesInner},
    {"center", kBlock | kBreakout | kSpecial | kEndClosesInner | kStartClosesP},
    {"cite", kPlainInline},
    {"code", kFormatting | kBreakout},
    {"col", kVoid | kBlock | kTableContent | kSpecial},
    {"colgroup", kBlock | kTablePart | kTableContent | kSpecial},
    {"data", kPlainInline},
    {"dd", kBlock | kImpliedEnd | kBreakout | kSpecial | kEndClosesInner | kStartClosesP},
    {"del", kPlainInline},
    {"details", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"dfn", kPlainInline},
    {"dialog", kSpecial | kStartClosesP},
    {"dir", kBlock | kSpecial | kEndClosesInner | kStartClosesP},
    {"div", kBlock | kClosesP | kBreakout | kSpecial | kEndClosesInner | kStartClosesP},
    {"dl", kBlock | kClosesP | kBreakout | kSpecial | kEndClosesInner | kStartClosesP},
    {"dt", kBlock | kImpliedEnd | kBreakout | kSpecial | kEndClosesInner | kStartClosesP},
    {"em", kFormatting | kBreakout},
    {"embed", kVoid | kBreakout | kSpecial},
    {"fieldset", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"figcaption", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"figure", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"font", kFormatting},
    {"footer", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"form", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"frame", kVoid | kSpecial},
    {"frameset", kSpecial},
    {"h1", kHeading},
    {"h2", kHeading},
    {"h3", kHeading},
    {"h4", kHeading},
    {"h5", kHeading},
    {"h6", kHeading},
    {"head", kBlock | kBreakout | kSpecial},
    {"header", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"hgroup", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"hr", kVoid | kBlock | kClosesP | kBreakout | kSpecial | kStartClosesP},
    {"html", kBlock | kScopeBoundary | kSpecial | kEndClosesInner},
    {"i", kFormatting | kBreakout},
    {"iframe", kRawtext | kIgnoredInSelect | kSpecial},
    {"img", kVoid | kBreakout | kSpecial},
    {"input", kVoid | kSpecial},
    {"ins", kPlainInline},
    {"kbd", kPlainInline},
    {"keygen", kVoid | kSpecial},
    {"label", kPlainInline},
    {"legend", kBlock | kSpecial},
    {"li", kBlock | kImpliedEnd | kBreakout | kSpecial | kEndClosesInner | kStartClosesP},
    {"link", kVoid | kHeadContent | kSpecial},
    {"listing", kBlock | kPreserveSpace | kBreakout | kIgnoredInSelect | kSpecial | kEndClosesInner | kStartClosesP},
    {"main", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"mark", kPlainInline},
    {"marquee", kScopeBoundary | kIgnoredInSelect | kSpecial | kEndClosesInner},
    {"menu", kBlock | kClosesP | kBreakout | kSpecial | kEndClosesInner | kStartClosesP},
    {"meta", kVoid | kHeadContent | kBreakout | kSpecial},
    {"nav", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"nobr", kFormatting | kBreakout},
    {"noembed", kRawtext | kIgnoredInSelect | kSpecial},
    {"noframes", kRawtext | kIgnoredInSelect | kHeadContent | kSpecial},
    {"noscript", kRawtext | kIgnoredInSelect | kSpecial},
    {"object", kScopeBoundary | kIgnoredInSelect | kSpecial | kEndClosesInner},
    {"ol", kBlock | kClosesP | kBreakout | kSpecial | kEndClosesInner | kStartClosesP},
    {"optgroup", kBlock | kImpliedEnd},
    {"option", kBlock | kImpliedEnd},
    {"p", kBlock | kClosesP | kImpliedEnd | kBreakout | kSpecial | kStartClosesP},
    {"param", kVoid | kSpecial},
    {"plaintext", kBlock | kPreserveSpace | kPlaintext | kIgnoredInSelect | kSpecial | kStartClosesP},
    {"pre", kBlock | kClosesP | kPreserveSpace | kBreakout | kIgnoredInSelect | kSpecial | kEndClosesInner | kStartClosesP},
    {"q", kPlainInline},
    {"rb", kImpliedEnd},
    {"rp", kImpliedEnd},
    {"rt", kImpliedEnd},
    {"rtc", kImpliedEnd},
    {"ruby", kBreakout},
    {"s", kFormatting | kBreakout},
    {"samp", kPlainInline},
    {"script", kScript | kHeadContent | kSpecial},
    {"search", kBlock | kSpecial | kStartClosesP},
    {"section", kBlock | kClosesP | kSpecial | kEndClosesInner | kStartClosesP},
    {"select", kSpecial},
    {"small", kFormatting | kBreakout},
    {"source", kVoid | kSpecial},
    {"span", kBreakout | kPlainInline},
    {"strike", kFormatting | kBreakout},
    {"strong", kFormatting | kBreakout},
    {"style", kRawtext | kIgnoredInSelect | kHeadContent | kSpecial},
    {"sub", kBreakout | kPlainInline},
    {"summary", kBlock | kSpecial | kEndClosesInner | kStartClosesP},
    {"sup", kBreakout | kPlainInline},
    // A table closes an open paragraph only outside quirks mode; the rewriter checks the mode.
    {"table", kBlock | kClosesP | kBreakout | kScopeBoundary | kTablePart | kSpecial | kEndClosesInner | kStartClosesP},
    {"tbody", kBlock | kTablePart | kTableContent | kSpecial | kEndClosesInner},
    {"td", kBlock | kScopeBoundary | kTableContent | kSpecial | kEndClosesInner},
    {"template", kHeadContent | kScopeBoundary | kPreserveSpace | kSpecial | kEndClosesInner},
    {"textarea", kRcdata | kPreserveSpace | kSpecial},
    {"tfoot", kBlock | kTablePart | kTableContent | kSpecial | kEndClosesInner},
    {"th", kBlock | kScopeBoundary | kTableContent | kSpecial | kEndClosesInner},
    {"thead", kBlock | kTablePart | kTableContent | kSpecial | kEndClosesInner},
    {"time", kPlainInline},
    {"title", kRcdata | kIgnoredInSelect | kHeadContent | kSpecial},
    {"tr", kBlock | kTablePart | kTableContent | kSpecial | kEndClosesInner},
    {"track", kVoid | kSpecial},
    {"tt", kFormatting | kBreakout},
    {"u", kFormatting | kBreakout},
    {"ul", kBlock | kClosesP | kBreakout | kSpecial | kEndClosesInner | kStartClosesP},
    {"var", kBreakout | kPlainInline},
    {"wbr", kVoid | kSpecial},
    {"xmp", kBlock | kPreserveSpace | kRawtext | kIgnoredInSelect | kSpecial | kStartClosesP},
};

constexpr OptionalEndTag kOptionalEndTags[] = {
    {"li", "li", true},
    {"dt", "dt dd", false},
    {"dd", "dd dt", true},
    {"p", "*p", true},
    {"rt", "rt rp", true},
    {"rp", "rt rp", true},
    {"optgroup", "optgroup", true},
    {"option", "option optgroup", true},
    {"thead", "tbody tfoot", false},
    {"tbody", "tbody tfoot", true},
    {"tfoot", "", true},
    {"tr", "tr", true},
    {"td", "td th", true},
    {"th", "td th", true},
    // The parser closes an open caption at these, as "</caption>" would.
    {"caption", "caption colgroup col thead tbody tfoot tr td th", true},
};

constexpr std::string_view kBooleanAttributes[] = {
    "allowfullscreen", "async", "autofocus", "autoplay", "checked", "controls", "default",
    "defer", "disabled", "formnovalidate", "hidden", "inert", "ismap", "itemscope", "loop",
    "multiple", "muted", "nomodule", "novalidate", "open", "playsinline", "readonly",
    "required", "reversed", "selected",
};

constexpr DefaultAttribute kDefaultAttributes[] = {
    {"script", "type", "text/javascript", false, false},
    {"script", "language", "javascript", true, false},  // without a type: "text/" and the language
    {"style", "type", "text/css", false, false},
    {"link", "type", "text/css", false, false},
    {"form", "method", "get", true, true},
    {"form", "enctype", "application/x-www-form-urlencoded", true, true},
    {"input", "type", "text", true, true},
    {"button", "type", "submit", true, true},
    {"area", "shape", "rect", false, false},
};

struct NamedRow {
    std::string_view name;
    uint32_t code_point;
};

// Latin-1 (U+00A0 to U+00FF) in code point order, then common punctuation and symbols.
constexpr std::string_view kLatin1Names[] = {
    "nbsp", "iexcl", "cent", "pound", "curren", "yen", "brvbar", "sect", "uml", "copy", "ordf",
    "laquo", "not", "shy", "reg", "macr", "deg", "plusmn", "sup2", "sup3", "acute", "micro",
    "para", "middot", "cedil", "sup1", "ordm", "raquo", "frac14", "frac12", "frac34", "iquest",
    "Agrave", "Aacute", "Acirc", "Atilde", "Auml", "Aring", "AElig", "Ccedil", "Egrave",
    "Eacute", "Ecirc", "Euml", "Igrave", "Iacute", "Icirc", "Iuml", "ETH", "Ntilde", "Ograve",
    "Oacute", "Ocirc", "Otilde", "Ouml", "times", "Oslash", "Ugrave", "Uacute", "Ucirc", "Uuml",
    "Yacute", "THORN", "szlig", "agrave", "aacute", "acirc", "atilde", "auml", "aring", "aelig",
    "ccedil", "egrave", "eacute", "ecirc", "euml", "igrave", "iacute", "icirc", "iuml", "eth",
    "ntilde", "ograve", "oacute", "ocirc", "otilde", "ouml", "divide", "oslash", "ugrave",
    "uacute", "ucirc", "uuml", "yacute", "thorn", "yuml",
};

constexpr NamedRow kOtherNames[] = {
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''},
    {"ensp", 0x2002}, {"emsp", 0x2003}, {"thinsp", 0x2009}, {"zwnj", 0x200C}, {"zwj", 0x200D},
    {"lrm", 0x200E}, {"rlm", 0x200F}, {"ndash", 0x2013}, {"mdash", 0x2014}, {"lsquo", 0x2018},
    {"rsquo", 0x2019}, {"sbquo", 0x201A}, {"ldquo", 0x201C}, {"rdquo", 0x201D},
    {"bdquo", 0x201E}, {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022},
    {"hellip", 0x2026}, {"permil", 0x2030}, {"prime", 0x2032}, {"Prime", 0x2033},
    {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"oline", 0x203E}, {"frasl", 0x2044},
    {"euro", 0x20AC}, {"trade", 0x2122}, {"larr", 0x2190}, {"uarr", 0x2191}, {"rarr", 0x2192},
    {"darr", 0x2193}, {"harr", 0x2194}, {"minus", 0x2212}, {"infin", 0x221E}, {"ne", 0x2260},
    {"le", 0x2264}, {"ge", 0x2265}, {"hearts", 0x2665},
};

// The references the parser reads without a ";", beyond the Latin-1 names.
constexpr std::string_view kLegacyOtherNames[] = {
    "amp", "lt", "gt", "quot", "AMP", "LT", "GT", "QUOT", "COPY", "REG",
};

// A name's row value by an open-addressed table: the tables are looked up for every tag,
// attribute and reference of a page, so a lookup takes the name's first sixteen bytes as two
// words, hashes and compares them in a probe or two, and a name longer than any in the table
// is turned away at once.
class NameIndex {
public:
    void Add(std::string_view name, uint32_t value) {
        const Key key = Pack(name);
        size_t i = Hash(name, key);
        while (!slots_[i].name.empty() && slots_[i].name != name) i = (i + 1) & (kSlots - 1);
        if (slots_[i].name.empty()) slots_[i] = {key, name, value};  // the first row of a name wins
        longest_ = std::max(longest_, name.size());
    }
    const uint32_t* Find(std::string_view name) const {
        if (name.empty() || name.size() > longest_) return nullptr;
        const Key key = Pack(name);
        for (size_t i = Hash(name, key);; i = (i + 1) & (kSlots - 1)) {
            const Slot& slot = slots_[i];
            if (slot.name.empty()) return nullptr;
            if (slot.key.low == key.low && slot.key.high == key.high && slot.name.size() == name.size() &&
                (name.size() <= sizeof(Key) || Same(slot.name, name)))
                return &slot.value;
        }
    }

private:
    // The first sixteen bytes of a name as two words: most names are compared whole by them.
    struct Key {
        uint64_t low = 0, high = 0;
    };
    static Key Pack(std::string_view s) {
        Key key;
        const char* p = s.data();
        const size_t n = s.size();
        if constexpr (std::endian::native == std::endian::little) {
            // Two loads that may overlap, the bytes past the name shifted out: no copy of a
            // length known only at run time.
            if (n >= 16) {
                std::memcpy(&key.low, p, 8);
                std::memcpy(&key.high, p + 8, 8);
            } else if (n >= 8) {
                std::memcpy(&key.low, p, 8);
                uint64_t tail;
                std::memcpy(&tail, p + n - 8, 8);
                key.high = n == 8 ? 0 : tail >> (8 * (16 - n));
            } else if (n >= 4) {
                uint32_t head, tail;
                std::memcpy(&head, p, 4);
                std::memcpy(&tail, p + n - 4, 4);
                key.low = head | static_cast<uint64_t>(tail) << (8 * (n - 4));
            } else if (n > 0) {
                key.low = static_cast<uint64_t>(static_cast<uint8_t>(p[0])) |
                          static_cast<uint64_t>(static_cast<uint8_t>(p[n / 2])) << (8 * (n / 2)) |
                          static_cast<uint64_t>(static_cast<uint8_t>(p[n - 1])) << (8 * (n - 1));
            }
        } else {
            char bytes[sizeof(Key)] = {};
            std::memcpy(bytes, p, std::min(n, sizeof bytes));
            std::memcpy(&key.low, bytes, 8);
            std::memcpy(&key.high, bytes + 8, 8);
        }
        return key;
    }
    static bool Same(std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (a[i] != b[i]) return false;
        return true;
    }
    static constexpr size_t kSlots = 1024;  // a power of two, several times the longest table
    static size_t Hash(std::string_view s, const Key& key) {
        uint64_t h = (key.low ^ (key.high * 0x9E3779B97F4A7C15ull) ^ s.size()) * 0xFF51AFD7ED558CCDull;
        for (size_t i = sizeof(Key); i < s.size(); ++i) h = (h ^ static_cast<uint8_t>(s[i])) * 0x100000001B3ull;
        return static_cast<size_t>(h >> 54) & (kSlots - 1);
    }
    struct Slot {
        Key key;
        std::string_view name;  // empty: a free slot (no row has an empty name)
        uint32_t value = 0;
    };
    std::array<Slot, kSlots> slots_{};
    size_t longest_ = 0;
};

}  // namespace

namespace {
// Names of one or two lowercase letters or digits (a, p, b, i, br, td, li, h1, ...: most tags of
// a page) by a direct table, indexed by their bytes; the other names by the hashed index.
constexpr size_t kShortKinds = 37;  // 0: no byte, 1-26: a-z, 27-36: 0-9
constexpr size_t ShortKind(char c) {
    if (c >= 'a' && c <= 'z') return static_cast<size_t>(c - 'a') + 1;
    if (c >= '0' && c <= '9') return static_cast<size_t>(c - '0') + 27;
    return kShortKinds;
}
constexpr auto kShortRows = [] {
    std::array<uint16_t, kShortKinds * kShortKinds> rows{};
    rows.fill(static_cast<uint16_t>(std::size(kElements)));
    for (size_t i = 0; i < std::size(kElements); ++i) {
        const std::string_view name = kElements[i].name;
        if (name.size() == 1 && ShortKind(name[0]) < kShortKinds)
            rows[ShortKind(name[0]) * kShortKinds] = static_cast<uint16_t>(i);
        if (name.size() == 2 && ShortKind(name[0]) < kShortKinds && ShortKind(name[1]) < kShortKinds)
            rows[ShortKind(name[0]) * kShortKinds + ShortKind(name[1])] = static_cast<uint16_t>(i);
    }
    return rows;
}();
}  // namespace

size_t ElementId(std::string_view name) {
    if (name.size() == 1 || name.size() == 2) {
        const size_t first = ShortKind(name[0]), second = name.size() == 2 ? ShortKind(name[1]) : 0;
        if (first < kShortKinds && second < kShortKinds) return kShortRows[first * kShortKinds + second];
    }
    static const NameIndex index = [] {
        NameIndex rows;
        for (size_t i = 0; i < std::size(kElements); ++i)
            rows.Add(kElements[i].name, static_cast<uint32_t>(i));
        return rows;
    }();
    const uint32_t* row = index.Find(name);
    return row ? *row : std::size(kElements);
}

namespace element_rows {
namespace {
template <typename T, typename Column>
constexpr std::array<T, std::size(kElements)> ColumnOf(Column column) {
    std::array<T, std::size(kElements)> values{};
    for (size_t i = 0; i < std::size(kElements); ++i) values[i] = column(kElements[i]);
    return values;
}
constexpr auto kFlagColumn = ColumnOf<uint32_t>([](const ElementRow& row) { return row.flags; });
constexpr auto kNameColumn = ColumnOf<std::string_view>([](const ElementRow& row) { return row.name; });
constexpr std::array<bool, 256> kFirsts = [] {
    std::array<bool, 256> letters{};
    for (const ElementRow& row : kElements)
        if (RawTextStateOf(row.flags) != TextState::Data) letters[static_cast<unsigned char>(row.name[0])] = true;
    return letters;
}();
}  // namespace
const size_t kCount = std::size(kElements);
const uint32_t* const kFlags = kFlagColumn.data();
const std::string_view* const kNames = kNameColumn.data();
const bool* const kRawTextFirsts = kFirsts.data();
}  // namespace element_rows

uint32_t ElementFlags(std::string_view name) { return ElementFlagsOf(ElementId(name)); }

TextState RawTextStateFor(std::string_view name) { return RawTextStateOf(ElementFlags(name)); }

const OptionalEndTag* FindOptionalEndTag(std::string_view element) {
    for (const OptionalEndTag& row : kOptionalEndTags)
        if (row.element == element) return &row;
    return nullptr;
}

bool IsBooleanAttribute(std::string_view name) {
    static const NameIndex index = [] {
        NameIndex rows;
        for (std::string_view attribute : kBooleanAttributes) rows.Add(attribute, 1);
        return rows;
    }();
    return index.Find(name) != nullptr;
}

bool BooleanAttributeMayBe(char first, size_t length) {
    // Per lowered first letter, a bit for each length a boolean attribute of that letter has.
    static const std::array<uint32_t, 26> lengths = [] {
        std::array<uint32_t, 26> bits{};
        for (std::string_view attribute : kBooleanAttributes)
            bits[static_cast<size_t>(attribute[0] - 'a')] |= 1u << attribute.size();
        return bits;
    }();
    return first >= 'a' && first <= 'z' && length < 32 &&
           (lengths[static_cast<size_t>(first - 'a')] >> length & 1u);
}

const DefaultAttribute* FindDefaultAttribute(std::string_view element, std::string_view attribute) {
    for (const DefaultAttribute& row : kDefaultAttributes)
        if (row.element == element && row.attribute == attribute) return &row;
    return nullptr;
}

uint32_t NamedReference(std::string_view name) {
    static const NameIndex index = [] {
        NameIndex rows;
        for (size_t i = 0; i < std::size(kLatin1Names); ++i)
            rows.Add(kLatin1Names[i], static_cast<uint32_t>(0xA0 + i));
        for (const NamedRow& row : kOtherNames) rows.Add(row.name, row.code_point);
        return rows;
    }();
    const uint32_t* code_point = index.Find(name);
    return code_point ? *code_point : 0;
}

int Windows1252Byte(uint32_t code_point) {
    if (code_point >= 0xA0 && code_point <= 0xFF) return static_cast<int>(code_point);
    // The characters of bytes 0x80 to 0x9F (five of them stand for no character).
    constexpr uint16_t kHigh[32] = {
        0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
        0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] != 0 && kHigh[i] == code_point) return 0x80 + i;
    return -1;
}

bool IsLegacyReferenceName(std::string_view name) {
    return std::find(std::begin(kLatin1Names), std::end(kLatin1Names), name) != std::end(kLatin1Names) ||
           std::find(std::begin(kLegacyOtherNames), std::end(kLegacyOtherNames), name) !=
               std::end(kLegacyOtherNames);
}

namespace {

// Public identifiers that put a document in quirks mode when they start it (case ignored).
constexpr std::string_view kQuirksPublicPrefixes[] = {
    "+//Silmaril//dtd html Pro v0r11 19970101//",
    "-//AS//DTD HTML 3.0 asWedit + extensions//",
    "-//AdvaSoft Ltd//DTD HTML 3.0 asWedit + extensions//",
    "-//IETF//DTD HTML 2.0 Level 1//",
    "-//IETF//DTD HTML 2.0 Level 2//",
    "-//IETF//DTD HTML 2.0 Strict Level 1//",
    "-//IETF//DTD HTML 2.0 Strict Level 2//",
    "-//IETF//DTD HTML 2.0 Strict//",
    "-//IETF//DTD HTML 2.0//",
    "-//IETF//DTD HTML 2.1E//",
    "-//IETF//DTD HTML 3.0//",
    "-//IETF//DTD HTML 3.2 Final//",
    "-//IETF//DTD HTML 3.2//",
    "-//IETF//DTD HTML 3//",
    "-//IETF//DTD HTML Level 0//",
    "-//IETF//DTD HTML Level 1//",
    "-//IETF//DTD HTML Level 2//",
    "-//IETF//DTD HTML Level 3//",
    "-//IETF//DTD HTML Strict Level 0//",
    "-//IETF//DTD HTML Strict Level 1//",
    "-//IETF//DTD HTML Strict Level 2//",
    "-//IETF//DTD HTML Strict Level 3//",
    "-//IETF//DTD HTML Strict//",
    "-//IETF//DTD HTML//",
    "-//Metrius//DTD Metrius Presentational//",
    "-//Microsoft//DTD Internet Explorer 2.0 HTML Strict//",
    "-//Microsoft//DTD Internet Explorer 2.0 HTML//",
    "-//Microsoft//DTD Internet Explorer 2.0 Tables//",
    "-//Microsoft//DTD Internet Explorer 3.0 HTML Strict//",
    "-//Microsoft//DTD Internet Explorer 3.0 HTML//",
    "-//Microsoft//DTD Internet Explorer 3.0 Tables//",
    "-//Netscape Comm. Corp.//DTD HTML//",
    "-//Netscape Comm. Corp.//DTD Strict HTML//",
    "-//O'Reilly and Associates//DTD HTML 2.0//",
    "-//O'Reilly and Associates//DTD HTML Extended 1.0//",
    "-//O'Reilly and Associates//DTD HTML Extended Relaxed 1.0//",
    "-//SQ//DTD HTML 2.0 HoTMetaL + extensions//",
    "-//SoftQuad Software//DTD HoTMetaL PRO 6.0::19990601::extensions to HTML 4.0//",
    "-//SoftQuad//DTD HoTMetaL PRO 4.0::19971010::extensions to HTML 4.0//",
    "-//Spyglass//DTD HTML 2.0 Extended//",
    "-//Sun Microsystems Corp.//DTD HotJava HTML//",
    "-//Sun Microsystems Corp.//DTD HotJava Strict HTML//",
    "-//W3C//DTD HTML 3 1995-03-24//",
    "-//W3C//DTD HTML 3.2 Draft//",
    "-//W3C//DTD HTML 3.2 Final//",
    "-//W3C//DTD HTML 3.2//",
    "-//W3C//DTD HTML 3.2S Draft//",
    "-//W3C//DTD HTML 4.0 Frameset//",
    "-//W3C//DTD HTML 4.0 Transitional//",
    "-//W3C//DTD HTML Experimental 19960712//",
    "-//W3C//DTD HTML Experimental 970421//",
    "-//W3C//DTD W3 HTML//",
    "-//W3O//DTD W3 HTML 3.0//",
    "-//WebTechs//DTD Mozilla HTML 2.0//",
    "-//WebTechs//DTD Mozilla HTML//",
};
// Whole public identifiers with the same effect.
constexpr std::string_view kQuirksPublicIds[] = {
    "-//W3O//DTD W3 HTML Strict 3.0//EN//", "-/W3C/DTD HTML 4.0 Transitional/EN", "HTML"};
// Frameset and transitional HTML 4.01: quirks without a system identifier, limited quirks with.
constexpr std::string_view kHtml401Loose[] = {"-//W3C//DTD HTML 4.01 Frameset//",
                                              "-//W3C//DTD HTML 4.01 Transitional//"};
constexpr std::string_view kLimitedQuirksPublicPrefixes[] = {"-//W3C//DTD XHTML 1.0 Frameset//",
                                                             "-//W3C//DTD XHTML 1.0 Transitional//"};

bool StartsWithIgnoringCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsIgnoringCase(s.substr(0, prefix.size()), prefix);
}

template <size_t N>
bool StartsWithAny(std::string_view s, const std::string_view (&prefixes)[N]) {
    return std::any_of(std::begin(prefixes), std::end(prefixes),
                       [&](std::string_view p) { return StartsWithIgnoringCase(s, p); });
}

}  // namespace

DoctypeMode ModeOfDoctype(std::string_view public_id, bool has_public, std::string_view system_id,
                          bool has_system) {
    if (has_public) {
        if (StartsWithAny(public_id, kQuirksPublicPrefixes) ||
            std::any_of(std::begin(kQuirksPublicIds), std::end(kQuirksPublicIds),
                        [&](std::string_view id) { return EqualsIgnoringCase(public_id, id); }))
            return DoctypeMode::Quirks;
        if (StartsWithAny(public_id, kHtml401Loose))
            return has_system ? DoctypeMode::LimitedQuirks : DoctypeMode::Quirks;
        if (StartsWithAny(public_id, kLimitedQuirksPublicPrefixes)) return DoctypeMode::LimitedQuirks;
    }
    if (has_system && EqualsIgnoringCase(system_id, "http://www.ibm.com/data/dtd/v11/ibmxhtml1-transitional.dtd"))
        return DoctypeMode::Quirks;
    return DoctypeMode::NoQuirks;
}

}  // namespace tsqz::web
