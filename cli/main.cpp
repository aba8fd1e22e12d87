// tsqz: compresses HTML documents from the command line through the engine's exports.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/args.h"
#include "cli/inputs.h"
#include "cli/job.h"
#include "cli/messages.h"
#include "cli/option_setup.h"
#include "cli/progress.h"
#include "cli/run_checks.h"
#include "cli/usage_error.h"
#include "cli/work_dir.h"
#include "engine/include/tagsqueeze.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace tsqz::cli {
namespace {

// The front end's settings file, whose option sections are the default options.
constexpr const char* kSettingsFileName = "Tagsqueeze.ini";
constexpr const char* kProgramDirVariable = "TAGSQUEEZE_PROGRAM_DIR";
// The engine refuses larger documents (-20), so standard input is not read beyond this.
constexpr size_t kMaxInputSize = size_t{1} << 30;

void ShowEngineMessageBox(const char* caption, const char* text) {
    std::fprintf(stderr, "tsqz: %s: %s\n", caption ? caption : "", text ? text : "");
}

OptionBase ChooseOptionBase(const Arguments& args) {
    OptionBase base;
    if (!args.ini.empty()) {
        if (platform::DirectoryExists(args.ini)) {
            throw UsageError("the settings file " + args.ini + " is a folder");
        }
        if (!platform::FileExists(args.ini)) {
            throw UsageError("the settings file " + args.ini + " does not exist");
        }
        if (const std::string missing = MissingOptionSections(args.ini); !missing.empty()) {
            throw UsageError(missing);
        }
        base.ini = args.ini;
    } else if (args.template_number != 0) {
        base.template_number = args.template_number;
    } else {
        const std::string settings = platform::ProgramDirectory() + kSettingsFileName;
        if (platform::FileExists(settings)) {
            base.ini = settings;
            if (const std::string missing = MissingOptionSections(settings); !missing.empty()) {
                std::fprintf(stderr, "tsqz: warning: %s\n", missing.c_str());
            }
        }
    }
    return base;
}

// Reads standard input to its end, or one byte past the largest document the engine takes;
// false with a message when reading failed or the input is too large. A stop signal ends the
// reading at once, even while data keeps coming.
bool ReadStandardInput(std::string& input, std::string& problem) {
    char buffer[65536];
    while (!StopRequested()) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) {
            const size_t size = input.size() + static_cast<size_t>(n);
            if (size > kMaxInputSize) {
                problem = "standard input holds more than " + std::to_string(kMaxInputSize) +
                          " bytes, the most the engine compresses; nothing was written";
                return false;
            }
            // Grown by doubling, but never past the limit.
            if (size > input.capacity()) {
                input.reserve(std::min(std::max(input.capacity() * 2, size), kMaxInputSize));
            }
            input.append(buffer, static_cast<size_t>(n));
        } else if (n == 0) {
            return true;
        } else if (errno != EINTR) {
            problem = "cannot read standard input: " + std::string(std::strerror(errno));
            return false;
        }
    }
    return false;
}

bool CopyToStdout(const std::string& path) {
    std::string bytes;
    if (platform::ReadWholeFile(path, bytes) != platform::ReadResult::kOk) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
           std::fflush(stdout) == 0;
}

int Run(const Arguments& args) {
    const OptionBase base = ChooseOptionBase(args);
    WorkDir work;
    CatchStopSignals();
    // The engine's error log and report work files go to the run's own folder.
    ::setenv(kProgramDirVariable, work.path().c_str(), 1);
    SetMessageBoxHandler(ShowEngineMessageBox);

    LoadOptions(base, args.settings, work.path());
    for (const std::string& pattern : args.keep_comments) TsqzAddWebKeptComment(pattern.c_str());
    if (args.print_options) {
        std::fputs(FormatOptions().c_str(), stdout);
        return 0;
    }

    std::string input;
    std::vector<Document> documents;
    if (args.standard_input()) {
        std::string problem;
        if (!ReadStandardInput(input, problem)) {
            if (StopRequested()) {
                work.Remove();
                EndByStopSignal();
            }
            throw RunError(problem);
        }
    } else {
        if (args.mode == OutputMode::kOutputDir) {
            CheckOutputFolder(args);
            // Made before the search, so that a folder inside the searched one is skipped.
            if (!MakeFolders(args.output_dir)) {
                throw RunError("cannot create the output folder " + args.output_dir + ": " +
                               std::strerror(errno));
            }
        }
        documents = ExpandPaths(args.paths, args.output_dir);
        CheckReportTarget(args, documents);
        if (args.mode == OutputMode::kStdout && documents.size() != 1) {
            throw UsageError("--stdout takes one document; the PATHs name " +
                             std::to_string(documents.size()));
        }
    }

    const std::string report = args.report == "-" ? work.path() + "/report.txt" : args.report;
    SetCompressionMode(args.mode == OutputMode::kAnalyze ? 0 : 1, 1, 0);
    if (!report.empty())
        SetReportParameters(report.c_str(), args.append, args.detailed, args.by_file);
    ResetCompressionStatistics(0);
    ResetCompressionStatistics(1);

    Progress progress(args.quiet, args.verbose, args.standard_input() ? 1 : documents.size());
    if (args.standard_input()) {
        RunStandardInput(args, input, work.path(), progress);
    } else {
        RunDocuments(args, documents, work.path(), progress, StopRequested());
    }
    if (StopRequested()) {
        progress.Summary(args.mode == OutputMode::kAnalyze);
        work.Remove();
        EndByStopSignal();
    }

    bool report_failed = false;
    if (!report.empty()) {
        if (const int32_t code = WriteCompressionReport(1); code != 0) {
            progress.Problem("report " + args.report + ": " + EngineMessage(code));
            if (const std::string reason = WriteFailureReason(report); !reason.empty()) {
                progress.Problem("report " + args.report + ": " + reason);
            }
            report_failed = true;
        }
    }
    progress.Summary(args.mode == OutputMode::kAnalyze);
    if (args.report == "-" && platform::FileExists(report) && !CopyToStdout(report)) {
        progress.Problem("cannot print the report");
        report_failed = true;
    }
    return progress.totals().failed > 0 || report_failed ? 1 : 0;
}

}  // namespace
}  // namespace tsqz::cli

int main(int argc, char** argv) {
    using namespace tsqz::cli;
    try {
        const Arguments args = ParseArguments(argc, argv);
        if (args.help) {
            std::fputs(HelpText().c_str(), stdout);
            return 0;
        }
        if (args.version) {
            std::printf("tsqz %s\n", TSQZ_VERSION);
            return 0;
        }
        return Run(args);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "tsqz: %s\nTry 'tsqz --help' for more information.\n", error.what());
        return 2;
    } catch (const RunError& error) {
        std::fprintf(stderr, "tsqz: %s\n", error.what());
        return 1;
    }
}
