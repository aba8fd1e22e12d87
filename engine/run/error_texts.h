// The error-log texts of the engine's result codes: one table, read by the error log and by
// hosts that name a failure with the engine's own words.
//
// Header-only data, so a host can show these texts without linking the engine's internals.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tsqz {

struct ErrorText {
    int32_t code;
    std::string_view first;   // first log line
    std::string_view second;  // second log line, empty when the code has none
};

// clang-format off
inline constexpr std::array<ErrorText, 23> kErrorTexts = {{
    {-1, "(invalid HTML document...bad syntax or missing <HTML> tag)", ""},
    {-2, "(invalid HTML syntax...one or more tags which requires a",
         "closing tag does not have a corresponding closing tag)"},
    {-3, "(<STYLE> block processing failed...compressed style sheet",
         "could not be reinserted into document. Bad syntax likely.)"},
    {-5, "(file contains too many script blocks; only the first 255",
         " blocks could be processed)"},
    {-6, "(file contains too many uncompressable blocks (<PRE>,<XMP>,",
         " <LISTING>,<PLAINTEXT>). First 256 blocks were processed)"},
    {-7, "(file contains overly complex formatting; unable to ",
         " process documents containing both <XMP> and <PRE> tags)"},
    {-8, "(file not found...unable to process)", ""},
    {-9, "(write error...disk full or unable to overwrite existing", " file)"},
    {-10, "(file contains an invalid <STYLE></STYLE> tag pair...",
          " processing this document is likely to damage it)"},
    {-11, "(file formatting too complex; cannot process documents with",
          " two or more different <LISTING>/<PRE>/<XMP> tagsets)"},
    {-12, "(script block found with mismatched open/close brace pairs;",
          " unable to properly parse the script for processing)"},
    {-13, "(script compression produced corrupt output; likely",
          " due to unknown formatting in non-script doc content)"},
    {-14, "(I/O error on creation of report...report output to disk",
          " failed. Hmm...if true, how could you be reading this!?)"},
    {-15, "(I/O error on addition of report data to the current",
          " report. File may be locked or may have been erased.)"},
    {-16, "(I/O error on addition of individual file stats for this",
          " report. File may be locked or may have been erased.)"},
    {-17, "(block of HTML data >64KB in size was encountered. Document",
          " must use a <P> or <DIV> tag at least once every 64KB.)"},
    {-18, "(wordwrap value of less than 30 characters discovered; wrap",
          " has been reset either to 30 characters or default 254 chars.)"},
    {-19, "(unable to access the specified registry key; read/write of",
          " compression options to registry failed.)"},
    // Codes of this engine beyond the original set.
    {-20, "(document too large...it would need more than 256 blocks of",
          " 64KB; split it into smaller documents)"},
    {-21, "(file cannot be read...no permission, or not a regular file;",
          " unable to process)"},
    {-22, "(path too long...the system cannot handle a path of this",
          " length; unable to process)"},
    {-23, "(compressed document does not fit into the caller's buffer;",
          " nothing was written)"},
    {-24, "(document already contains the compressor's own placeholder",
          " text; processing it could damage it)"},
}};
// clang-format on

// Texts are handed to C callers as pointers: each must be a whole literal.
static_assert([] {
    for (const ErrorText& row : kErrorTexts) {
        if (row.first.data()[row.first.size()] != '\0') return false;
        if (row.second.data()[row.second.size()] != '\0') return false;
    }
    return true;
}());

// The log text of a code, or nullptr for a code without one.
constexpr const ErrorText* FindErrorText(int32_t code) {
    for (const auto& row : kErrorTexts) {
        if (row.code == code) return &row;
    }
    return nullptr;
}

}  // namespace tsqz
