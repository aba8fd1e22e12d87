// The option table and the option block's reset rules.
#include "options.h"

#include <algorithm>
#include <array>

namespace tsqz {
namespace {

using K = OptionKind;
using B = OptionBlock;

constexpr std::array<OptionInfo, 34> kOptions = {{
    {"STRONGtoB", kTagOptions, K::Switch, &B::STRONGtoB, "CompressSTRONG2B", false},
    {"EMToI", kTagOptions, K::Switch, &B::EMToI, "CompressEM2I", false},
    {"CITEToI", kTagOptions, K::Switch, &B::CITEToI, "CompressCITE2I", false},
    {"ADDRESSToI", kTagOptions, K::Switch, &B::ADDRESSToI, "CompressADDRESS2I", false},
    {"DFNToI", kTagOptions, K::Switch, &B::DFNToI, "CompressDFN2I", false},
    {"CODEToTT", kTagOptions, K::Switch, &B::CODEToTT, "CompressCODE2TT", false},
    {"SAMPToTT", kTagOptions, K::Switch, &B::SAMPToTT, "CompressSAMP2TT", false},
    {"KBDToTT", kTagOptions, K::Switch, &B::KBDToTT, "CompressKBD2TT", false},
    {"StripClosingP", kTagOptions, K::Switch, &B::StripClosingP, "CompressEndP", false},
    {"StripEmpties", kTagOptions, K::Switch, &B::StripEmpties, "CompressEmpties", false},
    {"StripComments", kTagOptions, K::Switch, &B::StripComments, "CompressHTMLComments", false},
    {"StripGenerator", kTagOptions, K::Switch, &B::StripGenerator, "", true},
    {"StripAllMeta", kTagOptions, K::Switch, &B::StripAllMeta, "CompressMetaTags", false},
    {"NoDTD", kTagOptions, K::Switch, &B::NoDTD, "CompressDTD", false},
    {"StripClosingLI", kTagOptions, K::Switch, &B::StripClosingLI, "CompressListItems", false},
    {"StandardColors", kTagOptions, K::Switch, &B::StandardColors, "CompressColors", false},
    {"ShrinkFontTags", kTagOptions, K::Switch, &B::ShrinkFontTags, "CompressFontTags", false},
    {"MSNSOnly", kTagOptions, K::Switch, &B::MSNSOnly, "", true},
    {"UseISOTag", kFineTuning, K::Switch, &B::UseISOTag, "InsertISOTag", false},
    {"StandardizeChars", kFineTuning, K::Level, &B::StandardizeChars, "CompressCharEntities",
     false},
    {"StripNonHTML", kFineTuning, K::Switch, &B::StripNonHTML, "RemoveNonHTML", false},
    {"StripBlankLines", kFineTuning, K::Switch, &B::StripBlankLines, "RemoveBlankLines", false},
    {"OptimizeLines", kFineTuning, K::Switch, &B::OptimizeLines, "RewrapLines", false},
    {"StripSpaces", kFineTuning, K::Switch, &B::StripSpaces, "RemoveExcessSpaces", false},
    {"StripQuotes", kFineTuning, K::Switch, &B::StripQuotes, "RemoveExcessQuotes", false},
    {"CRLFToLF", kFineTuning, K::Switch, &B::CRLFToLF, "CompressEOLs", false},
    {"CompressStyleSheets", kFineTuning, K::Switch, &B::CompressStyleSheets, "CompressStyleSheets",
     true},
    {"WordWrap", kFineTuning, K::Width, nullptr, "RewrapLines", false},
    {"CompressScripts", kFineTuning, K::Switch, &B::CompressScripts, "CompressScriptBlocks", false},
    {"ScriptSpaces", kScriptOptions, K::Switch, &B::ScriptSpaces, "CompressScriptSpaces", false},
    {"ScriptLines", kScriptOptions, K::Switch, &B::ScriptLines, "CompressScriptLines", false},
    {"ScriptComments", kScriptOptions, K::Switch, &B::ScriptComments, "CompressScriptComments",
     false},
    {"ScriptEOLs", kScriptOptions, K::Switch, &B::ScriptEOLs, "CompressScriptEOLs", false},
    {"ASPBlocks", kScriptOptions, K::Switch, &B::ASPBlocks, "CompressASP", false},
}};

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
               auto ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
               return lx == ly;
           });
}

}  // namespace

std::span<const OptionInfo> OptionTable() { return kOptions; }

const OptionInfo* FindOption(std::string_view name) {
    for (const auto& info : kOptions) {
        if (EqualsIgnoreCase(info.name, name)) return &info;
    }
    return nullptr;
}

void ResetOptions(OptionBlock& options) {
    for (const auto& info : kOptions) {
        if (info.byte_member && !info.kept_by_init) options.*info.byte_member = 0;
    }
    options.WordWrap = 254;
}

uint8_t SetEntityLevel(OptionBlock& options, uint8_t* level) {
    if (!level) return options.StandardizeChars = 0;
    if (*level > 5) *level = 0;
    options.StandardizeChars = *level;
    return *level;
}

int32_t SetRewrapWidth(OptionBlock& options, int32_t width) {
    options.OptimizeLines = width >= 0 ? 1 : 0;
    if (width >= 0) options.WordWrap = NormalizeWordWrap(width);
    return width;
}

uint16_t NormalizeWordWrap(int64_t width) {
    if (width <= 0) return 254;
    if (width < 30) return 30;
    // Wider than the 16-bit member holds: the widest line it can hold.
    return static_cast<uint16_t>(std::min<int64_t>(width, 65535));
}

}  // namespace tsqz
