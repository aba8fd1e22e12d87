// The single-instance guard: a lock file named after TsqzMutex, held with flock for the life
// of the process, so an instance that died never blocks the next one.
#include "frontend/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

constexpr const char* kLockName = "TsqzMutex";

bool isDirectory(const char* path) {
    struct stat st {};
    return path && *path == '/' && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

TInstanceLock::~TInstanceLock() { release(); }

std::string TInstanceLock::lockFilePath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (isDirectory(runtime)) return std::string(runtime) + "/" + kLockName;
    const char* temp = std::getenv("TMPDIR");
    const std::string base = isDirectory(temp) ? temp : "/tmp";
    // The temporary directory is shared by every user; each user gets a lock of their own.
    return base + "/" + kLockName + "-" + std::to_string(::getuid());
}

TInstanceLock::Result TInstanceLock::acquire() {
    if (fd >= 0) return Result::kAcquired;
    // Close-on-exec: a browser or editor started from here must not inherit the lock and
    // keep blocking the next start after this instance has ended. No-follow: a link planted
    // in a shared directory must not redirect the file.
    const int opened =
        ::open(lockFilePath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
    if (opened < 0) return Result::kUnavailable;
    int status;
    do {
        status = ::flock(opened, LOCK_EX | LOCK_NB);
    } while (status != 0 && errno == EINTR);
    if (status != 0) {
        const bool heldElsewhere = errno == EWOULDBLOCK;
        ::close(opened);
        return heldElsewhere ? Result::kHeldElsewhere : Result::kUnavailable;
    }
    fd = opened;
    return Result::kAcquired;
}

void TInstanceLock::release() {
    if (fd < 0) return;
    ::close(fd);
    fd = -1;
}
