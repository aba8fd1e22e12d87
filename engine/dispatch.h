// The option dispatcher over one chunk.
#pragma once

#include "engine.h"

namespace tsqz {

// The wrap column of the line-layout passes: WordWrap in LF-only documents, one less with
// CR LF line ends.
void SetWrapColumn(Engine& engine);

// Runs the enabled option passes over one chunk in their fixed order.
void DispatchChunk(Engine& engine, Text& chunk);

}  // namespace tsqz
