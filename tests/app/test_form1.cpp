#include "app/form1.h"
#include "app/settings_file.h"
#include "fakes/fakes.h"
#include "platform/rtb/rtb.h"
#include "support/form_fixture.h"
#include "support/program_folder.h"
#include "ui/notice_line.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QTest>
#include <QTextEdit>

#include <sys/stat.h>

using namespace scenova;
using namespace scenova::app;

namespace {

// The window as made at start-up, before Form_Load.
struct Fixture : test::FormFixture {
  explicit Fixture(const char* country = "de", const QString& commandLine = {})
      : FormFixture(test::FormSetup{commandLine, QString::fromLatin1(country), {}, false, {}, {}}) {
  }
  LanguageTable file(const char* name) const {
    LanguageTable t;
    t.load(folder.file(QStringLiteral("Lang/") + QString::fromUtf8(name)));
    return t;
  }
};

}  // namespace

class TestForm1 : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void comesUpInTheCountrysLanguage_data() {
    QTest::addColumn<QString>("country");
    QTest::addColumn<QString>("file");
    QTest::newRow("de") << QStringLiteral("de") << QStringLiteral("Deutsch.lng");
    QTest::newRow("it") << QStringLiteral("it") << QStringLiteral("Italiano.lng");
    QTest::newRow("pt") << QStringLiteral("pt") << QStringLiteral("Brazilian.lng");
    QTest::newRow("fr") << QStringLiteral("fr") << QString::fromUtf8("Français.lng");
    QTest::newRow("unknown") << QStringLiteral("jp") << QStringLiteral("English.lng");
  }
  void comesUpInTheCountrysLanguage() {
    QFETCH(QString, country);
    QFETCH(QString, file);
    Fixture f(country.toLatin1().constData());
    f.form->Form_Load();
    const LanguageTable L = f.file(file.toUtf8().constData());
    Form1& w = *f.form;
    QCOMPARE(w.languageFile(), file);
    QCOMPARE(w.ui().mnuFile->title(), L[2]);
    QCOMPARE(w.ui().mnuNuovo->text(), L[42]);
    QCOMPARE(w.ui().mnuAddCommand->text(), L[147] + QStringLiteral("..."));
    QCOMPARE(w.ui().Label2[5]->toolTip(), L.tooltip(101));
    QCOMPARE(w.ui().Label2[15]->toolTip(), L.tooltip(3));
    QCOMPARE(w.ui().fadeButtons[0]->toolTip(), L.tooltip(113));
    QVERIFY(!w.ui().mnuStrumenti->menuAction()->isVisible());
    QCOMPARE(w.windowTitle(), QStringLiteral("Scenova - ") + L[97] + QStringLiteral(" 1"));
    QCOMPARE(w.ui().cmdPlayA->Tag, L[7]);
    QCOMPARE(w.ui().cmdPlayV->Tag, L[7]);
  }

  void fontBoxes() {
    Fixture f;
    f.form->Form_Load();
    QCOMPARE(f.form->ui().Combo1->currentText(), QStringLiteral("Arial"));
    QCOMPARE(f.form->ui().Combo2->currentText(), QStringLiteral("12"));
    QCOMPARE(f.form->ui().Combo2->count(), 11 + 7 + 3);
    QCOMPARE(f.form->ui().Combo2->itemText(11), QStringLiteral("16"));
    QCOMPARE(f.form->ui().Combo2->itemText(20), QStringLiteral("72"));
  }

  void storedLanguageAndMissingFallback() {
    Fixture f;
    f.folder.writeSettings("Russian.lng\r\n");
    f.form->Form_Load();
    QCOMPARE(f.form->ui().mnuFile->title(), f.file("Russian.lng")[2]);
    Fixture g;
    g.folder.writeSettings("Klingon.lng\r\n");
    g.form->Form_Load();  // a language file that has gone: English
    QCOMPARE(g.form->ui().mnuNuovo->text(), QStringLiteral("&New"));
    QCOMPARE(g.form->languageFile(), QStringLiteral("English.lng"));
  }

  void garbageSettingsAndMissingScriptStillLoad() {
    Fixture f("de", QStringLiteral("/no/such/script.snv"));
    QByteArray junk(5000, '\x01');
    f.folder.writeSettings(junk);
    f.form->Form_Load();
    QCOMPARE(f.form->doc().Modified, 0);
    QVERIFY(f.form->windowTitle().endsWith(QStringLiteral("script.snv")));
  }

  void commandLineOpensScript() {
    test::ProgramFolder scripts;
    scripts.write(QStringLiteral("act one.rtf"), "{\\rtf1\\ansi Hello [[Play Audio]]\\par}");
    Fixture f("de", scripts.file(QStringLiteral("act one.rtf")));
    f.form->Form_Load();
    QVERIFY(f.form->editor()->Text().startsWith(QStringLiteral("Hello")));
    QCOMPARE(f.form->doc().Modified, 0);
    QCOMPARE(f.form->windowTitle(), QStringLiteral("Scenova - act one.rtf"));
    // Relative cues resolve beside the script, as after the Open dialog.
    QCOMPARE(QDir::current().canonicalPath(), QDir(scripts.path()).canonicalPath());
    QDir::setCurrent(QDir::tempPath());
  }

  void closeWritesSettingsAndAsksOnce() {
    Fixture f;
    f.form->Form_Load();
    f.form->show();
    f.form->editor()->SetText(QStringLiteral("text"));
    QCOMPARE(f.form->doc().Modified, 1);
    f.dialogs.messageAnswers.push_back(platform::MsgAnswer::Cancel);
    f.form->mnuEsci_Click();
    QVERIFY(f.form->isVisible());  // cancelled: the window stays
    QCOMPARE(f.dialogs.messages.size(), 1);
    const LanguageTable L = f.file("Deutsch.lng");
    QCOMPARE(f.dialogs.messages[0].text, L[75] + QLatin1Char(' ') + L[97] + QStringLiteral(" 1?"));
    // The settings were written all the same.
    QCOMPARE(SettingsFile::read(f.folder.settingsPath()).languageFile.value_or(QString()),
             QStringLiteral("Deutsch.lng"));
    f.dialogs.messageAnswers.push_back(platform::MsgAnswer::No);
    QTest::keyClick(f.form.get(), Qt::Key_Escape);
    QVERIFY(!f.form->isVisible());
  }

  void saveOnCloseWritesTheScript() {
    Fixture f;
    f.form->Form_Load();
    f.form->show();
    f.form->editor()->SetText(QStringLiteral("Act 1 [[bell.wav]]"));
    f.dialogs.messageAnswers.push_back(platform::MsgAnswer::Yes);
    f.dialogs.fileAnswers.push_back(f.folder.file(QStringLiteral("show.snv")));
    f.form->mnuEsci_Click();
    QVERIFY(!f.form->isVisible());
    QVERIFY(f.folder.read(QStringLiteral("show.snv")).startsWith("{\\rtf1"));
  }

  void failedSaveKeepsTheWindowOpen() {
    Fixture f;
    f.form->Form_Load();
    f.form->show();
    f.form->editor()->SetText(QStringLiteral("precious"));
    f.dialogs.messageAnswers.push_back(platform::MsgAnswer::Yes);
    f.dialogs.fileAnswers.push_back(QStringLiteral("/no/such/folder/show.snv"));
    f.form->mnuEsci_Click();
    QVERIFY(f.form->isVisible());
    QCOMPARE(f.form->doc().Modified, 1);
  }

  void noticeShowsAndHides() {
    Fixture f;
    f.form->Form_Load();
    f.form->ShowNotice(QStringLiteral("file not found"));
    QVERIFY(f.form->ui().Label11->isVisibleTo(f.form.get()));
    QCOMPARE(f.form->timers().Timer5.interval(), 6000);
    QVERIFY(f.form->timers().Timer5.isActive());
    f.form->notice().expire();
    QVERIFY(!f.form->ui().Label11->isVisibleTo(f.form.get()));
    QVERIFY(!f.form->timers().Timer5.isActive());
  }

  void languageCommand() {
    Fixture f;
    f.form->Form_Load();
    f.dialogs.fileAnswers.push_back(f.folder.file(QStringLiteral("Lang/Italiano.lng")));
    f.form->mnuLingua_Click();
    QCOMPARE(f.form->languageFile(), QStringLiteral("Italiano.lng"));
    QCOMPARE(f.form->ui().mnuFile->title(), f.file("Italiano.lng")[2]);
    const platform::FileDialogRequest& r = f.dialogs.fileRequests.constLast();
    QCOMPARE(r.filters.size(), 1);
    QCOMPARE(r.filters[0].patterns, QStringLiteral("*.lng"));
    QVERIFY(r.initialFolder.endsWith(QStringLiteral("/Lang")));
    QCOMPARE(SettingsFile::read(f.folder.settingsPath()).languageFile.value_or(QString()),
             QStringLiteral("Italiano.lng"));
    f.form->mnuLingua_Click();  // cancelled: nothing changes
    QCOMPARE(f.form->languageFile(), QStringLiteral("Italiano.lng"));
  }

  // The play buttons' markers hold the words of the language they were set
  // in; after a change they must read in the new one, or the next press of
  // Play would take the pause branch and be lost.
  void playMarkersFollowALanguageChange() {
    Fixture f;
    f.form->Form_Load();
    const LanguageTable italian = f.file("Italiano.lng");
    QVERIFY(italian[7] != f.form->lang()[7] && italian[8] != f.form->lang()[8]);
    for (const bool audioPlaying : {false, true}) {
      f.form->ui().cmdPlayA->Tag = f.form->lang()[audioPlaying ? 8 : 7];
      f.form->ui().cmdPlayV->Tag = f.form->lang()[audioPlaying ? 7 : 8];
      const QString next =
          audioPlaying ? QStringLiteral("Lang/English.lng") : QStringLiteral("Lang/Italiano.lng");
      f.dialogs.fileAnswers.push_back(f.folder.file(next));
      f.form->mnuLingua_Click();
      QCOMPARE(f.form->ui().cmdPlayA->Tag, f.form->lang()[audioPlaying ? 8 : 7]);
      QCOMPARE(f.form->ui().cmdPlayV->Tag, f.form->lang()[audioPlaying ? 7 : 8]);
      QCOMPARE(f.form->ui().mnuPlayAudio->text(), f.form->ui().cmdPlayA->Tag);
      QCOMPARE(f.form->ui().mnuPlayVideo->text(), f.form->ui().cmdPlayV->Tag);
    }
    QCOMPARE(f.form->languageFile(), QStringLiteral("English.lng"));
  }

  // A file the next start could not read from the program's Lang folder is
  // refused: the language stays, nothing is saved, and the operator is told.
  void languageFilesTheProgramCannotUseAreRefused_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("text");
    QTest::newRow("a Lang folder elsewhere")
        << QStringLiteral("elsewhere/Lang/Italiano.lng") << 164;
    QTest::newRow("beside the Lang folder") << QStringLiteral("Italiano.lng") << 164;
    QTest::newRow("sneaking out of Lang") << QStringLiteral("Lang/../Italiano.lng") << 164;
    QTest::newRow("a fifo in Lang") << QStringLiteral("Lang/Pipe.lng") << 165;
    QTest::newRow("too large") << QStringLiteral("Lang/Huge.lng") << 165;
  }
  void languageFilesTheProgramCannotUseAreRefused() {
    QFETCH(QString, chosen);
    QFETCH(int, text);
    Fixture f;
    f.form->Form_Load();
    QDir().mkpath(f.folder.file(QStringLiteral("elsewhere/Lang")));
    const QByteArray italian = f.folder.read(QStringLiteral("Lang/Italiano.lng"));
    f.folder.write(QStringLiteral("elsewhere/Lang/Italiano.lng"), italian);
    f.folder.write(QStringLiteral("Italiano.lng"), italian);
    QCOMPARE(::mkfifo(QFile::encodeName(f.folder.file(QStringLiteral("Lang/Pipe.lng"))), 0600), 0);
    f.folder.write(QStringLiteral("Lang/Huge.lng"), italian.leftJustified(2 << 20, ' '));
    const QByteArray settings = f.folder.read(QStringLiteral("Scenova.ini"));
    const QString title = f.form->ui().mnuFile->title();
    const QString before = f.form->languageFile();

    f.dialogs.fileAnswers.push_back(f.folder.file(chosen));
    f.form->mnuLingua_Click();
    QCOMPARE(f.form->languageFile(), before);
    QCOMPARE(f.form->ui().mnuFile->title(), title);
    QCOMPARE(f.folder.read(QStringLiteral("Scenova.ini")), settings);
    QCOMPARE(f.dialogs.messages.size(), 1);
    QVERIFY(f.dialogs.messages[0].text.startsWith(f.form->lang()[text]));
    QVERIFY(!f.form->lang()[text].isEmpty());
  }

  void layoutKeepsPanelsRightAndMinimumSize() {
    Fixture f;
    f.form->Form_Load();
    f.form->show();
    f.form->resize(200, 200);
    QVERIFY(f.form->ui().central->width() >= twips::toPixels(design::kMinWidth));
    f.form->resize(1200, 800);
    Form1& w = *f.form;
    // The window system reports the new size through the event loop.
    QTRY_VERIFY(w.ui().central->width() >= 1100);
    const QRect editor = w.ui().Label1->geometry();
    const QRect audio = w.ui().Picture2->geometry();
    QVERIFY(editor.right() < audio.left());
    QVERIFY(audio.right() <= w.ui().central->width());
    QCOMPARE(w.ui().Picture3->x(), audio.x());
    QVERIFY(w.ui().RTB->geometry().right() < editor.right() + 1);
  }
};

QTEST_MAIN(TestForm1)
#include "test_form1.moc"
