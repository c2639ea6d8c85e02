#pragma once

// The desktop's file-type registration for scripts run from a program folder
// (an installed program comes with its own files): a shared-MIME-info type
// for "*.snv", a desktop entry that opens such files with the program in a
// given folder, and that entry as the type's default handler when the user
// has none, all per user.

#include <QByteArray>
#include <QString>

namespace scenova::platform {

inline constexpr char kScriptMimeType[] = "application/x-scenova-script";
inline constexpr char kDesktopEntryName[] = "scenova.desktop";

QByteArray scriptMimePackage();

// The desktop entry whose Exec runs programFolder's executable with the
// file. Empty when the folder cannot be written into an entry (a line break
// in its name).
QByteArray scriptDesktopEntry(const QString& programFolder);

// An Exec argument quoted as the desktop entry format requires.
QString quoteExecArgument(const QString& argument);

// The mimeapps.list content with the entry as the type's default handler
// when the list names none for the type; every other line is kept. A list
// that names a handler (the user's choice) comes back unchanged.
QByteArray withDefaultHandler(const QByteArray& mimeappsList);

// Writes the three files below dataHome and configHome when their content
// changed, and refreshes the desktop's caches when a program for that is
// installed (without waiting). Returns whether anything was written.
bool registerScriptFileType(const QString& programFolder, const QString& dataHome,
                            const QString& configHome);

}  // namespace scenova::platform
