// Caption text helpers for controls whose captions span several lines.
#pragma once

#include <QString>

// Captions are stored with "\r\n" between their lines; Qt's buttons and labels break lines at
// "\n" alone and would draw the "\r" as a stray glyph.
inline QString multiLineCaption(QString caption) {
    caption.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return caption;
}
