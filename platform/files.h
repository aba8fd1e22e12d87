// Whole-file reads and safe whole-file replacement.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tsqz::platform {

// Follows symbolic links from path to the file they finally name (which may not exist yet).
std::string ResolveLinks(std::string path);

// True when something other than a directory exists at the path.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// True when a regular file is at the path that is set to read-only: no write permission bit
// at all, or none for this user.
bool IsReadOnlyFile(const std::string& path);

// Reads an open file from its current position to its end; false with errno on failure.
// |expected|, when known, is the size to make room for at once.
bool ReadAll(int fd, std::string& bytes, size_t expected = 0);

enum class ReadResult { kOk, kMissing, kUnreadable };
// Reads every byte of a regular file; a directory or an unreadable file is kUnreadable. On
// failure errno tells why.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes);

// What a replacement does with a symbolic link at the path.
enum class LinkPolicy {
    kReplaceTarget,  // the file the link points to is replaced, the link stays
    kReplaceLink,    // the link itself is replaced by a file; nothing is written through it
};

// Replaces the file at path by exactly these bytes, or leaves it as it was: the bytes go to a
// temporary file in the same directory, which is flushed and renamed over the target. The
// target's permission bits are kept. With kReplaceTarget, an existing FIFO or character
// device at the (resolved) path is written to instead, or refused when nobody reads a FIFO;
// other kinds of file are refused. Returns false on any failure, with errno telling why (the
// temporary file is gone).
bool WriteFileAtomically(const std::string& path, const std::string& bytes,
                         LinkPolicy links = LinkPolicy::kReplaceTarget);

// A file written in full and flushed beside the path it is meant for, not yet in place. Its
// name is TemporaryPrefix() + the process id + "-" + six characters, short enough for any
// target name the system allows. Destroying it removes the temporary file unless placed.
class StagedFile {
  public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Writes the bytes with the given permission bits; false with errno on failure.
    bool Write(const std::string& target, const std::string& bytes, mode_t mode);
    // Renames the file over the target (a link at the target is replaced, not followed).
    bool Replace();
    // Puts the file at the target only when nothing is there yet (EEXIST otherwise).
    bool PlaceNew();
    void Discard();
    const std::string& temporary() const { return temp_; }

  private:
    std::string target_;
    std::string temp_;
};

// The name start of every temporary file of StagedFile.
constexpr const char* kTemporaryPrefix = ".tsqz-";

// Temporary files of StagedFile in the folder whose process no longer runs: what a killed
// run left behind. Full paths, sorted.
std::vector<std::string> FindLeftoverTemporaries(const std::string& folder);

// Flushes a folder's entries (a rename or link in it) to the disk; errors are ignored.
void SyncFolder(const std::string& folder);

// The folder part of a path with its final "/", or "" for a bare name.
std::string FolderOf(const std::string& path);

}  // namespace tsqz::platform
