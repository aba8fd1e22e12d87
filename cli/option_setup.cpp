// The engine's option block for a run.
#include "cli/option_setup.h"

#include <dlfcn.h>

#include <charconv>

#include "cli/usage_error.h"
#include "engine/include/tagsqueeze.h"
#include "platform/files.h"
#include "platform/profile.h"

namespace tsqz::cli {
namespace {

constexpr std::string_view kWidthSetter = "RewrapLines";

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

const OptionInfo* FindRow(std::string_view name) {
    for (const OptionInfo& row : kOptionTable) {
        if (EqualsIgnoreCase(row.name, name)) return &row;
    }
    return nullptr;
}

int32_t HighestValue(OptionKind kind) {
    switch (kind) {
        case OptionKind::Switch:
            return 1;
        case OptionKind::Level:
            return 5;
        case OptionKind::Width:
            return 65535;
    }
    return 0;
}

// What the engine makes of a value stored in a settings file: a switch is on at 1 or more,
// the level is taken as it stands, the width is normalised.
void StoreReadValue(OptionBlock& options, const OptionInfo& row, int32_t value) {
    switch (row.kind) {
        case OptionKind::Switch:
            options.*row.byte_member = value >= 1 ? 1 : 0;
            break;
        case OptionKind::Level:
            options.*row.byte_member = static_cast<uint8_t>(value >= 0 && value <= 255 ? value : 0);
            break;
        case OptionKind::Width:
            options.WordWrap = NormalizeWordWrap(value);
            break;
    }
}

// The switch setter the option table names, looked up by that name in the engine library the
// tool is linked with, so the table stays the one list of setter names.
using SwitchSetter = decltype(&CompressSTRONG2B);
SwitchSetter FindSwitchSetter(std::string_view name) {
    void* symbol = ::dlsym(RTLD_DEFAULT, std::string(name).c_str());
    if (!symbol) throw RunError("the engine library has no export " + std::string(name));
    return reinterpret_cast<SwitchSetter>(symbol);
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
    const OptionInfo* row = FindRow(name);
    if (equals == std::string_view::npos || !row) {
        throw UsageError("--set " + std::string(text) + ": unknown option name \"" +
                         std::string(name) + "\"; valid names:\n" + OptionNameList());
    }
    const std::string_view value_text = text.substr(equals + 1);
    const int32_t highest = HighestValue(row->kind);
    int32_t value = -1;
    const char* end = value_text.data() + value_text.size();
    const auto [stop, error] = std::from_chars(value_text.data(), end, value);
    if (value_text.empty() || error != std::errc() || stop != end || value < 0 || value > highest) {
        throw UsageError("--set " + std::string(text) + ": " + std::string(row->name) +
                         " takes a number from 0 to " + std::to_string(highest) +
                         "; valid names:\n" + OptionNameList());
    }
    return {row, value};
}

OptionBlock LoadOptions(const OptionBase& base, const std::vector<OptionSetting>& settings,
                        const std::string& work_dir) {
    const std::string copy = work_dir + "/options.ini";
    PrepareBase(base, copy);

    platform::ProfileFile profile;
    if (profile.Load(copy) != platform::ReadResult::kOk) throw RunError("cannot read " + copy);
    // Members without a setter export reach the engine only through the settings it reads.
    for (const OptionSetting& setting : settings) {
        if (setting.option->setter.empty()) {
            profile.Write(setting.option->section, setting.option->name,
                          std::to_string(setting.value));
        }
    }
    if (!profile.Save(copy)) throw RunError("cannot write " + copy);

    int32_t status = 0;
    ReadCompressionParams(copy.c_str(), &status);
    if (status != 0) {
        throw RunError("the engine could not read its options from " + copy + " (status " +
                       std::to_string(status) + ")");
    }

    OptionBlock options;
    for (const OptionInfo& row : kOptionTable) {
        const int32_t fallback = row.kind == OptionKind::Width ? 254 : 0;
        StoreReadValue(options, row, profile.ReadInt(row.section, row.name, fallback));
    }

    bool width_changed = false;
    for (const OptionSetting& setting : settings) {
        const OptionInfo& row = *setting.option;
        if (row.setter.empty()) continue;
        if (row.kind == OptionKind::Width) {
            options.WordWrap = NormalizeWordWrap(setting.value);
            width_changed = true;
        } else if (row.setter == kWidthSetter) {
            options.*row.byte_member = static_cast<uint8_t>(setting.value);
            width_changed = true;
        } else if (row.kind == OptionKind::Level) {
            unsigned char level = static_cast<unsigned char>(setting.value);
            options.*row.byte_member = CompressCharEntities(&level);
        } else {
            options.*row.byte_member =
                FindSwitchSetter(row.setter)(static_cast<unsigned char>(setting.value));
        }
    }
    // The width and line optimisation share one setter, which turns optimisation on with every
    // width it stores: give it the final width, then turn optimisation off again if it is off.
    if (width_changed) {
        RewrapLines(options.WordWrap);
        if (!options.OptimizeLines) RewrapLines(-1);
    }
    return options;
}

std::string FormatOptions(const OptionBlock& options) {
    std::string text;
    std::string_view section;
    for (const OptionInfo& row : kOptionTable) {
        if (row.section != section) {
            if (!section.empty()) text += '\n';
            section = row.section;
            text += "[" + std::string(section) + "]\n";
        }
        const int value =
            row.kind == OptionKind::Width ? options.WordWrap : options.*row.byte_member;
        text += std::string(row.name) + "=" + std::to_string(value) + "\n";
    }
    return text;
}

std::string OptionNameList() {
    std::string list = "  ";
    size_t line_length = 2;
    for (size_t i = 0; i < kOptionTable.size(); ++i) {
        std::string item(kOptionTable[i].name);
        if (i + 1 < kOptionTable.size()) item += ",";
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
