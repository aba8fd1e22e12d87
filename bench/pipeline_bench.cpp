// tsqz_bench: compression speed of the engine over the corpus pages and synthetic documents.
//
// Every document is run once in a fresh engine (the plain run) and once in the engine that
// is then timed; the two results must agree before any timing starts. Times are medians over
// the repetitions; a repetition of a small document runs it several times and divides.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "bench_support.h"
#include "heap_count.h"
#include "passes/dispatch.h"
#include "run/engine.h"
#include "run/pipeline.h"
#include "platform/files.h"
#include "web/css_minify.h"
#include "web/js_minify.h"
#include "web/page_facts.h"
#include "web/web_tokenizer.h"

namespace tsqz::bench {
namespace {

namespace fs = std::filesystem;

// Seconds on the chosen clock: elapsed time, or with --cpu-time the CPU time of this thread
// (steadier on a machine that others share, as time spent waiting for the core is left out).
bool g_cpu_time = false;
const char* ClockNote() { return g_cpu_time ? " of CPU time" : ""; }
double Now() {
    if (g_cpu_time) {
        timespec t{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr double kMB = 1e6;
constexpr size_t kProfiledSyntheticSize = 1'000'000;  // the scaling series' profiled size

struct Settings {
    std::vector<std::string> corpus_folders;
    std::vector<std::string> page_files;
    std::vector<const TemplateChoice*> templates;
    int reps = 7;
    double min_seconds = 0.02;
    bool pages = true;
    bool profile = false;
    bool scaling = false;
    bool memory = false;
    bool tsv = false;
};

// A document as the benchmark hands it to the pipeline: its text when it holds "<HTML"
// (buffer mode), else its path, with the result written into the work folder.
struct Document {
    std::string name;
    std::string path;
    std::string text;
    bool buffer_mode = true;
};

struct RunResult {
    int32_t code = 0;
    bool completed = false;  // the run produced a document
    std::string output;      // the document as the host gets it back (the input after a failure)
};

std::string g_work_folder;

// Per-step time of the profiled runs, filled by the engine's step observer.
struct StepTimes {
    std::array<double, kLastObservedStep + 1> seconds{};
    std::array<double, kLastObservedStep + 1> started{};
};
StepTimes g_steps;

void ObserveStep(int step, bool starting) {
    if (step < 1 || step > kLastObservedStep) return;
    const double now = Now();
    if (starting) {
        g_steps.started[step] = now;
    } else {
        g_steps.seconds[step] += now - g_steps.started[step];
    }
}

std::string OutputPath(const Document& doc) { return g_work_folder + "/" + doc.name; }

int32_t RunTimed(Engine& engine, const Document& doc, RunOutcome& outcome) {
    if (doc.buffer_mode) return RunPipeline(engine, doc.text, doc.name, "", outcome);
    return RunPipeline(engine, doc.path, doc.name, OutputPath(doc), outcome);
}

RunResult RunAndKeep(Engine& engine, const Document& doc) {
    RunOutcome outcome;
    RunResult result;
    result.code = RunTimed(engine, doc, outcome);
    result.completed = outcome.completed;
    if (doc.buffer_mode) {
        result.output = outcome.completed ? std::move(outcome.document) : doc.text;
    } else if (!outcome.completed || platform::ReadWholeFile(OutputPath(doc), result.output) !=
                                         platform::ReadResult::kOk) {
        result.output = doc.text;
    }
    return result;
}

// The run of a host that sets the options and compresses one document in a new engine.
RunResult PlainRun(const OptionBlock& options, const Document& doc) {
    Engine engine;
    engine.options = options;
    return RunAndKeep(engine, doc);
}

struct Timing {
    RunResult result;
    double seconds = 0;  // median time of one run
    bool agrees = true;  // the timed engine gave the plain run's result
};

// Checks the benchmark engine against a plain run, then times it.
Timing Measure(const Settings& settings, const OptionBlock& options, const Document& doc) {
    Timing timing;
    timing.result = PlainRun(options, doc);
    Engine engine;
    engine.options = options;
    const double check_start = Now();
    const RunResult check = RunAndKeep(engine, doc);
    const double check_seconds = Now() - check_start;
    timing.agrees = check.code == timing.result.code && check.output == timing.result.output;

    const int runs = std::max(
        1, static_cast<int>(std::ceil(settings.min_seconds / std::max(check_seconds, 1e-7))));
    std::vector<double> per_run;
    for (int rep = 0; rep < settings.reps; ++rep) {
        const double start = Now();
        for (int i = 0; i < runs; ++i) {
            RunOutcome outcome;
            RunTimed(engine, doc, outcome);
        }
        per_run.push_back((Now() - start) / runs);
    }
    // The last timed run must still give the same result: no state may build up in the engine.
    const RunResult last = RunAndKeep(engine, doc);
    timing.agrees = timing.agrees && last.code == check.code && last.output == check.output;
    timing.seconds = Median(per_run);
    return timing;
}

Document ToDocument(const Page& page) {
    Document doc{page.name, page.path, page.text, true};
    doc.buffer_mode = FindFrom(page.text, "<HTML", 0, true) != kNone;
    return doc;
}

double Ratio(size_t out, size_t in) { return in == 0 ? 1.0 : static_cast<double>(out) / in; }
double MBps(size_t bytes, double seconds) { return seconds > 0 ? bytes / kMB / seconds : 0; }

void PrintRule() { std::printf("%s\n", std::string(86, '-').c_str()); }

// Per page and in total: bytes in and out, ratio, MB/s. Returns false when a check failed.
bool BenchPages(const Settings& settings, const std::vector<Document>& docs) {
    bool all_agree = true;
    for (const TemplateChoice* choice : settings.templates) {
        const OptionBlock options = TemplateOptions(*choice);
        if (!settings.tsv) {
            std::printf("\nTemplate \"%s\": median of %d repetitions%s (ratio = output / input)\n",
                        std::string(choice->label).c_str(), settings.reps, ClockNote());
            PrintRule();
            std::printf("%-28s %12s %12s %7s %9s  %s\n", "page", "in bytes", "out bytes", "ratio",
                        "MB/s", "note");
            PrintRule();
        }
        size_t total_in = 0;
        size_t total_out = 0;
        double total_seconds = 0;
        size_t done_in = 0;  // the same over the pages that came out compressed
        size_t done_out = 0;
        double done_seconds = 0;
        size_t done = 0;
        std::vector<double> ratios;
        for (const Document& doc : docs) {
            const Timing t = Measure(settings, options, doc);
            all_agree = all_agree && t.agrees;
            const size_t in = doc.text.size();
            const size_t out = t.result.output.size();
            total_in += in;
            total_out += out;
            total_seconds += t.seconds;
            if (t.result.completed) {
                done_in += in;
                done_out += out;
                done_seconds += t.seconds;
                ++done;
            }
            ratios.push_back(Ratio(out, in));
            std::string note;
            if (!doc.buffer_mode) note += "file mode (no \"<HTML\") ";
            if (t.result.code != 0) note += "code " + std::to_string(t.result.code) + " ";
            if (!t.agrees) note += "RESULT DIFFERS FROM THE PLAIN RUN";
            if (settings.tsv) {
                std::printf("page\t%s\t%s\t%zu\t%zu\t%d\t%.9f\n", doc.name.c_str(),
                            std::string(choice->label).c_str(), in, out, t.result.code, t.seconds);
            } else {
                std::printf("%-28s %12s %12s %7.4f %9.1f  %s\n", doc.name.c_str(),
                            Thousands(in).c_str(), Thousands(out).c_str(), Ratio(out, in),
                            MBps(in, t.seconds), note.c_str());
            }
            std::fflush(stdout);
        }
        if (!settings.tsv) {
            PrintRule();
            std::printf("%-28s %12s %12s %7.4f %9.1f  median page ratio %.4f\n", "total",
                        Thousands(total_in).c_str(), Thousands(total_out).c_str(),
                        Ratio(total_out, total_in), MBps(total_in, total_seconds), Median(ratios));
            const std::string label = "the " + std::to_string(done) + " compressed";
            std::printf("%-28s %12s %12s %7.4f %9.1f  (pages not refused)\n", label.c_str(),
                        Thousands(done_in).c_str(), Thousands(done_out).c_str(),
                        Ratio(done_out, done_in), MBps(done_in, done_seconds));
        }
    }
    return all_agree;
}

// What the web template's minifiers are given in a run, collected once for the profile: the
// text of each STYLE and SCRIPT element and each style attribute's value without references
// (the run decodes values that hold one; the profile leaves those out).
struct WebTexts {
    std::vector<std::string_view> sheets, declarations;
    std::vector<std::pair<std::string_view, web::ScriptKind>> scripts;
    size_t sheet_bytes = 0, declaration_bytes = 0, script_bytes = 0;
};

WebTexts CollectWebTexts(std::string_view text) {
    WebTexts texts;
    web::Tokenizer tokenizer(text);
    web::Token token;
    enum class Next { kNone, kSheet, kScript } next = Next::kNone;
    web::ScriptKind kind = web::ScriptKind::Classic;
    while (tokenizer.Next(token)) {
        const std::string_view raw = text.substr(token.begin, token.end - token.begin);
        if (token.kind == web::TokenKind::Text && next != Next::kNone) {
            if (next == Next::kSheet) {
                texts.sheets.push_back(raw);
                texts.sheet_bytes += raw.size();
            } else {
                texts.scripts.emplace_back(raw, kind);
                texts.script_bytes += raw.size();
            }
        }
        next = Next::kNone;
        if (token.kind != web::TokenKind::StartTag || token.ns != web::Namespace::Html) continue;
        std::string_view type, language;
        bool has_type = false, has_language = false;
        for (const web::Attribute& a : token.attributes) {
            const std::string_view name = text.substr(a.name_begin, a.name_end - a.name_begin);
            const std::string_view value = text.substr(a.value_begin, a.value_end - a.value_begin);
            if (web::EqualsIgnoringCase(name, "style") && value.find('&') == std::string_view::npos) {
                texts.declarations.push_back(value);
                texts.declaration_bytes += value.size();
            } else if (web::EqualsIgnoringCase(name, "type")) {
                type = value;
                has_type = true;
            } else if (web::EqualsIgnoringCase(name, "language")) {
                language = value;
                has_language = true;
            }
        }
        if (token.name == "style") next = Next::kSheet;
        if (token.name == "script") {
            next = Next::kScript;
            kind = web::ClassifyScriptType(type, has_type, language, has_language);
        }
    }
    return texts;
}

// The web template's stages, each timed alone over the same documents: its tokenizer, the
// scan of the page's facts and, with the minifiers on, the two minifiers over the texts a run
// gives them. What the whole run takes beyond these is the rules and the writing of the output.
bool ProfileWeb(const Settings& settings, const TemplateChoice& choice,
                const std::vector<Document>& docs, std::string_view what, size_t total_in) {
    const OptionBlock options = TemplateOptions(choice);
    Engine engine;
    engine.options = options;
    bool all_agree = true;
    for (const Document& doc : docs) {
        const RunResult plain = PlainRun(options, doc);
        const RunResult again = RunAndKeep(engine, doc);
        all_agree = all_agree && plain.code == again.code && plain.output == again.output;
    }
    std::vector<WebTexts> texts;
    WebTexts sums;
    for (const Document& doc : docs) {
        texts.push_back(CollectWebTexts(doc.text));
        sums.sheet_bytes += texts.back().sheet_bytes;
        sums.declaration_bytes += texts.back().declaration_bytes;
        sums.script_bytes += texts.back().script_bytes;
    }
    size_t sink = 0;  // keeps the results alive
    struct Stage {
        std::string_view name;
        size_t input;  // the bytes the stage reads
        std::function<void()> run;
        std::vector<double> seconds;
    };
    std::vector<Stage> stages;
    stages.push_back({"tokenizer alone", total_in, [&] {
                          for (const Document& doc : docs) {
                              web::Tokenizer tokenizer(doc.text);
                              web::Token token;
                              while (tokenizer.Next(token)) ++sink;
                          }
                      }, {}});
    stages.push_back({"page facts (ScanPageQuickly)", total_in, [&] {
                          std::vector<web::RawText> raw_texts;
                          for (const Document& doc : docs) {
                              raw_texts.clear();
                              sink += web::ScanPageQuickly(doc.text, raw_texts).mentioned.size();
                          }
                      }, {}});
    if (choice.web == WebChoice::kAll) {
        stages.push_back({"style sheets (STYLE)", sums.sheet_bytes, [&] {
                              for (const WebTexts& t : texts)
                                  for (std::string_view css : t.sheets)
                                      sink += web::MinifyStyleSheet(css).size();
                          }, {}});
        stages.push_back({"style attributes", sums.declaration_bytes, [&] {
                              for (const WebTexts& t : texts)
                                  for (std::string_view css : t.declarations)
                                      sink += web::MinifyStyleDeclarations(css).size();
                          }, {}});
        stages.push_back({"scripts (SCRIPT)", sums.script_bytes, [&] {
                              for (const WebTexts& t : texts)
                                  for (const auto& [js, kind] : t.scripts)
                                      sink += web::MinifyScriptElement(js, kind).size();
                          }, {}});
    }
    std::vector<double> wall;
    for (int rep = 0; rep < settings.reps; ++rep) {
        for (Stage& stage : stages) {
            const double start = Now();
            stage.run();
            stage.seconds.push_back(Now() - start);
        }
        const double start = Now();
        for (const Document& doc : docs) {
            RunOutcome outcome;
            RunTimed(engine, doc, outcome);
        }
        wall.push_back(Now() - start);
    }
    if (sink == 1) std::printf(" ");  // never: the stages' results must not be optimised away
    const std::string label(choice.label);
    const double whole = Median(wall);
    if (settings.tsv) {
        for (const Stage& stage : stages) {
            std::printf("webstage\t%s\t%s\t%zu\t%.9f\n", label.c_str(),
                        std::string(stage.name).c_str(), stage.input, Median(stage.seconds));
        }
        std::printf("webstage\t%s\twhole run\t%zu\t%.9f\n", label.c_str(), total_in, whole);
        return all_agree;
    }
    std::printf("\nTemplate \"%s\": stages timed alone over %s (%zu, %s bytes), median of %d%s\n",
                label.c_str(), std::string(what).c_str(), docs.size(),
                Thousands(total_in).c_str(), settings.reps, ClockNote());
    PrintRule();
    std::printf("%-30s %12s %10s %8s %12s %12s\n", "stage", "its input", "ms", "share",
                "MB/s of doc", "MB/s of input");
    PrintRule();
    double staged = 0;
    for (const Stage& stage : stages) {
        const double seconds = Median(stage.seconds);
        // The tokenizer runs inside the page scan and the rules too; only the minifiers are
        // wholly inside the run and so taken from it for "the rest".
        if (stage.input != total_in) staged += seconds;
        std::printf("%-30s %12s %10.2f %7.1f%% %12.1f %12.1f\n", std::string(stage.name).c_str(),
                    Thousands(stage.input).c_str(), seconds * 1e3, 100 * seconds / whole,
                    MBps(total_in, seconds), MBps(stage.input, seconds));
    }
    if (staged > 0) {
        const double rest = std::max(0.0, whole - staged);
        std::printf("%-30s %12s %10.2f %7.1f%% %12.1f\n", "markup rules (the rest)", "",
                    rest * 1e3, 100 * rest / whole, MBps(total_in, rest));
    }
    PrintRule();
    std::printf("%-30s %12s %10.2f %7.1f%% %12.1f\n", "whole run", Thousands(total_in).c_str(),
                whole * 1e3, 100.0, MBps(total_in, whole));
    return all_agree;
}

// Time per observed step over all documents, median over the repetitions.
bool ProfileDocuments(const Settings& settings, const std::vector<Document>& docs,
                      std::string_view what) {
    bool all_agree = true;
    size_t total_in = 0;
    for (const Document& doc : docs)
        total_in += doc.text.size();
    for (const TemplateChoice* choice : settings.templates) {
        if (choice->web_template()) {
            all_agree = ProfileWeb(settings, *choice, docs, what, total_in) && all_agree;
            continue;
        }
        const OptionBlock options = TemplateOptions(*choice);
        Engine engine;
        engine.options = options;
        engine.hooks.step_observer = ObserveStep;
        // The observer must not change a result.
        for (const Document& doc : docs) {
            const RunResult plain = PlainRun(options, doc);
            const RunResult observed = RunAndKeep(engine, doc);
            all_agree = all_agree && plain.code == observed.code && plain.output == observed.output;
        }
        std::array<std::vector<double>, kLastObservedStep + 1> per_step;
        std::vector<double> wall;
        std::vector<std::vector<double>> per_doc_step(docs.size(),
                                                      std::vector<double>(kLastObservedStep + 1));
        for (int rep = 0; rep < settings.reps; ++rep) {
            g_steps = StepTimes{};
            const double start = Now();
            for (size_t d = 0; d < docs.size(); ++d) {
                const StepTimes before = g_steps;
                RunOutcome outcome;
                RunTimed(engine, docs[d], outcome);
                for (int s = 1; s <= kLastObservedStep; ++s)
                    per_doc_step[d][s] += g_steps.seconds[s] - before.seconds[s];
            }
            wall.push_back(Now() - start);
            for (int s = 1; s <= kLastObservedStep; ++s)
                per_step[s].push_back(g_steps.seconds[s]);
        }
        const double wall_median = Median(wall);
        if (settings.tsv) {
            for (int s = 1; s <= kLastObservedStep; ++s) {
                std::printf("step\t%s\t%d\t%s\t%.9f\n", std::string(choice->label).c_str(), s,
                            std::string(ObservedStepName(s)).c_str(), Median(per_step[s]));
            }
            continue;
        }
        std::printf("\nTemplate \"%s\": time per step over %s (%zu, %s bytes), median of %d%s\n",
                    std::string(choice->label).c_str(), std::string(what).c_str(), docs.size(),
                    Thousands(total_in).c_str(), settings.reps, ClockNote());
        PrintRule();
        std::printf("%5s  %-28s %12s %8s %12s\n", "step", "enabled by", "ms", "share",
                    "MB/s alone");
        PrintRule();
        double in_steps = 0;
        for (int s = 1; s <= kLastObservedStep; ++s) {
            const double seconds = Median(per_step[s]);
            if (per_step[s].empty() || seconds <= 0) continue;
            in_steps += seconds;
            const std::string label(ObservedStepName(s));
            std::printf("%5d  %-28s %12.2f %7.1f%% %12.1f\n", s, label.c_str(), seconds * 1e3,
                        100 * seconds / wall_median, MBps(total_in, seconds));
        }
        const double outside = std::max(0.0, wall_median - in_steps);
        std::printf("%5s  %-28s %12.2f %7.1f%%\n", "", "load, checks, chunk copies, join",
                    outside * 1e3, 100 * outside / wall_median);
        PrintRule();
        std::printf("%5s  %-28s %12.2f %7.1f%% %12.1f\n", "", "whole run", wall_median * 1e3, 100.0,
                    MBps(total_in, wall_median));
        std::printf("\nDominant step per document (share of its time in steps):\n");
        for (size_t d = 0; d < docs.size(); ++d) {
            int top = 1;
            double sum = 0;
            for (int s = 1; s <= kLastObservedStep; ++s) {
                sum += per_doc_step[d][s];
                if (per_doc_step[d][s] > per_doc_step[d][top]) top = s;
            }
            std::printf("  %-28s step %2d %-28s %5.1f%%\n", docs[d].name.c_str(), top,
                        std::string(ObservedStepName(top)).c_str(),
                        sum > 0 ? 100 * per_doc_step[d][top] / sum : 0.0);
        }
    }
    return all_agree;
}

// Cost per MB of synthetic documents from 64 KB to 16 MB (64 MB for the web template). Returns false when a check failed.
bool BenchScaling(const Settings& settings, bool& flat) {
    bool all_agree = true;
    flat = true;
    for (const TemplateChoice* choice : settings.templates) {
        const OptionBlock options = TemplateOptions(*choice);
        if (!settings.tsv) {
            std::printf("\nScaling, template \"%s\": median of %d repetitions%s\n",
                        std::string(choice->label).c_str(), settings.reps, ClockNote());
            PrintRule();
            std::printf("%-16s %6s %12s %12s %7s %10s %10s %8s\n", "document", "size", "in bytes",
                        "out bytes", "ratio", "ms", "ms per MB", "vs 64 KB");
            PrintRule();
        }
        for (const SyntheticChoice& kind : kSyntheticKinds) {
            double base_cost = 0;
            for (const SizeChoice& size : kScalingSizes) {
                if (size.web_only && !choice->web_template()) continue;
                Document doc;
                doc.name = std::string(kind.label) + " " + std::string(size.label);
                doc.text = MakeSyntheticPage(kind.kind, size.bytes);
                const Timing t = Measure(settings, options, doc);
                const bool ok = t.agrees && t.result.code == 0;
                all_agree = all_agree && ok;
                const double cost = t.seconds * 1e3 / (doc.text.size() / kMB);
                if (base_cost == 0) base_cost = cost;
                const double relative = cost / base_cost;
                if (relative > 1.25) flat = false;
                if (settings.tsv) {
                    std::printf("scaling\t%s\t%s\t%s\t%zu\t%zu\t%d\t%.9f\n",
                                std::string(kind.label).c_str(), std::string(size.label).c_str(),
                                std::string(choice->label).c_str(), doc.text.size(),
                                t.result.output.size(), t.result.code, t.seconds);
                } else {
                    std::printf(
                        "%-16s %6s %12s %12s %7.4f %10.2f %10.2f %8.2f%s\n",
                        std::string(kind.label).c_str(), std::string(size.label).c_str(),
                        Thousands(doc.text.size()).c_str(),
                        Thousands(t.result.output.size()).c_str(),
                        Ratio(t.result.output.size(), doc.text.size()), t.seconds * 1e3, cost,
                        relative,
                        ok ? ""
                           : ("  CHECK FAILED, code " + std::to_string(t.result.code)).c_str());
                }
                std::fflush(stdout);
            }
        }
    }
    return all_agree;
}

// Peak memory of one run, measured in a new process of this program so that nothing the
// benchmark allocated or freed before counts. The child loads the document, runs a tiny one
// first (so tables the engine builds on first use are in place), resets its resident-set
// high-water mark (/proc/self/clear_refs), runs the document once and reports how far its
// resident set rose, and how far the heap it allocated rose at most. The peak of the run is
// that rise plus, in buffer mode, the document the host holds. The resident set takes in
// everything (the heap, the stack, code run for the first time), but the kernel folds each
// processor's count of pages into the process's total only in batches of 32 or so pages, so
// its readings can be some 100 KB off, a figure that swamps a small page's own; the heap
// count is exact and shows what a small page itself costs.
constexpr const char* kMemoryChild = "--memory-child";

uint64_t StatusKilobytes(std::string_view field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, field.size(), field) == 0 && line.size() > field.size() &&
            line[field.size()] == ':') {
            return std::strtoull(line.c_str() + field.size() + 1, nullptr, 10);
        }
    }
    return 0;
}

// The child's side: argv holds the template label and "page:PATH" or "synthetic:KIND:BYTES".
int MemoryChild(std::string_view label, std::string_view source) {
    const TemplateChoice* choice = FindTemplate(label);
    if (!choice) return 2;
    Document doc;
    if (source.substr(0, 5) == "page:") {
        Page page;
        if (!LoadPage(std::string(source.substr(5)), page)) return 1;
        doc = ToDocument(page);
    } else if (source.substr(0, 10) == "synthetic:") {
        const std::string rest(source.substr(10));
        const size_t kind = std::strtoull(rest.c_str(), nullptr, 10);
        const size_t bytes = std::strtoull(rest.c_str() + rest.find(':') + 1, nullptr, 10);
        if (kind >= std::size(kSyntheticKinds)) return 2;
        doc.name = "synthetic";
        doc.text = MakeSyntheticPage(kSyntheticKinds[kind].kind, bytes);
        doc.text.shrink_to_fit();
    } else {
        return 2;
    }
    Engine engine;
    engine.options = TemplateOptions(*choice);
    RunOutcome warm_up;
    RunPipeline(engine, "<html><p>x &amp; y<style>p{}</style><script>f()</script></html>",
                "warm-up", "", warm_up);
    {
        std::ofstream reset("/proc/self/clear_refs");
        reset << "5";
    }
    const uint64_t before = StatusKilobytes("VmRSS");
    RunOutcome outcome;
    StartHeapCount();
    const int32_t code = RunTimed(engine, doc, outcome);
    const int64_t heap_rise = StopHeapCount();
    const uint64_t peak = StatusKilobytes("VmHWM");
    std::printf("%zu %d %d %llu %lld\n", doc.text.size(), doc.buffer_mode ? 1 : 0, code,
                static_cast<unsigned long long>(peak > before ? peak - before : 0),
                static_cast<long long>(heap_rise));
    return 0;
}

struct PeakMemory {
    bool measured = false;
    size_t document = 0;
    uint64_t peak = 0;  // bytes: the rise of the resident set, plus the host's copy
    uint64_t heap = 0;  // bytes: the rise of the heap in use, plus the host's copy
    int32_t code = 0;
};

PeakMemory MeasurePeakMemory(const TemplateChoice& choice, const std::string& source) {
    PeakMemory result;
    int pipe_ends[2];
    if (::pipe(pipe_ends) != 0) return result;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipe_ends[1], STDOUT_FILENO);
        ::close(pipe_ends[0]);
        ::close(pipe_ends[1]);
        const std::string label(choice.label);
        char* args[] = {const_cast<char*>("tsqz_bench"), const_cast<char*>(kMemoryChild),
                        const_cast<char*>(label.c_str()), const_cast<char*>(source.c_str()),
                        nullptr};
        ::execv("/proc/self/exe", args);
        ::_exit(127);
    }
    ::close(pipe_ends[1]);
    std::string reply;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipe_ends[0], buffer, sizeof buffer)) > 0;)
        reply.append(buffer, static_cast<size_t>(n));
    ::close(pipe_ends[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return result;
    }
    size_t document = 0;
    int buffer_mode = 0, code = 0;
    unsigned long long rise_kb = 0;
    long long heap_rise = 0;
    if (std::sscanf(reply.c_str(), "%zu %d %d %llu %lld", &document, &buffer_mode, &code,
                    &rise_kb, &heap_rise) != 5) {
        return result;
    }
    result.measured = true;
    result.document = document;
    result.code = code;
    result.peak = rise_kb * 1024 + (buffer_mode ? document : 0);
    result.heap = static_cast<uint64_t>(std::max(heap_rise, 0LL)) + (buffer_mode ? document : 0);
    return result;
}

// Peak memory per document and template against the target of three times the document.
bool BenchMemory(const Settings& settings, const std::vector<Document>& docs) {
    bool all_measured = true;
    bool within = true, heap_within = true;
    for (const TemplateChoice* choice : settings.templates) {
        const std::string label(choice->label);
        std::vector<std::pair<std::string, std::string>> runs;  // name, where the child finds its document
        if (settings.pages) {
            for (const Document& doc : docs)
                runs.emplace_back(doc.name, "page:" + doc.path);
        }
        if (settings.scaling) {
            for (size_t k = 0; k < std::size(kSyntheticKinds); ++k) {
                for (const SizeChoice& size : kScalingSizes) {
                    if (size.web_only && !choice->web_template()) continue;
                    runs.emplace_back(std::string(kSyntheticKinds[k].label) + " " +
                                          std::string(size.label),
                                      "synthetic:" + std::to_string(k) + ":" +
                                          std::to_string(size.bytes));
                }
            }
        }
        if (runs.empty()) continue;
        if (!settings.tsv) {
            std::printf("\nPeak memory, template \"%s\" (one run in a new process; the document "
                        "included)\n",
                        label.c_str());
            PrintRule();
            std::printf("%-28s %13s %13s %7s %13s %7s\n", "document", "bytes", "resident peak",
                        "x doc", "heap peak", "x doc");
            PrintRule();
        }
        for (const auto& [name, source] : runs) {
            const PeakMemory m = MeasurePeakMemory(*choice, source);
            all_measured = all_measured && m.measured;
            const double times = m.document ? static_cast<double>(m.peak) / m.document : 0;
            const double heap_times = m.document ? static_cast<double>(m.heap) / m.document : 0;
            if (m.measured && times > 3) within = false;
            if (m.measured && heap_times > 3) heap_within = false;
            if (settings.tsv) {
                std::printf("memory\t%s\t%s\t%zu\t%llu\t%d\t%llu\n", name.c_str(), label.c_str(),
                            m.document, static_cast<unsigned long long>(m.peak), m.code,
                            static_cast<unsigned long long>(m.heap));
            } else if (!m.measured) {
                std::printf("%-28s  NOT MEASURED (the child process failed)\n", name.c_str());
            } else {
                std::printf("%-28s %13s %13s %7.2f %13s %7.2f\n", name.c_str(),
                            Thousands(m.document).c_str(), Thousands(m.peak).c_str(), times,
                            Thousands(m.heap).c_str(), heap_times);
            }
            std::fflush(stdout);
        }
    }
    if (!settings.tsv) {
        std::printf("\nPeak memory %s within 3 times the document by the resident set, %s by "
                    "the heap.\n",
                    within ? "stays" : "does NOT stay", heap_within ? "stays" : "does NOT stay");
    }
    return all_measured;
}

void Usage() {
    std::fprintf(stderr,
                 "usage: tsqz_bench [--corpus DIR]... [--templates off,safe,all,web,web-markup]\n"
                 "                  [--reps N] [--min-time MS] [--profile] [--scaling] [--memory]\n"
                 "                  [--no-pages] [--tsv] [--cpu-time]\n"
                 "                  [PAGE]...\n"
                 "Without --corpus and PAGE, the pages of the shared corpus folder are measured\n"
                 "($TSQZ_SHARED_DIR/corpus when the variable is set).\n");
}

bool ParseTemplates(std::string_view list, std::vector<const TemplateChoice*>& out) {
    out.clear();
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const TemplateChoice* choice = FindTemplate(list.substr(0, comma));
        if (!choice) return false;
        out.push_back(choice);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return !out.empty();
}

bool ParseArguments(int argc, char** argv, Settings& settings) {
    for (const TemplateChoice& choice : kTemplates)
        settings.templates.push_back(&choice);
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--corpus" && has_value) {
            settings.corpus_folders.emplace_back(argv[++i]);
        } else if (arg == "--templates" && has_value) {
            if (!ParseTemplates(argv[++i], settings.templates)) return false;
        } else if (arg == "--reps" && has_value) {
            settings.reps = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--min-time" && has_value) {
            settings.min_seconds = std::max(0.0, std::atof(argv[++i]) / 1e3);
        } else if (arg == "--profile") {
            settings.profile = true;
        } else if (arg == "--scaling") {
            settings.scaling = true;
        } else if (arg == "--memory") {
            settings.memory = true;
        } else if (arg == "--no-pages") {
            settings.pages = false;
        } else if (arg == "--cpu-time") {
            g_cpu_time = true;
        } else if (arg == "--tsv") {
            settings.tsv = true;
        } else if (!arg.empty() && arg[0] != '-') {
            settings.page_files.emplace_back(arg);
        } else {
            return false;
        }
    }
    return true;
}

// The error log and the results of file-mode runs go into a folder of their own, in memory
// where the system has such a folder: the engine flushes every result to disk, and a disk's
// flush time would swamp the compression time of a small page.
bool MakeWorkFolder() {
    std::error_code ec;
    const fs::path base =
        fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path(ec);
    std::string pattern = (base / "tsqz-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return false;
    g_work_folder = pattern;
    if (!std::getenv("TAGSQUEEZE_PROGRAM_DIR"))
        ::setenv("TAGSQUEEZE_PROGRAM_DIR", pattern.c_str(), 1);
    return true;
}

}  // namespace

int Main(int argc, char** argv) {
    Settings settings;
    const bool memory_child = argc == 4 && argv[1] == std::string_view(kMemoryChild);
    if (!memory_child && !ParseArguments(argc, argv, settings)) {
        Usage();
        return 2;
    }
    if (!MakeWorkFolder()) {
        std::fprintf(stderr, "tsqz_bench: cannot create a work folder\n");
        return 1;
    }
    if (argc == 4 && argv[1] == std::string_view(kMemoryChild)) {
        const int status = MemoryChild(argv[2], argv[3]);
        std::error_code ec;
        fs::remove_all(g_work_folder, ec);
        return status;
    }

    std::vector<Document> docs;
    if (settings.pages || settings.profile || settings.memory) {
        if (settings.corpus_folders.empty() && settings.page_files.empty()) {
            const char* variable = std::getenv("TSQZ_SHARED_DIR");
            const std::string shared = variable && *variable ? variable : TSQZ_SHARED_DIR;
            if (shared.empty()) {
                std::printf("No shared folder with the corpus: the corpus tables are skipped.\n");
            } else {
                settings.corpus_folders.push_back(shared + "/corpus");
            }
        }
        for (const std::string& folder : settings.corpus_folders) {
            const std::vector<Page> pages = LoadPages(folder);
            if (pages.empty()) {
                std::printf("No pages in %s: the corpus tables are skipped.\n", folder.c_str());
            }
            for (const Page& page : pages)
                docs.push_back(ToDocument(page));
        }
        for (const std::string& file : settings.page_files) {
            Page page;
            if (!LoadPage(file, page)) {
                std::fprintf(stderr, "tsqz_bench: cannot read %s\n", file.c_str());
                return 1;
            }
            docs.push_back(ToDocument(page));
        }
    }

    bool ok = true;
    if (settings.pages && !docs.empty()) ok = BenchPages(settings, docs) && ok;
    if (settings.profile && !docs.empty()) ok = ProfileDocuments(settings, docs, "the pages") && ok;
    if (settings.scaling && settings.profile) {
        std::vector<Document> synthetic;
        for (const SyntheticChoice& kind : kSyntheticKinds) {
            synthetic.push_back({std::string(kind.label), "",
                                 MakeSyntheticPage(kind.kind, kProfiledSyntheticSize), true});
        }
        ok = ProfileDocuments(settings, synthetic, "the synthetic 1 MB documents") && ok;
    }
    if (settings.scaling) {
        bool flat = true;
        ok = BenchScaling(settings, flat) && ok;
        if (!settings.tsv) {
            std::printf("\nCost per MB %s within 1.25 times that of the 64 KB size.\n",
                        flat ? "stays" : "does NOT stay");
        }
    }
    if (settings.memory) ok = BenchMemory(settings, docs) && ok;
    std::error_code ec;
    fs::remove_all(g_work_folder, ec);
    if (!ok) std::fprintf(stderr, "tsqz_bench: a result differed from its plain run\n");
    return ok ? 0 : 1;
}

}  // namespace tsqz::bench

int main(int argc, char** argv) { return tsqz::bench::Main(argc, argv); }
