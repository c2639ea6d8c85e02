#include "tools/print_script.h"

#include "platform/dialogs.h"
#include "ui/language_table.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>

#include <algorithm>
#include <chrono>
#include <memory>

namespace scenova::tools {

std::optional<platform::PrintChoice> PrintDialog::choose(QWidget* owner,
                                                         const QStringList& installed,
                                                         const QString& preferred,
                                                         const platform::PrintCaptions& captions) {
  platform::PrintChoice choice = last_;
  choice.printers = installed;
  choice.captions = captions;
  if (!installed.contains(choice.printer))
    choice.printer = installed.contains(preferred) ? preferred : installed.value(0);
  if (!dialogs_.printDialog(owner, choice)) return std::nullopt;
  last_ = choice;
  return choice;
}

platform::PrintCaptions printCaptions(const ui::LanguageTable& lang) {
  return {lang[236], lang[237], lang[238], lang[239], lang[240],
          lang[241], lang[242], lang[243], lang[195], lang[244]};
}

namespace {

qint64 nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

PrintSystemWait::Scope::Scope(PrintSystemWait* wait) : wait_(wait) {
  if (wait_) wait_->since_ = std::max<qint64>(1, nowMs());
}

PrintSystemWait::Scope::~Scope() {
  if (wait_) wait_->since_ = 0;
}

qint64 PrintSystemWait::waitingMs() const {
  const qint64 since = since_;
  return since == 0 ? 0 : std::max<qint64>(1, nowMs() - since);
}

std::unique_ptr<QPrinter> makePrinter(const platform::PrintChoice& choice) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  if (choice.file.isEmpty()) {
    printer->setOutputFormat(QPrinter::NativeFormat);
    printer->setPrinterName(choice.printer);
    // An unknown name leaves another printer in place: the job would go
    // there.
    if (printer->printerName() != choice.printer) return nullptr;
  } else {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(choice.file);
  }
  printer->setCopyCount(choice.copies);
  printer->setPrintRange(choice.pages.isEmpty() ? QPrinter::AllPages : QPrinter::PageRange);
  printer->setPageRanges(choice.pages);
  return printer;
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
bool printerGone(const QPrinter& printer, PrintSystemWait* wait) {
  const PrintSystemWait::Scope asking(wait);
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
                   const std::function<void(int, int)>& progress, QString* error,
                   PrintSystemWait* wait) {
  if (error) error->clear();
  if (printerGone(printer, wait)) return fail(printer, error);
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
  {
    // The job goes to the print system here.
    const PrintSystemWait::Scope handing(wait);
    if (!painter.end()) return fail(printer, error);
  }
  if (printerGone(printer, wait)) return fail(printer, error);
  return true;
}

bool SelPrint(const QTextEdit& editor, QPrinter& printer,
              const std::function<void(int, int)>& progress, QString* error) {
  const std::unique_ptr<QTextDocument> doc = printableCopy(editor);
  return printDocument(*doc, printer, progress, error);
}

}  // namespace scenova::tools
