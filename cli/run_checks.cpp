// Checks on a whole command line made before any file is touched.
#include "cli/run_checks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

#include "cli/in_place.h"
#include "cli/usage_error.h"
#include "engine/include/tagsqueeze.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/profile.h"

namespace tsqz::cli {
namespace {

constexpr const char* kBackupSuffix = ".tsbak";
constexpr const char* kOptionSections[] = {TSQZ_SECTION_TAG_OPTIONS, TSQZ_SECTION_FINE_TUNING,
                                           TSQZ_SECTION_SCRIPT_OPTIONS};

// The two ways a path can name a file: its place after following links (the folder part made
// absolute), and its device and inode when it exists.
struct FileName {
    std::string place;
    std::optional<std::pair<dev_t, ino_t>> id;
};

FileName NameOf(const std::string& path) {
    FileName name;
    const std::string resolved = platform::ResolveLinks(path);
    const std::string folder = platform::FolderOf(resolved);
    char real[PATH_MAX];
    if (::realpath(folder.empty() ? "." : folder.c_str(), real)) {
        name.place = std::string(real) + "/" + std::string(platform::FileNamePart(resolved));
    } else {
        name.place = resolved;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) name.id = std::make_pair(st.st_dev, st.st_ino);
    return name;
}

bool SameFile(const FileName& a, const FileName& b) {
    return a.place == b.place || (a.id && b.id && *a.id == *b.id);
}

}  // namespace

void CheckReportTarget(const Arguments& args, const std::vector<Document>& documents) {
    if (args.report.empty() || args.report == "-") return;
    const FileName report = NameOf(args.report);
    auto refuse_if_same = [&](const std::string& path, const char* what) {
        if (SameFile(report, NameOf(path))) {
            throw UsageError("--report " + args.report + " names " + what + " " + path +
                             "; the report would replace it");
        }
    };
    for (const Document& document : documents) {
        refuse_if_same(document.path, "the document");
        refuse_if_same(document.path + kBackupSuffix, "the backup");
        if (args.mode == OutputMode::kOutputDir) {
            std::string target = args.output_dir;
            if (target.back() != '/') target += '/';
            refuse_if_same(target + document.relative, "the result");
        }
    }
}

void CheckOutputFolder(const Arguments& args) {
    if (args.mode != OutputMode::kOutputDir) return;
    struct stat out {};
    if (::stat(args.output_dir.c_str(), &out) != 0) return;
    for (const std::string& path : args.paths) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev == out.st_dev &&
            st.st_ino == out.st_ino) {
            throw UsageError("the output folder " + args.output_dir + " is the folder " + path +
                             " being searched; give another output folder");
        }
    }
}

std::string MissingOptionSections(const std::string& ini) {
    platform::ProfileFile profile;
    if (profile.Load(ini) != platform::ReadResult::kOk) return {};
    std::string names;
    for (const char* section : kOptionSections) {
        if (profile.HasSection(section)) return {};
        names += (names.empty() ? "[" : ", [") + std::string(section) + "]";
    }
    return "the settings file " + ini + " holds none of the option sections " + names +
           ", so every option would be off";
}

std::string WriteFailureReason(const std::string& path) {
    const std::string target = platform::ResolveLinks(path);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return SystemReason(EISDIR);
        const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return SystemReason(errno);
        ::close(fd);
    }
    platform::StagedFile probe;
    if (!probe.Write(target, "", 0600)) return SystemReason(errno);
    return {};
}

}  // namespace tsqz::cli
