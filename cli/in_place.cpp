// Replacing a document in place.
//
// The order of the steps is what keeps the user's bytes: the backup and the result are both
// written in full and flushed under temporary names first; only then, with the document
// checked unchanged, is the backup put in place (a new one without replacing anything), and
// last the result renamed over the document. A kill or a full disk at any point leaves either
// the old state or a complete backup beside the untouched document.
#include "cli/in_place.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "cli/messages.h"
#include "engine/include/tagsqueeze.h"
#include "platform/files.h"

namespace tsqz::cli {
namespace {

constexpr std::string_view kBackupSuffix = ".tsbak";
// A lock taken on a file that was replaced meanwhile is taken again on the new file.
constexpr int kLockTries = 100;

struct FaultName {
    FaultPoint point;
    std::string_view name;
};
constexpr FaultName kFaultNames[] = {
    {FaultPoint::kBackupStaged, "backup-staged"},
    {FaultPoint::kBackupPlaced, "backup-placed"},
    {FaultPoint::kDocumentStaged, "document-staged"},
};

// True when TSQZ_TEST_FAULT is "<action>:<name of point>".
bool FaultAsked(std::string_view action, FaultPoint point) {
    const char* value = std::getenv("TSQZ_TEST_FAULT");
    if (!value) return false;
    const std::string_view asked = value;
    for (const FaultName& row : kFaultNames) {
        if (row.point == point) {
            return asked.size() == action.size() + 1 + row.name.size() &&
                   asked.starts_with(action) && asked[action.size()] == ':' &&
                   asked.ends_with(row.name);
        }
    }
    return false;
}

Problem WithReason(std::string message, int error) { return {std::move(message), SystemReason(error)}; }

}  // namespace

FileState FileState::Of(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size,
            int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

std::string SystemReason(int error) {
    return std::string("the system says: ") + std::strerror(error);
}

void KillAtFaultPoint(FaultPoint point) {
    if (FaultAsked("kill", point)) ::raise(SIGKILL);
}

bool DiskFullAtFaultPoint(FaultPoint point) {
    if (!FaultAsked("full", point)) return false;
    errno = ENOSPC;
    return true;
}

LockedDocument::~LockedDocument() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

Problem LockedDocument::Open(const std::string& path, const FileState& noted) {
    path_ = path;
    for (int tries = 0;; ++tries) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) return WithReason(EngineMessage(TSQZ_ERR_UNREADABLE), errno);
        if (::flock(fd_, LOCK_EX) != 0) {
            // EINTR: a stop signal came while another run held the document.
            if (errno == EINTR) return {"stopped while another tsqz run held the document", ""};
            return WithReason("cannot lock the document", errno);
        }
        struct stat now {};
        if (::fstat(fd_, &state_) != 0) return WithReason(EngineMessage(TSQZ_ERR_UNREADABLE), errno);
        if (::stat(path.c_str(), &now) == 0 && now.st_dev == state_.st_dev &&
            now.st_ino == state_.st_ino) {
            break;
        }
        ::close(fd_);
        fd_ = -1;
        if (tries == kLockTries) return {"the document keeps being replaced by another program", ""};
    }
    if (FileState::Of(state_) != noted) {
        return {"the document changed after this run started (another program or tsqz run "
                "wrote it); it is left as it is",
                ""};
    }
    if (!platform::ReadAll(fd_, bytes_)) {
        return WithReason(EngineMessage(TSQZ_ERR_UNREADABLE), errno);
    }
    struct stat after {};
    if (::fstat(fd_, &after) != 0 || FileState::Of(after) != noted) {
        return {"the document changed while it was read; it is left as it is", ""};
    }
    return {};
}

Problem LockedDocument::Replace(const std::string& result, const BackupRule& rule,
                                std::string& note) {
    const std::string backup = path_ + std::string(kBackupSuffix);
    platform::StagedFile staged_backup;
    bool new_backup = false;
    bool replace_backup = false;
    if (rule.make) {
        struct stat old {};
        if (::lstat(backup.c_str(), &old) == 0) {
            if (S_ISLNK(old.st_mode)) {
                return {"the backup path " + backup +
                            " is a symbolic link; tsqz does not write through it",
                        "remove the link, or give --no-backup"};
            }
            if (!S_ISREG(old.st_mode)) {
                return {"the backup path " + backup + " is taken by something that is not a file",
                        ""};
            }
            if (!rule.overwrite) {
                // A backup that holds nothing readable is no original to fall back on.
                if (old.st_size == 0) {
                    return {"the existing backup " + backup +
                                " is empty, so it holds no original; the document is left as it is",
                            "remove the empty backup, or give --overwrite-backup"};
                }
                const int fd = ::open(backup.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
                if (fd < 0) {
                    return WithReason("the existing backup " + backup +
                                          " cannot be read; the document is left as it is",
                                      errno);
                }
                ::close(fd);
                note = "existing backup " + backup + " kept";
            } else {
                replace_backup = true;
            }
        } else if (errno == ENOENT) {
            new_backup = true;
        } else if (errno == ENAMETOOLONG) {
            return {"the name is too long for its backup " + backup + " (" + std::strerror(errno) +
                        "); the document is left as it is",
                    "give --no-backup, or -o DIR"};
        } else {
            return WithReason("cannot look at the backup path " + backup, errno);
        }
        if (new_backup || replace_backup) {
            if (!staged_backup.Write(backup, bytes_, state_.st_mode & 0777)) {
                return WithReason(
                    "cannot write the backup " + backup + "; the document is left as it is", errno);
            }
            KillAtFaultPoint(FaultPoint::kBackupStaged);
        }
    }

    // The result goes beside the file a linked document points to; the link stays.
    const std::string target = platform::ResolveLinks(path_);
    platform::StagedFile staged_document;
    if (DiskFullAtFaultPoint(FaultPoint::kDocumentStaged) ||
        !staged_document.Write(target, result, state_.st_mode & 07777)) {
        return WithReason(EngineMessage(TSQZ_ERR_WRITE), errno);
    }
    // Run by the super-user on another user's document (--force): the owner stays.
    if (state_.st_uid != ::geteuid() || state_.st_gid != ::getegid()) {
        (void)!::chown(staged_document.temporary().c_str(), state_.st_uid, state_.st_gid);
    }
    KillAtFaultPoint(FaultPoint::kDocumentStaged);

    struct stat now {};
    if (::stat(path_.c_str(), &now) != 0 || FileState::Of(now) != FileState::Of(state_)) {
        return {"the document changed while it was compressed; it is left as it is and the "
                "result is dropped",
                ""};
    }
    if (new_backup && !staged_backup.PlaceNew()) {
        return WithReason("cannot put the backup in place at " + backup +
                              "; the document is left as it is",
                          errno);
    }
    if (replace_backup && !staged_backup.Replace()) {
        return WithReason("cannot replace the backup " + backup + "; the document is left as it is",
                          errno);
    }
    if (new_backup || replace_backup) {
        platform::SyncFolder(platform::FolderOf(backup));
        KillAtFaultPoint(FaultPoint::kBackupPlaced);
    }
    if (!staged_document.Replace()) {
        const int error = errno;
        if (new_backup) ::unlink(backup.c_str());
        return WithReason(EngineMessage(TSQZ_ERR_WRITE), error);
    }
    platform::SyncFolder(platform::FolderOf(target));
    if (replace_backup) note = "backup " + backup + " replaced";
    return {};
}

}  // namespace tsqz::cli
