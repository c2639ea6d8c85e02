// Printing on a real print queue: the private CUPS daemon of the test
// environment, whose queue writes each job's PDF to a folder. The fake
// print dialog chooses that queue; the PDF that comes out is read back
// with pdftotext and pdffonts. Queues that disappear or stop are made and
// removed here with lpadmin, on that daemon only.

#include "support/event_round_trip.h"
#include "tools/pdf_text.h"
#include "tools/print_script.h"
#include "tools/tools_window.h"
#include "ui/print_chooser.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPageRanges>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

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
  w.dialogs.printChoice = [name, then](platform::PrintChoice& c) {
    c.printer = name;
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

// The private print server of the test environment (its configuration lies
// in the environment's folder): no other cupsd is ever touched.
pid_t privateCupsd() {
  const QByteArray conf =
      qgetenv("SCENOVA_PRIVATE_TEST_ENV") + QByteArrayLiteral("/cups/conf/cupsd.conf");
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool number = false;
    const pid_t pid = entry.toInt(&number);
    if (!number) continue;
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
    if (!cmdline.open(QIODevice::ReadOnly)) continue;
    const QList<QByteArray> args = cmdline.readAll().split('\0');
    if (!args.isEmpty() && args.first().endsWith("cupsd") && args.contains(conf)) return pid;
  }
  return 0;
}

// Lets the stopped print server go on after ms milliseconds at the latest
// (or when it goes), so that a window frozen by it fails the test instead of
// hanging it.
class ResumeLater {
 public:
  ResumeLater(pid_t server, int ms)
      : server_(server), waker_([this, ms] {
          std::unique_lock<std::mutex> hold(lock_);
          done_.wait_for(hold, std::chrono::milliseconds(ms), [this] { return over_; });
          ::kill(server_, SIGCONT);
        }) {}
  ~ResumeLater() {
    {
      const std::lock_guard<std::mutex> hold(lock_);
      over_ = true;
    }
    done_.notify_all();
    waker_.join();
  }

 private:
  pid_t server_;
  std::mutex lock_;
  std::condition_variable done_;
  bool over_ = false;
  std::thread waker_;
};

using test::roundTrip;

ui::PrintChooser* shownChooser() {
  for (QWidget* top : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<ui::PrintChooser*>(top); dialog && dialog->isVisible())
      return dialog;
  return nullptr;
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
    QCOMPARE(QPrinterInfo::availablePrinterNames(), QStringList{queue()});
    Window w;
    choose(w, queue());
    w.rtb().setHtml(test::script(150));
    w.dialogs.printAnswers = {true};
    QStringList before = jobFiles();
    w.form->ui().mnuStampa->trigger();
    QVERIFY(w.printed());
    // The dialog offered the queue the print system has.
    QCOMPARE(w.dialogs.printShown.value(0).printers, QStringList{queue()});
    QCOMPARE(w.dialogs.printShown.value(0).printer, queue());
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
    w.rtb().setHtml(test::script(20));
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

  // The dialog opens on the printer the print system prefers.
  void theDialogOpensOnThePreferredPrinter() {
    const QString other = QStringLiteral("scenova-preferred");
    QVERIFY(lpadmin({QStringLiteral("-p"), other, QStringLiteral("-E"), QStringLiteral("-v"),
                     QStringLiteral("pdfout:") + outFolder()}));
    QVERIFY(lpadmin({QStringLiteral("-d"), other}));
    Window w;
    w.form->ui().mnuStampa->trigger();  // cancelled
    QTRY_COMPARE(w.dialogs.printCalls, 1);
    lpadmin({QStringLiteral("-x"), other});
    QCOMPARE(w.dialogs.printShown[0].printers.size(), 2);
    QCOMPARE(w.dialogs.printShown[0].printer, other);
  }

  void aStoppedQueueHoldsTheJob() {
    QVERIFY(succeeds(QStringLiteral("cupsdisable"), {queue()}));
    Window w;
    w.rtb().setHtml(test::script(10));
    choose(w, queue());
    w.dialogs.printAnswers = {true};
    const QStringList before = jobFiles();
    w.form->ui().mnuStampa->trigger();
    // Handed over without waiting for the printer, and not lost.
    QVERIFY(w.printed());
    QVERIFY(!w.form->ui().Label11->caption().startsWith(w.form->lang()[173]));
    QTest::qWait(500);  // time let pass on purpose: the stopped queue prints nothing in it
    QCOMPARE(jobFiles(), before);
    QVERIFY(succeeds(QStringLiteral("cupsenable"), {queue()}));
    const QString held = nextJob(before);
    QVERIFY(!held.isEmpty());
    QVERIFY(run(QStringLiteral("pdftotext"), {held, QStringLiteral("-")})
                .contains(QStringLiteral("Line 9 of the play")));
  }

  void onlyTheChosenPagesComeOut() {
    Window w;
    w.rtb().setHtml(test::script(300));
    w.dialogs.printChoice = [](platform::PrintChoice& c) {
      c.printer = queue();
      c.pages = QPageRanges();
      c.pages.addRange(2, 3);
    };
    w.dialogs.printAnswers = {true};
    const QStringList before = jobFiles();
    w.form->ui().mnuStampa->trigger();
    QVERIFY(w.printed());
    const QString job = nextJob(before);
    QVERIFY2(!job.isEmpty(), "no job came out of the queue");
    QCOMPARE(test::PdfInside(job).pages(), 2);
    const QString text = run(QStringLiteral("pdftotext"), {job, QStringLiteral("-")});
    QVERIFY2(!text.contains(QStringLiteral("ACT ONE")), qPrintable(text.left(200)));
    QVERIFY(!text.contains(QStringLiteral("Line 0 of the play")));
    QVERIFY(!text.contains(QStringLiteral("Line 299 of the play")));
    QVERIFY(text.contains(QStringLiteral("Line 60 of the play")));
  }

  // The print server stopped (as a server that hangs): Print comes back at
  // once, the window answers throughout, a notice says so; once the server
  // goes on, printing works again.
  void aStoppedPrintServerLeavesTheWindowFree() {
    const pid_t server = privateCupsd();
    QVERIFY2(server > 0, "the private print server is not running");
    Window w;
    w.rtb().setHtml(test::script(10));
    choose(w, queue());
    w.dialogs.printAnswers = {true};
    QVERIFY(::kill(server, SIGSTOP) == 0);
    QElapsedTimer pressed;
    pressed.start();
    w.form->ui().mnuStampa->trigger();
    const qint64 returned = pressed.elapsed();
    qint64 slowest = 0;
    while (w.printerQuery()->pending() && pressed.elapsed() < 20000) {
      QElapsedTimer t;
      t.start();
      bool handled = false;
      QTimer::singleShot(0, qApp, [&handled] { handled = true; });
      while (!handled) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
      slowest = std::max(slowest, t.elapsed());
    }
    ::kill(server, SIGCONT);
    QVERIFY2(returned < 100, QByteArray::number(returned).constData());
    QVERIFY2(slowest < 100, QByteArray::number(slowest).constData());
    QCOMPARE(w.form->ui().Label11->caption(), w.form->lang()[176]);
    QCOMPARE(w.dialogs.printCalls, 0);
    // The question left hanging ends once the server goes on; then Print
    // works again.
    const QStringList before = jobFiles();
    QVERIFY(QTest::qWaitFor(
        [&] {
          if (w.dialogs.printCalls == 0 && !w.printerQuery()->pending())
            w.form->ui().mnuStampa->trigger();
          return w.dialogs.printCalls == 1;
        },
        30000));
    QVERIFY(w.printed());
    QVERIFY(!nextJob(before).isEmpty());
  }

  // The print server stops while the print dialog is open: the dialog (the
  // program's own) closes at once on OK, the window answers while the job
  // waits for the server, a notice says that it will print once the print
  // system answers; once the server goes on, the chosen pages come out.
  void aPrintServerThatStopsDuringThePrintLeavesTheWindowFree() {
    const pid_t server = privateCupsd();
    QVERIFY2(server > 0, "the private print server is not running");
    const ResumeLater resume(server, 15000);
    Window w;
    w.rtb().setHtml(test::script(300));
    QElapsedTimer clock;
    qint64 opening = -1;
    qint64 closing = -1;
    w.dialogs.printAnswers = {true};
    w.dialogs.printChoice = [&](platform::PrintChoice& c) {
      if (::kill(server, SIGSTOP) != 0) return;
      clock.start();
      QTimer::singleShot(0, qApp, [&] {
        ui::PrintChooser* dialog = shownChooser();
        if (!dialog) return;
        opening = clock.elapsed();
        dialog->fromBox()->setValue(2);
        dialog->toBox()->setValue(3);
        clock.restart();
        QTest::mouseClick(dialog->buttons()->button(QDialogButtonBox::Ok), Qt::LeftButton);
      });
      if (ui::choosePrint(w.form.get(), c)) closing = clock.elapsed();
    };
    const QStringList before = jobFiles();
    w.form->ui().mnuStampa->trigger();
    QElapsedTimer pressed;
    pressed.start();
    qint64 slowest = 0;
    while (w.form->ui().Label11->caption() != w.form->lang()[288] && pressed.elapsed() < 20000)
      slowest = std::max(slowest, roundTrip());
    const bool waiting = w.printJob()->running();
    ::kill(server, SIGCONT);
    qInfo("dialog opened in %lld ms, closed in %lld ms; slowest event while stalled: %lld ms",
          opening, closing, slowest);
    QVERIFY2(opening >= 0 && opening < 100, QByteArray::number(opening).constData());
    QVERIFY2(closing >= 0 && closing < 100, QByteArray::number(closing).constData());
    QVERIFY2(slowest < 100, QByteArray::number(slowest).constData());
    QCOMPARE(w.form->ui().Label11->caption(), w.form->lang()[288]);
    QVERIFY(waiting);
    // The job was not lost: pages 2 and 3 come out once the server goes on.
    QVERIFY(w.printed());
    const QString job = nextJob(before);
    QVERIFY2(!job.isEmpty(), "no job came out of the queue");
    QCOMPARE(test::PdfInside(job).pages(), 2);
    const QString text = run(QStringLiteral("pdftotext"), {job, QStringLiteral("-")});
    QVERIFY(!text.contains(QStringLiteral("ACT ONE")));
    QVERIFY(text.contains(QStringLiteral("Line 60 of the play")));
  }

  // The window closes while the print server keeps its job waiting: it
  // closes at once, and the job goes out once the server goes on.
  void closingWhileThePrintServerStallsEndsAtOnce() {
    const pid_t server = privateCupsd();
    QVERIFY2(server > 0, "the private print server is not running");
    const QStringList before = jobFiles();
    qint64 closing = -1;
    const ResumeLater resume(server, 15000);
    {
      Window w;
      w.rtb().setHtml(test::script(10));
      choose(w, queue(), [server] { ::kill(server, SIGSTOP); });
      w.dialogs.printAnswers = {true};
      w.form->ui().mnuStampa->trigger();
      const bool stalled = QTest::qWaitFor(
          [&] { return w.form->ui().Label11->caption() == w.form->lang()[288]; }, 20000);
      if (!stalled) ::kill(server, SIGCONT);
      QVERIFY(stalled);
      QVERIFY(w.printJob()->running());
      QElapsedTimer clock;
      clock.start();
      w.form.reset();
      closing = clock.elapsed();
    }
    ::kill(server, SIGCONT);
    qInfo("window closed in %lld ms", closing);
    QVERIFY2(closing < 1000, QByteArray::number(closing).constData());
    const QString job = nextJob(before);
    QVERIFY2(!job.isEmpty(), "the job left waiting did not come out");
    QVERIFY(run(QStringLiteral("pdftotext"), {job, QStringLiteral("-")})
                .contains(QStringLiteral("Line 9 of the play")));
  }

  void cleanupTestCase() {
    if (!queue().isEmpty()) succeeds(QStringLiteral("cupsenable"), {queue()});
  }
};

QTEST_MAIN(TestPrintQueue)
#include "test_print_queue.moc"
