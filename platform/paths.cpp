// Program directory and path-name helpers.
#include "paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace tsqz::platform {
namespace {

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

// Creates every missing directory of a path; true when it exists afterwards.
bool MakeDirectories(const std::string& dir) {
    std::string partial;
    for (size_t i = 0; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '/') {
            if (!partial.empty()) {
                if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
            }
        }
        if (i < dir.size()) partial += dir[i];
    }
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string ExecutableDirectory() {
    std::string buffer(kMaxPath + 1, '\0');
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return {};
    buffer.resize(static_cast<size_t>(n));
    size_t slash = buffer.rfind('/');
    return slash == std::string::npos ? std::string{} : buffer.substr(0, slash + 1);
}

std::string UserConfigDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + "/.config";
    }
    return WithSlash(base) + "tagsqueeze/";
}

std::string ProgramDirectory() {
    // A folder named by the variable is made only when something is written there.
    if (const char* forced = std::getenv("TAGSQUEEZE_PROGRAM_DIR"); forced && *forced) {
        return WithSlash(forced);
    }
    std::string exe = ExecutableDirectory();
    if (!exe.empty() && ::access(exe.c_str(), W_OK) == 0) return exe;
    std::string user = UserConfigDirectory();
    MakeDirectories(user);
    return user;
}

std::string ProgramDirectoryForWriting() {
    std::string dir = ProgramDirectory();
    MakeDirectories(dir);
    return dir;
}

std::string_view FileNamePart(std::string_view path) {
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace tsqz::platform
