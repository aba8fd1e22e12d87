// Documents on several worker threads, committed in document order.
#include "cli/parallel.h"

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tsqz::cli {
namespace {

constexpr auto kStopPoll = std::chrono::milliseconds(50);
// Slots per worker: a worker may run ahead of the commits by this many documents.
constexpr size_t kSlotsPerThread = 4;

struct ContextDeleter {
    void operator()(TsqzContext* context) const { TsqzContextDestroy(context); }
};

class OrderedRun {
  public:
    OrderedRun(size_t count, size_t threads, const std::string& work_dir)
        : count_(count), slot_of_(count, kNone), done_(count, false) {
        const size_t slots = threads * kSlotsPerThread;
        for (size_t k = 0; k < slots; ++k) {
            const std::string folder = work_dir + "/engine-" + std::to_string(k);
            ::mkdir(folder.c_str(), 0700);
            contexts_.emplace_back(TsqzContextCreate(folder.c_str()));
            if (!contexts_.back()) throw std::bad_alloc();
            TsqzContextCopySettings(contexts_.back().get(), TsqzDefaultContext());
            TsqzContextResetStatistics(contexts_.back().get(), 0);
            slots_.push_back({contexts_.back().get(), folder + "/output"});
            free_.push_back(k);
        }
    }

    // A worker thread: takes the next document and a free slot, works, hands it back.
    void Work(const std::function<bool(size_t)>& alone,
              const std::function<void(size_t, EngineSlot&)>& work) {
        for (;;) {
            size_t index = 0;
            size_t slot = 0;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] {
                    return stopping_ || next_ >= count_ ||
                           (!free_.empty() && (!alone(next_) || committed_ == next_));
                });
                if (stopping_ || next_ >= count_) return;
                index = next_++;
                slot = free_.back();
                free_.pop_back();
                slot_of_[index] = slot;
            }
            work(index, slots_[slot]);
            {
                std::lock_guard lock(mutex_);
                done_[index] = true;
            }
            changed_.notify_all();
        }
    }

    // The calling thread: commits the documents in order as they are done.
    size_t Commit(const std::function<void(size_t, EngineSlot&)>& commit,
                  const volatile std::sig_atomic_t& stop) {
        for (size_t index = 0; index < count_; ++index) {
            size_t slot = 0;
            {
                std::unique_lock lock(mutex_);
                for (;;) {
                    if (stop && !stopping_) {
                        stopping_ = true;
                        changed_.notify_all();
                    }
                    if (done_[index]) break;
                    if (stopping_ && index >= next_) return index;
                    changed_.wait_for(lock, kStopPoll);
                }
                slot = slot_of_[index];
            }
            commit(index, slots_[slot]);
            {
                std::lock_guard lock(mutex_);
                free_.push_back(slot);
                committed_ = index + 1;
            }
            changed_.notify_all();
        }
        return count_;
    }

    void Stop() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
    }

  private:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    const size_t count_;
    std::vector<std::unique_ptr<TsqzContext, ContextDeleter>> contexts_;
    std::vector<EngineSlot> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<size_t> free_;     // slots without a document
    std::vector<size_t> slot_of_;  // each started document's slot
    std::vector<bool> done_;       // worked on, waiting for its commit
    size_t next_ = 0;              // the next document to start
    size_t committed_ = 0;         // documents committed so far
    bool stopping_ = false;
};

}  // namespace

size_t DefaultJobCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

size_t RunOrdered(size_t count, size_t threads, const std::string& work_dir,
                  const std::function<bool(size_t)>& alone,
                  const std::function<void(size_t, EngineSlot&)>& work,
                  const std::function<void(size_t, EngineSlot&)>& commit,
                  const volatile std::sig_atomic_t& stop) {
    OrderedRun run(count, threads, work_dir);
    // The workers start with the stop signals blocked, so that the calling thread takes them.
    sigset_t stops;
    sigset_t previous;
    sigemptyset(&stops);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal);
    ::pthread_sigmask(SIG_BLOCK, &stops, &previous);
    std::vector<std::jthread> workers;
    try {
        for (size_t t = 0; t < threads; ++t) {
            workers.emplace_back([&] { run.Work(alone, work); });
        }
    } catch (...) {
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        run.Stop();
        throw;
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    size_t committed = 0;
    try {
        committed = run.Commit(commit, stop);
    } catch (...) {
        run.Stop();
        throw;
    }
    run.Stop();
    return committed;
}

}  // namespace tsqz::cli
