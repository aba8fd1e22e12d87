// Phrase-tag conversions and optional end-tag removal.
#include <string_view>
#include <tuple>
#include <vector>

#include "text/byte_scan.h"
#include "passes/passes.h"
#include "text/tag_scan.h"

namespace tsqz {
namespace {

// One row per option. A conversion's pattern is the element name and its ">"; one pattern
// serves both the start and the end tag. A deletion's pattern is the whole end tag.
struct TagRow {
    TagRule rule;
    std::string_view pattern;
    std::string_view replacement;  // written exactly as stored; empty: delete the pattern
    Slot slot;
};

constexpr TagRow kTagRows[] = {
    {TagRule::STRONGtoB, "STRONG>", "B>", kSlotSTRONGtoB},
    {TagRule::EMToI, "EM>", "I>", kSlotEMToI},
    {TagRule::CITEToI, "CITE>", "I>", kSlotCITEToI},
    {TagRule::ADDRESSToI, "ADDRESS>", "I>", kSlotADDRESSToI},
    {TagRule::DFNToI, "DFN>", "I>", kSlotDFNToI},
    {TagRule::CODEToTT, "CODE>", "TT>", kSlotCODEToTT},
    {TagRule::SAMPToTT, "SAMP>", "TT>", kSlotSAMPToTT},
    {TagRule::KBDToTT, "KBD>", "TT>", kSlotKBDToTT},
    {TagRule::StripClosingP, "</P>", "", kSlotStripClosingP},
    {TagRule::StripClosingLI, "</LI>", "", kSlotStripClosingLI},
};

// The conversions come first in TagRule and index the run state's nesting stacks.
static_assert(static_cast<size_t>(TagRule::KBDToTT) <
              std::tuple_size_v<decltype(RunState::open_phrase_tags)>);

const TagRow* FindRow(TagRule rule) {
    for (const TagRow& row : kTagRows) {
        if (row.rule == rule) return &row;
    }
    return nullptr;
}

// Bit k set where the byte at p + k is c, for the 64 bytes from p.
uint64_t Mask64(const char* p, char c) {
    uint64_t mask = 0;
    for (int k = 0; k < 4; ++k)
        mask |= uint64_t{(Bytes16::Load(p + 16 * k) == c).Mask()} << (16 * k);
    return mask;
}

// Bit k set where the byte at p + k is the lower-case letter c or its upper case.
uint64_t LetterMask64(const char* p, char c) {
    alignas(16) static constexpr char kCaseBit[16] = {0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
                                                      0x20, 0x20, 0x20, 0x20, 0x20, 0x20,
                                                      0x20, 0x20, 0x20, 0x20};
    const Bytes16 case_bit = Bytes16::Load(kCaseBit);
    uint64_t mask = 0;
    for (int k = 0; k < 4; ++k)
        mask |= uint64_t{((Bytes16::Load(p + 16 * k) | case_bit) == c).Mask()} << (16 * k);
    return mask;
}

// Calls visit(i) in order for each index i of a "<" followed by `upper` or `lower`, directly
// or after "/", and for every index of the last bytes of the text (fewer than 66), which the
// visit checks in full.
template <typename Visit>
void ForEachTagStart(std::string_view text, char upper, char lower, Visit&& visit) {
    const char* s = text.data();
    const size_t n = text.size();
    const auto named = [upper, lower](char c) -> uint64_t { return c == upper || c == lower; };
    size_t i = 0;
    for (; i + 66 <= n; i += 64) {
        const uint64_t lt = Mask64(s + i, '<');
        if (lt == 0) continue;
        const uint64_t letter = LetterMask64(s + i, lower);
        const uint64_t slash = Mask64(s + i, '/');
        // The masks moved on by one and two bytes, with the bytes after the 64 filled in.
        const uint64_t letter1 = letter >> 1 | named(s[i + 64]) << 63;
        const uint64_t letter2 = letter >> 2 | named(s[i + 64]) << 62 | named(s[i + 65]) << 63;
        const uint64_t slash1 = slash >> 1 | uint64_t{s[i + 64] == '/'} << 63;
        for (uint64_t places = lt & (letter1 | (slash1 & letter2)); places != 0;
             places &= places - 1) {
            visit(i + static_cast<size_t>(__builtin_ctzll(places)));
        }
    }
    for (; i < n; ++i)
        visit(i);
}

std::string_view WithoutClose(std::string_view pattern) {
    return pattern.substr(0, pattern.size() - 1);
}

// Rewrites the element's own tags only: the name must follow "<" or "</" directly, so a
// longer name ending in the same letters (<ITEM>) or text such as "problem>" stays. A start
// tag is converted only in its bare form (<CODE>); one with attributes (<CODE CLASS=x>) keeps
// its name, and so does the end tag that closes it, matched by nesting, so start and end
// tags always agree and styling by class keeps applying. An end tag that closes a converted
// start tag is converted in any form (</CODE > too); a bare end tag that closes nothing is
// converted as well. `open` carries the nesting from one chunk to the next.
//
// Only a "<" followed by the name's first letter, directly or after "/", can start such a tag;
// a test of 64 bytes at a time hands over just those places, as most tags of a page are other
// elements. Every name begins with a letter, so its two cases are the two bytes to look for.
void ConvertElementTags(Text& chunk, std::string_view name, std::string_view short_name,
                        std::vector<bool>& open) {
    const size_t n = chunk.size();
    const auto first = static_cast<unsigned char>(name[0]);
    const char upper = static_cast<char>(first & ~0x20), lower = static_cast<char>(first | 0x20);
    Text out;
    size_t copied = 0;
    ForEachTagStart(chunk, upper, lower, [&](size_t lt) {
        if (chunk[lt] != '<') return;
        size_t at = lt + 1;
        const bool end_tag = at < n && chunk[at] == '/';
        if (end_tag) ++at;
        if (!NameAt(chunk, at, name)) return;
        const size_t after = at + name.size();
        if (after >= n) return;
        const auto next = static_cast<unsigned char>(chunk[after]);
        const bool bare = next == '>';
        if (!bare && !EndsTagName(next)) return;  // a longer name such as <EMBED>
        bool convert;
        if (!end_tag) {
            convert = bare;
            open.push_back(convert);
        } else if (open.empty()) {
            convert = bare;
        } else {
            convert = open.back();
            open.pop_back();
        }
        if (!convert) return;
        if (out.empty()) out.reserve(n);
        out.append(chunk, copied, at - copied);
        out.append(short_name);
        copied = after;
    });
    if (copied == 0) return;
    out.append(chunk, copied, Text::npos);
    chunk.swap(out);
}

}  // namespace

void ApplyTagRule(Engine& engine, Text& chunk, TagRule rule) {
    const TagRow* row = FindRow(rule);
    if (row == nullptr) return;
    BeginSavings(engine, chunk);
    if (row->replacement.empty()) {
        ReplaceAllCase(chunk, row->pattern, row->replacement, true);
    } else {
        ConvertElementTags(chunk, WithoutClose(row->pattern), WithoutClose(row->replacement),
                           engine.run.open_phrase_tags[static_cast<size_t>(rule)]);
    }
    EndSavings(engine, chunk, row->slot);
}

}  // namespace tsqz
