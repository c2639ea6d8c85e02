// The volume slider on the main window: start-up, pointer and fade buttons.

#include "app/form1.h"
#include "app/subsystems.h"
#include "audio/volume_control.h"
#include "fakes/fakes.h"
#include "fakes/media/fake_media_player.h"
#include "fakes/media/fake_mixer.h"
#include "platform/rtb/rtb.h"
#include "script/cue_engine.h"
#include "support/program_folder.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

using namespace scenova;
using namespace scenova::app;
using namespace Qt::StringLiterals;

namespace {

struct Window {
  test::ProgramFolder folder;
  platform::FakeDialogs dialogs;
  platform::FakeEnvironment env;
  platform::FakeSystemServices system;
  platform::FakeMixer mixer;
  platform::FakeMediaPlayer* wmp2 = nullptr;  // the main window's, made first
  LanguageTable L;
  std::unique_ptr<Form1> form;

  explicit Window(const QByteArray& settings, bool mixerOpens = true) {
    env.folder = folder.path();
    env.country = u"gb"_s;
    folder.writeSettings(settings);
    mixer.openSucceeds = mixerOpens;
    L.load(folder.file(u"Lang/English.lng"_s));
    Services s;
    s.dialogs = &dialogs;
    s.env = &env;
    s.system = &system;
    s.mixer = &mixer;
    s.settingsPath = folder.settingsPath();
    s.playerFactory = [this](const platform::PlayerSettings& ps, QWidget* parent) {
      auto player = std::make_unique<platform::FakeMediaPlayer>(ps, parent);
      if (!wmp2) wmp2 = player.get();
      return std::unique_ptr<platform::MediaPlayer>(std::move(player));
    };
    form = std::make_unique<Form1>(s, L);
    form->Form_Load();
    form->show();
  }
  audio::VolumeControl& v() { return *&form->subsystems().volume; }
  double knobTop() const { return twips::top(form->ui().Image2); }
};

}  // namespace

class TestVolumeForm : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void startUp_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<bool>("mixerOpens");
    QTest::addColumn<double>("top");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("label");
    QTest::newRow("first run") << "English.lng\r\n"_ba << true << 757.5 << u"32768"_s << u" 50"_s;
    QTest::newRow("no sound server")
        << "English.lng\r\n"_ba << false << 757.5 << u"0"_s << u" 50"_s;
    QTest::newRow("saved") << "English.lng\r\n16384\r\n1031.5\r\n0\r\n0\r\n1\r\n\r\n0\r\n"_ba
                           << true << 1031.5 << u"16384"_s << u" 25"_s;
    QTest::newRow("saved out of range")
        << "English.lng\r\n-7\r\n88888\r\n0\r\n0\r\n1\r\n\r\n0\r\n"_ba << true << 1260.0 << u"0"_s
        << u" 0"_s;
  }
  void startUp() {
    QFETCH(QByteArray, settings);
    QFETCH(bool, mixerOpens);
    QFETCH(double, top);
    QFETCH(QString, tag);
    QFETCH(QString, label);
    Window w(settings, mixerOpens);
    QCOMPARE(w.knobTop(), top);
    QCOMPARE(w.form->ui().Image2->Tag, tag);
    QCOMPARE(w.form->ui().Label6->caption(), label);
    QCOMPARE(w.wmp2->volume(), label.toInt());
    QCOMPARE(w.mixer.values.isEmpty(), !mixerOpens);
    if (mixerOpens) QCOMPARE(w.mixer.values.last(), tag.toUInt());
    QCOMPARE(w.dialogs.messages.size(), mixerOpens ? 0 : 1);
    if (!mixerOpens) QCOMPARE(w.dialogs.messages[0].text, w.L[29]);
    // What is saved is what was applied; a start without a mixer applied
    // no volume and saves none.
    w.form->SaveSettings();
    const SettingsValues saved = SettingsFile::read(w.folder.settingsPath());
    QCOMPARE(saved.knobValue.has_value(), mixerOpens);
    QCOMPARE(saved.knobTop.has_value(), mixerOpens);
    if (mixerOpens) QCOMPARE(*saved.knobValue, tag);
    if (mixerOpens) QCOMPARE(*saved.knobTop, top);
  }

  // A first start without a sound server must not ruin the next show: the
  // next start with a mixer sets the shipped default (the knob half-way),
  // not 0; a file that had a volume keeps it.
  void startWithoutMixerKeepsTheVolumeLine_data() {
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<double>("top");
    QTest::addColumn<quint32>("applied");
    QTest::newRow("shipped file") << "\r\n"_ba << 757.5 << 32768u;
    QTest::newRow("first run") << "English.lng\r\n"_ba << 757.5 << 32768u;
    QTest::newRow("saved") << "English.lng\r\n16384\r\n1031.5\r\n0\r\n0\r\n1\r\n\r\n0\r\n"_ba
                           << 1031.5 << 16384u;
  }
  void startWithoutMixerKeepsTheVolumeLine() {
    QFETCH(QByteArray, settings);
    QFETCH(double, top);
    QFETCH(quint32, applied);
    QByteArray written;
    {
      Window first(settings, false);
      first.form->SaveSettings();
      written = first.folder.read(u"Scenova.ini"_s);
    }
    QCOMPARE(written.count("\r\n"), 8);
    Window next(written, true);
    QCOMPARE(next.knobTop(), top);
    QCOMPARE(next.mixer.values.last(), applied);
  }

  // A level set while a fade runs ends the fade where it stands: a "Vol"
  // cue right after a fade-out, and a click on the track.
  void levelSetDuringAFadeEndsIt() {
    Window w("English.lng\r\n"_ba);
    auto* engine = &w.form->subsystems().cues;
    QVERIFY(engine);
    w.form->subsystems().volume.fadeButtonClick(3);  // fade out fast
    w.v().Timer3_Timer();
    QVERIFY(w.form->timers().Timer3.isActive());
    w.form->editor()->SetText(u"Go [[Vol 75]] now"_s);
    QString vol = u"Vol 75"_s;
    QVERIFY(engine->interpreter().RunCommand(vol, 6, 12, true));
    QVERIFY(!w.form->timers().Timer3.isActive());
    const double at75 = 1260 - (1260 - 255) * 0.75;
    QCOMPARE(w.knobTop(), at75);
    const quint32 level = w.mixer.values.last();
    QCOMPARE(level, w.form->ui().Image2->Tag.toUInt());
    QVERIFY2(level > 65536 * 0.74 && level < 65536 * 0.76, qPrintable(QString::number(level)));

    // The track: pressed and released while a fade runs.
    w.form->subsystems().volume.fadeButtonClick(0);  // fade in fast
    QVERIFY(w.form->timers().Timer3.isActive());
    Q_EMIT w.form->ui().Image3->MouseUp(1, 0, 3, 600);
    QVERIFY(!w.form->timers().Timer3.isActive());
    QCOMPARE(w.mixer.values.last(), w.form->ui().Image2->Tag.toUInt());
  }

  void fadeButtonsLookAndAct() {
    Window w("English.lng\r\n"_ba);
    const char* pictures[] = {"fadein_fast",  "fadein_normal",  "fadein_slow",
                              "fadeout_fast", "fadeout_normal", "fadeout_slow"};
    for (int i = 0; i < 6; ++i) {
      Control* b = w.form->ui().fadeButtons[static_cast<size_t>(i)];
      QCOMPARE(b->toolTip(), u" "_s + w.L[113 + i] + u" "_s);
      QVERIFY(b->picturePath().endsWith(QLatin1StringView(pictures[i]) + u".png"_s));
    }
    QVERIFY(w.form->ui().Image2->picturePath().endsWith(u"knob.png"_s));
    QVERIFY(w.form->ui().Image3->picturePath().endsWith(u"track.png"_s));

    QTest::mouseClick(w.form->ui().fadeButtons[3], Qt::LeftButton);
    QVERIFY(w.form->timers().Timer3.isActive());
    w.v().Timer3_Timer();
    QCOMPARE(w.knobTop(), 768.0);
    // A click on the track moves the knob there and stops the fade.
    QTest::mouseClick(w.form->ui().Image3, Qt::LeftButton, {}, QPoint(3, 20));
    QVERIFY(!w.form->timers().Timer3.isActive());
    QCOMPARE(w.knobTop(), 255 + 300 - 97.5);
    // The interpreter runs the same fades.
    w.form->subsystems().volume.fadeButtonClick(0);
    QVERIFY(w.form->timers().Timer3.isActive());
    w.v().Timer3_Timer();
    QCOMPARE(w.knobTop(), 448.0);
  }

  void dragWithThePointer() {
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
      Window w("English.lng\r\n"_ba);
      Control* knob = w.form->ui().Image2;
      w.form->subsystems().volume.fadeButtonClick(3);
      QTest::mousePress(knob, button, {}, QPoint(10, 6));
      QVERIFY(w.form->timers().Timer2.isActive());
      QVERIFY(!w.form->timers().Timer3.isActive());
      // 40 pixels below the knob's top: 600 twips.
      QMouseEvent move(QEvent::MouseMove, QPointF(10, 40), knob->mapToGlobal(QPointF(10, 40)),
                       Qt::NoButton, button, Qt::NoModifier);
      QApplication::sendEvent(knob, &move);
      w.v().Timer2_Timer();
      QTest::mouseRelease(knob, button, {}, QPoint(10, 40));
      QVERIFY(!w.form->timers().Timer2.isActive());
      const double expected = button == Qt::LeftButton ? 757.5 + 600 - 310 - 97.5 + 255 : 757.5;
      QCOMPARE(w.knobTop(), std::min(expected, 1260.0));
      QCOMPARE(w.mixer.values.last(), w.form->ui().Image2->Tag.toUInt());
    }
  }
};

QTEST_MAIN(TestVolumeForm)
#include "test_volume_form.moc"
