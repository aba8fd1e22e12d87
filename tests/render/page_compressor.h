// Compressing pages through the engine's public interface under whole option sets, the way a
// host does: a switch template written to a settings file, changed, and read back.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tsqz::render {

// One value of a settings file: its section, key and value text.
struct Setting {
    std::string section;
    std::string key;
    std::string value;
};

// A named option set: a switch template with some of its values changed (or added, for
// options the template does not write).
struct OptionSet {
    OptionSet() = default;
    OptionSet(std::string label_, int template_number_, std::vector<Setting> changes_)
        : label(std::move(label_)),
          template_number(template_number_),
          changes(std::move(changes_)) {}

    std::string label;
    int template_number = 2;
    std::vector<Setting> changes;
    // The text the page shows (its body's innerText once loaded) must stay the same too: the
    // option set rewrites scripts, whose output a screenshot may not show.
    bool same_text = false;
    // Not the engine's output: the page of the same name in this folder, written by another
    // tool, is compared with the original instead.
    std::string outputs;
};

// The settings the engine writes for a switch template, in file order.
std::vector<Setting> TemplateSettings(int template_number);

// The safe template as a whole, then each of its options alone: every value in which the
// safe template differs from the all-off template, set over the all-off template.
std::vector<OptionSet> SafeTemplateMatrix();

struct CompressOutcome {
    int code = 0;        // the engine's result code; 0 on success
    int64_t before = 0;  // bytes of the source
    int64_t after = 0;   // bytes of the output (0 when nothing was written)
};

// The web template as `tsqz --template web` runs it (scripts and style sheets minified, the
// shown text compared too), and with its markup rules only (the minifiers off).
OptionSet WebTemplate();
OptionSet WebTemplateMarkupOnly();

// Compresses `source` into `output` under the option set. `work` is a folder for the
// settings file and the engine's program directory. With `options.outputs`, copies that
// folder's page named `page` instead (code -1 when there is none).
CompressOutcome CompressPage(const OptionSet& options, const std::string& source,
                             const std::string& output, const std::string& work,
                             const std::string& page = {});

}  // namespace tsqz::render
