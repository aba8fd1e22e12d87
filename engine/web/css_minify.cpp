// Style-sheet minification: a CSS syntax tokenizer, then a walk over rules, at-rules and
// declarations that writes each token again with only the white space the syntax needs.
#include "web/css_minify.h"

#include "text/colour_names.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace tsqz::web {
namespace {

// ---------------------------------------------------------------------------------------
// Rules as data.

// Properties whose value may hold a colour name as a colour (and nothing else of that name).
constexpr std::string_view kColourProperties[] = {
    "color", "background", "background-color", "border", "border-color", "border-top",
    "border-right", "border-bottom", "border-left", "border-top-color", "border-right-color",
    "border-bottom-color", "border-left-color", "outline", "outline-color", "box-shadow",
    "text-shadow", "fill", "stroke", "caret-color", "column-rule", "column-rule-color",
    "text-decoration-color", "accent-color", "stop-color", "flood-color", "lighting-color",
};

// Keywords of font-weight and the numbers that mean the same weight.
struct WeightKeyword {
    std::string_view keyword;
    std::string_view number;
};
constexpr WeightKeyword kWeightKeywords[] = {{"normal", "400"}, {"bold", "700"}};

// Units of length whose zero may be written as a bare 0.
constexpr std::string_view kLengthUnits[] = {
    "px", "em", "rem", "ex", "ch", "vw", "vh", "vmin", "vmax", "cm", "mm", "in", "pt", "pc",
    "q",
};

// Properties where a bare 0 means something else than a zero length (a flex factor) or
// where the value is read by something other than CSS.
constexpr std::string_view kKeepZeroUnitProperties[] = {
    "flex", "flex-basis", "line-height",
};

// Properties whose value is not made of ordinary values: old filters carry ARGB hex in
// functions, unicode-range is read from its characters.
constexpr std::string_view kOpaqueValueProperties[] = {"filter", "-ms-filter", "unicode-range"};

// At-rules whose block holds declarations.
constexpr std::string_view kDeclarationBlockAtRules[] = {
    "font-face", "page", "property", "counter-style", "font-palette-values", "viewport",
    "position-try", "view-transition", "top-left-corner", "top-left", "top-center",
    "top-right", "top-right-corner", "bottom-left-corner", "bottom-left", "bottom-center",
    "bottom-right", "bottom-right-corner", "left-top", "left-middle", "left-bottom",
    "right-top", "right-middle", "right-bottom",
};

// At-rules whose block holds rules (declarations when nested in a style rule), and whether an
// empty one may be dropped (an empty @layer still orders layers, so it stays).
struct GroupAtRule {
    std::string_view name;
    bool drop_when_empty;
};
constexpr GroupAtRule kGroupAtRules[] = {
    {"media", true},      {"supports", true}, {"document", true},       {"container", true},
    {"layer", false},     {"scope", false},   {"starting-style", false}, {"keyframes", false},
};

// ---------------------------------------------------------------------------------------
// Byte classes of the tokenizer.

// One table of the classes of every byte value, as bits: the tokenizer asks for each byte it
// reads, and a load and a test are cheaper than the comparisons they stand for.
enum ByteClass : uint8_t {
    kNewline = 1, kSpace = 2, kDigit = 4, kHexDigit = 8, kNameStart = 16, kNameByte = 32,
    kNonPrintable = 64, kStringSpecial = 128,
};
constexpr auto kByteClasses = [] {
    std::array<uint8_t, 256> classes{};
    for (unsigned c = 0; c < 256; ++c) {
        uint8_t k = 0;
        if (c == '\n' || c == '\r' || c == '\f') k |= kNewline | kSpace;
        if (c == ' ' || c == '\t') k |= kSpace;
        if (c >= '0' && c <= '9') k |= kDigit | kHexDigit | kNameByte;
        if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) k |= kHexDigit;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80 || c == 0)
            k |= kNameStart | kNameByte;
        if (c == '-') k |= kNameByte;
        if (c <= 0x08 || c == 0x0B || (c >= 0x0E && c <= 0x1F) || c == 0x7F) k |= kNonPrintable;
        if (c == '"' || c == '\'' || c == '\\' || c == '\n' || c == '\r' || c == '\f')
            k |= kStringSpecial;  // what a string's body stops at
        classes[c] = k;
    }
    return classes;
}();
bool Is(unsigned char c, uint8_t classes) { return (kByteClasses[c] & classes) != 0; }
bool IsNewline(unsigned char c) { return Is(c, kNewline); }
bool IsSpace(unsigned char c) { return Is(c, kSpace); }
bool IsDigit(unsigned char c) { return Is(c, kDigit); }
bool IsHex(unsigned char c) { return Is(c, kHexDigit); }
bool IsNameStart(unsigned char c) { return Is(c, kNameStart); }
bool IsName(unsigned char c) { return Is(c, kNameByte); }
bool IsNonPrintable(unsigned char c) { return Is(c, kNonPrintable); }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (Lower(a[k]) != Lower(b[k])) return false;
    return true;
}
template <size_t N>
bool InList(const std::string_view (&list)[N], std::string_view s) {
    return std::find(std::begin(list), std::end(list), s) != std::end(list);
}

// A list of names as an open-addressed table, for the lists looked up for every declaration
// or colour word: a name costs a hash of its length and three bytes and, mostly, no
// comparison. Find gives the name's place in the list.
template <size_t kSlots>
class NameIndex {
public:
    template <typename Names>
    constexpr explicit NameIndex(const Names& names) {
        static_assert(std::size(Names{}) < kSlots / 2);
        int place = 0;
        for (const std::string_view name : names) {
            size_t slot = Hash(name);
            while (!slots_[slot].empty()) slot = (slot + 1) % kSlots;
            slots_[slot] = name;
            places_[slot] = place++;
        }
    }
    constexpr int Find(std::string_view name) const {
        if (name.empty()) return -1;
        for (size_t slot = Hash(name); !slots_[slot].empty(); slot = (slot + 1) % kSlots)
            if (slots_[slot] == name) return places_[slot];
        return -1;
    }
    constexpr bool Contains(std::string_view name) const { return Find(name) >= 0; }

private:
    static constexpr size_t Hash(std::string_view name) {
        if (name.empty()) return 0;
        const auto byte = [name](size_t k) { return static_cast<size_t>(static_cast<unsigned char>(name[k])); };
        return (name.size() * 37 + byte(0) * 11 + byte(name.size() / 2) * 5 + byte(name.size() - 1)) % kSlots;
    }
    std::array<std::string_view, kSlots> slots_{};
    std::array<int, kSlots> places_{};
};
using NameSet = NameIndex<64>;
constexpr NameSet kColourPropertySet(kColourProperties);
constexpr NameSet kKeepZeroUnitPropertySet(kKeepZeroUnitProperties);
constexpr NameSet kOpaqueValuePropertySet(kOpaqueValueProperties);

// A name in lower case, on the stack. The names looked up in the tables above are short: one
// longer than the buffer matches none of them and is not copied (fits() is false).
class LowerName {
public:
    explicit LowerName(std::string_view s) : size_(s.size() <= sizeof text_ ? s.size() : 0) {
        fits_ = s.size() <= sizeof text_;
        for (size_t k = 0; k < size_; ++k) text_[k] = Lower(s[k]);
    }
    bool fits() const { return fits_; }
    std::string_view view() const { return {text_, size_}; }
    // Without a vendor prefix ("-webkit-"): what follows the prefix's second "-".
    std::string_view WithoutVendorPrefix() const {
        const std::string_view name = view();
        if (name.size() > 1 && name[0] == '-') {
            const size_t dash = name.find('-', 1);
            if (dash != std::string_view::npos) return name.substr(dash + 1);
        }
        return name;
    }

private:
    char text_[48];
    size_t size_;
    bool fits_;
};

// The colour keywords indexed once by value, with the shortest name (the first of the table
// among names as short) first.
constexpr uint32_t HexValue(std::string_view hex) {
    uint32_t v = 0;
    for (const char c : hex) v = v * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    return v;
}
struct ColourIndex {
    std::array<uint8_t, std::size(kColours)> by_value{};
    std::array<uint32_t, std::size(kColours)> values{};  // the values in by_value's order
};
constexpr ColourIndex kColourIndex = [] {
    ColourIndex index;
    for (size_t k = 0; k < std::size(kColours); ++k) index.by_value[k] = static_cast<uint8_t>(k);
    std::sort(index.by_value.begin(), index.by_value.end(), [](uint8_t a, uint8_t b) {
        const uint32_t va = HexValue(kColours[a].value.substr(1));
        const uint32_t vb = HexValue(kColours[b].value.substr(1));
        if (va != vb) return va < vb;
        if (kColours[a].name.size() != kColours[b].name.size())
            return kColours[a].name.size() < kColours[b].name.size();
        return a < b;
    });
    for (size_t k = 0; k < std::size(kColours); ++k)
        index.values[k] = HexValue(kColours[index.by_value[k]].value.substr(1));
    return index;
}();
constexpr size_t kLongestColourName = [] {
    size_t longest = 0;
    for (const NamedColour& c : kColours) longest = std::max(longest, c.name.size());
    return longest;
}();

constexpr NameIndex<512> kColourNames([] {
    std::array<std::string_view, std::size(kColours)> names{};
    for (size_t k = 0; k < std::size(kColours); ++k) names[k] = kColours[k].name;
    return names;
}());

// The keyword named |lower| (in lower case), or null.
const NamedColour* FindColour(std::string_view lower) {
    const int k = kColourNames.Find(lower);
    return k < 0 ? nullptr : &kColours[k];
}
// The shortest keyword of colour value |value| (0xRRGGBB), or empty.
std::string_view ShortestColourName(uint32_t value) {
    const auto it = std::lower_bound(kColourIndex.values.begin(), kColourIndex.values.end(), value);
    if (it == kColourIndex.values.end() || *it != value) return {};
    return kColours[kColourIndex.by_value[it - kColourIndex.values.begin()]].name;
}

class Tokenizer {
public:
    explicit Tokenizer(std::string_view s) : s_(s) {}

    bool Run(std::vector<CssToken>& out) {
        CssToken t;
        while (Read(t)) out.push_back(t);
        return !failed_;
    }

    // Reads the next token; false at the end of the text or where it cannot be read (then
    // failed() is true).
    bool Read(CssToken& t) {
        if (p_ >= s_.size() || failed_) return false;
        const uint32_t begin = static_cast<uint32_t>(p_);
        CssTok kind;
        uint32_t unit = 0;
        if (!Next(kind, unit)) {
            failed_ = true;
            return false;
        }
        const uint32_t end = static_cast<uint32_t>(p_);
        t = {kind, begin, end, unit ? unit : end};
        return true;
    }
    bool failed() const { return failed_; }

private:
    unsigned char At(size_t k) const {
        return k < s_.size() ? static_cast<unsigned char>(s_[k]) : 0xFF;  // 0xFF: past the end
    }
    bool End(size_t k) const { return k >= s_.size(); }
    bool ValidEscape(size_t k) const { return At(k) == '\\' && (End(k + 1) || !IsNewline(At(k + 1))); }
    bool NameStartAt(size_t k) const { return !End(k) && IsNameStart(At(k)); }
    bool NameAt(size_t k) const { return !End(k) && IsName(At(k)); }
    bool StartsIdent(size_t k) const {
        if (At(k) == '-' && !End(k))
            return NameStartAt(k + 1) || At(k + 1) == '-' || ValidEscape(k + 1);
        if (NameStartAt(k)) return true;
        return ValidEscape(k);
    }
    bool StartsNumber(size_t k) const {
        unsigned char c = At(k);
        if (End(k)) return false;
        if (c == '+' || c == '-') {
            return (!End(k + 1) && IsDigit(At(k + 1))) ||
                   (At(k + 1) == '.' && !End(k + 2) && IsDigit(At(k + 2)));
        }
        if (c == '.') return !End(k + 1) && IsDigit(At(k + 1));
        return IsDigit(c);
    }
    void ConsumeEscape() {  // p_ at the backslash
        ++p_;
        if (End(p_)) return;
        if (IsHex(At(p_))) {
            for (int n = 0; n < 6 && !End(p_) && IsHex(At(p_)); ++n) ++p_;
            if (At(p_) == '\r' && At(p_ + 1) == '\n') p_ += 2;
            else if (!End(p_) && IsSpace(At(p_))) ++p_;
            return;
        }
        ++p_;
        while (!End(p_) && (At(p_) & 0xC0) == 0x80) ++p_;  // the rest of a UTF-8 character
    }
    // Moves p_ past the bytes of class |classes| from p_ on.
    void Skip(uint8_t classes) {
        const char* text = s_.data();
        size_t p = p_;
        while (p < s_.size() && Is(static_cast<unsigned char>(text[p]), classes)) ++p;
        p_ = p;
    }
    void ConsumeName() {
        for (;;) {
            Skip(kNameByte);
            if (ValidEscape(p_)) ConsumeEscape();
            else return;
        }
    }
    void ConsumeDigits() { Skip(kDigit); }
    void ConsumeNumeric(CssTok& kind, uint32_t& unit) {
        if (At(p_) == '+' || At(p_) == '-') ++p_;
        ConsumeDigits();
        if (At(p_) == '.' && !End(p_ + 1) && IsDigit(At(p_ + 1))) { ++p_; ConsumeDigits(); }
        if ((At(p_) == 'e' || At(p_) == 'E') && !End(p_ + 1)) {
            size_t k = p_ + 1;
            if ((At(k) == '+' || At(k) == '-') && !End(k + 1)) ++k;
            if (!End(k) && IsDigit(At(k))) { p_ = k; ConsumeDigits(); }
        }
        unit = static_cast<uint32_t>(p_);
        if (StartsIdent(p_)) { ConsumeName(); kind = CssTok::Dimension; }
        else if (At(p_) == '%' && !End(p_)) { ++p_; kind = CssTok::Percentage; }
        else kind = CssTok::Number;
    }
    bool ConsumeString(unsigned char quote, CssTok& kind) {
        ++p_;
        while (!End(p_)) {
            while (!End(p_) && !Is(At(p_), kStringSpecial)) ++p_;
            if (End(p_)) break;
            unsigned char c = At(p_);
            if (c == quote) { ++p_; kind = CssTok::String; return true; }
            if (IsNewline(c)) return false;  // a bad string
            if (c == '\\') {
                if (End(p_ + 1)) { ++p_; break; }
                if (At(p_ + 1) == '\r' && At(p_ + 2) == '\n') p_ += 3;
                else ConsumeEscape();
                continue;
            }
            ++p_;
        }
        kind = CssTok::String;  // closed by the end of the sheet
        return true;
    }
    bool ConsumeUrl(CssTok& kind) {  // p_ after "url("
        while (!End(p_) && IsSpace(At(p_))) ++p_;
        while (!End(p_)) {
            unsigned char c = At(p_);
            if (c == ')') { ++p_; kind = CssTok::Url; return true; }
            if (IsSpace(c)) {
                while (!End(p_) && IsSpace(At(p_))) ++p_;
                if (End(p_)) break;
                if (At(p_) == ')') { ++p_; kind = CssTok::Url; return true; }
                return false;  // a bad url
            }
            if (c == '"' || c == '\'' || c == '(' || IsNonPrintable(c)) return false;
            if (c == '\\') {
                if (!ValidEscape(p_)) return false;
                ConsumeEscape();
                continue;
            }
            ++p_;
        }
        kind = CssTok::Url;
        return true;
    }
    bool ConsumeIdentLike(CssTok& kind) {
        const size_t begin = p_;
        ConsumeName();
        if (At(p_) == '(' && !End(p_)) {
            ++p_;
            if (EqualsIgnoreCase(s_.substr(begin, p_ - begin), "url(")) {
                while (!End(p_ + 1) && IsSpace(At(p_)) && IsSpace(At(p_ + 1))) ++p_;
                size_t k = p_;
                if (!End(k) && IsSpace(At(k))) ++k;
                if (At(k) == '"' || At(k) == '\'') { kind = CssTok::Function; return true; }
                return ConsumeUrl(kind);
            }
            kind = CssTok::Function;
            return true;
        }
        kind = CssTok::Ident;
        return true;
    }
    bool Next(CssTok& kind, uint32_t& unit) {  // p_ before the end
        const unsigned char c = At(p_);
        // The commonest first: names, then the bytes that are always a token of their own.
        if (IsNameStart(c)) return ConsumeIdentLike(kind);
        switch (c) {
            case '(': ++p_; kind = CssTok::LParen; return true;
            case ')': ++p_; kind = CssTok::RParen; return true;
            case '[': ++p_; kind = CssTok::LBracket; return true;
            case ']': ++p_; kind = CssTok::RBracket; return true;
            case '{': ++p_; kind = CssTok::LBrace; return true;
            case '}': ++p_; kind = CssTok::RBrace; return true;
            case ',': ++p_; kind = CssTok::Comma; return true;
            case ':': ++p_; kind = CssTok::Colon; return true;
            case ';': ++p_; kind = CssTok::Semicolon; return true;
            default: break;
        }
        if (c == '/' && At(p_ + 1) == '*') {
            const size_t close = s_.find("*/", p_ + 2);
            if (close == std::string_view::npos) return false;
            p_ = close + 2;
            kind = CssTok::Comment;
            return true;
        }
        if (IsSpace(c)) {
            Skip(kSpace);
            kind = CssTok::Whitespace;
            return true;
        }
        if (c == '"' || c == '\'') return ConsumeString(c, kind);
        if (c == '#' && (NameAt(p_ + 1) || ValidEscape(p_ + 1))) {
            ++p_;
            ConsumeName();
            kind = CssTok::Hash;
            return true;
        }
        if (StartsNumber(p_)) { ConsumeNumeric(kind, unit); return true; }
        if (c == '-' && At(p_ + 1) == '-' && At(p_ + 2) == '>') {
            p_ += 3;
            kind = CssTok::CDC;
            return true;
        }
        if (StartsIdent(p_)) return ConsumeIdentLike(kind);
        if (c == '<' && s_.substr(p_, 4) == "<!--") {
            p_ += 4;
            kind = CssTok::CDO;
            return true;
        }
        if (c == '@' && StartsIdent(p_ + 1)) {
            ++p_;
            ConsumeName();
            kind = CssTok::AtKeyword;
            return true;
        }
        ++p_;
        kind = CssTok::Delim;  // one ASCII byte: all others begin names
        return true;
    }

    std::string_view s_;
    size_t p_ = 0;
    bool failed_ = false;
};

// The tokens of a sheet, read as the minifier asks for them. Only the tokens from the one
// before the minifier's position on are kept (the walk never goes further back), so a sheet
// costs a few tokens beyond its longest look-ahead, not a list of all its tokens. A backslash
// standing alone before a line end (always invalid; any other white space after it would make
// an escape) fails the sheet like text the tokenizer cannot read: it is then left as it is.
class TokenStream {
public:
    TokenStream(std::string_view css, const size_t& position)
        : css_(css), tokenizer_(css), position_(position) {}

    // Whether token |k| exists, reading up to it.
    bool Has(size_t k) { return k < end_ || Read(k); }
    // Token |k| by value: reading further may move the tokens kept.
    CssToken operator[](size_t k) const { return ring_[k & mask_]; }
    bool failed() const { return failed_ || tokenizer_.failed(); }

private:
    // Reads up to token |k| and, while the ring has room, a few beyond it, so that one call
    // serves several tokens. (Reading ahead changes nothing the minifier sees: a token that
    // fails the sheet still ends the tokens where it stands.)
    bool Read(size_t k) {
        if (failed_) return false;
        if (position_ > base_ + 1) base_ = std::min(position_ - 1, end_);
        while (end_ < k + kReadAhead) {
            if (end_ - base_ > mask_) {
                if (end_ > k) break;
                Grow();
            }
            CssToken t;
            if (!tokenizer_.Read(t)) break;
            if (t.kind == CssTok::Delim && css_[t.begin] == '\\') {
                failed_ = true;
                break;
            }
            ring_[end_++ & mask_] = t;
        }
        return k < end_;
    }
    static constexpr size_t kReadAhead = 8;
    // Doubles the ring, each kept token moving to its place in the larger one.
    void Grow() {
        const size_t size = (mask_ + 1) * 2;
        auto ring = std::make_unique<CssToken[]>(size);
        for (size_t k = base_; k < end_; ++k) ring[k & (size - 1)] = ring_[k & mask_];
        heap_ = std::move(ring);
        ring_ = heap_.get();
        mask_ = size - 1;
    }

    std::string_view css_;
    Tokenizer tokenizer_;
    const size_t& position_;  // the minifier's next token
    // Tokens base_ to end_ - 1 in a ring: token k at k & mask_. Short texts (a style attribute)
    // never leave the ring inside the object.
    CssToken inline_[32];
    std::unique_ptr<CssToken[]> heap_;
    CssToken* ring_ = inline_;
    size_t mask_ = std::size(inline_) - 1;
    size_t base_ = 0;  // the number of the first token kept
    size_t end_ = 0;   // the number of the first token not read yet
    bool failed_ = false;
};

// ---------------------------------------------------------------------------------------
// The minifier.

bool IsIdentLikeKind(CssTok k) {
    return k == CssTok::Ident || k == CssTok::Function || k == CssTok::Url ||
           k == CssTok::BadUrl;
}
bool IsNumericKind(CssTok k) {
    return k == CssTok::Number || k == CssTok::Percentage || k == CssTok::Dimension;
}

// Whether two tokens written side by side would be read as something else, so that a space
// (or an empty comment) must stay between them.
bool NeedsSeparator(CssTok a, char ad, CssTok b, char bd) {
    const bool b_word = IsIdentLikeKind(b) || IsNumericKind(b) || (b == CssTok::Delim && bd == '-');
    switch (a) {
        case CssTok::Ident:
            return b_word || b == CssTok::CDC || b == CssTok::LParen;
        case CssTok::AtKeyword:
        case CssTok::Hash:
        case CssTok::Dimension:
            return b_word || b == CssTok::CDC;
        case CssTok::Number:
            return b_word || (b == CssTok::Delim && bd == '%');
        case CssTok::Delim:
            switch (ad) {
                case '#': case '-': return b_word || b == CssTok::CDC;
                case '@': return IsIdentLikeKind(b) || (b == CssTok::Delim && bd == '-');
                case '.': case '+': return IsNumericKind(b);
                case '/': return (b == CssTok::Delim && bd == '*') || b == CssTok::Comment;
                case '<': return b == CssTok::Delim && bd == '!';
                case '$': case '*': case '^': case '~': return b == CssTok::Delim && bd == '=';
                case '|': return b == CssTok::Delim && (bd == '=' || bd == '|');
                default: return false;
            }
        default:
            return false;
    }
}

enum class Ctx : uint8_t { Selector, AtPrelude, Value, CustomValue, Raw };

// What a walk needs to know about the declaration whose value it writes.
struct Property {
    bool colours = false;     // hex colours may be shortened
    bool colour_names = false;  // colour names may be written as hex
    bool zero_units = false;  // zero lengths may lose their unit
    bool numbers = false;     // numbers may lose leading and trailing zeros
    bool weight = false;      // a font-weight: its keywords may be written as numbers
};

// Where the minifier writes: the end of the caller's string, grown ahead of the writing (by
// the size of the input, which the result does not pass unless it is given up) so that a
// token costs a bounds check and a copy. Finish() cuts the string to what was written.
class Output {
public:
    Output(std::string& s, size_t expected) : s_(s), size_(s.size()) { s_.resize(size_ + expected); }

    void Finish() { s_.resize(size_); }
    size_t size() const { return size_; }
    char back() const { return s_[size_ - 1]; }
    void TakeBack(size_t size) { size_ = size; }
    void Append(std::string_view text) {
        if (text.size() > s_.size() - size_) s_.resize(size_ + text.size() + 256);
        std::memcpy(s_.data() + size_, text.data(), text.size());
        size_ += text.size();
    }
    void Append(char c) { Append(std::string_view(&c, 1)); }

private:
    std::string& s_;
    size_t size_;
};

class Minifier {
public:
    // Writes after what |out| holds already; Finish() ends the writing.
    Minifier(std::string_view src, std::string& out)
        : s_(src), t_(src, i_), out_(out, src.size()) {}
    void Finish() { out_.Finish(); }

    bool Sheet() {
        RuleList(true);
        return !failed_ && !t_.Has(i_) && !t_.failed();
    }
    bool Declarations() {
        DeclarationList(true);
        return !failed_ && !t_.Has(i_) && !t_.failed();
    }

private:
    struct Mark {
        size_t size;
        CssTok last;
        char last_delim;
        bool has_last;
    };

    bool AtEnd() { return failed_ || !t_.Has(i_); }
    CssTok Kind() const { return t_[i_].kind; }
    std::string_view Text(const CssToken& t) const { return {s_.data() + t.begin, t.end - t.begin}; }
    char DelimOf(const CssToken& t) const { return t.kind == CssTok::Delim ? s_[t.begin] : 0; }
    bool IsDelim(size_t k, char c) {
        return t_.Has(k) && t_[k].kind == CssTok::Delim && s_[t_[k].begin] == c;
    }

    Mark Save() const { return {out_.size(), last_, last_delim_, has_last_}; }
    void Restore(const Mark& m) {
        out_.TakeBack(m.size);
        last_ = m.last;
        last_delim_ = m.last_delim;
        has_last_ = m.has_last;
        want_space_ = gap_space_ = gap_comment_ = false;
    }

    // Writes a token (or its rewritten text) with the separator the previous one needs.
    // Tokens that were next to each other in the input stay so (they did not merge there,
    // as in "u+0370-03ff"), unless one of them was rewritten.
    void Put(CssTok kind, char delim, std::string_view text, bool rewritten = false) {
        if (has_last_) {
            if (want_space_) out_.Append(' ');
            else if ((gap_space_ || gap_comment_ || rewritten || last_rewritten_) &&
                     (NeedsSeparator(last_, last_delim_, kind, delim) ||
                      (out_.back() == '-' && delim == '>')))  // "--" and ">" make "-->"
                out_.Append(gap_space_ ? " " : "/**/");
        }
        out_.Append(text);
        last_ = kind;
        last_delim_ = delim;
        last_rewritten_ = rewritten;
        has_last_ = true;
        want_space_ = gap_space_ = gap_comment_ = false;
    }
    void PutToken() {
        const CssToken& t = t_[i_++];
        Put(t.kind, DelimOf(t), Text(t));
    }
    void PutRaw(CssTok kind, std::string_view text) { Put(kind, 0, text); }

    // Skips white space and comments, writing the comments that must stay ("/*!"). Returns
    // whether white space was skipped.
    bool SkipTrivia() {
        bool space = false;
        while (!AtEnd()) {
            const CssToken& t = t_[i_];
            if (t.kind == CssTok::Whitespace) {
                space = gap_space_ = true;
                ++i_;
            } else if (t.kind == CssTok::Comment) {
                if (t.end - t.begin >= 5 && s_[t.begin + 2] == '!') {
                    if (space && has_last_ && !Structural(last_)) want_space_ = true;
                    PutToken();
                } else {
                    gap_comment_ = true;
                    ++i_;
                }
            } else {
                break;
            }
        }
        return space;
    }

    // Tokens next to which white space never means anything.
    static bool Structural(CssTok k) {
        return k == CssTok::Comma || k == CssTok::LBrace || k == CssTok::RBrace ||
               k == CssTok::Semicolon;
    }
    static bool Opens(CssTok k) {
        return k == CssTok::Function || k == CssTok::LParen || k == CssTok::LBracket ||
               k == CssTok::LBrace;
    }
    static bool Closes(CssTok k) {
        return k == CssTok::RParen || k == CssTok::RBracket || k == CssTok::RBrace;
    }
    static CssTok CloserOf(CssTok open) {
        if (open == CssTok::LBracket) return CssTok::RBracket;
        if (open == CssTok::LBrace) return CssTok::RBrace;
        return CssTok::RParen;
    }

    // Whether white space between the last written token and |next| carries no meaning.
    bool SpaceDroppable(Ctx ctx, const CssToken& next, const std::vector<CssTok>& open) const {
        const CssTok a = last_;
        const CssTok b = next.kind;
        if (Structural(a) || Structural(b)) return ctx != Ctx::CustomValue;
        if (ctx == Ctx::CustomValue || ctx == Ctx::Raw) return false;
        if (a == CssTok::Function || a == CssTok::LParen || a == CssTok::LBracket ||
            b == CssTok::RParen || b == CssTok::RBracket)
            return true;
        const char ad = last_delim_;
        const char bd = DelimOf(next);
        switch (ctx) {
            case Ctx::Selector:
                return open.empty() && (ad == '>' || ad == '+' || ad == '~' || bd == '>' ||
                                        bd == '+' || bd == '~');
            case Ctx::Value:
                return ad == '!' || bd == '!' || ad == '/' || bd == '/';
            case Ctx::AtPrelude:
                return !open.empty() && open.back() == CssTok::LParen &&
                       (a == CssTok::Colon || b == CssTok::Colon);
            default:
                return false;
        }
    }

    // Writes component values up to (not including) a token of |stops| at nesting depth 0.
    // Nested blocks are written whole; a closing bracket without its opener fails the walk.
    void Components(Ctx ctx, std::initializer_list<CssTok> stops, const Property& prop = {}) {
        uint32_t stop_kinds = 0;  // a bit for each kind in |stops|
        for (const CssTok k : stops) stop_kinds |= 1u << static_cast<unsigned>(k);
        std::vector<CssTok>& open = open_;  // never called again before it returns
        open.clear();
        bool first = true;
        for (;;) {
            const bool space = SkipTrivia();
            if (AtEnd()) return;
            const CssToken& t = t_[i_];
            if (open.empty() && (stop_kinds >> static_cast<unsigned>(t.kind) & 1))
                return;
            if (space && !first && has_last_ && !SpaceDroppable(ctx, t, open)) want_space_ = true;
            first = false;
            if (Closes(t.kind)) {
                if (open.empty() || CloserOf(open.back()) != t.kind) { failed_ = true; return; }
                open.pop_back();
                PutToken();
                continue;
            }
            if (t.kind == CssTok::Function && ctx != Ctx::Raw &&
                EqualsIgnoreCase(Text(t), "url(")) {
                CopyFunction();
                continue;
            }
            if (ctx == Ctx::Value && t.kind == CssTok::Function && prop.colours) {
                if (const size_t after = OpaqueRgbEnd(i_)) {
                    const std::string hex = RgbAsHex(i_);
                    const std::string_view colour = ShortColour(hex, colour_);
                    i_ = after;
                    Put(colour[0] == '#' ? CssTok::Hash : CssTok::Ident, 0, colour, true);
                    continue;
                }
            }
            if (Opens(t.kind)) {
                open.push_back(t.kind == CssTok::Function ? CssTok::Function : t.kind);
                PutToken();
                continue;
            }
            if (ctx == Ctx::Selector && t.kind == CssTok::String && !open.empty() &&
                open.back() == CssTok::LBracket && last_ == CssTok::Delim && last_delim_ == '=') {
                if (const std::string_view name = UnquotedAttributeValue(i_); !name.empty()) {
                    ++i_;
                    Put(CssTok::Ident, 0, name, true);
                    continue;
                }
            }
            if (ctx == Ctx::Value) {
                if (t.kind == CssTok::Hash && prop.colours) {
                    ++i_;
                    const std::string_view colour = ShortColour(Text(t), colour_);
                    Put(colour[0] == '#' ? CssTok::Hash : CssTok::Ident, 0, colour, colour != Text(t));
                    continue;
                }
                // A name right after a delimiter ("$white") is not a colour keyword.
                if (t.kind == CssTok::Ident && prop.colour_names &&
                    !(has_last_ && last_ == CssTok::Delim && !space)) {
                    ++i_;
                    const std::string_view colour = ShortColourName(Text(t), colour_);
                    Put(colour[0] == '#' ? CssTok::Hash : CssTok::Ident, 0, colour,
                        colour != Text(t));
                    continue;
                }
                if (t.kind == CssTok::Ident && prop.weight && open.empty()) {
                    const auto w = std::find_if(std::begin(kWeightKeywords), std::end(kWeightKeywords),
                                                [&](const WeightKeyword& k) { return EqualsIgnoreCase(Text(t), k.keyword); });
                    if (w != std::end(kWeightKeywords)) {
                        ++i_;
                        Put(CssTok::Number, 0, w->number, true);
                        continue;
                    }
                }
                if (IsNumericKind(t.kind) && prop.numbers) {
                    ++i_;
                    const std::string_view text = ShortNumber(t, prop.zero_units && open.empty());
                    Put(text.size() == 1 && text[0] == '0' && t.kind == CssTok::Dimension
                            ? CssTok::Number : t.kind,
                        0, text, text != Text(t));
                    continue;
                }
            }
            PutToken();
        }
    }

    // The value of the attribute selector's string at token |k| ("[a="b"]") without its
    // quotes, where it reads as the same identifier that way and the selector's "]" follows:
    // a letter or "_" (after one "-" at most) and then letters, digits, "_" and "-". Else empty.
    std::string_view UnquotedAttributeValue(size_t k) {
        const std::string_view v = Text(t_[k]).substr(1, t_[k].end - t_[k].begin - 2);
        size_t p = v.size() > 1 && v[0] == '-' ? 1 : 0;
        auto letter = [](unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
        if (v.empty() || Text(t_[k]).back() != Text(t_[k]).front() ||
            !(letter(static_cast<unsigned char>(v[p])) || v[p] == '_'))
            return {};
        for (; p < v.size(); ++p) {
            const unsigned char c = static_cast<unsigned char>(v[p]);
            if (!letter(c) && !IsDigit(c) && c != '_' && c != '-') return {};
        }
        size_t next = k + 1;
        while (t_.Has(next) && (t_[next].kind == CssTok::Whitespace || t_[next].kind == CssTok::Comment)) ++next;
        return t_.Has(next) && t_[next].kind == CssTok::RBracket ? v : std::string_view();
    }

    // Copies a url("...") function byte for byte.
    void CopyFunction() {
        const uint32_t begin = t_[i_].begin;
        int depth = 0;
        while (!AtEnd()) {
            const CssTok k = Kind();
            if (Opens(k)) ++depth;
            if (Closes(k)) --depth;
            ++i_;
            if (depth == 0) {
                Put(CssTok::Function, 0, s_.substr(begin, t_[i_ - 1].end - begin));
                last_ = CssTok::RParen;
                return;
            }
        }
        failed_ = true;  // unclosed at the end of the sheet
    }

    // An opaque rgb() or rgba() of three whole numbers from 0 to 255 separated by commas,
    // with an alpha of 1 or 100% or none, starting at token |k|: the index after its ")", or
    // 0. Such a colour is exactly a hex colour (other forms are left as written).
    size_t OpaqueRgbEnd(size_t k) {
        const std::string_view name = Text(t_[k]);
        if (!EqualsIgnoreCase(name, "rgb(") && !EqualsIgnoreCase(name, "rgba(")) return 0;
        int values = 0;
        bool comma = true;  // a value may come next
        for (++k; t_.Has(k); ++k) {
            const CssToken& t = t_[k];
            const std::string_view text = Text(t);
            if (t.kind == CssTok::Whitespace) continue;
            if (t.kind == CssTok::RParen) return values >= 3 && !comma ? k + 1 : 0;
            if (t.kind == CssTok::Comma && !comma) {
                comma = true;
                continue;
            }
            if (!comma) return 0;
            comma = false;
            ++values;
            if (values <= 3) {
                if (t.kind != CssTok::Number || text.empty() || text.size() > 3 ||
                    !std::all_of(text.begin(), text.end(),
                                 [](char c) { return c >= '0' && c <= '9'; }) ||
                    std::stoi(std::string(text)) > 255)
                    return 0;
            } else if (values > 4 || !((t.kind == CssTok::Number && text == "1") ||
                                        (t.kind == CssTok::Percentage && text == "100%"))) {
                return 0;
            }
        }
        return 0;
    }

    // The "#rrggbb" of the colour OpaqueRgbEnd accepted at token |k|.
    std::string RgbAsHex(size_t k) const {
        static constexpr char kHexDigits[] = "0123456789abcdef";
        std::string hex = "#";
        for (++k; hex.size() < 7; ++k) {
            if (t_[k].kind != CssTok::Number) continue;
            const int v = std::stoi(std::string(Text(t_[k])));
            hex += kHexDigits[v >> 4];
            hex += kHexDigits[v & 15];
        }
        return hex;
    }

    // The shortest spelling of a hex colour: lower case, "#rgb" for "#rrggbb", no opaque
    // alpha, or the colour's name where that is shorter. A new spelling is written into
    // |buffer|; the result may also be |hash| itself or a keyword of the table.
    static std::string_view ShortColour(std::string_view hash, char (&buffer)[10]) {
        const std::string_view digits = hash.substr(1);
        size_t n = digits.size();
        if (n != 3 && n != 4 && n != 6 && n != 8) return hash;
        char* hex = buffer + 1;
        for (size_t k = 0; k < n; ++k) {
            if (!IsHex(static_cast<unsigned char>(digits[k]))) return hash;
            hex[k] = Lower(digits[k]);
        }
        if (n == 8 && hex[6] == 'f' && hex[7] == 'f') n = 6;
        if (n == 4 && hex[3] == 'f') n = 3;
        if ((n == 6 || n == 8) && hex[0] == hex[1] && hex[2] == hex[3] && hex[4] == hex[5] &&
            (n == 6 || hex[6] == hex[7])) {
            for (size_t k = 0; k < n; k += 2) hex[k / 2] = hex[k];
            n /= 2;
        }
        buffer[0] = '#';
        const std::string_view best(buffer, n + 1);
        if (n == 3 || n == 6) {
            char full[6];  // "rrggbb"
            for (size_t k = 0; k < 6; ++k) full[k] = n == 3 ? hex[k / 2] : hex[k];
            const std::string_view name = ShortestColourName(HexValue({full, 6}));
            if (!name.empty() && name.size() < best.size()) return name;
        }
        return best;
    }

    // A colour name written as its shortest hex form where that is shorter.
    static std::string_view ShortColourName(std::string_view name, char (&buffer)[10]) {
        if (name.size() > kLongestColourName) return name;
        const NamedColour* c = FindColour(LowerName(name).view());
        if (!c) return name;
        const std::string_view hex = ShortColour(c->value, buffer);
        return hex.size() < name.size() && hex[0] == '#' ? hex : name;
    }

    // Drops the leading zero and trailing fraction zeros of a number; a zero length becomes 0
    // when |zero_units| allows. Numbers with an exponent stay as written. (Whether a unit
    // reads as an exponent depends only on the bytes after the digits, which do not change.)
    // A new spelling is written into number_.
    std::string_view ShortNumber(const CssToken& t, bool zero_units) {
        const std::string_view num = s_.substr(t.begin, t.unit - t.begin);
        const std::string_view unit = s_.substr(t.unit, t.end - t.unit);
        if (!unit.empty() && unit[0] == '\\') return Text(t);
        // One pass over the number: a sign, digits, at most one "." (always followed by a
        // digit) and an exponent.
        std::string_view sign, digits = num;
        if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
            sign = digits.substr(0, 1);
            digits.remove_prefix(1);
        }
        size_t dot = std::string_view::npos;
        bool zero = true;
        for (size_t k = 0; k < digits.size(); ++k) {
            const char c = digits[k];
            if (c == 'e' || c == 'E') return Text(t);
            if (c == '.') dot = k;
            else if (c != '0') zero = false;
        }
        if (zero && zero_units && t.kind == CssTok::Dimension &&
            std::any_of(std::begin(kLengthUnits), std::end(kLengthUnits),
                        [unit](std::string_view u) { return EqualsIgnoreCase(unit, u); }))
            return "0";
        if (dot == std::string_view::npos || dot + 1 == digits.size()) return Text(t);
        std::string_view whole = digits.substr(0, dot);
        std::string_view frac = digits.substr(dot + 1);
        while (!frac.empty() && frac.back() == '0') frac.remove_suffix(1);
        number_.assign(sign);
        if (frac.empty()) {
            // An integer-valued number stays a <number> ("1.0" is not an <integer>).
            if (t.kind == CssTok::Number) return Text(t);
            number_ += whole.empty() ? std::string_view("0") : whole;
            number_ += unit;
            return number_;
        }
        while (whole.size() > 1 && whole[0] == '0') whole.remove_prefix(1);
        if (whole != "0") number_ += whole;
        number_ += '.';
        number_ += frac;
        number_ += unit;
        return number_;
    }

    // ---- rules

    void RuleList(bool top) {
        for (;;) {
            SkipTrivia();
            if (AtEnd()) return;
            const CssTok k = Kind();
            if (k == CssTok::RBrace) {
                if (top) failed_ = true;
                return;
            }
            if (top && (k == CssTok::CDO || k == CssTok::CDC)) { ++i_; continue; }
            if (k == CssTok::AtKeyword) AtRule(false);
            else QualifiedRule(true, top);
        }
    }

    // How a qualified rule ended: with its block, dropped as empty, or (nested) as a stray
    // statement without a block, such as the old "*zoom:1" hack.
    enum class RuleEnd { Block, Dropped, Stray };

    RuleEnd QualifiedRule(bool rule_list, bool top) {
        const Mark mark = Save();
        // In a list of rules a ";" belongs to the selector; a "}" at the top does not balance.
        if (rule_list) Components(Ctx::Selector, {CssTok::LBrace, CssTok::RBrace});
        else Components(Ctx::Selector, {CssTok::LBrace, CssTok::RBrace, CssTok::Semicolon});
        if (AtEnd() || Kind() != CssTok::LBrace) {
            if (!AtEnd() && top) failed_ = true;
            return RuleEnd::Stray;  // kept as written; at the end of a sheet it is ignored
        }
        PutToken();
        const size_t inner = out_.size();
        DeclarationList(false);
        if (AtEnd()) { failed_ = true; return RuleEnd::Block; }
        const bool empty = out_.size() == inner;
        SkipTrivia();
        PutToken();  // "}"
        if (!empty) return RuleEnd::Block;
        Restore(mark);
        return RuleEnd::Dropped;
    }

    void AtRule(bool nested) {
        const Mark mark = Save();
        const LowerName lower(Text(t_[i_]).substr(1));
        if (lower.fits() && lower.view() == "charset") {  // byte for byte: only its exact form is recognised
            const uint32_t begin = t_[i_].begin;
            while (!AtEnd() && Kind() != CssTok::Semicolon) ++i_;
            if (AtEnd()) { failed_ = true; return; }
            ++i_;
            PutRaw(CssTok::Semicolon, s_.substr(begin, t_[i_ - 1].end - begin));
            return;
        }
        // A name too long for the buffer is none of the listed ones.
        const std::string_view name = lower.fits() ? lower.WithoutVendorPrefix() : std::string_view();
        PutToken();
        Components(Ctx::AtPrelude, {CssTok::LBrace, CssTok::Semicolon, CssTok::RBrace});
        if (AtEnd() || Kind() == CssTok::RBrace) return;
        if (Kind() == CssTok::Semicolon) { PutToken(); return; }
        PutToken();  // "{"
        const size_t inner = out_.size();
        bool drop_when_empty = false;
        if (InList(kDeclarationBlockAtRules, name)) {
            DeclarationList(false);
        } else if (auto g = std::find_if(std::begin(kGroupAtRules), std::end(kGroupAtRules),
                                         [&](const GroupAtRule& r) { return r.name == name; });
                   g != std::end(kGroupAtRules)) {
            drop_when_empty = g->drop_when_empty;
            if (nested && name != "keyframes") DeclarationList(false);
            else RuleList(false);
        } else {
            Components(Ctx::Raw, {CssTok::RBrace});
        }
        if (AtEnd()) { failed_ = true; return; }
        const bool empty = out_.size() == inner;
        SkipTrivia();
        PutToken();  // "}"
        if (empty && drop_when_empty) Restore(mark);
    }

    // Statements of a block that holds declarations (and nested rules). Declarations are
    // joined by ";" written before the next one, so the last one and empty ones lose theirs.
    void DeclarationList(bool top) {
        bool pending = false;
        for (;;) {
            SkipTrivia();
            if (AtEnd()) {
                if (!top) failed_ = true;
                return;
            }
            const CssTok k = Kind();
            if (k == CssTok::RBrace) {
                if (top) failed_ = true;
                return;
            }
            if (k == CssTok::Semicolon) { ++i_; continue; }
            const Mark mark = Save();
            if (pending) PutRaw(CssTok::Semicolon, ";");
            if (k == CssTok::AtKeyword) {
                AtRule(true);
                pending = false;
            } else if (IsDeclaration()) {
                Declaration();
                pending = true;
            } else {
                const RuleEnd end = QualifiedRule(false, false);
                if (end == RuleEnd::Dropped) {
                    Restore(mark);  // the ";" written for it goes too; |pending| stays
                } else if (end == RuleEnd::Stray) {
                    pending = !AtEnd() && Kind() == CssTok::Semicolon;
                } else {
                    pending = false;
                }
            }
        }
    }

    // A statement is a declaration when it is "name:" and reaches ";" or "}" before any "{",
    // or is a custom property ("--name:"), whose value may hold blocks.
    bool IsDeclaration() {
        size_t k = i_;
        if (t_[k].kind != CssTok::Ident) return false;
        const bool custom = Text(t_[k]).substr(0, 2) == "--";
        ++k;
        while (t_.Has(k) && (t_[k].kind == CssTok::Whitespace || t_[k].kind == CssTok::Comment)) ++k;
        if (!t_.Has(k) || t_[k].kind != CssTok::Colon) return false;
        if (custom) return true;
        int depth = 0;
        for (; t_.Has(k); ++k) {
            const CssTok kind = t_[k].kind;
            if (depth == 0 && (kind == CssTok::Semicolon || kind == CssTok::RBrace)) return true;
            if (depth == 0 && kind == CssTok::LBrace) return false;
            if (Opens(kind)) ++depth;
            else if (Closes(kind)) --depth;
            if (depth < 0) return true;
        }
        return true;
    }

    void Declaration() {
        const std::string_view written = Text(t_[i_]);
        PutToken();
        SkipTrivia();
        gap_space_ = gap_comment_ = false;
        PutToken();  // ":"
        const bool space = SkipTrivia();
        gap_space_ = gap_comment_ = false;
        if (written.substr(0, 2) == "--") {
            const size_t before = out_.size();
            Components(Ctx::CustomValue, {CssTok::Semicolon, CssTok::RBrace});
            if (out_.size() == before && space) out_.Append(' ');  // "--x: ;" stays a value
            return;
        }
        Property prop;
        // A name too long for the buffer is none of the listed ones.
        const LowerName lower(written);
        const std::string_view name = lower.fits() ? lower.view() : std::string_view();
        const std::string_view base = lower.fits() ? lower.WithoutVendorPrefix() : std::string_view();
        const bool opaque = kOpaqueValuePropertySet.Contains(name);
        prop.colours = !opaque;
        prop.colour_names = !opaque && kColourPropertySet.Contains(base);
        prop.zero_units = !opaque && !kKeepZeroUnitPropertySet.Contains(base);
        prop.numbers = !opaque;
        prop.weight = base == "font-weight";
        Components(Ctx::Value, {CssTok::Semicolon, CssTok::RBrace}, prop);
    }

    std::string_view s_;
    size_t i_ = 0;  // the next token (declared before t_, which keeps a reference to it)
    TokenStream t_;
    bool failed_ = false;
    Output out_;
    CssTok last_ = CssTok::Whitespace;
    char last_delim_ = 0;
    bool has_last_ = false;
    bool last_rewritten_ = false;
    bool want_space_ = false;   // white space kept between the last token and the next
    bool gap_space_ = false;    // white space dropped since the last token
    bool gap_comment_ = false;  // a comment dropped since the last token
    char colour_[10];           // a colour's new spelling
    std::string number_;        // a number's new spelling
    std::vector<CssTok> open_;  // the blocks and functions Components is inside
};

bool ContainsStyleEnd(std::string_view s) {
    for (size_t k = s.find("</"); k != std::string_view::npos; k = s.find("</", k + 1))
        if (EqualsIgnoreCase(s.substr(k + 2, 5), "style")) return true;
    return false;
}

// Appends the minified sheet to |out|, or |css| as it is when the walk fails, the result is
// longer or it would end the element early.
template <typename Walk>
void AppendMinified(std::string_view css, Walk walk, std::string& out) {
    const size_t start = out.size();
    if (css.size() < UINT32_MAX) {
        Minifier m(css, out);
        const bool read = walk(m);
        m.Finish();
        if (read) {
            const std::string_view written(out.data() + start, out.size() - start);
            if (written.size() <= css.size() && !ContainsStyleEnd(written)) return;
        }
    }
    out.resize(start);
    out.append(css);
}

}  // namespace

bool TokenizeCss(std::string_view css, std::vector<CssToken>& tokens) {
    return Tokenizer(css).Run(tokens);
}

void AppendMinifiedStyleSheet(std::string_view css, std::string& out) {
    AppendMinified(css, [](Minifier& m) { return m.Sheet(); }, out);
}

std::string MinifyStyleSheet(std::string_view css) {
    std::string out;
    AppendMinifiedStyleSheet(css, out);
    return out;
}

void AppendMinifiedStyleDeclarations(std::string_view css, std::string& out) {
    AppendMinified(css, [](Minifier& m) { return m.Declarations(); }, out);
}

std::string MinifyStyleDeclarations(std::string_view css) {
    std::string out;
    AppendMinifiedStyleDeclarations(css, out);
    return out;
}

}  // namespace tsqz::web
