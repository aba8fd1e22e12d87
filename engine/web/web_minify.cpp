// The web template: one pass over the tokens of a page, writing each token in its shortest form
// that leaves the parsed document and its rendering as they were.
//
// Decisions that depend on what follows (white space before a block, an end tag the next tag
// implies) wait for the next significant token: text and removed comments are gathered into
// one group, and an omissible tag is held back until the token after it is known.
#include "web/web_minify.h"

#include "text/byte_scan.h"
#include "text/text.h"
#include "web/css_minify.h"
#include "web/js_minify.h"
#include "web/page_facts.h"
#include "web/web_tables.h"
#include "web/web_tokenizer.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstring>
#include <unordered_set>

namespace tsqz::web {

namespace {

constexpr std::string_view kRuleNames[] = {
    "Whitespace", "OptionalTags", "AttributeQuotes", "BooleanAttributes", "DefaultAttributes",
    "CharacterReferences", "Comments", "Doctype", "TagSpace", "MinifyStyles", "MinifyScripts",
};
static_assert(std::size(kRuleNames) == kWebRuleCount);

bool IsAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The browser turns CR LF and lone CR into LF before its parser reads the page, so scripts
// and style sheets only ever see LF; the minifiers get the text as they would see it.
std::string_view WithLineFeeds(std::string_view text, std::string& buffer) {
    if (text.find('\r') == std::string_view::npos) return text;
    buffer.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            buffer.push_back(text[i]);
            continue;
        }
        buffer.push_back('\n');
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return buffer;
}

// True when the end of `before` and the start of `after` would be read as one thing if the
// engine dropped what stands between them: "<" or "&" with what follows (a tag, a reference),
// or an unfinished UTF-8 sequence with a continuation byte (the browser decodes the page
// before it parses it, so the bytes would make one broken character where each side gave its
// own).
bool ReadTogether(std::string_view before, std::string_view after) {
    if (after.empty() || before.empty()) return false;
    if (before.back() == '<' || before.back() == '&') return true;
    // A reference begun and not finished ("&#x", "&am") goes on with letters, digits or ";".
    if (IsAsciiAlnum(after[0]) || after[0] == ';') {
        size_t k = before.size();
        while (k > 0 && before.size() - k < 40 && (IsAsciiAlnum(before[k - 1]) || before[k - 1] == '#')) --k;
        if (k > 0 && k < before.size() && before[k - 1] == '&') return true;
    }
    if ((static_cast<unsigned char>(after[0]) & 0xC0) != 0x80) return false;
    for (size_t k = 1; k <= 3 && k <= before.size(); ++k) {
        unsigned char c = static_cast<unsigned char>(before[before.size() - k]);
        if ((c & 0xC0) == 0x80) continue;  // a continuation byte: look further back
        size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
        return k < length;
    }
    return false;
}

// The length of a character reference at s[p] that the parser reads as a white-space
// character (tab, line feed, form feed, carriage return, space), with or without its ";"
// ("&#10", "&#x20;", "&NewLine;"), with the character in `ch`; 0 for anything else. The tree
// builder treats such a character as it treats the byte itself.
size_t SpaceReferenceLength(std::string_view s, size_t p, char& ch) {
    if (s.compare(p, 2, "&#") != 0) {
        for (auto [name, c] : {std::pair<std::string_view, char>{"&Tab;", '\t'}, {"&NewLine;", '\n'}})
            if (s.compare(p, name.size(), name) == 0) {
                ch = c;
                return name.size();
            }
        return 0;
    }
    size_t q = p + 2;
    const bool hex = q < s.size() && (s[q] == 'x' || s[q] == 'X');
    if (hex) ++q;
    const size_t digits = q;
    uint32_t cp = 0;
    while (q < s.size() &&
           (hex ? std::isxdigit(static_cast<unsigned char>(s[q])) : std::isdigit(static_cast<unsigned char>(s[q])))) {
        if (cp < 0x10000)
            cp = cp * (hex ? 16 : 10) +
                 (std::isdigit(static_cast<unsigned char>(s[q])) ? s[q] - '0' : LowerAscii(s[q]) - 'a' + 10);
        ++q;
    }
    if (q == digits || !(cp == '\t' || cp == '\n' || cp == '\f' || cp == '\r' || cp == ' ')) return 0;
    if (q < s.size() && s[q] == ';') ++q;
    ch = static_cast<char>(cp);
    return q - p;
}

// Whether the parser reads `s` (text in the data state) as white space alone.
bool ReadsAsSpace(std::string_view s) {
    for (size_t p = 0; p < s.size();) {
        char ch = 0;
        if (IsHtmlSpace(s[p])) ++p;
        else if (size_t length = s[p] == '&' ? SpaceReferenceLength(s, p, ch) : 0) p += length;
        else return false;
    }
    return true;
}

// Whether, after white space (also written as references), the parser next meets a comment:
// one written back into `s` where a removed comment parted two texts, or else the next token.
// "</>" gives the parser no token. Other text is not a comment.
bool CommentAfterSpace(std::string_view s, bool next_comment) {
    for (size_t p = 0; p < s.size();) {
        char ch = 0;
        if (IsHtmlSpace(s[p])) ++p;
        else if (size_t length = s[p] == '&' ? SpaceReferenceLength(s, p, ch) : 0) p += length;
        else if (s.compare(p, 3, "</>") == 0) p += 3;
        else return s[p] == '<' && p + 1 < s.size() && (s[p + 1] == '!' || s[p + 1] == '?' || s[p + 1] == '/');
    }
    return next_comment;
}

// Control characters other than white space (and NUL) are read differently by parsers (some
// replace them with U+FFFD): text holding one is not minified.
bool HoldsControlCharacters(std::string_view text) {
    auto control_at = [&](size_t i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\f' && c != '\r') || c == 0x7F) return true;
        return c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80;
    };
    // Scripts and style sheets are long: eight bytes at a time are passed over when none of
    // them is below 0x20, 0x7F or 0xC2 (the lead byte of the C1 controls in UTF-8).
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    auto has_zero = [](uint64_t x) { return ((x - kOnes) & ~x & kHighs) != 0; };
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t x;
        std::memcpy(&x, text.data() + i, 8);
        if (!(((x - kOnes * 0x20) & ~x & kHighs) != 0 || has_zero(x ^ (kOnes * 0x7F)) ||
              has_zero(x ^ (kOnes * 0xC2))))
            continue;
        for (size_t k = i; k < i + 8; ++k)
            if (control_at(k)) return true;
    }
    for (; i < text.size(); ++i)
        if (control_at(i)) return true;
    return false;
}

// Whether a "&" at b[i], written as it is, would begin a character reference. In text it does
// before a name the parser reads without ";" (also as the start of a longer word: "&notx") and
// before letters and digits closed by ";"; in an attribute value the ";"-less names count only
// where no "=", letter or digit follows them. "&#" and unknown names with ";" count too: the
// full table of names is not kept here.
bool AmpersandStartsReference(std::string_view b, size_t i, bool attribute) {
    size_t q = i + 1;
    if (q < b.size() && b[q] == '#') return true;
    while (q < b.size() && IsAsciiAlnum(b[q])) ++q;
    if (q == i + 1) return false;
    if (q < b.size() && b[q] == ';') return true;
    std::string_view word = b.substr(i + 1, q - i - 1);
    if (attribute) return IsLegacyReferenceName(word) && !(q < b.size() && b[q] == '=');
    constexpr size_t kLongestLegacyName = 6;
    for (size_t n = 1; n <= word.size() && n <= kLongestLegacyName; ++n)
        if (IsLegacyReferenceName(word.substr(0, n))) return true;
    return false;
}

// Whether a "<" in text, written as it is, would open markup before `next` (0: the end of the
// text or a place where text nodes part).
bool LessThanOpensMarkup(char next) {
    return next == 0 || (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') || next == '!' ||
           next == '/' || next == '?';
}

// A text or attribute value as it will be written: references decoded, and put back where the
// decoded "&" or "<" would read differently (an "&" before a name or "#", a "<" where it could
// open markup). What follows a decoded "&" or "<" decides that, so each waits for the bytes
// after it (the letters and digits after an "&", the one byte after a "<"), never for more;
// the decoded characters need no mark of their own, and the whole text no second copy. A
// decoded character is never white space, nor a letter, digit, "#" or ";": what decides is
// always as the page wrote it, so editing white space and splits afterwards changes nothing.
// kSplit (a 0 byte, its place listed) stands where a removed comment parted two text nodes.
struct MarkedText {
    std::string bytes;
    std::vector<size_t> splits;  // places of the splits, in order
    // Bytes the references put back took, which their decoding did not save after all; and in
    // an attribute value the decoded quotes, which take their reference back in a value quoted
    // with them.
    size_t taken_back = 0, double_quotes = 0, single_quotes = 0;

    // Starts a text (`attribute` false) or an attribute value.
    void clear(bool attribute) {
        bytes.clear();
        splits.clear();
        taken_back = double_quotes = single_quotes = 0;
        attribute_ = attribute;
        amp_ = kNone;
        lt_ = false;
    }
    void push(char c, bool reference) {
        if (lt_) SettleLessThan(c);
        bytes.push_back(c);
        if (amp_ != kNone) SettleAmpersand();
        if (reference) Decoded(c);
    }
    // Bytes as written in the page, in one go.
    void append(std::string_view s) {
        if (s.empty()) return;
        if (lt_) SettleLessThan(s[0]);
        bytes.append(s);
        if (amp_ != kNone) SettleAmpersand();
    }
    void push_split() {
        push(kSplit, false);
        splits.push_back(bytes.size() - 1);
    }
    // The text is complete: what waited for more bytes is decided at its end.
    void finish() {
        if (lt_) SettleLessThan(0);
        if (amp_ != kNone) {
            amp_checked_ = bytes.size();
            SettleAmpersand(true);
        }
    }
    bool split_at(size_t i) const {
        return !splits.empty() && std::binary_search(splits.begin(), splits.end(), i);
    }
    void erase(size_t i) {
        auto at = std::lower_bound(splits.begin(), splits.end(), i);
        if (at != splits.end() && *at == i) at = splits.erase(at);
        for (; at != splits.end(); ++at) --*at;
        if (amp_ != kNone && amp_ > i) {
            --amp_;
            --amp_checked_;
        }
        bytes.erase(i, 1);
    }

private:
    static constexpr char kSplit = 0;
    static constexpr size_t kNone = static_cast<size_t>(-1);
    bool attribute_ = false;
    size_t amp_ = kNone;     // a decoded "&" whose letters and digits after it are still open
    size_t amp_checked_ = 0;  // the bytes up to here after amp_ are letters and digits
    bool lt_ = false;         // the last byte is a decoded "<" in text

    void Decoded(char c) {
        if (c == '&') {
            amp_ = bytes.size() - 1;
            amp_checked_ = bytes.size();
        } else if (c == '<' && !attribute_) {
            lt_ = true;
        } else if (c == '"') {
            ++double_quotes;
        } else if (c == '\'') {
            ++single_quotes;
        }
    }
    void SettleLessThan(char next) {
        lt_ = false;
        if (!LessThanOpensMarkup(next)) return;
        constexpr std::string_view kReference = "&lt;";
        bytes.back() = kReference[0];
        bytes.append(kReference.substr(1));
        taken_back += kReference.size() - 1;
    }
    void SettleAmpersand(bool at_end = false) {
        while (amp_checked_ < bytes.size() && IsAsciiAlnum(bytes[amp_checked_])) ++amp_checked_;
        if (amp_checked_ == bytes.size() && !at_end) return;
        if (AmpersandStartsReference(bytes, amp_, attribute_)) {
            constexpr std::string_view kRest = "amp;";  // after the "&" itself
            bytes.insert(amp_ + 1, kRest);
            taken_back += kRest.size();
        }
        amp_ = kNone;
    }
};

// Bytes that end a stretch of text copied whole: white space and "&".
constexpr std::array<bool, 256> kTextStops = [] {
    std::array<bool, 256> stops{};
    for (unsigned char c : {' ', '\t', '\n', '\f', '\r', '&'}) stops[c] = true;
    return stops;
}();

bool TextStop(char c) { return kTextStops[static_cast<unsigned char>(c)]; }

// The end of the stretch of text from `p` that is written as it stands: the first white space
// or "&", where a single space or line feed between two other bytes goes on (white space
// collapses to just that). Prose runs on for lines, so the stretch is looked for sixteen bytes
// at a time; `readable` bytes from s.data() on may be
// loaded (s is a piece of the input, whose bytes after it stand in for the end of a block).
size_t TextStretchEnd(std::string_view s, size_t p, size_t readable) {
    const size_t n = s.size();
    if (p >= n || TextStop(s[p])) return p;
    size_t i = p + 1;
    for (; i + 17 <= readable && i < n; i += 16) {
        const Bytes16 b = Bytes16::Load(s.data() + i);
        const Bytes16 space = (b == ' ') | (b == '\n');
        uint32_t stops = (space | (b == '\t') | (b == '\f') | (b == '\r') | (b == '&')).Mask();
        // Bit k: the byte after lane k is a stop too (the seventeenth byte for the last lane).
        uint32_t stop_after = (stops >> 1) | (static_cast<uint32_t>(TextStop(s[i + 16])) << 15);
        if (n - i <= 16) {  // the piece ends in this block: lanes from its end on end the stretch
            const uint32_t past = ~0u << (n - i);
            stops |= past;
            stop_after |= past >> 1;
        }
        const uint32_t ends = stops & ~(space.Mask() & ~stop_after);
        if (ends != 0) return i + static_cast<size_t>(std::countr_zero(ends));
    }
    for (; i < n; ++i) {
        if (!TextStop(s[i])) continue;
        if ((s[i] != ' ' && s[i] != '\n') || i + 1 == n || TextStop(s[i + 1])) return i;
        ++i;  // a single space or line feed, and the byte after it
    }
    return n;
}

// Bytes that keep an attribute value in quotes: white space and ">" always; for a value written
// in quotes also quotes, "=", "<" and "`", which the syntax does not allow unquoted (a value
// written unquoted that holds them is read the same way as long as it stays so).
constexpr uint8_t kUnquotedValueStops = 1, kQuotedValueStops = 3;
constexpr std::array<uint8_t, 256> kValueStops = [] {
    std::array<uint8_t, 256> stops{};
    for (unsigned char c : {' ', '\t', '\n', '\f', '\r', '>'}) stops[c] = kUnquotedValueStops;
    for (unsigned char c : {'"', '\'', '=', '<', '`'}) stops[c] = kQuotedValueStops & ~kUnquotedValueStops;
    return stops;
}();

// Tag names hold no control characters but where a page is broken: a quick look first.
bool NameHoldsControlCharacters(const Token& t) {
    if (t.element != ElementCount()) return false;  // a listed name: letters and digits
    const std::string_view name = t.name;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || u == 0xC2) return HoldsControlCharacters(name);
    }
    return false;
}

// Whether "<frameset" stands anywhere in the page, in any case: sixteen places at a time,
// looked at closer only after "<f" or "<F".
bool HoldsFramesetTag(std::string_view s) {
    constexpr std::string_view kName = "frameset";
    auto tag_at = [&](size_t i) { return EqualsIgnoringCase(s.substr(i + 1, kName.size()), kName); };
    size_t i = 0;
    for (; i + 17 <= s.size(); i += 16) {
        const Bytes16 b0 = Bytes16::Load(s.data() + i), b1 = Bytes16::Load(s.data() + i + 1);
        for (uint32_t m = ((b0 == '<') & ((b1 == 'f') | (b1 == 'F'))).Mask(); m != 0; m &= m - 1)
            if (tag_at(i + static_cast<size_t>(std::countr_zero(m)))) return true;
    }
    for (; i < s.size(); ++i)
        if (s[i] == '<' && tag_at(i)) return true;
    return false;
}

struct OpenElement {
    std::string_view name;  // the table's name of a listed element, else an interned copy
    uint32_t flags;
    bool block;     // its box is block-level (tables, CSS, "hidden" and style attribute allowing)
    bool preserve;  // its text keeps white space
    uint32_t element;  // its ElementId (ElementCount() for a name the tables lack)
    // A template's content: whether its first start tag made the parser read it by a table's
    // rules (a table's part) or the body's (anything else but what goes into a head).
    enum Content : uint8_t { Undecided, TableRules, BodyRules } content = Undecided;
    uint32_t first_part = 0;  // by a table's rules: the ElementId of that first tag
    uint64_t id = 0;  // a formatting element's place in the list of active ones
};

// Row numbers of the elements the tree builder's model asks about by name.
struct ModelIds {
    size_t select = ElementId("select"), table = ElementId("table"), template_ = ElementId("template"),
           p = ElementId("p"), colgroup = ElementId("colgroup"), option = ElementId("option"),
           optgroup = ElementId("optgroup"), li = ElementId("li"), dd = ElementId("dd"), dt = ElementId("dt"),
           td = ElementId("td"), th = ElementId("th"), tr = ElementId("tr"), tbody = ElementId("tbody"),
           thead = ElementId("thead"), tfoot = ElementId("tfoot"), caption = ElementId("caption"),
           col = ElementId("col"), address = ElementId("address"), div = ElementId("div"), button = ElementId("button"),
           ul = ElementId("ul"), ol = ElementId("ol"), form = ElementId("form"), a = ElementId("a"),
           style = ElementId("style"), script = ElementId("script"), noscript = ElementId("noscript");
    // Whether each row (and the one of unlisted names, last) is a marker of the list of active
    // formatting elements: td, th, caption, applet, object, marquee, template.
    // Each listed row's optional end tag rule (none for the unlisted names' row, last).
    std::vector<const OptionalEndTag*> optional_end_rows = [] {
        std::vector<const OptionalEndTag*> rows(ElementCount() + 1, nullptr);
        for (size_t i = 0; i < ElementCount(); ++i) rows[i] = FindOptionalEndTag(ElementName(i));
        return rows;
    }();
    // For each row with an optional end tag rule: the rows of the start tags that let its end
    // tag go (empty for "*p", which goes by flags). Every name the rules list is a listed one.
    std::vector<std::vector<bool>> follower_rows = [] {
        std::vector<std::vector<bool>> rows(ElementCount() + 1);
        for (size_t i = 0; i < ElementCount(); ++i) {
            const OptionalEndTag* rule = FindOptionalEndTag(ElementName(i));
            if (!rule || rule->followers == "*p") continue;
            rows[i].assign(ElementCount() + 1, false);
            std::string_view f = rule->followers;
            for (size_t p = 0; p < f.size();) {
                size_t q = std::min(f.find(' ', p), f.size());
                rows[i][ElementId(f.substr(p, q - p))] = true;
                p = q + 1;
            }
            rows[i][ElementCount()] = false;  // an unlisted name is none of them
        }
        return rows;
    }();
    std::vector<bool> marker_rows = [] {
        std::vector<bool> rows(ElementCount() + 1);
        for (std::string_view name : {"td", "th", "caption", "applet", "object", "marquee", "template"})
            rows[ElementId(name)] = true;
        return rows;
    }();
};
const ModelIds& Ids() {
    static const ModelIds ids;
    return ids;
}

// The parser's list of active formatting elements: an entry per formatting element opened
// since the last marker (an empty name: a cell, caption, applet, object, marquee or template
// began), which the parser opens again where text or an inline element follows after a
// misnested end tag closed it.
constexpr size_t kNoEntry = static_cast<size_t>(-1);

struct FormattingEntry {
    std::string_view name;
    uint32_t flags;
    bool block, preserve;
    uint32_t element;
    uint64_t id;  // the open element it stands for; none on the stack once closed
};

// td, th, caption, applet, object, marquee and template, by ElementId.
bool IsMarkerElement(const ModelIds& ids, size_t element) { return ids.marker_rows[element]; }

// Start tags before which the parser reopens closed formatting elements: inline elements and
// the special ones the body treats alike.
bool ReopensFormatting(const TagName& n, uint32_t flags) {
    if (n == "rb" || n == "rp" || n == "rt" || n == "rtc") return false;
    if (!(flags & kSpecial)) return true;
    return n == "applet" || n == "marquee" || n == "object" || n == "area" || n == "br" || n == "embed" ||
           n == "img" || n == "keygen" || n == "wbr" || n == "input" || n == "button" || n == "select" ||
           n == "xmp";
}

// Special elements that older parsers read as ordinary ones: where an end tag, "<li>", "<dd>" or
// "<dt>" looks past one, or the adoption agency takes one as its block, they part ways.
bool SpecialInNewerParsersOnly(std::string_view name) { return name == "main" || name == "search" || name == "dialog"; }

// An end tag that pops every element above its own after generating implied end tags, so
// that end tags of plain inline elements left open above it (and of formatting elements,
// where it also clears the list of active ones up to its marker) close with it. A formatting
// element's end tag does too: with nothing special above it the adoption agency finds no
// furthest block and pops up to it. Not a form (its end tag removes the form alone), nor the
// table's parts, templates and the like, whose end tags first look at the table's context.
enum class ClosesAbove : uint8_t { No, Plain, PlainAndFormatting };
ClosesAbove ClosesElementsAbove(const TagName& n, uint32_t flags) {
    if (n == "td" || n == "th" || n == "caption") return ClosesAbove::PlainAndFormatting;
    if ((flags & (kPlainInline | kFormatting)) || n == "p") return ClosesAbove::Plain;
    if (!(flags & kEndClosesInner) || (flags & (kTablePart | kScopeBoundary)) || n == "body" || n == "form")
        return ClosesAbove::No;
    return ClosesAbove::Plain;
}

// The reference that stands for an attribute value's quote inside it.
constexpr std::string_view QuoteReference(char quote) { return quote == '"' ? "&quot;" : "&#39;"; }

// Appends bytes written as they were, the value's quote (0: none) as its reference.
void AppendWithQuote(std::string_view b, std::string& into, char quote) {
    if (!quote) {
        into.append(b);
        return;
    }
    const std::string_view entity = QuoteReference(quote);
    for (size_t i = 0; i < b.size();) {
        size_t q = b.find(quote, i);
        if (q == std::string::npos) q = b.size();
        into.append(b.substr(i, q - i));
        if (q < b.size()) into.append(entity);
        i = q + 1;
    }
}

enum class Deferred { None, EndTag, HtmlStart, HeadStart, HeadEnd, BodyStart, EndsDocument };

class Rewriter {
public:
    Rewriter(std::string_view in, const WebOptions& options, std::string& out, WebStats& stats,
             PageFacts facts)
        : in_(in), opt_(options), out_(out), stats_(stats), tokenizer_(in), facts_(std::move(facts)),
          open_count_(ElementCount() + 1, 0) {}

    // Rewrites the page. With `texts`, the STYLE and SCRIPT text the facts were read from: the
    // run stops and returns false as soon as the tokenizer gives other such text.
    bool Run(const std::vector<RawText>* texts);
    // Where the rest of the page began to be copied as written (npos where it never did), and
    // the facts the page was rewritten with.
    size_t VerbatimFrom() const { return verbatim_from_; }
    const std::vector<size_t>& RawTextsAfter() const { return raw_texts_after_; }
    const PageFacts& Facts() const { return facts_; }

private:
    bool On(WebRule r) const { return opt_.on(r); }
    void Saved(WebRule r, size_t original, size_t written) {
        if (original > written) stats_[r] += original - written;
    }

    void OnSignificant(const Token& t, bool boundary_next);
    void Handle(const Token& t, std::string& tag);
    void FlushText(bool next_boundary, const Token* next);
    void ResolveDeferred(const Token* next, std::string_view text_after);
    void EmitDeferred();
    void WriteStartTag(const Token& t, std::string& into, bool html);
    ScriptKind ScriptKindOf(const Token& t) const;
    void AppendRawText(const Token& t);
    void WriteEndTag(const Token& t, std::string& into, bool html);
    bool DecodeReference(std::string_view s, size_t& p, MarkedText& into, size_t& saved);
    void WriteWithSplits(const MarkedText& text, std::string& into) const;
    // An attribute value: `v` is marked_'s bytes or, with nothing decoded, the input's (marked_
    // then holds no counts). Returns the bytes that decoded characters took back.
    size_t WriteValue(std::string_view v, std::string& into, char quote) {
        AppendWithQuote(v, into, quote);
        const size_t quotes = quote == '"' ? marked_.double_quotes : quote == '\'' ? marked_.single_quotes : 0;
        return marked_.taken_back + (quote ? quotes * (QuoteReference(quote).size() - 1) : 0);
    }
    bool KeepComment(const Token& t) const;
    // Whether the page's styles or scripts may read attribute `name` itself.
    bool ReferredAsAttribute(const std::string& name) const {
        return facts_.attribute_lists_read || facts_.mentioned.count(name) > 0;
    }
    bool NoscriptReadsTheSame(const Token& text) const;
    // Tokens overlapping server code are written exactly as they are (asked of most tokens:
    // inline, a page without server code answers at once).
    bool Verbatim(const Token& t) {
        const auto& code = facts_.server_code;
        while (server_index_ < code.size() && code[server_index_].second <= t.begin) ++server_index_;
        return server_index_ < code.size() && code[server_index_].first < t.end;
    }
    struct BoxFacts {
        bool display_changed = false;
        bool preserve = false;
    };
    BoxFacts BoxFactsOf(const Token& t) const;
    bool SimulateStart(const Token& t, uint32_t flags);
    // The place past the select the parser is in (the innermost, unless a template opened
    // after it), or 0.
    size_t OpenSelect() const {
        if (!IsOpen(ids_.select)) return 0;
        size_t select = stack_.size();
        while (select > 0 && stack_[select - 1].element != ids_.select && stack_[select - 1].element != ids_.template_)
            --select;
        return select > 0 && stack_[select - 1].element == ids_.select ? select : 0;
    }
    // A table's part (start or end tag) closes a select inside a table.
    bool ClosesSelectInTable(const TagName& n, size_t select) const {
        bool table_part = n == "caption" || n == "table" || n == "tbody" || n == "tfoot" || n == "thead" ||
                          n == "tr" || n == "td" || n == "th";
        if (!table_part) return false;
        // The select is in a table's rules where the nearest table or template around it is a
        // table, or a template whose content those rules read.
        for (size_t i = select - 1; i > 0; --i) {
            const OpenElement& e = stack_[i - 1];
            if (e.element == ids_.table) return true;
            if (e.element == ids_.template_) return e.content == OpenElement::TableRules;
        }
        return false;
    }
    // For SimulateStart: the parser drops the start tag, so nothing opens there.
    bool Ignored() {
        start_ignored_ = true;
        return false;
    }
    bool SimulateEnd(const Token& t);
    bool FormattingListed() const;
    void PopTo(size_t depth, bool cells_close);
    bool InColumnGroup() const {
        return !stack_.empty() && stack_.back().element == ids_.colgroup;
    }
    bool OnStack(uint64_t id) const {  // from the top: the element asked about is mostly near it
        return std::any_of(stack_.rbegin(), stack_.rend(), [&](const OpenElement& e) { return e.id == id; });
    }
    bool ReopenPending() const {
        return !formatting_.empty() && !formatting_.back().name.empty() && !OnStack(formatting_.back().id);
    }
    // With ReopenPending: the first entry of the list the parser opens again.
    size_t FirstToReopen() const {
        size_t i = formatting_.size() - 1;
        while (i > 0 && !formatting_[i - 1].name.empty() && !OnStack(formatting_[i - 1].id)) --i;
        return i;
    }
    // With ReopenPending: whether one of the elements the parser opens again keeps white space.
    bool ReopenedKeepSpace() const {
        for (size_t i = FirstToReopen(); i < formatting_.size(); ++i)
            if (formatting_[i].preserve) return true;
        return false;
    }
    void ReopenFormatting();
    void AdoptionAgency(size_t subject);
    size_t FindFormatting(size_t element) const;
    bool InButtonScope(size_t element) const;
    bool InTableText() const;
    // A table's part (start or end tag) while a select is open: parsers part ways on whether it
    // closes the select, is dropped, or changes what a template's content reads as.
    bool TablePartInSelect(const Token& t) const {
        static constexpr std::string_view kParts[] = {"caption", "colgroup", "col",   "table", "tbody",
                                                      "tfoot",   "thead",    "tr",    "td",    "th"};
        return IsOpen(ids_.select) && !t.foreign && tokenizer_.foreign_depth() == 0 &&
               std::find(std::begin(kParts), std::end(kParts), t.name) != std::end(kParts);
    }
    // The optional end tag rule of a tag's element, by its row where the name is a listed one.
    const OptionalEndTag* OptionalEndOf(const Token& t) const {
        return t.element != ElementCount() ? ids_.optional_end_rows[t.element] : FindOptionalEndTag(t.name);
    }
    // Whether an element of this ElementId is open (the slot past the listed ones counts
    // every unlisted name together).
    bool IsOpen(size_t element) const { return open_count_[element] > 0; }
    void PushOpen(const OpenElement& e) {
        ++open_count_[e.element];
        stack_.push_back(e);
    }
    std::string_view Intern(std::string_view name, size_t id);
    bool Preserving() const { return preserve_depth_ > 0; }
    bool RootKeepsSpace() const;
    // Whether a frameset start tag may follow; looked for once, in the whole page.
    bool MayHoldFrameset() {
        if (frameset_tag_ < 0) frameset_tag_ = HoldsFramesetTag(in_);
        return frameset_tag_ > 0;
    }
    // Text gathered before a token that is written (a tag, a kept comment) that is not white
    // space (as the parser reads it: references to white space are white space) has begun
    // the body.
    void EndHeadAtGatheredText() {
        if ((head_region_ || head_noscript_) && !GatheredReadsAsSpace()) head_region_ = head_noscript_ = false;
    }
    bool GatheredReadsAsSpace() const {
        for (auto [begin, end] : pieces_)
            if (!ReadsAsSpace(in_.substr(begin, end - begin))) return false;
        return true;
    }
    // The state the gathered text is in, taken before the next token changes it.
    void SnapshotTextContext() {
        text_preserve_ = Preserving() || foreign_depth_before_ > 0 || keep_space_;
        text_head_region_ = head_region_;
        text_in_table_ = !stack_.empty() && (stack_.back().flags & kTablePart);
        // Taken here: the next token (a formatting element's start tag) may reopen them first.
        text_reopens_space_ = text_in_table_ && ReopenPending() && ReopenedKeepSpace();
    }

    std::string_view in_;
    const WebOptions& opt_;
    std::string& out_;
    WebStats& stats_;
    Tokenizer tokenizer_;
    PageFacts facts_;

    std::vector<OpenElement> stack_;
    std::vector<uint32_t> open_count_;  // elements on stack_ by ElementId
    const ModelIds& ids_ = Ids();
    std::unordered_set<std::string> unlisted_names_;  // names of open elements the tables lack
    size_t preserve_depth_ = 0;
    std::vector<FormattingEntry> formatting_;
    uint64_t next_formatting_id_ = 1;
    bool group_reopened_ = false;  // the gathered text made the parser reopen formatting elements
    bool lost_ = false;          // the model of open elements may differ from the browser's
    // Set when the lost model closes an element that keeps white space as a side effect
    // (not by that element's own end tag): the browser may still have it open, so no later
    // text is known to be outside it and white space stays as written from then on.
    bool keep_space_ = false;
    std::string_view closing_name_;  // the name of the end tag being handled, else empty
    bool form_pointer_ = false;  // the parser's form element pointer is set
    bool start_ignored_ = false;  // the parser drops the start tag being handled
    // Right after a PRE or LISTING start tag in the output: a line feed written next would
    // be dropped by the parser, which the input's own line feed (at input offset
    // `newline_in_`) may not have been.
    size_t newline_out_ = std::string::npos, newline_in_ = 0;
    bool head_region_ = true;    // before the first content of the body
    // A noscript in the head ends head_region_ (white space after it is left alone), but the
    // parser that runs scripts is still in the head: "</body>" there opens the body.
    bool head_noscript_ = false;
    size_t head_template_depth_ = 0;  // stack_.size() with a template the head holds on top, else 0
    bool end_tag_next_ = false;  // the token being handled is an end tag that may join held ones
    bool prev_boundary_ = true;  // the last written token ends a block-level box
    bool verbatim_rest_ = false;  // from here on the page is copied as it is
    size_t verbatim_from_ = std::string_view::npos;
    std::vector<size_t> raw_texts_after_;  // where raw text the tokenizer read begins, from there on
    bool html_seen_ = false;
    int8_t frameset_tag_ = -1;  // the page holds "<frameset" (any case): 1, 0, or -1 before looking
    size_t raw_owner_ = ElementCount();  // the last start tag's ElementId: the owner of raw text after it
    ScriptKind script_kind_ = ScriptKind::Other;  // of the last SCRIPT start tag
    size_t server_index_ = 0;
    size_t foreign_depth_before_ = 0;  // SVG/MathML depth before the current token
    bool text_preserve_ = false, text_head_region_ = true, text_in_table_ = false, text_reopens_space_ = false;

    // Gathered text: spans of the input, and whether one of them holds server code.
    std::vector<std::pair<size_t, size_t>> pieces_;
    // Removed comments that stood between gathered text: the piece after each, and the
    // comment's span. The browser lays out each text node as a run of its own, so joining
    // two can move the glyphs after the join by a fraction of a pixel; they stay apart.
    struct Split {
        size_t piece, begin, end;
    };
    std::vector<Split> splits_;
    // The comment written at each split left in marked_, in order.
    std::vector<std::string_view> split_marks_;
    std::string_view SplitMark(size_t k) const { return split_marks_[k]; }
    // What stands for a removed comment that parted text: the comment itself when shorter
    // than an empty one.
    std::string_view SplitMarkOf(const Split& split) const {
        constexpr std::string_view kEmptyComment = "<!---->";
        std::string_view comment = in_.substr(split.begin, split.end - split.begin);
        return comment.size() < kEmptyComment.size() ? comment : kEmptyComment;
    }
    size_t removed_comment_bytes_ = 0;
    // The text gathered so far ends in "&" or "<": whatever is left out after it would let
    // it join the next text into a reference or a tag.
    bool TextWouldJoin() const {
        return !pieces_.empty() && (in_[pieces_.back().second - 1] == '&' || in_[pieces_.back().second - 1] == '<');
    }
    bool pieces_verbatim_ = false;
    bool pending_body_end_ = false;       // "</body>" or "</html>" seen and held
    std::string pending_body_end_bytes_;

    Deferred deferred_ = Deferred::None;
    std::string deferred_bytes_;
    // For each end tag held as Deferred::EndsDocument: where it begins in deferred_bytes_ and
    // the element it closed (its row in the tables; none where its end tag must stay).
    std::vector<std::pair<size_t, size_t>> held_ends_;
    void HoldEndsDocument(const std::string& tag, size_t element) {
        held_ends_.emplace_back(deferred_bytes_.size(), element);
        deferred_bytes_.append(tag);
    }
    bool DropHeldClosedBy(ClosesAbove closes, size_t element);
    size_t deferred_element_ = 0;  // the row of the element whose end tag is held (a listed one)
    // An end tag was left out before the end tag just read, and so before the held one: the
    // element stays open until that one closes it; a special one (a list item, a dd) also
    // stops the search of a list item's start tag.
    enum class InnerOpen : uint8_t { None, Other, Special };
    InnerOpen inner_left_open_ = InnerOpen::None, deferred_inner_open_ = InnerOpen::None;
    std::string_view deferred_parent_;  // a name on the stack: the table's or an interned copy
    uint32_t deferred_parent_flags_ = 0;

    MarkedText marked_;
    std::vector<std::string_view> seen_names_;  // attribute names of the tag being written, as written
    std::string attribute_name_;                 // the attribute being written, lowered
    std::string scratch_;
};

bool Rewriter::KeepComment(const Token& t) const {
    if (!On(WebRule::Comments)) return true;
    std::string_view content = in_.substr(t.content_begin, t.content_end - t.content_begin);
    // "</>" is dropped by the browser but not by every parser: it stays.
    if (t.end - t.begin == 3 && in_.substr(t.begin, 3) == "</>") return true;
    // "<?php ...>" and other processing instructions (server code; "<!?" reads the same).
    if (content.starts_with("?")) return true;
    if (content.starts_with("[if") || content.starts_with("[endif") || content.starts_with("<![endif") ||
        content.starts_with("#"))
        return true;
    for (const std::string& pattern : opt_.keep_comments)
        if (!pattern.empty() && content.find(pattern) != std::string_view::npos) return true;
    return false;
}

// A "noscript" element's content is text where scripting runs, and markup where it does not.
// The rules here follow the first reading; the rest of the page stays valid under the second
// only when that markup is closed in itself: balanced elements, no script or foreign content,
// nothing that runs past the end tag.
bool Rewriter::NoscriptReadsTheSame(const Token& text) const {
    std::string content(in_.substr(text.begin, text.end - text.begin));
    content.append("</noscript>");
    Tokenizer inner(content);
    Token t;
    std::vector<std::string> open;
    while (inner.Next(t)) {
        switch (t.kind) {
        case TokenKind::Text:
            if (t.text_state == TextState::ScriptData || t.text_state == TextState::Plaintext) return false;
            break;
        case TokenKind::Comment:
            break;
        case TokenKind::StartTag: {
            // Raw text (a STYLE, an IFRAME) is closed in itself: it cannot reach past the end
            // tag, which it would have to take for its own.
            TextState state = RawTextStateFor(t.name);
            if (t.foreign || state == TextState::ScriptData || state == TextState::Plaintext) return false;
            if (!IsVoidElement(t.name)) open.push_back(t.name);
            break;
        }
        case TokenKind::EndTag:
            if (t.name == "noscript" && open.empty()) return t.end == content.size();
            if (open.empty() || open.back() != t.name) return false;
            open.pop_back();
            break;
        case TokenKind::Eof:
            return false;
        default:
            return false;
        }
    }
    return false;
}

// Whether the page's CSS and the tag's own attributes may give its element another display
// than the tables do ("hidden", a rule or declaration naming another display), and whether
// they make its text keep white space: one walk over the attributes for both.
Rewriter::BoxFacts Rewriter::BoxFactsOf(const Token& t) const {
    const SelectorSubjects& shown = facts_.not_block;
    const SelectorSubjects& kept = facts_.preserve_space;
    auto by_tag = [&](const SelectorSubjects& s) { return s.all || (!s.tags.empty() && s.tags.count(t.name) > 0); };
    BoxFacts f{by_tag(shown), by_tag(kept)};
    const bool ids = !shown.ids.empty() || !kept.ids.empty();
    const bool classes = !shown.classes.empty() || !kept.classes.empty();
    // In quirks mode class and id selectors match ignoring ASCII case.
    const bool quirks = facts_.mode == DocumentMode::Quirks;
    auto named = [quirks](const std::unordered_set<std::string>& names, const std::string& name) {
        if (names.count(name) > 0) return true;
        if (quirks)
            for (const std::string& n : names)
                if (EqualsIgnoringCase(n, name)) return true;
        return false;
    };
    for (const Attribute& a : t.attributes) {
        const std::string_view name = in_.substr(a.name_begin, a.name_end - a.name_begin);
        const std::string_view value = in_.substr(a.value_begin, a.value_end - a.value_begin);
        if (EqualsIgnoringCase(name, "hidden")) {
            f.display_changed = true;
        } else if (EqualsIgnoringCase(name, "style")) {
            const DeclarationFacts d = ReadDeclarations(value);
            f.display_changed |= d.not_block;
            f.preserve |= d.preserve_space;
        } else if (ids && EqualsIgnoringCase(name, "id")) {
            const std::string id(value);
            f.display_changed |= named(shown.ids, id);
            f.preserve |= named(kept.ids, id);
        } else if (classes && EqualsIgnoringCase(name, "class")) {
            for (size_t p = 0; p < value.size();) {
                while (p < value.size() && IsHtmlSpace(value[p])) ++p;
                size_t q = p;
                while (q < value.size() && !IsHtmlSpace(value[q])) ++q;
                if (q > p) {
                    const std::string word(value.substr(p, q - p));
                    f.display_changed |= named(shown.classes, word);
                    f.preserve |= named(kept.classes, word);
                }
                p = q;
            }
        }
    }
    return f;
}

// Names on the model's stack are views: of the element table's row, or of a set holding the
// other names, so the stack's many name comparisons are plain view comparisons.
std::string_view Rewriter::Intern(std::string_view name, size_t id) {
    if (id != ElementCount()) return ElementName(id);
    return *unlisted_names_.emplace(name).first;
}

bool Rewriter::InButtonScope(size_t element) const {
    if (!IsOpen(element)) return false;
    for (size_t i = stack_.size(); i > 0; --i) {
        const OpenElement& e = stack_[i - 1];
        if (e.element == element) return true;
        if ((e.flags & kScopeBoundary) || e.element == ids_.button) return false;
    }
    return false;
}

// Text here may be table text, which the parser splits at every other token: the model's
// current node is a table part, or, once the model is lost, a table part is open in it.
bool Rewriter::InTableText() const {
    if (stack_.empty()) return false;
    if (stack_.back().flags & kTablePart) return true;
    // A template's content read by a table's rules takes text as a table does.
    if (stack_.back().element == ids_.template_ && stack_.back().content == OpenElement::TableRules) return true;
    return lost_ && std::any_of(stack_.begin(), stack_.end(), [](const OpenElement& e) { return e.flags & kTablePart; });
}

// Pops elements above `depth`. A formatting element closed this way stays in the list of
// active ones, to be reopened; where a cell, caption, template and the like close, the list
// goes back to its last marker once: the markers of such elements closed with it above it
// go, what lies before them stays ("<template><i><marquee></template>" leaves "i" to be
// reopened). A template the head holds closes back into the head.
void Rewriter::PopTo(size_t depth, bool /*cells_close*/) {
    bool marker_closed = false;
    while (stack_.size() > depth) {
        const OpenElement& e = stack_.back();
        if (IsMarkerElement(ids_, e.element)) marker_closed = true;
        if (stack_.size() == head_template_depth_) {
            head_template_depth_ = 0;
            if (!lost_) head_region_ = true;
        }
        if (e.preserve) {
            --preserve_depth_;
            // The element at `depth` is the one an end tag of its name closes; those above it,
            // and all that a start tag or another name's end tag pops, close implicitly.
            const bool implicit = stack_.size() - 1 > depth || e.name != closing_name_;
            if (lost_ && implicit) keep_space_ = true;
        }
        --open_count_[e.element];
        stack_.pop_back();
    }
    while (marker_closed && !formatting_.empty()) {
        bool marker = formatting_.back().name.empty();
        formatting_.pop_back();
        if (marker) break;
    }
}

// Opens again, as the parser does, the formatting elements after the last marker or open one.
void Rewriter::ReopenFormatting() {
    if (!ReopenPending()) return;
    for (size_t i = FirstToReopen(); i < formatting_.size(); ++i) {
        FormattingEntry& f = formatting_[i];
        f.id = next_formatting_id_++;
        OpenElement e{f.name, f.flags, f.block, f.preserve, f.element};
        e.id = f.id;
        if (e.preserve) ++preserve_depth_;
        PushOpen(e);
    }
}

// The parser's adoption agency for an end tag of a formatting element that is not the current
// node, as far as the open elements and the list of active formatting elements go: a formatting
// element with a block inside it is closed there and its clone opened inside the block; the
// elements in between are cloned (those in the list) or closed. Where the block would be moved
// into a table (foster parenting) the model gives up.
void Rewriter::AdoptionAgency(size_t subject) {
    for (int outer = 0; outer < 8; ++outer) {
        const size_t k = FindFormatting(subject);
        if (k == kNoEntry) return;  // handled as any other end tag by then: nothing left to close
        const uint64_t id = formatting_[k].id;
        size_t f = stack_.size();
        for (size_t i = stack_.size(); i > 0; --i)
            if (stack_[i - 1].id == id) {
                f = i - 1;
                break;
            }
        if (f == stack_.size()) {  // not open: the list forgets it
            formatting_.erase(formatting_.begin() + static_cast<std::ptrdiff_t>(k));
            return;
        }
        for (size_t i = f + 1; i < stack_.size(); ++i)
            if (stack_[i].flags & kScopeBoundary) return;  // not in scope: the tag is ignored
        size_t block = stack_.size();
        for (size_t i = f + 1; i < stack_.size(); ++i)
            if (stack_[i].flags & kSpecial) {
                block = i;
                break;
            }
        if (block < stack_.size() && SpecialInNewerParsersOnly(stack_[block].name)) {
            lost_ = true;
            return;
        }
        if (block == stack_.size()) {  // no block inside: it closes with what is open in it
            formatting_.erase(formatting_.begin() + static_cast<std::ptrdiff_t>(k));
            PopTo(f, false);
            return;
        }
        // The element above it (the body when the stack, which starts inside the body, has none)
        // takes the block.
        const std::string_view ancestor = f > 0 ? stack_[f - 1].name : std::string_view();
        if ((f > 0 && (stack_[f - 1].flags & kTablePart)) || ancestor == "table" || ancestor == "tbody" ||
            ancestor == "thead" || ancestor == "tfoot" || ancestor == "tr") {
            lost_ = true;
            return;
        }
        // Elements between the formatting element and the block, from the block up.
        uint64_t bookmark_after = 0;  // the list entry the clone goes after; 0: the element's place
        size_t node = block;
        bool last_is_block = true;
        for (int inner = 1;; ++inner) {
            --node;
            if (node == f) break;
            size_t entry = kNoEntry;
            for (size_t i = 0; i < formatting_.size(); ++i)
                if (!formatting_[i].name.empty() && formatting_[i].id == stack_[node].id && stack_[node].id != 0)
                    entry = i;
            // Past three elements parsers part ways (older ones stop there, newer ones drop the
            // rest from the list): not followed.
            if (inner > 3) {
                lost_ = true;
                return;
            }
            if (entry == kNoEntry) {  // closed where it stands
                if (stack_[node].preserve) --preserve_depth_;
                --open_count_[stack_[node].element];
                stack_.erase(stack_.begin() + static_cast<std::ptrdiff_t>(node));
                --block;
                continue;
            }
            const uint64_t clone = next_formatting_id_++;
            stack_[node].id = clone;
            formatting_[entry].id = clone;
            if (last_is_block) bookmark_after = clone;
            last_is_block = false;
        }
        // The formatting element's clone: in the list at the bookmark, on the stack just inside
        // the block.
        const uint64_t clone = next_formatting_id_++;
        size_t at = k;
        for (size_t i = 0; i < formatting_.size(); ++i)
            if (!formatting_[i].name.empty() && formatting_[i].id == id) at = i;
        FormattingEntry entry = formatting_[at];
        entry.id = clone;
        formatting_.erase(formatting_.begin() + static_cast<std::ptrdiff_t>(at));
        size_t insert = at;
        if (bookmark_after != 0)
            for (size_t i = 0; i < formatting_.size(); ++i)
                if (!formatting_[i].name.empty() && formatting_[i].id == bookmark_after) insert = i + 1;
        formatting_.insert(formatting_.begin() + static_cast<std::ptrdiff_t>(insert), entry);
        OpenElement element = stack_[f];
        element.id = clone;
        stack_.erase(stack_.begin() + static_cast<std::ptrdiff_t>(f));
        --block;
        stack_.insert(stack_.begin() + static_cast<std::ptrdiff_t>(block + 1), element);
    }
}

// The last entry of the list for the element of row `element` after its last marker, or
// kNoEntry (formatting elements are all listed ones).
size_t Rewriter::FindFormatting(size_t element) const {
    for (size_t i = formatting_.size(); i > 0; --i) {
        if (formatting_[i - 1].name.empty()) break;
        if (formatting_[i - 1].element == element) return i - 1;
    }
    return kNoEntry;
}

// Follows the tree builder for a start tag in the body; returns whether the element opens a
// block-level box exactly where the tag stands, or ends a line there.
bool Rewriter::SimulateStart(const Token& t, uint32_t flags) {
    const TagName& n = t.name;
    const bool table_part = flags & kTableContent;
    // A template's first start tag (but one that goes into a head) fixes the rules its
    // content is read by.
    if (!stack_.empty() && stack_.back().element == ids_.template_ &&
        stack_.back().content == OpenElement::Undecided && !(flags & kHeadContent))
    {
        stack_.back().content = table_part ? OpenElement::TableRules : OpenElement::BodyRules;
        stack_.back().first_part = static_cast<uint32_t>(t.element);
    }
    if (n == "html" || n == "head" || n == "body") {
        // Once the body has begun these tags only add attributes: no box starts there.
        bool boundary = head_region_ && !lost_;
        if (n == "body") head_region_ = head_noscript_ = false;
        return boundary;
    }
    // Parsers older than the "search" element read it as an ordinary inline one: it closes no
    // paragraph (which may keep white space), stops no "<dd>" and takes reopened formatting
    // elements.
    if (n == "search") lost_ = true;
    // A parser without scripting reads a "noscript" in the head as markup that may end the
    // head early, so white space after one is left alone.
    if (n == "noscript" && head_region_ && !lost_) head_noscript_ = true;
    if (!(flags & kHeadContent) && n != "noscript") head_noscript_ = false;
    if (!(flags & kHeadContent) || n == "noscript") head_region_ = false;
    // A column group ends at anything but a column (or a template, which goes inside it).
    if (!stack_.empty() && stack_.back().element == ids_.colgroup && n != "col" && n != "template")
        PopTo(stack_.size() - 1, true);
    bool in_template = IsOpen(ids_.template_);
    // While a form is open (by the parser's form pointer, which only "</form>" clears) another
    // form start tag is dropped, even where the first form was closed by other end tags.
    if (n == "form" && !in_template) {
        if (form_pointer_) return Ignored();
        form_pointer_ = true;
    }
    // A table start tag where a table's rows are expected closes that table first.
    if (n == "table" && !stack_.empty() && (stack_.back().flags & kTablePart)) {
        for (size_t i = stack_.size(); i > 0; --i) {
            const size_t e = stack_[i - 1].element;
            if (e == ids_.table) {
                PopTo(i - 1, true);
                break;
            }
            if (e == ids_.template_) return Ignored();  // no table in table scope: dropped
        }
    }
    if (!stack_.empty()) {
        const OpenElement& top = stack_.back();
        if (top.element == ids_.select || top.element == ids_.option || top.element == ids_.optgroup) {
            const size_t select = OpenSelect();
            if (select > 0 && n != "option" && n != "optgroup" && n != "script" && n != "template") {
                // Another select, a control, or in a table a table's part closes the select;
                // the parser drops other tags there (newer parsers keep some), so they close
                // nothing in the model either.
                lost_ = true;
                if (n != "select" && n != "input" && n != "keygen" && n != "textarea" && !ClosesSelectInTable(n, select)) {
                    // Newer parsers list a formatting element there and open it again after the
                    // select, around what follows: where it keeps white space, white space stays.
                    if ((flags & kFormatting) && BoxFactsOf(t).preserve) keep_space_ = true;
                    return Ignored();
                }
                PopTo(select - 1, false);
                if (n == "select") return Ignored();
            }
        }
        // A template whose content a table's rules read takes what they move out of the table
        // (and a later cell or row closes it again): not followed either.
        const bool table_content = (top.flags & kTablePart) ||
                                   (top.element == ids_.template_ && top.content == OpenElement::TableRules);
        if (table_content && n != "caption" && n != "colgroup" && n != "col" && n != "tbody" &&
            n != "thead" && n != "tfoot" && n != "tr" && n != "td" && n != "th" && n != "script" &&
            n != "style" && n != "template")
            lost_ = true;  // foster parenting, or a table inside a table
    }
    // The nearest table or template is where a table's part goes: outside a table, and in a
    // template whose content is read by the body's rules, the parser drops it.
    size_t table_or_template = IsOpen(ids_.table) || IsOpen(ids_.template_) ? stack_.size() : 0;
    while (table_or_template > 0 && stack_[table_or_template - 1].element != ids_.table &&
           stack_[table_or_template - 1].element != ids_.template_)
        --table_or_template;
    if (table_part && (table_or_template == 0 ||
                       stack_[table_or_template - 1].content == OpenElement::BodyRules))
        return Ignored();
    if (n == "caption" || n == "colgroup" || n == "col") {
        // These close what is open inside the nearest table (cell, row, row group, caption,
        // column group) and open in the table itself; a column alone opens a column group.
        if (IsOpen(ids_.template_)) {
            lost_ = true;
        } else if (!(n == "col" && stack_.back().element == ids_.colgroup)) {
            size_t table = stack_.size();
            while (table > 0 && stack_[table - 1].element != ids_.table) --table;
            PopTo(table, true);
            if (n == "col") PushOpen(OpenElement{"colgroup", ElementFlags("colgroup"), true, false, uint32_t(ids_.colgroup)});
        }
    }
    if (n == "table" && InButtonScope(ids_.p)) {
        // In quirks mode the table goes inside the paragraph.
        if (facts_.mode != DocumentMode::Quirks) {
            for (size_t i = stack_.size(); i > 0; --i)
                if (stack_[i - 1].element == ids_.p) {
                    PopTo(i - 1, false);
                    break;
                }
        }
    } else if ((flags & kStartClosesP) && InButtonScope(ids_.p)) {
        for (size_t i = stack_.size(); i > 0; --i)
            if (stack_[i - 1].element == ids_.p) {
                PopTo(i - 1, false);
                break;
            }
    }
    if (n.size() == 2 && n[0] == 'h' && n[1] >= '1' && n[1] <= '6' && !stack_.empty()) {
        const std::string_view top = stack_.back().name;
        if (top.size() == 2 && top[0] == 'h' && top[1] >= '1' && top[1] <= '6') PopTo(stack_.size() - 1, false);
    }
    if (n == "li" || n == "dd" || n == "dt") {
        for (size_t i = stack_.size(); i > 0; --i) {
            const OpenElement& e = stack_[i - 1];
            bool match = n == "li" ? e.element == ids_.li : (e.element == ids_.dd || e.element == ids_.dt);
            if (match) {
                PopTo(i - 1, false);
                break;
            }
            if ((e.flags & kSpecial) && e.element != ids_.address && e.element != ids_.div && e.element != ids_.p) {
                if (SpecialInNewerParsersOnly(e.name)) lost_ = true;
                break;
            }
        }
    } else if (n == "option") {
        if (!stack_.empty() && stack_.back().element == ids_.option) PopTo(stack_.size() - 1, false);
    } else if (n == "optgroup") {
        if (!stack_.empty() && stack_.back().element == ids_.option) PopTo(stack_.size() - 1, false);
        // Only a select's rules close an optgroup at the next one; elsewhere it goes inside.
        if (!stack_.empty() && stack_.back().element == ids_.optgroup && OpenSelect() > 0)
            PopTo(stack_.size() - 1, false);
    } else if (n == "td" || n == "th" || n == "tr" || n == "tbody" || n == "thead" || n == "tfoot") {
        // In a caption they close it first (up to the table or template they go into).
        for (size_t i = stack_.size(); i > table_or_template; --i)
            if (stack_[i - 1].element == ids_.caption) {
                PopTo(i - 1, true);
                break;
            }
        // A new cell, row or row group closes the open cell, row (and row group).
        const bool group = n == "tbody" || n == "thead" || n == "tfoot";
        for (size_t i = stack_.size(); i > 0; --i) {
            const size_t e = stack_[i - 1].element;
            if (e == ids_.table || e == ids_.template_) break;
            const bool row_group = e == ids_.tbody || e == ids_.thead || e == ids_.tfoot;
            bool closes = e == ids_.td || e == ids_.th || (n != "td" && n != "th" && e == ids_.tr) ||
                          (group && row_group);
            if (closes) {
                PopTo(i - 1, true);
                i = stack_.size() + 1;
                continue;
            }
            if (e == ids_.tr || row_group) break;
        }
        // Right in a template's content begun by a cell, the parser reads by a row's rules and
        // drops a row or row group (there is no row in table scope); begun by a row, by a row
        // group's rules, and drops a row group.
        if (table_or_template > 0 && stack_[table_or_template - 1].element == ids_.template_) {
            const uint32_t first = stack_[table_or_template - 1].first_part;
            if (((first == ids_.td || first == ids_.th) && n != "td" && n != "th") || (first == ids_.tr && group))
                return Ignored();
        }
    } else if (n == "rt" || n == "rp" || n == "rb" || n == "rtc") {
        lost_ = true;
    } else if (n == "a" || n == "nobr" || n == "button" || n == "form") {
        if (IsOpen(t.element)) lost_ = true;
        // A closed "a" still in the list is only taken out of it.
        size_t a = n == "a" ? FindFormatting(ids_.a) : kNoEntry;
        if (a != kNoEntry && !OnStack(formatting_[a].id)) formatting_.erase(formatting_.begin() + static_cast<std::ptrdiff_t>(a));
    } else if (n == "image" || n == "frameset" || n == "isindex") {
        lost_ = true;
    }
    // Formatting elements closed out of order open again before inline content (not in a
    // select, whose content does not take them).
    if (ReopensFormatting(n, flags) && !IsOpen(ids_.select)) ReopenFormatting();
    // A line break ends its line: white space just before it ends the line and white space
    // just after it begins the next, and the browser shows neither.
    if (flags & kVoid) return !lost_ && (n == "br" || (flags & kBlock)) && !BoxFactsOf(t).display_changed;
    const BoxFacts box = BoxFactsOf(t);
    OpenElement e{Intern(n, t.element), flags, (flags & kBlock) && !box.display_changed,
                  (flags & kPreserveSpace) || box.preserve, static_cast<uint32_t>(t.element)};
    if (e.preserve) ++preserve_depth_;
    if (flags & kFormatting) {
        // Beyond three alike the parser forgets the earliest; the model does not follow that.
        size_t alike = 0;
        for (size_t i = formatting_.size(); i > 0 && !formatting_[i - 1].name.empty(); --i)
            if (formatting_[i - 1].element == t.element) ++alike;
        if (alike >= 3) lost_ = true;
        e.id = next_formatting_id_++;
        formatting_.push_back(FormattingEntry{e.name, e.flags, e.block, e.preserve, e.element, e.id});
    } else if (IsMarkerElement(ids_, t.element)) {
        formatting_.push_back(FormattingEntry{{}, 0, false, false, 0, 0});
    }
    // Its content is the template's, not the body's; once it closes the head goes on.
    if (t.element == ids_.template_ && head_region_ && !lost_ && head_template_depth_ == 0)
        head_template_depth_ = stack_.size() + 1;
    PushOpen(e);
    return !lost_ && stack_.back().block;
}

// Follows the tree builder for an end tag; returns whether it closes a block-level box.
bool Rewriter::SimulateEnd(const Token& t) {
    const TagName& n = t.name;
    // In a column group any end tag but the group's own, a column's and a template's ends the
    // group before the table's rules read it (a column after it opens a new group).
    if (InColumnGroup() && n != "colgroup" && n != "col" && n != "template") PopTo(stack_.size() - 1, true);
    if (n == "head" || n == "html" || n == "body" || n == "br") {
        if (n != "head") head_region_ = head_noscript_ = false;
        // "</br>" is a line break; in a table the break would be moved out of it.
        if (n == "br" && !stack_.empty() && (stack_.back().flags & kTablePart)) lost_ = true;
        if (n == "br" && !IsOpen(ids_.select)) ReopenFormatting();
        return false;
    }
    uint32_t flags = ElementFlagsOf(t.element);
    // In a select inside a table, a table part's end tag closes the select before the table's
    // rules read it.
    if (size_t select = OpenSelect(); select > 0 && ClosesSelectInTable(n, select)) {
        lost_ = true;
        PopTo(select - 1, false);
    }
    // A script's end tag ends its text and closes it, in a select too (where a script goes).
    if (n == "script" && !stack_.empty() && stack_.back().element == ids_.script) {
        PopTo(stack_.size() - 1, false);
        return false;
    }
    // Inside a select only its own end tags (and those of its table) close anything.
    if (IsOpen(ids_.select) &&
        n != "select" && n != "option" && n != "optgroup" && n != "template" &&
        (!(flags & kTablePart) || n == "colgroup") && n != "td" && n != "th" && n != "caption") {
        lost_ = true;
        return false;
    }
    if (n == "p" && !InButtonScope(ids_.p)) {
        // Without an open paragraph in scope "</p>" makes an empty one, a block of its own; in
        // a table that paragraph would be moved out of it.
        if (!stack_.empty() && (stack_.back().flags & kTablePart)) {
            lost_ = true;
            return false;
        }
        return !lost_;
    }
    if (flags & kFormatting) {
        // The parser looks for the element in its list of active formatting elements.
        size_t k = FindFormatting(t.element);
        if (k != kNoEntry) {
            const uint64_t id = formatting_[k].id;
            if (!OnStack(id)) {  // closed already: the list only forgets it
                formatting_.erase(formatting_.begin() + static_cast<std::ptrdiff_t>(k));
                return false;
            }
            if (stack_.back().id != id) {  // misnested: the adoption agency
                AdoptionAgency(t.element);
                return false;
            }
            formatting_.erase(formatting_.begin() + static_cast<std::ptrdiff_t>(k));
            bool block = stack_.back().block;
            PopTo(stack_.size() - 1, false);
            return !lost_ && block;
        }
    }
    if (n == "form" && !IsOpen(ids_.template_)) {
        // "</form>" closes the form the pointer names, or nothing when none is set.
        bool had_pointer = form_pointer_;
        form_pointer_ = false;
        if (!had_pointer) return false;
    }
    auto heading = [](std::string_view e) { return e.size() == 2 && e[0] == 'h' && e[1] >= '1' && e[1] <= '6'; };
    if (heading(n)) {
        // A heading end tag closes the nearest heading in scope, of any rank, and what is open
        // inside it (formatting elements among them stay in the list, to be reopened).
        for (size_t i = stack_.size(); i > 0; --i) {
            const OpenElement& e = stack_[i - 1];
            if (heading(e.name)) {
                bool block = e.block;
                PopTo(i - 1, false);
                return !lost_ && block;
            }
            if (e.flags & kScopeBoundary) break;
        }
        return false;  // none in scope: ignored
    }
    if (n == "form") {
        if (stack_.empty() || stack_.back().element != ids_.form) {
            lost_ = true;
            return false;
        }
    }
    // Table parts look for their element in table scope (up to a table or template), a
    // template end tag through everything, list items in list item scope, others in scope.
    bool template_end = n == "template";
    bool table_end = n == "td" || n == "th" || n == "tr" || n == "tbody" || n == "thead" || n == "tfoot" ||
                     n == "table" || n == "caption" || template_end;
    bool unknown_open = false;
    for (size_t i = stack_.size(); i > 0; --i) {
        const OpenElement& e = stack_[i - 1];
        // Listed names compare by row; the others (one row for all) by name.
        if (e.element == t.element && (t.element != ElementCount() || e.name == n)) {
            if ((flags & kFormatting) && i != stack_.size()) lost_ = true;
            bool block = e.block;
            PopTo(i - 1, table_end);
            return !lost_ && block;
        }
        if (template_end) continue;
        // A row or cell right in a table stands in a tbody the parser made for it, and a cell
        // right in a table or row group in a row: the end tags of those close them.
        if (i < stack_.size() && (n == "tbody" || n == "tr")) {
            const size_t above = stack_[i].element;
            const bool cell_above = above == ids_.td || above == ids_.th;
            // A template's content read by a table's rules stands for a row group where a
            // row came first in it, for a row where a cell did, otherwise for a table.
            const bool by_table_rules = e.element == ids_.template_ && e.content == OpenElement::TableRules;
            const bool first_row = e.first_part == ids_.tr, first_cell = e.first_part == ids_.td || e.first_part == ids_.th;
            const bool table = e.element == ids_.table || (by_table_rules && !first_row && !first_cell);
            const bool group = e.element == ids_.tbody || e.element == ids_.thead || e.element == ids_.tfoot ||
                               (by_table_rules && first_row);
            if (n == "tbody" ? table && (cell_above || above == ids_.tr) : (table || group) && cell_above) {
                PopTo(i, true);
                return false;
            }
        }
        // Out of scope, or a special element in the way of an ordinary end tag: ignored (some
        // parsers close a form there instead: not followed).
        if (!(flags & kSpecial) && (e.flags & kSpecial)) {
            if (e.element == ids_.form || (SpecialInNewerParsersOnly(e.name) && IsOpen(t.element))) lost_ = true;
            break;
        }
        if (table_end ? (e.element == ids_.table || e.element == ids_.template_)
                      : ((e.flags & kScopeBoundary) || (n == "li" && (e.element == ids_.ul || e.element == ids_.ol)))) {
            // An applet, marquee or object end tag with its element open behind another such
            // boundary is dropped by the browser and closes the element in some parsers.
            if (IsMarkerElement(ids_, t.element) && IsOpen(t.element)) lost_ = true;
            break;
        }
        if (e.flags == 0) unknown_open = true;  // the flags of its name
    }
    if (n == "p") lost_ = true;  // "</p>" without an open paragraph makes an empty one
    // Parsers that know fewer element names than the browser take one unknown name for
    // another, so such an end tag may close an open element of an unknown name.
    if (unknown_open && flags == 0) lost_ = true;
    return false;
}

// A numeric or named reference with its ";" at s[p] ("&"); decodes it into `into` when the
// character is shorter as bytes of the page's encoding and cannot join its neighbours into
// something else. Advances p past what was consumed.
bool Rewriter::DecodeReference(std::string_view s, size_t& p, MarkedText& into, size_t& saved) {
    size_t q = p + 1;
    uint32_t cp = 0;
    if (q < s.size() && s[q] == '#') {
        ++q;
        bool hex = q < s.size() && (s[q] == 'x' || s[q] == 'X');
        if (hex) ++q;
        size_t digits = q;
        while (q < s.size() && (hex ? std::isxdigit(static_cast<unsigned char>(s[q])) : std::isdigit(static_cast<unsigned char>(s[q])))) {
            uint32_t d = std::isdigit(static_cast<unsigned char>(s[q])) ? s[q] - '0' : (LowerAscii(s[q]) - 'a' + 10);
            cp = cp * (hex ? 16 : 10) + d;
            if (cp > 0x10FFFF) cp = 0x110000;
            ++q;
        }
        if (q == digits || q >= s.size() || s[q] != ';') return false;
    } else {
        while (q < s.size() && IsAsciiAlnum(s[q])) ++q;
        if (q == p + 1 || q >= s.size() || s[q] != ';') return false;
        cp = NamedReference(s.substr(p + 1, q - p - 1));
        if (cp == 0) return false;
    }
    size_t length = q + 1 - p;
    bool ascii_ok = cp < 0x80 && cp > 0x20 && cp != 0x7F && !IsAsciiAlnum(static_cast<char>(cp)) && cp != '#' && cp != ';';
    bool wide_ok = facts_.utf8 && cp >= 0xA0 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF) &&
                   !(cp >= 0xFDD0 && cp <= 0xFDEF) && (cp & 0xFFFE) != 0xFFFE && cp != 0xFEFF;
    // windows-1252 has one byte for each character it holds, which joins nothing.
    int single = facts_.windows1252 && cp >= 0x80 ? Windows1252Byte(cp) : -1;
    if (!ascii_ok && !wide_ok && single < 0) return false;
    // In other encodings a byte after a lead byte could join it into one character.
    if (!facts_.utf8 && !facts_.windows1252 && p > 0 && static_cast<unsigned char>(s[p - 1]) >= 0x80)
        return false;
    if (cp < 0x80 || single >= 0) {  // one byte, shorter than any reference
        into.push(static_cast<char>(cp < 0x80 ? cp : static_cast<uint32_t>(single)), cp < 0x80);
        saved += length - 1;
    } else {
        std::string bytes;  // at most 4: no room on the heap
        AppendUtf8(bytes, cp);
        if (bytes.size() >= length) return false;  // not shorter: keep the reference
        into.append(bytes);
        saved += length - bytes.size();
    }
    p = q + 1;
    return true;
}

// The length of a numeric reference to a tab, line feed or space at s[p] ("&#9;", "&#x20;"),
// with the character in `ch`; 0 for anything else.
size_t WhitespaceReference(std::string_view s, size_t p, char& ch) {
    if (s.substr(p, 2) != "&#") return 0;
    size_t q = p + 2;
    const bool hex = q < s.size() && (s[q] == 'x' || s[q] == 'X');
    if (hex) ++q;
    const size_t digits = q;
    uint32_t cp = 0;
    while (q < s.size() && q - digits < 8 &&
           (hex ? std::isxdigit(static_cast<unsigned char>(s[q])) : std::isdigit(static_cast<unsigned char>(s[q])))) {
        cp = cp * (hex ? 16 : 10) +
             (std::isdigit(static_cast<unsigned char>(s[q])) ? s[q] - '0' : LowerAscii(s[q]) - 'a' + 10);
        ++q;
    }
    if (q == digits || q >= s.size() || s[q] != ';' || (cp != '\t' && cp != '\n' && cp != ' ')) return 0;
    ch = static_cast<char>(cp);
    return q + 1 - p;
}

// Appends gathered text with the comment that stands for each of its splits.
void Rewriter::WriteWithSplits(const MarkedText& text, std::string& into) const {
    size_t from = 0;
    for (size_t k = 0; k < text.splits.size(); ++k) {
        into.append(text.bytes, from, text.splits[k] - from);
        into.append(SplitMark(k));
        from = text.splits[k] + 1;
    }
    into.append(text.bytes, from);
}

void Rewriter::WriteStartTag(const Token& t, std::string& into, bool html) {
    size_t begin = into.size();
    // With TagSpace off the tag keeps its layout as written (the names' case, white space and
    // "/" between attributes, repeated attributes): only what the other rules change differs.
    const bool as_written = !On(WebRule::TagSpace);
    into.push_back('<');
    into.append(html && !as_written ? std::string_view(t.name) : in_.substr(t.begin + 1, t.name.size()));
    size_t saved_quotes = 0, saved_boolean = 0, saved_default = 0, saved_refs = 0,
           saved_styles = 0;
    bool need_space = true;  // the last bytes written are a name or an unquoted value
    bool last_unquoted = false;
    size_t pos = t.begin + 1 + t.name.size();  // the input is written or dropped up to here
    size_t* cause = nullptr;  // the counter of the last change to the tag's layout
    // Before the next attribute (or "/" and ">"): one space, or as written the input's own
    // bytes, with a space where a change left a name or an unquoted value that they would join
    // (that change saved a byte less).
    auto separate = [&](size_t next, bool before_name) {
        if (!as_written) {
            if (before_name && need_space) into.push_back(' ');
            return;
        }
        std::string_view gap = in_.substr(pos, next - pos);
        if (need_space && ((before_name && gap.empty()) || (last_unquoted && gap.starts_with('/')))) {
            into.push_back(' ');
            if (cause && *cause) --*cause;
        }
        into.append(gap);
    };
    std::vector<std::string_view>& seen = seen_names_;
    seen.clear();
    std::string& name = attribute_name_;
    for (const Attribute& a : t.attributes) {
        std::string_view raw_name = in_.substr(a.name_begin, a.name_end - a.name_begin);
        const size_t value_start = a.value_begin - (a.quote ? 1 : 0);
        const size_t attribute_end = a.has_value ? a.value_end + (a.quote ? 1 : 0) : a.name_end;
        if (std::any_of(seen.begin(), seen.end(),
                        [&](std::string_view earlier) { return EqualsIgnoringCase(earlier, raw_name); })) {
            // A repeated attribute: the browser drops it.
            if (as_written) {
                separate(a.name_begin, true);
                into.append(in_.substr(a.name_begin, attribute_end - a.name_begin));
                pos = attribute_end;
                need_space = !a.quote;
                last_unquoted = a.has_value && !a.quote;
            }
            continue;
        }
        seen.push_back(raw_name);
        name.assign(raw_name);
        for (char& c : name) c = LowerAscii(c);
        std::string_view value = in_.substr(a.value_begin, a.value_end - a.value_begin);
        size_t original_value_bytes = a.has_value ? value.size() + (a.quote ? 2 : 0) + 1 : 0;
        marked_.clear(true);
        // The value's text, references decoded: the input's own bytes while it has none.
        std::string_view v = a.has_value ? value : std::string_view();
        if (a.has_value && On(WebRule::CharacterReferences) && value.find('&') != std::string_view::npos) {
            marked_.bytes.reserve(value.size());  // references decode to fewer bytes, mostly
            for (size_t p = 0; p < value.size();) {
                if (value[p] == '&' && On(WebRule::CharacterReferences) && DecodeReference(value, p, marked_, saved_refs))
                    continue;
                // Up to the next "&" the value is taken as written.
                size_t q = std::min(value.find('&', p + 1), value.size());
                marked_.append(value.substr(p, q - p));
                p = q;
            }
            marked_.finish();
            v = marked_.bytes;
        }
        if (html && name == "style" && On(WebRule::MinifyStyles) &&
            value.find('&') == std::string_view::npos && !HoldsControlCharacters(value)) {
            // Without references the value's bytes are its text: minify and take them as raw.
            std::string buffer;
            const std::string_view css = WithLineFeeds(v, buffer);
            marked_.clear(true);
            AppendMinifiedStyleDeclarations(css, marked_.bytes);
            saved_styles += v.size() - marked_.bytes.size();
            v = marked_.bytes;
        }
        if (html && On(WebRule::DefaultAttributes)) {
            const DefaultAttribute* d = FindDefaultAttribute(t.name, name);
            // Where repeated attributes stay as written, a later one of the same name would
            // take the removed one's place.
            const auto repeated_later = [&] {
                return std::any_of(&a + 1, t.attributes.data() + t.attributes.size(), [&](const Attribute& b) {
                    return EqualsIgnoringCase(in_.substr(b.name_begin, b.name_end - b.name_begin), raw_name);
                });
            };
            if (d && EqualsIgnoringCase(v, d->value) && !ReferredAsAttribute(name) &&
                (d->property_same || !facts_.read_as_property.count(name)) &&
                !(d->displayed && facts_.outside_style_sheets) && !(as_written && repeated_later())) {
                saved_default += as_written ? attribute_end - pos : raw_name.size() + 1 + original_value_bytes;
                pos = attribute_end;
                cause = &saved_default;
                continue;
            }
        }
        separate(a.name_begin, true);
        pos = attribute_end;
        into.append(html && !as_written ? std::string_view(name) : raw_name);
        if (!a.has_value) {
            need_space = true;
            last_unquoted = false;
            continue;
        }
        if (html && On(WebRule::BooleanAttributes) && BooleanAttributeMayBe(name[0], name.size()) &&
            IsBooleanAttribute(name) && (v.empty() || EqualsIgnoringCase(v, name)) && !ReferredAsAttribute(name)) {
            saved_boolean += as_written ? attribute_end - a.name_end : original_value_bytes;
            cause = &saved_boolean;
            need_space = true;
            last_unquoted = false;
            continue;
        }
        if (v.empty() && (On(WebRule::AttributeQuotes) || (!a.quote && !as_written))) {
            // Without the rule, an unquoted "a=" losing its "=" is space inside the tag.
            if (On(WebRule::AttributeQuotes))
                saved_quotes += as_written ? attribute_end - a.name_end : original_value_bytes;
            cause = &saved_quotes;
            need_space = true;
            last_unquoted = false;
            continue;
        }
        // New unquoted values follow the syntax; a value written unquoted stays so while the
        // tokenizer reads it the same way.
        const uint8_t keeps_quotes = a.quote ? kQuotedValueStops : kUnquotedValueStops;
        bool unquotable = !v.empty() && std::none_of(v.begin(), v.end(), [&](char c) {
            return kValueStops[static_cast<unsigned char>(c)] & keeps_quotes;
        }) && v[0] != '"' && v[0] != '\'';
        if (as_written) into.append(in_.substr(a.name_end, value_start - a.name_end));
        else into.push_back('=');
        if ((unquotable || (value.empty() && !a.quote)) && (On(WebRule::AttributeQuotes) || !a.quote)) {
            saved_refs -= std::min(saved_refs, WriteValue(v, into, 0));
            if (a.quote) {
                saved_quotes += 2;
                cause = &saved_quotes;
            }
            need_space = true;
            last_unquoted = true;
            continue;
        }
        char quote = a.quote ? a.quote : '"';
        if (On(WebRule::AttributeQuotes)) {
            size_t dq = std::count(v.begin(), v.end(), '"'), sq = std::count(v.begin(), v.end(), '\'');
            quote = dq <= sq ? '"' : '\'';
            if (dq == 0) quote = '"';
        }
        into.push_back(quote);
        saved_refs -= std::min(saved_refs, WriteValue(v, into, quote));
        into.push_back(quote);
        need_space = false;
        last_unquoted = false;
    }
    if (as_written) {
        separate(t.end - 1, false);
        into.push_back('>');
    } else if (t.self_closing && !html) {
        into.append(last_unquoted ? " />" : "/>");
    } else {
        into.push_back('>');
    }
    size_t original = t.end - t.begin, written = into.size() - begin;
    size_t attributed = saved_quotes + saved_boolean + saved_default + saved_refs + saved_styles;
    // A value that lost its quotes may need a space after it that the tag did not have: the
    // quotes saved that much less.
    if (written + attributed > original)
        saved_quotes -= std::min(saved_quotes, written + attributed - original);
    stats_[WebRule::AttributeQuotes] += saved_quotes;
    stats_[WebRule::BooleanAttributes] += saved_boolean;
    stats_[WebRule::DefaultAttributes] += saved_default;
    stats_[WebRule::CharacterReferences] += saved_refs;
    stats_[WebRule::MinifyStyles] += saved_styles;
    attributed = saved_quotes + saved_boolean + saved_default + saved_refs + saved_styles;
    if (original > written + attributed) stats_[WebRule::TagSpace] += original - written - attributed;
}

// The kind of a SCRIPT element's text from its type (or language) attribute; values with
// references are not read, so such a script stays as written.
ScriptKind Rewriter::ScriptKindOf(const Token& t) const {
    std::string_view type, language;
    bool has_type = false, has_language = false;
    for (const Attribute& a : t.attributes) {
        std::string_view name = in_.substr(a.name_begin, a.name_end - a.name_begin);
        std::string_view value = in_.substr(a.value_begin, a.value_end - a.value_begin);
        if (value.find('&') != std::string_view::npos) return ScriptKind::Other;
        if (EqualsIgnoringCase(name, "type") && !has_type) {
            has_type = true;
            type = value;
        } else if (EqualsIgnoringCase(name, "language") && !has_language) {
            has_language = true;
            language = value;
        }
    }
    return ClassifyScriptType(type, has_type, language, has_language);
}

// Text of a raw-text element: STYLE and SCRIPT text through their minifiers when switched on,
// anything else (those in foreign content, text holding control characters) as written.
void Rewriter::AppendRawText(const Token& t) {
    std::string_view text = in_.substr(t.begin, t.end - t.begin);
    const bool html = tokenizer_.foreign_depth() == 0;
    std::string buffer;
    if (html && t.text_state == TextState::Rawtext && raw_owner_ == ids_.style &&
        On(WebRule::MinifyStyles) && !HoldsControlCharacters(text)) {
        const size_t before = out_.size();
        AppendMinifiedStyleSheet(WithLineFeeds(text, buffer), out_);
        Saved(WebRule::MinifyStyles, text.size(), out_.size() - before);
        return;
    }
    if (html && t.text_state == TextState::ScriptData && raw_owner_ == ids_.script &&
        On(WebRule::MinifyScripts) && !HoldsControlCharacters(text)) {
        const size_t before = out_.size();
        AppendMinifiedScriptElement(WithLineFeeds(text, buffer), script_kind_, facts_.utf8, out_);
        Saved(WebRule::MinifyScripts, text.size(), out_.size() - before);
        return;
    }
    out_.append(text);
}

void Rewriter::WriteEndTag(const Token& t, std::string& into, bool html) {
    if (!On(WebRule::TagSpace)) {  // as written, the name's case too
        into.append(in_.substr(t.begin, t.end - t.begin));
        return;
    }
    into.append("</");
    into.append(html ? std::string_view(t.name) : in_.substr(t.begin + 2, t.name.size()));
    into.push_back('>');
    Saved(WebRule::TagSpace, t.end - t.begin, t.name.size() + 3);
}

// Texts at least this long get the room they need at once rather than by doubling.
constexpr size_t kLongText = 64 * 1024;

// Writes the gathered text group. `next_boundary`: the token after it starts or ends a block.
void Rewriter::FlushText(bool next_boundary, const Token* next) {
    scratch_.clear();
    // A long text with splits is written straight into the result at the end (see below);
    // what its statistics need until then.
    bool long_text = false;
    size_t long_saved_refs = 0, long_original = 0, long_mark_bytes = 0;
    if (pieces_.empty()) {
        stats_[WebRule::Comments] += removed_comment_bytes_;
        removed_comment_bytes_ = 0;
        ResolveDeferred(next, scratch_);
        return;
    }
    // Text a table moves out of itself (more than white space) makes the parser open the
    // formatting elements closed before again, in front of the table, around that text: where
    // one of them keeps white space, white space stays as written from here on.
    if (text_reopens_space_ && !text_preserve_ &&
        std::any_of(pieces_.begin(), pieces_.end(), [&](const std::pair<size_t, size_t>& piece) {
            return std::any_of(in_.begin() + static_cast<std::ptrdiff_t>(piece.first),
                               in_.begin() + static_cast<std::ptrdiff_t>(piece.second),
                               [](char c) { return !IsHtmlSpace(c); });
        }))
        text_preserve_ = keep_space_ = true;
    bool whitespace_rule = On(WebRule::Whitespace) && !text_preserve_;
    size_t original = 0;
    for (auto [b, e] : pieces_) original += e - b;
    if (pieces_verbatim_) {
        // Pieces that hold server code are copied as they are, each removed comment between
        // two of them back in its place; into exactly their room (growing by doubling would
        // hold the old and the new room at once).
        size_t marks = 0;
        for (const Split& split : splits_) marks += SplitMarkOf(split).size();
        scratch_.reserve(original + marks);
        size_t next_split = 0;
        for (size_t i = 0; i < pieces_.size(); ++i) {
            for (; next_split < splits_.size() && splits_[next_split].piece == i; ++next_split) {
                const std::string_view mark = SplitMarkOf(splits_[next_split]);
                scratch_.append(mark);
                removed_comment_bytes_ -= mark.size();
            }
            scratch_.append(in_.substr(pieces_[i].first, pieces_[i].second - pieces_[i].first));
        }
    } else {
        marked_.clear(false);
        // A long text takes at most its size and a byte per split: its room at once (growing
        // by doubling would hold the old and the new room together, twice the text for a page
        // that is one text). Short ones grow as usual, which costs fewer copies over a page.
        if (original >= kLongText) marked_.bytes.reserve(original + splits_.size());
        split_marks_.clear();
        size_t saved_refs = 0;
        char run = 0;  // pending white space: ' ' or '\n'
        bool any_text = false;
        // Text other than NUL: the parser drops NUL in the body without reopening formatting
        // elements, so white space beside NUL alone is what reopens them.
        bool reopening_text = false;
        size_t next_split = 0;
        for (size_t i = 0; i < pieces_.size(); ++i) {
            // Where a removed comment parted two text nodes, each keeps its own white space
            // and a comment stays between them (dropped again below if either side is empty).
            for (; next_split < splits_.size() && splits_[next_split].piece == i; ++next_split) {
                if (run) {
                    marked_.push(run, false);
                    run = 0;
                }
                if (marked_.bytes.empty()) continue;
                const std::string_view mark = SplitMarkOf(splits_[next_split]);
                if (marked_.split_at(marked_.bytes.size() - 1)) {
                    if (mark.size() < split_marks_.back().size()) split_marks_.back() = mark;
                    continue;
                }
                marked_.push_split();
                split_marks_.push_back(mark);
            }
            auto [b, e] = pieces_[i];
            std::string_view s = in_.substr(b, e - b);
            for (size_t p = 0; p < s.size();) {
                // A stretch without white space or "&" is text as written: in one go.
                const size_t q = TextStretchEnd(s, p, in_.size() - b);
                if (q > p) {
                    if (run) {
                        marked_.push(run, false);
                        run = 0;
                    }
                    any_text = true;
                    if (!reopening_text) reopening_text = s.find_first_not_of('\0', p) < q;
                    marked_.append(s.substr(p, q - p));
                    p = q;
                    continue;
                }
                char c = s[p];
                if (whitespace_rule && IsHtmlSpace(c)) {
                    if (c == '\n' || c == '\r') run = '\n';
                    else if (!run) run = ' ';
                    ++p;
                    continue;
                }
                // A reference to a tab, line feed or space collapses like the character.
                char referenced = 0;
                size_t length = whitespace_rule && c == '&' && On(WebRule::CharacterReferences)
                                    ? WhitespaceReference(s, p, referenced)
                                    : 0;
                if (length > 0) {
                    if (referenced == '\n') run = '\n';
                    else if (!run) run = ' ';
                    saved_refs += length - 1;
                    p += length;
                    continue;
                }
                if (run) {
                    marked_.push(run, false);
                    run = 0;
                }
                any_text = true;
                reopening_text = reopening_text || c != '\0';
                if (c == '&' && On(WebRule::CharacterReferences) && DecodeReference(s, p, marked_, saved_refs))
                    continue;
                marked_.push(c, false);
                ++p;
            }
        }
        bool head_drop = false;
        if (whitespace_rule) {
            if (any_text && text_in_table_) lost_ = true;
            bool prev = (prev_boundary_ && !lost_) || text_head_region_;
            bool next_b = next_boundary && !lost_;
            if (!any_text && text_head_region_) head_drop = true;
            if (any_text && (head_region_ || head_noscript_) && !GatheredReadsAsSpace())
                head_region_ = head_noscript_ = false;
            // White space that reopened formatting elements stays: without it they would open
            // somewhere else.
            const bool space_reopens = group_reopened_ && !reopening_text;
            // Leading white space: "run" pending at the start was pushed with the first text.
            if (prev && !space_reopens && !marked_.bytes.empty() && (marked_.bytes[0] == ' ' || marked_.bytes[0] == '\n'))
                marked_.erase(0);
            if (run && (space_reopens || (!next_b && !head_drop && !(prev && !any_text))))
                marked_.push(run, false);
        }
        marked_.finish();
        saved_refs -= std::min(saved_refs, marked_.taken_back);
        // A split with nothing written on one side parts nothing.
        if (!marked_.bytes.empty() && marked_.split_at(0)) {
            marked_.erase(0);
            split_marks_.erase(split_marks_.begin());
        }
        if (!marked_.bytes.empty() && marked_.split_at(marked_.bytes.size() - 1)) {
            marked_.erase(marked_.bytes.size() - 1);
            split_marks_.pop_back();
        }
        // White space alone after a split, where white space ends the text before it, collapses
        // into that white space: the split parts nothing the browser shows and goes with it.
        if (whitespace_rule && !marked_.splits.empty()) {
            auto collapsible = [&](size_t i) { return marked_.bytes[i] == ' ' || marked_.bytes[i] == '\n'; };
            size_t mark = 0;
            for (size_t i = 0; i < marked_.bytes.size(); ++i) {
                if (!marked_.split_at(i)) continue;
                size_t j = i + 1;
                while (j < marked_.bytes.size() && collapsible(j)) ++j;
                const bool blank_after = j == marked_.bytes.size() || marked_.split_at(j);
                if (i > 0 && collapsible(i - 1) && blank_after) {
                    for (size_t n = i; n < j; ++n) marked_.erase(i);
                    split_marks_.erase(split_marks_.begin() + static_cast<std::ptrdiff_t>(mark));
                    --i;
                    continue;
                }
                ++mark;
            }
        }
        size_t mark_bytes = 0;
        if (!head_drop) {
            for (std::string_view mark : split_marks_) mark_bytes += mark.size();
            if (marked_.splits.empty()) {
                scratch_.swap(marked_.bytes);  // no split: the text goes out as gathered
            } else if (original >= kLongText) {
                // With its splits' comments it would take its size again: it goes straight
                // into the result once the tags held before it are decided. They look only at
                // whether it is empty and at its first byte, which is never a split.
                long_text = true;
            } else {
                WriteWithSplits(marked_, scratch_);
            }
        }
        if (long_text) {
            long_saved_refs = saved_refs;
            long_original = original;
            long_mark_bytes = mark_bytes;
        } else {
            stats_[WebRule::CharacterReferences] += saved_refs;
            size_t after_refs = original - saved_refs;
            Saved(WebRule::Whitespace, after_refs, scratch_.size() - mark_bytes);
        }
        removed_comment_bytes_ -= mark_bytes;
    }
    stats_[WebRule::Comments] += removed_comment_bytes_;
    removed_comment_bytes_ = 0;
    splits_.clear();
    group_reopened_ = false;
    size_t text_begin = pieces_.front().first;
    pieces_.clear();
    pieces_verbatim_ = false;
    const std::string_view text = long_text ? std::string_view(marked_.bytes) : std::string_view(scratch_);
    ResolveDeferred(next, long_text ? text.substr(0, 1) : text);
    if (!text.empty()) {
        // A line feed that now follows a PRE or LISTING start tag directly would be dropped:
        // one more line feed is dropped in its place.
        char referenced = 0;
        if (out_.size() == newline_out_ && text_begin != newline_in_ &&
            (text[0] == '\n' || text[0] == '\r' ||
             (text[0] == '&' && SpaceReferenceLength(text, 0, referenced) && referenced == '\n'))) {
            if (pending_body_end_) {  // the held end tag stood there: it goes back
                out_.append(pending_body_end_bytes_);
                pending_body_end_ = false;
                pending_body_end_bytes_.clear();
            } else {
                out_.push_back('\n');
            }
        }
        if (long_text) {
            const size_t before = out_.size();
            WriteWithSplits(marked_, out_);
            stats_[WebRule::CharacterReferences] += long_saved_refs;
            Saved(WebRule::Whitespace, long_original - long_saved_refs, out_.size() - before - long_mark_bytes);
        } else {
            out_.append(scratch_);
        }
        prev_boundary_ = false;
    }
}

// The end tag being handled closes the current node, which the held end tags left open above
// it would be too: the held end tags it closes alike go. The innermost ones stay where an
// element it would not close, or one of its own name (which it would close instead), lies
// inside an outer one.
bool Rewriter::DropHeldClosedBy(ClosesAbove closes, size_t element) {
    size_t keep = held_ends_.size();
    while (keep > 0 && held_ends_[keep - 1].second != element) {
        const uint32_t flags = ElementFlagsOf(held_ends_[keep - 1].second);
        if (!(flags & kPlainInline) && !(closes == ClosesAbove::PlainAndFormatting && (flags & kFormatting))) break;
        --keep;
    }
    if (keep == held_ends_.size()) return false;
    size_t cut = held_ends_[keep].first;
    stats_[WebRule::OptionalTags] += deferred_bytes_.size() - cut;
    deferred_bytes_.resize(cut);
    held_ends_.resize(keep);
    return true;
}

// Whether the list of active formatting elements holds an element (not only markers): a
// marker left there too many (by "</template>" closing a cell) would keep the elements before
// it from opening again, now or after a later cell's end.
bool Rewriter::FormattingListed() const {
    return std::any_of(formatting_.begin(), formatting_.end(), [](const FormattingEntry& e) { return !e.name.empty(); });
}

void Rewriter::EmitDeferred() {
    out_.append(deferred_bytes_);
    deferred_ = Deferred::None;
}

// Decides a held-back tag now that the text after it (`text_after`, as written) and the next
// significant token are known.
void Rewriter::ResolveDeferred(const Token* next, std::string_view text_after) {
    if (deferred_ == Deferred::None) return;
    if (next && next->kind == TokenKind::Doctype) {  // a doctype after tags is ignored; keep it so
        EmitDeferred();
        return;
    }
    bool omit = false;
    // A start tag the parser drops does not close what an omitted end tag leaves open.
    bool next_start = next && next->kind == TokenKind::StartTag && !next->foreign && !start_ignored_;
    bool next_end = next && next->kind == TokenKind::EndTag;
    bool next_eof = !next || next->kind == TokenKind::Eof;
    bool next_comment = next && next->kind == TokenKind::Comment;
    // References to white space are white space to the tree builder.
    char referenced = 0;
    bool text_starts_space = !text_after.empty() && (IsHtmlSpace(text_after[0]) || SpaceReferenceLength(text_after, 0, referenced));
    // "</body>" and "</html>" close nothing, and what follows them goes where it would have
    // gone (they are held back then, and the text after them decides). In a table the parser
    // drops them, so what follows stays in the table's part that the held tag closed.
    bool next_body_end = next_end && (next->name == "body" || next->name == "html") &&
                         !(!stack_.empty() && (stack_.back().flags & kTablePart));
    switch (deferred_) {
    case Deferred::None: break;
    case Deferred::EndTag: {
        if (!text_after.empty() || lost_) break;
        const OptionalEndTag* rule = ids_.optional_end_rows[deferred_element_];
        if (next_start) {
            const std::vector<bool>& followers = ids_.follower_rows[deferred_element_];
            if (followers.empty()) {  // "*p"
                omit = (ElementFlagsOf(next->element) & kClosesP) &&
                       (next->name != "table" || facts_.mode != DocumentMode::Quirks);
            } else {
                // An optgroup start tag closes the one before it only in a select.
                omit = followers[next->element] && (deferred_element_ != ids_.optgroup || OpenSelect() > 0);
            }
            // A list item's, dd's or dt's start tag closes its kind only up to the first special
            // element but address, div and p: a list item or dd left open inside this element
            // (its end tag left out before this one's) would hold the new one instead.
            if (deferred_inner_open_ == InnerOpen::Special &&
                (deferred_element_ == ids_.li || deferred_element_ == ids_.dd || deferred_element_ == ids_.dt))
                omit = false;
        } else if (rule->at_parent_end) {
            if (next_eof || next_body_end) {
                omit = true;  // these close nothing: the element stays open either way
            } else if (next_end && next->name == deferred_parent_ && next->element != deferred_element_) {
                // The parent's end tag closes a special element (p, li, dd, a cell) only when it
                // generates implied end tags; others stop at it and are dropped. (A parent of the
                // element's own name, an optgroup around an optgroup, would lose its end tag.)
                // "</template>" clears the list of active formatting elements only up to the last
                // marker: a cell or caption it closed would leave the template's marker there.
                omit = (!(ElementFlagsOf(deferred_element_) & kSpecial) || (deferred_parent_flags_ & kEndClosesInner)) &&
                       !(deferred_parent_ == "template" && IsMarkerElement(ids_, deferred_element_) &&
                         FormattingListed());
                // "</form>" removes the form alone after closing what implied end tags close
                // (a paragraph or list item only while it is the current node): where an end tag
                // inside this element was left out, this one stays.
                if (deferred_inner_open_ != InnerOpen::None && deferred_parent_ == "form") omit = false;
                if (omit) inner_left_open_ = (ElementFlagsOf(deferred_element_) & kSpecial) && deferred_element_ != ids_.p
                                                 ? InnerOpen::Special
                                                 : InnerOpen::Other;
            }
        }
        break;
    }
    case Deferred::EndsDocument:
        if (!text_after.empty() || lost_) break;
        if (next_eof || next_body_end) {
            omit = true;
        } else if (next_end && end_tag_next_) {
            return;  // held on: the end tag decides whether it joins them
        }
        break;
    case Deferred::HtmlStart:
        // A second html start tag is read differently by parsers: keep the first then. An end
        // tag the parser drops there (all but head, body, html and br) puts nothing into the
        // html element, so a comment after it would be its first child: kept too. White space
        // before the comment is dropped both before and after the html start tag, so the
        // comment is still the element's first child (without the tag it goes before it);
        // also a comment written back into the text, where a removed one parted it.
        omit = !CommentAfterSpace(text_after, next_comment) && !(next_start && next->name == "html") &&
               !(next_end && next->name != "head" && next->name != "body" && next->name != "html" &&
                 next->name != "br");
        break;
    case Deferred::HeadStart:
        // An html start tag is not the head's first element: it only adds attributes, and what
        // follows it (a comment) would go before the head if the head began later.
        omit = text_after.empty() && ((next_start && next->name != "html") || (next_end && next->name == "head"));
        break;
    case Deferred::HeadEnd:
    case Deferred::BodyStart:
        // The head would take these elements (and "noscript" while it is open); a head start
        // tag would open the head, where most end tags after it are dropped; an html start tag
        // only adds attributes and leaves the parser before the body, so a head start tag after
        // it would still open the head. The tag also tells the parser that no frameset may
        // replace the body: without it a frameset start tag after elements that leave that open
        // (a div, say) drops the body and all it holds.
        omit = !text_starts_space && !(text_after.empty() && next_comment) &&
               !(text_after.empty() && next_end && next->name != "body" && next->name != "html") &&
               !(text_after.empty() && next_start &&
                 ((ElementFlagsOf(next->element) & kHeadContent) || next->name == "noscript" ||
                  next->name == "head" || next->name == "html")) &&
               !MayHoldFrameset();
        break;
    }
    if (omit && !ReadTogether(out_, text_after)) {
        stats_[WebRule::OptionalTags] += deferred_bytes_.size();
        deferred_ = Deferred::None;
    } else {
        EmitDeferred();
    }
}

// Called for every token other than text and removed comments.
void Rewriter::OnSignificant(const Token& t, bool boundary) {
    FlushText(boundary, &t);
    if (pending_body_end_) {
        // The held end tags decide where a comment goes; an html start tag (it only adds
        // attributes) leaves the parser after the body, so a comment after it goes there too.
        bool html_start = t.kind == TokenKind::StartTag && t.name == "html";
        if (t.kind == TokenKind::Comment || t.kind == TokenKind::Doctype || html_start || !On(WebRule::OptionalTags)) {
            out_.append(pending_body_end_bytes_);
        } else {
            stats_[WebRule::OptionalTags] += pending_body_end_bytes_.size();
        }
        pending_body_end_ = false;
        pending_body_end_bytes_.clear();
    }
}

// Whether a body or html start tag anywhere in the page (its attributes go to the one element
// wherever the tag stands, also after the text they apply to) has a white-space the page's CSS
// keeps white space with, which the whole page then inherits.
bool Rewriter::RootKeepsSpace() const {
    for (size_t p = in_.find('<'); p != std::string_view::npos; p = in_.find('<', p + 1)) {
        const std::string_view name = in_.substr(p + 1, 4);
        if (!EqualsIgnoringCase(name, "body") && !EqualsIgnoringCase(name, "html")) continue;
        Tokenizer one(in_.substr(p));
        Token t;
        if (!one.Next(t) || t.kind != TokenKind::StartTag || (t.name != "body" && t.name != "html")) continue;
        for (Attribute& a : t.attributes) {
            a.name_begin += p;
            a.name_end += p;
            a.value_begin += p;
            a.value_end += p;
        }
        if (BoxFactsOf(t).preserve) return true;
    }
    return false;
}

bool Rewriter::Run(const std::vector<RawText>* texts) {
    if (!facts_.ascii_compatible) {
        out_.append(in_);
        return true;
    }
    if (!facts_.preserve_space.empty() && RootKeepsSpace()) keep_space_ = true;
    out_.reserve(out_.size() + in_.size());
    Token t;
    std::string tag;
    size_t next_text = 0;
    enum class Owner { Other, Style, Script } owner = Owner::Other;  // of raw text after a start tag
    while (tokenizer_.Next(t)) {
        if (texts) {
            if (t.kind == TokenKind::StartTag) {
                owner = t.name == "style" ? Owner::Style : t.name == "script" ? Owner::Script : Owner::Other;
            } else if (t.kind == TokenKind::Text && t.text_state != TextState::Data && owner != Owner::Other) {
                if (next_text == texts->size() || (*texts)[next_text] != RawText{t.begin, t.end, owner == Owner::Style})
                    return false;
                ++next_text;
            }
        }
        // Text in the data state is only gathered: the state it is written in is taken at the
        // token that writes it.
        if (t.kind != TokenKind::Text || t.text_state != TextState::Data || verbatim_rest_) SnapshotTextContext();
        Handle(t, tag);
        if (verbatim_rest_) {
            // Raw text the tokenizer read; a select drops the start tag that made the rest be
            // copied (later ones may stand after a table's part the parsers read otherwise).
            if (verbatim_from_ == std::string_view::npos) {
                verbatim_from_ = t.begin;
                if (t.kind == TokenKind::StartTag && t.ignored_in_select) raw_texts_after_.push_back(t.end);
            }
            if (t.kind == TokenKind::Text && t.text_state != TextState::Data) raw_texts_after_.push_back(t.begin);
        }
        foreign_depth_before_ = tokenizer_.foreign_depth();
    }
    if (deferred_ != Deferred::None) EmitDeferred();
    return !texts || next_text == texts->size();
}

void Rewriter::Handle(const Token& t, std::string& tag) {
    closing_name_ = t.kind == TokenKind::EndTag ? std::string_view(t.name) : std::string_view();
    if (verbatim_rest_) {
        FlushText(false, &t);
        out_.append(in_.substr(t.begin, t.end - t.begin));
        return;
    }
    if (t.kind != TokenKind::Text && t.kind != TokenKind::Comment) EndHeadAtGatheredText();
        switch (t.kind) {
        case TokenKind::Text: {
            if (t.text_state == TextState::Data) {
                // Text after "</body>" or "</html>" that is not white space reopens the body:
                // the end tags held back no longer have any effect.
                if (pending_body_end_ && !ReadsAsSpace(in_.substr(t.begin, t.end - t.begin))) {
                    std::string_view before = pieces_.empty() ? std::string_view(out_)
                                                              : in_.substr(pieces_.back().first,
                                                                           pieces_.back().second - pieces_.back().first);
                    if (ReadTogether(before, in_.substr(t.begin, t.end - t.begin))) {
                        // The held tags keep the bytes on either side apart.
                        SnapshotTextContext();
                        FlushText(false, &t);
                        out_.append(pending_body_end_bytes_);
                    } else {
                        stats_[WebRule::OptionalTags] += pending_body_end_bytes_.size();
                    }
                    pending_body_end_ = false;
                    pending_body_end_bytes_.clear();
                }
                pieces_.emplace_back(t.begin, t.end);
                if (Verbatim(t)) pieces_verbatim_ = true;
                // Text in the body, white space too, makes the parser reopen closed formatting
                // elements (not in table text or a select, which take none; nor NUL, which the
                // parser drops there).
                if (!lost_ && t.end > t.begin && tokenizer_.foreign_depth() == 0 && ReopenPending() &&
                    (stack_.empty() || !(stack_.back().flags & kTablePart)) && !IsOpen(ids_.select) &&
                    in_.substr(t.begin, t.end - t.begin).find_first_not_of('\0') != std::string_view::npos) {
                    ReopenFormatting();
                    group_reopened_ = true;
                } else if (lost_ && !keep_space_ && ReopenPending() && ReopenedKeepSpace()) {
                    // The model no longer knows whether the parser opens them again around this
                    // text: one of them keeps white space, so white space stays from here on.
                    keep_space_ = true;
                }
                break;
            }
            OnSignificant(t, false);
            AppendRawText(t);
            prev_boundary_ = false;
            if (raw_owner_ == ids_.noscript && !NoscriptReadsTheSame(t)) verbatim_rest_ = true;
            break;
        }
        case TokenKind::Comment: {
            // A CDATA section read as a comment because HTML content is open inside SVG or
            // MathML: parsers that close that content otherwise (at an end tag of an unknown
            // name) read a CDATA section up to "]]>" instead. The rest stays as written.
            if (tokenizer_.foreign_depth() > 0 && in_.substr(t.begin, 9) == "<![CDATA[") {
                OnSignificant(t, false);
                verbatim_rest_ = true;
                out_.append(in_.substr(t.begin, t.end - t.begin));
                break;
            }
            // "</>" gives the parser no token: in a table the text on either side of it is one
            // text, which the table keeps or moves out as a whole, so the group goes on (as
            // written). Inside SVG or MathML the model does not follow the elements an
            // integration point holds, a table among them, so there it goes on too.
            if (!pieces_.empty() && (InTableText() || tokenizer_.foreign_depth() > 0) && t.end - t.begin == 3 &&
                in_.compare(t.begin, 3, "</>") == 0) {
                pieces_.emplace_back(t.begin, t.end);
                pieces_verbatim_ = true;
                break;
            }
            // Text ending in "&" or "<" must not meet the text after the comment.
            bool joins = TextWouldJoin();
            // In a table, text on either side of a comment is judged apart: white space stays
            // in the table, other text is moved out; without the comment they would join.
            bool table_text = !pieces_.empty() && InTableText();
            bool keep = KeepComment(t) || Verbatim(t) || joins || table_text;
            if (!keep) {
                removed_comment_bytes_ += t.end - t.begin;
                if (!pieces_.empty()) splits_.push_back({pieces_.size(), t.begin, t.end});
                break;
            }
            EndHeadAtGatheredText();
            OnSignificant(t, false);
            // "</>" gives the parser no token: a line feed after it right after a PRE or
            // LISTING start tag is dropped as if it followed the tag.
            const bool no_token = t.end - t.begin == 3 && in_.compare(t.begin, 3, "</>") == 0;
            const bool after_pre = no_token && out_.size() == newline_out_;
            if (no_token && t.begin == newline_in_) newline_in_ = t.end;
            out_.append(in_.substr(t.begin, t.end - t.begin));
            if (after_pre) newline_out_ = out_.size();
            prev_boundary_ = false;
            break;
        }
        case TokenKind::Doctype: {
            // After content the browser ignores a doctype: no edge of anything there.
            bool boundary = head_region_;
            OnSignificant(t, boundary);
            std::string_view raw = in_.substr(t.begin, t.end - t.begin);
            if (On(WebRule::Doctype) && facts_.mode == DocumentMode::NoQuirks && t.end > t.content_end &&
                !Verbatim(t)) {
                DoctypeFields d = ReadDoctype(in_.substr(t.content_begin, t.content_end - t.content_begin));
                if (d.name == "html" && !d.force_quirks &&
                    ModeOfDoctype(d.public_id, d.has_public, d.system_id, d.has_system) == DoctypeMode::NoQuirks) {
                    constexpr std::string_view kShort = "<!doctype html>";
                    out_.append(kShort);
                    Saved(WebRule::Doctype, raw.size(), kShort.size());
                    prev_boundary_ = boundary;
                    break;
                }
            }
            out_.append(raw);
            prev_boundary_ = boundary;
            break;
        }
        case TokenKind::Cdata:
        case TokenKind::Unfinished:
            OnSignificant(t, false);
            out_.append(in_.substr(t.begin, t.end - t.begin));
            prev_boundary_ = false;
            break;
        case TokenKind::Eof:
            OnSignificant(t, true);
            break;
        case TokenKind::StartTag: {
            // Parsers differ on what a select holds, and a frameset drops most tags after it,
            // so the text after such a tag may not be read as the tags say; some parsers also
            // replace control characters in tag names; a col right inside a template makes the
            // template's content a column group, which drops every later tag but col and
            // template (a style there opens no raw text); the tokenizer may not follow the tree
            // (see Token::unfollowed). The rest of the page stays as written.
            // (A frameset in an SVG or MathML integration point is read by the body's rules too.)
            if (t.ignored_in_select || (t.name == "frameset" && !t.foreign) ||
                NameHoldsControlCharacters(t) ||
                (t.name == "col" && !t.foreign && tokenizer_.foreign_depth() == 0 && !stack_.empty() &&
                 stack_.back().element == ids_.template_) ||
                TablePartInSelect(t) || t.unfollowed) {
                FlushText(false, &t);
                verbatim_rest_ = true;
                out_.append(in_.substr(t.begin, t.end - t.begin));
                break;
            }
            // A name starting with "=" follows a value-less attribute only without a space.
            bool verbatim = Verbatim(t) || std::any_of(t.attributes.begin(), t.attributes.end(),
                                                       [&](const Attribute& a) { return in_[a.name_begin] == '='; });
            // The tokenizer has placed the tag already: foreign depth counts it if foreign.
            bool html = !t.foreign && tokenizer_.foreign_depth() == 0;
            bool boundary = false;
            uint32_t flags = ElementFlagsOf(t.element);
            // html, head and body tags may be left out only where they begin the document's parts;
            // later ones have effects of their own (ending a column group, say).
            bool before_body = head_region_ && stack_.empty() && !lost_;
            start_ignored_ = false;
            if (html) boundary = SimulateStart(t, flags);
            if (t.foreign) head_region_ = head_noscript_ = false;  // SVG and MathML begin the body
            // The parser reopens formatting elements before SVG and MathML too; not followed.
            // What comes after the foreign content stands in them: where one of them keeps
            // white space (by the page's CSS), white space stays as written from here on.
            if (t.foreign && foreign_depth_before_ == 0 && ReopenPending()) {
                lost_ = true;
                if (ReopenedKeepSpace()) keep_space_ = true;
            }
            // Text a table moves out of itself joins the text before the table: white space
            // there stays.
            OnSignificant(t, boundary && t.name != "table");
            raw_owner_ = t.element;
            if (html && t.name == "script") script_kind_ = ScriptKindOf(t);
            Deferred kind = Deferred::None;
            if (html && !verbatim && t.attributes.empty() && On(WebRule::OptionalTags) &&
                foreign_depth_before_ == 0) {  // inside SVG these tags end it: they stay
                // Only before anything is open: in a table the parser judges the text on either
                // side of the tag apart (white space stays in the table, other text moves out),
                // and inside a template the tag still switches the template's content to the
                // body's rules (an end tag there is no longer dropped).
                if (t.name == "html" && !html_seen_ && stack_.empty() && !lost_ && !InTableText())
                    kind = Deferred::HtmlStart;
                else if (t.name == "head" && before_body) kind = Deferred::HeadStart;
                else if (t.name == "body" && before_body) kind = Deferred::BodyStart;
            }
            // A tag that is not held back goes straight into the output: a tag with a long
            // attribute value is not built twice.
            tag.clear();
            std::string& into = kind != Deferred::None ? tag : out_;
            if (verbatim) into.append(in_.substr(t.begin, t.end - t.begin));
            else WriteStartTag(t, into, html);
            prev_boundary_ = boundary;
            if (t.name == "html") html_seen_ = true;
            if (kind != Deferred::None) {
                deferred_ = kind;
                deferred_bytes_ = tag;
            } else {
                // (An HTML one in SVG or MathML too: the body's rules read it there.)
                if (!t.foreign && (t.name == "pre" || t.name == "listing")) {
                    newline_out_ = out_.size();
                    newline_in_ = t.end;
                }
            }
            break;
        }
        case TokenKind::EndTag: {
            // Inside SVG or MathML an end tag written other than as "</name>" (attributes, a
            // "/", white space before the ">") closes its element in browsers but not in every
            // parser, and an unlisted name that closes nothing there is taken by some parsers
            // for any other unlisted element's, which then closes the foreign content with it.
            const bool odd_foreign_end =
                foreign_depth_before_ > 0 &&
                (t.end - t.begin != t.name.size() + 3 ||
                 (t.element == ElementCount() && tokenizer_.foreign_depth() == foreign_depth_before_));
            if (t.left_foreign || odd_foreign_end || NameHoldsControlCharacters(t) ||
                TablePartInSelect(t) || t.unfollowed) {
                // Where such an end tag leaves the tree differs between parsers (formatting
                // elements are rebuilt around foreign content; some replace control characters in
                // the name), or is not followed (as for start tags): the rest stays as written.
                FlushText(false, &t);
                verbatim_rest_ = true;
                out_.append(in_.substr(t.begin, t.end - t.begin));
                break;
            }
            bool verbatim = Verbatim(t);
            bool html = tokenizer_.foreign_depth() == 0 && !(t.name == "svg" || t.name == "math");
            // "</body>" and "</html>" before the body has begun make the parser open it; in a
            // table they split the table's text, which decides what is moved out of it.
            bool body_started = !head_region_ && !head_noscript_ && !lost_ &&
                                !(!stack_.empty() && (stack_.back().flags & kTablePart));
            std::string_view parent;
            uint32_t parent_flags = 0;
            // Listed names compare by row; the others (one row for all) by name.
            bool top_matches = !stack_.empty() && stack_.back().element == t.element &&
                               (t.element != ElementCount() || stack_.back().name == t.name);
            if (top_matches && stack_.size() >= 2) {
                parent = stack_[stack_.size() - 2].name;
                parent_flags = stack_[stack_.size() - 2].flags;
            }
            bool lost_before = lost_;
            const uint32_t end_flags = ElementFlagsOf(t.element);
            // A formatting element's end tag left out is closed by a cell's end tag only where
            // it would have closed the current node and its entry in the list, no more.
            size_t held_element = t.element;
            if (end_flags & kFormatting) {
                size_t k = FindFormatting(t.element);
                if (!top_matches || k == kNoEntry || formatting_[k].id != stack_.back().id) held_element = ElementCount();
            }
            // A formatting element's end tag closes what is open above it only where it closes
            // the current node (no adoption agency that could move nodes).
            const ClosesAbove closes_above =
                top_matches && html && !verbatim && !IsOpen(ids_.select) &&
                        (!(end_flags & kFormatting) || held_element != ElementCount())
                    ? ClosesElementsAbove(t.name, end_flags)
                    : ClosesAbove::No;
            // There "</head>" ends a column group: it stays (also where the model is lost and
            // a group may be open unseen, as in a table inside a template).
            const bool in_column_group = (InColumnGroup() || lost_) && t.name == "head";
            bool boundary = html && !verbatim ? SimulateEnd(t) : false;
            // An end tag inside server code is not followed, but a browser given the page as it
            // stands reads it (it may close what is open): the model is no longer known.
            if (html && verbatim) lost_ = true;
            // Held back only where the text gathered so far cannot meet the text after it.
            if (html && !verbatim && body_started && (t.name == "body" || t.name == "html") &&
                On(WebRule::OptionalTags) && !TextWouldJoin()) {
                tag.clear();
                WriteEndTag(t, tag, true);
                pending_body_end_bytes_.append(tag);
                pending_body_end_ = true;
                // Text after these end tags still goes into the body, so the group goes on.
                break;
            }
            end_tag_next_ = true;  // held end tags wait for this one's decision
            OnSignificant(t, boundary);
            end_tag_next_ = false;
            InnerOpen inner_open = inner_left_open_;
            inner_left_open_ = InnerOpen::None;
            tag.clear();
            if (verbatim) tag.assign(in_.substr(t.begin, t.end - t.begin));
            else WriteEndTag(t, tag, html);
            prev_boundary_ = boundary;
            // An end tag that closes the current node, followed by nothing but more such end
            // tags and white space up to the end of the document, closes nothing the end of
            // the document would not (raw text elements aside: a script without its end tag
            // does not run).
            const bool ends_document =
                html && !verbatim && !lost_before && !lost_ && top_matches && On(WebRule::OptionalTags) &&
                !OptionalEndOf(t) && t.name != "head" &&
                RawTextStateOf(ElementFlagsOf(t.element)) == TextState::Data && t.name != "template" &&
                t.name != "form";
            if (deferred_ == Deferred::EndsDocument) {
                if (closes_above != ClosesAbove::No && !lost_before && !lost_ &&
                    DropHeldClosedBy(closes_above, t.element) && inner_open == InnerOpen::None)
                    inner_open = InnerOpen::Other;
                if (ends_document) {
                    HoldEndsDocument(tag, held_element);
                    break;
                }
                EmitDeferred();
            }
            if (ends_document) {
                deferred_ = Deferred::EndsDocument;
                deferred_bytes_.clear();
                held_ends_.clear();
                HoldEndsDocument(tag, held_element);
            } else if (html && !verbatim && !lost_before && !lost_ && top_matches && On(WebRule::OptionalTags) &&
                OptionalEndOf(t)) {
                deferred_ = Deferred::EndTag;
                deferred_bytes_ = tag;
                deferred_element_ = t.element;
                deferred_parent_ = parent;
                deferred_parent_flags_ = parent_flags;
                deferred_inner_open_ = inner_open;
            } else if (html && !verbatim && t.name == "head" && !in_column_group && On(WebRule::OptionalTags) &&
                       !InTableText()) {
                // In a table the parser judges the text on either side of "</head>" apart (white
                // space stays in the table, other text moves out): without it they would join.
                deferred_ = Deferred::HeadEnd;
                deferred_bytes_ = tag;
            } else {
                out_.append(tag);
            }
            break;
        }
        }
}

}  // namespace

std::string_view WebRuleName(WebRule rule) { return kRuleNames[static_cast<size_t>(rule)]; }

void MinifyWeb(std::string_view input, const WebOptions& options, std::string& out, WebStats* stats) {
    WebStats local;
    WebStats& s = stats ? *stats : local;
    size_t before = out.size();
    const WebStats at_start = s;
    std::vector<RawText> texts;
    PageFacts verbatim_facts;
    std::vector<size_t> raw_texts;
    size_t verbatim_from = std::string_view::npos;
    // Runs a rewriter; where it copied the rest of the page as written, keeps its facts.
    auto run = [&](PageFacts facts, const std::vector<RawText>* listed) {
        Rewriter rewriter(input, options, out, s, std::move(facts));
        const bool read_alike = rewriter.Run(listed);
        verbatim_from = rewriter.VerbatimFrom();
        if (verbatim_from != std::string_view::npos) {
            verbatim_facts = rewriter.Facts();
            raw_texts = rewriter.RawTextsAfter();
        }
        return read_alike;
    };
    if (!run(ScanPageQuickly(input, texts), &texts)) {
        // The quick scan read the page's style or script text otherwise than the tokenizer
        // (markup it does not follow): again from the start, with the facts of the full scan.
        out.resize(before);
        s = at_start;
        run(ScanPage(input), nullptr);
    }
    // The rest of the page was copied as written where the tokenizer may not follow the
    // parser (a textarea a template's column group drops, a table start tag in a select): a
    // style sheet there may have been read as text, yet its rules apply to the page before
    // (style sheets the tokenizer did read there are known already).
    if (verbatim_from != std::string_view::npos && ReadStyleSheetsLoosely(input, verbatim_from, raw_texts, verbatim_facts)) {
        out.resize(before);
        s = at_start;
        run(std::move(verbatim_facts), nullptr);
    }
    s.input_bytes += input.size();
    s.output_bytes += out.size() - before;
}

}  // namespace tsqz::web
