// Error codes and the error log "~errors.tmp".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "run/error_texts.h"
#include "include/tagsqueeze.h"

namespace tsqz {

struct Engine;

// The error log's file name in the program directory.
inline constexpr std::string_view kErrorLogName = "~errors.tmp";

// The error log's first entry starts with this heading; the next ones with a line end.
inline constexpr std::string_view kErrorLogHeading = "\r\nError log:\r\n==========\r\n";
inline constexpr std::string_view kErrorLogSeparator = "\r\n";

// Appends an entry for (name, code) to the engine's error log, creating it with its heading
// when it does not exist. A name longer than 60 characters is written as its file-name part.
void AppendErrorLog(const Engine& engine, std::string_view name, int32_t code);

// "To log": an entry with the run's name and the current code, only while reports are on.
void LogError(const Engine& engine, std::string_view name);

// How a failure of a run is counted (GetOptErrors' count) and written to the error log.
enum class LogRule : uint8_t {
    kNever,
    kWhenReporting,  // only while reports are on
    kAlways,
};
struct ErrorOutcome {
    int32_t code;
    bool counted;
    LogRule logged;
};

// ASP code without "%>": returned as TSQZ_ERR_SCRIPT_UNCLOSED but, unlike a script element
// without its end, not counted. Only the extraction uses this code inside the engine.
inline constexpr int32_t kErrAspUnclosed = -1012;

// Every failure a document's run can end with, and its rules. One table, used by every exit of
// the run (and by the extraction, whose callers see its count).
// clang-format off
inline constexpr std::array<ErrorOutcome, 15> kErrorOutcomes = {{
    {TSQZ_ERR_NOT_HTML,          false, LogRule::kNever},
    {TSQZ_ERR_UNCLOSED_BLOCK,    true,  LogRule::kWhenReporting},
    {TSQZ_ERR_STYLE_RESTORE,     true,  LogRule::kWhenReporting},
    {TSQZ_ERR_TOO_MANY_SCRIPTS,  false, LogRule::kWhenReporting},
    {TSQZ_ERR_TOO_MANY_BLOCKS,   true,  LogRule::kWhenReporting},
    {TSQZ_ERR_FILE_NOT_FOUND,    true,  LogRule::kAlways},
    {TSQZ_ERR_WRITE,             false, LogRule::kNever},
    {TSQZ_ERR_BAD_STYLE,         true,  LogRule::kWhenReporting},
    {TSQZ_ERR_SCRIPT_UNCLOSED,   true,  LogRule::kWhenReporting},
    {kErrAspUnclosed,            false, LogRule::kWhenReporting},
    {TSQZ_ERR_NO_CUT_POINT,      true,  LogRule::kWhenReporting},
    {TSQZ_ERR_TOO_MANY_CHUNKS,   true,  LogRule::kAlways},
    {TSQZ_ERR_UNREADABLE,        true,  LogRule::kAlways},
    {TSQZ_ERR_PATH_TOO_LONG,     true,  LogRule::kAlways},
    {TSQZ_ERR_TOKEN_IN_INPUT,    true,  LogRule::kWhenReporting},
}};
// clang-format on

// The rules of a code; a code outside the table is not counted and logged while reporting.
constexpr ErrorOutcome OutcomeOf(int32_t code) {
    for (const ErrorOutcome& row : kErrorOutcomes) {
        if (row.code == code) return row;
    }
    return {code, false, LogRule::kWhenReporting};
}

// The code a caller sees for an engine-internal one.
constexpr int32_t ReturnedCode(int32_t code) {
    return code == kErrAspUnclosed ? TSQZ_ERR_SCRIPT_UNCLOSED : code;
}

// Each failure that may be logged has its log text.
static_assert([] {
    for (const ErrorOutcome& row : kErrorOutcomes) {
        if (!FindErrorText(ReturnedCode(row.code))) return false;
    }
    return true;
}());

// Counts a failure when its rule says so.
void CountError(Engine& engine, int32_t code);
// Writes a failure to the error log as its rule says, under the run's name.
void LogRunError(const Engine& engine, std::string_view name, int32_t code);
// Ends a run with a failure: the engine's error code, the count and the log as the table says.
// already_counted: the step that failed counted it (the extraction does). Returns the code.
int32_t EndRun(Engine& engine, std::string_view name, int32_t code, bool already_counted = false);

}  // namespace tsqz
