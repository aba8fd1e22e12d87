// Statistics: per-document and per-job savings and sizes.
#include "stats.h"

namespace tsqz {

int32_t RecordSavings(Engine& engine, const Text& text, int slot, int32_t length_before) {
    const int32_t saved = length_before - Len(text);
    if (slot == kSlotNoDTD || slot == kSlotStripGenerator) {
        // These two keep the figure of the last chunk only.
        engine.stats.file[static_cast<size_t>(slot)] = saved;
    } else if (slot >= 1 && slot <= kSlotCount) {
        engine.stats.file[static_cast<size_t>(slot)] += saved;
    }
    return Len(text);
}

void ResetFileStatistics(Engine& engine) {
    Stats& s = engine.stats;
    s.on = true;
    s.file_total = 0;
    s.file.fill(0);
}

void ResetJobStatistics(Engine& engine) {
    Stats& s = engine.stats;
    s.files_processed = 0;
    engine.error_count = 0;
    s.on = true;
    s.job_total = 0;
    s.job.fill(0);
}

void NoteSizeBefore(Engine& engine, int32_t size) {
    engine.stats.file_before = size;
    engine.stats.job_before += size;
}

void NoteSizeAfter(Engine& engine, int32_t size) {
    Stats& s = engine.stats;
    s.file_after = size;
    s.job_after += size;
    if (!s.on) return;
    int32_t total = 0;
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        s.job[static_cast<size_t>(slot)] += s.file[static_cast<size_t>(slot)];
        total += s.file[static_cast<size_t>(slot)];
    }
    s.file_total = total;
    if (engine.mode.batch) s.job_total += total;
}

}  // namespace tsqz
