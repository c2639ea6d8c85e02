// The sound layers over stand-in voices: how many play, restarts, fades and
// levels on a layer's own level, Stop Sounds, layers that end by themselves,
// and their rows under the audio panel.

#include "audio/layer_rows.h"
#include "audio/sound_layers.h"
#include "fakes/media/fake_sound_voices.h"
#include "ui/controls.h"
#include "ui/main_controls.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace scenova;
using audio::SoundLayers;
using Result = audio::LayerOperations::Result;

namespace {

struct Rig {
  platform::FakeSoundVoices voices;
  QStringList notices;
  SoundLayers layers{voices, [this](const QString& t) { notices << t; },
                     [](int i) { return QStringLiteral("text %1").arg(i); }};

  int voiceOf(const QString& path) const {
    for (auto it = voices.playing.cbegin(); it != voices.playing.cend(); ++it)
      if (it->path == path) return it.key();
    return 0;
  }
};

QString file(int i) {
  return QStringLiteral("/show/sound%1.wav").arg(i);
}

}  // namespace

class TestSoundLayers : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // Sixteen play at once; the seventeenth is refused with a notice and the
  // others go on.
  void sixteenLayers() {
    Rig r;
    for (int i = 0; i < SoundLayers::kMaxLayers; ++i)
      QCOMPARE(r.layers.play(file(i), false), Result::Done);
    QVERIFY(r.notices.isEmpty());
    QCOMPARE(r.layers.play(file(16), false), Result::TooMany);
    QCOMPARE(r.notices, QStringList{QStringLiteral("text 280")});
    QCOMPARE(r.voices.playing.size(), 16);
    QVERIFY(r.voices.stopped.isEmpty());
    // A file already playing still restarts: its own layer is freed first.
    QCOMPARE(r.layers.play(file(3), true), Result::Done);
    QCOMPARE(r.voices.playing.size(), 16);
    QCOMPARE(r.voices.stopped.size(), 1);
  }

  // Firing a playing file again starts it over on a fresh voice at full
  // level; the old one stops.
  void restartFromTheStart() {
    Rig r;
    r.layers.play(file(1), true);
    const int first = r.voiceOf(file(1));
    r.layers.play(file(1), false);
    QCOMPARE(r.voices.stopped, QList<int>{first});
    QCOMPARE(r.voices.playing.size(), 1);
    QCOMPARE(r.voices.playing.first().level, 100.0);
    QCOMPARE(r.layers.layers().size(), 1);
    QVERIFY(!r.layers.layers().first().loop);
  }

  // A fade moves the layer's own level down to 0 over its time and then
  // stops the layer; the other layer's level is never touched.
  void fadeToSilence() {
    Rig r;
    r.layers.play(file(1), true);
    r.layers.play(file(2), false);
    const int fading = r.voiceOf(file(1)), other = r.voiceOf(file(2));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(r.layers.fade(file(1), 0.4), Result::Done);
    QTRY_VERIFY_WITH_TIMEOUT(r.voices.stopped.contains(fading), 3000);
    QVERIFY2(clock.elapsed() >= 390, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(r.voices.playing.value(other).levels.isEmpty());
    QCOMPARE(r.layers.layers().size(), 1);
  }

  // The levels a fade sets fall steadily to 0.
  void fadeSteps() {
    Rig r;
    r.layers.play(file(1), true);
    const int voice = r.voiceOf(file(1));
    QList<double> seen;
    r.layers.fade(file(1), 0.3);
    // The levels set so far, until the voice stops at the end of the fade.
    const bool ended = QTest::qWaitFor(
        [&] {
          if (!r.voices.playing.contains(voice)) return true;
          seen = r.voices.playing.value(voice).levels;
          return false;
        },
        3000);
    QVERIFY(ended);
    QVERIFY(seen.size() >= 5);
    for (int i = 1; i < seen.size(); ++i) QVERIFY(seen[i] <= seen[i - 1]);
    QVERIFY(seen.first() > 50);
  }

  // Level moves over two seconds and leaves the layer playing; a fade
  // started meanwhile takes over from where the level stands.
  void levelKeepsPlaying() {
    Rig r;
    r.layers.play(file(1), false);
    const int voice = r.voiceOf(file(1));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(r.layers.level(file(1), 40), Result::Done);
    // Once it has moved, it stands part of the way: a step, not the jump.
    QTRY_VERIFY(r.voices.playing.value(voice).level < 100);
    const double partWay = r.voices.playing.value(voice).level;
    QVERIFY2(partWay > 40, qPrintable(QString::number(partWay)));
    QTRY_COMPARE_WITH_TIMEOUT(r.voices.playing.value(voice).level, 40.0, 4000);
    QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
    QTest::qWait(100);  // time let pass on purpose: at its level, it must not stop
    QVERIFY(r.voices.playing.contains(voice));
    QCOMPARE(r.layers.layers().first().level, 40.0);
  }

  // Stop, Fade and Level name a layer by its path, or by the name as
  // written when the file cannot be found any more; an unknown one is not
  // playing.
  void namedLayers() {
    Rig r;
    r.layers.play(file(1), false);
    QCOMPARE(r.layers.stop(QStringLiteral("/show/other.wav")), Result::NotPlaying);
    QCOMPARE(r.layers.level(QStringLiteral("sound1.wav.bak"), 5), Result::NotPlaying);
    QCOMPARE(r.layers.stop(QStringLiteral("sound1.wav")), Result::Done);
    QVERIFY(r.voices.playing.isEmpty());
  }

  // Stop Sounds stops every layer at once.
  void stopAll() {
    Rig r;
    QSignalSpy changed(&r.layers, &SoundLayers::layersChanged);
    for (int i = 0; i < 4; ++i) r.layers.play(file(i), i % 2);
    r.layers.fade(file(0), 5);
    r.layers.stopAll();
    QVERIFY(r.voices.playing.isEmpty());
    QCOMPARE(r.voices.stopped.size(), 4);
    QVERIFY(r.layers.layers().isEmpty());
    QCOMPARE(changed.size(), 5);
  }

  // A layer whose file ends goes; one that fails says why.
  void layersEndByThemselves() {
    Rig r;
    r.layers.play(file(1), false);
    r.layers.play(file(2), false);
    r.voices.end(r.voiceOf(file(1)));
    QCOMPARE(r.layers.layers().size(), 1);
    QVERIFY(r.notices.isEmpty());
    r.voices.end(r.voiceOf(file(2)), QStringLiteral("unreadable"));
    QVERIFY(r.layers.layers().isEmpty());
    QCOMPARE(r.notices, QStringList{QStringLiteral("text 285 unreadable")});
  }

  void setOutputReachesTheVoices() {
    Rig r;
    r.layers.setOutput(QStringLiteral("pulse/other"));
    QCOMPARE(r.voices.output, QStringLiteral("pulse/other"));
  }

  // One row per layer under the panel, the widgets below moving down and
  // back; the stop button stops its layer, a click on the name nothing.
  void rows() {
    Rig r;
    QWidget window;
    window.resize(400, 500);
    auto* panel = new QWidget(&window);
    panel->setGeometry(10, 10, 300, 100);
    auto* below = new QWidget(&window);
    below->setGeometry(10, 120, 300, 50);
    audio::LayerRows rows(
        r.layers, panel, {below}, [](int) { return QStringLiteral("Stop"); }, &window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(rows.isHidden());

    r.layers.play(QStringLiteral("/show/rain.wav"), true);
    r.layers.play(QStringLiteral("/show/door.wav"), false);
    r.voices.playing[r.voiceOf(QStringLiteral("/show/rain.wav"))].status = {65.4, 125};
    QVERIFY(rows.isVisible());
    // Rows added while the others are on screen show too.
    const QList<QWidget*> shown = rows.findChildren<QWidget*>(QStringLiteral("layerRow"));
    QCOMPARE(shown.size(), 2);
    for (const QWidget* row : shown) QVERIFY(row->isVisible());
    QCOMPARE(rows.geometry(), QRect(10, 112, 300, 2 * audio::LayerRows::kRowHeight));
    QCOMPARE(below->y(), 120 + 2 * audio::LayerRows::kRowHeight + 4);
    const QList<QLabel*> names = rows.findChildren<QLabel*>(QStringLiteral("layerName"));
    QCOMPARE(names.size(), 2);
    QCOMPARE(names[0]->text(), QStringLiteral("rain.wav"));
    QCOMPARE(names[0]->toolTip(), QStringLiteral("/show/rain.wav"));
    QTRY_COMPARE(rows.findChildren<QLabel*>(QStringLiteral("layerTime"))[0]->text(),
                 QStringLiteral("1:05/2:05 \u21BB"));
    QCOMPARE(rows.findChildren<QLabel*>(QStringLiteral("layerLevel"))[1]->text(),
             QStringLiteral("100%"));

    QTest::mouseClick(names[0], Qt::LeftButton);
    QTest::mouseDClick(names[0], Qt::LeftButton);
    QCOMPARE(r.voices.started.size(), 2);
    QVERIFY(r.voices.stopped.isEmpty());

    QTest::mouseClick(rows.findChildren<QToolButton*>(QStringLiteral("layerStop"))[1],
                      Qt::LeftButton);
    QCOMPARE(r.voices.playing.size(), 1);
    QCOMPARE(rows.findChildren<QLabel*>(QStringLiteral("layerName")).size(), 1);
    QCOMPARE(below->y(), 120 + audio::LayerRows::kRowHeight + 4);

    // A name too long for its row is cut in its middle, the extension kept.
    const QString longName = QStringLiteral("thunder-and-rain-over-the-castle-walls-act-two.wav");
    r.layers.play(QStringLiteral("/show/") + longName, false);
    QLabel* cut = rows.findChildren<QLabel*>(QStringLiteral("layerName")).constLast();
    QTRY_VERIFY(cut->text().contains(QChar(0x2026)));
    QVERIFY(cut->text().endsWith(QStringLiteral(".wav")));
    QVERIFY(cut->fontMetrics().horizontalAdvance(cut->text()) <= cut->width());
    r.voices.end(r.voiceOf(QStringLiteral("/show/") + longName));

    // In a row as narrow as the program's audio panel, with a long time
    // and the level at its widest, a short name is shown whole.
    r.voices.playing[r.voiceOf(QStringLiteral("/show/rain.wav"))].status = {605.4, 725};
    panel->resize(ui::twips::toPixels(ui::design::kPanelWidth), panel->height());
    QTRY_COMPARE(rows.width(), panel->width());
    QTRY_COMPARE(rows.findChildren<QLabel*>(QStringLiteral("layerTime"))[0]->text(),
                 QStringLiteral("10:05/12:05 \u21BB"));
    QTRY_COMPARE(rows.findChildren<QLabel*>(QStringLiteral("layerName"))[0]->text(),
                 QStringLiteral("rain.wav"));

    r.voices.end(r.voiceOf(QStringLiteral("/show/rain.wav")));
    QVERIFY(rows.isHidden());
    QCOMPARE(below->y(), 120);
  }

  void clock() {
    QCOMPARE(audio::LayerRows::clock(0), QStringLiteral("0:00"));
    QCOMPARE(audio::LayerRows::clock(605.9), QStringLiteral("10:05"));
    QCOMPARE(audio::LayerRows::clock(3725), QStringLiteral("1:02:05"));
    QCOMPARE(audio::LayerRows::clock(qQNaN()), QStringLiteral("-:--"));
  }
};

QTEST_MAIN(TestSoundLayers)
#include "test_sound_layers.moc"
