#pragma once

// Printing the script: choosing the printer, the copies and the pages in
// the program's own print dialog (the choice made last is offered again),
// and printing the selection, or the whole script when nothing is
// selected, with its formatting, page by page. Only a worker asks the print
// system (the printer's page, its resolution, the job's hand-over): a
// stalled print server holds the worker, never the window.

#include "platform/dialogs.h"

#include <QString>
#include <QStringList>

#include <QList>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QPrinter;
class QTextDocument;
class QTextEdit;
class QWidget;

namespace scenova::ui {
class LanguageTable;
}

namespace scenova::tools {

class PrintDialog {
 public:
  explicit PrintDialog(platform::Dialogs& dialogs) : dialogs_(dialogs) {}

  // Shows the dialog with the installed printers, opening on the printer
  // chosen last while it is installed, else on the print system's preferred
  // one, else on the first; copies and pages as chosen last. The choice, or
  // nullopt when cancelled (the last choice then stays).
  std::optional<platform::PrintChoice> choose(QWidget* owner, const QStringList& installed,
                                              const QString& preferred,
                                              const platform::PrintCaptions& captions);

 private:
  platform::Dialogs& dialogs_;
  platform::PrintChoice last_;
};

// The print dialog's texts in the interface language.
platform::PrintCaptions printCaptions(const ui::LanguageTable& lang);

// Since when a worker waits on the print system, so that the window can
// tell a stalled print system from a long job.
class PrintSystemWait {
 public:
  // Marks its lifetime as a wait (nothing when wait is null).
  class Scope {
   public:
    explicit Scope(PrintSystemWait* wait);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    PrintSystemWait* wait_;
  };
  // How long the current wait has lasted, in ms; 0 while not waiting.
  qint64 waitingMs() const;

 private:
  std::atomic<qint64> since_{0};
};

// A printer set up as chosen (printer or file, copies, pages); null when
// the chosen printer is not installed (any more). Asks the print system:
// only on a worker.
std::unique_ptr<QPrinter> makePrinter(const platform::PrintChoice& choice);

// A copy of what a print of the editor prints: its selection with its
// formatting, or the whole script when nothing is selected. Edits made to
// the editor afterwards do not reach the copy.
std::unique_ptr<QTextDocument> printableCopy(const QTextEdit& editor);

// The pages (from 1) of a document of pageCount pages that a print on the
// printer prints: those of the page range chosen in the print dialog, or
// all of them.
QList<int> pagesToPrint(const QPrinter& printer, int pageCount);

// Lays the document out for the printer's page and prints it page by page,
// only the pages of a chosen page range; lines are never cut at a page
// break. progress runs after each page (page,
// pages). False, with the printer's name in *error, when the printer cannot
// be opened, when the page range holds no page of the document or is no longer installed before or
// after the job. Needs no widget: it may run on a worker thread while nothing else uses the
// printer.
// The calls into the print system are marked in *wait when given.
bool printDocument(QTextDocument& doc, QPrinter& printer,
                   const std::function<void(int, int)>& progress = {}, QString* error = nullptr,
                   PrintSystemWait* wait = nullptr);

// Prints the editor's selection, or its whole text when nothing is
// selected, on the printer, here and now (printableCopy + printDocument).
bool SelPrint(const QTextEdit& editor, QPrinter& printer,
              const std::function<void(int, int)>& progress = {}, QString* error = nullptr);

}  // namespace scenova::tools
