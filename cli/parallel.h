// Documents on several worker threads, each compressing with an engine context of its own,
// their results taken in the order of the documents, so that a run with -j N reports and
// writes exactly what a run with -j 1 does.
#pragma once

#include <csignal>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/include/tagsqueeze_context.h"

namespace tsqz::cli {

// An engine for one document at a time: a context and the file its results go to.
struct EngineSlot {
    TsqzContext* context = nullptr;
    std::string output;
};

// The number of worker threads for -j 0: one per core.
size_t DefaultJobCount();

// Runs work(index, slot) for the indexes 0..count-1 on `threads` worker threads, started in
// index order, and commit(index, slot) for each on the calling thread strictly in index order.
// The slots are contexts with the settings of the default context and work folders below
// work_dir; a slot stays with its document until commit returns, then its job is empty again
// (commit merges it into the default context). A document for which alone(index) is true
// starts only after every earlier one is committed. A nonzero stop ends the run before the next
// document starts; documents in hand are finished and committed. Returns the number of
// documents committed.
size_t RunOrdered(size_t count, size_t threads, const std::string& work_dir,
                  const std::function<bool(size_t)>& alone,
                  const std::function<void(size_t, EngineSlot&)>& work,
                  const std::function<void(size_t, EngineSlot&)>& commit,
                  const volatile std::sig_atomic_t& stop);

}  // namespace tsqz::cli
