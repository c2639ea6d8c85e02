// Printing on a real print queue: the private CUPS daemon of the test
// environment, whose queue writes each job's PDF to a folder. The fake
// print dialog chooses that queue; the PDF that comes out is read back
// with pdftotext and pdffonts. Queues that disappear or stop are made and
// removed here with lpadmin, on that daemon only.

#include "tools/pdf_text.h"
#include "tools/print_script.h"
#include "tools/tools_window.h"

#include <QAction>
#include <QDir>
#include <QPrinter>
#include <QProcess>
#include <QTest>

using namespace scenova;
using test::script;
using test::Window;

namespace {

QString queue() {
  return qEnvironmentVariable("SCENOVA_TEST_PRINTER");
}
QString outFolder() {
  return qEnvironmentVariable("SCENOVA_TEST_PRINTER_OUT");
}

QStringList jobFiles() {
  return QDir(outFolder()).entryList({QStringLiteral("job-*.pdf")}, QDir::Files, QDir::Time);
}

// Whether a program ran and ended well; its standard output in *out.
bool succeeds(const QString& program, const QStringList& args, QString* out = nullptr) {
  QProcess p;
  p.start(program, args);
  const bool ok =
      p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
  return ok;
}

// A program's standard output; empty when it failed.
QString run(const QString& program, const QStringList& args) {
  QString out;
  return succeeds(program, args, &out) ? out : QString();
}

bool lpadmin(const QStringList& args) {
  return succeeds(QStringLiteral("lpadmin"), args);
}

// Chooses the named queue in the print dialog, as the operator would.
void choose(Window& w, const QString& name, std::function<void()> then = {}) {
  w.dialogs.printChoice = [name, then](QPrinter& p) {
    p.setOutputFormat(QPrinter::NativeFormat);
    p.setPrinterName(name);
    if (then) then();
  };
}

// The PDF of the next job that comes out of the queue.
QString nextJob(const QStringList& before) {
  QString found;
  (void)QTest::qWaitFor(
      [&] {
        for (const QString& f : jobFiles())
          if (!before.contains(f)) found = QDir(outFolder()).filePath(f);
        return !found.isEmpty();
      },
      20000);
  return found;
}

}  // namespace

class TestPrintQueue : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() {
    if (queue().isEmpty() || outFolder().isEmpty())
      QSKIP("the test environment has no print queue");
    QVERIFY2(succeeds(QStringLiteral("pdftotext"), {QStringLiteral("-v")}),
             "pdftotext is missing (poppler-utils)");
  }

  void theScriptComesOutOfTheQueue() {
    // The print support sees the environment's queue, and only that one.
    QCOMPARE(tools::installedPrinters(), QStringList{queue()});
    Window w;
    choose(w, queue());
    w.rtb().setHtml(script(150));
    w.dialogs.printAnswers = {true};
    QStringList before = jobFiles();
    w.form->ui().mnuStampa->trigger();
    QVERIFY(w.printed());
    QVERIFY2(!w.form->ui().Label11->caption().startsWith(w.form->lang()[173]),
             qPrintable(w.form->ui().Label11->caption()));
    const QString whole = nextJob(before);
    QVERIFY2(!whole.isEmpty(), "no job came out of the queue");
    const QString text = run(QStringLiteral("pdftotext"), {whole, QStringLiteral("-")});
    QVERIFY2(text.contains(QStringLiteral("ACT ONE")), qPrintable(text.left(200)));
    QVERIFY(text.contains(QStringLiteral("Line 0 of the play [[Play Audio]]")));
    QVERIFY(text.contains(QStringLiteral("Line 149 of the play [[Play Audio]]")));
    QVERIFY(run(QStringLiteral("pdffonts"), {whole}).contains(QStringLiteral("Bold")));
    QVERIFY(test::PdfInside(whole).fillsWith("1 0 0"));  // the red title
    QVERIFY(test::PdfInside(whole).pages() >= 3);

    // With a selection only the selection goes to the printer.
    w.rtb().SetSelStart(0);
    w.rtb().SetSelLength(20);
    w.dialogs.printAnswers = {true};
    before = jobFiles();
    Q_EMIT w.form->ui().Label2[3]->Click();
    QVERIFY(w.printed());
    const QString part = nextJob(before);
    QVERIFY2(!part.isEmpty(), "no job came out of the queue");
    const QString partText = run(QStringLiteral("pdftotext"), {part, QStringLiteral("-")});
    QVERIFY(partText.contains(QStringLiteral("ACT ONE")));
    QVERIFY(partText.contains(QStringLiteral("Line 0")));
    QVERIFY2(!partText.contains(QStringLiteral("Line 5")), qPrintable(partText));
    QCOMPARE(test::PdfInside(part).pages(), 1);
    QVERIFY(run(QStringLiteral("pdffonts"), {part}).contains(QStringLiteral("Bold")));
  }

  void aPrinterThatGoesAwayIsANotice() {
    const QString gone = QStringLiteral("scenova-going");
    QVERIFY(lpadmin({QStringLiteral("-p"), gone, QStringLiteral("-E"), QStringLiteral("-v"),
                     QStringLiteral("pdfout:") + outFolder()}));
    Window w;
    w.rtb().setHtml(script(20));
    // Chosen in the dialog, removed before the print.
    choose(w, gone, [gone] { lpadmin({QStringLiteral("-x"), gone}); });
    w.dialogs.printAnswers = {true};
    const QStringList before = jobFiles();
    w.form->ui().mnuStampa->trigger();
    QVERIFY(w.printed());
    QCOMPARE(w.form->ui().Label11->caption(), w.form->lang()[173] + u' ' + gone);
    QVERIFY(w.form->ui().Label11->isVisibleTo(w.form.get()));
    QCOMPARE(jobFiles(), before);
    // The window goes on printing on the queue that is there.
    choose(w, queue());
    w.dialogs.printAnswers = {true};
    w.form->ui().mnuStampa->trigger();
    QVERIFY(w.printed());
    QVERIFY(!nextJob(before).isEmpty());
  }

  void aStoppedQueueHoldsTheJob() {
    QVERIFY(succeeds(QStringLiteral("cupsdisable"), {queue()}));
    Window w;
    w.rtb().setHtml(script(10));
    choose(w, queue());
    w.dialogs.printAnswers = {true};
    const QStringList before = jobFiles();
    w.form->ui().mnuStampa->trigger();
    // Handed over without waiting for the printer, and not lost.
    QVERIFY(w.printed());
    QVERIFY(!w.form->ui().Label11->caption().startsWith(w.form->lang()[173]));
    QTest::qWait(500);
    QCOMPARE(jobFiles(), before);
    QVERIFY(succeeds(QStringLiteral("cupsenable"), {queue()}));
    const QString held = nextJob(before);
    QVERIFY(!held.isEmpty());
    QVERIFY(run(QStringLiteral("pdftotext"), {held, QStringLiteral("-")})
                .contains(QStringLiteral("Line 9 of the play")));
  }

  void cleanupTestCase() {
    if (!queue().isEmpty()) succeeds(QStringLiteral("cupsenable"), {queue()});
  }
};

QTEST_MAIN(TestPrintQueue)
#include "test_print_queue.moc"
