// One run of the engine over the documents of the command line, or over standard input.
#include "cli/job.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <string_view>

#include "cli/in_place.h"
#include "cli/messages.h"
#include "cli/parallel.h"
#include "engine/include/tagsqueeze.h"
#include "engine/include/tagsqueeze_context.h"
#include "platform/files.h"

namespace tsqz::cli {
namespace {

constexpr std::string_view kBackupSuffix = ".tsbak";
constexpr std::string_view kStandardInputName = "standard input";
// The caller's buffer for the buffer export grows by this factor while the result does not
// fit, up to the export's 32-bit capacity; larger text goes through a file instead.
constexpr size_t kBufferGrowth = 4;
constexpr size_t kMaxBuffer = INT32_MAX;

struct FileId {
    dev_t device;
    ino_t inode;
    auto operator<=>(const FileId&) const = default;
};

// True when the text holds "<HTML" in any case: the engine then takes the text as the
// document itself, never as the path of one.
bool HoldsHtmlMarker(std::string_view text) {
    constexpr std::string_view kMarker = "<html";
    if (text.size() < kMarker.size()) return false;
    for (size_t i = 0; i + kMarker.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < kMarker.size()) {
            char c = text[i + k];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
            if (c != kMarker[k]) break;
            ++k;
        }
        if (k == kMarker.size()) return true;
    }
    return false;
}

// The engine's code for a document that cannot even be looked at.
int32_t StatErrorCode(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return TSQZ_ERR_FILE_NOT_FOUND;
        case ENAMETOOLONG:
            return TSQZ_ERR_PATH_TOO_LONG;
        default:
            return TSQZ_ERR_UNREADABLE;
    }
}

bool WriteAllToStdout(const std::string& bytes) {
    errno = 0;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
                    std::fflush(stdout) == 0;
    if (!ok && errno == 0) errno = EIO;
    return ok;
}

// Codes by which the engine declines a document's content, as opposed to failing to read or
// write a file: below an output folder such a document is copied unchanged.
constexpr int32_t kContentRefusals[] = {
    TSQZ_ERR_NOT_HTML,         TSQZ_ERR_UNCLOSED_BLOCK,   TSQZ_ERR_STYLE_RESTORE,
    TSQZ_ERR_TOO_MANY_SCRIPTS, TSQZ_ERR_TOO_MANY_BLOCKS,  TSQZ_ERR_XMP_AND_PRE,
    TSQZ_ERR_BAD_STYLE,        TSQZ_ERR_TAGSETS,          TSQZ_ERR_SCRIPT_UNCLOSED,
    TSQZ_ERR_SCRIPT_CORRUPT,   TSQZ_ERR_NO_CUT_POINT,     TSQZ_ERR_WORDWRAP,
    TSQZ_ERR_TOO_MANY_CHUNKS,  TSQZ_ERR_TOKEN_IN_INPUT,
};

bool IsContentRefusal(int32_t code) {
    for (int32_t refusal : kContentRefusals) {
        if (refusal == code) return true;
    }
    return false;
}

struct Outcome {
    bool ok = false;
    bool skipped = false;  // the same file came up again and was compressed once
    bool copied = false;   // refused by the engine and copied unchanged below the output folder
    Problem problem;       // what went wrong (or why it was copied unchanged)
    int64_t before = 0;
    int64_t after = 0;
    std::string target;  // where the result went when that is not the document itself
    std::string note;
    std::vector<std::string> warnings;  // about other files met on the way
};

Outcome Failure(Problem problem) {
    Outcome outcome;
    outcome.problem = std::move(problem);
    return outcome;
}

Outcome Failure(std::string message, std::string detail = {}) {
    return Failure(Problem{std::move(message), std::move(detail)});
}

// Why the engine could not write its result into the work folder: the system's reason found
// by trying the same there.
std::string WorkFolderReason(const std::string& output) {
    platform::StagedFile probe;
    if (probe.Write(output, "", 0600)) return {};
    return SystemReason(errno) + " (in the work folder " + platform::FolderOf(output) + ")";
}

class DocumentRunner {
  public:
    explicit DocumentRunner(const Arguments& args) : args_(args) {}

    // Notes every document's file before any is replaced (a replaced file is a new file), so
    // that a file reached twice is compressed once, no result is written over a source, and a
    // document that another program or run changes meanwhile is left alone.
    void NoteSources(const std::vector<Document>& documents) {
        for (const Document& document : documents) {
            struct stat st {};
            std::optional<FileState> state;
            if (::stat(document.path.c_str(), &st) == 0) state = FileState::Of(st);
            if (state) sources_.insert({state->device, state->inode});
            states_.push_back(state);
        }
    }

    // Whether a document shares its file, path, backup or result with an earlier one: such a
    // document runs only after the earlier ones, as in a serial run.
    std::vector<bool> SharedWithEarlier(const std::vector<Document>& documents) const {
        std::set<std::string> seen;
        std::vector<bool> shared;
        for (size_t i = 0; i < documents.size(); ++i) {
            const std::string& path = documents[i].path;
            std::vector<std::string> keys = {"path:" + path, "path:" + path + std::string(kBackupSuffix)};
            if (states_[i]) {
                keys.push_back("file:" + std::to_string(states_[i]->device) + ":" +
                               std::to_string(states_[i]->inode));
            }
            if (args_.mode == OutputMode::kOutputDir) keys.push_back("path:" + Target(documents[i]));
            bool found = false;
            for (const std::string& key : keys) found = !seen.insert(key).second || found;
            shared.push_back(found);
        }
        return shared;
    }

    // Safe to call from several threads at once for different documents.
    Outcome Run(size_t index, const Document& document, EngineSlot& engine) {
        std::vector<std::string> warnings;
        Outcome outcome = Compress(index, document, engine, warnings);
        outcome.warnings = std::move(warnings);
        return outcome;
    }

  private:
    Outcome Compress(size_t index, const Document& document, EngineSlot& engine,
                     std::vector<std::string>& warnings) {
        if (!document.problem.empty()) return Failure(document.problem);
        if (document.code != 0) return Failure(EngineMessage(document.code));
        const std::string& path = document.path;
        if (HoldsHtmlMarker(path)) {
            return Failure(
                "the path holds \"<HTML\", which the engine would read as the document's text; "
                "rename the file");
        }
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            const int error = errno;
            return Failure(EngineMessage(StatErrorCode(error)), SystemReason(error));
        }
        if (!S_ISREG(st.st_mode)) {
            return Failure(EngineMessage(TSQZ_ERR_UNREADABLE), "it is not a regular file");
        }
        const std::optional<FileState>& noted = states_[index];
        if (noted && !Claim(done_, FileId{noted->device, noted->inode})) {
            Outcome outcome;
            outcome.skipped = true;
            return outcome;
        }
        if (!noted) return Failure("the document appeared after this run started; it is left as it is");

        std::string target;
        LockedDocument locked;
        if (args_.mode == OutputMode::kOutputDir) {
            target = Target(document);
            if (Outcome refused = CheckTarget(target); !refused.problem.empty()) return refused;
        } else if (args_.mode == OutputMode::kInPlace) {
            if (Problem refused = CheckWritable(path, st); !refused.empty()) return Failure(refused);
            WarnOfLeftovers(platform::FolderOf(platform::ResolveLinks(path)), warnings);
            if (Problem problem = locked.Open(path, *noted); !problem.empty()) return Failure(problem);
        }

        std::string result;
        const std::string& output = engine.output;
        ::unlink(output.c_str());
        const int32_t code = TsqzContextCompressFile(engine.context, path.c_str(), output.c_str());
        errno = 0;
        const platform::ReadResult read =
            code == 0 ? platform::ReadWholeFile(output, result) : platform::ReadResult::kMissing;
        const int read_error = errno;
        ::unlink(output.c_str());
        if (code == TSQZ_ERR_WRITE) return Failure(EngineMessage(code), WorkFolderReason(output));
        if (code == TSQZ_ERR_UNREADABLE) {
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            const int error = errno;
            if (fd >= 0) ::close(fd);
            return Failure(EngineMessage(code), fd < 0 ? SystemReason(error) : std::string());
        }
        if (code != 0 && args_.mode == OutputMode::kOutputDir && IsContentRefusal(code)) {
            return CopyUnchanged(path, target, code, warnings);
        }
        if (code != 0) return Failure(EngineMessage(code));
        if (read != platform::ReadResult::kOk) {
            return Failure("the engine reported success but its result cannot be read",
                           SystemReason(read_error));
        }

        Outcome outcome;
        outcome.before = st.st_size;
        outcome.after = static_cast<int64_t>(result.size());
        switch (args_.mode) {
            case OutputMode::kInPlace: {
                const BackupRule rule{args_.backup, args_.overwrite_backup};
                if (Problem problem = locked.Replace(result, rule, outcome.note); !problem.empty()) {
                    return Failure(problem);
                }
                break;
            }
            case OutputMode::kOutputDir:
                if (Problem problem = WriteBelowOutput(target, result, warnings);
                    !problem.empty()) {
                    return Failure(problem);
                }
                outcome.target = target;
                break;
            case OutputMode::kStdout:
                if (!WriteAllToStdout(result)) {
                    return Failure("standard output: " + EngineMessage(TSQZ_ERR_WRITE),
                                   SystemReason(errno));
                }
                break;
            case OutputMode::kAnalyze:
                break;
        }
        outcome.ok = true;
        return outcome;
    }

    std::string Target(const Document& document) const {
        std::string target = args_.output_dir;
        if (target.back() != '/') target += '/';
        return target + document.relative;
    }

    // Adds to a set the workers share; false when it was there already.
    template <typename T>
    bool Claim(std::set<T>& set, const T& item) {
        std::lock_guard lock(mutex_);
        return set.insert(item).second;
    }

    // An output-folder result must not land on a source of this run or on another result.
    Outcome CheckTarget(const std::string& target) {
        std::unique_lock lock(mutex_);
        if (targets_.count(target) != 0) {
            return Failure("its result would replace another document's result " + target);
        }
        lock.unlock();
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0 && sources_.count({st.st_dev, st.st_ino}) != 0) {
            return Failure("its result would replace the source document " + target);
        }
        return {};
    }

    // In place, a document set to read-only, or one of another user (whom a replaced file
    // would no longer belong to), is refused as a write error unless --force.
    Problem CheckWritable(const std::string& path, const struct stat& st) const {
        if (args_.force) return {};
        if (platform::IsReadOnlyFile(path)) {
            char mode[8];
            std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
            return {EngineMessage(TSQZ_ERR_WRITE),
                    std::string("the document is set to read-only (mode ") + mode +
                        "); --force replaces it anyway"};
        }
        if (st.st_uid != ::geteuid()) {
            return {EngineMessage(TSQZ_ERR_WRITE),
                    "the document belongs to another user (uid " + std::to_string(st.st_uid) +
                        "); --force replaces it anyway"};
        }
        return {};
    }

    // The result goes into place below the output folder; a link found at its place is
    // replaced, never written through.
    Problem WriteBelowOutput(const std::string& target, const std::string& bytes,
                             std::vector<std::string>& warnings) {
        const std::string folder = platform::FolderOf(target);
        if (!folder.empty() && !MakeFolders(folder)) {
            return {"cannot create the folder " + folder, SystemReason(errno)};
        }
        WarnOfLeftovers(folder, warnings);
        if (!platform::WriteFileAtomically(target, bytes, platform::LinkPolicy::kReplaceLink)) {
            return {target + ": " + EngineMessage(TSQZ_ERR_WRITE), SystemReason(errno)};
        }
        Claim(targets_, target);
        return {};
    }

    // A document the engine declines keeps the output tree complete: its bytes go there as
    // they are, with a warning that names the code.
    Outcome CopyUnchanged(const std::string& path, const std::string& target, int32_t code,
                          std::vector<std::string>& warnings) {
        std::string bytes;
        if (platform::ReadWholeFile(path, bytes) != platform::ReadResult::kOk) {
            return Failure(EngineMessage(TSQZ_ERR_UNREADABLE), SystemReason(errno));
        }
        if (Problem problem = WriteBelowOutput(target, bytes, warnings); !problem.empty()) {
            return Failure(problem);
        }
        Outcome outcome;
        outcome.copied = true;
        outcome.target = target;
        outcome.problem = {"copied unchanged to " + target + ": " + EngineMessage(code), ""};
        return outcome;
    }

    // Temporary files that a killed run left in a folder are named once per run.
    void WarnOfLeftovers(const std::string& folder, std::vector<std::string>& warnings) {
        if (!Claim(folders_checked_, folder)) return;
        for (const std::string& file : platform::FindLeftoverTemporaries(folder)) {
            warnings.push_back("warning: " + file +
                               " was left by an interrupted run; it may be removed");
        }
    }

    const Arguments& args_;
    std::mutex mutex_;  // guards done_, targets_ and folders_checked_
    std::vector<std::optional<FileState>> states_;  // each document's file before the run
    std::set<FileId> sources_;
    std::set<FileId> done_;
    std::set<std::string> targets_;  // results written by this run
    std::set<std::string> folders_checked_;
};

}  // namespace

bool MakeFolders(const std::string& folder) {
    std::string partial;
    for (size_t i = 0; i <= folder.size(); ++i) {
        if ((i == folder.size() || folder[i] == '/') && !partial.empty()) {
            if (::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST) return false;
        }
        if (i < folder.size()) partial += folder[i];
    }
    return platform::DirectoryExists(folder);
}

void RunDocuments(const Arguments& args, const std::vector<Document>& documents,
                  const std::string& work_dir, Progress& progress,
                  const volatile std::sig_atomic_t& stop) {
    DocumentRunner runner(args);
    runner.NoteSources(documents);
    const auto report = [&](size_t i, const Outcome& outcome) {
        for (const std::string& warning : outcome.warnings) progress.Problem(warning);
        if (outcome.skipped) return;
        if (outcome.copied) {
            progress.Copied(documents[i].path, outcome.problem.message, args.strict);
        } else if (outcome.ok) {
            progress.Succeeded(documents[i].path, outcome.target, outcome.before, outcome.after,
                               outcome.note);
        } else {
            progress.Failed(documents[i].path, outcome.problem.message, outcome.problem.detail);
        }
    };
    const size_t jobs = args.jobs == 0 ? DefaultJobCount() : args.jobs;
    if (jobs <= 1 || documents.size() <= 1) {
        EngineSlot engine{TsqzDefaultContext(), work_dir + "/output"};
        for (size_t i = 0; i < documents.size() && !stop; ++i) {
            progress.Starting(i, documents[i].path);
            report(i, runner.Run(i, documents[i], engine));
        }
        return;
    }
    // Each worker's job goes into the default context's in document order, so the engine's
    // report is the serial run's.
    const std::vector<bool> shared = runner.SharedWithEarlier(documents);
    std::vector<Outcome> outcomes(documents.size());
    RunOrdered(
        documents.size(), std::min(jobs, documents.size()), work_dir,
        [&](size_t i) { return shared[i]; },
        [&](size_t i, EngineSlot& engine) { outcomes[i] = runner.Run(i, documents[i], engine); },
        [&](size_t i, EngineSlot& engine) {
            progress.Starting(i, documents[i].path);
            if (const int32_t code = TsqzContextMergeJob(TsqzDefaultContext(), engine.context)) {
                progress.Problem("report work files: " + EngineMessage(code));
            }
            report(i, outcomes[i]);
            outcomes[i] = Outcome();
        },
        stop);
}

void RunStandardInput(const Arguments& args, const std::string& input, const std::string& work_dir,
                      Progress& progress) {
    const std::string name(kStandardInputName);
    progress.Starting(0, name);
    std::string result;
    int32_t code = 0;
    if (HoldsHtmlMarker(input) && input.find('\0') == std::string::npos &&
        input.size() < kMaxBuffer / kBufferGrowth) {
        // The result can be longer than the text (entities, colour values, line breaks).
        size_t capacity = input.size() * 2 + 65536;
        for (;;) {
            std::string buffer(capacity, '\0');
            std::memcpy(buffer.data(), input.data(), input.size());
            code =
                CompressHTMLBufferEx(name.c_str(), buffer.data(), static_cast<int32_t>(capacity));
            if (code == 0) result.assign(buffer.data(), ::strnlen(buffer.data(), capacity));
            if (code != TSQZ_ERR_BUFFER_TOO_SMALL || capacity >= kMaxBuffer / kBufferGrowth) break;
            capacity *= kBufferGrowth;
        }
    } else {
        const std::string file = work_dir + "/standard-input.html";
        const std::string output = work_dir + "/output";
        if (!platform::WriteFileAtomically(file, input)) {
            progress.Failed(name, "cannot write " + file, SystemReason(errno));
            return;
        }
        code = CompressHTMLFile(file.c_str(), file.c_str(), output.c_str());
        if (code == 0 && platform::ReadWholeFile(output, result) != platform::ReadResult::kOk) {
            progress.Failed(name, "the engine reported success but its result cannot be read");
            return;
        }
        ::unlink(output.c_str());
        ::unlink(file.c_str());
    }
    if (code != 0) {
        progress.Failed(name, EngineMessage(code));
        return;
    }
    if (args.mode != OutputMode::kAnalyze && !WriteAllToStdout(result)) {
        progress.Failed(name, "standard output: " + EngineMessage(TSQZ_ERR_WRITE),
                        SystemReason(errno));
        return;
    }
    progress.Succeeded(name, "", static_cast<int64_t>(input.size()),
                       static_cast<int64_t>(result.size()), "");
}

}  // namespace tsqz::cli
