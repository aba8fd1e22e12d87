// Error codes and the error log "~errors.tmp".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "run/error_texts.h"
#include "include/tagsqueeze.h"

namespace tsqz {

struct Engine;

// The error log's file name in the program directory.
inline constexpr std::string_view kErrorLogName = "~errors.tmp";

// Appends an entry for (name, code) to the error log, creating it with its heading when it
// does not exist. A name longer than 60 characters is written as its file-name part.
void AppendErrorLog(std::string_view name, int32_t code);

// "To log": an entry with the run's name and the current code, only while reports are on.
void LogError(const Engine& engine, std::string_view name);

}  // namespace tsqz
