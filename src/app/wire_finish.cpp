// Printing, the text colour, the About box, help and the web links.

#include "entry_points.h"
#include "form1.h"
#include "platform/dialogs.h"
#include "platform/printer_query.h"
#include "platform/rtb/rtb.h"
#include "tools/about_box.h"
#include "tools/help_links.h"
#include "tools/print_job.h"
#include "tools/print_script.h"
#include "tools/show_color.h"
#include "wiring.h"

#include <QAction>
#include <QPointer>
#include <QPrinter>

#include <memory>
#include <optional>

namespace scenova::app {

namespace {

// Lives as long as the window: the printer chosen last stays current.
class FinishTools final : public QObject {
 public:
  explicit FinishTools(Form1& form)
      : QObject(&form),
        form_(form),
        links_(form.lang, *form.services().system, form.programFolder(),
               [&form](const QString& text) { form.ShowNotice(text); }),
        job_(new tools::PrintJob(this)),
        query_(new platform::PrinterQuery(this)) {
    job_->setObjectName(QStringLiteral("printJob"));
    query_->setObjectName(QStringLiteral("printerQuery"));
    connect(query_, &platform::PrinterQuery::answered, this, &FinishTools::choosePrinter);
    connect(query_, &platform::PrinterQuery::unanswered, this,
            [this] { form_.ShowNotice(form_.lang[176]); });
    connect(job_, &tools::PrintJob::progress, this, [this](int page, int pages) {
      // Long scripts say how far the printing is.
      if (pages >= 5) form_.ShowNotice(form_.lang[172].arg(page).arg(pages));
    });
    connect(job_, &tools::PrintJob::finished, this, [this](bool ok, const QString& error) {
      if (!ok) form_.ShowNotice(form_.lang[173] + QLatin1Char(' ') + error);
    });
  }
  ~FinishTools() override {
    // The job prints on printer_: it ends before the printer goes.
    delete job_;
  }

  void print() {
    // The printer is the running job's until it ends.
    if (job_->running()) {
      form_.ShowNotice(form_.lang[175]);
      return;
    }
    // The printer and the dialog ask the print system on this thread: only
    // once it has answered in time, asked on a thread of its own, so that a
    // stalled print server cannot freeze the window. A print already asked
    // for is not asked again.
    if (query_->pending()) return;
    if (!query_->ask(kPrintSystemWaitMs)) form_.ShowNotice(form_.lang[176]);
  }

  void choosePrinter(const QStringList& names) {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    tools::PrintDialog chooser(*form_.services().dialogs, *printer_, [&names] { return names; });
    if (!chooser.ChoosePrinter(&form_, printer_->printerName(), 64)) return;
    job_->start(*form_.editor(), *printer_);
  }

  void color() {
    platform::RTB* rtb = form_.editor();
    tools::chooseSelectionColor(*form_.services().dialogs, &form_,
                                [rtb](const QColor& c) { rtb->SetSelColor(c); });
  }

  void about() {
    if (info_ && info_->isVisible()) return;
    auto* box = new tools::FrmInfo(form_.programFolder(), [this] { form_.show(); });
    info_ = box;
    box->Form_Load();
    box->setTexts(form_.lang);
    box->lblHomePage->setCaption(tools::siteUrl());
    connect(box, &tools::FrmInfo::homePageClicked, this, [this] { links_.lblHomePage_Click(); });
    form_.hide();
    box->show();
    box->Picture1->setFocus();
  }

  tools::HelpLinks& links() { return links_; }
  tools::FrmInfo* info() const { return info_; }

 private:
  Form1& form_;
  tools::HelpLinks links_;
  static constexpr int kPrintSystemWaitMs = 4000;
  // Made at the first print (making one asks the print system).
  std::unique_ptr<QPrinter> printer_;
  tools::PrintJob* job_;
  platform::PrinterQuery* query_;
  QPointer<tools::FrmInfo> info_;
};

}  // namespace

namespace {
FinishTools* tools(Form1& form) {
  // Set by wireFinish; the name is unique among the window's children.
  return static_cast<FinishTools*>(
      form.findChild<QObject*>(QStringLiteral("finishTools"), Qt::FindDirectChildrenOnly));
}
}  // namespace

void printCommand(Form1& form) {
  if (FinishTools* t = tools(form)) t->print();
}
void colourCommand(Form1& form) {
  if (FinishTools* t = tools(form)) t->color();
}
void helpCommand(Form1& form) {
  if (FinishTools* t = tools(form)) t->links().mnuGuida_Click();
}
void aboutCommand(Form1& form) {
  if (FinishTools* t = tools(form)) t->about();
}

void wireFinish(Form1& form) {
  auto* t = new FinishTools(form);
  t->setObjectName(QStringLiteral("finishTools"));
  // Print, colour, help and About are reached through the menus and the
  // toolbar's own wiring (the commands above).
  const MainControls& ui = form.ui;
  QObject::connect(ui.mnuVersioni, &QAction::triggered, t, [t] { t->links().mnuVersioni_Click(); });
  QObject::connect(ui.mnuAggiornamenti, &QAction::triggered, t,
                   [t] { t->links().mnuAggiornamenti_Click(); });
  QObject::connect(ui.mnuAggLingua, &QAction::triggered, t,
                   [t] { t->links().mnuAggLingua_Click(); });
  QObject::connect(ui.mnuFaiDonazione, &QAction::triggered, t,
                   [t] { t->links().mnuFaiDonazione_Click(); });
}

}  // namespace scenova::app
