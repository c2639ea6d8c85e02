// RunCommand: which commands it recognises, what it carries out, and how it
// rewrites and colours the cue in the script.

#include "script/cue_rig.h"

#include <QTest>

using namespace scenova;
using Rig = test::CueRig;

namespace {

const QColor kBlue(0, 0, 255);

// Runs the interpreter on the cue of "Go [[content]] now" as a click does.
bool runOn(Rig& r, const QString& content, bool execute, QString* text = nullptr) {
  r.editor->SetText(QStringLiteral("Go [[") + content + QStringLiteral("]] now"));
  QString t = script::trimBlanks(content);
  const int start = 6, end = start + static_cast<int>(content.size());
  const bool recognised = r.engine->interpreter().RunCommand(t, start, end, execute);
  if (text) *text = t;
  return recognised;
}

QStringList effects(const Rig& r) {
  return r.volume.calls + r.video.calls + r.actions();
}

}  // namespace

class TestInterpreter : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void commands_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("execute");
    QTest::addColumn<QString>("script");       // afterwards
    QTest::addColumn<QStringList>("effects");  // volume, video, then device calls

    const QStringList none;
    auto S = [](const char* s) { return QString::fromLatin1(s); };
    QTest::newRow("fade, any case")
        << S("FADEIN") << true << S("Go [[FadeIn]] now") << QStringList{S("fade 0")};
    QTest::newRow("slow fade-out")
        << S("fadeout slow") << true << S("Go [[FadeOut Slow]] now") << QStringList{S("fade 5")};
    QTest::newRow("typed fade only rewrites")
        << S("fadein normal") << false << S("Go [[FadeIn Normal]] now") << none;
    QTest::newRow("blanks inside the brackets")
        << S(" play audio ") << true << S("Go [[Play Audio]] now")
        << QStringList{S("play wav1"), S("stop wav1"), S("play wav1")};
    QTest::newRow("pause audio") << S("pause audio") << true << S("Go [[Pause Audio]] now")
                                 << QStringList{S("play wav1 from 0"), S("stop wav1")};
    QTest::newRow("stop audio") << S("Stop Audio") << true << S("Go [[Stop Audio]] now")
                                << QStringList{S("seek wav1 to start")};
    QTest::newRow("volume typed is not clamped")
        << S("vol 150") << false << S("Go [[Vol 150]] now") << none;
    QTest::newRow("volume above 100") << S("vol 150") << true << S("Go [[Vol 100]] now")
                                      << QStringList{S("cancel fade"), S("apply")};
    QTest::newRow("volume one character shorter")
        << S("vol 1000") << true << S("Go [[Vol 100]] now")
        << QStringList{S("cancel fade"), S("apply")};
    QTest::newRow("negative volume") << S("vol -20") << true << S("Go [[Vol 0]] now")
                                     << QStringList{S("cancel fade"), S("apply")};
    // The edges of the clamp.
    QTest::newRow("volume 100") << S("vol 100") << true << S("Go [[Vol 100]] now")
                                << QStringList{S("cancel fade"), S("apply")};
    QTest::newRow("volume 101") << S("vol 101") << true << S("Go [[Vol 100]] now")
                                << QStringList{S("cancel fade"), S("apply")};
    QTest::newRow("volume 0") << S("vol 0") << true << S("Go [[Vol 0]] now")
                              << QStringList{S("cancel fade"), S("apply")};
    QTest::newRow("volume -1") << S("vol -1") << true << S("Go [[Vol 0]] now")
                               << QStringList{S("cancel fade"), S("apply")};
    QTest::newRow("volume word") << S("volume 50") << true << S("Go [[Volume 50]] now")
                                 << QStringList{S("cancel fade"), S("apply")};
    QTest::newRow("picture on while typed")
        << S("img on") << false << S("Go [[Img On]] now") << QStringList{S("showPicture 1")};
    QTest::newRow("picture off") << S("IMG OFF") << true << S("Go [[Img Off]] now")
                                 << QStringList{S("showPicture 0")};
    QTest::newRow("projector on") << S("projector on") << true << S("Go [[Projector On]] now")
                                  << QStringList{S("setProjector 1")};
    QTest::newRow("pause video") << S("pause video") << true << S("Go [[Pause Video]] now")
                                 << QStringList{S("cmdPlayV_Click")};
    QTest::newRow("stop video") << S("stop video") << true << S("Go [[Stop Video]] now")
                                << QStringList{S("cmdStopV_Click")};
    QTest::newRow("negative video seek typed")
        << S("seek video -3") << false << S("Go [[Seek Video 0]] now") << none;
    QTest::newRow("negative video seek")
        << S("seek video -3") << true << S("Go [[Seek Video 0]] now")
        << QStringList{S("lblContatoreV_Click")};
    QTest::newRow("audio seek") << S("seek audio12") << true << S("Go [[Seek Audio12]] now")
                                << QStringList{S("seek wav1 to start"), S("play wav1 from  12000"),
                                               S("play wav1 from 12000"), S("stop wav1")};
    QTest::newRow("two blanks are no command")
        << S("Play  Audio") << true << S("Go [[Play  Audio]] now") << none;
  }
  void commands() {
    QFETCH(QString, content);
    QFETCH(bool, execute);
    QFETCH(QString, script);
    QFETCH(QStringList, effects);
    Rig r;
    r.audioLoaded();
    r.ui.Picture3->show();
    QString text;
    const bool recognised = runOn(r, content, execute, &text);
    QCOMPARE(r.editor->Text(), script);
    QCOMPARE(::effects(r), effects);
    // Only the last row is no command.
    QCOMPARE(recognised, !content.contains(QStringLiteral("  ")));
    QCOMPARE(r.state().CommandDone, recognised && execute);
    if (recognised) QCOMPARE(QStringLiteral("Go [[") + text + QStringLiteral("]] now"), script);
  }

  void playerCommandsNeedTheirPanel_data() {
    QTest::addColumn<QString>("content");
    QTest::newRow("audio") << QStringLiteral("Play Audio");
    QTest::newRow("audio seek") << QStringLiteral("seek audio 3");
    QTest::newRow("video") << QStringLiteral("Play Video");
    QTest::newRow("projector") << QStringLiteral("Projector Off");
  }
  void playerCommandsNeedTheirPanel() {
    QFETCH(QString, content);
    Rig r;
    QString text;
    QVERIFY(!runOn(r, content, true, &text));
    QCOMPARE(text, content.toLower());
    QCOMPARE(r.editor->Text(), QStringLiteral("Go [[") + content + QStringLiteral("]] now"));
    QVERIFY(!r.state().CommandDone);
    QVERIFY(r.device.commands.isEmpty());
    QVERIFY(r.video.calls.isEmpty());
  }

  void colouringCoversExactlyTheNewCue_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("cue");
    QTest::newRow("shorter") << QStringLiteral("vol 1000") << QStringLiteral("[[Vol 100]]");
    QTest::newRow("longer") << QStringLiteral("seek video -3")
                            << QStringLiteral("[[Seek Video 0]]");
    QTest::newRow("same length") << QStringLiteral("fadeout") << QStringLiteral("[[FadeOut]]");
  }
  void colouringCoversExactlyTheNewCue() {
    QFETCH(QString, content);
    QFETCH(QString, cue);
    Rig r;
    r.ui.Picture3->show();
    runOn(r, content, true);
    const int at = 3, length = static_cast<int>(cue.size());
    QCOMPARE(r.editor->Mid(at, length), cue);
    r.editor->Select(at, length);
    QCOMPARE(r.editor->SelColor(), std::optional<QColor>(kBlue));
    for (int outside : {at - 1, at + length}) {
      r.editor->Select(outside, 1);
      QVERIFY(r.editor->SelColor() != std::optional<QColor>(kBlue));
    }
  }

  void rewritingKeepsFontAndSize() {
    Rig r;
    r.editor->SetText(QStringLiteral("Go [[fadein]] now"));
    r.editor->Select(3, 10);
    r.editor->SetSelFontName(QStringLiteral("DejaVu Serif"));
    r.editor->SetSelFontSize(18);
    QString text = QStringLiteral("fadein");
    r.engine->interpreter().RunCommand(text, 6, 12, false);
    r.editor->Select(3, 10);
    QCOMPARE(r.editor->SelText(), QStringLiteral("[[FadeIn]]"));
    QCOMPARE(r.editor->SelFontName(), std::optional<QString>(QStringLiteral("DejaVu Serif")));
    QCOMPARE(r.editor->SelFontSize(), std::optional<qreal>(18));
  }

  void whileTypingOnlyOneClosingBracketIsColoured() {
    Rig r;
    r.editor->SetText(QStringLiteral("[[fadein] x"));
    QString text = QStringLiteral("fadein");
    r.engine->interpreter().RunCommand(text, 3, 9, false);
    r.editor->Select(0, 9);
    QCOMPARE(r.editor->SelColor(), std::optional<QColor>(kBlue));
    r.editor->Select(9, 1);
    QVERIFY(r.editor->SelColor() != std::optional<QColor>(kBlue));
  }

  void aCanonicalCueIsNotChangedAgain() {
    Rig r;
    runOn(r, QStringLiteral("FadeIn"), true);
    int changes = 0;
    QObject::connect(r.editor, &platform::RTB::Change, [&changes] { ++changes; });
    QString text = QStringLiteral("FadeIn");
    r.engine->interpreter().RunCommand(text, 6, 12, true);
    QCOMPARE(changes, 0);
  }

  void volumePlacesTheKnob_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<double>("knobTop");
    QTest::addColumn<QString>("knobValue");
    QTest::addColumn<QString>("percent");
    // The track runs from 255 to 1260 (its top plus its height less the knob's).
    QTest::newRow("full") << QStringLiteral("vol 150") << 255.0 << QStringLiteral("65535")
                          << QStringLiteral("100");
    QTest::newRow("off") << QStringLiteral("vol -20") << 1260.0 << QStringLiteral("0")
                         << QStringLiteral("0");
    QTest::newRow("half") << QStringLiteral("vol 50") << 757.5 << QStringLiteral("32767")
                          << QStringLiteral("50");
    QTest::newRow("no argument") << QStringLiteral("vol") << 1260.0 << QStringLiteral("0")
                                 << QStringLiteral("0");
    QTest::newRow("fraction") << QStringLiteral("Vol 12.5") << 1134.375 << QStringLiteral("8191")
                              << QStringLiteral("12.5");
    // The edges of the clamp.
    QTest::newRow("100") << QStringLiteral("vol 100") << 255.0 << QStringLiteral("65535")
                         << QStringLiteral("100");
    QTest::newRow("101") << QStringLiteral("vol 101") << 255.0 << QStringLiteral("65535")
                         << QStringLiteral("100");
    QTest::newRow("0") << QStringLiteral("vol 0") << 1260.0 << QStringLiteral("0")
                       << QStringLiteral("0");
    QTest::newRow("-1") << QStringLiteral("vol -1") << 1260.0 << QStringLiteral("0")
                        << QStringLiteral("0");
  }
  void volumePlacesTheKnob() {
    QFETCH(QString, content);
    QFETCH(double, knobTop);
    QFETCH(QString, knobValue);
    QFETCH(QString, percent);
    Rig r;
    runOn(r, content, true);
    QCOMPARE(ui::twips::top(r.ui.Image2), knobTop);
    QCOMPARE(r.ui.Image2->Tag, knobValue);
    QCOMPARE(r.ui.Label6->caption(), percent);
    // A running fade ends before the level is set.
    QCOMPARE(r.volume.calls, (QStringList{QStringLiteral("cancel fade"), QStringLiteral("apply")}));
  }

  void withTheNullVolumeAndVideoCuesStillRun() {
    Rig r(false);
    QString text;
    QVERIFY(runOn(r, QStringLiteral("vol 150"), true, &text));
    QCOMPARE(text, QStringLiteral("Vol 100"));
    QCOMPARE(r.ui.Image2->Tag, QStringLiteral("0"));  // no mixer: no volume to stand for
    QVERIFY(runOn(r, QStringLiteral("fadein"), true));
    QVERIFY(runOn(r, QStringLiteral("img on"), true));
    QVERIFY(r.volume.calls.isEmpty() && r.video.calls.isEmpty());  // the rig's own stay unused
  }

  void seekTags_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("audioTag");
    QTest::addColumn<QString>("videoTag");
    QTest::addColumn<QString>("written");  // the argument in the cue afterwards
    QTest::newRow("whole seconds") << QStringLiteral("12") << QStringLiteral(" 12000")
                                   << QStringLiteral(" 12") << QStringLiteral("12");
    QTest::newRow("fraction") << QStringLiteral(" 2.5") << QStringLiteral(" 2500")
                              << QStringLiteral(" 2.5") << QStringLiteral(" 2.5");
    QTest::newRow("below one") << QStringLiteral(" 0.5") << QStringLiteral(" 500")
                               << QStringLiteral(" .5") << QStringLiteral(" 0.5");
    QTest::newRow("negative") << QStringLiteral(" -3") << QStringLiteral(" 0")
                              << QStringLiteral(" 0") << QStringLiteral(" 0");
    QTest::newRow("minutes are not read") << QStringLiteral(" 1:30") << QStringLiteral(" 1000")
                                          << QStringLiteral(" 1") << QStringLiteral(" 1:30");
    // The edges: 0 is the start, below it is taken as 0; no upper limit.
    QTest::newRow("0") << QStringLiteral(" 0") << QStringLiteral(" 0") << QStringLiteral(" 0")
                       << QStringLiteral(" 0");
    QTest::newRow("-1") << QStringLiteral(" -1") << QStringLiteral(" 0") << QStringLiteral(" 0")
                        << QStringLiteral(" 0");
    QTest::newRow("100") << QStringLiteral(" 100") << QStringLiteral(" 100000")
                         << QStringLiteral(" 100") << QStringLiteral(" 100");
    QTest::newRow("101") << QStringLiteral(" 101") << QStringLiteral(" 101000")
                         << QStringLiteral(" 101") << QStringLiteral(" 101");
  }
  void seekTags() {
    QFETCH(QString, content);
    QFETCH(QString, audioTag);
    QFETCH(QString, videoTag);
    QFETCH(QString, written);
    Rig r;
    r.audioLoaded();
    r.ui.Picture3->show();
    // The audio counter's tag is sent to the device as it stands.
    QString text;
    runOn(r, QStringLiteral("seek audio") + content, true, &text);
    QVERIFY(r.actions().contains(QStringLiteral("play wav1 from ") + audioTag));
    QCOMPARE(text, QStringLiteral("Seek Audio") + written);
    runOn(r, QStringLiteral("seek video") + content, true, &text);
    QCOMPARE(r.ui.lblContatoreV->Tag, videoTag);
    QCOMPARE(text, QStringLiteral("Seek Video") + written);
  }

  void playAndPauseSetTheMarkerFirst() {
    Rig r;
    r.audioLoaded();
    r.ui.Picture3->show();
    runOn(r, QStringLiteral("play video"), true);
    QCOMPARE(r.ui.cmdPlayV->Tag, r.lang[7]);
    runOn(r, QStringLiteral("pause video"), true);
    QCOMPARE(r.ui.cmdPlayV->Tag, r.lang[8]);
    // Play Audio always plays, also when the marker says it is playing.
    r.ui.cmdPlayA->Tag = r.lang[8];
    runOn(r, QStringLiteral("play audio"), true);
    QVERIFY(r.device.playing);
    QCOMPARE(r.ui.cmdPlayA->Tag, r.lang[8]);
  }
};

QTEST_MAIN(TestInterpreter)
#include "test_interpreter.moc"
