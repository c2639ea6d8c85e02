#pragma once

#include <QColor>
#include <QList>
#include <QPageRanges>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace scenova::platform {

enum class MsgIcon { None, Exclamation, Information, Question, Critical };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// One entry of a file dialog's type list: the description shown to the user
// and the patterns it stands for, separated by ';' ("*.snv" or "*.avi;*.mp3").
struct FileFilter {
  QString description;
  QString patterns;
};

struct FileDialogRequest {
  QWidget* owner = nullptr;
  QString title;
  QList<FileFilter> filters;
  int filterIndex = 1;       // 1-based, as the callers count
  QString defaultExtension;  // without the dot
  QString fileName;
  QString initialFolder;  // empty: the current directory
  bool forOpen = true;
};

// The texts of the print dialog, in the interface language ("&" marks an
// access key); noPrinter stands in the printer's place when none is
// installed.
struct PrintCaptions {
  QString title, printer, copies, pages, allPages, from, to, ok, cancel, noPrinter;
};

// What the print dialog shows and what the operator chooses in it. Plain
// values: neither the dialog nor its caller asks the print system for
// anything while it is shown.
struct PrintChoice {
  QStringList printers;  // the installed printers, in their order
  QString printer;       // the chosen one (selected when the dialog opens)
  QString file;          // a PDF file printed into instead of a printer
  int copies = 1;
  QPageRanges pages;  // empty: all pages
  PrintCaptions captions;
};

// Every modal interaction of the program goes through this interface, so that
// tests answer it and never block. All members are called on the GUI thread.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Shows a message and waits for the answer. With MsgButtons::Ok the answer
  // is always MsgAnswer::Ok; closing the box counts as Cancel (or No where
  // there is no Cancel).
  virtual MsgAnswer messageBox(QWidget* owner, const QString& text, const QString& title,
                               MsgIcon icon, MsgButtons buttons) = 0;

  // Open or save dialog. Returns the chosen absolute path, or an empty text
  // when the user cancelled. The current directory stays where it was.
  virtual QString fileDialog(const FileDialogRequest& request) = 0;

  // Lets the user choose a printer among choice.printers, the copies and
  // the pages, starting from what choice holds; what was chosen is written
  // back into it. False, and choice left as it was, when cancelled.
  virtual bool printDialog(QWidget* owner, PrintChoice& choice) = 0;

  // Colour picker opening on initial; nullopt when cancelled. customColors
  // are the dialog's custom colours (at most 16, in their order): shown in
  // it, and replaced by what the dialog holds when a colour was chosen.
  virtual std::optional<QColor> colorDialog(QWidget* owner, const QColor& initial,
                                            QList<QColor>& customColors) = 0;

  // A list to choose one entry from, opening on entry `current`. Returns
  // the index chosen, or nullopt when cancelled.
  virtual std::optional<int> choiceDialog(QWidget* owner, const QString& title,
                                          const QString& prompt, const QStringList& items,
                                          int current) = 0;
};

}  // namespace scenova::platform
