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

std::unique_ptr<QTextDocument> printableCopy(const QTextEdit& editor) {
  const QTextCursor selection = editor.textCursor();
  if (!selection.hasSelection()) return std::unique_ptr<QTextDocument>(editor.document()->clone());
  auto doc = std::make_unique<QTextDocument>();
  doc->setDefaultFont(editor.document()->defaultFont());
  QTextCursor(doc.get()).insertFragment(selection.selection());
  return doc;
}

namespace {

QString printerLabel(const QPrinter& printer) {
  return printer.outputFormat() == QPrinter::NativeFormat ? printer.printerName()
                                                          : printer.outputFileName();
}

// A system printer that was removed after it was chosen takes no job: the
// print system would drop it without a word.
bool printerGone(const QPrinter& printer) {
  return printer.outputFormat() == QPrinter::NativeFormat &&
         QPrinterInfo::printerInfo(printer.printerName()).isNull();
}

bool fail(const QPrinter& printer, QString* error) {
  if (error) *error = printerLabel(printer);
  return false;
}

}  // namespace

QList<int> pagesToPrint(const QPrinter& printer, int pageCount) {
  QList<int> pages;
  const QPageRanges ranges =
      printer.printRange() == QPrinter::PageRange ? printer.pageRanges() : QPageRanges();
  for (int page = 1; page <= pageCount; ++page)
    if (ranges.isEmpty() || ranges.contains(page)) pages.append(page);
  return pages;
}

bool printDocument(QTextDocument& doc, QPrinter& printer,
                   const std::function<void(int, int)>& progress, QString* error) {
  if (error) error->clear();
  if (printerGone(printer)) return fail(printer, error);
  // Laid out for the printer's resolution and page: lines that do not fit
  // on a page move whole to the next one.
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  doc.documentLayout()->setPaintDevice(&printer);
  doc.setPageSize(page.size());
  // A range beyond the last page prints nothing, not an empty sheet.
  const QList<int> pages = pagesToPrint(printer, doc.pageCount());
  if (pages.isEmpty()) return fail(printer, error);
  QPainter painter;
  if (!painter.begin(&printer)) return fail(printer, error);
  for (qsizetype n = 0; n < pages.size(); ++n) {
    if (n > 0 && !printer.newPage()) break;
    const int i = pages[n] - 1;
    painter.save();
    const QRectF clip(0, i * page.height(), page.width(), page.height());
    painter.translate(0, -clip.top());
    painter.setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    context.palette.setColor(QPalette::Text, Qt::black);
    doc.documentLayout()->draw(&painter, context);
    painter.restore();
    if (progress) progress(int(n + 1), int(pages.size()));
  }
  if (!painter.end()) return fail(printer, error);
  if (printerGone(printer)) return fail(printer, error);
  return true;
}

bool SelPrint(const QTextEdit& editor, QPrinter& printer,
              const std::function<void(int, int)>& progress, QString* error) {
  const std::unique_ptr<QTextDocument> doc = printableCopy(editor);
  return printDocument(*doc, printer, progress, error);
}

}  // namespace scenova::tools
