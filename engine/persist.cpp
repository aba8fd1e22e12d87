// Option persistence.
#include "persist.h"

#include "options.h"

namespace tsqz {

uint8_t ReadOptions(Engine& engine, const std::string& source, int32_t& status) {
    status = 0;
    engine.settings_source = source;
    ResetOptions(engine.options);
    engine.error_code = 0;
    engine.error_count = 0;
    return 0;
}

uint8_t WriteTemplate(Engine& engine, const std::string& target, uint8_t template_number) {
    (void)engine;
    (void)target;
    (void)template_number;
    return 0;
}

}  // namespace tsqz
