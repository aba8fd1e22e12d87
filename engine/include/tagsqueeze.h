/* Tagsqueeze: the HTML compression engine's public interface.
 *
 * Every entry point is a plain C function with 8-bit values, 32-bit integers and pointers to
 * NUL-terminated 8-bit text owned by the caller. The engine holds one option block, one run
 * mode, one error state and one statistics block for the whole process (the default context
 * of tagsqueeze_context.h); these functions are not re-entrant and must be called from one
 * thread at a time. tagsqueeze_context.h declares the re-entrant interface.
 *
 * Linux additions beside the original surface:
 *   SetMessagePump        the host's "process pending window events" hook;
 *   SetMessageBoxHandler  the host's hook for the engine's two report message boxes;
 *   CompressHTMLBufferEx  the bounded form of CompressHTMLBuffer.
 *
 * The program directory (error log, report work files) is the running executable's directory,
 * or $XDG_CONFIG_HOME/tagsqueeze when that is not writable; the environment variable
 * TAGSQUEEZE_PROGRAM_DIR overrides both.
 *
 * Option sources and targets that contain "HKEY_" name keys of a per-user key store kept in
 * $XDG_CONFIG_HOME/tagsqueeze/registry; the environment variable TAGSQUEEZE_REGISTRY_DIR
 * overrides that folder.
 */
#ifndef TAGSQUEEZE_H
#define TAGSQUEEZE_H

#include <stdint.h>

#if defined(TSQZ_BUILDING_ENGINE)
#define TSQZ_API __attribute__((visibility("default")))
#else
#define TSQZ_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. 0 is success; 1 and 2 are status results; the rest are failures. */
enum {
    TSQZ_OK = 0,
    TSQZ_STATUS_NO_INI = 1,          /* ReadCompressionParams: the INI file does not exist */
    TSQZ_STATUS_NO_REFERENCE = 2,    /* CompressHTMLFile: the reference file does not exist */
    TSQZ_ERR_NOT_HTML = -1,          /* no "html>" in the document */
    TSQZ_ERR_UNCLOSED_BLOCK = -2,    /* PLAINTEXT/LISTING/XMP/PRE without its end tag */
    TSQZ_ERR_STYLE_RESTORE = -3,     /* the style block could not be put back */
    TSQZ_ERR_TOO_MANY_SCRIPTS = -5,  /* more than 255 script blocks */
    TSQZ_ERR_TOO_MANY_BLOCKS = -6,   /* more than 255 literal blocks */
    TSQZ_ERR_XMP_AND_PRE = -7,       /* never raised */
    TSQZ_ERR_FILE_NOT_FOUND = -8,    /* the document file does not exist */
    TSQZ_ERR_WRITE = -9,             /* the output could not be written in full */
    TSQZ_ERR_BAD_STYLE = -10,        /* "<style" without "</style" */
    TSQZ_ERR_TAGSETS = -11,          /* never raised */
    TSQZ_ERR_SCRIPT_UNCLOSED = -12,  /* script without "/script>", or ASP code without "%>" */
    TSQZ_ERR_SCRIPT_CORRUPT = -13,   /* never raised */
    TSQZ_ERR_REPORT_CREATE = -14,    /* the job report could not be created */
    TSQZ_ERR_REPORT_APPEND = -15,    /* the job summary could not be read into the report */
    TSQZ_ERR_REPORT_FILESTATS = -16, /* the per-file statistics could not be read */
    TSQZ_ERR_NO_CUT_POINT = -17,     /* 64 KB without a "<P>", "<P " or "<DIV" */
    TSQZ_ERR_WORDWRAP = -18,         /* never raised */
    TSQZ_ERR_REGISTRY = -19,         /* the option key store could not be opened or created */
    TSQZ_ERR_TOO_MANY_CHUNKS = -20,  /* the document would need more than 256 chunks */
    TSQZ_ERR_UNREADABLE = -21,       /* the document exists but cannot be read (or is a folder) */
    TSQZ_ERR_PATH_TOO_LONG = -22,    /* a path longer than the system's path limit */
    TSQZ_ERR_BUFFER_TOO_SMALL = -23, /* CompressHTMLBufferEx: result and NUL do not fit */
    TSQZ_ERR_TOKEN_IN_INPUT = -24    /* the document already holds a placeholder or marker */
};

/* The option block's settings-file sections (INI section names), in their stored order. */
#define TSQZ_SECTION_TAG_OPTIONS "Tag Options"
#define TSQZ_SECTION_FINE_TUNING "Fine Tuning"
#define TSQZ_SECTION_SCRIPT_OPTIONS "Script block options"
#define TSQZ_SECTION_WEB_TEMPLATE "Web Template" /* beyond the original: the web template */

/* The option table: every member of the option block, numbered 0..TsqzOptionCount()-1 in the
 * stored order of the sections. Names are the settings-file value names; the functions that
 * take a name ignore ASCII case. */
enum {
    TSQZ_OPTION_SWITCH = 0, /* 0 off, 1 on */
    TSQZ_OPTION_LEVEL = 1,  /* the entity level StandardizeChars, 0..5 */
    TSQZ_OPTION_WIDTH = 2   /* the line width WordWrap: 0 means 254, 1..29 mean 30 */
};
typedef struct TsqzOptionInfo {
    const char* name;      /* value name, e.g. "STRONGtoB" */
    const char* section;   /* settings-file section, e.g. TSQZ_SECTION_TAG_OPTIONS */
    int32_t kind;          /* TSQZ_OPTION_SWITCH, _LEVEL or _WIDTH */
    int32_t lowest;        /* TsqzSetOption takes lowest..highest */
    int32_t highest;
    int32_t default_value; /* the value in a freshly loaded engine */
} TsqzOptionInfo;
TSQZ_API int32_t TsqzOptionCount(void);
/* Fills *info for an option number; 1 when the number names an option, else 0 (and *info is
 * left alone). The texts are the engine's and stay valid while it is loaded. */
TSQZ_API unsigned char TsqzDescribeOption(int32_t index, TsqzOptionInfo* info);
/* Sets one option by name to a value in its range; 1 when stored, 0 for an unknown name or a
 * value outside the range (nothing changes). Each member is set alone: WordWrap keeps
 * OptimizeLines as it is, unlike RewrapLines. */
TSQZ_API unsigned char TsqzSetOption(const char* name, int32_t value);
/* The current value of an option by name into *value (the width as stored); 1 when the name
 * is known, else 0. */
TSQZ_API unsigned char TsqzGetOption(const char* name, int32_t* value);
/* The web template (option Web in section TSQZ_SECTION_WEB_TEMPLATE) keeps comments that
 * contain `pattern`; each call adds one, NULL or "" forgets them all. */
TSQZ_API void TsqzAddWebKeptComment(const char* pattern);

/* The error-log text of a result code, as two lines: line 0 and line 1 (which is "" when the
 * text has one line). NULL for a code without a text or another line number. */
TSQZ_API const char* TsqzErrorText(int32_t code, int32_t line);

/* Option switches: each stores its byte in the option block and returns it. */
TSQZ_API unsigned char CompressSTRONG2B(unsigned char on);
TSQZ_API unsigned char CompressEM2I(unsigned char on);
TSQZ_API unsigned char CompressCITE2I(unsigned char on);
TSQZ_API unsigned char CompressADDRESS2I(unsigned char on);
TSQZ_API unsigned char CompressDFN2I(unsigned char on);
TSQZ_API unsigned char CompressCODE2TT(unsigned char on);
TSQZ_API unsigned char CompressSAMP2TT(unsigned char on);
TSQZ_API unsigned char CompressKBD2TT(unsigned char on);
TSQZ_API unsigned char CompressEndP(unsigned char on);
TSQZ_API unsigned char CompressEmpties(unsigned char on);
TSQZ_API unsigned char CompressHTMLComments(unsigned char on);
TSQZ_API unsigned char CompressMetaTags(unsigned char on);
TSQZ_API unsigned char InsertISOTag(unsigned char on);
TSQZ_API unsigned char CompressDTD(unsigned char on);
TSQZ_API unsigned char CompressListItems(unsigned char on);
TSQZ_API unsigned char CompressColors(unsigned char on);
TSQZ_API unsigned char CompressFontTags(unsigned char on);
TSQZ_API unsigned char RemoveNonHTML(unsigned char on);
TSQZ_API unsigned char RemoveBlankLines(unsigned char on);
TSQZ_API unsigned char RemoveExcessSpaces(unsigned char on);
TSQZ_API unsigned char RemoveExcessQuotes(unsigned char on);
TSQZ_API unsigned char CompressEOLs(unsigned char on);
TSQZ_API unsigned char CompressScriptBlocks(unsigned char on);
TSQZ_API unsigned char CompressStyleSheets(unsigned char on);
TSQZ_API unsigned char CompressScriptSpaces(unsigned char on);
TSQZ_API unsigned char CompressScriptLines(unsigned char on);
TSQZ_API unsigned char CompressScriptComments(unsigned char on);
TSQZ_API unsigned char CompressScriptEOLs(unsigned char on);
TSQZ_API unsigned char CompressASP(unsigned char on);

/* Entity level 0..5; a level above 5 is written back to *level as 0 first. */
TSQZ_API unsigned char CompressCharEntities(unsigned char* level);
/* Width >= 0 turns line optimisation on (0 means 254, 1..29 mean 30); negative turns it off. */
TSQZ_API int32_t RewrapLines(int32_t width);

/* Option block and run mode. */
TSQZ_API void InitCompressionParams(void);
/* Status 0 and result 1 when read; status 1 for an INI file that is missing or unreadable;
 * status -19 (also the error code) for a key that cannot be opened. */
TSQZ_API unsigned char ReadCompressionParams(const char* source, int32_t* status);
TSQZ_API void SetCompressionMode(unsigned char reserved, unsigned char batch_mode,
                                 unsigned char yield);
/* 0 deletes the stored options, 1..3 write a template, 17..19 its tag options only (INI).
 * 1 when done; 0 otherwise, also when an INI file cannot be written. */
TSQZ_API unsigned char WriteSwitchTemplate(const char* target, unsigned char template_number);
TSQZ_API int32_t DebugCompressionParams(int32_t ignored);
TSQZ_API void GetOptErrors(int32_t* error_code, int32_t* error_count);

/* Compression. */
TSQZ_API int32_t CompressHTMLFile(const char* source, const char* reference, const char* output);
/* Writes a result of unknown length over *text; prefer CompressHTMLBufferEx. */
TSQZ_API int32_t CompressHTMLBuffer(const char* name, char** text);
/* Like CompressHTMLBuffer, but text has room for capacity bytes: when the result and its NUL
 * do not fit, returns TSQZ_ERR_BUFFER_TOO_SMALL and leaves text unchanged. */
TSQZ_API int32_t CompressHTMLBufferEx(const char* name, char* text, int32_t capacity);

/* Statistics and reports. */
TSQZ_API void ResetCompressionStatistics(unsigned char scope);
TSQZ_API int32_t CompressionBaseStats(unsigned char scope, unsigned char percent);
TSQZ_API const char* CompressionSavings(unsigned char index, unsigned char scope,
                                        unsigned char percent);
TSQZ_API void SetReportParameters(const char* report_name, unsigned char append,
                                  unsigned char detailed, unsigned char file_statistics);
TSQZ_API int32_t WriteCompressionReport(unsigned char kind);

/* Host hooks. A null pointer removes the hook. */
typedef void (*TsqzMessagePump)(void);
typedef void (*TsqzMessageBox)(const char* caption, const char* text);
TSQZ_API void SetMessagePump(TsqzMessagePump pump);
TSQZ_API void SetMessageBoxHandler(TsqzMessageBox handler);

#ifdef __cplusplus
}
#endif

#endif /* TAGSQUEEZE_H */
