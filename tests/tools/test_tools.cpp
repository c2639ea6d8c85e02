// Printing, the text colour, the About box, help and the web links, on the
// real window with fake dialogs and a fake shell.

#include "app/form1.h"
#include "fakes/fakes.h"
#include "platform/linux_platform.h"
#include "platform/rtb/rtb.h"
#include "support/event_round_trip.h"
#include "support/program_folder.h"
#include "tools/about_box.h"
#include "tools/help_links.h"
#include "tools/pdf_text.h"
#include "tools/print_job.h"
#include "tools/print_script.h"
#include "tools/show_color.h"
#include "tools/tools_window.h"
#include "ui/language_table.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QPageRanges>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

using namespace scenova;
using namespace scenova::app;
using test::script;
using test::Window;

namespace {

// A local socket that takes connections and never reads them.
struct StalledServer {
  QByteArray path;
  int fd = -1;
  explicit StalledServer(QByteArray at) : path(std::move(at)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(path.size()) >= sizeof(address.sun_path)) return;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(fd, 16) != 0)
      close();
  }
  ~StalledServer() { close(); }
  bool listening() const { return fd >= 0; }
  void close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
};

using test::roundTrip;

}  // namespace

class TestTools : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void colourValues() {
    QCOMPARE(tools::ShowColor::fromColor(QColor(0x12, 0x34, 0x56)), 0x563412);
    QCOMPARE(tools::ShowColor::toColor(0x563412), QColor(0x12, 0x34, 0x56));
    platform::FakeDialogs dialogs;
    tools::ShowColor c(dialogs);
    QCOMPARE(c.RGBResult, 0);
    QVERIFY(!c.ColorAnnulla());
    QCOMPARE(c.CustomColors(), QByteArray(64, '\0'));
    c.setCustomColors("abc");
    QCOMPARE(c.CustomColors().size(), 64);
    c.setCustomColors(QByteArray(80, 'x'));
    QCOMPARE(c.CustomColors(), QByteArray(64, 'x'));
    // Cancel keeps the colour; a choice replaces it.
    c.RGBResult = 0xFF;
    c.showColor();
    QVERIFY(c.ColorAnnulla());
    QCOMPARE(c.RGBResult, 0xFF);
    dialogs.colorAnswers.push_back(QColor(0, 0, 255));
    c.showColor();
    QVERIFY(!c.ColorAnnulla());
    QCOMPARE(c.RGBResult, 0xFF0000);
    QCOMPARE(dialogs.colorInitials.last(), QColor(255, 0, 0));
  }

  void customColoursGoThroughTheDialog() {
    platform::FakeDialogs dialogs;
    tools::ShowColor c(dialogs);
    // Slot 0 = 0x00563412 (red 0x12), slot 15 = pure blue.
    QByteArray block(64, '\0');
    block.replace(0, 4, QByteArray::fromHex("12345600"));
    block.replace(60, 4, QByteArray::fromHex("0000ff00"));
    c.setCustomColors(block);
    dialogs.customColorsChosen = QList<QColor>(16, QColor(Qt::black));
    (*dialogs.customColorsChosen)[2] = QColor(1, 2, 3);
    // Cancelled: the dialog saw them, they stay as they were.
    c.showColor();
    QVERIFY(c.ColorAnnulla());
    QCOMPARE(dialogs.customColorsShown.size(), 1);
    const QList<QColor> shown = dialogs.customColorsShown[0];
    QCOMPARE(shown.size(), 16);
    QCOMPARE(shown[0], QColor(0x12, 0x34, 0x56));
    QCOMPARE(shown[1], QColor(Qt::black));
    QCOMPARE(shown[15], QColor(0, 0, 255));
    QCOMPARE(c.CustomColors(), block);
    // Chosen: the block is what the dialog left.
    dialogs.colorAnswers.push_back(QColor(Qt::green));
    c.showColor();
    QVERIFY(!c.ColorAnnulla());
    QByteArray expected(64, '\0');
    expected.replace(8, 4, QByteArray::fromHex("01020300"));
    QCOMPARE(c.CustomColors().toHex(), expected.toHex());
  }

  void qtColourDialogKeepsTheCustomColours() {
    platform::QtDialogs dialogs({});
    QList<QColor> custom(16, QColor(Qt::black));
    custom[0] = QColor(0x12, 0x34, 0x56);
    QColor seen;
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      if (!d) return;
      seen = QColorDialog::customColor(0);
      QColorDialog::setCustomColor(5, QColor(7, 8, 9));
      d->setCurrentColor(QColor(Qt::red));
      d->accept();
    });
    const std::optional<QColor> chosen = dialogs.colorDialog(nullptr, Qt::black, custom);
    QCOMPARE(seen, QColor(0x12, 0x34, 0x56));
    QCOMPARE(chosen, std::optional<QColor>(QColor(Qt::red)));
    QCOMPARE(custom.size(), 16);
    QCOMPARE(custom[0], QColor(0x12, 0x34, 0x56));
    QCOMPARE(custom[5], QColor(7, 8, 9));
    // Another caller's dialog starts from its own colours, not these.
    QList<QColor> other(16, QColor(Qt::black));
    QTimer::singleShot(0, [&] {
      auto* d = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      if (!d) return;
      seen = QColorDialog::customColor(5);
      d->reject();
    });
    QVERIFY(!dialogs.colorDialog(nullptr, Qt::black, other));
    QCOMPARE(seen, QColor(Qt::black));
    QCOMPARE(other, QList<QColor>(16, QColor(Qt::black)));
  }

  void toolbarColourOnTheSelection() {
    Window w;
    w.rtb().setPlainText(QStringLiteral("Hamlet enters"));
    w.rtb().SetSelStart(0);
    w.rtb().SetSelLength(6);
    w.form->doc().Modified = 0;
    const std::optional<QColor> before = w.rtb().SelColor();
    // Cancel: nothing changes.
    Q_EMIT w.form->ui().Label2[13]->Click();
    QCOMPARE(w.rtb().SelColor(), before);
    QCOMPARE(w.form->doc().Modified, 0);
    // A colour: on the selection, in the saved file.
    w.dialogs.colorAnswers.push_back(QColor(0x12, 0x34, 0x56));
    Q_EMIT w.form->ui().Label2[13]->Click();
    QCOMPARE(w.rtb().SelColor(), std::optional<QColor>(QColor(0x12, 0x34, 0x56)));
    const QString path = w.folder.file(QStringLiteral("coloured.rtf"));
    QVERIFY(w.rtb().SaveFile(path));
    QVERIFY(w.folder.read(QStringLiteral("coloured.rtf")).contains("\\red18\\green52\\blue86"));
    // Every use opens on black: the last choice is not remembered.
    QCOMPARE(w.dialogs.colorInitials.size(), 2);
    QCOMPARE(w.dialogs.colorInitials[0], QColor(Qt::black));
    QCOMPARE(w.dialogs.colorInitials[1], QColor(Qt::black));
  }

  void printWholeScriptOrSelection() {
    Window w;
    QTemporaryDir out;
    int n = 0;
    QString last;
    w.dialogs.printChoice = [&](platform::PrintChoice& c) {
      last = out.filePath(QStringLiteral("print%1.pdf").arg(++n));
      c.file = last;
    };
    w.rtb().setHtml(test::script(150));
    w.dialogs.printAnswers = {true};
    QVERIFY(w.printFromMenu());
    test::PdfInside whole(last);
    QVERIFY2(whole.pages() >= 3, QByteArray::number(whole.pages()).constData());
    QVERIFY(whole.hasBoldFont());
    QVERIFY(whole.fillsWith("1 0 0"));
    QVERIFY(whole.fillsWith("0 0 0"));
    // A selection of two lines prints on one page, in its own format.
    w.rtb().SetSelStart(0);
    w.rtb().SetSelLength(20);
    w.dialogs.printAnswers = {true};
    QVERIFY(w.printVia([&w] { Q_EMIT w.form->ui().Label2[3]->Click(); }));
    test::PdfInside part(last);
    QCOMPARE(part.pages(), 1);
    QVERIFY(part.hasBoldFont());
    QVERIFY(part.raw.size() < whole.raw.size());
    QCOMPARE(w.dialogs.printCalls, 2);
  }

  void printingLeavesTheWindowFree() {
    Window w;
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("long.pdf"));
    w.dialogs.printChoice = [&](platform::PrintChoice& c) { c.file = pdf; };
    w.rtb().setHtml(test::script(600));
    w.dialogs.printAnswers = {true, true};
    w.form->ui().mnuStampa->trigger();
    // The command returns at once; the job prints what the script was when
    // it was given, whatever is typed meanwhile.
    QVERIFY(w.printDialogShown(1));
    QVERIFY(w.printJob()->running());
    w.rtb().setPlainText(QStringLiteral("Rewritten while printing"));
    // A second print waits for the first: no dialog, a notice.
    w.form->ui().mnuStampa->trigger();
    QCOMPARE(w.dialogs.printCalls, 1);
    QCOMPARE(w.form->ui().Label11->caption(), w.form->lang()[175]);
    QVERIFY(w.printed());
    test::PdfInside whole(pdf);
    QVERIFY2(whole.pages() >= 10, QByteArray::number(whole.pages()).constData());
    QVERIFY(whole.hasBoldFont());
    // Long jobs say how far they got.
    QCOMPARE(w.form->ui().Label11->caption(),
             w.form->lang()[172].arg(whole.pages()).arg(whole.pages()));
    // After the job, printing works again.
    w.form->ui().mnuStampa->trigger();
    QTRY_COMPARE(w.dialogs.printCalls, 2);
    QVERIFY(w.printed());
    QCOMPARE(test::PdfInside(pdf).pages(), 1);
  }

  void closingTheWindowFinishesThePrint() {
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("closing.pdf"));
    {
      Window w;
      w.dialogs.printChoice = [&](platform::PrintChoice& c) { c.file = pdf; };
      w.rtb().setHtml(test::script(600));
      w.dialogs.printAnswers = {true};
      w.form->ui().mnuStampa->trigger();
      QVERIFY(w.printDialogShown(1));
      QVERIFY(w.printJob()->running());
    }  // the window goes while its job prints
    test::PdfInside closing(pdf);
    QVERIFY2(closing.pages() >= 10, QByteArray::number(closing.pages()).constData());
    QVERIFY(closing.raw.trimmed().endsWith("%%EOF"));
  }

  void aStalledPrintServerLeavesTheWindowFree() {
    // A print server that takes the connection and never answers.
    QTemporaryDir dir;
    StalledServer stalled(QFile::encodeName(dir.filePath(QStringLiteral("cups.sock"))));
    QVERIFY(stalled.listening());
    const QByteArray server = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", stalled.path);
    {
      Window w;
      w.dialogs.printAnswers = {true};
      QElapsedTimer pressed;
      pressed.start();
      w.form->ui().mnuStampa->trigger();
      QVERIFY2(pressed.elapsed() < 100, QByteArray::number(pressed.elapsed()).constData());
      // The window answers while the print system is asked...
      qint64 slowest = 0;
      while (w.printerQuery()->pending() && pressed.elapsed() < 20000)
        slowest = std::max(slowest, roundTrip());
      QVERIFY2(slowest < 100, QByteArray::number(slowest).constData());
      // ... and then says that the print system did not answer, without
      // the dialog.
      QCOMPARE(w.form->ui().Label11->caption(), w.form->lang()[176]);
      QCOMPARE(w.dialogs.printCalls, 0);
      QVERIFY(!w.printJob()->running());
      // Pressed again while the question still hangs: the notice at once.
      w.form->ui().Label11->setCaption(QString());
      pressed.restart();
      w.form->ui().mnuStampa->trigger();
      QVERIFY(pressed.elapsed() < 100);
      QCOMPARE(w.form->ui().Label11->caption(), w.form->lang()[176]);
      QVERIFY(!w.printerQuery()->pending());
      QCOMPARE(w.dialogs.printCalls, 0);
    }
    stalled.close();  // the question still waiting fails now
    if (server.isNull())
      qunsetenv("CUPS_SERVER");
    else
      qputenv("CUPS_SERVER", server);
  }

  void onlyThePagesOfTheChosenRangeArePrinted() {
    Window w;
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("range.pdf"));
    QPageRanges chosen;
    w.dialogs.printChoice = [&](platform::PrintChoice& c) {
      c.file = pdf;
      c.pages = chosen;
    };
    w.rtb().setHtml(test::script(300));
    w.dialogs.printAnswers = {true};
    QVERIFY(w.printFromMenu());
    const int all = test::PdfInside(pdf).pages();
    QVERIFY2(all >= 5, QByteArray::number(all).constData());
    // Pages 2-3: two pages, neither the first nor the last.
    chosen.addRange(2, 3);
    w.dialogs.printAnswers = {true};
    QVERIFY(w.printFromMenu());
    test::PdfInside part(pdf);
    QCOMPARE(part.pages(), 2);
    QVERIFY(!part.fillsWith("1 0 0"));  // the red title is on page 1
    // Pages 1 and 4-5, and a range reaching past the end.
    chosen = QPageRanges();
    chosen.addPage(1);
    chosen.addRange(4, 5);
    w.dialogs.printAnswers = {true};
    QVERIFY(w.printFromMenu());
    QCOMPARE(test::PdfInside(pdf).pages(), 3);
    QVERIFY(test::PdfInside(pdf).fillsWith("1 0 0"));
    chosen = QPageRanges();
    chosen.addRange(all, all + 5);
    w.dialogs.printAnswers = {true};
    QVERIFY(w.printFromMenu());
    QCOMPARE(test::PdfInside(pdf).pages(), 1);
    // A range beyond the last page prints nothing and says so.
    QFile::remove(pdf);
    chosen = QPageRanges();
    chosen.addRange(all + 1, all + 3);
    w.dialogs.printAnswers = {true};
    QVERIFY(w.printFromMenu());
    QVERIFY(!QFile::exists(pdf));
    QCOMPARE(w.form->ui().Label11->caption(), w.form->lang()[173] + u' ' + pdf);
  }

  void theDialogOffersTheLastChoice() {
    platform::FakeDialogs dialogs;
    tools::PrintDialog chooser(dialogs);
    const QStringList installed{QStringLiteral("hall"), QStringLiteral("office")};
    const ui::LanguageTable& english = ui::LanguageTable::builtInEnglish();
    // First the print system's preferred printer, with the texts of the
    // interface language.
    dialogs.printAnswers = {true};
    dialogs.printChoice = [](platform::PrintChoice& c) {
      c.copies = 3;
      c.pages = QPageRanges();
      c.pages.addRange(2, 4);
    };
    auto chosen =
        chooser.choose(nullptr, installed, QStringLiteral("office"), tools::printCaptions(english));
    QVERIFY(chosen);
    QCOMPARE(dialogs.printShown[0].printers, installed);
    QCOMPARE(dialogs.printShown[0].printer, QStringLiteral("office"));
    QCOMPARE(dialogs.printShown[0].copies, 1);
    QVERIFY(dialogs.printShown[0].pages.isEmpty());
    QCOMPARE(dialogs.printShown[0].captions.title, english[236]);
    QCOMPARE(dialogs.printShown[0].captions.cancel, english[195]);
    QCOMPARE(dialogs.printShown[0].captions.noPrinter, english[244]);
    QCOMPARE(chosen->copies, 3);
    // Then what was chosen last, whatever the print system prefers...
    dialogs.printChoice = [](platform::PrintChoice& c) {
      c.printer = QStringLiteral("hall");
      c.copies = 7;
    };
    dialogs.printAnswers = {true, false};
    QVERIFY(chooser.choose(nullptr, installed, QStringLiteral("office"), {}));
    QVERIFY(!chooser.choose(nullptr, installed, QStringLiteral("office"), {}));
    QCOMPARE(dialogs.printShown[1].copies, 3);
    QCOMPARE(dialogs.printShown[1].pages.firstPage(), 2);
    QCOMPARE(dialogs.printShown[1].pages.lastPage(), 4);
    QCOMPARE(dialogs.printShown[2].printer, QStringLiteral("hall"));
    QCOMPARE(dialogs.printShown[2].copies, 7);
    // ... a cancelled dialog changes nothing, and a printer that went away
    // gives way to the preferred one, else to the first.
    dialogs.printAnswers = {false, false};
    QVERIFY(!chooser.choose(nullptr, {QStringLiteral("office")}, QStringLiteral("office"), {}));
    QVERIFY(!chooser.choose(nullptr, {QStringLiteral("stage"), QStringLiteral("office")},
                            QStringLiteral("gone"), {}));
    QCOMPARE(dialogs.printShown[3].printer, QStringLiteral("office"));
    QCOMPARE(dialogs.printShown[3].copies, 7);
    QCOMPARE(dialogs.printShown[4].printer, QStringLiteral("stage"));
  }

  void aPrinterThatCannotBeOpenedIsReported() {
    // A printer that cannot be opened is reported, not a crash.
    platform::PrintChoice choice;
    choice.file = QStringLiteral("/nonexistent-folder/x.pdf");
    const std::unique_ptr<QPrinter> printer = tools::makePrinter(choice);
    QTextEdit editor;
    editor.setPlainText(QStringLiteral("x"));
    QString error;
    QVERIFY(!tools::SelPrint(editor, *printer, {}, &error));
    QCOMPARE(error, choice.file);
  }

  void aboutBoxTexts() {
    Window w("Italiano.lng");
    w.form->show();
    w.form->ui().mnuInfo->trigger();
    tools::FrmInfo* box = w.about();
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), QStringLiteral("Informazioni sul programma"));
    QCOMPARE(box->lblVersion->caption(), QStringLiteral("Rel. 1.3.0.1"));
    QCOMPARE(box->lblTitle->caption(), QStringLiteral("Scenova"));
    QCOMPARE(box->lblDescription->caption(), w.form->lang()[22]);
    QVERIFY(box->lblCopyright->caption().endsWith(QStringLiteral(" - ") + w.form->lang()[23]));
    QCOMPARE(box->lblHomePageCap->caption(), w.form->lang()[14] + u':');
    QVERIFY(ui::twips::left(box->lblVersion) >=
            ui::twips::left(box->lblTitle) + ui::twips::width(box->lblTitle));
    QVERIFY(box->isVisible());
    QVERIFY(!w.form->isVisible());
    // The home page link goes to the site's root.
    Q_EMIT box->lblHomePage->Click();
    QCOMPARE(w.system.opened.last(), tools::siteUrl());
    // Escape closes it and brings the window back; a second box starts over.
    QTest::keyClick(box->Picture1, Qt::Key_Escape);
    QVERIFY(w.form->isVisible());
    QTRY_VERIFY(!w.about());
    w.form->ui().mnuInfo->trigger();
    QVERIFY(w.about());
    QVERIFY(!w.form->isVisible());
    w.about()->close();
    QVERIFY(w.form->isVisible());
  }

  void creditsScroll() {
    tools::FrmInfo box(QString(), {});
    box.Form_Load();
    QCOMPARE(box.Timer1.interval(), 10);
    auto top = [&] { return ui::twips::top(box.Picture2); };
    QCOMPARE(top(), 2200.0);
    // Up 10 twips a tick until the panel's end is in view (2235 - 4155).
    for (int i = 0; i < 412; ++i) box.Timer1_Timer();
    QCOMPARE(top(), -1920.0);
    for (int i = 0; i < 120; ++i) box.Timer1_Timer();
    QCOMPARE(top(), -1920.0);
    box.Timer1_Timer();
    QCOMPARE(top(), -1930.0);
    // On until it has left at the top, then again from below.
    for (int i = 0; i < 222; ++i) box.Timer1_Timer();
    QCOMPARE(top(), -4150.0);
    box.Timer1_Timer();
    QCOMPARE(top(), 2200.0);
    QCOMPARE(box.pauseCount(), qint16(0));
    // A click on the box stops the scroll.
    box.Form_Click();
    QVERIFY(!box.Timer1.isActive());
  }

  void helpFallsBackToGuida() {
    Window w;
    QDir().mkpath(w.folder.file(QStringLiteral("Help")));
    w.folder.write(QStringLiteral("Help/Guida.html"), "<html></html>");
    w.form->lang().setText(24, QStringLiteral("Klingon"));
    w.form->ui().mnuGuida->trigger();
    QCOMPARE(w.system.opened.last(), w.folder.file(QStringLiteral("Help/Guida.html")));
    QCOMPARE(w.form->lang()[24], QStringLiteral("Guida"));
    w.form->ui().mnuGuida->trigger();
    QCOMPARE(w.system.opened.last(), w.folder.file(QStringLiteral("Help/Guida.html")));
    // A page that exists for the language is opened as named.
    w.folder.write(QStringLiteral("Help/English.html"), "<html></html>");
    w.form->lang().setText(24, QStringLiteral("English"));
    w.form->ui().mnuGuida->trigger();
    QCOMPARE(w.system.opened.last(), w.folder.file(QStringLiteral("Help/English.html")));
    // The other targets.
    w.form->ui().mnuVersioni->trigger();
    QCOMPARE(w.system.opened.last(), w.folder.file(QStringLiteral("Versioni.txt")));
    w.form->ui().mnuFaiDonazione->trigger();
    QCOMPARE(w.system.opened.last(), tools::siteUrl("donazioni--donation.html"));
    w.form->ui().mnuAggiornamenti->trigger();
    QVERIFY(w.system.opened.last().startsWith(tools::siteUrl()));
    w.form->ui().mnuAggLingua->trigger();
    QVERIFY(w.system.opened.last().startsWith(tools::siteUrl()));
    QCOMPARE(w.system.opened.size(), 7);
  }

  void everyWebLinkIsOnTheProjectsSite() {
    const QUrl site(tools::siteUrl());
    QVERIFY(site.isValid());
    QCOMPARE(site.scheme(), QStringLiteral("https"));
    QCOMPARE(site.path(), QStringLiteral("/"));
    QVERIFY(site.host().contains(QStringLiteral("scenova")));
    QCOMPARE(tools::siteUrl(), QString::fromLatin1(tools::kSiteAddress));
    Window w;
    for (QAction* a :
         {w.form->ui().mnuAggiornamenti, w.form->ui().mnuAggLingua, w.form->ui().mnuFaiDonazione}) {
      a->trigger();
      const QUrl page(w.system.opened.last());
      QCOMPARE(page.host(), site.host());
      QVERIFY2(page.path().size() > 1, qPrintable(page.toString()));
    }
  }

  void shellFailureIsANotice() {
    struct NoShell final : platform::SystemServices {
      bool startDetached(const QString&, const QStringList&) override { return false; }
      bool isInstalled(const QString&) const override { return false; }
      bool openDocument(const QString&) override { return false; }
      void registerScriptType(const QString&) override {}
    } shell;
    ui::LanguageTable lang;
    lang.setText(174, QStringLiteral("Cannot open:"));
    QStringList notices;
    tools::HelpLinks links(lang, shell, QStringLiteral("/nowhere"),
                           [&](const QString& t) { notices << t; });
    links.lblHomePage_Click();
    QCOMPARE(notices, QStringList{QStringLiteral("Cannot open: ") + tools::siteUrl()});
  }

  void everyLanguageHasItsHelpPage() {
    const QString data = qEnvironmentVariable("SCENOVA_SOURCE_DIR") + QStringLiteral("/data/");
    const QStringList files =
        QDir(data + QStringLiteral("Lang")).entryList({QStringLiteral("*.lng")});
    QCOMPARE(files.size(), 7);
    QSet<QString> pages;
    for (const QString& f : files) {
      ui::LanguageTable t;
      QVERIFY(t.load(data + QStringLiteral("Lang/") + f));
      QFile page(data + QStringLiteral("Help/") + t[24] + QStringLiteral(".html"));
      QVERIFY2(page.open(QIODevice::ReadOnly), qPrintable(f));
      const QByteArray html = page.readAll();
      QVERIFY2(html.size() > 4000, qPrintable(f));
      for (const char* needed : {"[[Play Audio]]", "FadeOut", "Projector On", "F1"})
        QVERIFY2(html.contains(needed),
                 qPrintable(f + QLatin1Char(' ') + QLatin1StringView(needed)));
      pages.insert(t[24]);
    }
    QCOMPARE(pages.size(), 7);  // each language its own page
  }
};

QTEST_MAIN(TestTools)
#include "test_tools.moc"
