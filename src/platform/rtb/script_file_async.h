#pragma once

// Reading and writing a script file without holding the thread that owns the
// editor: the work happens on a worker thread (and, for a write, in slices
// of a few milliseconds between the caller's events) while the caller's
// event loop goes on, so the window repaints and answers input. Both calls
// return when the work is done, as the plain calls of script_file.h do, and
// report failures the same way.

#include <QString>

#include <functional>
#include <memory>

class QFont;
class QTextDocument;

namespace scenova::platform {

// Reads the file into a new document that belongs to the calling thread
// (without a layout). Null, with *error, when it cannot be read. The
// temporary files that killed saves of it left beside it go.
// progress: called now and then on the calling thread with how far the
// work has come, in percent (both calls).
using Progress = std::function<void(int percent)>;

std::unique_ptr<QTextDocument> readScriptFileInBackground(const QString& path,
                                                          const QFont& defaultFont,
                                                          QString* error = nullptr,
                                                          const Progress& progress = {});

// Writes doc as RTF through a temporary file renamed over path. The copy is
// of one moment; *changedMeanwhile tells whether doc changed after that
// moment (the file then holds the script as it was before the change).
bool writeScriptFileInBackground(const QString& path, const QTextDocument& doc,
                                 QString* error = nullptr, bool* changedMeanwhile = nullptr,
                                 const Progress& progress = {});

}  // namespace scenova::platform
