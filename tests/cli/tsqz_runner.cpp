// Runs the built tsqz program as a user would.
#include "cli/tsqz_runner.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "support/test_support.h"

namespace tsqz::test {
namespace {

std::string ReadAll(int fd) {
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return bytes;  // end of file, or EIO once a pseudo-terminal's last writer is gone
        }
    }
}

}  // namespace

TsqzRun RunTsqz(const std::vector<std::string>& args, const TsqzOptions& options) {
    // Standard input and the two outputs go through files, so no pipe can fill up and stall.
    TempDir io;
    WriteFile(io.File("in"), options.input);
    const std::string out_path = io.File("out");
    const std::string err_path = io.File("err");

    int master = -1, slave = -1;
    if (options.terminal && ::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    std::vector<std::string> argv_text = {TSQZ_CLI};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argv_text)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(120);
        if (!options.temp_dir.empty()) ::setenv("TMPDIR", options.temp_dir.c_str(), 1);
        const int in = ::open(io.File("in").c_str(), O_RDONLY);
        const int out = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err =
            options.terminal ? slave : ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0) ::_exit(121);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (options.terminal) ::close(master);
        ::execv(argv[0], argv.data());
        ::_exit(122);
    }
    TsqzRun run;
    if (options.terminal) {
        ::close(slave);
        run.err = ReadAll(master);
        ::close(master);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadFile(out_path);
    if (!options.terminal) run.err = ReadFile(err_path);
    return run;
}

}  // namespace tsqz::test
