// The engine's option block for a run.
#include "cli/option_setup.h"

#include <charconv>

#include "cli/usage_error.h"
#include "engine/include/tagsqueeze.h"
#include "platform/files.h"

namespace tsqz::cli {
namespace {

std::vector<TsqzOptionInfo> Options() {
    std::vector<TsqzOptionInfo> options(static_cast<size_t>(TsqzOptionCount()));
    for (size_t i = 0; i < options.size(); ++i) {
        TsqzDescribeOption(static_cast<int32_t>(i), &options[i]);
    }
    return options;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

void PrepareBase(const OptionBase& base, const std::string& copy) {
    if (base.ini.empty()) {
        if (WriteSwitchTemplate(copy.c_str(), base.template_number) == 0 ||
            !platform::FileExists(copy)) {
            throw RunError("the engine could not write its switch template to " + copy);
        }
        return;
    }
    std::string bytes;
    if (platform::ReadWholeFile(base.ini, bytes) != platform::ReadResult::kOk) {
        throw RunError("cannot read the settings file " + base.ini);
    }
    if (!platform::WriteFileAtomically(copy, bytes)) {
        throw RunError("cannot write " + copy);
    }
}

}  // namespace

OptionSetting ParseSetting(std::string_view text) {
    const size_t equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    const std::vector<TsqzOptionInfo> options = Options();
    const TsqzOptionInfo* row = nullptr;
    for (const TsqzOptionInfo& option : options) {
        if (EqualsIgnoreCase(option.name, name)) row = &option;
    }
    if (equals == std::string_view::npos || !row) {
        throw UsageError("--set " + std::string(text) + ": unknown option name \"" +
                         std::string(name) + "\"; valid names:\n" + OptionNameList());
    }
    const std::string_view value_text = text.substr(equals + 1);
    int32_t value = -1;
    const char* end = value_text.data() + value_text.size();
    const auto [stop, error] = std::from_chars(value_text.data(), end, value);
    if (value_text.empty() || error != std::errc() || stop != end || value < row->lowest ||
        value > row->highest) {
        throw UsageError("--set " + std::string(text) + ": " + std::string(row->name) +
                         " takes a number from " + std::to_string(row->lowest) + " to " +
                         std::to_string(row->highest) + "; valid names:\n" + OptionNameList());
    }
    return {row->name, value};
}

void LoadOptions(const OptionBase& base, const std::vector<OptionSetting>& settings,
                 const std::string& work_dir) {
    const std::string copy = work_dir + "/options.ini";
    PrepareBase(base, copy);

    int32_t status = 0;
    ReadCompressionParams(copy.c_str(), &status);
    if (status != 0) {
        throw RunError("the engine could not read its options from " + copy + " (status " +
                       std::to_string(status) + ")");
    }
    for (const OptionSetting& setting : settings) {
        if (!TsqzSetOption(setting.name.c_str(), setting.value)) {
            throw RunError("the engine does not take " + setting.name + "=" +
                           std::to_string(setting.value));
        }
    }
}

std::string FormatOptions() {
    std::string text;
    std::string_view section;
    for (const TsqzOptionInfo& option : Options()) {
        if (option.section != section) {
            if (!section.empty()) text += '\n';
            section = option.section;
            text += "[" + std::string(section) + "]\n";
        }
        int32_t value = 0;
        TsqzGetOption(option.name, &value);
        text += std::string(option.name) + "=" + std::to_string(value) + "\n";
    }
    return text;
}

std::string OptionNameList() {
    const std::vector<TsqzOptionInfo> options = Options();
    std::string list = "  ";
    size_t line_length = 2;
    for (size_t i = 0; i < options.size(); ++i) {
        std::string item(options[i].name);
        if (i + 1 < options.size()) item += ",";
        if (line_length + item.size() + 1 > 78) {
            list += "\n  ";
            line_length = 2;
        } else if (i > 0) {
            list += ' ';
            ++line_length;
        }
        list += item;
        line_length += item.size();
    }
    return list;
}

}  // namespace tsqz::cli
