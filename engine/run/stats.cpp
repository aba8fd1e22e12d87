// Statistics: per-document and per-job savings and sizes.
#include "run/stats.h"

namespace tsqz {
namespace {

// The figures are 32-bit; a job of more than 2 GB wraps instead of overflowing.
int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

}  // namespace

int32_t RecordSavings(Engine& engine, const Text& text, int slot, int32_t length_before) {
    const int32_t saved = length_before - Len(text);
    if (slot == kSlotNoDTD || slot == kSlotStripGenerator) {
        // These two keep the figure of the last chunk only.
        engine.stats.file[static_cast<size_t>(slot)] = saved;
    } else if (slot >= 1 && slot <= kSlotCount) {
        int32_t& counter = engine.stats.file[static_cast<size_t>(slot)];
        counter = WrapAdd(counter, saved);
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
    s.job_before = 0;
    s.job_after = 0;
}

void NoteSizeBefore(Engine& engine, int32_t size) {
    engine.stats.file_before = size;
    engine.stats.file_after = size;
}

void NoteSizeAfter(Engine& engine, int32_t size) {
    Stats& s = engine.stats;
    s.file_after = size;
    s.job_before = WrapAdd(s.job_before, s.file_before);
    s.job_after = WrapAdd(s.job_after, size);
    if (!s.on) return;
    int32_t total = 0;
    for (int slot = 1; slot <= kSlotCount; ++slot) {
        const auto i = static_cast<size_t>(slot);
        s.job[i] = WrapAdd(s.job[i], s.file[i]);
        total = WrapAdd(total, s.file[i]);
    }
    s.file_total = total;
    if (engine.mode.batch) s.job_total = WrapAdd(s.job_total, total);
}

}  // namespace tsqz
