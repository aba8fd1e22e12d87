// How the tool words a failure.
#include "cli/messages.h"

#include "engine/run/error_texts.h"
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
    const ErrorText* text =
        FindErrorText(code == TSQZ_STATUS_NO_REFERENCE ? TSQZ_ERR_FILE_NOT_FOUND : code);
    std::string message = "code " + std::to_string(code) + " ";
    if (!text) return message + "(no description)";
    // The log splits a sentence over two lines, sometimes with the space on either side of the
    // break and sometimes without one: join them with exactly one space.
    message += TrimSpaces(text->first);
    const std::string_view second = TrimSpaces(text->second);
    if (!second.empty()) {
        message += ' ';
        message += second;
    }
    return message;
}

}  // namespace tsqz::cli
