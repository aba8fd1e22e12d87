// Phrase-tag conversions and optional end-tag removal.
#include <string_view>
#include <tuple>
#include <vector>

#include "byte_scan.h"
#include "passes.h"
#include "tag_scan.h"

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
// a sixteen-byte test hands over just those places, as most tags of a page are other elements.
// Every name begins with a letter, so its two cases are the two bytes to look for.
void ConvertElementTags(Text& chunk, std::string_view name, std::string_view short_name,
                        std::vector<bool>& open) {
    const size_t n = chunk.size();
    const auto first = static_cast<unsigned char>(name[0]);
    const char upper = static_cast<char>(first & ~0x20), lower = static_cast<char>(first | 0x20);
    const auto may_start = [upper, lower](Bytes16 b0, Bytes16 b1, Bytes16 b2) {
        const Bytes16 named1 = (b1 == upper) | (b1 == lower);
        const Bytes16 named2 = (b2 == upper) | (b2 == lower);
        return (b0 == '<') & (named1 | ((b1 == '/') & named2));
    };
    Text out;
    size_t copied = 0;
    ScanPlaces(chunk, 0, may_start, [&](size_t lt) -> size_t {
        if (chunk[lt] != '<') return lt + 1;
        size_t at = lt + 1;
        const bool end_tag = at < n && chunk[at] == '/';
        if (end_tag) ++at;
        if (!NameAt(chunk, at, name)) return lt + 1;
        const size_t after = at + name.size();
        if (after >= n) return lt + 1;
        const auto next = static_cast<unsigned char>(chunk[after]);
        const bool bare = next == '>';
        if (!bare && !EndsTagName(next)) return lt + 1;  // a longer name such as <EMBED>
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
        if (!convert) return lt + 1;
        if (out.empty()) out.reserve(n);
        out.append(chunk, copied, at - copied);
        out.append(short_name);
        copied = after;
        return lt + 1;
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
