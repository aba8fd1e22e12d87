// Statistics: per-document and per-job savings and sizes.
#pragma once

#include <cstdint>

#include "engine.h"

namespace tsqz {

// Per-file reset (statistics on, per-file counters and total cleared).
void ResetFileStatistics(Engine& engine);
// Job reset (files processed, error count, job counters and total cleared; statistics on).
void ResetJobStatistics(Engine& engine);

// A document was loaded: its size before compression.
void NoteSizeBefore(Engine& engine, int32_t size);
// A document is done: its size after compression; with statistics on, the per-file counters
// go into the job counters and the per-file total (and, in batch mode, the job total).
void NoteSizeAfter(Engine& engine, int32_t size);

}  // namespace tsqz
