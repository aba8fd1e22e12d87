// The run's private folder, and stopping cleanly on an interrupt.
#include "cli/work_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "cli/usage_error.h"

namespace tsqz::cli {
namespace {

volatile std::sig_atomic_t stop_signal = 0;

constexpr const char* kKeyStoreMarker = "HKEY_";

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnStopSignal(int signal) {
    stop_signal = signal;
    std::signal(signal, SIG_DFL);
}

}  // namespace

WorkDir::WorkDir() {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    // The engine takes any path holding "HKEY_" for a key of its key store, so the options
    // copy kept in this folder must not live under such a path.
    if (error || base.string().find(kKeyStoreMarker) != std::string::npos) base = "/tmp";
    std::string pattern = (base / "tsqz-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw RunError("cannot create a work folder in " + base.string());
    path_ = pattern;
}

WorkDir::~WorkDir() { Remove(); }

void WorkDir::Remove() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    path_.clear();
}

void CatchStopSignals() {
    for (int signal : kStopSignals) {
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no restart: a blocked read of standard input returns
        ::sigaction(signal, &action, nullptr);
    }
    // A reader of standard output that goes away is a write failure to report, not a reason
    // to die with the work folder left behind.
    std::signal(SIGPIPE, SIG_IGN);
}

const volatile std::sig_atomic_t& StopRequested() { return stop_signal; }

void EndByStopSignal() {
    const int signal = stop_signal;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

}  // namespace tsqz::cli
