#pragma once

// Script files on disk: whatever their extension they hold RTF (a file that
// is not RTF is read as plain text). Shared by the editor and the headless
// export commands; no widgets needed.

#include <QString>

#include <atomic>

class QTextDocument;

namespace scenova::platform {

// Reads the file into doc, replacing its content. On failure (the file cannot
// be read, is not a regular file, is larger than kMaxScriptFileBytes, or
// holds nothing usable) returns false, leaves doc as it was and puts a
// one-line reason into *error.
// permille (when given) follows the reading from 0 to 1000.
bool readScriptFile(const QString& path, QTextDocument& doc, QString* error = nullptr,
                    std::atomic<int>* permille = nullptr);

// Writes doc as RTF: into a temporary file beside path, renamed over path
// once complete. On failure returns false with a reason in *error; the old
// file at path is then untouched.
bool writeScriptFile(const QString& path, const QTextDocument& doc, QString* error = nullptr);

}  // namespace scenova::platform
