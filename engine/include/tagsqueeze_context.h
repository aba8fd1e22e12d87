/* Tagsqueeze: the re-entrant interface, beside the classic one in tagsqueeze.h.
 *
 * A TsqzContext holds everything the classic functions keep for the whole process: an option
 * block, the run mode, the last error and the error count, the statistics, the report
 * settings and the host hooks. Contexts are independent of each other, so several threads may
 * compress at the same time, each with its own context. One context must not be used by two
 * threads at once.
 *
 * The classic functions work on one default context (TsqzDefaultContext). Treat it as one
 * more context: while classic functions may run on one thread, no other thread may use it.
 *
 * Each context has a work folder for its error log and its report work files. Contexts that
 * write reports or error logs side by side need folders of their own. A created context (not
 * the default one) holds its per-file report entries in memory until its job report is
 * written or its job merged. TsqzContextMergeJob brings one context's job into another's, for
 * example each worker's, document by document in their order, into the default context
 * before WriteCompressionReport: the report is then the one a single context would write.
 */
#ifndef TAGSQUEEZE_CONTEXT_H
#define TAGSQUEEZE_CONTEXT_H

#include "tagsqueeze.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TsqzContext TsqzContext;

/* A new context: options as InitCompressionParams leaves them, single-document mode, reports
 * off, statistics zero, no hooks. work_folder (copied) holds the context's error log and
 * report work files; NULL or "" means the program directory, as for the default context.
 * NULL when no memory is left. */
TSQZ_API TsqzContext* TsqzContextCreate(const char* work_folder);

/* Frees a context. NULL and the default context are ignored. */
TSQZ_API void TsqzContextDestroy(TsqzContext* context);

/* The context the classic functions of tagsqueeze.h use. It lives as long as the library. */
TSQZ_API TsqzContext* TsqzDefaultContext(void);

/* Copies the option block, the run mode, the report settings and the host hooks of from into
 * to (not the work folder, statistics or errors), so a worker compresses as the other does. */
TSQZ_API void TsqzContextCopySettings(TsqzContext* to, const TsqzContext* from);
/* TsqzAddWebKeptComment for one context; TsqzContextCopySettings copies the patterns. */
TSQZ_API void TsqzContextAddWebKeptComment(TsqzContext* context, const char* pattern);

/* Sets one option by its settings-file name (letter case ignored) to a value in its range, as
 * TsqzSetOption does for the default context; 1 when stored, 0 otherwise. */
TSQZ_API unsigned char TsqzContextSetOption(TsqzContext* context, const char* name,
                                            int32_t value);

/* The value of an option by name into *value; 1 when the name is known, else 0. */
TSQZ_API unsigned char TsqzContextGetOption(const TsqzContext* context, const char* name,
                                            int32_t* value);

/* Reads the option block from an INI file or key store, as ReadCompressionParams does. */
TSQZ_API unsigned char TsqzContextReadOptions(TsqzContext* context, const char* source,
                                              int32_t* status);

/* Batch mode on (nonzero) or off, as the batch_mode of SetCompressionMode. */
TSQZ_API void TsqzContextSetBatchMode(TsqzContext* context, unsigned char batch_mode);

/* Report settings, as SetReportParameters. */
TSQZ_API void TsqzContextSetReport(TsqzContext* context, const char* report_name,
                                   unsigned char append, unsigned char detailed,
                                   unsigned char file_statistics);

/* Compresses the document file source into the file output, as CompressHTMLFile(source,
 * source, output) does: 0, or a TSQZ_ERR_ code. */
TSQZ_API int32_t TsqzContextCompressFile(TsqzContext* context, const char* source,
                                         const char* output);

/* Compresses the NUL-terminated document in text, which has room for capacity bytes, in
 * place, as CompressHTMLBufferEx does: 0, or a TSQZ_ERR_ code (TSQZ_ERR_BUFFER_TOO_SMALL
 * leaves text unchanged). */
TSQZ_API int32_t TsqzContextCompressBuffer(TsqzContext* context, const char* name, char* text,
                                           int32_t capacity);

/* The last error code and the error count, as GetOptErrors. */
TSQZ_API void TsqzContextLastError(const TsqzContext* context, int32_t* error_code,
                                   int32_t* error_count);

/* Statistics, as ResetCompressionStatistics, CompressionBaseStats and CompressionSavings. The
 * text CompressionSavings hands out belongs to the context until its next call. */
TSQZ_API void TsqzContextResetStatistics(TsqzContext* context, unsigned char scope);
TSQZ_API int32_t TsqzContextBaseStats(const TsqzContext* context, unsigned char scope,
                                      unsigned char percent);
TSQZ_API const char* TsqzContextSavings(TsqzContext* context, unsigned char index,
                                        unsigned char scope, unsigned char percent);

/* Writes a report of the context, as WriteCompressionReport. */
TSQZ_API int32_t TsqzContextWriteReport(TsqzContext* context, unsigned char kind);

/* Adds the job of from to the job of into, as if into had compressed from's documents after
 * its own: the job figures, the error count, the per-file report entries and the error log
 * entries. from's job is then empty (its job statistics reset, its work files gone). 0, or
 * TSQZ_ERR_REPORT_FILESTATS when a work file cannot be carried over (nothing is lost: from
 * keeps what could not be moved). The two contexts may not be the same. */
TSQZ_API int32_t TsqzContextMergeJob(TsqzContext* into, TsqzContext* from);

#ifdef __cplusplus
}
#endif

#endif /* TAGSQUEEZE_CONTEXT_H */
