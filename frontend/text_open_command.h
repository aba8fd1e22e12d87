// The system's open command for text files: the desktop entry that the MIME database names
// as the default for text/plain, cut just before its first "%".
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace TextOpenCommand {

// The command of the installed default text editor, or empty text when none is found.
QString systemCommand();

// The folders that hold desktop entries, most important first ($XDG_DATA_HOME, then
// $XDG_DATA_DIRS, each followed by "/applications").
QStringList applicationDirectories();

// The file of a desktop entry id such as "org.example.Editor.desktop"; an id names a file in a
// subfolder by a "-" in place of the "/" ("kde-kate.desktop" may be "kde/kate.desktop").
// Empty text when no folder holds it.
QString findDesktopEntry(const QString& desktopId, const QStringList& directories);

// The Exec line of the entry's main group cut before its first "%" (the rest, trailing blank
// included, is kept). Empty text when there is none, or when the program needs a terminal,
// since a program started from here would have none.
QString commandFromDesktopEntry(const QByteArray& contents);

}  // namespace TextOpenCommand
