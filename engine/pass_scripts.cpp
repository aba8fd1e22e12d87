// Script, ASP and style-sheet compression.
#include "passes.h"

namespace tsqz {

int32_t CompressScriptBlock(Engine&, Text&) { return 0; }
void CompressStyleBlock(Engine&, Text&) {}
void CompressASPDocument(Engine&, Text&) {}

}  // namespace tsqz
