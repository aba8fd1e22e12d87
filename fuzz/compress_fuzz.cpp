// Fuzz target: any bytes, any option block, through the whole compression run.
//
// The first bytes choose the options (every switch, the entity level, the wrap width); the
// rest is the document. Checked: the run ends without a sanitizer report, a second run in the
// same engine gives the same result (no state leaks between documents), PRE, XMP, LISTING
// and PLAINTEXT blocks come out byte for byte when no switch that may touch them is on, and
// with nothing on the whole document comes out as it went in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "run/engine.h"
#include "fuzz_options.h"
#include "run/options.h"
#include "run/pipeline.h"

namespace {

// The literal blocks of a document, found the way the extraction finds them.
std::vector<std::string> LiteralBlocks(std::string_view doc) {
    static constexpr std::string_view kTags[][2] = {{"<plaintext>", "</plaintext>"},
                                                    {"<listing>", "</listing>"},
                                                    {"<xmp>", "</xmp>"},
                                                    {"<pre>", "</pre>"}};
    std::vector<std::string> blocks;
    for (const auto& tag : kTags) {
        for (size_t at = tsqz::FindFrom(doc, tag[0], 0, true); at != tsqz::kNone;) {
            const size_t end = tsqz::FindFrom(doc, tag[1], at, true);
            if (end == tsqz::kNone) break;
            const size_t stop = end + tag[1].size();
            blocks.emplace_back(doc.substr(at, stop - at));
            at = tsqz::FindFrom(doc, tag[0], stop, true);
        }
    }
    return blocks;
}

bool TouchesProtectedText(const tsqz::OptionBlock& o) {
    // Passes that may delete a placeholder (and with it its block) or code that is cut out of
    // a literal block first (ASP and script code is extracted before the literal blocks).
    return o.StripComments || o.StripNonHTML || o.StripAllMeta || o.StripGenerator || o.NoDTD ||
           o.StripEmpties || o.ASPBlocks || o.CompressScripts || o.CompressStyleSheets;
}

// Nothing on and entity level 0: no pass runs, so a finished run must give the document back
// exactly (cutting out and putting back blocks, chunking and joining lose nothing).
bool NothingOn(const tsqz::OptionBlock& o) {
    for (const tsqz::OptionInfo& info : tsqz::OptionTable()) {
        if (info.byte_member && o.*info.byte_member != 0) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using tsqz::fuzz::kOptionBytes;
    if (size < kOptionBytes) return 0;
    static tsqz::Engine engine;  // one engine for every input, as a host has
    const tsqz::OptionBlock options = tsqz::fuzz::ChooseOptions(data);
    std::string document(reinterpret_cast<const char*>(data + kOptionBytes), size - kOptionBytes);
    // Only the document text itself: without "<HTML" the engine would take it as a path.
    if (tsqz::FindFrom(document, "<HTML", 0, true) == tsqz::kNone) document.insert(0, "<HTML>");

    engine.options = options;
    engine.stats.on = tsqz::fuzz::StatisticsChosen(data);
    tsqz::RunOutcome first;
    const int32_t code = tsqz::RunPipeline(engine, document, "fuzz", "", first);
    engine.options = options;
    tsqz::RunOutcome second;
    const int32_t again = tsqz::RunPipeline(engine, document, "fuzz", "", second);
    if (code != again || first.document != second.document) std::abort();

    if (code == 0 && !TouchesProtectedText(options)) {
        for (const std::string& block : LiteralBlocks(document)) {
            if (first.document.find(block) == std::string::npos) std::abort();
        }
    }
    if (code == 0 && NothingOn(options) && first.document != document) std::abort();
    return 0;
}
