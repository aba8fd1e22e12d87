// Whitespace and line layout.
#include "passes.h"

namespace tsqz {

void ConvertLineEnds(Engine&, Text&) {}
void RemoveUnneededSpaces(Engine&, Text&) {}
void RemoveEmptyLines(Engine&, Text&) {}
void JoinLines(Engine&, Text&) {}
void RewrapText(Engine&, Text&) {}

}  // namespace tsqz
