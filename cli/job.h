// One run of the engine over the documents of the command line, or over standard input.
#pragma once

#include <csignal>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/inputs.h"
#include "cli/progress.h"

namespace tsqz::cli {

// Creates a folder and every missing folder above it; true when it is a folder afterwards.
bool MakeFolders(const std::string& folder);

// Compresses each document in turn as the output mode says, telling progress about every one.
// The engine job (mode, report parameters, statistics) is set up by the caller. A document
// that fails is left as it was and the run goes on; a nonzero stop ends the run before the
// next document. work_dir is the run's private folder for the engine's output files.
void RunDocuments(const Arguments& args, const std::vector<Document>& documents,
                  const std::string& work_dir, Progress& progress,
                  const volatile std::sig_atomic_t& stop);

// Compresses a document read from standard input and writes the result to standard output
// (nothing at all when it fails, or in analysis mode). Text that holds "<HTML" and no NUL
// byte goes through the engine's buffer export; anything else through a file in work_dir,
// since the buffer export would take such text for a path, or end it at the NUL.
void RunStandardInput(const Arguments& args, const std::string& input, const std::string& work_dir,
                      Progress& progress);

}  // namespace tsqz::cli
