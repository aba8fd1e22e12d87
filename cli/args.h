// The command line: options and PATH arguments, checked for combinations that make no sense.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/option_setup.h"

namespace tsqz::cli {

enum class OutputMode {
    kInPlace,    // the document is replaced, after a backup unless --no-backup
    kOutputDir,  // -o DIR: results go into a folder, sources stay as they are
    kStdout,     // --stdout, or "-": the result goes to standard output
    kAnalyze,    // --analyze: a throw-away copy is compressed, nothing is written
};

struct Arguments {
    std::vector<std::string> paths;       // documents, files lists, folders, or "-"
    std::string ini;                      // --ini, empty when not given
    uint8_t template_number = 0;          // --template: 1 off, 2 safe, 3 all; 0 when not given
    std::vector<OptionSetting> settings;  // --set, in command-line order
    std::vector<std::string> keep_comments;  // --keep-comment: kept by the web template
    bool print_options = false;
    OutputMode mode = OutputMode::kInPlace;
    std::string output_dir;
    bool backup = true;
    bool overwrite_backup = false;
    bool force = false;   // in place, replace read-only documents and other users' documents
    bool strict = false;  // a document copied unchanged below the output folder is a failure
    std::string report;  // --report FILE; "-" for standard output
    bool detailed = false;
    bool by_file = false;
    bool append = false;
    size_t jobs = 0;  // -j: worker threads, each with its own engine; 0: one per core
    bool quiet = false;
    bool verbose = false;
    bool help = false;
    bool version = false;

    bool standard_input() const { return paths.size() == 1 && paths[0] == "-"; }
};

// Reads argv[1..argc-1]. Throws UsageError for an unknown option, a missing or bad value, or
// a combination that cannot work (the message says which). --help and --version skip the
// checks on the rest.
Arguments ParseArguments(int argc, const char* const* argv);

// The --help text.
std::string HelpText();

}  // namespace tsqz::cli
