// The exported C interface: thin bodies over the default context's Engine.
#include <algorithm>
#include <cstring>
#include <string>

#include "run/calls.h"
#include "run/context.h"
#include "run/engine.h"
#include "run/options.h"
#include "run/errors.h"
#include "include/tagsqueeze.h"
#include "include/tagsqueeze_context.h"
#include "run/persist.h"
#include "run/pipeline.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "run/report.h"
#include "run/stats.h"

namespace {

using tsqz::Engine;

// The default context's engine: options as InitCompressionParams leaves them, reports off,
// run mode off.
Engine& TheEngine() { return TsqzDefaultContext()->engine; }

using tsqz::TextOrEmpty;

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
    return TsqzContextSetOption(TsqzDefaultContext(), name, value);
}

extern "C" void TsqzAddWebKeptComment(const char* pattern) {
    TsqzContextAddWebKeptComment(TsqzDefaultContext(), pattern);
}

extern "C" unsigned char TsqzGetOption(const char* name, int32_t* value) {
    return TsqzContextGetOption(TsqzDefaultContext(), name, value);
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
    return TsqzContextReadOptions(TsqzDefaultContext(), source, status);
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
    TsqzContextLastError(TsqzDefaultContext(), error_code, error_count);
}

extern "C" int32_t CompressHTMLFile(const char* source, const char* reference, const char* output) {
    return tsqz::CompressFile(TheEngine(), source, reference, output);
}

extern "C" int32_t CompressHTMLBuffer(const char* name, char** text) {
    return tsqz::CompressBufferUnbounded(TheEngine(), name, text);
}

extern "C" int32_t CompressHTMLBufferEx(const char* name, char* text, int32_t capacity) {
    return TsqzContextCompressBuffer(TsqzDefaultContext(), name, text, capacity);
}

extern "C" void ResetCompressionStatistics(unsigned char scope) {
    TsqzContextResetStatistics(TsqzDefaultContext(), scope);
}

extern "C" int32_t CompressionBaseStats(unsigned char scope, unsigned char percent) {
    return TsqzContextBaseStats(TsqzDefaultContext(), scope, percent);
}

extern "C" const char* CompressionSavings(unsigned char index, unsigned char scope,
                                          unsigned char percent) {
    return TsqzContextSavings(TsqzDefaultContext(), index, scope, percent);
}

extern "C" void SetReportParameters(const char* report_name, unsigned char append,
                                    unsigned char detailed, unsigned char file_statistics) {
    TsqzContextSetReport(TsqzDefaultContext(), report_name, append, detailed, file_statistics);
}

extern "C" int32_t WriteCompressionReport(unsigned char kind) {
    return TsqzContextWriteReport(TsqzDefaultContext(), kind);
}

extern "C" void SetMessagePump(TsqzMessagePump pump) { TheEngine().hooks.pump = pump; }

extern "C" void SetMessageBoxHandler(TsqzMessageBox handler) {
    TheEngine().hooks.message_box = handler;
}
