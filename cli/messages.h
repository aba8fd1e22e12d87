// How the tool words a failure: the engine's own error-log text for a code.
#pragma once

#include <cstdint>
#include <string>

namespace tsqz::cli {

// "code N " followed by the engine's error-log text of the code, its two lines joined into
// one; a code without a text reads "code N (no description)".
std::string EngineMessage(int32_t code);

}  // namespace tsqz::cli
