// Helpers shared by the test suites.
#include "support/test_support.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tsqz::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tsqz-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Restore write permission first, so folders a test made read-only are removed too.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored)) ::chmod(it->path().c_str(), 0700);
    }
    ::chmod(path_.c_str(), 0700);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(std::string_view name) const { return path_ + "/" + std::string(name); }

ProgramDirScope::ProgramDirScope() {
    if (const char* old = std::getenv("TAGSQUEEZE_PROGRAM_DIR")) {
        previous_ = old;
        had_previous_ = true;
    }
    ::setenv("TAGSQUEEZE_PROGRAM_DIR", dir_.path().c_str(), 1);
}

ProgramDirScope::~ProgramDirScope() {
    if (had_previous_) {
        ::setenv("TAGSQUEEZE_PROGRAM_DIR", previous_.c_str(), 1);
    } else {
        ::unsetenv("TAGSQUEEZE_PROGRAM_DIR");
    }
}

RegistryDirScope::RegistryDirScope() {
    if (const char* old = std::getenv("TAGSQUEEZE_REGISTRY_DIR")) {
        previous_ = old;
        had_previous_ = true;
    }
    ::setenv("TAGSQUEEZE_REGISTRY_DIR", dir_.path().c_str(), 1);
}

RegistryDirScope::~RegistryDirScope() {
    if (had_previous_) {
        ::setenv("TAGSQUEEZE_REGISTRY_DIR", previous_.c_str(), 1);
    } else {
        ::unsetenv("TAGSQUEEZE_REGISTRY_DIR");
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string SharedDir() {
#ifdef TSQZ_SHARED_DIR
    std::error_code ec;
    if (std::filesystem::is_directory(TSQZ_SHARED_DIR, ec)) return TSQZ_SHARED_DIR;
#endif
    return {};
}

}  // namespace tsqz::test
