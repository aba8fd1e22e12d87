// Replacing a document in place: one run at a time per document, the backup complete or
// absent, and nothing replaced when the document changed under the run.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace tsqz::cli {

// What identifies a document's bytes without reading them: its file, size and modification.
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modified_ns = 0;

    static FileState Of(const struct stat& st);
    bool operator==(const FileState&) const = default;
};

// What went wrong with one document: the main line, and the system's reason or a hint on a
// line of its own (empty when there is none).
struct Problem {
    std::string message;
    std::string detail;
    bool empty() const { return message.empty(); }
};

struct BackupRule {
    bool make = true;        // keep the original as PATH.tsbak
    bool overwrite = false;  // an existing backup is replaced by this run's original
};

// A document held for replacement: opened, locked against other tsqz runs (an exclusive
// flock on the file, released when this object goes), and read once.
class LockedDocument {
  public:
    LockedDocument() = default;
    ~LockedDocument();
    LockedDocument(const LockedDocument&) = delete;
    LockedDocument& operator=(const LockedDocument&) = delete;

    // Opens and locks the document and reads its bytes. Fails when it is not in the state
    // noted when the run started (another program or run changed it meanwhile).
    Problem Open(const std::string& path, const FileState& noted);

    const std::string& bytes() const { return bytes_; }

    // Replaces the document by result after the backup rule, or leaves the document and any
    // existing backup exactly as they were. The backup holds the bytes read by Open. Nothing
    // is replaced when the document no longer is what Open read. note: an aside for the
    // user (a kept or replaced backup).
    Problem Replace(const std::string& result, const BackupRule& rule, std::string& note);

  private:
    std::string path_;
    int fd_ = -1;
    struct stat state_ {};
    std::string bytes_;
};

// Test-only fault points (the environment variable TSQZ_TEST_FAULT names one): the program
// kills itself there, or takes the disk to be full, so tests can check what is left behind.
enum class FaultPoint { kBackupStaged, kBackupPlaced, kDocumentStaged };
void KillAtFaultPoint(FaultPoint point);
bool DiskFullAtFaultPoint(FaultPoint point);

// "the system says: ..." for errno.
std::string SystemReason(int error);

}  // namespace tsqz::cli
