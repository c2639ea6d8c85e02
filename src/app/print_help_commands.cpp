#include "print_help_commands.h"

#include "form1.h"
#include "platform/dialogs.h"
#include "platform/printer_query.h"
#include "platform/rtb/rtb.h"
#include "tools/about_box.h"
#include "tools/print_job.h"
#include "tools/print_script.h"
#include "tools/show_color.h"

namespace scenova::app {

PrintHelpCommands::PrintHelpCommands(Form1& form)
    : QObject(&form),
      form_(form),
      links_(form.lang(), *form.services().system, form.programFolder(),
             [&form](const QString& text) { form.ShowNotice(text); }),
      chooser_(*form.services().dialogs),
      job_(new tools::PrintJob(kPrintSystemWaitMs, this)),
      query_(new platform::PrinterQuery(this)) {
  job_->setObjectName(QStringLiteral("printJob"));
  query_->setObjectName(QStringLiteral("printerQuery"));
  connect(query_, &platform::PrinterQuery::answered, this, &PrintHelpCommands::choosePrinter);
  connect(query_, &platform::PrinterQuery::unanswered, this,
          [this] { form_.ShowNotice(form_.lang()[176]); });
  connect(job_, &tools::PrintJob::progress, this, [this](int page, int pages) {
    // Long scripts say how far the printing is.
    if (pages >= 5) form_.ShowNotice(form_.lang()[172].arg(page).arg(pages));
  });
  // The job waits on: once the print system answers it goes out.
  // A job kept waiting is not lost: it prints once the print system answers.
  connect(job_, &tools::PrintJob::stalled, this,
          [this] { form_.ShowNotice(form_.lang()[kPrintWaits]); });
  connect(job_, &tools::PrintJob::finished, this, [this](bool ok, const QString& error) {
    if (!ok) form_.ShowNotice(form_.lang()[173] + QLatin1Char(' ') + error);
  });
}

PrintHelpCommands::~PrintHelpCommands() {
  // The job reports to this object: it ends first.
  delete job_;
}

void PrintHelpCommands::print() {
  // The printer is the running job's until it ends.
  if (job_->running()) {
    form_.ShowNotice(form_.lang()[175]);
    return;
  }
  // The printers are asked for on a thread of its own, so that a stalled
  // print server cannot freeze the window; the dialog shows once they are
  // known. A print already asked for is not asked again.
  if (query_->pending()) return;
  if (!query_->ask(kPrintSystemWaitMs)) form_.ShowNotice(form_.lang()[176]);
}

void PrintHelpCommands::choosePrinter(const QStringList& names, const QString& preferred) {
  const std::optional<platform::PrintChoice> choice =
      chooser_.choose(&form_, names, preferred, tools::printCaptions(form_.lang()));
  if (!choice) return;
  // The printer is set up and the job handed over on the job's worker.
  job_->start(*form_.editor(), *choice);
}

void PrintHelpCommands::color() {
  platform::RTB* rtb = form_.editor();
  tools::chooseSelectionColor(*form_.services().dialogs, &form_,
                              [rtb](const QColor& c) { rtb->SetSelColor(c); });
}

void PrintHelpCommands::about() {
  if (info_ && info_->isVisible()) return;
  auto* box = new tools::FrmInfo(form_.programFolder(), [this] { form_.show(); });
  info_ = box;
  box->Form_Load();
  box->setTexts(form_.lang());
  box->lblHomePage->setCaption(tools::siteUrl());
  connect(box, &tools::FrmInfo::homePageClicked, this, [this] { links_.lblHomePage_Click(); });
  form_.hide();
  box->show();
  box->Picture1->setFocus();
}

}  // namespace scenova::app
