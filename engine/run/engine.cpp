// Host hooks: event pumping, message boxes and the clock; the work folder.
#include "run/engine.h"

#include <cstdio>

#include "platform/paths.h"

namespace tsqz {

std::string WorkFolder(const Engine& engine) {
    return engine.work_folder.empty() ? platform::ProgramDirectory() : engine.work_folder;
}

std::string WorkFolderForWriting(const Engine& engine) {
    return engine.work_folder.empty() ? platform::ProgramDirectoryForWriting()
                                      : engine.work_folder;
}

void PumpMessages(const Engine& engine) {
    if (engine.hooks.pump) engine.hooks.pump();
}

void Yield(const Engine& engine) {
    if (engine.mode.yield) PumpMessages(engine);
}

void ShowMessageBox(const Engine& engine, const char* caption, const std::string& text) {
    if (engine.hooks.message_box) {
        engine.hooks.message_box(caption, text.c_str());
    } else {
        std::fprintf(stderr, "%s: %s\n", caption, text.c_str());
    }
}

std::tm LocalNow(const Engine& engine) {
    std::time_t now = engine.hooks.clock ? engine.hooks.clock() : std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace tsqz
