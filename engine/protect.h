// Protected blocks: regions cut out of the document before the option passes and put back
// after them (ASP code, the style block, script blocks, PLAINTEXT/LISTING/XMP/PRE).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tsqz {

struct Engine;

// Per-document storage of the cut-out blocks.
struct ProtectedStore {
    std::vector<std::string> asp;
    std::string style;
    std::vector<std::string> scripts;
    std::vector<std::string> literals;
    void Clear() { *this = ProtectedStore{}; }
};

// Cuts every protected block out of the document in the pipeline's order (ASP code, the
// style block, script blocks, then PLAINTEXT, LISTING, XMP and PRE). Returns 0 or the
// negative code that ends the run.
int32_t ExtractProtectedBlocks(Engine& engine, std::string& document);

// Puts the blocks back in the reverse order of extraction. Returns 0 or the style restore's
// failure code.
int32_t RestoreProtectedBlocks(Engine& engine, std::string& document);

}  // namespace tsqz
