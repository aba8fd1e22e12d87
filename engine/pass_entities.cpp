// Character entities and the charset declaration.
#include "passes.h"

namespace tsqz {

void CompressEntities(Engine&, Text&) {}
void InsertCharsetDeclaration(Engine&, Text&, bool) {}

}  // namespace tsqz
