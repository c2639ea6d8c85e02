// Layer cues fired from the script: what reaches the sound layers, the
// canonical form in blue, and the notices for every cue that cannot act.

#include "audio/sound_layers.h"
#include "fakes/media/fake_sound_voices.h"
#include "script/cue_rig.h"

#include <QDir>
#include <QTest>

using namespace scenova;
using Rig = test::CueRig;

namespace {

const QColor kBlue(0, 0, 255);

struct LayerRig : Rig {
  platform::FakeSoundVoices voices;
  audio::SoundLayers layers{voices, [this](const QString& t) { host->ShowNotice(t); },
                            [this](int i) { return lang[i]; }};
  LayerRig() {
    host->layerOps = &layers;
    folder.write(QStringLiteral("rain.wav"), "x");
    folder.write(QStringLiteral("clip.mp4"), "x");
  }
  QString file(const char* name) const {
    return QDir::cleanPath(folder.path() + QLatin1Char('/') + QLatin1StringView(name));
  }
};

bool runOn(Rig& r, const QString& content, bool execute) {
  r.editor->SetText(QStringLiteral("Go [[") + content + QStringLiteral("]] now"));
  QString t = script::trimBlanks(content);
  const int start = 6, end = start + static_cast<int>(content.size());
  return r.engine->interpreter().RunCommand(t, start, end, execute);
}

}  // namespace

class TestLayerInterpreter : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // Typed, a layer cue only turns canonical and blue; clicked, it acts.
  void typedAndFired() {
    LayerRig r;
    QVERIFY(runOn(r, QStringLiteral("LOOP rain.wav"), false));
    QCOMPARE(r.editor->Text(), QStringLiteral("Go [[Loop rain.wav]] now"));
    r.editor->Select(3, 17);
    QCOMPARE(r.editor->SelColor(), kBlue);
    QVERIFY(r.voices.started.isEmpty());

    QVERIFY(runOn(r, QStringLiteral("loop rain.wav"), true));
    QCOMPARE(r.voices.started, QStringList{r.file("rain.wav")});
    QVERIFY(r.voices.playing.first().loop);
    QVERIFY(r.state().CommandDone);
    QVERIFY(r.host->notices.isEmpty());

    QVERIFY(runOn(r, QStringLiteral("level rain.wav 40"), true));
    QTRY_COMPARE_WITH_TIMEOUT(r.voices.playing.first().level, 40.0, 4000);
    QVERIFY(runOn(r, QStringLiteral("stop rain.wav"), true));
    QVERIFY(r.voices.playing.isEmpty());
    QVERIFY(r.host->notices.isEmpty());
  }

  // A click in the cue fires it like any other cue.
  void clickFires() {
    LayerRig r;
    const QString text = QStringLiteral("x [[Sound rain.wav]] y");
    r.editor->SetText(text);
    r.clickIn(text, QStringLiteral("rain"));
    QCOMPARE(r.voices.started, QStringList{r.file("rain.wav")});
  }

  // Every cue that cannot act says so, and nothing plays or changes.
  void badInputs_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<int>("notice");
    QTest::newRow("level -5") << u"Level rain.wav -5"_qs << 283;
    QTest::newRow("level 150") << u"Level rain.wav 150"_qs << 283;
    QTest::newRow("level abc") << u"Level rain.wav abc"_qs << 283;
    QTest::newRow("fade 0") << u"Fade rain.wav 0"_qs << 284;
    QTest::newRow("fade 1e9") << u"Fade rain.wav 1e9"_qs << 284;
    QTest::newRow("missing file") << u"Sound gone.wav"_qs << 127;
    QTest::newRow("video") << u"Sound clip.mp4"_qs << 281;
    QTest::newRow("not playing") << u"Stop clip.mp4"_qs << 282;
    QTest::newRow("missing, not playing") << u"Fade gone.wav"_qs << 127;
  }
  void badInputs() {
    QFETCH(QString, content);
    QFETCH(int, notice);
    LayerRig r;
    QVERIFY(runOn(r, QStringLiteral("Sound rain.wav"), true));
    const auto before = r.voices.playing;
    QVERIFY(runOn(r, content, true));
    QCOMPARE(r.host->notices, QStringList{r.lang[notice]});
    QTest::qWait(3 * audio::SoundLayers::kStepMs);  // on purpose: no level step may come
    QCOMPARE(r.voices.playing.keys(), before.keys());
    QVERIFY(r.voices.playing.first().levels.isEmpty());
    QCOMPARE(r.voices.started.size(), 1);
  }

  // A file gone between the check and the click, or refused by the engine
  // (no sound server, an unreadable file): a notice, nothing else.
  void fileGoneOrRefused() {
    LayerRig r;
    QVERIFY(QFile::remove(r.file("rain.wav")));
    QVERIFY(runOn(r, QStringLiteral("Sound rain.wav"), true));
    QCOMPARE(r.host->notices, QStringList{r.lang[127]});

    r.host->notices.clear();
    r.folder.write(QStringLiteral("rain.wav"), "x");
    r.voices.refuse = QStringLiteral("no sound");
    QVERIFY(runOn(r, QStringLiteral("Sound rain.wav"), true));
    QCOMPARE(r.host->notices, QStringList{r.lang[285] + QStringLiteral(" no sound")});
    QVERIFY(r.layers.layers().isEmpty());
  }

  // A program without layers refuses them with its own notice.
  void noLayers() {
    Rig r;
    r.folder.write(QStringLiteral("rain.wav"), "x");
    QVERIFY(runOn(r, QStringLiteral("Sound rain.wav"), true));
    QCOMPARE(r.host->notices, QStringList{r.lang[287]});
  }

  // The audio commands keep their meaning with their panel hidden: no
  // layer cue, no layer touched.
  void audioCommandsStayTheirs() {
    LayerRig r;
    QVERIFY(runOn(r, QStringLiteral("Sound rain.wav"), true));
    QVERIFY(!runOn(r, QStringLiteral("Stop Audio"), true));
    QCOMPARE(r.voices.playing.size(), 1);
    QVERIFY(runOn(r, QStringLiteral("stop sounds"), true));
    QCOMPARE(r.editor->Text(), QStringLiteral("Go [[Stop Sounds]] now"));
    QVERIFY(r.voices.playing.isEmpty());
    QVERIFY(r.actions().isEmpty());  // the audio device heard nothing of it
  }
};

QTEST_MAIN(TestLayerInterpreter)
#include "test_layer_interpreter.moc"
