// The option dispatcher over one chunk.
#pragma once

#include <string_view>
#include <vector>

#include "run/engine.h"

namespace tsqz {

// The wrap column of the line-layout passes: WordWrap in LF-only documents, one less with
// CR LF line ends.
void SetWrapColumn(Engine& engine);

// The numbers the step observer hears: 1..kDispatchSteps for the dispatcher's steps, and these
// for the whole-document stages of a run around them.
inline constexpr int kDispatchSteps = 35;
enum ObservedStage : int {
    kStageExtract = kDispatchSteps + 1,
    kStageCut,
    kStageRestore,
    kStageASP,
};
inline constexpr int kLastObservedStep = kStageASP;

// A short label for an observed step or stage (empty for other numbers), for profiles.
std::string_view ObservedStepName(int step);

// Runs the enabled option passes over one chunk in their fixed order.
void DispatchChunk(Engine& engine, Text& chunk);

// Runs the dispatcher over each chunk of the document in order and joins the results into
// the new document. The chunks are views into the document.
void DispatchChunks(Engine& engine, Text& document, const std::vector<std::string_view>& chunks);

}  // namespace tsqz
