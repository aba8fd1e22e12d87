// Runs the built tsqz program as a user would: arguments, working folder, standard input,
// and the exit status, standard output and standard error it leaves.
#pragma once

#include <string>
#include <vector>

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
};

TsqzRun RunTsqz(const std::vector<std::string>& args, const TsqzOptions& options = {});

}  // namespace tsqz::test
