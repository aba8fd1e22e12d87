// How the tool words a failure.
#include "cli/messages.h"

#include <string_view>

#include "engine/include/tagsqueeze.h"

namespace tsqz::cli {
namespace {

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

std::string EngineMessage(int32_t code) {
    // The engine returns 2 when its reference file vanished between the tool's check and the
    // call: to the user that is the document going missing.
    const int32_t shown = code == TSQZ_STATUS_NO_REFERENCE ? TSQZ_ERR_FILE_NOT_FOUND : code;
    const char* first = TsqzErrorText(shown, 0);
    std::string message = "code " + std::to_string(code) + " ";
    if (!first) return message + "(no description)";
    // The log splits a sentence over two lines, sometimes with the space on either side of the
    // break and sometimes without one: join them with exactly one space.
    message += TrimSpaces(first);
    const std::string_view second = TrimSpaces(TsqzErrorText(shown, 1));
    if (!second.empty()) {
        message += ' ';
        message += second;
    }
    return message;
}

}  // namespace tsqz::cli
