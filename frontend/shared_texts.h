// Texts that several windows show.
#pragma once

#include <QtGlobal>

namespace SharedText {

constexpr const char* kProgramTitle = QT_TRANSLATE_NOOP("SharedText", "Tagsqueeze freeware");
// The current document field when the document failed a check.
constexpr const char* kNoneSelected = QT_TRANSLATE_NOOP("SharedText", "(none selected)");
// The hint of every window's "Hints" box.
constexpr const char* kHintsCaption = QT_TRANSLATE_NOOP("SharedText", "Hi&nts");
constexpr const char* kHintsHint = QT_TRANSLATE_NOOP(
    "SharedText",
    "This checkbox enables or disables hinting for any given Tagsqueeze dialog. The default is "
    "\"hints off\" because hinting is highly inconvenient once you understand the use of the "
    "controls.");

}  // namespace SharedText
