// The single-instance guard: a lock file named after TsqzMutex, held with flock for the life
// of the process, so an instance that died never blocks the next one.
#pragma once

#include <string>

class TInstanceLock {
  public:
    enum class Result {
        kAcquired,
        kHeldElsewhere,  // another running instance holds the lock
        kUnavailable,    // no lock could be made; the program runs unguarded
    };

    TInstanceLock() = default;
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    // Tries once, without waiting.
    Result acquire();
    void release();
    bool held() const { return fd >= 0; }

    // $XDG_RUNTIME_DIR/TsqzMutex, or TsqzMutex-<user id> in the temporary directory when
    // there is no runtime directory.
    static std::string lockFilePath();

  private:
    int fd = -1;
};
