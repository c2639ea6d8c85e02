#pragma once

// Printing the script, the text colour, the About box, help and the web
// links of the Help menu. Lives as long as the window: the printer chosen
// last stays current.

#include "tools/about_box.h"
#include "tools/help_links.h"
#include "tools/print_script.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace scenova::platform {
class PrinterQuery;
}
namespace scenova::tools {
class PrintJob;
class FrmInfo;
}  // namespace scenova::tools

namespace scenova::app {

class Form1;

class PrintHelpCommands : public QObject {
  Q_OBJECT
 public:
  explicit PrintHelpCommands(Form1& form);
  ~PrintHelpCommands() override;

  // Ctrl+P, toolbar 3, mnuStampa: the printer dialog, then the script
  // prints in the background (a notice counts the pages of long scripts).
  void print();
  // Once the print system has named its printers (and the one it prefers):
  // the print dialog.
  void choosePrinter(const QStringList& names, const QString& preferred);
  // Toolbar 13: the colour dialog for the selection.
  void color();
  // Ctrl+F1, mnuInfo: the About box in place of the window.
  void about();
  // F1, mnuGuida, and the web links of the Help and Donations menus.
  tools::HelpLinks& links() { return links_; }

  tools::FrmInfo* info() const { return info_; }

 private:
  Form1& form_;
  tools::HelpLinks links_;
  static constexpr int kPrintSystemWaitMs = 4000;
  // The notice of a job that the print system keeps waiting.
  static constexpr int kPrintWaits = 288;
  tools::PrintDialog chooser_;
  tools::PrintJob* job_;
  platform::PrinterQuery* query_;
  QPointer<tools::FrmInfo> info_;
};

}  // namespace scenova::app
