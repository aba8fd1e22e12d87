// Cost of the whitespace, line-layout, script and style passes as the input grows: pages and
// blocks of many short lines from 64 KB to 4 MB, so that a flat time per byte shows the passes
// are linear. Run: build/release/bin/layout_bench (or the dev build).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "passes/dispatch.h"
#include "run/engine.h"
#include "passes/passes.h"
#include "run/pipeline.h"

namespace {

using tsqz::Engine;
using tsqz::Text;

std::string Eol(bool crlf) { return crlf ? "\r\n" : "\n"; }

// A page of short lines, cut into paragraphs so the pipeline can chunk it.
Text ShortLinePage(size_t size, bool crlf) {
    const std::string eol = Eol(crlf);
    Text page = "<html>" + eol + "<head>" + eol + "<title>Many  lines</title>" + eol + "</head>" +
                eol + "<body>" + eol;
    for (int n = 0; page.size() < size; ++n) {
        if (n % 20 == 0) page += "<P>" + eol;
        page += "  Item\t" + std::to_string(n) + "  with <b>bold</b> <i>text</i>" + eol;
        if (n % 7 == 0) page += eol;
    }
    return page + "</body>" + eol + "</html>" + eol;
}

Text ScriptBlock(size_t size, bool crlf) {
    const std::string eol = Eol(crlf);
    Text block = "<script language=\"JavaScript\">" + eol + "<!--" + eol;
    for (int n = 0; block.size() < size; ++n) {
        block += "  var v" + std::to_string(n) + " = \"http://x/" + std::to_string(n) +
                 "\";  // note" + eol;
        if (n % 5 == 0) block += "  /* block */" + eol + eol;
    }
    return block + "//-->" + eol + "</script>";
}

Text StyleBlock(size_t size, bool crlf) {
    const std::string eol = Eol(crlf);
    Text block = "<style type=\"text/css\">" + eol;
    for (int n = 0; block.size() < size; ++n) {
        block += ".c" + std::to_string(n) + " {" + eol + "  color : red ;" + eol +
                 "  background: url(http://x/a.png) ;" + eol + "}" + eol;
        if (n % 5 == 0) block += "/* rule */" + eol;
    }
    return block + "</style>";
}

void LayoutOptions(Engine& engine) {
    engine.options.StripSpaces = 1;
    engine.options.OptimizeLines = 1;
    engine.options.WordWrap = 80;
    engine.options.StripBlankLines = 1;
    engine.options.StripComments = 1;
    engine.options.CompressScripts = 1;
    engine.options.CompressStyleSheets = 1;
    engine.options.ScriptSpaces = 1;
    engine.options.ScriptComments = 1;
    engine.options.ScriptLines = 1;
    engine.options.ScriptEOLs = 1;
}

// The whole run over a page: chunks of at most 64 KB, so the passes' cost per chunk matters.
void BM_PageLayout(benchmark::State& state) {
    const bool crlf = state.range(1) != 0;
    const Text page = ShortLinePage(static_cast<size_t>(state.range(0)), crlf);
    Engine engine;
    LayoutOptions(engine);
    tsqz::RunOutcome check;
    if (tsqz::RunPipeline(engine, page, "bench", "", check) != 0 || check.document.empty()) {
        state.SkipWithError("the page did not compress");
        return;
    }
    for (auto _ : state) {
        tsqz::RunOutcome outcome;
        tsqz::RunPipeline(engine, page, "bench", "", outcome);
        benchmark::DoNotOptimize(outcome.document.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}

// One 64 KB chunk of about 2000 short lines through joining, spaces and rewrapping.
void BM_ChunkLinePasses(benchmark::State& state) {
    const bool crlf = state.range(0) != 0;
    Text chunk;
    for (int n = 0; chunk.size() < 64000; ++n) {
        chunk += "<li>item  " + std::to_string(n) + " <b>x</b>" + Eol(crlf);
    }
    Engine engine;
    LayoutOptions(engine);
    engine.run.lf_only = !crlf;
    for (auto _ : state) {
        Text text = chunk;
        tsqz::SetWrapColumn(engine);
        tsqz::JoinLines(engine, text);
        tsqz::RemoveUnneededSpaces(engine, text);
        tsqz::RewrapText(engine, text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(chunk.size()));
}

// Script and style blocks are compressed whole, whatever their size.
void BM_ScriptBlock(benchmark::State& state) {
    const bool crlf = state.range(1) != 0;
    const Text block = ScriptBlock(static_cast<size_t>(state.range(0)), crlf);
    Engine engine;
    LayoutOptions(engine);
    engine.run.lf_only = !crlf;
    for (auto _ : state) {
        Text text = block;
        tsqz::CompressScriptBlock(engine, text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(block.size()));
}

void BM_StyleBlock(benchmark::State& state) {
    const bool crlf = state.range(1) != 0;
    const Text block = StyleBlock(static_cast<size_t>(state.range(0)), crlf);
    Engine engine;
    LayoutOptions(engine);
    engine.run.lf_only = !crlf;
    tsqz::SetWrapColumn(engine);
    for (auto _ : state) {
        Text text = block;
        tsqz::CompressStyleBlock(engine, text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(block.size()));
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int64_t crlf : {0, 1}) {
        for (int64_t size : {64 << 10, 256 << 10, 1 << 20, 4 << 20})
            b->Args({size, crlf});
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_PageLayout)->Apply(Sizes);
BENCHMARK(BM_ChunkLinePasses)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScriptBlock)->Apply(Sizes);
BENCHMARK(BM_StyleBlock)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
