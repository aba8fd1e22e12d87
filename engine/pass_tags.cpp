// Phrase-tag conversions and optional end-tag removal.
#include "passes.h"

namespace tsqz {

void ApplyTagRule(Engine&, Text&, TagRule) {}

}  // namespace tsqz
