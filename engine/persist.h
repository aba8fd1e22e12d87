// Option persistence: the option block in an INI file or in the key store.
#pragma once

#include <cstdint>
#include <string>

#include "engine.h"

namespace tsqz {

// ReadCompressionParams: resets the option block, then loads it from the source. Sets status
// (0, 1 for a missing INI file, -19 for a key that cannot be opened); returns 1 or 0.
uint8_t ReadOptions(Engine& engine, const std::string& source, int32_t& status);

// WriteSwitchTemplate: template 0 deletes the stored options; 1..3 write a whole template;
// 17..19 its tag options only (INI). Returns 1 when the work was done, else 0.
uint8_t WriteTemplate(Engine& engine, const std::string& target, uint8_t template_number);

}  // namespace tsqz
