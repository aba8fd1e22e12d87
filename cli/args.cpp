// The command line.
#include "cli/args.h"

#include <optional>
#include <string_view>

#include "cli/usage_error.h"

namespace tsqz::cli {
namespace {

struct TemplateName {
    std::string_view name;
    uint8_t number;  // WriteSwitchTemplate's number
};
// "web" starts from the safe template and switches the web template on (option Web).
constexpr TemplateName kTemplates[] = {{"off", 1}, {"safe", 2}, {"all", 3}, {"web", 2}};

// -j N: 1 to kMaxJobs worker threads.
constexpr size_t kMaxJobs = 1024;
size_t JobCount(const std::string& text) {
    size_t jobs = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || jobs > kMaxJobs) {
            jobs = 0;
            break;
        }
        jobs = jobs * 10 + static_cast<size_t>(c - '0');
    }
    if (jobs < 1 || jobs > kMaxJobs) {
        throw UsageError("-j takes a number of worker threads from 1 to " +
                         std::to_string(kMaxJobs) + ", not \"" + text + "\"");
    }
    return jobs;
}

uint8_t TemplateNumber(std::string_view name) {
    for (const TemplateName& row : kTemplates) {
        if (row.name == name) return row.number;
    }
    throw UsageError("--template takes off, safe, all or web, not \"" + std::string(name) + "\"");
}

// Walks argv, handing out options and their values ("--name value", "--name=value", "-o DIR",
// "-oDIR").
class ArgumentReader {
  public:
    ArgumentReader(int argc, const char* const* argv) : argc_(argc), argv_(argv) {}

    bool Next() {
        inline_value_.reset();
        if (++index_ >= argc_) return false;
        current_ = argv_[index_];
        if (current_.starts_with("--")) {
            if (const size_t equals = current_.find('='); equals != std::string_view::npos) {
                inline_value_ = current_.substr(equals + 1);
                current_ = current_.substr(0, equals);
            }
        } else if ((current_.starts_with("-o") || current_.starts_with("-j")) &&
                   current_.size() > 2) {
            inline_value_ = current_.substr(2);
            current_ = current_.substr(0, 2);
        }
        return true;
    }

    std::string_view current() const { return current_; }

    std::string Value() {
        if (inline_value_) return std::string(*inline_value_);
        if (index_ + 1 >= argc_) throw UsageError(std::string(current_) + " needs a value");
        return argv_[++index_];
    }

    // An option that takes no value must not be given one with "=".
    void NoValue() const {
        if (inline_value_) throw UsageError(std::string(current_) + " takes no value");
    }

    // Everything after "--" is a PATH.
    void RestArePaths(std::vector<std::string>& paths) {
        while (++index_ < argc_) {
            paths.emplace_back(argv_[index_]);
        }
    }

  private:
    int argc_;
    const char* const* argv_;
    int index_ = 0;
    std::string_view current_;
    std::optional<std::string_view> inline_value_;
};

void CheckCombinations(const Arguments& args, bool stdout_flag, bool analyze_flag) {
    if (!args.ini.empty() && args.template_number != 0) {
        throw UsageError("--ini and --template both choose the options; give one of them");
    }
    if (stdout_flag + analyze_flag + !args.output_dir.empty() > 1) {
        throw UsageError("-o, --stdout and --analyze choose different outputs; give one of them");
    }
    if (args.report.empty() && (args.detailed || args.by_file || args.append)) {
        throw UsageError("--detailed, --by-file and --append belong to --report FILE");
    }
    if (args.report == "-" && args.append) {
        throw UsageError("--append needs a report file, not \"-\"");
    }
    if (args.print_options) {
        if (!args.paths.empty()) throw UsageError("--print-options takes no PATH");
        return;
    }
    if (args.paths.empty()) throw UsageError("no PATH given");
    for (const std::string& path : args.paths) {
        if (path.empty()) throw UsageError("an empty PATH");
        if (path == "-" && args.paths.size() > 1) {
            throw UsageError("\"-\" (standard input) must be the only PATH");
        }
    }
    if (args.standard_input() && !args.output_dir.empty()) {
        throw UsageError("standard input is written to standard output; -o does not apply");
    }
    if (args.report == "-" && args.mode == OutputMode::kStdout) {
        throw UsageError("--report - and the compressed document cannot share standard output");
    }
}

}  // namespace

Arguments ParseArguments(int argc, const char* const* argv) {
    Arguments args;
    bool stdout_flag = false;
    bool analyze_flag = false;
    ArgumentReader reader(argc, argv);
    while (reader.Next()) {
        const std::string_view arg = reader.current();
        if (arg == "--") {
            reader.RestArePaths(args.paths);
        } else if (arg == "-" || !arg.starts_with("-")) {
            args.paths.emplace_back(arg);
        } else if (arg == "-h" || arg == "--help") {
            args.help = true;
        } else if (arg == "-V" || arg == "--version") {
            args.version = true;
        } else if (arg == "--ini") {
            args.ini = reader.Value();
            if (args.ini.empty()) throw UsageError("--ini needs a file name");
        } else if (arg == "--template") {
            const std::string name = reader.Value();
            args.template_number = TemplateNumber(name);
            if (name == "web") args.settings.insert(args.settings.begin(), ParseSetting("Web=1"));
        } else if (arg == "--keep-comment") {
            args.keep_comments.push_back(reader.Value());
        } else if (arg == "--set") {
            args.settings.push_back(ParseSetting(reader.Value()));
        } else if (arg == "--print-options") {
            reader.NoValue();
            args.print_options = true;
        } else if (arg == "-o" || arg == "--output") {
            args.output_dir = reader.Value();
            if (args.output_dir.empty()) throw UsageError("-o needs a folder name");
        } else if (arg == "--stdout") {
            reader.NoValue();
            stdout_flag = true;
        } else if (arg == "--analyze") {
            reader.NoValue();
            analyze_flag = true;
        } else if (arg == "--no-backup") {
            reader.NoValue();
            args.backup = false;
        } else if (arg == "--overwrite-backup") {
            reader.NoValue();
            args.overwrite_backup = true;
        } else if (arg == "--force") {
            reader.NoValue();
            args.force = true;
        } else if (arg == "--strict") {
            reader.NoValue();
            args.strict = true;
        } else if (arg == "--report") {
            args.report = reader.Value();
            if (args.report.empty()) throw UsageError("--report needs a file name");
        } else if (arg == "--detailed") {
            reader.NoValue();
            args.detailed = true;
        } else if (arg == "--by-file") {
            reader.NoValue();
            args.by_file = true;
        } else if (arg == "--append") {
            reader.NoValue();
            args.append = true;
        } else if (arg == "-j" || arg == "--jobs") {
            args.jobs = JobCount(reader.Value());
        } else if (arg == "-q" || arg == "--quiet") {
            reader.NoValue();
            args.quiet = true;
        } else if (arg == "-v" || arg == "--verbose") {
            reader.NoValue();
            args.verbose = true;
        } else {
            throw UsageError("unknown option " + std::string(arg));
        }
    }
    if (args.help || args.version) return args;

    if (analyze_flag) {
        args.mode = OutputMode::kAnalyze;
    } else if (stdout_flag || args.standard_input()) {
        args.mode = OutputMode::kStdout;
    } else if (!args.output_dir.empty()) {
        args.mode = OutputMode::kOutputDir;
    }
    CheckCombinations(args, stdout_flag, analyze_flag);
    return args;
}

std::string HelpText() {
    return R"(Usage: tsqz [OPTION]... PATH...
Shrinks HTML documents without changing what a browser shows.

PATH is an HTML document, a files list (*.lst: one path per line, relative paths taken
from the list's folder, blank lines and lines starting with # or ; skipped), a folder
(searched for *.htm, *.html, *.asp and *.shtml in all subfolders), or "-" to compress
standard input to standard output. Several documents run as one job.

Options:
      --ini FILE          read the options from the option sections of FILE
                            tsqz --ini site.ini page.html
      --template NAME     start from a switch template: off, safe or all; or web,
                          today's HTML rules (the safe template with Web=1)
                            tsqz --template all page.html
                          (default: Tagsqueeze.ini in the program directory when it
                          exists, else the safe template)
      --set NAME=VALUE    change one option after the above; repeatable; NAME is an
                          option name as --print-options shows it
                            tsqz --set StripComments=1 --set WordWrap=120 page.html
      --keep-comment TEXT the web template keeps comments containing TEXT; repeatable
                            tsqz --template web --keep-comment google_ad page.html
      --print-options     print the options in effect as INI sections and exit
                            tsqz --template safe --set CRLFToLF=0 --print-options
  -o, --output DIR        write results into DIR (a folder's layout is kept below it);
                          the sources are never touched
                            tsqz -o public/ site/
      --stdout            write the one document's result to standard output
                            tsqz --stdout page.html > small.html
      --analyze           compress throw-away copies, report the savings, write nothing
                            tsqz --analyze site/
      --no-backup         in place, without the backup PATH.tsbak
                            tsqz --no-backup page.html
      --overwrite-backup  replace an existing backup (normally it is kept)
                            tsqz --overwrite-backup page.html
      --force             in place, also replace a document set to read-only or one
                          that belongs to another user (normally refused, code -9)
                            tsqz --force page.html
      --strict            with -o, count a document the engine refuses (copied
                          unchanged into DIR) as a failure
                            tsqz --strict -o public/ site/
      --report FILE       have the engine write its job report to FILE ("-" prints it)
                            tsqz --report report.txt site/
      --detailed          add the per-option savings to the report
                            tsqz --report report.txt --detailed page.html
      --by-file           add each document's statistics to the report
                            tsqz --report report.txt --by-file site/
      --append            add to an existing report instead of replacing it
                            tsqz --report report.txt --append page.html
  -j, --jobs N            compress on N worker threads (default: one per core); the
                          output, report and exit status are those of -j 1
                            tsqz -j 4 -o public/ site/
  -q, --quiet             print failures only
                            tsqz -q site/
  -v, --verbose           print a line for every document
                            tsqz -v site/
  -h, --help              print this help and exit
                            tsqz --help
  -V, --version           print the version and exit
                            tsqz --version

By default a document is replaced by its compressed form after a copy of the original
is saved as PATH.tsbak. A document the engine refuses is left untouched and named with
the engine's message; the run goes on with the next one. With -o, such a document is
copied unchanged into DIR with a warning, so that DIR holds the whole site.

Exit status: 0 when every document succeeded (or was copied unchanged with -o), 1 when
any failed, 2 for usage errors.
)";
}

}  // namespace tsqz::cli
