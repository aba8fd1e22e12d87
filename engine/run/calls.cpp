// The bodies of the compression and report-setting exports, on any engine.
#include "run/calls.h"

#include <cstring>
#include <string>

#include "include/tagsqueeze.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "run/errors.h"
#include "run/pipeline.h"
#include "run/report.h"

namespace tsqz {
namespace {

// The buffer exports' common run; returns the code and leaves the result in outcome.
int32_t RunBuffer(Engine& e, const char* name, std::string_view text, RunOutcome& outcome) {
    PumpMessages(e);
    const std::string name_text = TextOrEmpty(name);
    return RunPipeline(e, text, name_text, name_text, outcome);
}

void FinishCall(Engine& e) {
    ++e.stats.files_processed;
    PumpMessages(e);
}

}  // namespace

std::string TextOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

int32_t CompressFile(Engine& e, const char* source, const char* reference, const char* output) {
    const std::string source_text = TextOrEmpty(source);
    const std::string reference_path = TextOrEmpty(reference);
    e.document_name = reference_path;
    if (!e.mode.batch) e.error_count = 0;
    int32_t result = TSQZ_STATUS_NO_REFERENCE;
    if (reference_path.size() > platform::kMaxPath) {
        result = EndRun(e, reference_path, TSQZ_ERR_PATH_TOO_LONG);
    } else if (platform::FileExists(reference_path)) {
        RunOutcome outcome;
        result = RunPipeline(e, source_text, reference_path, TextOrEmpty(output), outcome);
        if (e.mode.batch && e.report.enabled) {
            if (result == 0) {
                AddFileReportEntry(e);
            } else {
                AppendErrorLog(e, source_text, result);
            }
        }
    }
    FinishCall(e);
    e.document_name = source_text;
    return result;
}

int32_t CompressBufferUnbounded(Engine& e, const char* name, char** text) {
    const char* input = (text && *text) ? *text : "";
    RunOutcome outcome;
    int32_t code = RunBuffer(e, name, input, outcome);
    if (outcome.buffer_mode && outcome.completed && text && *text) {
        std::memcpy(*text, outcome.document.data(), outcome.document.size());
        (*text)[outcome.document.size()] = '\0';
    }
    FinishCall(e);
    return code;
}

int32_t CompressBuffer(Engine& e, const char* name, char* text, int32_t capacity) {
    if (!text || capacity <= 0) {
        FinishCall(e);
        return e.error_code = TSQZ_ERR_BUFFER_TOO_SMALL;
    }
    const size_t length = strnlen(text, static_cast<size_t>(capacity));
    RunOutcome outcome;
    int32_t code = RunBuffer(e, name, std::string_view(text, length), outcome);
    if (outcome.buffer_mode && outcome.completed) {
        if (outcome.document.size() + 1 > static_cast<size_t>(capacity)) {
            code = e.error_code = TSQZ_ERR_BUFFER_TOO_SMALL;
        } else {
            std::memcpy(text, outcome.document.data(), outcome.document.size());
            text[outcome.document.size()] = '\0';
        }
    }
    FinishCall(e);
    return code;
}

void SetReport(Engine& e, const char* report_name, uint8_t append, uint8_t detailed,
               uint8_t file_statistics) {
    ReportSettings& r = e.report;
    r.enabled = report_name != nullptr;
    r.append = append != 0;
    r.detailed = detailed != 0;
    r.file_statistics = file_statistics != 0;
    r.name = TextOrEmpty(report_name);
}

}  // namespace tsqz
