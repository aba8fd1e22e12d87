// The compression run of one document: load, check, protect, chunk, dispatch, restore, write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "run/engine.h"

namespace tsqz {

struct RunOutcome {
    bool buffer_mode = false;  // the source was the document text itself
    bool completed = false;    // the run reached its last step
    Text document;             // the result, in buffer mode
};

// One pipeline run. The source is the document text when it contains "<HTML" (any case),
// otherwise the path of the document file. The name appears in error-log entries; the output
// path receives the result outside buffer mode. Returns the error code the run leaves.
int32_t RunPipeline(Engine& engine, std::string_view source, std::string_view name,
                    std::string_view output, RunOutcome& outcome);

// Basefont size: the digit after the first "size" of the first BASEFONT element, else 3.
uint8_t FindBasefontSize(std::string_view document);

// Cuts the document into chunks of at most 65535 bytes before a "<P>", "<P " or "<DIV".
// Returns 0, -17 when a window has no cut point, or -20 past 256 chunks.
int32_t CutIntoChunks(std::string_view document, std::vector<std::string_view>& chunks);

// The option passes over a whole document, as the run applies them: cut into chunks, the
// dispatcher over each chunk, joined again. False when the document cannot be cut. The
// restore of protected blocks runs them again to match placeholders the passes disturbed.
bool RunOptionPasses(Engine& engine, std::string& document);

// The document-size limit above which a document is refused with -20.
inline constexpr size_t kMaxDocumentSize = size_t{1} << 30;

}  // namespace tsqz
