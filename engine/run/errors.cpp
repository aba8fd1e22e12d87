// Error codes and the error log.
#include "run/errors.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "run/engine.h"
#include "platform/paths.h"

namespace tsqz {
namespace {

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

void AppendErrorLog(const Engine& engine, std::string_view name, int32_t code) {
    const std::string path = WorkFolderForWriting(engine) + std::string(kErrorLogName);
    std::string entry;
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
        if (fd < 0) return;
        entry = kErrorLogHeading;
    } else {
        entry = kErrorLogSeparator;
    }
    std::string_view shown = name.size() > 60 ? platform::FileNamePart(name) : name;
    entry += "Error processing ";
    entry += shown;
    entry += ":\r\n";
    if (const ErrorText* text = FindErrorText(code)) {
        entry += text->first;
        entry += "\r\n";
        entry += text->second;
        entry += "\r\n";
    } else {
        entry += "(error " + std::to_string(code) + ")\r\n\r\n";
    }
    WriteAll(fd, entry);
    ::close(fd);
}

void LogError(const Engine& engine, std::string_view name) {
    if (engine.report.enabled) AppendErrorLog(engine, name, engine.error_code);
}

void CountError(Engine& engine, int32_t code) {
    if (OutcomeOf(code).counted) ++engine.error_count;
}

void LogRunError(const Engine& engine, std::string_view name, int32_t code) {
    const LogRule rule = OutcomeOf(code).logged;
    if (rule == LogRule::kAlways || (rule == LogRule::kWhenReporting && engine.report.enabled)) {
        AppendErrorLog(engine, name, ReturnedCode(code));
    }
}

int32_t EndRun(Engine& engine, std::string_view name, int32_t code, bool already_counted) {
    engine.error_code = ReturnedCode(code);
    if (!already_counted) CountError(engine, code);
    LogRunError(engine, name, code);
    return engine.error_code;
}

}  // namespace tsqz
