// Fuzz target of the web template: every output must parse to the same tree as its input
// (gumbo's HTML5 parser as the oracle) and must not be longer; rules switched off must do
// nothing.
//
// Byte 0: bit 0 chooses a raw document (0) or one put together from fragments (1); bits 1-7
// and byte 1 switch rules off (one bit per rule). The rest is the document, or one fragment
// per byte.
#include "web_checks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const tsqz::web::WebOptions options = tsqz::fuzz::WebOptionsFromBytes(data[0], data[1]);
    const std::string doc = tsqz::fuzz::WebFuzzDocument(data, size);
    std::string out;
    const std::string diff = tsqz::fuzz::CheckWebDocument(doc, options, out);
    if (!diff.empty()) {
        std::fprintf(stderr, "web template changed the document\n--- input:\n%s\n--- output:\n%s\n%s\n",
                     doc.c_str(), out.c_str(), diff.c_str());
        // For sorting findings: report them all instead of stopping at the first.
        if (!std::getenv("WEB_FUZZ_REPORT_ONLY")) std::abort();
    }
    return 0;
}
