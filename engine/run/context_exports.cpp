// The re-entrant C interface (tagsqueeze_context.h): the same bodies as the classic exports,
// each on the Engine of the context it is given.
#include <new>
#include <string>

#include "include/tagsqueeze_context.h"
#include "run/calls.h"
#include "run/context.h"
#include "run/options.h"
#include "run/persist.h"
#include "run/report.h"
#include "run/stats.h"

namespace {

// A work folder as the engine uses it: empty, or ending in "/".
std::string FolderText(const char* folder) {
    std::string text = tsqz::TextOrEmpty(folder);
    if (!text.empty() && text.back() != '/') text += '/';
    return text;
}

}  // namespace

extern "C" TsqzContext* TsqzContextCreate(const char* work_folder) {
    TsqzContext* context = new (std::nothrow) TsqzContext;
    if (context) {
        context->engine.work_folder = FolderText(work_folder);
        context->engine.hold_file_entries = true;
    }
    return context;
}

extern "C" void TsqzContextDestroy(TsqzContext* context) {
    if (context != TsqzDefaultContext()) delete context;
}

extern "C" TsqzContext* TsqzDefaultContext(void) {
    static TsqzContext context;
    return &context;
}

extern "C" void TsqzContextCopySettings(TsqzContext* to, const TsqzContext* from) {
    if (!to || !from || to == from) return;
    to->engine.options = from->engine.options;
    to->engine.mode = from->engine.mode;
    to->engine.report = from->engine.report;
    to->engine.hooks = from->engine.hooks;
    to->engine.web_keep_comments = from->engine.web_keep_comments;
}

extern "C" void TsqzContextAddWebKeptComment(TsqzContext* context, const char* pattern) {
    if (!context) return;
    if (!pattern || !*pattern) context->engine.web_keep_comments.clear();
    else context->engine.web_keep_comments.emplace_back(pattern);
}

extern "C" unsigned char TsqzContextSetOption(TsqzContext* context, const char* name,
                                              int32_t value) {
    const tsqz::OptionInfo* row = name ? tsqz::FindOption(name) : nullptr;
    return context && row && tsqz::StoreOptionValue(context->engine.options, *row, value) ? 1 : 0;
}

extern "C" unsigned char TsqzContextGetOption(const TsqzContext* context, const char* name,
                                              int32_t* value) {
    const tsqz::OptionInfo* row = name ? tsqz::FindOption(name) : nullptr;
    if (!context || !row) return 0;
    if (value) *value = tsqz::OptionValue(context->engine.options, *row);
    return 1;
}

extern "C" unsigned char TsqzContextReadOptions(TsqzContext* context, const char* source,
                                                int32_t* status) {
    int32_t local = 0;
    if (!context) return 0;
    return tsqz::ReadOptions(context->engine, tsqz::TextOrEmpty(source), status ? *status : local);
}

extern "C" void TsqzContextSetBatchMode(TsqzContext* context, unsigned char batch_mode) {
    if (context) context->engine.mode.batch = batch_mode;
}

extern "C" void TsqzContextSetReport(TsqzContext* context, const char* report_name,
                                     unsigned char append, unsigned char detailed,
                                     unsigned char file_statistics) {
    if (context) tsqz::SetReport(context->engine, report_name, append, detailed, file_statistics);
}

extern "C" int32_t TsqzContextCompressFile(TsqzContext* context, const char* source,
                                           const char* output) {
    if (!context) return TSQZ_ERR_FILE_NOT_FOUND;
    return tsqz::CompressFile(context->engine, source, source, output);
}

extern "C" int32_t TsqzContextCompressBuffer(TsqzContext* context, const char* name, char* text,
                                             int32_t capacity) {
    if (!context) return TSQZ_ERR_BUFFER_TOO_SMALL;
    return tsqz::CompressBuffer(context->engine, name, text, capacity);
}

extern "C" void TsqzContextLastError(const TsqzContext* context, int32_t* error_code,
                                     int32_t* error_count) {
    if (error_code) *error_code = context ? context->engine.error_code : 0;
    if (error_count) *error_count = context ? context->engine.error_count : 0;
}

extern "C" void TsqzContextResetStatistics(TsqzContext* context, unsigned char scope) {
    if (!context) return;
    if (scope) {
        tsqz::ResetFileStatistics(context->engine);
    } else {
        tsqz::ResetJobStatistics(context->engine);
    }
}

extern "C" int32_t TsqzContextBaseStats(const TsqzContext* context, unsigned char scope,
                                        unsigned char percent) {
    return context ? tsqz::BaseStats(context->engine, scope != 0, percent != 0) : 0;
}

extern "C" const char* TsqzContextSavings(TsqzContext* context, unsigned char index,
                                          unsigned char scope, unsigned char percent) {
    return context ? tsqz::SavingsText(context->engine, index, scope != 0, percent != 0) : "0";
}

extern "C" int32_t TsqzContextWriteReport(TsqzContext* context, unsigned char kind) {
    return context ? tsqz::WriteReport(context->engine, kind) : TSQZ_ERR_REPORT_CREATE;
}

extern "C" int32_t TsqzContextMergeJob(TsqzContext* into, TsqzContext* from) {
    if (!into || !from || into == from) return 0;
    return tsqz::MergeJob(into->engine, from->engine);
}
