// Protected blocks: extraction and restore.
#include "protect.h"

#include "engine.h"

namespace tsqz {

int32_t ExtractProtectedBlocks(Engine& engine, std::string& document) {
    (void)document;
    engine.store.Clear();
    return 0;
}

int32_t RestoreProtectedBlocks(Engine& engine, std::string& document) {
    (void)engine;
    (void)document;
    return 0;
}

}  // namespace tsqz
