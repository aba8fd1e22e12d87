// The engine's whole state, passed explicitly to every unit below the exported interface.
//
// The exported functions own one process-wide Engine; tests build fresh ones, so nothing
// hides in globals.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "run/options.h"
#include "run/protect.h"
#include "text/text.h"

namespace tsqz {

struct DisplayRules;

struct RunMode {
    uint8_t batch = 0;  // error count and per-file report entries accumulate
    uint8_t yield = 0;  // dispatch the host's pending events between pipeline steps
};

// Per-document run state shared by the passes.
struct RunState {
    bool buffer_mode = false;
    bool lf_only = false;        // the document has no CR LF pair (or CR LF was converted)
    uint8_t basefont = 3;        // size from the document's BASEFONT element
    bool meta_pass_ran = false;  // cleared per chunk, set by META removal
    int32_t saved_length = 0;    // length noted by a pass before it works
    uint16_t wrap_column = 254;  // WordWrap, or WordWrap - 1 in CR LF documents
    // The document holds a UTF-8 byte-order mark or a valid UTF-8 multi-byte sequence: its
    // text is not ISO-8859-1, so no such charset declaration may be added.
    bool utf8_text = false;
    // The block-level elements the page's own style sheets may lay out text-level; none when
    // null. Read once per document, before any block is cut out.
    std::shared_ptr<const DisplayRules> display;
    // Per phrase-tag conversion: the element's start tags still open at the end of the last
    // chunk, innermost last (true: converted), so an end tag in a later chunk agrees with
    // its start tag.
    std::array<std::vector<bool>, 8> open_phrase_tags;
};

// Per-document and per-job figures. Savings counters are indexed by slot (1..30 for the
// passes, 31..41 for the web template's rules).
struct Stats {
    bool on = false;
    std::array<int32_t, kAllSlotCount + 1> file{};
    std::array<int32_t, kAllSlotCount + 1> job{};
    int32_t files_processed = 0;
    int32_t file_before = 0;
    int32_t file_after = 0;
    int32_t job_before = 0;
    int32_t job_after = 0;
    int32_t job_total = 0;   // sum of per-file totals, batch mode only
    int32_t file_total = 0;  // sum of the per-file counters of the last document
};

// A per-file report entry held back: the document's name and the figures at its end (the
// job's running figures included, since the entry's shares are of the job so far).
struct HeldFileEntry {
    std::string document_name;
    Stats stats;
};

struct ReportSettings {
    bool enabled = false;
    bool append = false;
    bool detailed = false;
    bool file_statistics = false;
    std::string name;
};

using MessagePumpFn = void (*)();
using MessageBoxFn = void (*)(const char* caption, const char* text);
using ClockFn = std::time_t (*)();
// Told before (starting) and after each dispatcher step that runs, and around the
// whole-document stages of a run (numbers in dispatch.h); for profiling.
using StepObserverFn = void (*)(int step, bool starting);

struct Hooks {
    MessagePumpFn pump = nullptr;
    MessageBoxFn message_box = nullptr;  // none: the text goes to standard error
    ClockFn clock = nullptr;             // none: the system clock (tests pin it)
    StepObserverFn step_observer = nullptr;
};

struct Engine {
    OptionBlock options;
    RunMode mode;
    int32_t error_code = 0;
    int32_t error_count = 0;
    std::string settings_source;  // last source given to ReadCompressionParams
    std::string document_name;    // last document handled by CompressHTMLFile
    RunState run;
    Stats stats;
    ReportSettings report;
    ProtectedStore store;
    Hooks hooks;
    std::string savings_text;  // the text CompressionSavings hands out
    // Folder of the error log and the report work files, ending in "/"; empty: the program
    // directory. Engines used side by side each need their own.
    std::string work_folder;
    // Contexts hold their per-file report entries until their report is written or their job
    // merged into another's; the default engine writes each at once.
    bool hold_file_entries = false;
    std::vector<HeldFileEntry> held_file_entries;
    // The web template: comments holding one of these stay.
    std::vector<std::string> web_keep_comments;
};

// The folder of the engine's error log and report work files, ending in "/".
std::string WorkFolder(const Engine& engine);
// WorkFolder, created when it is missing: for writing into it.
std::string WorkFolderForWriting(const Engine& engine);
// Dispatches the host's pending events (the registered pump; nothing without one).
void PumpMessages(const Engine& engine);
// Pumps only when the yield flag is on.
void Yield(const Engine& engine);
// Shows one of the engine's message boxes through the host hook, or on standard error.
void ShowMessageBox(const Engine& engine, const char* caption, const std::string& text);
// The current local time, through the test clock when one is set.
std::tm LocalNow(const Engine& engine);

// Savings bookkeeping of one pass: note the length when it starts, record when it ends.
inline void BeginSavings(Engine& engine, const Text& text) {
    if (engine.stats.on) engine.run.saved_length = Len(text);
}
// Charges (length before - current length) to a slot; slots 14 and 15 are set, not added.
// Returns the text's current length.
int32_t RecordSavings(Engine& engine, const Text& text, int slot, int32_t length_before);
inline void EndSavings(Engine& engine, const Text& text, int slot) {
    if (engine.stats.on) RecordSavings(engine, text, slot, engine.run.saved_length);
}

}  // namespace tsqz
