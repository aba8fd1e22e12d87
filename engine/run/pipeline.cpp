// The compression run of one document.
#include "run/pipeline.h"

#include "passes/dispatch.h"
#include "passes/display_rules.h"
#include "run/errors.h"
#include "passes/passes.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "run/protect.h"
#include "run/stats.h"
#include "web/web_minify.h"

namespace tsqz {
namespace {

constexpr size_t kChunkWindow = 65534;  // a chunk runs from s to at most s + 65534
constexpr size_t kMaxChunks = 256;

// Tells the profiling observer that a whole-document stage starts or ends.
void Observe(const Engine& engine, ObservedStage stage, bool starting) {
    if (engine.hooks.step_observer) engine.hooks.step_observer(stage, starting);
}

int32_t LoadDocument(std::string_view path, Text& document) {
    if (path.size() > platform::kMaxPath) return TSQZ_ERR_PATH_TOO_LONG;
    switch (platform::ReadWholeFile(std::string(path), document)) {
        case platform::ReadResult::kOk:
            return document.size() > kMaxDocumentSize ? TSQZ_ERR_TOO_MANY_CHUNKS : 0;
        case platform::ReadResult::kMissing:
            return TSQZ_ERR_FILE_NOT_FOUND;
        case platform::ReadResult::kUnreadable:
            return TSQZ_ERR_UNREADABLE;
    }
    return TSQZ_ERR_UNREADABLE;
}

}  // namespace

uint8_t FindBasefontSize(std::string_view document) {
    const size_t at = FindFrom(document, "basefont", 0, true);
    if (at == kNone) return 3;
    const size_t size = FindFrom(document, "size", at, true);
    const size_t close = document.find('>', at);
    if (size == kNone || close == kNone || size > close) return 3;
    size_t p = size + 4;
    if (ByteAtIndex(document, p) == ' ') ++p;
    if (ByteAtIndex(document, p) == '=') ++p;
    if (ByteAtIndex(document, p) == ' ') ++p;
    if (ByteAtIndex(document, p) == '"') ++p;
    const unsigned char digit = ByteAtIndex(document, p);
    return (digit >= '0' && digit <= '9') ? static_cast<uint8_t>(digit - '0') : 3;
}

int32_t CutIntoChunks(std::string_view document, std::vector<std::string_view>& chunks) {
    chunks.clear();
    size_t s = 0;  // where the next chunk starts
    for (;;) {
        if (chunks.size() == kMaxChunks) return TSQZ_ERR_TOO_MANY_CHUNKS;
        if (s + kChunkWindow + 1 >= document.size()) {
            chunks.push_back(document.substr(s));
            return 0;
        }
        // Only a cut point that starts after s counts, so the back searches look at the
        // window of kChunkWindow bytes after s alone instead of the whole text before it.
        const std::string_view window = document.substr(s + 1, kChunkWindow);
        size_t t = kNone;
        for (std::string_view cut : {"<P>", "<P ", "<DIV"}) {
            t = FindBefore(window, cut, window.size(), true);
            if (t != kNone) break;
        }
        if (t == kNone) return TSQZ_ERR_NO_CUT_POINT;
        const size_t cut_at = s + 1 + t;  // back to a document index
        chunks.push_back(document.substr(s, cut_at - s));
        s = cut_at;
    }
}

bool RunOptionPasses(Engine& engine, std::string& document) {
    std::vector<std::string_view> pieces;
    if (CutIntoChunks(document, pieces) != 0) return false;
    DispatchChunks(engine, document, pieces);
    return true;
}

// The end of every run: the compressed document into the caller's buffer, or written to the
// output file.
static int32_t HandOnDocument(Engine& engine, Text& document, std::string_view name,
                              std::string_view output, RunOutcome& outcome) {
    NoteSizeAfter(engine, Len(document));
    Yield(engine);

    if (outcome.buffer_mode) {
        outcome.document.swap(document);
        outcome.completed = true;
        return engine.error_code;
    }
    PumpMessages(engine);
    // An existing output file set to read-only is not overwritten: that is a write error.
    const std::string output_path(output);
    const bool written = !platform::IsReadOnlyFile(output_path) &&
                         platform::WriteFileAtomically(output_path, document);
    PumpMessages(engine);
    // A failed write is -9; otherwise a failure before it (the style restore) stays the result.
    if (!written) EndRun(engine, name, TSQZ_ERR_WRITE);
    outcome.completed = true;
    Yield(engine);
    return engine.error_code;
}

// The web template: one rewrite of the whole document, with no limit on its size or shape, so
// nothing is refused; then the same write as the other templates. It reads the text where it
// is (the caller's buffer in buffer mode, the loaded file otherwise) and only the result is
// built, so a run holds the document and its result and no copy of either.
static int32_t RunWebTemplate(Engine& engine, std::string_view document, Text& loaded,
                              std::string_view name, std::string_view output,
                              RunOutcome& outcome) {
    // Each rule runs unless its WebNo... switch (the option row of its slot) is on.
    web::WebOptions rules;
    for (const OptionInfo& info : kOptionTable) {
        if (IsWebSlot(info.report_slot)) {
            rules.set(static_cast<web::WebRule>(info.report_slot - kSlotWebFirst),
                      OptionValue(engine.options, info) == 0);
        }
    }
    rules.keep_comments = engine.web_keep_comments;
    Text result;
    web::WebStats saved;
    web::MinifyWeb(document, rules, result, &saved);
    RecordWebSavings(engine, saved.saved);
    Text().swap(loaded);  // the loaded file is no longer needed: let the write run without it
    return HandOnDocument(engine, result, name, output, outcome);
}

int32_t RunPipeline(Engine& engine, std::string_view source, std::string_view name,
                    std::string_view output, RunOutcome& outcome) {
    outcome = RunOutcome{};
    engine.error_code = 0;
    engine.run = RunState{};
    engine.store.Clear();
    if (engine.stats.on) ResetFileStatistics(engine);

    if (output.size() > platform::kMaxPath) return EndRun(engine, name, TSQZ_ERR_PATH_TOO_LONG);

    Text document;
    if (FindFrom(source, "<HTML", 0, true) != kNone) {
        outcome.buffer_mode = true;
        engine.run.buffer_mode = true;
        if (source.size() > kMaxDocumentSize) {
            return EndRun(engine, name, TSQZ_ERR_TOO_MANY_CHUNKS);
        }
        if (engine.options.Web) {
            NoteSizeBefore(engine, Len(source));
            return RunWebTemplate(engine, source, document, name, output, outcome);
        }
        document.assign(source);
    } else {
        if (int32_t code = LoadDocument(source, document); code != 0) {
            return EndRun(engine, name, code);
        }
        Yield(engine);
    }

    NoteSizeBefore(engine, Len(document));
    if (engine.options.Web) return RunWebTemplate(engine, document, document, name, output, outcome);
    engine.run.basefont = FindBasefontSize(document);
    engine.run.lf_only = document.find("\r\n") == std::string::npos;
    engine.run.utf8_text = engine.options.UseISOTag != 0 && HoldsUtf8Text(document);
    if (engine.options.StripSpaces != 0 || engine.options.OptimizeLines != 0) {
        engine.run.display = std::make_shared<const DisplayRules>(ReadDisplayRules(document));
    }
    // The style compressor wraps at extraction time: give it this document's column.
    SetWrapColumn(engine);

    if (FindFrom(document, "html>", 0, true) == kNone) return EndRun(engine, name, TSQZ_ERR_NOT_HTML);

    Observe(engine, kStageExtract, true);
    const int32_t extracted = ExtractProtectedBlocks(engine, document);
    Observe(engine, kStageExtract, false);
    // The extraction counts its own failures.
    if (extracted != 0) return EndRun(engine, name, extracted, /*already_counted=*/true);

    std::vector<std::string_view> pieces;
    Observe(engine, kStageCut, true);
    const int32_t cut = CutIntoChunks(document, pieces);
    Observe(engine, kStageCut, false);
    if (cut != 0) return EndRun(engine, name, cut);
    Yield(engine);
    DispatchChunks(engine, document, pieces);
    pieces.clear();

    Observe(engine, kStageRestore, true);
    const int32_t restored = RestoreProtectedBlocks(engine, document, RunOptionPasses);
    engine.error_code = restored;
    Observe(engine, kStageRestore, false);
    if (engine.options.ASPBlocks) {
        Observe(engine, kStageASP, true);
        CompressASPDocument(engine, document);
        Observe(engine, kStageASP, false);
    }
    // A failed restore still hands on a document: the run goes on and returns the code after
    // the write.
    if (restored != 0) EndRun(engine, name, restored);

    return HandOnDocument(engine, document, name, output, outcome);
}

}  // namespace tsqz
