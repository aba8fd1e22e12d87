// Compressing pages through the engine's public interface under whole option sets.
#include "render/page_compressor.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "support/test_support.h"
#include "tagsqueeze.h"

namespace tsqz::render {
namespace {

using tsqz::test::ReadFile;
using tsqz::test::WriteFile;

std::vector<Setting> ParseSettings(const std::string& text) {
    std::vector<Setting> settings;
    std::istringstream lines(text);
    std::string line;
    std::string section;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0) continue;
        settings.push_back({section, line.substr(0, equals), line.substr(equals + 1)});
    }
    return settings;
}

std::string SettingsText(const std::vector<Setting>& settings) {
    std::string text;
    std::string section;
    for (const Setting& s : settings) {
        if (text.empty() || s.section != section) {
            section = s.section;
            text += "[" + section + "]\n";
        }
        text += s.key + "=" + s.value + "\n";
    }
    return text;
}

int64_t FileSize(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<int64_t>(size);
}

}  // namespace

std::vector<Setting> TemplateSettings(int template_number) {
    tsqz::test::TempDir dir;
    const std::string ini = dir.File("template.ini");
    if (WriteSwitchTemplate(ini.c_str(), static_cast<unsigned char>(template_number)) != 1) {
        return {};
    }
    return ParseSettings(ReadFile(ini));
}

std::vector<OptionSet> SafeTemplateMatrix() {
    std::vector<OptionSet> matrix{{"safe template", 2, {}}};
    const std::vector<Setting> off = TemplateSettings(1);
    for (const Setting& safe : TemplateSettings(2)) {
        for (const Setting& base : off) {
            if (base.key == safe.key && base.value != safe.value) {
                matrix.push_back({safe.key, 1, {safe}});
            }
        }
    }
    return matrix;
}

OptionSet WebTemplate() {
    OptionSet set("web template", 2, {{TSQZ_SECTION_WEB_TEMPLATE, "Web", "1"}});
    set.same_text = true;
    return set;
}

OptionSet WebTemplateMarkupOnly() {
    OptionSet set = WebTemplate();
    set.label = "web template, markup only";
    set.changes.push_back({TSQZ_SECTION_WEB_TEMPLATE, "WebNoScripts", "1"});
    set.changes.push_back({TSQZ_SECTION_WEB_TEMPLATE, "WebNoStyles", "1"});
    set.same_text = false;
    return set;
}

CompressOutcome CompressPage(const OptionSet& options, const std::string& source,
                             const std::string& output, const std::string& work,
                             const std::string& page) {
    CompressOutcome outcome;
    outcome.before = FileSize(source);
    if (!options.outputs.empty()) {
        std::filesystem::remove(output);
        std::error_code ec;
        std::filesystem::copy_file(options.outputs + "/" + page, output, ec);
        outcome.code = ec ? -1 : 0;
        outcome.after = FileSize(output);
        return outcome;
    }
    ::setenv("TAGSQUEEZE_PROGRAM_DIR", work.c_str(), 1);
    std::vector<Setting> settings = TemplateSettings(options.template_number);
    for (const Setting& change : options.changes) {
        bool found = false;
        for (Setting& s : settings) {
            if (s.key == change.key) {
                s.value = change.value;
                found = true;
            }
        }
        // Options of a section the template does not write go after it, in their section.
        if (!found) settings.push_back(change);
    }
    const std::string ini = work + "/options.ini";
    WriteFile(ini, SettingsText(settings));
    int32_t status = 0;
    if (ReadCompressionParams(ini.c_str(), &status) != 1) {
        outcome.code = status;
        return outcome;
    }
    SetCompressionMode(0, 0, 0);
    ResetCompressionStatistics(0);
    std::filesystem::remove(output);
    outcome.code = CompressHTMLFile(source.c_str(), source.c_str(), output.c_str());
    outcome.after = FileSize(output);
    return outcome;
}

}  // namespace tsqz::render
