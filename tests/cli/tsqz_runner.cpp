// Runs the built tsqz program as a user would.
#include "cli/tsqz_runner.h"

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
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

// Forks the program with standard input and output from files in io; standard error goes to
// err_fd when it is not negative, else to a file in io as well.
pid_t StartChild(const std::vector<std::string>& args, const TsqzOptions& options,
                 const TempDir& io, int err_fd, int close_fd) {
    WriteFile(io.File("in"), options.input);
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
        for (const auto& [name, value] : options.env) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
        const int in = options.inherit_input ? ::dup(0) : ::open(io.File("in").c_str(), O_RDONLY);
        if (options.file_size_limit >= 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(options.file_size_limit),
                               static_cast<rlim_t>(options.file_size_limit)};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        const int out = options.stdout_fd >= 0
                            ? options.stdout_fd
                            : ::open(io.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = err_fd >= 0
                            ? err_fd
                            : ::open(io.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0) ::_exit(121);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (close_fd >= 0) ::close(close_fd);
        ::execv(argv[0], argv.data());
        ::_exit(122);
    }
    return child;
}

// Waits for the child; standard output and (unless already read) standard error from io.
TsqzRun Collect(pid_t child, const TempDir& io, bool read_err) {
    TsqzRun run;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (PathExists(io.File("out"))) run.out = ReadFile(io.File("out"));
    if (read_err) run.err = ReadFile(io.File("err"));
    return run;
}

}  // namespace

TsqzRun RunTsqz(const std::vector<std::string>& args, const TsqzOptions& options) {
    // Standard input and the two outputs go through files, so no pipe can fill up and stall.
    TempDir io;
    int master = -1, slave = -1;
    if (options.terminal && ::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        throw std::runtime_error("openpty failed");
    }
    const pid_t child = StartChild(args, options, io, slave, master);
    if (!options.terminal) return Collect(child, io, true);
    ::close(slave);
    const std::string err = ReadAll(master);
    ::close(master);
    TsqzRun run = Collect(child, io, false);
    run.err = err;
    return run;
}

StartedTsqz::StartedTsqz(const std::vector<std::string>& args, const TsqzOptions& options)
    : io_(std::make_unique<TempDir>()), pid_(StartChild(args, options, *io_, -1, -1)) {}

StartedTsqz::~StartedTsqz() {
    if (pid_ > 0) Wait();
}

TsqzRun StartedTsqz::Wait() {
    const TsqzRun run = Collect(pid_, *io_, true);
    pid_ = -1;
    return run;
}

}  // namespace tsqz::test
