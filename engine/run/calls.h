// The bodies of the compression and report-setting exports, on any engine: the classic
// exports run them on the default engine, the context exports on a context's own.
#pragma once

#include <cstdint>
#include <string>

#include "run/engine.h"

namespace tsqz {

// The C interface's "no text" (a null pointer) as empty text.
std::string TextOrEmpty(const char* text);

// CompressHTMLFile: the document file source (the reference must exist) into output.
int32_t CompressFile(Engine& engine, const char* source, const char* reference,
                     const char* output);
// CompressHTMLBuffer: the result written over *text, whatever its length.
int32_t CompressBufferUnbounded(Engine& engine, const char* name, char** text);
// CompressHTMLBufferEx: text has room for capacity bytes.
int32_t CompressBuffer(Engine& engine, const char* name, char* text, int32_t capacity);
// SetReportParameters.
void SetReport(Engine& engine, const char* report_name, uint8_t append, uint8_t detailed,
               uint8_t file_statistics);

}  // namespace tsqz
