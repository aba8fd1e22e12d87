// Compression reports.
#include "report.h"

#include <string>

namespace tsqz {

void AddFileReportEntry(Engine& engine) { (void)engine; }

int32_t WriteReport(Engine& engine, uint8_t kind) {
    (void)engine;
    (void)kind;
    return 0;
}

int32_t BaseStats(const Engine& engine, bool last_document, bool percent) {
    (void)engine;
    (void)last_document;
    (void)percent;
    return 0;
}

const char* SavingsText(Engine& engine, uint8_t index, bool job, bool percent) {
    (void)index;
    (void)job;
    (void)percent;
    engine.savings_text = std::to_string(0);
    return engine.savings_text.c_str();
}

}  // namespace tsqz
