// The option dispatcher: the passes that run over one chunk, in their fixed order.
//
// The order is behaviour: later passes rely on what earlier ones did (quote removal before
// the default-attribute patterns, the tag conversions before empty-tag removal, line joining
// before space removal and rewrapping).
#include "passes/dispatch.h"

#include <array>
#include <string_view>

#include "passes/passes.h"

namespace tsqz {
namespace {

using Cond = bool (*)(const Engine&);
using Pass = void (*)(Engine&, Text&);

struct Step {
    Cond when;
    Pass run;
};

const OptionBlock& O(const Engine& e) { return e.options; }

void ClearMetaFlag(Engine& e, Text&) { e.run.meta_pass_ran = false; }
void YieldStep(Engine& e, Text&) { Yield(e); }
bool Always(const Engine&) { return true; }

template <TagRule R>
void Tag(Engine& e, Text& t) {
    ApplyTagRule(e, t, R);
}

void CharsetAlone(Engine& e, Text& t) { InsertCharsetDeclaration(e, t, true); }

void SetWrapColumnAndJoin(Engine& e, Text& t) {
    SetWrapColumn(e);
    JoinLines(e, t);
}

void SpacePasses(Engine& e, Text& t) { RemoveUnneededSpaces(e, t); }

void YieldAndRewrap(Engine& e, Text& t) {
    Yield(e);
    RewrapText(e, t);
}

// clang-format off
constexpr std::array<Step, kDispatchSteps> kSteps = {{
    /*  1 */ {Always, ClearMetaFlag},
    /*  2 */ {[](const Engine& e) { return O(e).StripQuotes != 0; }, RemoveAttributeQuotes},
    /*  3 */ {[](const Engine& e) { return O(e).STRONGtoB != 0; }, Tag<TagRule::STRONGtoB>},
    /*  4 */ {[](const Engine& e) { return O(e).EMToI != 0; }, Tag<TagRule::EMToI>},
    /*  5 */ {[](const Engine& e) { return O(e).CITEToI != 0; }, Tag<TagRule::CITEToI>},
    /*  6 */ {[](const Engine& e) { return O(e).ADDRESSToI != 0; }, Tag<TagRule::ADDRESSToI>},
    /*  7 */ {[](const Engine& e) { return O(e).DFNToI != 0; }, Tag<TagRule::DFNToI>},
    /*  8 */ {[](const Engine& e) { return O(e).CODEToTT != 0; }, Tag<TagRule::CODEToTT>},
    /*  9 */ {[](const Engine& e) { return O(e).SAMPToTT != 0; }, Tag<TagRule::SAMPToTT>},
    /* 10 */ {[](const Engine& e) { return O(e).KBDToTT != 0; }, Tag<TagRule::KBDToTT>},
    /* 11 */ {[](const Engine& e) { return O(e).CRLFToLF != 0; }, ConvertLineEnds},
    /* 12 */ {Always, YieldStep},
    /* 13 */ {[](const Engine& e) { return O(e).StripClosingP != 0; }, Tag<TagRule::StripClosingP>},
    /* 14 */ {[](const Engine& e) { return O(e).StripComments != 0; }, RemoveComments},
    /* 15 */ {Always, YieldStep},
    /* 16 */ {[](const Engine& e) { return O(e).StandardizeChars != 0; }, CompressEntities},
    /* 17 */ {[](const Engine& e) { return O(e).StandardizeChars == 0 && O(e).UseISOTag != 0; },
              CharsetAlone},
    /* 18 */ {Always, YieldStep},
    /* 19 */ {[](const Engine& e) { return O(e).StandardColors != 0; }, StandardizeColors},
    /* 20 */ {Always, YieldStep},
    /* 21 */ {[](const Engine& e) { return O(e).StripEmpties != 0; }, RemoveEmptyTags},
    /* 22 */ {[](const Engine& e) { return O(e).ShrinkFontTags != 0; }, ShrinkFonts},
    /* 23 */ {[](const Engine& e) { return O(e).StripEmpties != 0; }, RemoveEmptyTags},
    /* 24 */ {[](const Engine& e) { return O(e).StripAllMeta != 0; }, RemoveMetaTags},
    /* 25 */ {[](const Engine& e) { return O(e).StripGenerator != 0 && !e.run.meta_pass_ran; },
              RemoveGeneratorMeta},
    /* 26 */ {[](const Engine& e) { return O(e).NoDTD != 0; }, RemoveDoctype},
    /* 27 */ {[](const Engine& e) { return O(e).StripNonHTML != 0; }, RemoveNonHTMLContent},
    /* 28 */ {[](const Engine& e) { return O(e).StripClosingLI != 0; }, Tag<TagRule::StripClosingLI>},
    /* 29 */ {Always, YieldStep},
    /* 30 */ {[](const Engine& e) { return O(e).OptimizeLines != 0; }, SetWrapColumnAndJoin},
    /* 31 */ {[](const Engine& e) { return O(e).OptimizeLines != 0 && O(e).StripSpaces != 0; },
              SpacePasses},
    /* 32 */ {[](const Engine& e) { return O(e).OptimizeLines != 0; }, YieldAndRewrap},
    /* 33 */ {[](const Engine& e) { return O(e).OptimizeLines == 0 && O(e).StripSpaces != 0; },
              SpacePasses},
    /* 34 */ {[](const Engine& e) { return O(e).OptimizeLines == 0 && O(e).StripBlankLines != 0; },
              RemoveEmptyLines},
    /* 35 */ {Always, YieldStep},
}};
// clang-format on

// Profile labels of the steps above, in their order: the option that enables each step.
// clang-format off
constexpr std::array<std::string_view, kSteps.size()> kStepNames = {{
    /*  1 */ "clear META flag", "StripQuotes", "STRONGtoB", "EMToI", "CITEToI",
    /*  6 */ "ADDRESSToI", "DFNToI", "CODEToTT", "SAMPToTT", "KBDToTT",
    /* 11 */ "CRLFToLF", "yield", "StripClosingP", "StripComments", "yield",
    /* 16 */ "StandardizeChars", "UseISOTag", "yield", "StandardColors", "yield",
    /* 21 */ "StripEmpties", "ShrinkFontTags", "StripEmpties again", "StripAllMeta", "StripGenerator",
    /* 26 */ "NoDTD", "StripNonHTML", "StripClosingLI", "yield", "OptimizeLines join",
    /* 31 */ "StripSpaces", "OptimizeLines rewrap", "StripSpaces", "StripBlankLines", "yield",
}};
// clang-format on

}  // namespace

std::string_view ObservedStepName(int step) {
    if (step >= 1 && step <= static_cast<int>(kStepNames.size())) return kStepNames[step - 1];
    switch (step) {
        case kStageExtract:
            return "cut out protected blocks";
        case kStageCut:
            return "cut into chunks";
        case kStageRestore:
            return "put protected blocks back";
        case kStageASP:
            return "ASPBlocks (whole document)";
        default:
            return {};
    }
}

void SetWrapColumn(Engine& engine) {
    const uint16_t width = engine.options.WordWrap;
    engine.run.wrap_column = engine.run.lf_only ? width : static_cast<uint16_t>(width - 1);
}

void DispatchChunk(Engine& engine, Text& chunk) {
    const StepObserverFn observer = engine.hooks.step_observer;
    for (size_t i = 0; i < kSteps.size(); ++i) {
        if (!kSteps[i].when(engine)) continue;
        if (observer) observer(static_cast<int>(i + 1), true);
        kSteps[i].run(engine, chunk);
        if (observer) observer(static_cast<int>(i + 1), false);
    }
}

void DispatchChunks(Engine& engine, Text& document, const std::vector<std::string_view>& chunks) {
    Text joined;
    joined.reserve(document.size());
    for (std::string_view piece : chunks) {
        Text chunk(piece);
        DispatchChunk(engine, chunk);
        joined += chunk;
    }
    document.swap(joined);
}

}  // namespace tsqz
