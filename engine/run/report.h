// Compression reports: the per-file report and the job report.
#pragma once

#include <cstdint>
#include <string>

#include "run/engine.h"

namespace tsqz {

// In batch mode with reports on, after a document that succeeded: its per-file report entry,
// appended to the per-file work file.
void AddFileReportEntry(Engine& engine);

// Adds from's job to into's, as if into had compressed from's documents after its own: job
// figures, error count, per-file report entries and error-log entries (from's work files are
// moved); from's job is then reset. 0, or -16 when a work file cannot be carried over.
int32_t MergeJob(Engine& into, Engine& from);

// The export WriteCompressionReport. Nonzero kind writes the job report and assembles the
// report file: 0, or -14 when the summary or the report file cannot be written. Zero kind sets
// batch mode to the append switch and writes the per-file report for the document name: 0, or
// -14 when it cannot be written. A failed write leaves no partial report file.
int32_t WriteReport(Engine& engine, uint8_t kind);

// CompressionBaseStats: nonzero scope is the last document, zero the job.
int32_t BaseStats(const Engine& engine, bool last_document, bool percent);

// CompressionSavings: zero scope is the last document, nonzero the job. The text stays the
// engine's until the next call.
const char* SavingsText(Engine& engine, uint8_t index, bool job, bool percent);

// A percentage as the reports write it: two decimals, rounded, with the decimal point and
// thousands separator of the process locale.
std::string FormatPercentFigure(double value);

}  // namespace tsqz
