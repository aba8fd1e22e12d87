// Font tag compression: relative sizes and BIG/SMALL.
#include "passes.h"

namespace tsqz {

void ShrinkFonts(Engine&, Text&) {}

}  // namespace tsqz
