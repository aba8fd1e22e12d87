// Attribute quote removal.
#include "passes.h"

namespace tsqz {

void RemoveAttributeQuotes(Engine&, Text&) {}

}  // namespace tsqz
