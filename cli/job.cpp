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

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

bool WriteAllToStdout(const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
           std::fflush(stdout) == 0;
}

struct Outcome {
    bool ok = false;
    bool skipped = false;  // the same file came up again and was compressed once
    std::string message;   // what went wrong
    int64_t before = 0;
    int64_t after = 0;
    std::string target;  // where the result went when that is not the document itself
    std::string note;
};

Outcome Failure(std::string message) {
    Outcome outcome;
    outcome.message = std::move(message);
    return outcome;
}

class DocumentRunner {
  public:
    explicit DocumentRunner(const Arguments& args) : args_(args) {}

    // Notes every document's file before any is replaced (a replaced file is a new file), so
    // that a file reached twice is compressed once and no result is written over a source.
    void NoteSources(const std::vector<Document>& documents) {
        for (const Document& document : documents) {
            struct stat st {};
            std::optional<FileId> id;
            if (::stat(document.path.c_str(), &st) == 0) id = FileId{st.st_dev, st.st_ino};
            if (id) sources_.insert(*id);
            ids_.push_back(id);
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
            if (ids_[i]) {
                keys.push_back("file:" + std::to_string(ids_[i]->device) + ":" +
                               std::to_string(ids_[i]->inode));
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
        if (document.code != 0) return Failure(EngineMessage(document.code));
        const std::string& path = document.path;
        if (HoldsHtmlMarker(path)) {
            return Failure(
                "the path holds \"<HTML\", which the engine would read as the document's text; "
                "rename the file");
        }
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return Failure(EngineMessage(StatErrorCode(errno)));
        if (!S_ISREG(st.st_mode)) return Failure(EngineMessage(TSQZ_ERR_UNREADABLE));
        if (ids_[index] && !Claim(done_, *ids_[index])) {
            Outcome outcome;
            outcome.skipped = true;
            return outcome;
        }

        std::string target;
        if (args_.mode == OutputMode::kOutputDir) {
            target = Target(document);
            if (Outcome refused = CheckTarget(target); !refused.message.empty()) return refused;
        }

        std::string result;
        const std::string& output = engine.output;
        ::unlink(output.c_str());
        const int32_t code = TsqzContextCompressFile(engine.context, path.c_str(), output.c_str());
        const platform::ReadResult read =
            code == 0 ? platform::ReadWholeFile(output, result) : platform::ReadResult::kMissing;
        ::unlink(output.c_str());
        if (code != 0) return Failure(EngineMessage(code));
        if (read != platform::ReadResult::kOk) {
            return Failure("the engine reported success but its result cannot be read");
        }

        Outcome outcome;
        outcome.before = st.st_size;
        outcome.after = static_cast<int64_t>(result.size());
        switch (args_.mode) {
            case OutputMode::kInPlace:
                if (!ReplaceDocument(path, st.st_mode, result, outcome)) return outcome;
                break;
            case OutputMode::kOutputDir: {
                const size_t slash = target.rfind('/');
                if (slash != std::string::npos && slash > 0 &&
                    !MakeFolders(target.substr(0, slash))) {
                    return Failure(SystemError("cannot create the folder for " + target));
                }
                if (!platform::WriteFileAtomically(target, result)) {
                    return Failure(target + ": " + EngineMessage(TSQZ_ERR_WRITE));
                }
                Claim(targets_, target);
                outcome.target = target;
                break;
            }
            case OutputMode::kStdout:
                if (!WriteAllToStdout(result)) {
                    return Failure("standard output: " + EngineMessage(TSQZ_ERR_WRITE));
                }
                break;
            case OutputMode::kAnalyze:
                break;
        }
        outcome.ok = true;
        return outcome;
    }

  private:
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

    // Makes or keeps the backup, then replaces the document by its result. On failure the
    // document is as it was, and a backup made by this run is gone again.
    bool ReplaceDocument(const std::string& path, mode_t mode, const std::string& result,
                         Outcome& outcome) {
        const std::string backup = path + std::string(kBackupSuffix);
        bool made_backup = false;
        if (args_.backup) {
            std::string problem = MakeBackup(path, backup, mode, made_backup, outcome.note);
            if (!problem.empty()) {
                outcome = Failure(problem);
                return false;
            }
        }
        if (!platform::WriteFileAtomically(path, result)) {
            if (made_backup) ::unlink(backup.c_str());
            outcome = Failure(EngineMessage(TSQZ_ERR_WRITE));
            return false;
        }
        return true;
    }

    // The backup holds the document's bytes before this run, with the document's permission
    // bits (a private document keeps a private backup). An existing backup is the older
    // original and is kept unless --overwrite-backup. Returns what went wrong, or empty.
    std::string MakeBackup(const std::string& path, const std::string& backup, mode_t mode,
                           bool& made, std::string& note) {
        struct stat st {};
        const bool exists = ::lstat(backup.c_str(), &st) == 0;
        if (exists && !platform::FileExists(backup)) {
            return "the backup path " + backup + " is taken by something that is not a file";
        }
        if (exists && !args_.overwrite_backup) {
            note = "existing backup " + backup + " kept";
            return {};
        }
        std::string original;
        if (platform::ReadWholeFile(path, original) != platform::ReadResult::kOk) {
            return EngineMessage(TSQZ_ERR_UNREADABLE);
        }
        if (!exists) {
            const int fd = ::open(backup.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0) return SystemError("cannot create the backup " + backup);
            ::fchmod(fd, mode & 0777);
            ::close(fd);
            made = true;
        } else {
            ::chmod(backup.c_str(), mode & 0777);
        }
        if (!platform::WriteFileAtomically(backup, original)) {
            if (made) ::unlink(backup.c_str());
            made = false;
            return "cannot write the backup " + backup;
        }
        note = exists ? "backup " + backup + " replaced" : std::string();
        return {};
    }

    const Arguments& args_;
    std::mutex mutex_;  // guards done_ and targets_
    std::vector<std::optional<FileId>> ids_;  // each document's file before the run
    std::set<FileId> sources_;
    std::set<FileId> done_;
    std::set<std::string> targets_;  // results written by this run
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
        if (outcome.skipped) return;
        if (outcome.ok) {
            progress.Succeeded(documents[i].path, outcome.target, outcome.before, outcome.after,
                               outcome.note);
        } else {
            progress.Failed(documents[i].path, outcome.message);
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
            progress.Failed(name, SystemError("cannot write " + file));
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
        progress.Failed(name, "standard output: " + EngineMessage(TSQZ_ERR_WRITE));
        return;
    }
    progress.Succeeded(name, "", static_cast<int64_t>(input.size()),
                       static_cast<int64_t>(result.size()), "");
}

}  // namespace tsqz::cli
