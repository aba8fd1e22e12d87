// Option persistence: the option block in an INI file or in the key store.
//
// A source or target containing "HKEY_" (exact case) anywhere names a key of the key store;
// anything else is the path of an INI file. Stored values outside the members' ranges are
// taken the way the members' setters take them: a WordWrap above 65535 is 65535 (below 1 it is
// 254, as 0 is), and a StandardizeChars outside 0..255 is 0.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "run/engine.h"

namespace tsqz {

// ReadCompressionParams: resets the option block as InitCompressionParams does, then loads it
// from the source. Sets status 0, or 1 for an INI file that is missing or cannot be read, or
// -19 (also the engine's error code) for a key that cannot be opened; returns 1 when the
// options were read, else 0.
uint8_t ReadOptions(Engine& engine, const std::string& source, int32_t& status);

// WriteSwitchTemplate: template 0 deletes the stored options; 1..3 write the all-off, safe or
// all-options template; 17..19 write only its "Tag Options" (in the key store, all of it).
// Returns 1 when the work was done, else 0: any other number, an INI file that cannot be read
// or written, or a key that cannot be created or deleted (error code -19) or whose first value
// cannot be written.
uint8_t WriteTemplate(Engine& engine, const std::string& target, uint8_t template_number);

// One member's value in the three switch templates.
struct TemplateRow {
    std::string_view name;
    std::array<uint16_t, 3> values;  // all-off, safe, all-options
};
std::span<const TemplateRow> SwitchTemplates();

}  // namespace tsqz
