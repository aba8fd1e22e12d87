// Head and comment clean-up: comments, META, DOCTYPE, text outside the HTML element.
#include "passes.h"

namespace tsqz {

void RemoveComments(Engine&, Text&) {}
void RemoveMetaTags(Engine&, Text&) {}
void RemoveGeneratorMeta(Engine&, Text&) {}
void RemoveDoctype(Engine&, Text&) {}
void RemoveNonHTMLContent(Engine&, Text&) {}

}  // namespace tsqz
