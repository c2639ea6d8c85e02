#pragma once

// The program's way into the open and save dialogs, and the type lists its
// dialogs offer.

#include "platform/dialogs.h"

namespace scenova::ui {
class LanguageTable;
}

namespace scenova::app {

struct FileDialogArgs {
  QWidget* owner = nullptr;
  QString initialFolder;  // empty: the current directory
  QList<platform::FileFilter> filter;
  int filterIndex = 1;
  QString defaultExtension;
  QString fileName;
  QString title;
  bool forOpen = false;
};

// Shows the dialog; the chosen path, or an empty text when the user
// cancelled. The dialog itself leaves the current directory alone.
QString ShowFileDialog(platform::Dialogs& dialogs, const FileDialogArgs& args);

// The text up to its first NUL character.
QString TrimAtNul(const QString& text);

// "File SNV (Scenova File)" *.snv, "File RTF" *.rtf, "File TXT" *.txt.
QList<platform::FileFilter> scriptFilter();
// Text 41 with the media patterns, then text 26 with "*.*".
QList<platform::FileFilter> mediaFilter(const ui::LanguageTable& lang);

}  // namespace scenova::app
