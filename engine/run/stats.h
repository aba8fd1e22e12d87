// Statistics: per-document and per-job savings and sizes.
#pragma once

#include <cstdint>

#include "run/engine.h"

namespace tsqz {

// Per-file reset (statistics on, per-file counters and total cleared).
void ResetFileStatistics(Engine& engine);
// Job reset (files processed, error count, job counters and total, and the job sizes before
// and after cleared; statistics on). Clearing the sizes keeps a second job's report from
// carrying the first job's figures.
void ResetJobStatistics(Engine& engine);

// A document was loaded: its size before compression. Until the document is done, the last
// document's size after equals it (no savings), and the job sizes are not touched, so a
// document whose run ends early counts in neither job size.
void NoteSizeBefore(Engine& engine, int32_t size);
// A document is done: its size after compression; both job sizes take in the document; with
// statistics on, the per-file counters go into the job counters and the per-file total (and,
// in batch mode, the job total).
void NoteSizeAfter(Engine& engine, int32_t size);

}  // namespace tsqz
