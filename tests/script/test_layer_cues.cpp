// Layer cues as the script reads them: which contents are layer cues, their
// canonical form and the numbers they carry.

#include "script/layer_cues.h"

#include "script/cue_search.h"

#include <QTest>

using namespace scenova;
using script::LayerVerb;

Q_DECLARE_METATYPE(script::LayerVerb)

class TestLayerCues : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void recognised_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<LayerVerb>("verb");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("canonical");
    auto row = [](const char* c, LayerVerb v, const char* f, const char* canon) {
      QTest::newRow(c) << QString::fromUtf8(c) << v << QString::fromUtf8(f)
                       << QString::fromUtf8(canon);
    };
    row("sound rain.wav", LayerVerb::Sound, "rain.wav", "Sound rain.wav");
    row("LOOP Rain.WAV", LayerVerb::Loop, "Rain.WAV", "Loop Rain.WAV");
    row("Stop  sub\\rain.ogg", LayerVerb::Stop, "sub\\rain.ogg", "Stop sub\\rain.ogg");
    row("stop SOUNDS", LayerVerb::StopAll, "", "Stop Sounds");
    row("fade rain.wav", LayerVerb::Fade, "rain.wav", "Fade rain.wav");
    row("Fade my rain.wav 8", LayerVerb::Fade, "my rain.wav", "Fade my rain.wav 8");
    row("level rain.wav 40", LayerVerb::Level, "rain.wav", "Level rain.wav 40");
    row("Level rain.wav abc", LayerVerb::Level, "rain.wav", "Level rain.wav abc");
    row("sound theme.mid", LayerVerb::Sound, "theme.mid", "Sound theme.mid");
    row("sound clip.mp4", LayerVerb::Sound, "clip.mp4", "Sound clip.mp4");
  }
  void recognised() {
    QFETCH(QString, content);
    const script::LayerCue cue = script::recogniseLayerCue(content);
    QVERIFY(cue);
    QTEST(cue.verb, "verb");
    QTEST(cue.file, "file");
    QTEST(cue.canonical, "canonical");
  }

  // The words of the other commands keep their meaning: only a media
  // file's name makes a layer cue.
  void notLayerCues_data() {
    QTest::addColumn<QString>("content");
    for (const char* c : {"Stop Audio", "Stop Video", "stop", "Sound", "sound rain", "loop pic.png",
                          "fade 8", "Fade rain 8", "level 40", "Level rain.wav.txt 40",
                          "Soundrain.wav", "stop sounds now", "Sound .wav"})
      QTest::newRow(c) << QString::fromUtf8(c);
  }
  void notLayerCues() {
    QFETCH(QString, content);
    QVERIFY(!script::recogniseLayerCue(content));
  }

  // Fades last 0.1 to 600 s (2 s without a number); levels are 0 to 100
  // and must be given; anything else is refused.
  void numbers_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("fade default") << u"Fade a.wav"_qs << true << 2.0;
    QTest::newRow("fade 8") << u"Fade a.wav 8"_qs << true << 8.0;
    QTest::newRow("fade 0.1") << u"Fade a.wav 0.1"_qs << true << 0.1;
    QTest::newRow("fade 600") << u"Fade a.wav 600"_qs << true << 600.0;
    QTest::newRow("fade 0") << u"Fade a.wav 0"_qs << false << 0.0;
    QTest::newRow("fade 1e9") << u"Fade a.wav 1e9"_qs << false << 0.0;
    QTest::newRow("fade -2") << u"Fade a.wav -2"_qs << false << 0.0;
    QTest::newRow("fade comma") << u"Fade a.wav 1,5"_qs << false << 0.0;
    QTest::newRow("fade nan") << u"Fade a.wav nan"_qs << false << 0.0;
    QTest::newRow("level 40") << u"Level a.wav 40"_qs << true << 40.0;
    QTest::newRow("level 0") << u"Level a.wav 0"_qs << true << 0.0;
    QTest::newRow("level 100") << u"Level a.wav 100"_qs << true << 100.0;
    QTest::newRow("level -5") << u"Level a.wav -5"_qs << false << 0.0;
    QTest::newRow("level 150") << u"Level a.wav 150"_qs << false << 0.0;
    QTest::newRow("level abc") << u"Level a.wav abc"_qs << false << 0.0;
    QTest::newRow("level none") << u"Level a.wav"_qs << false << 0.0;
  }
  void numbers() {
    QFETCH(QString, content);
    QFETCH(bool, valid);
    const script::LayerCue cue = script::recogniseLayerCue(content);
    QVERIFY(cue);
    double value = -1;
    QCOMPARE(cue.value(&value), valid);
    if (valid) QTEST(value, "value");
  }

  // The files loaded ahead: the sound-starting cues from the position on,
  // then from the start, each file once, without the files that cannot be
  // found, no more than asked for.
  void filesAhead() {
    const QString text =
        u"[[Sound a.wav]] [[Stop b.wav]] [[Loop b.wav]] [[Fade c.wav 3]] "
        u"[[Vol 20]] [[Sound gone.wav]] [[sound A.WAV]] [[Loop d.ogg]] "
        u"[[Sound a.wav]] [[e.wav]] [[Level f.wav 40]]"_qs;
    const script::StringSource source(text);
    QStringList asked;
    auto resolve = [&asked](const QString& file) {
      asked << file;
      return file == u"gone.wav"_qs ? QString() : u"/show/"_qs + file.toLower();
    };
    QCOMPARE(script::layerFilesAhead(source, 0, resolve, 10),
             (QStringList{u"/show/a.wav"_qs, u"/show/b.wav"_qs, u"/show/d.ogg"_qs}));
    // Each file as written is looked up once.
    QCOMPARE(asked,
             (QStringList{u"a.wav"_qs, u"b.wav"_qs, u"gone.wav"_qs, u"A.WAV"_qs, u"d.ogg"_qs}));
    // From the fade on: what follows first, then the start of the script.
    const int fade = int(text.indexOf(u"[[Fade"_qs));
    QCOMPARE(script::layerFilesAhead(source, fade, resolve, 10),
             (QStringList{u"/show/a.wav"_qs, u"/show/d.ogg"_qs, u"/show/b.wav"_qs}));
    // From inside a cue: that cue first.
    const int insideLoop = int(text.indexOf(u"Loop d"_qs));
    QCOMPARE(script::layerFilesAhead(source, insideLoop, resolve, 2),
             (QStringList{u"/show/d.ogg"_qs, u"/show/a.wav"_qs}));
    QCOMPARE(script::layerFilesAhead(source, text.size() + 5, resolve, 1),
             QStringList{u"/show/a.wav"_qs});
    QVERIFY(script::layerFilesAhead(script::StringSource(u"[[Play Audio]] text"_qs), 0, resolve, 4)
                .isEmpty());
  }

  // The audio panel's file ahead: the first plain file cue from the
  // position on (not a layer cue, not a command nor a file that is not
  // found), then from the start.
  void fileCueAhead() {
    const QString text =
        u"[[rain.wav]] [[Sound a.wav]] [[Vol 20]] [[gone.wav]] "
        u"[[ door.wav ]] + [[Play Audio]] [[Loop b.wav]]"_qs;
    const script::StringSource source(text);
    auto resolve = [](const QString& file) {
      return file.endsWith(u".wav"_qs) && file != u"gone.wav"_qs ? u"/show/"_qs + file : QString();
    };
    QCOMPARE(script::fileCueAhead(source, 0, resolve), u"/show/rain.wav"_qs);
    QCOMPARE(script::fileCueAhead(source, int(text.indexOf(u"[[Sound"_qs)), resolve),
             u"/show/door.wav"_qs);
    QCOMPARE(script::fileCueAhead(source, int(text.indexOf(u"[[Play"_qs)), resolve),
             u"/show/rain.wav"_qs);
    QCOMPARE(
        script::fileCueAhead(script::StringSource(u"[[Sound a.wav]] [[Vol 3]]"_qs), 0, resolve),
        QString());
  }
};

QTEST_APPLESS_MAIN(TestLayerCues)
#include "test_layer_cues.moc"
