// The run's private folder, and stopping cleanly on an interrupt.
//
// The engine keeps its error log and its report work files in its program directory; the tool
// points that directory at a folder of its own for each run, so that runs side by side (xargs
// -P, GNU parallel) never share those files and no run picks up another's leftovers.
#pragma once

#include <csignal>
#include <string>

namespace tsqz::cli {

class WorkDir {
  public:
    WorkDir();  // throws RunError when no folder can be made
    ~WorkDir();
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    const std::string& path() const { return path_; }
    // Removes the folder and everything in it now.
    void Remove();

  private:
    std::string path_;
};

// After this, SIGINT, SIGTERM and SIGHUP set StopRequested() instead of ending the process
// (a second signal ends it at once), and SIGPIPE is ignored.
void CatchStopSignals();
// The signal that asked the run to stop, or 0.
const volatile std::sig_atomic_t& StopRequested();
// Ends the process by the signal that stopped the run, as the shell expects of an
// interrupted program.
[[noreturn]] void EndByStopSignal();

}  // namespace tsqz::cli
