// Statistics: per-document and per-job savings and sizes.
#include "run/stats.h"

#include <algorithm>
#include <climits>

namespace tsqz {
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

void RecordWebSavings(Engine& engine, std::span<const uint64_t, kAllSlotCount - kSlotCount> saved) {
    if (!engine.stats.on) return;
    for (size_t rule = 0; rule < saved.size(); ++rule) {
        int32_t& counter = engine.stats.file[static_cast<size_t>(kSlotWebFirst) + rule];
        // A rule saves at most the document, which fits in 32 bits.
        counter =
            WrapAdd(counter, static_cast<int32_t>(std::min<uint64_t>(saved[rule], INT32_MAX)));
    }
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

void AddJobStatistics(Engine& into, const Engine& from) {
    Stats& s = into.stats;
    const Stats& f = from.stats;
    s.files_processed = WrapAdd(s.files_processed, f.files_processed);
    into.error_count = WrapAdd(into.error_count, from.error_count);
    s.job_total = WrapAdd(s.job_total, f.job_total);
    s.job_before = WrapAdd(s.job_before, f.job_before);
    s.job_after = WrapAdd(s.job_after, f.job_after);
    for (size_t i = 0; i < s.job.size(); ++i) s.job[i] = WrapAdd(s.job[i], f.job[i]);
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
    for (int slot = 1; slot <= kAllSlotCount; ++slot) {
        const auto i = static_cast<size_t>(slot);
        s.job[i] = WrapAdd(s.job[i], s.file[i]);
        total = WrapAdd(total, s.file[i]);
    }
    s.file_total = total;
    if (engine.mode.batch) s.job_total = WrapAdd(s.job_total, total);
}

}  // namespace tsqz
