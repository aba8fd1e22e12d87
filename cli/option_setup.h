// The engine's option block for a run: a base (a settings file or a switch template), then
// the --set settings, and the INI snippet that --print-options shows. The option names,
// sections and ranges come from the engine's option table through its public functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tsqz::cli {

// One --set Name=Value, checked against the engine's option table.
struct OptionSetting {
    std::string name;  // the table's spelling
    int32_t value;     // in the option's range
};

// Parses "Name=Value": the name is an option of the engine (ASCII case ignored), the value a
// decimal number in the option's range. Throws UsageError naming the valid names or range.
OptionSetting ParseSetting(std::string_view text);

// Where the options start from.
struct OptionBase {
    std::string ini;              // a settings file whose option sections are read
    uint8_t template_number = 2;  // used when ini is empty: 1 all-off, 2 safe, 3 all-options
};

// Loads the engine's option block: the base goes into work_dir/options.ini (the settings file
// is copied, a template is written there by the engine), ReadCompressionParams reads it, and
// the settings are set by name in order. Throws RunError when the base cannot be prepared.
void LoadOptions(const OptionBase& base, const std::vector<OptionSetting>& settings,
                 const std::string& work_dir);

// The engine's option block as the INI sections of a settings file, in table order.
std::string FormatOptions();

// The option names, comma-separated and wrapped, for usage messages.
std::string OptionNameList();

}  // namespace tsqz::cli
