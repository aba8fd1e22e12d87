// Empty and redundant tag removal.
#include "passes.h"

namespace tsqz {

void RemoveEmptyTags(Engine&, Text&) {}

}  // namespace tsqz
