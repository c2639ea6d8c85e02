#pragma once

// Printing the script: choosing the printer (the platform's print dialog,
// pre-set to a preferred printer and undone on cancel) and printing the
// selection, or the whole script when nothing is selected, with its
// formatting, page by page.

#include <QString>
#include <QStringList>

#include <functional>

class QPrinter;
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

// Prints the editor's selection, or its whole text when nothing is
// selected, on the printer. Lines are never cut at a page break. progress
// runs after each page (page, pages) so the caller can show it and let the
// window repaint. False, with the reason in *error, when the printer cannot
// be opened.
bool SelPrint(const QTextEdit& editor, QPrinter& printer,
              const std::function<void(int, int)>& progress = {}, QString* error = nullptr);

}  // namespace scenova::tools
