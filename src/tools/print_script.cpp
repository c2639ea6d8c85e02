#include "tools/print_script.h"

#include "platform/dialogs.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include <memory>

namespace scenova::tools {

PrintDialog::PrintDialog(platform::Dialogs& dialogs, QPrinter& current,
                         std::function<QStringList()> installed)
    : dialogs_(dialogs), printer_(current), installed_(std::move(installed)) {}

void PrintDialog::makeCurrent(const QString& name) {
  if (printer_.outputFormat() == QPrinter::PdfFormat && !name.isEmpty())
    printer_.setOutputFormat(QPrinter::NativeFormat);
  printer_.setPrinterName(name);
}

bool PrintDialog::ChoosePrinter(QWidget* owner, const QString& preferred, int) {
  const QString before = printer_.printerName();
  const QPrinter::OutputFormat formatBefore = printer_.outputFormat();
  const QString fileBefore = printer_.outputFileName();
  const QStringList names = installed_ ? installed_() : QStringList();
  if (!preferred.isEmpty()) {
    for (const QString& n : names) {
      if (n.contains(preferred, Qt::CaseInsensitive)) {
        makeCurrent(n);
        break;
      }
    }
  }
  if (!dialogs_.printDialog(owner, printer_)) {
    // Undo the pre-selection: the printer of before the call stays current.
    printer_.setPrinterName(before);
    printer_.setOutputFormat(formatBefore);
    printer_.setOutputFileName(fileBefore);
    return false;
  }
  // The dialog has set the chosen printer and its settings on printer_.
  return true;
}

QStringList installedPrinters() {
  return QPrinterInfo::availablePrinterNames();
}

bool SelPrint(const QTextEdit& editor, QPrinter& printer,
              const std::function<void(int, int)>& progress, QString* error) {
  std::unique_ptr<QTextDocument> doc;
  const QTextCursor selection = editor.textCursor();
  if (selection.hasSelection()) {
    doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(editor.document()->defaultFont());
    QTextCursor(doc.get()).insertFragment(selection.selection());
  } else {
    doc.reset(editor.document()->clone());
  }
  QPainter painter;
  if (!painter.begin(&printer)) {
    if (error)
      *error = printer.printerName().isEmpty() ? printer.outputFileName() : printer.printerName();
    return false;
  }
  // Laid out for the printer's resolution and page: lines that do not fit
  // on a page move whole to the next one.
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  doc->documentLayout()->setPaintDevice(&printer);
  doc->setPageSize(page.size());
  const int pages = doc->pageCount();
  for (int i = 0; i < pages; ++i) {
    if (i > 0 && !printer.newPage()) break;
    painter.save();
    const QRectF clip(0, i * page.height(), page.width(), page.height());
    painter.translate(0, -clip.top());
    painter.setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    context.palette.setColor(QPalette::Text, Qt::black);
    doc->documentLayout()->draw(&painter, context);
    painter.restore();
    if (progress) progress(i + 1, pages);
  }
  return painter.end();
}

}  // namespace scenova::tools
