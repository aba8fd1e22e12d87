// Runs the built tsqz program as a user would: arguments, working folder, standard input,
// and the exit status, standard output and standard error it leaves.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace tsqz::test {

struct TsqzRun {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

struct TsqzOptions {
    std::string cwd;        // empty: the test's own
    std::string input;      // standard input
    std::string temp_dir;   // TMPDIR for the program; empty: inherited
    bool terminal = false;  // standard error is a terminal (a pseudo-terminal)
    std::vector<std::pair<std::string, std::string>> env;  // further environment variables
    long file_size_limit = -1;  // RLIMIT_FSIZE in bytes, as on a nearly full disk; -1: none
    int stdout_fd = -1;         // standard output goes here instead of a file
    bool inherit_input = false;  // standard input is the test's own, not `input`
};

TsqzRun RunTsqz(const std::vector<std::string>& args, const TsqzOptions& options = {});



// A tsqz run started in the background (no terminal); Wait collects it like RunTsqz.
class StartedTsqz {
  public:
    StartedTsqz(const std::vector<std::string>& args, const TsqzOptions& options);
    StartedTsqz(StartedTsqz&& other) noexcept
        : io_(std::move(other.io_)), pid_(std::exchange(other.pid_, -1)) {}
    ~StartedTsqz();
    pid_t pid() const { return pid_; }
    TsqzRun Wait();

  private:
    std::unique_ptr<TempDir> io_;
    pid_t pid_ = -1;
};

}  // namespace tsqz::test
