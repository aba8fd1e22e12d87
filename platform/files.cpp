// Whole-file reads and safe whole-file replacement.
#include "files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tsqz::platform {
namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Writes into an existing FIFO or device rather than replacing it. A FIFO nobody reads is
// refused (ENXIO) instead of waiting for a reader.
bool WriteIntoStream(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    bool ok = WriteAll(fd, bytes.data(), bytes.size());
    const int saved = errno;
    ok = ::close(fd) == 0 && ok;
    if (!ok && errno == 0) errno = saved;
    return ok;
}

mode_t CurrentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

std::string ResolveLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string target(PATH_MAX, '\0');
        ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0) return path;
        target.resize(static_cast<size_t>(n));
        if (target[0] != '/') {
            size_t slash = path.rfind('/');
            target =
                (slash == std::string::npos ? std::string{} : path.substr(0, slash + 1)) + target;
        }
        path = target;
    }
    return path;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return (st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool ReadAll(int fd, std::string& bytes, size_t expected) {
    std::string data;
    // Room for the whole file at once (and the read that finds its end), rather than doubling
    // towards it: the text is held once, not twice while it grows.
    if (expected > 0) data.reserve(expected + 1);
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        data.append(buffer, static_cast<size_t>(n));
    }
    bytes.swap(data);
    return true;
}

ReadResult ReadWholeFile(const std::string& path, std::string& bytes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? ReadResult::kMissing : ReadResult::kUnreadable;
    }
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return ReadResult::kUnreadable;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ReadResult::kUnreadable;
    const bool ok = ReadAll(fd, bytes, static_cast<size_t>(st.st_size));
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok ? ReadResult::kOk : ReadResult::kUnreadable;
}

void StagedFile::Discard() {
    if (temp_.empty()) return;
    const int saved = errno;
    ::unlink(temp_.c_str());
    errno = saved;
    temp_.clear();
}

StagedFile::~StagedFile() { Discard(); }

bool StagedFile::Write(const std::string& target, const std::string& bytes, mode_t mode) {
    Discard();
    target_ = target;
    std::string temp =
        FolderOf(target) + kTemporaryPrefix + std::to_string(::getpid()) + "-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    temp_ = temp;
    bool ok = WriteAll(fd, bytes.data(), bytes.size()) && ::fchmod(fd, mode) == 0 &&
              ::fsync(fd) == 0;
    const int saved = errno;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        if (errno == 0) errno = saved;
        Discard();
    }
    return ok;
}

bool StagedFile::Replace() {
    if (temp_.empty() || ::rename(temp_.c_str(), target_.c_str()) != 0) return false;
    temp_.clear();
    return true;
}

bool StagedFile::PlaceNew() {
    if (temp_.empty()) return false;
    if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) != 0) {
        // File systems without the no-replace rename: a hard link does not replace either.
        if (errno != EINVAL && errno != ENOSYS) return false;
        if (::link(temp_.c_str(), target_.c_str()) != 0) return false;
        ::unlink(temp_.c_str());
    }
    temp_.clear();
    return true;
}

std::vector<std::string> FindLeftoverTemporaries(const std::string& folder) {
    std::vector<std::string> found;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return found;
    const std::string_view prefix = kTemporaryPrefix;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (!name.starts_with(prefix)) continue;
        name.remove_prefix(prefix.size());
        const size_t dash = name.find('-');
        if (dash == std::string_view::npos || dash == 0 || name.size() != dash + 7) continue;
        pid_t pid = 0;
        const auto [end, error] = std::from_chars(name.data(), name.data() + dash, pid);
        if (error != std::errc() || end != name.data() + dash || pid <= 0) continue;
        if (::kill(pid, 0) == 0 || errno != ESRCH) continue;  // its run is still going
        std::string path = folder;
        if (!path.empty() && path.back() != '/') path += '/';
        found.push_back(path + entry->d_name);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, LinkPolicy links) {
    if (path.empty()) {
        errno = ENOENT;
        return false;
    }
    const bool follow = links == LinkPolicy::kReplaceTarget;
    const std::string target = follow ? ResolveLinks(path) : path;
    struct stat st {};
    const bool existed = (follow ? ::stat(target.c_str(), &st) : ::lstat(target.c_str(), &st)) == 0;
    mode_t mode = 0666 & ~CurrentUmask();
    if (existed && S_ISREG(st.st_mode)) {
        mode = st.st_mode & 07777;
    } else if (existed && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    } else if (existed && follow) {
        if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode)) return WriteIntoStream(target, bytes);
        errno = EINVAL;
        return false;
    }
    StagedFile staged;
    if (!staged.Write(target, bytes, mode) || !staged.Replace()) return false;
    SyncFolder(FolderOf(target));
    return true;
}

}  // namespace tsqz::platform
