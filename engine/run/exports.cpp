// The exported C interface: thin bodies over the one process-wide Engine.
#include <algorithm>
#include <cstring>
#include <string>

#include "run/engine.h"
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

#define TSQZ_SWITCH_SETTER(Export, Member)              \
    extern "C" unsigned char Export(unsigned char on) { \
        TheEngine().options.Member = on;                \
        return on;                                      \
    }

TSQZ_SWITCH_SETTER(CompressSTRONG2B, STRONGtoB)
TSQZ_SWITCH_SETTER(CompressEM2I, EMToI)
TSQZ_SWITCH_SETTER(CompressCITE2I, CITEToI)
TSQZ_SWITCH_SETTER(CompressADDRESS2I, ADDRESSToI)
TSQZ_SWITCH_SETTER(CompressDFN2I, DFNToI)
TSQZ_SWITCH_SETTER(CompressCODE2TT, CODEToTT)
TSQZ_SWITCH_SETTER(CompressSAMP2TT, SAMPToTT)
TSQZ_SWITCH_SETTER(CompressKBD2TT, KBDToTT)
TSQZ_SWITCH_SETTER(CompressEndP, StripClosingP)
TSQZ_SWITCH_SETTER(CompressEmpties, StripEmpties)
TSQZ_SWITCH_SETTER(CompressHTMLComments, StripComments)
TSQZ_SWITCH_SETTER(CompressMetaTags, StripAllMeta)
TSQZ_SWITCH_SETTER(InsertISOTag, UseISOTag)
TSQZ_SWITCH_SETTER(CompressDTD, NoDTD)
TSQZ_SWITCH_SETTER(CompressListItems, StripClosingLI)
TSQZ_SWITCH_SETTER(CompressColors, StandardColors)
TSQZ_SWITCH_SETTER(CompressFontTags, ShrinkFontTags)
TSQZ_SWITCH_SETTER(RemoveNonHTML, StripNonHTML)
TSQZ_SWITCH_SETTER(RemoveBlankLines, StripBlankLines)
TSQZ_SWITCH_SETTER(RemoveExcessSpaces, StripSpaces)
TSQZ_SWITCH_SETTER(RemoveExcessQuotes, StripQuotes)
TSQZ_SWITCH_SETTER(CompressEOLs, CRLFToLF)
TSQZ_SWITCH_SETTER(CompressScriptBlocks, CompressScripts)
TSQZ_SWITCH_SETTER(CompressStyleSheets, CompressStyleSheets)
TSQZ_SWITCH_SETTER(CompressScriptSpaces, ScriptSpaces)
TSQZ_SWITCH_SETTER(CompressScriptLines, ScriptLines)
TSQZ_SWITCH_SETTER(CompressScriptComments, ScriptComments)
TSQZ_SWITCH_SETTER(CompressScriptEOLs, ScriptEOLs)
TSQZ_SWITCH_SETTER(CompressASP, ASPBlocks)

#undef TSQZ_SWITCH_SETTER

extern "C" unsigned char CompressCharEntities(unsigned char* level) {
    return tsqz::SetEntityLevel(TheEngine().options, level);
}

extern "C" int32_t RewrapLines(int32_t width) {
    return tsqz::SetRewrapWidth(TheEngine().options, width);
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
        result = e.error_code = TSQZ_ERR_PATH_TOO_LONG;
        ++e.error_count;
        tsqz::AppendErrorLog(reference_path, result);
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
