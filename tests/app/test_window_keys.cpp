// The keyboard of the shown main window and of its show windows on the test
// X server (two monitors): keys typed with xdotool go wherever the X focus
// is and then through Qt's own focus and shortcut handling, as an
// operator's keys do. The players and the audio device are fakes; the
// windows, monitors and keys are real.

#include "app/editing_tools.h"
#include "app/form1.h"
#include "app/show_mode.h"
#include "app/subsystems.h"
#include "fakes/fakes.h"
#include "fakes/media/fake_audio_device.h"
#include "fakes/media/fake_media_player.h"
#include "platform/rtb/rtb.h"
#include "support/program_folder.h"
#include "support/sink_recorder.h"
#include "support/window_focus.h"
#include "tools/frm_find.h"
#include "video/projector_window.h"
#include "video/video_panel.h"
#include "video/zoom_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace scenova;
using namespace scenova::app;

namespace {

// One cue a paragraph, commands in blue as the program writes them; the
// picture and the video are shown on the second monitor.
const QByteArray kScript =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue255;}\\f0 "
    "[[clip.mp4]]\\par\\cf1 [[Projector On]]\\par [[Play Video]]\\par\\cf0 [[slide.jpg]]\\par "
    "[[tone.wav]]\\par\\cf1 [[Play Audio]]\\par [[Stop Audio]]\\par}";

struct Rig {
  test::ProgramFolder folder;
  platform::FakeDialogs dialogs;
  platform::FakeEnvironment env;
  platform::FakeSystemServices system;
  platform::FakeAudioDevice audio;
  QList<QPointer<platform::FakeMediaPlayer>> players;  // WMP2, then WMP1
  std::unique_ptr<Form1> form;

  Rig() {
    env.folder = folder.path();
    env.country = QStringLiteral("gb");
    folder.write(QStringLiteral("show.rtf"), kScript);
    folder.write(QStringLiteral("tone.wav"), test::toneWav(440, 1));
    folder.write(QStringLiteral("clip.mp4"), QByteArrayLiteral("video"));
    QImage slide(400, 300, QImage::Format_RGB32);
    slide.fill(Qt::white);
    slide.save(folder.file(QStringLiteral("slide.jpg")), "JPG");
    Services s;
    s.dialogs = &dialogs;
    s.env = &env;
    s.system = &system;
    s.audio = &audio;
    s.settingsPath = folder.settingsPath();
    s.commandLine = folder.file(QStringLiteral("show.rtf"));
    s.playerFactory = [this](const platform::PlayerSettings& settings, QWidget* parent) {
      auto p = std::make_unique<platform::FakeMediaPlayer>(settings, parent);
      players << p.get();
      return std::unique_ptr<platform::MediaPlayer>(std::move(p));
    };
    form = std::make_unique<Form1>(s, ui::LanguageTable());
    form->Form_Load();
    form->show();
  }
  ~Rig() { QDir::setCurrent(QDir::tempPath()); }

  platform::RTB* editor() const { return form->editor(); }
  ShowMode& show() const { return *&form->subsystems().show; }
  video::VideoPanel& video() const { return *&form->subsystems().video; }
  platform::FakeMediaPlayer* wmp1() const { return players.value(1); }
  QString text(int n) const { return form->lang()[n]; }
  // The cue the next GO fires.
  QString marked() {
    const std::optional<script::CueBounds> m = show().nextCue().mark();
    return m ? editor()->Mid(m->contentStart(), m->contentLength()) : QString();
  }

  // Gives the window the X focus, as a click on it would.
  static bool focus(QWidget* window) { return test::giveFocus(window); }
  // A key typed on the keyboard: it goes to the window with the X focus.
  static void key(const char* name) {
    test::xdotool({QStringLiteral("key"), QLatin1StringView(name)});
  }
  // A click in the cue, as the operator fires it.
  void fire(const QString& content) {
    const qsizetype at = editor()->Text().indexOf(content);
    QVERIFY2(at >= 0, qPrintable(content));
    editor()->SetSelStart(static_cast<int>(at) + 2);
    Q_EMIT editor()->Click();
  }
  // Sets the show going: the video on the projector, playing.
  void videoOnTheProjector() {
    fire(QStringLiteral("clip.mp4"));
    fire(QStringLiteral("Projector On"));
    fire(QStringLiteral("Play Video"));
    QVERIFY(video().Form2().isVisible());
    QVERIFY(wmp1() && wmp1()->playing());
  }
  QStringList messages() const {
    QStringList texts;
    for (const auto& m : dialogs.messages) texts << m.text;
    return texts;
  }
  // Whether any of the program's windows is still on a screen.
  static bool anyWindowShown() {
    for (const QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible()) return true;
    return false;
  }
};

}  // namespace

class TestWindowKeys : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) QSKIP("needs the test X server");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) QSKIP("needs xdotool");
    if (QGuiApplication::screens().size() < 2) QSKIP("needs the test X server's two monitors");
  }

  // The font boxes (the focus is there at start-up) and the projector switch
  // keep their Escape: the control gives up the focus, and only then does
  // Escape close the program.
  // A started video puts the busy pointer on the operator's window; the
  // pointer over video Back takes it away again.
  void hoveringVideoBackEndsTheBusyPointer() {
    Rig r;
    r.fire(QStringLiteral("clip.mp4"));
    r.fire(QStringLiteral("Play Video"));
    QVERIFY(r.video().busy());
    QCOMPARE(r.form->cursor().shape(), Qt::BusyCursor);
    Q_EMIT r.form->ui().cmdBacV->MouseMove(0, 0, 10, 10);
    QVERIFY(!r.video().busy());
    QCOMPARE(r.form->cursor().shape(), Qt::ArrowCursor);
  }

  void escapeInAControlLeavesTheProgramOpen() {
    Rig r;
    QVERIFY(Rig::focus(r.form.get()));
    r.fire(QStringLiteral("clip.mp4"));  // the video panel with its switch
    QWidget* const controls[] = {r.form->ui().Combo1, r.form->ui().Combo2, r.form->ui().Check1};
    for (QWidget* control : controls) {
      control->setFocus();
      QTRY_VERIFY(control->hasFocus() || control->isAncestorOf(QApplication::focusWidget()));
      Rig::key("Escape");
      QTRY_VERIFY2(r.form->hasFocus(), qPrintable(control->objectName()));
      QVERIFY2(r.form->isVisible(), qPrintable(control->objectName()));
    }
    QVERIFY(r.messages().isEmpty());
    // Escape in the script is the script's own.
    r.editor()->setFocus();
    r.editor()->SetSelStart(0);
    Rig::key("Escape");
    Rig::key("ctrl+End");  // seen once the Escape before it was handled
    QTRY_VERIFY(r.editor()->SelStart() > 0);
    QVERIFY(r.form->isVisible());
    // With no control focused and nothing playing, Escape closes without a
    // question.
    r.form->setFocus();
    Rig::key("Escape");
    QTRY_VERIFY(!r.form->isVisible());
    QVERIFY(r.messages().isEmpty());
  }

  // An operator who meant "stop" must not end the show: Escape asks while
  // sound plays or a picture is on the projector.
  void escapeAsksWhileTheShowGoesOn() {
    Rig r;
    QVERIFY(Rig::focus(r.form.get()));
    r.fire(QStringLiteral("tone.wav"));
    r.fire(QStringLiteral("Play Audio"));
    QVERIFY(r.audio.playing);
    r.form->setFocus();
    Rig::key("Escape");  // answered No
    QTRY_COMPARE(r.messages(), QStringList{r.text(200)});
    QVERIFY(r.form->isVisible());
    QVERIFY(r.audio.playing);

    r.fire(QStringLiteral("Stop Audio"));
    QVERIFY(!r.audio.playing);
    r.fire(QStringLiteral("slide.jpg"));
    video::ZoomWindow& zoom = r.video().frmZoom();
    QVERIFY(QTest::qWaitForWindowExposed(&zoom));
    QVERIFY(Rig::focus(r.form.get()));
    r.form->setFocus();
    r.dialogs.messageAnswers.push_back(platform::MsgAnswer::Yes);
    Rig::key("Escape");
    QTRY_VERIFY(!r.form->isVisible());
    QCOMPARE(r.messages(), (QStringList{r.text(200), r.text(200)}));
    QVERIFY(!zoom.isVisible());
    QVERIFY(!Rig::anyWindowShown());
  }

  // "Projector On" gives the projector window the focus: GO, the mark keys
  // and Stop all still work there, and on the picture window, and Escape
  // is Stop all, never the show window's own hiding.
  void showModeKeepsTheKeyboardOnTheShowWindows() {
    Rig r;
    QVERIFY(Rig::focus(r.form.get()));
    r.editor()->setFocus();
    Rig::key("F12");
    QTRY_VERIFY(r.show().isOn());
    Rig::key("space");  // the clip (its player may take a while under load)
    QTRY_VERIFY_WITH_TIMEOUT(r.form->ui().Picture3->isVisible(), 15000);
    Rig::key("space");  // Projector On
    video::ProjectorWindow& projector = r.video().Form2();
    QTRY_VERIFY(projector.isActiveWindow());
    Rig::key("space");  // Play Video, typed on the projector
    QTRY_VERIFY(r.wmp1() && r.wmp1()->playing());
    Rig::key("Escape");  // Stop all
    QTRY_VERIFY(!r.wmp1()->playing());
    QVERIFY(r.show().isOn());
    QVERIFY(r.form->isVisible());

    // The picture window, given the focus by a click.
    QVERIFY(Rig::focus(r.form.get()));
    Rig::key("space");  // the picture
    QTRY_COMPARE(r.marked(), QStringLiteral("tone.wav"));
    video::ZoomWindow& zoom = r.video().frmZoom();
    QTRY_VERIFY(zoom.isVisible());
    QVERIFY(Rig::focus(&zoom));
    Rig::key("Up");
    QTRY_COMPARE(r.marked(), QStringLiteral("slide.jpg"));
    Rig::key("Down");
    QTRY_COMPARE(r.marked(), QStringLiteral("tone.wav"));
    Rig::key("space");  // tone.wav
    QTRY_VERIFY(r.audio.isOpen());
    r.audio.commands.clear();
    QVERIFY(zoom.isActiveWindow());
    Rig::key("KP_Enter");  // Play Audio
    QTRY_VERIFY(r.audio.playing);
    Rig::key("Escape");
    QTRY_VERIFY(!r.audio.playing);
    QVERIFY(zoom.isVisible());  // Stop all leaves the picture
    QVERIFY(r.form->isVisible());
    QVERIFY(r.messages().isEmpty());
  }

  // Closing the window asks in show mode; once the close is decided every
  // show window and player ends, whichever way the program was left.
  void closingEndsEveryShowWindowAndPlayer() {
    Rig r;
    QVERIFY(Rig::focus(r.form.get()));
    r.show().setOn(true);
    r.videoOnTheProjector();
    QVERIFY(!r.form->close());  // answered No
    QCOMPARE(r.messages(), QStringList{r.text(201)});
    QVERIFY(r.video().Form2().isVisible());
    QVERIFY(r.wmp1()->playing());

    r.dialogs.messageAnswers.push_back(platform::MsgAnswer::Yes);
    QVERIFY(r.form->close());
    QVERIFY(!r.wmp1()->playing());
    QVERIFY(r.wmp1()->url().isEmpty());
    QVERIFY(!Rig::anyWindowShown());
    QVERIFY(r.audio.actions().contains(QStringLiteral("close all")));
  }

  void fileExitOutsideShowModeEndsThePicture() {
    Rig r;
    QVERIFY(Rig::focus(r.form.get()));
    r.fire(QStringLiteral("slide.jpg"));
    QVERIFY(QTest::qWaitForWindowExposed(&r.video().frmZoom()));
    r.form->ui().mnuEsci->trigger();
    QTRY_VERIFY(!r.form->isVisible());
    QVERIFY(r.messages().isEmpty());  // the menu command is meant
    QVERIFY(!Rig::anyWindowShown());
  }

  // A Replace window left open from before the show changes nothing in
  // the read-only script, and says so.
  void replaceIsRefusedWhileTheScriptIsReadOnly() {
    Rig r;
    QVERIFY(Rig::focus(r.form.get()));
    r.form->ui().mnuSostituisci->trigger();
    tools::frmFind* find = r.form->subsystems().editing.findWindow();
    QVERIFY(find && QTest::qWaitForWindowExposed(find));
    find->cboFind->setEditText(QStringLiteral("clip"));
    find->cboReplace->setEditText(QStringLiteral("film"));
    r.show().setOn(true);
    const QString before = r.editor()->Text();
    QTest::mouseClick(find->cmdReplaceAll, Qt::LeftButton);
    QTest::mouseClick(find->cmdReplace, Qt::LeftButton);
    QTest::mouseClick(find->cmdReplace, Qt::LeftButton);
    QCOMPARE(r.editor()->Text(), before);
    QCOMPARE(r.form->doc().Modified, 0);
    QVERIFY(r.messages().size() >= 2);
    for (const QString& m : r.messages()) QCOMPARE(m, r.text(202));

    r.show().setOn(false);  // editable again: Replace All acts
    QTest::mouseClick(find->cmdReplaceAll, Qt::LeftButton);
    QVERIFY(r.editor()->Text().contains(QStringLiteral("film.mp4")));
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TestWindowKeys test;
  return QTest::qExec(&test, argc, argv);
}
#include "test_window_keys.moc"
