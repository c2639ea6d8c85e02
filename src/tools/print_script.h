#pragma once

// Printing the script: choosing the printer (the platform's print dialog,
// pre-set to a preferred printer and undone on cancel) and printing the
// selection, or the whole script when nothing is selected, with its
// formatting, page by page.

#include <QString>
#include <QStringList>

#include <QList>
#include <functional>
#include <memory>

class QPrinter;
class QTextDocument;
class QTextEdit;
class QWidget;

namespace scenova::platform {
class Dialogs;
}

namespace scenova::tools {

class PrintDialog {
 public:
  // current: the printer output goes to, kept by the caller between prints.
  // installed: the names of the installed printers, in their order (Qt's
  // list of the system's printers in the program).
  PrintDialog(platform::Dialogs& dialogs, QPrinter& current,
              std::function<QStringList()> installed);

  // Pre-selects the first installed printer whose name contains the
  // preferred name (any case), shows the dialog and keeps what the operator
  // chose there (printer, copies, duplex, orientation, paper size,
  // resolution, colour mode, paper source). Cancel puts the printer from
  // before the call back and returns false.
  bool ChoosePrinter(QWidget* owner, const QString& preferred, int flags = 64);

 private:
  void makeCurrent(const QString& name);

  platform::Dialogs& dialogs_;
  QPrinter& printer_;
  std::function<QStringList()> installed_;
};

// Names of the printers the system offers (through CUPS).
QStringList installedPrinters();

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
bool printDocument(QTextDocument& doc, QPrinter& printer,
                   const std::function<void(int, int)>& progress = {}, QString* error = nullptr);

// Prints the editor's selection, or its whole text when nothing is
// selected, on the printer, here and now (printableCopy + printDocument).
bool SelPrint(const QTextEdit& editor, QPrinter& printer,
              const std::function<void(int, int)>& progress = {}, QString* error = nullptr);

}  // namespace scenova::tools
