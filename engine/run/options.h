// The option block and the one table that names its members.
//
// The table drives persistence (section, value name, template values), the report's option
// lines, the exported setters and the option functions by name (which the command-line tool
// and other hosts use), and the dispatcher's step names, so a member is described in one place.
// To add an option: a member in OptionBlock and one row in the table; a new section: its
// name in kOptionSections (and in the public header when hosts write it).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "include/tagsqueeze.h"

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
    // The web template (beyond the original): Web runs it instead of the passes above; each
    // WebNo... switch turns one of its rules off.
    uint8_t Web = 0;
    uint8_t WebNoWhitespace = 0;
    uint8_t WebNoOptionalTags = 0;
    uint8_t WebNoAttributeQuotes = 0;
    uint8_t WebNoBooleanAttributes = 0;
    uint8_t WebNoDefaultAttributes = 0;
    uint8_t WebNoCharacterReferences = 0;
    uint8_t WebNoComments = 0;
    uint8_t WebNoDoctype = 0;
    uint8_t WebNoTagSpace = 0;
    uint8_t WebNoStyles = 0;
    uint8_t WebNoScripts = 0;
};

// Statistics slots given to RecordSavings; the number is the slot.
enum Slot : int {
    kSlotEMToI = 1,
    kSlotCITEToI = 2,
    kSlotADDRESSToI = 3,
    kSlotDFNToI = 4,
    kSlotCODEToTT = 5,
    kSlotSAMPToTT = 6,
    kSlotStripClosingP = 7,
    kSlotStripClosingLI = 8,
    kSlotStripEmpties = 9,
    kSlotStripQuotes = 10,
    kSlotStripSpaces = 11,
    kSlotOptimizeLines = 12,
    kSlotEntities = 13,
    kSlotNoDTD = 14,
    kSlotStripGenerator = 15,
    kSlotStripAllMeta = 16,
    kSlotStripNonHTML = 17,
    kSlotStripComments = 18,
    kSlotCRLFToLF = 19,
    kSlotSTRONGtoB = 20,
    kSlotScripts = 21,
    kSlotStandardColors = 22,
    kSlotShrinkFontTags = 23,
    kSlotKBDToTT = 24,
    kSlotStripBlankLines = 25,
    kSlotStyleSheets = 26,
    kSlotScriptSpaces = 27,
    kSlotScriptComments = 28,
    kSlotScriptEOLs = 29,
    kSlotScriptLines = 30,
    // The web template's rules, one slot each in the order of web::WebRule (slots of our own,
    // beyond the original 30; the passes never record into them).
    kSlotWebWhitespace = 31,
    kSlotWebOptionalTags = 32,
    kSlotWebAttributeQuotes = 33,
    kSlotWebBooleanAttributes = 34,
    kSlotWebDefaultAttributes = 35,
    kSlotWebCharacterReferences = 36,
    kSlotWebComments = 37,
    kSlotWebDoctype = 38,
    kSlotWebTagSpace = 39,
    kSlotWebStyles = 40,
    kSlotWebScripts = 41,
};
inline constexpr int kSlotCount = 30;  // the passes' slots, 1..30
inline constexpr int kSlotWebFirst = kSlotWebWhitespace;
inline constexpr int kAllSlotCount = kSlotWebScripts;  // every counter, 1..41
constexpr bool IsWebSlot(int slot) { return slot >= kSlotWebFirst && slot <= kAllSlotCount; }

// The kinds as the public header numbers them.
enum class OptionKind : uint8_t {
    Switch = TSQZ_OPTION_SWITCH,
    Level = TSQZ_OPTION_LEVEL,
    Width = TSQZ_OPTION_WIDTH,
};

// The settings-file sections, in their persisted order. A new section is one more name here
// and its rows in the table below.
inline constexpr std::string_view kTagOptions = TSQZ_SECTION_TAG_OPTIONS;
inline constexpr std::string_view kFineTuning = TSQZ_SECTION_FINE_TUNING;
inline constexpr std::string_view kScriptOptions = TSQZ_SECTION_SCRIPT_OPTIONS;
inline constexpr std::string_view kWebTemplate = TSQZ_SECTION_WEB_TEMPLATE;
inline constexpr std::array<std::string_view, 4> kOptionSections = {kTagOptions, kFineTuning,
                                                                    kScriptOptions, kWebTemplate};

// A member's values in the three switch templates (all-off, safe, all-options). Members
// without them (present == false) are left out when a template is written or deleted.
struct TemplateValues {
    std::array<uint16_t, 3> values{};
    bool present = false;
};
constexpr TemplateValues Templates(uint16_t off, uint16_t safe, uint16_t all) {
    return {{off, safe, all}, true};
}

struct OptionInfo {
    std::string_view name;     // member and persisted value name
    std::string_view section;  // INI section
    OptionKind kind;
    uint8_t OptionBlock::*byte_member;  // switches and the entity level
    std::string_view setter;            // exported setter, empty when none
    bool kept_by_init;                  // InitCompressionParams leaves it as it was
    TemplateValues templates;           // values in the switch templates
    std::string_view report_label;      // its line in the per-option savings, empty when none
    int report_slot = 0;                // the statistics slot that line shows
};

// Every member in the persisted order of its section. WordWrap has no byte member.
// The report's labels are its own text and stay byte-exact.
namespace option_rows {
using K = OptionKind;
using B = OptionBlock;
constexpr std::string_view kTag = kTagOptions, kFine = kFineTuning, kScript = kScriptOptions,
                           kWeb = kWebTemplate;
// The web template's rows: in no switch template (the three stay as they were), no setter.
// Each WebNo... row names the slot of its rule; its savings line shows while the web template
// runs with that rule, that is while Web is on and the row's switch is off.
constexpr TemplateValues kNoTemplate{};

// clang-format off
inline constexpr std::array<OptionInfo, 46> kOptionTable = {{
    {"STRONGtoB", kTag, K::Switch, &B::STRONGtoB, "CompressSTRONG2B", false, Templates(0, 0, 1), "<STRONG> to <B>", kSlotSTRONGtoB},
    {"EMToI", kTag, K::Switch, &B::EMToI, "CompressEM2I", false, Templates(0, 0, 1), "<EM> to <I>", kSlotEMToI},
    {"CITEToI", kTag, K::Switch, &B::CITEToI, "CompressCITE2I", false, Templates(0, 0, 1), "<CITE> to <I>", kSlotCITEToI},
    {"ADDRESSToI", kTag, K::Switch, &B::ADDRESSToI, "CompressADDRESS2I", false, Templates(0, 0, 1), "<ADDRESS> to <I>", kSlotADDRESSToI},
    {"DFNToI", kTag, K::Switch, &B::DFNToI, "CompressDFN2I", false, Templates(0, 0, 1), "<DFN> to <I>", kSlotDFNToI},
    {"CODEToTT", kTag, K::Switch, &B::CODEToTT, "CompressCODE2TT", false, Templates(0, 0, 1), "<CODE> to <TT>", kSlotCODEToTT},
    {"SAMPToTT", kTag, K::Switch, &B::SAMPToTT, "CompressSAMP2TT", false, Templates(0, 0, 1), "<SAMP> to <TT>", kSlotSAMPToTT},
    {"KBDToTT", kTag, K::Switch, &B::KBDToTT, "CompressKBD2TT", false, Templates(0, 0, 1), "<KBD> to <TT>", kSlotKBDToTT},
    {"StripClosingP", kTag, K::Switch, &B::StripClosingP, "CompressEndP", false, Templates(0, 0, 0), "</P> tag removal", kSlotStripClosingP},
    {"StripEmpties", kTag, K::Switch, &B::StripEmpties, "CompressEmpties", false, Templates(0, 1, 1), "Empty/redundant tag removal", kSlotStripEmpties},
    {"StripComments", kTag, K::Switch, &B::StripComments, "CompressHTMLComments", false, Templates(0, 0, 1), "Comment tag & content removal", kSlotStripComments},
    {"StripGenerator", kTag, K::Switch, &B::StripGenerator, "", true, Templates(0, 0, 1), "Generator tag removal", kSlotStripGenerator},
    {"StripAllMeta", kTag, K::Switch, &B::StripAllMeta, "CompressMetaTags", false, Templates(0, 0, 1), "<META> tag removal", kSlotStripAllMeta},
    {"NoDTD", kTag, K::Switch, &B::NoDTD, "CompressDTD", false, Templates(0, 0, 0), "<!DOCTYPE> (DTD) tag removal", kSlotNoDTD},
    {"StripClosingLI", kTag, K::Switch, &B::StripClosingLI, "CompressListItems", false, Templates(0, 0, 1), "</LI> tag removal", kSlotStripClosingLI},
    {"StandardColors", kTag, K::Switch, &B::StandardColors, "CompressColors", false, Templates(0, 1, 1), "Standardized color attributes", kSlotStandardColors},
    {"ShrinkFontTags", kTag, K::Switch, &B::ShrinkFontTags, "CompressFontTags", false, Templates(0, 0, 1), "Font tag/attribute compression", kSlotShrinkFontTags},
    {"MSNSOnly", kTag, K::Switch, &B::MSNSOnly, "", true, Templates(0, 0, 0), "", 0},
    {"UseISOTag", kFine, K::Switch, &B::UseISOTag, "InsertISOTag", false, Templates(0, 1, 0), "", 0},
    {"StandardizeChars", kFine, K::Level, &B::StandardizeChars, "CompressCharEntities", false, Templates(0, 4, 1), "Character entity compression", kSlotEntities},
    {"StripNonHTML", kFine, K::Switch, &B::StripNonHTML, "RemoveNonHTML", false, Templates(0, 0, 1), "Non-HTML content removal", kSlotStripNonHTML},
    {"StripBlankLines", kFine, K::Switch, &B::StripBlankLines, "RemoveBlankLines", false, Templates(0, 1, 1), "Unneeded empty line removal", kSlotStripBlankLines},
    {"OptimizeLines", kFine, K::Switch, &B::OptimizeLines, "RewrapLines", false, Templates(0, 1, 1), "Line length optimization", kSlotOptimizeLines},
    {"StripSpaces", kFine, K::Switch, &B::StripSpaces, "RemoveExcessSpaces", false, Templates(0, 1, 1), "Unneeded space removal", kSlotStripSpaces},
    {"StripQuotes", kFine, K::Switch, &B::StripQuotes, "RemoveExcessQuotes", false, Templates(0, 1, 1), "Redundant quote removal", kSlotStripQuotes},
    {"CRLFToLF", kFine, K::Switch, &B::CRLFToLF, "CompressEOLs", false, Templates(0, 1, 1), "CR/LF to LF replacement", kSlotCRLFToLF},
    {"CompressStyleSheets", kFine, K::Switch, &B::CompressStyleSheets, "CompressStyleSheets", true, Templates(0, 1, 1), "Style block compression", kSlotStyleSheets},
    {"WordWrap", kFine, K::Width, nullptr, "RewrapLines", false, Templates(254, 254, 254), "", 0},
    {"CompressScripts", kFine, K::Switch, &B::CompressScripts, "CompressScriptBlocks", false, Templates(0, 0, 1), "ASP/Java/VBSCript compression", kSlotScripts},
    {"ScriptSpaces", kScript, K::Switch, &B::ScriptSpaces, "CompressScriptSpaces", false, Templates(0, 0, 1), "", 0},
    {"ScriptLines", kScript, K::Switch, &B::ScriptLines, "CompressScriptLines", false, Templates(0, 1, 1), "", 0},
    {"ScriptComments", kScript, K::Switch, &B::ScriptComments, "CompressScriptComments", false, Templates(0, 1, 1), "", 0},
    {"ScriptEOLs", kScript, K::Switch, &B::ScriptEOLs, "CompressScriptEOLs", false, Templates(0, 0, 0), "", 0},
    {"ASPBlocks", kScript, K::Switch, &B::ASPBlocks, "CompressASP", false, Templates(0, 1, 1), "", 0},
    {"Web", kWeb, K::Switch, &B::Web, "", false, kNoTemplate, "", 0},
    {"WebNoWhitespace", kWeb, K::Switch, &B::WebNoWhitespace, "", false, kNoTemplate, "Unneeded white space removal", kSlotWebWhitespace},
    {"WebNoOptionalTags", kWeb, K::Switch, &B::WebNoOptionalTags, "", false, kNoTemplate, "Optional tag omission", kSlotWebOptionalTags},
    {"WebNoAttributeQuotes", kWeb, K::Switch, &B::WebNoAttributeQuotes, "", false, kNoTemplate, "Attribute quote removal", kSlotWebAttributeQuotes},
    {"WebNoBooleanAttributes", kWeb, K::Switch, &B::WebNoBooleanAttributes, "", false, kNoTemplate, "Boolean attribute shortening", kSlotWebBooleanAttributes},
    {"WebNoDefaultAttributes", kWeb, K::Switch, &B::WebNoDefaultAttributes, "", false, kNoTemplate, "Default attribute removal", kSlotWebDefaultAttributes},
    {"WebNoCharacterReferences", kWeb, K::Switch, &B::WebNoCharacterReferences, "", false, kNoTemplate, "Character reference shortening", kSlotWebCharacterReferences},
    {"WebNoComments", kWeb, K::Switch, &B::WebNoComments, "", false, kNoTemplate, "Comment removal", kSlotWebComments},
    {"WebNoDoctype", kWeb, K::Switch, &B::WebNoDoctype, "", false, kNoTemplate, "DOCTYPE shortening", kSlotWebDoctype},
    {"WebNoTagSpace", kWeb, K::Switch, &B::WebNoTagSpace, "", false, kNoTemplate, "Space inside tags removal", kSlotWebTagSpace},
    {"WebNoStyles", kWeb, K::Switch, &B::WebNoStyles, "", false, kNoTemplate, "Style sheet minification", kSlotWebStyles},
    {"WebNoScripts", kWeb, K::Switch, &B::WebNoScripts, "", false, kNoTemplate, "Script minification", kSlotWebScripts},
}};
// clang-format on
}  // namespace option_rows
using option_rows::kOptionTable;

// Names and sections are handed to C callers as pointers: each must be a whole literal.
static_assert([] {
    for (const OptionInfo& info : kOptionTable) {
        if (info.name.data()[info.name.size()] != '\0') return false;
        if (info.section.data()[info.section.size()] != '\0') return false;
    }
    return true;
}());

// The values a member takes through the option setters by name, and its value in a freshly
// loaded engine.
constexpr int32_t HighestValue(OptionKind kind) {
    return kind == OptionKind::Switch ? 1 : kind == OptionKind::Level ? 5 : 65535;
}
constexpr int32_t DefaultValue(OptionKind kind) { return kind == OptionKind::Width ? 254 : 0; }

// The switch member whose exported setter is the named one; a compile error for any other
// name, so each switch export takes its member from the table.
consteval uint8_t OptionBlock::*SwitchMemberOf(std::string_view setter) {
    for (const OptionInfo& info : kOptionTable) {
        if (info.kind == OptionKind::Switch && info.setter == setter) return info.byte_member;
    }
    throw "no switch of the option table has this setter";
}

// The table name of a byte member (a compile error for a member not in the table).
consteval std::string_view NameOf(uint8_t OptionBlock::*member) {
    for (const OptionInfo& info : kOptionTable) {
        if (info.byte_member == member) return info.name;
    }
    throw "the member has no row in the option table";
}

std::span<const OptionInfo> OptionTable();
const OptionInfo* FindOption(std::string_view name);  // name matched ignoring ASCII case

// A member's value (the width for WordWrap), and storing one in its range as the option
// setters by name do: a width goes through NormalizeWordWrap and leaves OptimizeLines alone.
int32_t OptionValue(const OptionBlock& options, const OptionInfo& info);
bool StoreOptionValue(OptionBlock& options, const OptionInfo& info, int32_t value);

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
