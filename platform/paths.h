// Where the program keeps its files, and path-name helpers.
#pragma once

#include <string>
#include <string_view>

namespace tsqz::platform {

// The directory for the error log, report work files and the desktop program's settings,
// ending in "/": $TAGSQUEEZE_PROGRAM_DIR when set; else the running executable's directory
// when it is writable; else $XDG_CONFIG_HOME/tagsqueeze (default ~/.config/tagsqueeze),
// created on demand. A folder named by $TAGSQUEEZE_PROGRAM_DIR is not created here.
std::string ProgramDirectory();

// ProgramDirectory(), created when missing: for callers about to write into it.
std::string ProgramDirectoryForWriting();

// The running executable's own directory, ending in "/" (empty when unknown).
std::string ExecutableDirectory();

// The per-user directory $XDG_CONFIG_HOME/tagsqueeze (or ~/.config/tagsqueeze), ending in "/".
std::string UserConfigDirectory();

// What follows the last "/" (the whole text when there is none).
std::string_view FileNamePart(std::string_view path);

// The longest path the system accepts; longer paths are refused, never cut.
constexpr size_t kMaxPath = 4095;

}  // namespace tsqz::platform
