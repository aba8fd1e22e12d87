// Protected blocks: cutting regions out of the document and putting them back.
//
// Extraction leaves a 7-byte placeholder ("<@PRE@>", "<@SCR@>", "<@STY@>", ...) where each
// element was; ASP code leaves its delimiters with their "%" turned into byte 0xFE and nothing
// between them. Each stage is one left-to-right pass that builds the new document. That gives
// the same text as cutting block by block and searching again from the inserted placeholder
// (or, for ASP code, from the start): a placeholder or marker pair never matches, starts or
// completes any of the searched tags, so the search may as well go on in the original text.
//
// Restore. Placeholders of one kind all look alike, so blocks go back to them in document
// order. That is only right while every placeholder survives the passes: a PRE block inside a
// comment that the comment pass deletes takes its placeholder along, and each later block
// would land one place too early; a PLAINTEXT block inside a PRE block is missed by the
// PLAINTEXT restore and shifts the PRE blocks the same way. So the restore first checks that
// it meets exactly as many placeholders of each kind as it stored, at places where the order
// is sure to be right. If so, the result is the one of the plain in-order restore, byte for
// byte. If not (or if the document holds text from which a pass might assemble a placeholder
// of its own), it follows the blocks instead: it repeats extraction and the passes on the
// document as it was read, with numbered stand-ins of the same length in place of the
// placeholders, checks that this produced the very same text once the stand-ins are read as
// placeholders, and puts each block back at the stand-in that carries its number, so a block
// comes back at its own place or disappears together with its placeholder. When that check
// fails there is no safe way back, and the document is handed on as it was read (-24).
//
// Placeholder text already in the document: a document holding the text of a placeholder (or
// "<" 0xFE, or 0xFE ">") of a kind it also has blocks of is refused with -24 before anything
// is cut, because the restore could not tell that text from a placeholder of its own.
#include "run/protect.h"

#include <cstring>
#include <string_view>

#include "text/byte_scan.h"
#include "passes/inline_elements.h"
#include "run/engine.h"
#include "run/errors.h"
#include "include/tagsqueeze.h"
#include "passes/passes.h"
#include "text/text.h"

namespace tsqz {
namespace {

constexpr size_t npos = std::string::npos;

// The block kinds as indexes into the tables below.
constexpr uint8_t Index(BlockKind kind) { return static_cast<uint8_t>(kind); }
constexpr uint8_t kKindPlaintext = Index(BlockKind::kPlaintext);
constexpr uint8_t kKindPre = Index(BlockKind::kPre);
constexpr uint8_t kKindScript = Index(BlockKind::kScript);
constexpr uint8_t kKindStyle = Index(BlockKind::kStyle);
constexpr size_t kPlaceholderKinds = kBlockKindCount;

struct KindRow {
    std::string_view start_tag;    // found ignoring ASCII case; literal kinds: "<" + name
    std::string_view end_tag;      // found ignoring ASCII case
    std::string_view placeholder;  // found exactly
    bool nests;                    // literal kinds whose elements a browser nests
};

// clang-format off
constexpr std::array<KindRow, kPlaceholderKinds> kKinds = {{
    {"<plaintext", "</plaintext>", "<@PLA@>", false},
    {"<listing", "</listing>", "<@LIS@>", true},
    {"<xmp", "</xmp>", "<@XMP@>", false},  // raw text: the first end tag ends it
    {"<pre", "</pre>", "<@PRE@>", true},
    {"<script", "/script>", "<@SCR@>", false},
    {"<style", "</style", "<@STY@>", false},
}};
// clang-format on

constexpr size_t kPlaceholderLength = 7;
constexpr std::string_view kAspOpen = "<%";
constexpr std::string_view kAspClose = "%>";
constexpr char kAspMark = '\xFE';
constexpr std::string_view kAspMarkOpen = "<\xFE";
constexpr std::string_view kAspMarkClose = "\xFE>";
constexpr std::string_view kAspMarker = "<\xFE\xFE>";
constexpr size_t kAspMarkerLength = 4;

// Numbered stand-ins of the verifying run. Block placeholders become "<@" + three lower-case
// letters + "@>" (fixed placeholders use upper case, so the two never meet); those of literal
// blocks start with a letter from "a" to "m", those of scripts and the style with one from "n"
// to "z", so the passes tell preformatted blocks from the rest as they do for the fixed
// placeholders (inline_elements.h). ASP marker pairs become "<" + two bytes from 0x80 to 0xFB
// + ">" (0xFC and 0xFD are marks of the style compressor, 0xFE is the fixed marker byte).
constexpr size_t kLetters = 26;
constexpr size_t kNumbersPerClass = (kLetters / 2) * kLetters * kLetters;
static_assert(tag_detail::kBlockStandInFirst == 'a' &&
              tag_detail::kBlockStandInLast == 'a' + kLetters / 2 - 1);
constexpr uint8_t kNoKind = 0xFF;
constexpr unsigned char kAspDigitBase = 0x80;
constexpr size_t kAspDigits = 0xFB - 0x80 + 1;
constexpr size_t kMaxNumberedAsp = kAspDigits * kAspDigits;

// Extraction in the verifying run ran out of stand-in numbers (never returned to the pipeline).
constexpr int32_t kOutOfNumbers = 1;

// Exact search (no wildcard), 0-based; npos when absent. The patterns here open with "<", the
// most frequent byte of a page, and go on with a rare one ("@", "%", 0xFE): the search looks
// for the second byte and checks the one before it.
size_t FindExact(std::string_view text, std::string_view pattern, size_t from = 0) {
    if (from > text.size()) return npos;
    if (pattern.size() >= 2 && pattern[0] == '<') {
        for (size_t i = text.find(pattern[1], from + 1); i != npos;
             i = text.find(pattern[1], i + 1)) {
            if (text[i - 1] == '<' && text.compare(i - 1, pattern.size(), pattern) == 0) {
                return i - 1;
            }
        }
        return npos;
    }
    const void* at =
        ::memmem(text.data() + from, text.size() - from, pattern.data(), pattern.size());
    return at ? static_cast<size_t>(static_cast<const char*>(at) - text.data()) : npos;
}

bool Contains(std::string_view text, std::string_view pattern, bool ignore_case) {
    return FindFrom(text, pattern, 0, ignore_case) != npos;
}

bool IsTagSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// The literal kind's name ("<pre", any case) at `at` followed by white space or ">": where the
// tag's attributes (if any) begin; npos when the name goes on ("<prefix>") or is absent.
size_t AfterLiteralName(std::string_view doc, uint8_t kind, size_t at) {
    const size_t after = at + kKinds[kind].start_tag.size();
    if (after >= doc.size()) return npos;
    return doc[after] == '>' || IsTagSpace(doc[after]) ? after : npos;
}

// The end of the start tag whose attributes begin at `p`: the index after its ">", quoted
// attribute values passed over; npos when the tag does not end.
size_t AfterStartTag(std::string_view doc, size_t p) {
    while (p < doc.size() && doc[p] != '>') {
        const char c = doc[p];
        if ((c == '"' || c == '\'') && p > 0 && doc[p - 1] == '=') {
            p = doc.find(c, p + 1);
            if (p == npos) return npos;
        }
        ++p;
    }
    return p < doc.size() ? p + 1 : npos;
}

// The next start tag that opens a literal block, at or after `from`: the kind's name right
// after "<", then white space or attributes up to its ">" ("<PRE>", "<PRE" + line end + ">"
// as some editors wrote it, "<PRE WIDTH=80>" or "<pre class=code>": a browser keeps the white
// space of every one of them). Sets `length` to the tag's length.
size_t FindLiteralStart(std::string_view doc, uint8_t kind, size_t from, size_t& length) {
    const std::string_view name = kKinds[kind].start_tag;
    for (size_t at = FindFrom(doc, name, from, true); at != npos;
         at = FindFrom(doc, name, at + 1, true)) {
        const size_t p = AfterLiteralName(doc, kind, at);
        if (p == npos) continue;
        const size_t end = AfterStartTag(doc, p);
        if (end == npos) return npos;
        length = end - at;
        return at;
    }
    return npos;
}

bool ContainsLiteralStart(std::string_view doc, uint8_t kind) {
    size_t length = 0;
    return FindLiteralStart(doc, kind, 0, length) != npos;
}

// The end tag that closes a literal block whose start tag ends at `from`. PRE and LISTING
// elements nest in a browser (any start tag of the kind, with or without attributes, opens
// one more level), so the block ends where the browser ends it; an element left open
// through the end of the document has no end. XMP and PLAINTEXT end at their first end tag.
size_t FindLiteralEnd(std::string_view doc, uint8_t kind, size_t from) {
    const KindRow& row = kKinds[kind];
    if (!row.nests) return FindFrom(doc, row.end_tag, from, true);
    size_t inner = npos;  // the next nested start tag at or after `inner_from`
    size_t inner_from = 0;
    int depth = 1;
    for (size_t pos = from;;) {
        const size_t end = FindFrom(doc, row.end_tag, pos, true);
        if (end == npos) return npos;
        if (inner_from <= pos) {
            inner = FindFrom(doc, row.start_tag, pos, true);
            while (inner != npos && AfterLiteralName(doc, kind, inner) == npos)
                inner = FindFrom(doc, row.start_tag, inner + 1, true);
            inner_from = inner == npos ? doc.size() + 1 : inner + 1;
        }
        if (inner != npos && inner < end) {
            ++depth;
            pos = inner + row.start_tag.size();
            continue;
        }
        if (--depth == 0) return end;
        pos = end + row.end_tag.size();
    }
}

bool AnyRan(const ProtectedStore& store) {
    if (store.asp_ran || store.style_ran || store.script_ran) return true;
    for (bool ran : store.literal_ran) {
        if (ran) return true;
    }
    return false;
}

bool KindRan(const ProtectedStore& store, size_t kind) {
    if (kind == kKindScript) return store.script_ran;
    if (kind == kKindStyle) return store.style_ran;
    return store.literal_ran[kind];
}

size_t StoredCount(const ProtectedStore& store, size_t kind) {
    if (kind == kKindScript) return store.scripts.size();
    if (kind == kKindStyle) return store.style_ran ? 1 : 0;
    return store.literal_count[kind];
}

// What extraction leaves where a block was: the fixed placeholders in the real run, numbered
// stand-ins of the same length in the verifying run.
class Placeholders {
  public:
    struct Number {
        uint8_t kind;
        size_t slot;
    };

    explicit Placeholders(bool numbered) : numbered_(numbered) {}

    // Empty when the numbers ran out (verifying run only).
    std::string ForBlock(uint8_t kind, size_t slot) {
        if (!numbered_) return std::string(kKinds[kind].placeholder);
        const bool literal = kind <= kKindPre;
        size_t& next = literal ? next_literal_ : next_other_;
        if (next >= kNumbersPerClass) return {};
        const size_t id = (literal ? 0 : kNumbersPerClass) + next++;
        if (numbers_.size() <= id) numbers_.resize(id + 1, Number{kNoKind, 0});
        numbers_[id] = {kind, slot};
        return {'<',
                '@',
                static_cast<char>('a' + id / (kLetters * kLetters)),
                static_cast<char>('a' + id / kLetters % kLetters),
                static_cast<char>('a' + id % kLetters),
                '@',
                '>'};
    }

    std::string ForAsp(size_t slot) const {
        if (!numbered_) return std::string(kAspMarker);
        if (slot >= kMaxNumberedAsp) return {};
        return {'<', static_cast<char>(kAspDigitBase + slot / kAspDigits),
                static_cast<char>(kAspDigitBase + slot % kAspDigits), '>'};
    }

    const std::vector<Number>& numbers() const { return numbers_; }

  private:
    bool numbered_;
    std::vector<Number> numbers_;  // by number; kind kNoKind for numbers not given out
    size_t next_literal_ = 0;
    size_t next_other_ = 0;
};

// The number of the block stand-in at index i, or npos.
size_t NumberedAt(std::string_view text, size_t i,
                  const std::vector<Placeholders::Number>& numbers) {
    if (i + kPlaceholderLength > text.size() || text[i] != '<' || text[i + 1] != '@' ||
        text[i + 5] != '@' || text[i + 6] != '>') {
        return npos;
    }
    size_t id = 0;
    for (size_t k = 2; k < 5; ++k) {
        const char c = text[i + k];
        if (c < 'a' || c > 'z') return npos;
        id = id * kLetters + static_cast<size_t>(c - 'a');
    }
    return id < numbers.size() && numbers[id].kind != kNoKind ? id : npos;
}

// The ASP slot of the ASP stand-in at index i, or npos.
size_t NumberedAspAt(std::string_view text, size_t i, size_t count) {
    if (i + kAspMarkerLength > text.size() || text[i] != '<' || text[i + 3] != '>') return npos;
    const auto hi = static_cast<unsigned char>(text[i + 1]);
    const auto lo = static_cast<unsigned char>(text[i + 2]);
    if (hi < kAspDigitBase || lo < kAspDigitBase) return npos;
    const size_t high = hi - kAspDigitBase;
    const size_t low = lo - kAspDigitBase;
    if (high >= kAspDigits || low >= kAspDigits) return npos;
    const size_t slot = high * kAspDigits + low;
    return slot < count ? slot : npos;
}

// Which kinds' start tags the text holds anywhere, found as the searches find them (ignoring
// ASCII case).
// Only a "<" followed by the second byte of some kind's start tag, a letter in either case, is
// looked at; a sixteen-byte test finds those places.
std::array<bool, kPlaceholderKinds> StartTagsIn(std::string_view text) {
    static_assert([] {
        for (const KindRow& row : kKinds) {
            if (row.start_tag[0] != '<' || row.start_tag[1] < 'a' || row.start_tag[1] > 'z')
                return false;
        }
        return true;
    }());
    alignas(16) static constexpr char kCaseBit[16] = {0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
                                                      0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
                                                      0x20, 0x20, 0x20, 0x20};
    const auto may_start = [](Bytes16 b0, Bytes16 b1, Bytes16) {
        const Bytes16 folded = b1 | Bytes16::Load(kCaseBit);
        Bytes16 named = folded == kKinds[0].start_tag[1];
        for (size_t kind = 1; kind < kPlaceholderKinds; ++kind)
            named = named | (folded == kKinds[kind].start_tag[1]);
        return (b0 == '<') & named;
    };
    std::array<bool, kPlaceholderKinds> present{};
    size_t missing = kPlaceholderKinds;
    ScanPlaces(text, 0, may_start, [&](size_t i) -> size_t {
        if (text[i] != '<') return i + 1;
        for (size_t kind = 0; kind < kPlaceholderKinds; ++kind) {
            const std::string_view tag = kKinds[kind].start_tag;
            if (present[kind] || text.size() - i < tag.size()) continue;
            size_t k = 1;
            while (k < tag.size() && BytesMatch(static_cast<unsigned char>(tag[k]),
                                                static_cast<unsigned char>(text[i + k]), true)) {
                ++k;
            }
            if (k == tag.size()) {
                present[kind] = true;
                --missing;
            }
        }
        return missing == 0 ? kScanEnd : i + 1;
    });
    return present;
}

// The extraction stages in the pipeline's order, on one document and one store.
class Extractor {
  public:
    Extractor(Engine& engine, ProtectedStore& store, Placeholders& placeholders)
        : engine_(engine), store_(store), placeholders_(placeholders) {}

    int32_t Run(Text& doc) {
        // A start tag that the document as read lacks cannot turn up after a cut (a placeholder
        // or marker pair never completes one), so one look at every "<" spares a search through
        // the whole document for each kind it lacks.
        const std::array<bool, kPlaceholderKinds> present = StartTagsIn(doc);
        if (FindExact(doc, kAspOpen) != npos) {
            store_.asp_ran = true;
            if (int32_t code = CutAsp(doc); code != 0) return code;
        }
        if (present[kKindStyle] && Contains(doc, kKinds[kKindStyle].start_tag, true)) {
            store_.style_ran = true;
            if (int32_t code = CutStyle(doc); code != 0) return code;
        }
        const bool later_styles =
            store_.style_ran && Contains(doc, kKinds[kKindStyle].start_tag, true);
        if ((present[kKindScript] && Contains(doc, kKinds[kKindScript].start_tag, true)) ||
            later_styles) {
            store_.script_ran = true;
            if (int32_t code = CutScripts(doc); code != 0) return code;
        }
        store_.literals.clear();
        store_.literal_count.fill(0);
        for (uint8_t kind = kKindPlaintext; kind <= kKindPre; ++kind) {
            // Once 255 blocks are stored the remaining kinds stay in the document unprotected.
            if (store_.literals.size() >= kMaxStoredBlocks) break;
            if (!present[kind] || !ContainsLiteralStart(doc, kind)) continue;
            store_.literal_ran[kind] = true;
            if (int32_t code = CutLiterals(doc, kind); code != 0) return code;
        }
        return 0;
    }

  private:
    // ASP code: the marker pair stays, the code goes to the next slot. A missing "%>" gives
    // kErrAspUnclosed (-12, not counted). The result is that of the last slot's compression.
    int32_t CutAsp(Text& doc) {
        int32_t result = 0;
        Text out;
        out.reserve(doc.size());
        size_t pos = 0;
        for (;;) {
            const size_t open = FindExact(doc, kAspOpen, pos);
            if (open == npos) break;
            // From two bytes after the "<", so "<%>" does not close itself.
            const size_t close = FindExact(doc, kAspClose, open + 2);
            if (close == npos) return kErrAspUnclosed;
            const std::string marker = placeholders_.ForAsp(store_.asp.size());
            if (marker.empty()) return kOutOfNumbers;
            out.append(doc, pos, open - pos);
            out += marker;
            store_.asp.push_back(doc.substr(open + 2, close - open - 2));
            result =
                engine_.options.ASPBlocks ? CompressScriptBlock(engine_, store_.asp.back()) : 0;
            pos = close + kAspClose.size();
        }
        out.append(doc, pos, npos);
        doc.swap(out);
        return result;
    }

    // The first style element only: "<style" through the first ">" at or after "</style".
    int32_t CutStyle(Text& doc) {
        const KindRow& row = kKinds[kKindStyle];
        const size_t start = FindFrom(doc, row.start_tag, 0, true);
        const size_t end_tag = FindFrom(doc, row.end_tag, start, true);
        const size_t close = end_tag == npos ? npos : doc.find('>', end_tag);
        if (close == npos) return TSQZ_ERR_BAD_STYLE;
        const std::string placeholder = placeholders_.ForBlock(kKindStyle, 0);
        if (placeholder.empty()) return kOutOfNumbers;
        store_.style = doc.substr(start, close + 1 - start);
        doc.replace(start, close + 1 - start, placeholder);
        if (engine_.options.CompressStyleSheets) CompressStyleBlock(engine_, store_.style);
        return 0;
    }

    // Script elements, "<script" through "/script>". A 256th block gives -5 (not counted); a
    // script without "/script>" gives -12 (counted). The result is that of the last slot's
    // compression. Style elements after the first are cut out here too, in document order
    // with the scripts, and are not compressed: their text is a style sheet, where white
    // space inside a quoted string or between two words matters as much as in a script. One
    // without an end tag stays in the document.
    int32_t CutScripts(Text& doc) {
        const KindRow& row = kKinds[kKindScript];
        const KindRow& style = kKinds[kKindStyle];
        int32_t result = 0;
        Text out;
        out.reserve(doc.size());
        size_t pos = 0;
        size_t next_script = FindFrom(doc, row.start_tag, pos, true);
        size_t next_style = store_.style_ran ? FindFrom(doc, style.start_tag, pos, true) : npos;
        for (;;) {
            const bool is_style = next_style < next_script;
            const size_t start = is_style ? next_style : next_script;
            if (start == npos) break;
            size_t stop = npos;
            if (is_style) {
                const size_t end_tag = FindFrom(doc, style.end_tag, start, true);
                const size_t close = end_tag == npos ? npos : doc.find('>', end_tag);
                if (close == npos) {
                    next_style = npos;
                    continue;
                }
                stop = close + 1;
            } else {
                const size_t end = FindFrom(doc, row.end_tag, start + 2, true);
                if (end == npos) {
                    if (store_.scripts.size() >= kMaxStoredBlocks) return TSQZ_ERR_TOO_MANY_SCRIPTS;
                    return TSQZ_ERR_SCRIPT_UNCLOSED;
                }
                stop = end + row.end_tag.size();
            }
            if (store_.scripts.size() >= kMaxStoredBlocks) return TSQZ_ERR_TOO_MANY_SCRIPTS;
            const std::string placeholder =
                placeholders_.ForBlock(kKindScript, store_.scripts.size());
            if (placeholder.empty()) return kOutOfNumbers;
            out.append(doc, pos, start - pos);
            out += placeholder;
            store_.scripts.push_back(doc.substr(start, stop - start));
            if (!is_style) {
                result = engine_.options.CompressScripts
                             ? CompressScriptBlock(engine_, store_.scripts.back())
                             : 0;
            }
            pos = stop;
            if (next_script < pos) next_script = FindFrom(doc, row.start_tag, pos, true);
            if (next_style < pos) next_style = FindFrom(doc, style.start_tag, pos, true);
        }
        out.append(doc, pos, npos);
        doc.swap(out);
        return result;
    }

    // One literal kind: each bare start tag through the end tag that closes it.
    int32_t CutLiterals(Text& doc, uint8_t kind) {
        const KindRow& row = kKinds[kind];
        Text out;
        out.reserve(doc.size());
        size_t pos = 0;
        for (;;) {
            size_t start_length = 0;
            const size_t start = FindLiteralStart(doc, kind, pos, start_length);
            if (start == npos) break;
            if (store_.literals.size() >= kMaxStoredBlocks) return TSQZ_ERR_TOO_MANY_BLOCKS;
            const size_t end = FindLiteralEnd(doc, kind, start + start_length);
            if (end == npos) return TSQZ_ERR_UNCLOSED_BLOCK;
            const size_t stop = end + row.end_tag.size();
            const std::string placeholder = placeholders_.ForBlock(kind, store_.literals.size());
            if (placeholder.empty()) return kOutOfNumbers;
            out.append(doc, pos, start - pos);
            out += placeholder;
            store_.literals.push_back(doc.substr(start, stop - start));
            ++store_.literal_count[kind];
            pos = stop;
        }
        out.append(doc, pos, npos);
        doc.swap(out);
        return 0;
    }

    Engine& engine_;
    ProtectedStore& store_;
    Placeholders& placeholders_;
};

// True when the document already holds placeholder text of a kind it also has blocks of.
// The literal kinds are judged by their start tags anywhere in the document, so a start tag
// hidden in a script also counts: refusing such a rare document is the safe side.
bool HoldsPlaceholderText(std::string_view doc) {
    // Both marker texts hold the byte 0xFE: a document without it has neither.
    const bool markers = doc.find(kAspMark) != npos && (FindExact(doc, kAspMarkOpen) != npos ||
                                                        FindExact(doc, kAspMarkClose) != npos);
    if (markers && FindExact(doc, kAspOpen) != npos) return true;
    if (FindExact(doc, "<@") == npos) return false;
    for (uint8_t kind = 0; kind < kPlaceholderKinds; ++kind) {
        const KindRow& row = kKinds[kind];
        if (FindExact(doc, row.placeholder) == npos) continue;
        if (kind <= kKindPre ? ContainsLiteralStart(doc, kind) : Contains(doc, row.start_tag, true))
            return true;
        // Script placeholders also stand for the style elements after the first.
        if (kind == kKindScript && Contains(doc, kKinds[kKindStyle].start_tag, true)) return true;
    }
    return false;
}

// Whether a placeholder (or an ASP marker) could turn up that is not one of ours; then a lost
// placeholder could go unnoticed by the count, and the restore follows the blocks instead of
// trusting the order. The compressors have already run, so a placeholder they made shows as
// one too many; the passes are still to come, so the document must not hold a partial one.
// Pass-made marker pairs need a byte 0xFE, which no pass writes.
bool NearPlaceholders(const ProtectedStore& store, std::string_view doc) {
    if (store.asp_ran && store.original.find(kAspMark) != npos) return true;
    bool any = false;
    for (size_t kind = 0; kind < kPlaceholderKinds; ++kind)
        any = any || KindRan(store, kind);
    if (!any) return false;
    PlaceholderCensus census;
    CountPlaceholderText(doc, true, census);
    CountPlaceholderText(store.style, false, census);
    for (const std::string& block : store.scripts)
        CountPlaceholderText(block, false, census);
    for (const std::string& block : store.literals)
        CountPlaceholderText(block, false, census);
    for (size_t kind = 0; kind < kPlaceholderKinds; ++kind) {
        if (!KindRan(store, kind)) continue;
        if (census.partial[kind] || census.whole[kind] != StoredCount(store, kind)) return true;
    }
    return false;
}

// The plain restore: literal kinds in their order with one cursor over the literal slots,
// script blocks, the style block, then ASP code, each kind's placeholders in document order.
// It runs with the checks that make that order trustworthy and returns false as soon as the
// order could be wrong: a kind with more or fewer placeholders than blocks, a
// block whose own text would be searched again (a script or ASP slot that holds the pattern),
// an ASP marker pair that was taken apart, or more than one style placeholder.
bool RestoreInOrder(const ProtectedStore& store, std::string_view doc, Text& out, int32_t& code) {
    code = 0;
    Text cur(doc);
    Text next;
    size_t cursor = 0;
    for (uint8_t kind = kKindPlaintext; kind <= kKindPre; ++kind) {
        if (!store.literal_ran[kind]) continue;
        const std::string_view placeholder = kKinds[kind].placeholder;
        size_t found = 0;
        size_t pos = 0;
        next.clear();
        for (size_t at = FindExact(cur, placeholder); at != npos;
             at = FindExact(cur, placeholder, pos)) {
            if (found == store.literal_count[kind]) return false;
            next.append(cur, pos, at - pos);
            next += store.literals[cursor++];
            ++found;
            pos = at + kPlaceholderLength;  // the search goes on after the inserted block
        }
        if (found != store.literal_count[kind]) return false;
        next.append(cur, pos, npos);
        cur.swap(next);
    }
    if (store.script_ran) {
        // The search goes on where the inserted block begins, so a block must neither hold a
        // placeholder nor end in the first bytes of one that the following text completes.
        const std::string_view placeholder = kKinds[kKindScript].placeholder;
        size_t found = 0;
        size_t pos = 0;
        next.clear();
        for (size_t at = FindExact(cur, placeholder); at != npos;
             at = FindExact(cur, placeholder, pos)) {
            if (found == store.scripts.size()) return false;
            const std::string& block = store.scripts[found];
            if (block.empty() || FindExact(block, placeholder) != npos) return false;
            for (size_t k = 1; k < kPlaceholderLength; ++k) {
                if (block.size() >= k &&
                    block.compare(block.size() - k, k, placeholder.substr(0, k)) == 0 &&
                    cur.compare(at + kPlaceholderLength, kPlaceholderLength - k,
                                placeholder.substr(k)) == 0) {
                    return false;
                }
            }
            next.append(cur, pos, at - pos);
            next += block;
            ++found;
            pos = at + kPlaceholderLength;
        }
        if (found != store.scripts.size()) return false;
        next.append(cur, pos, npos);
        cur.swap(next);
    }
    if (store.style_ran) {
        const std::string_view placeholder = kKinds[kKindStyle].placeholder;
        const size_t at = FindExact(cur, placeholder);
        if (at == npos) {
            code = TSQZ_ERR_STYLE_RESTORE;
        } else {
            if (FindExact(cur, placeholder, at + kPlaceholderLength) != npos) return false;
            cur.replace(at, kPlaceholderLength, store.style);
        }
    }
    if (store.asp_ran) {
        size_t found = 0;
        size_t pos = 0;
        next.clear();
        for (size_t at = FindExact(cur, kAspMarkOpen); at != npos;
             at = FindExact(cur, kAspMarkOpen, pos)) {
            if (found == store.asp.size()) return false;
            if (cur.compare(at + 2, kAspMarkClose.size(), kAspMarkClose) != 0) return false;
            const std::string& code_text = store.asp[found];
            if (FindExact(code_text, kAspMarkOpen) != npos) return false;
            next.append(cur, pos, at - pos);
            next += kAspOpen;
            next += code_text;
            next += kAspClose;
            ++found;
            pos = at + kAspMarkerLength;
        }
        if (found != store.asp.size()) return false;
        next.append(cur, pos, npos);
        cur.swap(next);
    }
    out.swap(cur);
    return true;
}

// Reads every numbered stand-in as the fixed placeholder or marker pair it replaced.
Text AsFixed(std::string_view text, const ProtectedStore& store, const Placeholders& numbered) {
    Text out;
    out.reserve(text.size());
    size_t pos = 0;
    for (size_t at = text.find('<'); at != npos; at = text.find('<', at + 1)) {
        if (at < pos) continue;
        const size_t id = NumberedAt(text, at, numbered.numbers());
        if (id != npos) {
            out.append(text, pos, at - pos);
            out += kKinds[numbered.numbers()[id].kind].placeholder;
            pos = at + kPlaceholderLength;
        } else if (NumberedAspAt(text, at, store.asp.size()) != npos) {
            out.append(text, pos, at - pos);
            out += kAspMarker;
            pos = at + kAspMarkerLength;
        }
    }
    out.append(text, pos, npos);
    return out;
}

// Both runs cut the same blocks and compressed them alike.
bool SameBlocks(const ProtectedStore& real, const ProtectedStore& probe,
                const Placeholders& numbered) {
    if (real.asp_ran != probe.asp_ran || real.style_ran != probe.style_ran ||
        real.script_ran != probe.script_ran || real.literal_ran != probe.literal_ran ||
        real.literal_count != probe.literal_count || real.asp != probe.asp ||
        real.scripts.size() != probe.scripts.size() ||
        real.literals.size() != probe.literals.size()) {
        return false;
    }
    if (real.style != AsFixed(probe.style, probe, numbered)) return false;
    for (size_t i = 0; i < real.scripts.size(); ++i) {
        if (real.scripts[i] != AsFixed(probe.scripts[i], probe, numbered)) return false;
    }
    for (size_t i = 0; i < real.literals.size(); ++i) {
        if (real.literals[i] != AsFixed(probe.literals[i], probe, numbered)) return false;
    }
    return true;
}

// Puts every block back at the stand-in carrying its number, blocks inside blocks included.
// Fails when a number turns up twice.
class NumberedRestore {
  public:
    NumberedRestore(const ProtectedStore& store, const Placeholders& numbered)
        : store_(store),
          numbered_(numbered),
          used_(numbered.numbers().size(), false),
          used_asp_(store.asp.size(), false) {}

    bool Expand(std::string_view text, Text& out) {
        size_t pos = 0;
        for (size_t at = text.find('<'); at != npos; at = text.find('<', at + 1)) {
            if (at < pos) continue;
            const size_t id = NumberedAt(text, at, numbered_.numbers());
            if (id != npos) {
                if (used_[id]) return false;
                used_[id] = true;
                out.append(text, pos, at - pos);
                const Placeholders::Number& n = numbered_.numbers()[id];
                if (n.kind == kKindStyle) style_back_ = true;
                const std::string& block = n.kind == kKindStyle    ? store_.style
                                           : n.kind == kKindScript ? store_.scripts[n.slot]
                                                                   : store_.literals[n.slot];
                if (!Expand(block, out)) return false;
                pos = at + kPlaceholderLength;
                continue;
            }
            const size_t slot = NumberedAspAt(text, at, used_asp_.size());
            if (slot != npos) {
                if (used_asp_[slot]) return false;
                used_asp_[slot] = true;
                out.append(text, pos, at - pos);
                out += kAspOpen;
                out += store_.asp[slot];
                out += kAspClose;
                pos = at + kAspMarkerLength;
            }
        }
        out.append(text, pos, npos);
        return true;
    }

    bool style_back() const { return style_back_; }

  private:
    const ProtectedStore& store_;
    const Placeholders& numbered_;
    std::vector<bool> used_;
    std::vector<bool> used_asp_;
    bool style_back_ = false;
};

// Repeats extraction and the passes with numbered stand-ins (on a copy of the engine, so that
// neither figures nor run state change) and restores by number. False when the repeated run
// does not reproduce the real one exactly, or cannot be made.
bool RestoreByNumber(Engine& engine, std::string_view passed, PassRunner passes, Text& out,
                     int32_t& code) {
    ProtectedStore kept = std::move(engine.store);
    Engine probe = engine;
    engine.store = std::move(kept);
    const ProtectedStore& real = engine.store;
    if (!real.run_before) return false;
    probe.run = *real.run_before;
    probe.hooks.step_observer = nullptr;

    ProtectedStore store;
    Placeholders numbered(true);
    Text doc = real.original;
    if (Extractor(probe, store, numbered).Run(doc) != 0) return false;
    if (!SameBlocks(real, store, numbered)) return false;

    if (!passes(probe, doc)) return false;
    if (AsFixed(doc, store, numbered) != passed) return false;

    NumberedRestore restore(store, numbered);
    Text result;
    result.reserve(doc.size());
    if (!restore.Expand(doc, result)) return false;
    code = (store.style_ran && !restore.style_back()) ? TSQZ_ERR_STYLE_RESTORE : 0;
    out.swap(result);
    return true;
}

}  // namespace

void CountPlaceholderText(std::string_view text, bool with_partials, PlaceholderCensus& census) {
    static_assert(std::tuple_size_v<decltype(census.whole)> == kPlaceholderKinds);
    for (size_t i = text.find('@'); i != npos; i = text.find('@', i + 1)) {
        for (size_t kind = 0; kind < kPlaceholderKinds; ++kind) {
            const std::string_view placeholder = kKinds[kind].placeholder;
            // A whole placeholder is counted at its first "@", one byte in.
            const bool whole_here =
                i >= 1 && text.compare(i - 1, placeholder.size(), placeholder) == 0;
            if (whole_here) ++census.whole[kind];
            if (!with_partials || census.partial[kind]) continue;
            // "@PRE" starts at this "@" and "PRE@" ends at it; either is partial unless it lies
            // in a whole placeholder, one or two bytes in.
            const std::string_view head = placeholder.substr(1, 4);
            const std::string_view tail = placeholder.substr(2, 4);
            if (text.compare(i, head.size(), head) == 0 && !whole_here) {
                census.partial[kind] = true;
            } else if (i >= 3 && text.compare(i - 3, tail.size(), tail) == 0 &&
                       (i < 5 || text.compare(i - 5, placeholder.size(), placeholder) != 0)) {
                census.partial[kind] = true;
            }
        }
    }
}

int32_t ExtractProtectedBlocks(Engine& engine, std::string& document) {
    ProtectedStore& store = engine.store;
    store.Clear();
    if (HoldsPlaceholderText(document)) {
        CountError(engine, TSQZ_ERR_TOKEN_IN_INPUT);
        return TSQZ_ERR_TOKEN_IN_INPUT;
    }
    store.original = document;
    store.run_before = std::make_shared<const RunState>(engine.run);
    Placeholders fixed(false);
    if (int32_t code = Extractor(engine, store, fixed).Run(document); code != 0) {
        // Counted as the error table says, here, so callers of the extraction see the count.
        CountError(engine, code);
        return ReturnedCode(code);
    }
    store.near_placeholders = NearPlaceholders(store, document);
    return 0;
}

int32_t RestoreProtectedBlocks(Engine& engine, std::string& document, PassRunner passes) {
    if (!AnyRan(engine.store)) {
        engine.store.Clear();
        return 0;
    }
    Text restored;
    int32_t code = 0;
    const bool in_order = RestoreInOrder(engine.store, document, restored, code);
    if (!in_order || engine.store.near_placeholders) {
        Text followed;
        int32_t followed_code = 0;
        if (RestoreByNumber(engine, document, passes, followed, followed_code)) {
            restored.swap(followed);
            code = followed_code;
        } else if (!in_order) {
            // No safe way to match blocks and placeholders: hand on the document as read. The
            // savings of the passes did not happen then.
            restored = std::move(engine.store.original);
            code = TSQZ_ERR_TOKEN_IN_INPUT;
            if (engine.stats.on) engine.stats.file.fill(0);
        }
    }
    document.swap(restored);
    engine.store.Clear();
    return code;
}

}  // namespace tsqz
