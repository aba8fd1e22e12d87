// Character entities and the charset declaration.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "text/byte_scan.h"
#include "passes/passes.h"

namespace tsqz {
namespace {

struct EntityRow {
    std::string_view name;     // matched case-sensitively, except the first row
    std::string_view numeric;  // written exactly as stored
};

// Applied in this order, each row a replace-all over the whole chunk. "&trade;" gets 153, its
// number in the Windows code page, rather than 8482: browsers read 153 as the trade mark sign
// too, and the reference is shorter.
constexpr EntityRow kEntityTable[] = {
    {"&trade;", "&#153;"},  {"&iexcl;", "&#161;"},  {"&pound;", "&#163;"},  {"&curren;", "&#164;"},
    {"&brvbar;", "&#166;"}, {"&laquo;", "&#171;"},  {"&plusmn;", "&#177;"}, {"&acute;", "&#180;"},
    {"&micro;", "&#181;"},  {"&middot;", "&#183;"}, {"&cedil;", "&#184;"},  {"&raquo;", "&#187;"},
    {"&frac14;", "&#188;"}, {"&frac12;", "&#189;"}, {"&frac34;", "&#190;"}, {"&iquest;", "&#191;"},
    {"&Aacute;", "&#193;"}, {"&Agrave;", "&#192;"}, {"&Atilde;", "&#195;"}, {"&Aring;", "&#197;"},
    {"&AElig;", "&#198;"},  {"&Ccedil;", "&#199;"}, {"&Eacute;", "&#201;"}, {"&Egrave;", "&#200;"},
    {"&Ecirc;", "&#202;"},  {"&Iacute;", "&#205;"}, {"&Igrave;", "&#204;"}, {"&Icirc;", "&#206;"},
    {"&Ntilde;", "&#209;"}, {"&Oacute;", "&#211;"}, {"&Ograve;", "&#210;"}, {"&Ocirc;", "&#212;"},
    {"&Otilde;", "&#213;"}, {"&Oslash;", "&#216;"}, {"&Uacute;", "&#218;"}, {"&Ugrave;", "&#217;"},
    {"&Ucirc;", "&#219;"},  {"&Yacute;", "&#221;"}, {"&THORN;", "&#222;"},  {"&szlig;", "&#223;"},
    {"&aacute;", "&#225;"}, {"&agrave;", "&#224;"}, {"&acirc;", "&#226;"},  {"&atilde;", "&#227;"},
    {"&aring;", "&#229;"},  {"&aelig;", "&#230;"},  {"&ccedil;", "&#231;"}, {"&eacute;", "&#233;"},
    {"&egrave;", "&#232;"}, {"&ecirc;", "&#234;"},  {"&iacute;", "&#237;"}, {"&igrave;", "&#236;"},
    {"&icirc;", "&#238;"},  {"&ntilde;", "&#241;"}, {"&oacute;", "&#243;"}, {"&ograve;", "&#242;"},
    {"&ocirc;", "&#244;"},  {"&otilde;", "&#245;"}, {"&oslash;", "&#248;"}, {"&uacute;", "&#250;"},
    {"&ugrave;", "&#249;"}, {"&ucirc;", "&#251;"},  {"&yacute;", "&#253;"}, {"&thorn;", "&#254;"},
};
static_assert(std::size(kEntityTable) == 64);
constexpr size_t kCaseInsensitiveRows = 1;  // "&trade;" matches in any case

struct NameLengths {
    size_t shortest;
    size_t longest;
};
constexpr NameLengths kNameLengths = [] {
    NameLengths lengths{kEntityTable[0].name.size(), kEntityTable[0].name.size()};
    for (const EntityRow& row : kEntityTable) {
        lengths.shortest = std::min(lengths.shortest, row.name.size());
        lengths.longest = std::max(lengths.longest, row.name.size());
    }
    return lengths;
}();

constexpr std::string_view kNbsp = "&nbsp;";
constexpr std::string_view kSpaceReference = "&#32;";
constexpr std::string_view kQuot = "&quot;";
constexpr char kApostrophe = '\'';

// Which steps each entity level runs; a level above 5 behaves like 1.
struct LevelSteps {
    bool nbsp;
    bool quot;
    bool table;
};
// clang-format off
constexpr LevelSteps kLevels[] = {
    //  &nbsp;  &quot;  table
    {false, false, false},  // 0: the pass does not run
    {true,  true,  true},   // 1
    {true,  false, true},   // 2
    {false, true,  true},   // 3
    {false, false, true},   // 4
    {true,  true,  false},  // 5
};
// clang-format on

constexpr std::string_view kCharsetDeclaration =
    "<META http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">";
static_assert(kCharsetDeclaration.size() == 72);
// Either one anywhere in the chunk, in a META element or in plain text, means the chunk
// already names its character set.
constexpr std::string_view kCharsetMarkers[] = {"charset=", "charset ="};

bool IsSpace(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }

// The first "=" or ">" at or after index from, or npos.
size_t NextEqualsOrClose(std::string_view text, size_t from) {
    size_t found = std::string_view::npos;
    ScanBytes<'=', '>'>(text, from, [&found](size_t at) {
        found = at;
        return kScanEnd;
    });
    return found;
}

// Byte ranges [first, last) in which "&quot;" stays: the inside of a single-quoted attribute
// value, where an apostrophe would end the value, and the first byte of an unquoted value,
// where an apostrophe would open a quoted one. A tag runs from "<" and a letter to the first
// ">" outside a quoted value; a value left open runs to the end of the chunk. Tags that start
// after index `last` are not looked at.
std::vector<std::pair<size_t, size_t>> FindQuotKeepRanges(std::string_view text, size_t last) {
    std::vector<std::pair<size_t, size_t>> keep;
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const size_t lt = text.find('<', i);
        if (lt == std::string_view::npos || lt + 1 >= n || lt > last) break;
        if (!IsAsciiLetter(static_cast<unsigned char>(text[lt + 1]))) {
            i = lt + 1;
            continue;
        }
        size_t j = lt + 2;
        for (;;) {
            j = NextEqualsOrClose(text, j);
            if (j == std::string_view::npos) j = n;
            if (j >= n || text[j] == '>') break;
            ++j;
            while (j < n && IsSpace(static_cast<unsigned char>(text[j])))
                ++j;
            if (j >= n) break;
            const char quote = text[j];
            if (quote != '"' && quote != kApostrophe) {
                keep.emplace_back(j, j + 1);
                continue;
            }
            const size_t close = text.find(quote, j + 1);
            if (quote == kApostrophe)
                keep.emplace_back(j + 1, close == std::string_view::npos ? n : close);
            j = close == std::string_view::npos ? n : close + 1;
        }
        i = j + 1;
    }
    return keep;
}

// Whether the byte before index at, past any white space, is "=": where a value begins.
bool AfterEquals(std::string_view text, size_t at) {
    while (at > 0 && IsSpace(static_cast<unsigned char>(text[at - 1])))
        --at;
    return at > 0 && text[at - 1] == '=';
}

// Whether any "&quot;" may lie in a keep range: one stays only where a value begins (after
// "=" and white space) or after an apostrophe that begins one. Most chunks have neither, and
// then the walk over their tags is not needed.
bool MayKeepSomeQuot(std::string_view text) {
    constexpr size_t npos = std::string_view::npos;
    size_t first_opening = text.find(kApostrophe);
    while (first_opening != npos && !AfterEquals(text, first_opening))
        first_opening = text.find(kApostrophe, first_opening + 1);
    for (size_t at = text.find(kQuot); at != npos; at = text.find(kQuot, at + kQuot.size())) {
        if ((first_opening != npos && at > first_opening) || AfterEquals(text, at)) return true;
    }
    return false;
}

// "&quot;" becomes an apostrophe outside the keep ranges; one left-to-right pass, the same
// as a replace-all where there is nothing to keep.
void ReplaceQuotEntities(Text& text) {
    size_t at = text.find(kQuot);
    if (at == Text::npos) return;
    std::vector<std::pair<size_t, size_t>> keep;
    if (MayKeepSomeQuot(text)) {
        // Only the tags up to the last "&" can hold an "&quot;".
        const void* last_amp = memrchr(text.data(), '&', text.size());
        keep = FindQuotKeepRanges(
            text, static_cast<size_t>(static_cast<const char*>(last_amp) - text.data()));
    }
    size_t k = 0;
    Text out;
    out.reserve(text.size());
    size_t copied = 0;
    for (; at != Text::npos; at = text.find(kQuot, at + kQuot.size())) {
        while (k < keep.size() && keep[k].second <= at)
            ++k;
        if (k < keep.size() && keep[k].first <= at) continue;
        out.append(text, copied, at - copied);
        out += kApostrophe;
        copied = at + kQuot.size();
    }
    out.append(text, copied, Text::npos);
    text.swap(out);
}

// The table row whose name starts at index at (an "&"), or nullptr.
const EntityRow* TableRowAt(std::string_view text, size_t at) {
    const std::string_view rest = text.substr(at);
    // Every name is "&", a letter, letters or digits and ";": most "&" of a page (in "&amp;",
    // in a URL's query) fail on the second byte.
    if (rest.size() < 2 || !IsAsciiLetter(static_cast<unsigned char>(rest[1]))) return nullptr;
    // "&amp;" and "&lt;" have their ";" too early, a URL's "&id=" none at all.
    const size_t semicolon =
        rest.substr(0, kNameLengths.longest).find(';', kNameLengths.shortest - 1);
    if (semicolon == std::string_view::npos) return nullptr;
    const char letter = rest[1];
    for (size_t row = 0; row < std::size(kEntityTable); ++row) {
        const std::string_view name = kEntityTable[row].name;
        if (rest.size() < name.size()) continue;
        if (row < kCaseInsensitiveRows) {
            if (FindFrom(rest.substr(0, name.size()), name, 0, true) == 0) return &kEntityTable[row];
        } else if (name[1] == letter && rest.substr(0, name.size()) == name) {
            return &kEntityTable[row];
        }
    }
    return nullptr;
}

// The table's rows, each as a replace-all over the whole chunk in the table's order, in one
// pass over the chunk's "&": a name has its only "&" in front and only letters or digits
// before its closing ";", so two matches never overlap, a reference "&#...;" written for one
// row matches no row, and it cannot join with the bytes around it into a match either. Each
// "&" therefore turns into the reference of the one row it starts, whichever row runs first.
void ReplaceTableEntities(Text& text) {
    Text out;
    size_t copied = 0;
    for (size_t at = text.find('&'); at != Text::npos; at = text.find('&', at + 1)) {
        const EntityRow* row = TableRowAt(text, at);
        if (row == nullptr) continue;
        if (out.empty()) out.reserve(text.size());
        out.append(text, copied, at - copied);
        out.append(row->numeric);
        copied = at + row->name.size();
        at = copied - 1;
    }
    if (copied == 0) return;
    out.append(text, copied, Text::npos);
    text.swap(out);
}

// The HEAD start tag itself: "<head" followed by ">" or white space, so that longer names
// beginning with those letters (an HTML5 "<header>") are passed over.
size_t FindHeadTag(std::string_view text) {
    constexpr std::string_view kHead = "<head";
    for (size_t p = FindFrom(text, kHead, 0, true); p != kNone;
         p = FindFrom(text, kHead, p + 1, true)) {
        const unsigned char next = ByteAtIndex(text, p + kHead.size());
        if (next == '>' || IsSpace(next)) return p;
    }
    return kNone;
}

}  // namespace

void CompressEntities(Engine& engine, Text& chunk) {
    const uint8_t level = engine.options.StandardizeChars;
    if (level == 0) return;
    const LevelSteps& steps = kLevels[level < std::size(kLevels) ? level : 1];
    BeginSavings(engine, chunk);
    // Without an "&" the pass stops at once: no charset declaration, nothing counted.
    if (chunk.find('&') == kNone) return;
    if (steps.nbsp) ReplaceAll(chunk, kNbsp, kSpaceReference);
    if (steps.quot) ReplaceQuotEntities(chunk);
    if (steps.table) ReplaceTableEntities(chunk);
    if (engine.options.UseISOTag) InsertCharsetDeclaration(engine, chunk, false);
    EndSavings(engine, chunk, kSlotEntities);
}

bool HoldsUtf8Text(std::string_view text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    const auto continuation = [&](size_t i) { return i < n && (bytes[i] & 0xC0) == 0x80; };
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = bytes[i];
        if (c < 0xC2 || c > 0xF4) continue;  // ASCII, a lone continuation or no lead byte
        // The second byte's range excludes overlong forms, surrogates and code points above
        // U+10FFFF.
        const unsigned char second = i + 1 < n ? bytes[i + 1] : 0;
        const unsigned char low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
        if (second < low || second > high) continue;
        const size_t length = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        bool whole = true;
        for (size_t k = 2; k < length && whole; ++k)
            whole = continuation(i + k);
        if (whole) return true;
    }
    return false;
}

void InsertCharsetDeclaration(Engine& engine, Text& chunk, bool own_count) {
    if (own_count) BeginSavings(engine, chunk);
    // A UTF-8 page declared ISO-8859-1 would show every non-ASCII character as two or three
    // wrong ones.
    if (engine.options.UseISOTag && !engine.run.utf8_text) {
        bool declared = false;
        for (std::string_view marker : kCharsetMarkers) {
            declared = declared || FindFrom(chunk, marker, 0, true) != kNone;
        }
        size_t tag = declared ? kNone : FindHeadTag(chunk);
        if (!declared && tag == kNone) tag = FindFrom(chunk, "<html", 0, true);
        const size_t close = tag != kNone ? chunk.find('>', tag) : kNone;
        if (close != kNone) chunk.insert(close + 1, kCharsetDeclaration);
    }
    if (own_count) EndSavings(engine, chunk, kSlotEntities);
}

}  // namespace tsqz
