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
    std::string_view label;  // for profiles: the option that enables the step
};

using B = OptionBlock;

void ClearMetaFlag(Engine& e, Text&) { e.run.meta_pass_ran = false; }
void YieldStep(Engine& e, Text&) { Yield(e); }
bool Always(const Engine&) { return true; }

// The step runs while the option is on; its label is the option's name in the option table.
template <uint8_t OptionBlock::*M>
bool On(const Engine& e) {
    return e.options.*M != 0;
}
// A step that runs while one option is on, labelled with the option's table name.
#define TSQZ_WHEN(Member, run) Step{On<&B::Member>, run, NameOf(&B::Member)}

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

const OptionBlock& O(const Engine& e) { return e.options; }
constexpr Step kYield = {Always, YieldStep, "yield"};

// clang-format off
constexpr std::array<Step, kDispatchSteps> kSteps = {{
    /*  1 */ {Always, ClearMetaFlag, "clear META flag"},
    /*  2 */ TSQZ_WHEN(StripQuotes, RemoveAttributeQuotes),
    /*  3 */ TSQZ_WHEN(STRONGtoB, Tag<TagRule::STRONGtoB>),
    /*  4 */ TSQZ_WHEN(EMToI, Tag<TagRule::EMToI>),
    /*  5 */ TSQZ_WHEN(CITEToI, Tag<TagRule::CITEToI>),
    /*  6 */ TSQZ_WHEN(ADDRESSToI, Tag<TagRule::ADDRESSToI>),
    /*  7 */ TSQZ_WHEN(DFNToI, Tag<TagRule::DFNToI>),
    /*  8 */ TSQZ_WHEN(CODEToTT, Tag<TagRule::CODEToTT>),
    /*  9 */ TSQZ_WHEN(SAMPToTT, Tag<TagRule::SAMPToTT>),
    /* 10 */ TSQZ_WHEN(KBDToTT, Tag<TagRule::KBDToTT>),
    /* 11 */ TSQZ_WHEN(CRLFToLF, ConvertLineEnds),
    /* 12 */ kYield,
    /* 13 */ TSQZ_WHEN(StripClosingP, Tag<TagRule::StripClosingP>),
    /* 14 */ TSQZ_WHEN(StripComments, RemoveComments),
    /* 15 */ kYield,
    /* 16 */ TSQZ_WHEN(StandardizeChars, CompressEntities),
    /* 17 */ {[](const Engine& e) { return O(e).StandardizeChars == 0 && O(e).UseISOTag != 0; },
              CharsetAlone, NameOf(&B::UseISOTag)},
    /* 18 */ kYield,
    /* 19 */ TSQZ_WHEN(StandardColors, StandardizeColors),
    /* 20 */ kYield,
    /* 21 */ TSQZ_WHEN(StripEmpties, RemoveEmptyTags),
    /* 22 */ TSQZ_WHEN(ShrinkFontTags, ShrinkFonts),
    /* 23 */ {On<&B::StripEmpties>, RemoveEmptyTags, "StripEmpties again"},
    /* 24 */ TSQZ_WHEN(StripAllMeta, RemoveMetaTags),
    /* 25 */ {[](const Engine& e) { return O(e).StripGenerator != 0 && !e.run.meta_pass_ran; },
              RemoveGeneratorMeta, NameOf(&B::StripGenerator)},
    /* 26 */ TSQZ_WHEN(NoDTD, RemoveDoctype),
    /* 27 */ TSQZ_WHEN(StripNonHTML, RemoveNonHTMLContent),
    /* 28 */ TSQZ_WHEN(StripClosingLI, Tag<TagRule::StripClosingLI>),
    /* 29 */ kYield,
    /* 30 */ {On<&B::OptimizeLines>, SetWrapColumnAndJoin, "OptimizeLines join"},
    /* 31 */ {[](const Engine& e) { return O(e).OptimizeLines != 0 && O(e).StripSpaces != 0; },
              SpacePasses, NameOf(&B::StripSpaces)},
    /* 32 */ {On<&B::OptimizeLines>, YieldAndRewrap, "OptimizeLines rewrap"},
    /* 33 */ {[](const Engine& e) { return O(e).OptimizeLines == 0 && O(e).StripSpaces != 0; },
              SpacePasses, NameOf(&B::StripSpaces)},
    /* 34 */ {[](const Engine& e) { return O(e).OptimizeLines == 0 && O(e).StripBlankLines != 0; },
              RemoveEmptyLines, NameOf(&B::StripBlankLines)},
    /* 35 */ kYield,
}};
// clang-format on
#undef TSQZ_WHEN

}  // namespace

std::string_view ObservedStepName(int step) {
    if (step >= 1 && step <= static_cast<int>(kSteps.size())) return kSteps[step - 1].label;
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
