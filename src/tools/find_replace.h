#pragma once

// Replace All on plain text, without a window: every occurrence of a search
// text, case ignored, gives way to the replacement.
//
// The first occurrence is looked for inside the selection when there is one
// (none there: nothing is replaced). After each replacement the search
// starts again from the top of the script, so that an occurrence formed
// around a replacement is replaced as well; this runs in time linear in the
// script's length, not once per replacement. When the replacement itself
// contains the search text, or when replacements keep forming new
// occurrences around themselves (more replacements than four times the
// text's length), that search would never end or take exponential time: the
// occurrences of the original text are then replaced once each, left to
// right, never searching inside a text just inserted.
//
// Matches never cut a line break: a search text that starts with LF or ends
// with CR (only half of a CR LF) replaces nothing. Line breaks in the
// replacement are written as CR LF, as the editor keeps them.

#include "tools/undo_history.h"

#include <QString>

#include <vector>

namespace scenova::tools {

struct ReplaceAllResult {
  int count = 0;
  // Ascending, in positions of the original text.
  std::vector<TextEdit> edits;
  // After the last replacement, in the new text.
  int caret = 0;
};

ReplaceAllResult replaceAll(QStringView text, int selStart, int selLength, const QString& search,
                            const QString& replacement);

// The replacement as the editor will hold it (CR LF for any line break).
QString editorLineBreaks(const QString& text);

}  // namespace scenova::tools
