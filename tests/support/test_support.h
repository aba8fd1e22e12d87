// Helpers shared by the test suites: temporary folders, whole-file I/O, program directory.
#pragma once

#include <string>
#include <string_view>

namespace tsqz::test {

// A fresh temporary folder, removed with everything in it at destruction.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path/name
    std::string File(std::string_view name) const;

  private:
    std::string path_;
};

// Points the engine's program directory (error log, report work files) at a fresh folder for
// the lifetime of the object, and restores the previous setting afterwards.
class ProgramDirScope {
  public:
    ProgramDirScope();
    ~ProgramDirScope();
    const TempDir& dir() const { return dir_; }
    std::string File(std::string_view name) const { return dir_.File(name); }

  private:
    TempDir dir_;
    std::string previous_;
    bool had_previous_ = false;
};

// Points the key store (TAGSQUEEZE_REGISTRY_DIR) at a fresh folder for the lifetime of the
// object, and restores the previous setting afterwards.
class RegistryDirScope {
  public:
    RegistryDirScope();
    ~RegistryDirScope();
    const std::string& path() const { return dir_.path(); }

  private:
    TempDir dir_;
    std::string previous_;
    bool had_previous_ = false;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, std::string_view bytes);
bool PathExists(const std::string& path);

// The shared data folder beside the repository (corpus pages); empty when absent.
std::string SharedDir();

}  // namespace tsqz::test
