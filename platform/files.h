// Whole-file reads and safe whole-file replacement.
#pragma once

#include <string>

namespace tsqz::platform {

// True when something other than a directory exists at the path.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

enum class ReadResult { kOk, kMissing, kUnreadable };
// Reads every byte of a regular file; a directory or an unreadable file is kUnreadable.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes);

// Replaces the file at path by exactly these bytes, or leaves it as it was: the bytes go to a
// temporary file in the same directory, which is flushed and renamed over the target. The
// target's permission bits are kept; when the path is a symbolic link, the file it points to
// is replaced and the link stays. Returns false on any failure (the temporary file is gone).
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace tsqz::platform
