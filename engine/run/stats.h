// Statistics: per-document and per-job savings and sizes.
#pragma once

#include <cstdint>
#include <span>

#include "run/engine.h"

namespace tsqz {

// The figures are 32-bit; a job of more than 2 GB wraps instead of overflowing.
inline int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// The bytes each web template rule saved in this document (in web::WebRule order), added to
// the rules' per-file counters while statistics are on.
void RecordWebSavings(Engine& engine, std::span<const uint64_t, kAllSlotCount - kSlotCount> saved);

// Per-file reset (statistics on, per-file counters and total cleared).
void ResetFileStatistics(Engine& engine);
// Job reset (files processed, error count, job counters and total, and the job sizes before
// and after cleared; statistics on). Clearing the sizes keeps a second job's report from
// carrying the first job's figures.
void ResetJobStatistics(Engine& engine);

// Adds from's job figures (documents processed, error count, job counters, total and sizes)
// to into's.
void AddJobStatistics(Engine& into, const Engine& from);

// A document was loaded: its size before compression. Until the document is done, the last
// document's size after equals it (no savings), and the job sizes are not touched, so a
// document whose run ends early counts in neither job size.
void NoteSizeBefore(Engine& engine, int32_t size);
// A document is done: its size after compression; both job sizes take in the document; with
// statistics on, the per-file counters go into the job counters and the per-file total (and,
// in batch mode, the job total).
void NoteSizeAfter(Engine& engine, int32_t size);

}  // namespace tsqz
