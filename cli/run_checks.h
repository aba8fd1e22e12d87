// Checks on a whole command line made before any file is touched: a report that would land
// on a document or backup, an output folder that is a searched folder, settings files that
// hold no options.
#pragma once

#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/inputs.h"

namespace tsqz::cli {

// Throws UsageError when the report file is a document of the run, a document's backup
// (PATH.tsbak) or a result below the output folder: the same file after following links, or
// the same file by device and inode.
void CheckReportTarget(const Arguments& args, const std::vector<Document>& documents);

// Throws UsageError when the output folder is one of the folders named as a PATH: its
// documents would be both sources and results.
void CheckOutputFolder(const Arguments& args);

// Empty when the settings file holds at least one option section; else what to tell the user.
std::string MissingOptionSections(const std::string& ini);

// Why a file cannot be written at path, in the system's words ("" when no reason is found).
std::string WriteFailureReason(const std::string& path);

}  // namespace tsqz::cli
