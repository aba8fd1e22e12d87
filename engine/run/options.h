// The option block and the one table that names its members.
//
// The table drives persistence (section and value name), the report's option lines, the
// command-line tool's --set names and the setters, so a member is described in one place.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace tsqz {

// Members in their declared order; each switch is on when nonzero.
struct OptionBlock {
    uint8_t STRONGtoB = 0;
    uint8_t EMToI = 0;
    uint8_t CITEToI = 0;
    uint8_t ADDRESSToI = 0;
    uint8_t DFNToI = 0;
    uint8_t CODEToTT = 0;
    uint8_t SAMPToTT = 0;
    uint8_t KBDToTT = 0;
    uint8_t StripClosingP = 0;
    uint8_t StripEmpties = 0;
    uint8_t StripComments = 0;
    uint8_t StripNonHTML = 0;
    uint8_t StripGenerator = 0;
    uint8_t StripAllMeta = 0;
    uint8_t NoDTD = 0;
    uint8_t StripClosingLI = 0;
    uint8_t StripBlankLines = 0;
    uint8_t OptimizeLines = 0;
    uint8_t StripSpaces = 0;
    uint8_t StripQuotes = 0;
    uint8_t CRLFToLF = 0;
    uint8_t StandardColors = 0;
    uint8_t ShrinkFontTags = 0;
    uint8_t CompressScripts = 0;
    uint8_t CompressStyleSheets = 0;
    uint8_t ScriptSpaces = 0;
    uint8_t ScriptLines = 0;
    uint8_t ScriptComments = 0;
    uint8_t ScriptEOLs = 0;
    uint8_t ASPBlocks = 0;
    uint8_t UseISOTag = 0;
    uint8_t MSNSOnly = 0;
    uint8_t StandardizeChars = 0;  // entity level 0..5 (persisted values up to 255 kept)
    uint16_t WordWrap = 254;       // never 0, never below 30 once set
};

enum class OptionKind : uint8_t { Switch, Level, Width };

// Sections of the persisted options.
inline constexpr std::string_view kTagOptions = "Tag Options";
inline constexpr std::string_view kFineTuning = "Fine Tuning";
inline constexpr std::string_view kScriptOptions = "Script block options";

struct OptionInfo {
    std::string_view name;     // member and persisted value name
    std::string_view section;  // INI section
    OptionKind kind;
    uint8_t OptionBlock::*byte_member;  // switches and the entity level
    std::string_view setter;            // exported setter, empty when none
    bool kept_by_init;                  // InitCompressionParams leaves it as it was
};

// All 34 members in the persisted order of their sections: "Tag Options", then
// "Fine Tuning", then "Script block options". WordWrap has no byte member.
// Header-only data, so the command-line tool names the options without linking the engine.
namespace option_rows {
using K = OptionKind;
using B = OptionBlock;

inline constexpr std::array<OptionInfo, 34> kOptionTable = {{
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
}  // namespace option_rows
using option_rows::kOptionTable;

std::span<const OptionInfo> OptionTable();
const OptionInfo* FindOption(std::string_view name);  // name matched ignoring ASCII case

// Turns every switch that has a setter off except CompressStyleSheets, entity level 0,
// WordWrap 254. StripGenerator, MSNSOnly and CompressStyleSheets keep their values.
void ResetOptions(OptionBlock& options);

// The setters with rules of their own. A level above 5 is written back as 0 and stored;
// a width >= 0 turns line optimisation on with its normalised width, a negative one turns it
// off and keeps the width. Both return what the export returns.
uint8_t SetEntityLevel(OptionBlock& options, uint8_t* level);
int32_t SetRewrapWidth(OptionBlock& options, int32_t width);

// WordWrap as every source stores it: 0 gives 254, 1..29 give 30.
constexpr uint16_t NormalizeWordWrap(int64_t width) {
    if (width <= 0) return 254;
    if (width < 30) return 30;
    // Wider than the 16-bit member holds: the widest line it can hold.
    return static_cast<uint16_t>(width < 65535 ? width : 65535);
}

}  // namespace tsqz
