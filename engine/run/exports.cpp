// The exported C interface: thin bodies over the one process-wide Engine.
#include <algorithm>
#include <cstring>
#include <string>

#include "run/engine.h"
#include "run/options.h"
#include "run/errors.h"
#include "include/tagsqueeze.h"
#include "run/persist.h"
#include "run/pipeline.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "run/report.h"
#include "run/stats.h"

namespace {

using tsqz::Engine;

// Loaded state: options as InitCompressionParams leaves them, reports off, run mode off.
Engine& TheEngine() {
    static Engine engine;
    return engine;
}

std::string TextOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

// The buffer exports' common run; returns the code and leaves the result in outcome.
int32_t RunBuffer(Engine& e, const char* name, std::string_view text, tsqz::RunOutcome& outcome) {
    tsqz::PumpMessages(e);
    const std::string name_text = TextOrEmpty(name);
    int32_t code = tsqz::RunPipeline(e, text, name_text, name_text, outcome);
    return code;
}

void FinishCall(Engine& e) {
    ++e.stats.files_processed;
    tsqz::PumpMessages(e);
}

}  // namespace

// Each switch export stores its byte in the member the option table gives its name.
#define TSQZ_SWITCH_SETTER(Export)                                                 \
    extern "C" unsigned char Export(unsigned char on) {                          \
        static constexpr auto kMember = tsqz::SwitchMemberOf(#Export);           \
        TheEngine().options.*kMember = on;                                        \
        return on;                                                                \
    }

TSQZ_SWITCH_SETTER(CompressSTRONG2B)
TSQZ_SWITCH_SETTER(CompressEM2I)
TSQZ_SWITCH_SETTER(CompressCITE2I)
TSQZ_SWITCH_SETTER(CompressADDRESS2I)
TSQZ_SWITCH_SETTER(CompressDFN2I)
TSQZ_SWITCH_SETTER(CompressCODE2TT)
TSQZ_SWITCH_SETTER(CompressSAMP2TT)
TSQZ_SWITCH_SETTER(CompressKBD2TT)
TSQZ_SWITCH_SETTER(CompressEndP)
TSQZ_SWITCH_SETTER(CompressEmpties)
TSQZ_SWITCH_SETTER(CompressHTMLComments)
TSQZ_SWITCH_SETTER(CompressMetaTags)
TSQZ_SWITCH_SETTER(InsertISOTag)
TSQZ_SWITCH_SETTER(CompressDTD)
TSQZ_SWITCH_SETTER(CompressListItems)
TSQZ_SWITCH_SETTER(CompressColors)
TSQZ_SWITCH_SETTER(CompressFontTags)
TSQZ_SWITCH_SETTER(RemoveNonHTML)
TSQZ_SWITCH_SETTER(RemoveBlankLines)
TSQZ_SWITCH_SETTER(RemoveExcessSpaces)
TSQZ_SWITCH_SETTER(RemoveExcessQuotes)
TSQZ_SWITCH_SETTER(CompressEOLs)
TSQZ_SWITCH_SETTER(CompressScriptBlocks)
TSQZ_SWITCH_SETTER(CompressStyleSheets)
TSQZ_SWITCH_SETTER(CompressScriptSpaces)
TSQZ_SWITCH_SETTER(CompressScriptLines)
TSQZ_SWITCH_SETTER(CompressScriptComments)
TSQZ_SWITCH_SETTER(CompressScriptEOLs)
TSQZ_SWITCH_SETTER(CompressASP)

#undef TSQZ_SWITCH_SETTER

extern "C" unsigned char CompressCharEntities(unsigned char* level) {
    return tsqz::SetEntityLevel(TheEngine().options, level);
}

extern "C" int32_t RewrapLines(int32_t width) {
    return tsqz::SetRewrapWidth(TheEngine().options, width);
}

extern "C" int32_t TsqzOptionCount(void) {
    return static_cast<int32_t>(tsqz::kOptionTable.size());
}

extern "C" unsigned char TsqzDescribeOption(int32_t index, TsqzOptionInfo* info) {
    if (!info || index < 0 || static_cast<size_t>(index) >= tsqz::kOptionTable.size()) return 0;
    const tsqz::OptionInfo& row = tsqz::kOptionTable[static_cast<size_t>(index)];
    // The table's names and sections are whole string literals, so each view ends in a NUL.
    info->name = row.name.data();
    info->section = row.section.data();
    info->kind = static_cast<int32_t>(row.kind);
    info->lowest = 0;
    info->highest = tsqz::HighestValue(row.kind);
    info->default_value = tsqz::DefaultValue(row.kind);
    return 1;
}

extern "C" unsigned char TsqzSetOption(const char* name, int32_t value) {
    const tsqz::OptionInfo* row = name ? tsqz::FindOption(name) : nullptr;
    return row && tsqz::StoreOptionValue(TheEngine().options, *row, value) ? 1 : 0;
}

extern "C" unsigned char TsqzGetOption(const char* name, int32_t* value) {
    const tsqz::OptionInfo* row = name ? tsqz::FindOption(name) : nullptr;
    if (!row) return 0;
    if (value) *value = tsqz::OptionValue(TheEngine().options, *row);
    return 1;
}

extern "C" const char* TsqzErrorText(int32_t code, int32_t line) {
    const tsqz::ErrorText* text = tsqz::FindErrorText(code);
    if (!text || line < 0 || line > 1) return nullptr;
    // The texts are whole string literals, so each view ends in a NUL.
    return (line == 0 ? text->first : text->second).data();
}

extern "C" void InitCompressionParams(void) {
    Engine& e = TheEngine();
    tsqz::ResetOptions(e.options);
    e.error_code = 0;
    e.error_count = 0;
}

extern "C" unsigned char ReadCompressionParams(const char* source, int32_t* status) {
    int32_t local = 0;
    int32_t& out = status ? *status : local;
    return tsqz::ReadOptions(TheEngine(), TextOrEmpty(source), out);
}

extern "C" void SetCompressionMode(unsigned char, unsigned char batch_mode, unsigned char yield) {
    Engine& e = TheEngine();
    e.mode.batch = batch_mode;
    e.mode.yield = yield;
}

extern "C" unsigned char WriteSwitchTemplate(const char* target, unsigned char template_number) {
    return tsqz::WriteTemplate(TheEngine(), TextOrEmpty(target), template_number);
}

extern "C" int32_t DebugCompressionParams(int32_t) { return 0; }

extern "C" void GetOptErrors(int32_t* error_code, int32_t* error_count) {
    if (error_code) *error_code = TheEngine().error_code;
    if (error_count) *error_count = TheEngine().error_count;
}

extern "C" int32_t CompressHTMLFile(const char* source, const char* reference, const char* output) {
    Engine& e = TheEngine();
    const std::string source_text = TextOrEmpty(source);
    const std::string reference_path = TextOrEmpty(reference);
    e.document_name = reference_path;
    if (!e.mode.batch) e.error_count = 0;
    int32_t result = TSQZ_STATUS_NO_REFERENCE;
    if (reference_path.size() > tsqz::platform::kMaxPath) {
        result = tsqz::EndRun(e, reference_path, TSQZ_ERR_PATH_TOO_LONG);
    } else if (tsqz::platform::FileExists(reference_path)) {
        tsqz::RunOutcome outcome;
        result = tsqz::RunPipeline(e, source_text, reference_path, TextOrEmpty(output), outcome);
        if (e.mode.batch && e.report.enabled) {
            if (result == 0) {
                tsqz::AddFileReportEntry(e);
            } else {
                tsqz::AppendErrorLog(source_text, result);
            }
        }
    }
    FinishCall(e);
    e.document_name = source_text;
    return result;
}

extern "C" int32_t CompressHTMLBuffer(const char* name, char** text) {
    Engine& e = TheEngine();
    const char* input = (text && *text) ? *text : "";
    tsqz::RunOutcome outcome;
    int32_t code = RunBuffer(e, name, input, outcome);
    if (outcome.buffer_mode && outcome.completed && text && *text) {
        std::memcpy(*text, outcome.document.data(), outcome.document.size());
        (*text)[outcome.document.size()] = '\0';
    }
    FinishCall(e);
    return code;
}

extern "C" int32_t CompressHTMLBufferEx(const char* name, char* text, int32_t capacity) {
    Engine& e = TheEngine();
    if (!text || capacity <= 0) {
        FinishCall(e);
        return e.error_code = TSQZ_ERR_BUFFER_TOO_SMALL;
    }
    const size_t length = strnlen(text, static_cast<size_t>(capacity));
    tsqz::RunOutcome outcome;
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

extern "C" void ResetCompressionStatistics(unsigned char scope) {
    if (scope) {
        tsqz::ResetFileStatistics(TheEngine());
    } else {
        tsqz::ResetJobStatistics(TheEngine());
    }
}

extern "C" int32_t CompressionBaseStats(unsigned char scope, unsigned char percent) {
    return tsqz::BaseStats(TheEngine(), scope != 0, percent != 0);
}

extern "C" const char* CompressionSavings(unsigned char index, unsigned char scope,
                                          unsigned char percent) {
    return tsqz::SavingsText(TheEngine(), index, scope != 0, percent != 0);
}

extern "C" void SetReportParameters(const char* report_name, unsigned char append,
                                    unsigned char detailed, unsigned char file_statistics) {
    tsqz::ReportSettings& r = TheEngine().report;
    r.enabled = report_name != nullptr;
    r.append = append != 0;
    r.detailed = detailed != 0;
    r.file_statistics = file_statistics != 0;
    r.name = TextOrEmpty(report_name);
}

extern "C" int32_t WriteCompressionReport(unsigned char kind) {
    return tsqz::WriteReport(TheEngine(), kind);
}

extern "C" void SetMessagePump(TsqzMessagePump pump) { TheEngine().hooks.pump = pump; }

extern "C" void SetMessageBoxHandler(TsqzMessageBox handler) {
    TheEngine().hooks.message_box = handler;
}
