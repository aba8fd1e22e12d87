// The option dispatcher over one chunk.
#pragma once

#include <string_view>
#include <vector>

#include "engine.h"

namespace tsqz {

// The wrap column of the line-layout passes: WordWrap in LF-only documents, one less with
// CR LF line ends.
void SetWrapColumn(Engine& engine);

// Runs the enabled option passes over one chunk in their fixed order.
void DispatchChunk(Engine& engine, Text& chunk);

// Runs the dispatcher over each chunk of the document in order and joins the results into
// the new document. The chunks are views into the document.
void DispatchChunks(Engine& engine, Text& document, const std::vector<std::string_view>& chunks);

}  // namespace tsqz
