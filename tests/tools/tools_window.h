#pragma once

// The real window with fake dialogs, a fake environment and a fake shell,
// for the printing, colour, About box and help tests.

#include "app/form1.h"
#include "fakes/fakes.h"
#include "platform/printer_query.h"
#include "platform/rtb/rtb.h"
#include "support/form_fixture.h"
#include "tools/about_box.h"
#include "tools/print_job.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <functional>

#include <memory>

namespace scenova::test {

struct Window : FormFixture {
  explicit Window(const char* language = "English.lng")
      : FormFixture(FormSetup{{}, {}, QByteArray(language) + "\r\n", true, {}, {}}) {}
  tools::PrintJob* printJob() const {
    return form->findChild<tools::PrintJob*>(QStringLiteral("printJob"));
  }
  platform::PrinterQuery* printerQuery() const {
    return form->findChild<platform::PrinterQuery*>(QStringLiteral("printerQuery"));
  }
  // The print system is asked and the printing runs on workers: waits for
  // the answer (and the dialog) and then for the running job to end.
  bool printed() const {
    return printerQuery() &&
           QTest::qWaitFor([this] { return !printerQuery()->pending(); }, 10000) && printJob() &&
           printJob()->wait(60000);
  }
  // Starts a print with start() and waits until the dialog was answered and
  // the job ended. A print system that did not answer within the program's
  // limit (a loaded machine) is asked again, as the operator would, so that
  // a stale file from an earlier print is never read as this one's.
  bool printVia(const std::function<void()>& start) {
    const int calls = dialogs.printCalls;
    QElapsedTimer t;
    t.start();
    while (dialogs.printCalls == calls && t.elapsed() < 40000) {
      start();
      if (!printerQuery() || !QTest::qWaitFor([this] { return !printerQuery()->pending(); }, 10000))
        return false;
      // An unanswered question may still hang in the print system, and
      // asking is refused until it lets go: ask again once events ran.
      if (dialogs.printCalls == calls)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    return dialogs.printCalls > calls && printJob() && printJob()->wait(60000);
  }
  bool printFromMenu() {
    return printVia([this] { form->ui().mnuStampa->trigger(); });
  }
  // Waits for the print dialog's nth showing, handing out events one
  // wake-up at a time, so that a job started from it is still running
  // when this returns.
  bool printDialogShown(int n) {
    QElapsedTimer t;
    t.start();
    while (dialogs.printCalls < n && t.elapsed() < 10000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return dialogs.printCalls >= n;
  }
  static tools::FrmInfo* about() {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<tools::FrmInfo*>(top); box && box->isVisible()) return box;
    return nullptr;
  }
};

// A script of about n lines: a title in bold red, then numbered lines.
inline QString script(int lines) {
  QString html = QStringLiteral("<p><b><span style=\"color:#ff0000\">ACT ONE</span></b></p>");
  for (int i = 0; i < lines; ++i)
    html += QStringLiteral("<p>Line %1 of the play [[Play Audio]]</p>").arg(i);
  return html;
}

}  // namespace scenova::test
