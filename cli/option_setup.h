// The engine's option block for a run: a base (a settings file or a switch template), then
// the --set settings, and the INI snippet that --print-options shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run/options.h"

namespace tsqz::cli {

// One --set Name=Value, checked against the option table.
struct OptionSetting {
    const OptionInfo* option;
    int32_t value;  // 0/1 for a switch, 0..5 for the entity level, 0..65535 for the width
};

// Parses "Name=Value": the name is an option block member (ASCII case ignored), the value a
// decimal number in the member's range. Throws UsageError naming the valid names or range.
OptionSetting ParseSetting(std::string_view text);

// Where the options start from.
struct OptionBase {
    std::string ini;              // a settings file whose option sections are read
    uint8_t template_number = 2;  // used when ini is empty: 1 all-off, 2 safe, 3 all-options
};

// Loads the engine's option block: the base goes into work_dir/options.ini (the settings file
// is copied, a template is written there by the engine), settings for members without a setter
// export are written into that copy, ReadCompressionParams reads it, and the remaining settings
// go through the setters in order. Returns the option block the engine now holds. Throws
// RunError when the base cannot be prepared.
OptionBlock LoadOptions(const OptionBase& base, const std::vector<OptionSetting>& settings,
                        const std::string& work_dir);

// The option block as the three INI sections of a settings file, in table order.
std::string FormatOptions(const OptionBlock& options);

// The member names, comma-separated and wrapped, for usage messages.
std::string OptionNameList();

}  // namespace tsqz::cli
