// Compression reports: the per-file report and the job report.
#pragma once

#include <cstdint>

#include "engine.h"

namespace tsqz {

// In batch mode with reports on, after a document that succeeded: its per-file report entry.
void AddFileReportEntry(Engine& engine);

// The export WriteCompressionReport: nonzero kind writes the job report and assembles the
// report file; zero kind writes the per-file report for the last document.
int32_t WriteReport(Engine& engine, uint8_t kind);

// CompressionBaseStats: nonzero scope is the last document, zero the job.
int32_t BaseStats(const Engine& engine, bool last_document, bool percent);

// CompressionSavings: zero scope is the last document, nonzero the job. The text stays the
// engine's until the next call.
const char* SavingsText(Engine& engine, uint8_t index, bool job, bool percent);

}  // namespace tsqz
