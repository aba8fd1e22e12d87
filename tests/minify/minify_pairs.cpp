// Writes every style sheet, style attribute and script of the given pages with its minified
// form, one JSON object a line, for the parser oracle (minify_oracle.cjs); prints the savings.
//
//   minify_pairs OUT.jsonl PAGE...
//
// Elements are found with a plain scan (comments skipped, attributes read in all quoting
// forms); that is enough to collect test inputs and is not the engine's HTML reading.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>

#include "minify/pairs_writer.h"
#include "web/css_minify.h"
#include "web/js_minify.h"
#include "web/page_facts.h"

namespace {

using tsqz::web::ScriptKind;

struct Tag {
    std::string name;
    std::map<std::string, std::string> attributes;
    size_t end = std::string::npos;  // just after ">"
};

std::string Lower(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}
bool Space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

Tag ReadTag(std::string_view page, size_t lt) {
    Tag tag;
    size_t k = lt + 1;
    while (k < page.size() && !Space(page[k]) && page[k] != '>' && page[k] != '/')
        tag.name += static_cast<char>(std::tolower(static_cast<unsigned char>(page[k++])));
    while (k < page.size()) {
        while (k < page.size() && (Space(page[k]) || page[k] == '/')) ++k;
        if (k >= page.size()) return tag;
        if (page[k] == '>') { tag.end = k + 1; return tag; }
        std::string name;
        while (k < page.size() && !Space(page[k]) && page[k] != '>' && page[k] != '=' &&
               (page[k] != '/' || name.empty()))
            name += page[k++];
        while (k < page.size() && Space(page[k])) ++k;
        std::string value;
        if (k < page.size() && page[k] == '=') {
            ++k;
            while (k < page.size() && Space(page[k])) ++k;
            if (k < page.size() && (page[k] == '"' || page[k] == '\'')) {
                const char q = page[k++];
                const size_t close = page.find(q, k);
                if (close == std::string_view::npos) return tag;
                value = page.substr(k, close - k);
                k = close + 1;
            } else {
                while (k < page.size() && !Space(page[k]) && page[k] != '>') value += page[k++];
            }
        }
        tag.attributes.emplace(Lower(name), value);
    }
    return tag;
}

struct Totals {
    size_t count = 0, before = 0, after = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: minify_pairs OUT.jsonl PAGE...\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    std::map<std::string, Totals> totals;
    auto record = [&](const std::string& page, const char* kind, std::string_view type,
                      std::string_view before, const std::string& after) {
        tsqz::test::WritePair(out, page, kind, type, before, after);
        Totals& t = totals[kind];
        ++t.count;
        t.before += before.size();
        t.after += after.size();
    };
    for (int a = 2; a < argc; ++a) {
        std::ifstream in(argv[a], std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        const std::string page = buffer.str();
        const std::string lower = Lower(page);
        const bool utf8 = tsqz::web::ScanPage(page).utf8;
        for (size_t k = page.find('<'); k != std::string::npos; k = page.find('<', k + 1)) {
            if (page.compare(k, 4, "<!--") == 0) {
                const size_t close = page.find("-->", k + 4);
                if (close == std::string::npos) break;
                k = close + 2;
                continue;
            }
            if (k + 1 >= page.size() || !std::isalpha(static_cast<unsigned char>(page[k + 1])))
                continue;
            const Tag tag = ReadTag(page, k);
            if (tag.end == std::string::npos) break;
            if (auto style = tag.attributes.find("style");
                style != tag.attributes.end() && style->second.find('&') == std::string::npos)
                record(argv[a], "style-attribute", "", style->second,
                       tsqz::web::MinifyStyleDeclarations(style->second));
            if (tag.name != "script" && tag.name != "style") {
                k = tag.end - 1;
                continue;
            }
            const size_t close = lower.find("</" + tag.name, tag.end);
            if (close == std::string::npos) break;
            const std::string_view text = std::string_view(page).substr(tag.end, close - tag.end);
            if (tag.name == "style") {
                record(argv[a], "style", "", text, tsqz::web::MinifyStyleSheet(text));
            } else {
                auto type = tag.attributes.find("type");
                const bool has_type = type != tag.attributes.end();
                const std::string type_text = has_type ? type->second : "";
                auto language = tag.attributes.find("language");
                const bool has_language = language != tag.attributes.end();
                const ScriptKind kind = tsqz::web::ClassifyScriptType(
                    type_text, has_type, has_language ? language->second : "", has_language);
                const char* label = kind == ScriptKind::Json    ? "json"
                                    : kind == ScriptKind::Other ? "script-other"
                                    : kind == ScriptKind::Module ? "module"
                                                                 : "script";
                if (!text.empty())
                    record(argv[a], label, type_text, text,
                           tsqz::web::MinifyScriptElement(text, kind, utf8));
            }
            k = close;
        }
    }
    std::cout << "| kind | count | bytes before | bytes after | ratio |\n|---|---:|---:|---:|---:|\n";
    for (const auto& [kind, t] : totals) {
        std::printf("| %s | %zu | %zu | %zu | %.3f |\n", kind.c_str(), t.count, t.before, t.after,
                    t.before ? static_cast<double>(t.after) / static_cast<double>(t.before) : 1.0);
    }
    return 0;
}
