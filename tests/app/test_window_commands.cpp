// The toolbar, the font boxes, the hover frame, the menu commands that act
// on the editor, the clipboard, the settings panels, the screen-saver option
// and the volume kept by a session without a mixer.

#include "app/document_commands.h"
#include "app/settings_file.h"
#include "app/settings_panels.h"
#include "app/toolbar_commands.h"
#include "audio/transport_buttons.h"
#include "platform/screen_saver.h"
#include "script/cue_engine.h"
#include "support/form_fixture.h"
#include "ui/language_table.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

using namespace scenova;
using test::FormFixture;

namespace {

class RecordingScreenSaver final : public platform::ScreenSaver {
 public:
  QList<bool> calls;
  int pokes = 0;
  void setInhibited(bool on) override { calls << on; }
  bool inhibited() const override { return !calls.isEmpty() && calls.constLast(); }
  void pokeActivity() override { ++pokes; }
};

QStringList settingsLines(const FormFixture& f) {
  return QString::fromUtf8(f.folder.read(QStringLiteral("Scenova.ini")))
      .split(QStringLiteral("\r\n"));
}

}  // namespace

class TestWindowCommands : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void togglesFollowTheMixedSelectionRule() {
    FormFixture f;
    platform::RTB& rtb = f.rtb();
    rtb.SetText(QStringLiteral("half bold"));
    rtb.Select(0, 4);
    rtb.SetSelBold(true);
    rtb.Select(0, 9);
    QCOMPARE(rtb.SelBold(), std::optional<bool>());  // mixed
    f.form->subsystems().toolbar.Label2_Click(4);
    QCOMPARE(rtb.SelBold(), std::optional<bool>(true));  // partly bold becomes all bold
    f.form->subsystems().toolbar.Label2_Click(4);
    QCOMPARE(rtb.SelBold(), std::optional<bool>(false));
    const std::pair<int, std::function<std::optional<bool>()>> toggles[] = {
        {5, [&] { return rtb.SelItalic(); }},
        {6, [&] { return rtb.SelUnderline(); }},
        {7, [&] { return rtb.SelStrikeThru(); }},
        {14, [&] { return rtb.SelBullet(); }}};
    for (const auto& [index, read] : toggles) {
      f.form->ui().Label2[static_cast<size_t>(index)]->Click();
      QVERIFY2(read() == std::optional<bool>(true), qPrintable(QString::number(index)));
      f.form->subsystems().toolbar.Label2_Click(index);
      QVERIFY2(read() == std::optional<bool>(false), qPrintable(QString::number(index)));
    }
    // Alignment codes: 0 left, 2 centre, 1 right.
    f.form->subsystems().toolbar.Label2_Click(9);
    QCOMPARE(rtb.SelAlignment(), std::optional<int>(2));
    f.form->subsystems().toolbar.Label2_Click(10);
    QCOMPARE(rtb.SelAlignment(), std::optional<int>(1));
    f.form->subsystems().toolbar.Label2_Click(8);
    QCOMPARE(rtb.SelAlignment(), std::optional<int>(0));
    f.form->subsystems().toolbar.Label2_Click(17);  // no such button
    f.form->subsystems().toolbar.Label2_Click(-1);
  }

  void sizeSteps() {
    FormFixture f;
    platform::RTB& rtb = f.rtb();
    rtb.SetText(QStringLiteral("ab"));
    rtb.Select(0, 2);
    rtb.SetSelFontSize(12);
    f.form->subsystems().toolbar.Label2_Click(11);
    QCOMPARE(rtb.SelFontSize(), std::optional<qreal>(13));
    f.form->subsystems().toolbar.Label2_Click(12);
    f.form->subsystems().toolbar.Label2_Click(12);
    QCOMPARE(rtb.SelFontSize(), std::optional<qreal>(11));
    rtb.Select(0, 1);
    rtb.SetSelFontSize(20);
    rtb.Select(0, 2);
    f.form->subsystems().toolbar.Label2_Click(11);  // mixed sizes: unchanged
    rtb.Select(0, 1);
    QCOMPARE(rtb.SelFontSize(), std::optional<qreal>(20));
    rtb.Select(1, 1);
    QCOMPARE(rtb.SelFontSize(), std::optional<qreal>(11));
    rtb.SetSelFontSize(1);
    f.form->subsystems().toolbar.Label2_Click(12);  // never down to nothing
    QCOMPARE(rtb.SelFontSize(), std::optional<qreal>(1));
  }

  void fontBoxes() {
    FormFixture f;
    platform::RTB& rtb = f.rtb();
    rtb.SetText(QStringLiteral("text"));
    rtb.Select(0, 4);
    QComboBox& names = *f.form->ui().Combo1;
    QComboBox& sizes = *f.form->ui().Combo2;
    names.setEditText(QStringLiteral("DejaVu Sans"));  // a list entry: applied at once
    QCOMPARE(rtb.SelFontName(), std::optional<QString>(QStringLiteral("DejaVu Sans")));
    names.setEditText(QStringLiteral("Ari"));  // typed, no list entry: not applied
    QCOMPARE(rtb.SelFontName(), std::optional<QString>(QStringLiteral("DejaVu Sans")));
    sizes.setEditText(QStringLiteral("1"));
    QCOMPARE(rtb.SelFontSize(), std::optional<qreal>(1));
    sizes.setEditText(QStringLiteral("17"));  // not in the list, applied all the same
    QCOMPARE(rtb.SelFontSize(), std::optional<qreal>(17));
    for (const char* ignored : {"0", "word", "", "-3", "1e9", "nan"}) {
      sizes.setEditText(QString::fromLatin1(ignored));
      QVERIFY2(rtb.SelFontSize() == std::optional<qreal>(17), ignored);
    }
    sizes.setEditText(QStringLiteral("10.5"));
    QCOMPARE(rtb.SelFontSize(), std::optional<qreal>(10.5));
  }

  // The untitled script's font is the one the box shows, Arial or its
  // metric-compatible substitute, never the alphabetically first family.
  void theFirstScriptIsInArialOrItsSubstitute() {
    for (const bool arial : {true, false}) {
      FormFixture f({}, nullptr, {}, false);
      f.env.fonts = {QStringLiteral("Aharoni"), QStringLiteral("DejaVu Math TeX Gyre"),
                     QStringLiteral("Liberation Sans")};
      if (arial) f.env.fonts << QStringLiteral("Arial");
      const QString expected = arial ? QStringLiteral("Arial") : QStringLiteral("Liberation Sans");
      f.form->Form_Load();
      QCOMPARE(f.form->ui().Combo1->currentText(), expected);
      f.rtb().SetSelText(QStringLiteral("ACT ONE"));
      f.rtb().Select(0, 7);
      QCOMPARE(f.rtb().SelFontName(), std::optional<QString>(expected));
      const QString path = f.folder.file(QStringLiteral("first.snv"));
      f.dialogs.fileAnswers.push_back(path);
      f.form->subsystems().documents.mnuSalvaConNome_Click();
      const QByteArray saved = f.folder.read(QStringLiteral("first.snv"));
      QVERIFY2(saved.contains(expected.toLatin1()), saved.constData());
      QVERIFY2(!saved.contains("Aharoni") && !saved.contains("DejaVu Math"), saved.constData());
    }
  }

  // Qt's own buttons follow the language file, also after a change of
  // language in the window.
  void standardButtonsSpeakTheWindowsLanguage() {
    FormFixture f({}, nullptr, {}, false);
    f.folder.writeSettings("Italiano.lng\r\n");
    f.form->Form_Load();
    auto texts = []() -> QString {
      QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::Cancel);
      return ui::StripAmpersands(box.button(QDialogButtonBox::Yes)->text()) + u'/' +
             ui::StripAmpersands(box.button(QDialogButtonBox::Cancel)->text());
    };
    QCOMPARE(texts(), QString::fromUtf8("Sì/Annulla"));
    f.dialogs.fileAnswers.push_back(f.folder.file(QStringLiteral("Lang/Deutsch.lng")));
    f.form->ui().mnuLingua->trigger();
    QCOMPARE(texts(), QStringLiteral("Ja/Abbrechen"));
    f.dialogs.fileAnswers.push_back(f.folder.file(QStringLiteral("Lang/English.lng")));
    f.form->ui().mnuLingua->trigger();
    QCOMPARE(texts(), QStringLiteral("Yes/Cancel"));
  }

  void hoverFrame() {
    FormFixture f;
    app::ToolbarCommands& t = f.form->subsystems().toolbar;
    ui::Control* frame = f.form->ui().Shape5;
    f.form->ui().Label2[15]->Tag = QStringLiteral("thunder.wav");  // the current cue
    Q_EMIT f.form->ui().Label2[15]->MouseMove(0, 0, 10, 10);
    QVERIFY(frame->isVisibleTo(f.form.get()));
    QCOMPARE(frame->geometry(), f.form->ui().Label2[15]->geometry());
    Q_EMIT f.form->ui().Label2[3]->MouseMove(0, 0, 10, 10);
    QCOMPARE(t.hovered(), 3);
    QCOMPARE(frame->geometry(), f.form->ui().Label2[3]->geometry());
    QCOMPARE(f.form->ui().Label2[15]->Tag, QStringLiteral("thunder.wav"));  // untouched
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 400), QPointF(5, 400), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(f.form->ui().central, &move);
    QVERIFY(!frame->isVisibleTo(f.form.get()));
    QCOMPARE(t.hovered(), -1);
  }

  void theTransportsBackgroundMovesPutTheToolbarFrameAway() {
    FormFixture f;
    app::ToolbarCommands& t = f.form->subsystems().toolbar;
    ui::Control* frame = f.form->ui().Shape5;
    auto* engine = &f.form->subsystems().cues;
    QVERIFY(engine);
    // From a toolbar button straight onto the frame around the editor.
    Q_EMIT f.form->ui().Label2[4]->MouseMove(0, 0, 10, 10);
    QVERIFY(frame->isVisibleTo(f.form.get()));
    Q_EMIT f.form->ui().Label1->MouseMove(0, 0, 3, 3);
    QVERIFY(!frame->isVisibleTo(f.form.get()));
    QCOMPARE(t.hovered(), -1);
    // The background handler itself, as the transport runs it.
    Q_EMIT f.form->ui().Label2[7]->MouseMove(0, 0, 10, 10);
    QCOMPARE(t.hovered(), 7);
    engine->buttons().Form_MouseMove();
    QVERIFY(!frame->isVisibleTo(f.form.get()));
    QCOMPARE(t.hovered(), -1);
    // The same button is marked again on the next entry.
    Q_EMIT f.form->ui().Label2[7]->MouseMove(0, 0, 10, 10);
    QVERIFY(frame->isVisibleTo(f.form.get()));
  }

  void editMenuCommands() {
    FormFixture f;
    platform::RTB& rtb = f.rtb();
    rtb.SetText(QStringLiteral("Act one"));
    f.form->doc().Modified = 0;
    f.form->ui().mnuAnnulla->trigger();
    QCOMPARE(f.form->doc().Modified, 1);
    f.form->doc().Modified = 0;
    f.form->ui().mnuRipeti->trigger();
    QCOMPARE(f.form->doc().Modified, 1);
    f.form->ui().mnuSelezionaTutto->trigger();
    QCOMPARE(rtb.SelStart(), 0);
    QCOMPARE(rtb.SelLength(), rtb.TextLength());
  }

  void clipboardCarriesRtfUnderBothNames() {
    FormFixture f;
    platform::RTB& rtb = f.rtb();
    rtb.SetText(QStringLiteral("plain LOUD plain"));
    rtb.Select(6, 4);
    rtb.SetSelBold(true);
    rtb.SetSelColor(QColor(255, 0, 0));
    f.form->ui().mnuCopia->trigger();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    for (const char* type : {"text/rtf", "application/rtf"}) {
      const QByteArray rtf = data->data(QString::fromLatin1(type));
      QVERIFY2(rtf.contains("\\b"), type);
      QVERIFY2(rtf.contains("\\red255\\green0\\blue0"), rtf.constData());
    }
    QCOMPARE(data->text(), QStringLiteral("LOUD"));
    // Cut removes it, Paste brings it back formatted.
    f.form->ui().mnuTaglia->trigger();
    QCOMPARE(rtb.Text(), QStringLiteral("plain  plain"));
    f.form->ui().mnuIncolla->trigger();
    QCOMPARE(rtb.Text(), QStringLiteral("plain LOUD plain"));
    rtb.Select(6, 4);
    QCOMPARE(rtb.SelBold(), std::optional<bool>(true));
    // RTF from another program under application/rtf only.
    auto* other = new QMimeData;
    other->setData(QStringLiteral("application/rtf"),
                   "{\\rtf1\\ansi{\\colortbl;\\red0\\green0\\blue255;}\\i\\cf1 blue}");
    other->setText(QStringLiteral("blue"));
    QGuiApplication::clipboard()->setMimeData(other);
    rtb.SetSelStart(0);
    f.form->ui().mnuIncolla->trigger();
    QVERIFY(rtb.Text().startsWith(QStringLiteral("blue")));
    rtb.Select(0, 4);
    QCOMPARE(rtb.SelItalic(), std::optional<bool>(true));
    QCOMPARE(rtb.SelColor().value_or(QColor()).rgb(), QColor(0, 0, 255).rgb());
    // Malformed RTF with a plain-text twin: the text goes in, nothing breaks.
    auto* broken = new QMimeData;
    broken->setData(QStringLiteral("text/rtf"),
                    QByteArray("{\\rtf1{{{{\\bin999999999 \x01\x02", 20));
    broken->setText(QStringLiteral("safe"));
    QGuiApplication::clipboard()->setMimeData(broken);
    rtb.SetSelStart(0);
    f.form->ui().mnuIncolla->trigger();
    QVERIFY(rtb.TextLength() > 0);
  }

  void settingsPanelsStartTheFirstInstalledTool() {
    FormFixture f;
    f.system.installed = {QStringLiteral("gnome-control-center"), QStringLiteral("arandr")};
    f.form->ui().mnuImpostaAudio->trigger();
    QCOMPARE(f.system.started.size(), 1);
    QCOMPARE(f.system.started[0],
             (QStringList{QStringLiteral("gnome-control-center"), QStringLiteral("sound")}));
    f.form->ui().mnuMonitorSettings->trigger();
    QCOMPARE(f.system.started[1], QStringList{QStringLiteral("arandr")});
    // Nothing installed: a notice says so.
    f.system.installed.clear();
    f.form->ui().mnuMonitorSettings->trigger();
    QCOMPARE(f.system.started.size(), 2);
    QVERIFY(f.form->ui().Label11->isVisibleTo(f.form.get()));
    QCOMPARE(f.form->ui().Label11->caption(), f.text(153));
    QVERIFY(!f.text(153).isEmpty());
  }

  void screenSaverOption() {
    RecordingScreenSaver saver;
    {
      FormFixture f({}, &saver);
      QCOMPARE(saver.calls, QList<bool>());  // off by default: nothing asked
      f.form->ui().mnuScreenSaver->trigger();
      QCOMPARE(saver.calls, QList<bool>{true});
      QVERIFY(f.form->timers().Timer6.isActive());
      QCOMPARE(f.form->timers().Timer6.interval(), 30000);
      QCOMPARE(settingsLines(f).value(3), QStringLiteral("1"));  // written at once
      f.form->Timer6_Timer();
      QCOMPARE(saver.pokes, 1);
      f.form->ui().mnuScreenSaver->trigger();
      QCOMPARE(saver.calls, (QList<bool>{true, false}));
      QVERIFY(!f.form->timers().Timer6.isActive());
      QCOMPARE(settingsLines(f).value(3), QStringLiteral("0"));
    }
    // Restored from the settings at start, "2" counting as on.
    saver.calls.clear();
    test::ProgramFolder folder;
    FormFixture g({}, &saver);
    g.folder.writeSettings("English.lng\r\n\r\n\r\n2\r\n");
    g.form = nullptr;
    saver.calls.clear();
    app::Services s;
    s.dialogs = &g.dialogs;
    s.env = &g.env;
    s.system = &g.system;
    s.settingsPath = g.folder.settingsPath();
    s.screenSaver = &saver;
    app::Form1 w(s, ui::LanguageTable());
    w.Form_Load();
    QCOMPARE(saver.calls, QList<bool>{true});
    QVERIFY(w.ui().mnuScreenSaver->isChecked());
  }

  void sessionWithoutMixerKeepsTheSavedVolume() {
    test::ProgramFolder folder;
    folder.writeSettings("English.lng\r\n40000\r\n1500\r\n0\r\n0\r\n1\r\n\r\n0\r\n");
    platform::FakeDialogs dialogs;
    platform::FakeEnvironment env;
    env.folder = folder.path();
    platform::FakeSystemServices system;
    app::Services s;
    s.dialogs = &dialogs;
    s.env = &env;
    s.system = &system;
    s.settingsPath = folder.settingsPath();  // no mixer
    app::Form1 w(s, ui::LanguageTable());
    w.Form_Load();
    // The operator moves the knob; without a mixer it stands for nothing.
    Q_EMIT w.ui().Image3->MouseUp(1, 0, 10, 200);
    w.SaveSettings();
    const QStringList lines =
        QString::fromUtf8(folder.read(QStringLiteral("Scenova.ini"))).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.value(1), QStringLiteral("40000"));
    QCOMPARE(lines.value(2), QStringLiteral("1500"));
    QCOMPARE(lines.size(), 9);  // eight lines, each ended
  }
};

QTEST_MAIN(TestWindowCommands)
#include "test_window_commands.moc"
