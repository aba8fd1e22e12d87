// Benchmark helpers: the switch templates as option blocks, corpus pages, synthetic pages of a
// chosen size, and the small statistics and number formatting the tables need.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "run/options.h"

namespace tsqz::bench {

// Which rewrite a choice runs: the switch template's passes, or the web template.
enum class WebChoice : uint8_t {
    kNone,    // the passes of the switch template
    kAll,     // the web template as `tsqz --template web` runs it, script and style minifiers on
    kMarkup,  // the same with MinifyScripts and MinifyStyles off: the markup rules only
};

// The three switch templates, by their column in the engine's template table, and the web
// template in both settings (the safe template's block with Web=1, as tsqz sets it).
struct TemplateChoice {
    std::string_view label;
    size_t column;  // all-off 0, safe 1, all-options 2
    WebChoice web = WebChoice::kNone;
    bool web_template() const { return web != WebChoice::kNone; }
};
inline constexpr TemplateChoice kTemplates[] = {{"off", 0},
                                                {"safe", 1},
                                                {"all", 2},
                                                {"web", 1, WebChoice::kAll},
                                                {"web-markup", 1, WebChoice::kMarkup}};
const TemplateChoice* FindTemplate(std::string_view label);

// The option block a host holds after writing the template to its settings and reading them
// back (a stored switch is on when it is 1 or more).
OptionBlock TemplateOptions(size_t column);
// The same for a choice: its column's block, with the web template's switches set.
OptionBlock TemplateOptions(const TemplateChoice& choice);

struct Page {
    std::string name;  // file name
    std::string path;
    std::string text;
};

// The HTML documents directly in a folder (*.htm, *.html, *.shtml, *.asp in any letter case),
// sorted by name. An absent folder gives none.
std::vector<Page> LoadPages(const std::string& folder);
// One document, when it can be read.
bool LoadPage(const std::string& path, Page& page);

// Synthetic documents for the scaling series. Each is a head with one style block, one
// script block and one PRE block, then a body unit repeated until the size is reached. The
// body has "<P>" cut points every few hundred bytes, so every size can be cut into chunks.
enum class SyntheticKind : uint8_t {
    kRealisticLF,    // old-style page: phrase tags, FONT, tables, lists, entities, comments
    kRealisticCRLF,  // the same with CR LF line ends
    kShortLines,     // many lines of a few bytes: line joining and rewrapping
    kManyTags,       // tags with hardly any text between them: the tag passes
};
struct SyntheticChoice {
    std::string_view label;
    SyntheticKind kind;
};
inline constexpr SyntheticChoice kSyntheticKinds[] = {
    {"realistic LF", SyntheticKind::kRealisticLF},
    {"realistic CR LF", SyntheticKind::kRealisticCRLF},
    {"short lines", SyntheticKind::kShortLines},
    {"many tags", SyntheticKind::kManyTags},
};

// Sizes of the series in bytes (decimal units: a 16 MiB document would need more than the
// engine's 256 chunks of at most 64 KB each). The web template, which has no chunks, also
// runs the 64 MB size.
struct SizeChoice {
    std::string_view label;
    size_t bytes;
    bool web_only = false;
};
inline constexpr SizeChoice kScalingSizes[] = {
    {"64 KB", 64'000},
    {"1 MB", 1'000'000},
    {"4 MB", 4'000'000},
    {"16 MB", 16'000'000},
    {"64 MB", 64'000'000, true},
};

// A document of exactly |size| bytes (at least 4 KB) of the kind, ending in "</HTML>".
std::string MakeSyntheticPage(SyntheticKind kind, size_t size);

// The median; the mean of the two middle values for an even count; 0 for none.
double Median(std::vector<double> values);

// "1,234,567".
std::string Thousands(uint64_t value);

}  // namespace tsqz::bench
