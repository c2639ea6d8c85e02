// The audio transport against the fake device: the exact commands each
// operation sends, the state it leaves, the counter and the hover look.

#include "audio/transport_rig.h"
#include "fakes/media/fake_media_player.h"

#include <QAction>
#include <QTest>

using namespace scenova;
using Rig = test::TransportRig;

namespace {
enum class Op { Play, Stop, Forward, Back, CounterClick };
}
Q_DECLARE_METATYPE(Op)

class TestTransport : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void operations_data() {
    QTest::addColumn<Op>("op");
    QTest::addColumn<qint64>("position");  // ms, of a 180 s file
    QTest::addColumn<bool>("playing");
    QTest::addColumn<QString>("counterTag");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<qint64>("positionAfter");
    QTest::addColumn<bool>("playingAfter");

    const QString none;
    auto L = [](std::initializer_list<const char*> l) {
      QStringList s;
      for (const char* c : l) s << QString::fromLatin1(c);
      return s;
    };
    QTest::newRow("play at 0 primes the device")
        << Op::Play << qint64(0) << false << none << L({"play wav1", "stop wav1", "play wav1"})
        << qint64(0) << true;
    QTest::newRow("play resumes") << Op::Play << qint64(1200) << false << none << L({"play wav1"})
                                  << qint64(1200) << true;
    QTest::newRow("pause at 0") << Op::Play << qint64(0) << true << none
                                << L({"play wav1 from 0", "stop wav1"}) << qint64(0) << false;
    QTest::newRow("pause keeps the position")
        << Op::Play << qint64(800) << true << none << L({"play wav1 from 800", "stop wav1"})
        << qint64(800) << false;
    QTest::newRow("stop rewinds") << Op::Stop << qint64(42000) << true << none
                                  << L({"seek wav1 to start"}) << qint64(0) << false;
    QTest::newRow("back never below 0")
        << Op::Back << qint64(3000) << false << none << L({"play wav1 from 0", "stop wav1"})
        << qint64(0) << false;
    QTest::newRow("back while playing") << Op::Back << qint64(12000) << true << none
                                        << L({"play wav1 from 7000"}) << qint64(7000) << true;
    QTest::newRow("forward while paused stays paused")
        << Op::Forward << qint64(10000) << false << none << L({"play wav1 from 15000", "stop wav1"})
        << qint64(15000) << false;
    QTest::newRow("forward in the last five seconds does nothing")
        << Op::Forward << qint64(178000) << true << none << L({"play wav1 from 183000"})
        << qint64(178000) << true;
    // The counter's tag carries a blank before the digits: two blanks follow "from".
    QTest::newRow("counter click while paused pauses there")
        << Op::CounterClick << qint64(5000) << false << QStringLiteral(" 90000")
        << L({"seek wav1 to start", "play wav1 from  90000", "play wav1 from 90000", "stop wav1"})
        << qint64(90000) << false;
    QTest::newRow("counter click while playing jumps on")
        << Op::CounterClick << qint64(5000) << true << QStringLiteral(" 90000")
        << L({"seek wav1 to start", "play wav1 from  90000"}) << qint64(90000) << true;
    QTest::newRow("counter never pointed at")
        << Op::CounterClick << qint64(5000) << false << none
        << L({"seek wav1 to start", "play wav1 from ", "play wav1 from 0", "stop wav1"})
        << qint64(0) << false;
  }
  void operations() {
    QFETCH(Op, op);
    QFETCH(qint64, position);
    QFETCH(bool, playing);
    QFETCH(QString, counterTag);
    QFETCH(QStringList, sent);
    QFETCH(qint64, positionAfter);
    QFETCH(bool, playingAfter);
    Rig r;
    r.open(180000, position, playing);
    r.ui.lblContatore->Tag = counterTag;
    switch (op) {
      case Op::Play:
        r.transport->cmdPlayA_Click();
        break;
      case Op::Stop:
        r.transport->cmdStopA_Click();
        break;
      case Op::Forward:
        r.transport->cmdForA_Click();
        break;
      case Op::Back:
        r.transport->cmdBacA_Click();
        break;
      case Op::CounterClick:
        r.transport->lblContatore_Click();
        break;
    }
    QCOMPARE(r.actions(), sent);
    QCOMPARE(r.device.positionMs, positionAfter);
    QCOMPARE(r.device.playing, playingAfter);
    if (op == Op::Stop) {
      // Stop leaves Timer1 as it was.
      QCOMPARE(r.ui.cmdPlayA->Tag, r.lang[7]);
      QCOMPARE(r.Timer1.isActive(), playing);
    } else {
      // The marker, the menu and Timer1 follow the play state.
      QCOMPARE(r.ui.cmdPlayA->Tag, r.lang[playingAfter ? 8 : 7]);
      QCOMPARE(r.ui.mnuPlayAudio->text(), r.lang[playingAfter ? 8 : 7]);
      QCOMPARE(r.Timer1.isActive(), playingAfter);
    }
  }

  void pressedPlayShowsTheHighlightedPicture() {
    Rig r;
    r.open(180000);
    r.transport->cmdPlayA_Click();
    QCOMPARE(r.playPicture(), r.picture("pause2"));
    QCOMPARE(r.Timer1.interval(), 10);
    r.transport->cmdPlayA_Click();
    QCOMPARE(r.playPicture(), r.picture("play2"));
  }

  void aNewFileSettlesSilently_data() {
    QTest::addColumn<bool>("playing");
    QTest::newRow("after an idle file") << false;
    QTest::newRow("while the last file plays") << true;
  }
  void aNewFileSettlesSilently() {
    QFETCH(bool, playing);
    Rig r;
    r.open(180000, 0, playing);
    r.transport->settleNewFile();
    QCOMPARE(r.actions(), QStringList{QStringLiteral("seek wav1 to start")});
    QVERIFY(!r.device.playing);
    QCOMPARE(r.ui.cmdPlayA->Tag, r.lang[7]);
    QCOMPARE(r.ui.mnuPlayAudio->text(), r.lang[7]);
    QCOMPARE(r.ui.lblContatore->caption(), QStringLiteral("0:00 / 3:00"));
    // Timer1 as a press of Play and then Stop would leave it.
    QCOMPARE(r.Timer1.isActive(), !playing);
    QCOMPARE(r.playPicture(), r.picture("play2"));
  }

  void timeText_data() {
    QTest::addColumn<double>("ms");
    QTest::addColumn<QString>("text");
    QTest::newRow("seconds padded") << 7400.0 << QStringLiteral("0:07");
    QTest::newRow("minutes") << 187000.0 << QStringLiteral("3:07");
    QTest::newRow("rounds up to the minute") << 59600.0 << QStringLiteral("1:00");
    QTest::newRow("rounds down") << 119400.0 << QStringLiteral("1:59");
    QTest::newRow("half to even, down") << 2500.0 << QStringLiteral("0:02");
    QTest::newRow("half to even, up") << 3500.0 << QStringLiteral("0:04");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0:00");
    QTest::newRow("an hour stays in minutes") << 3600000.0 << QStringLiteral("60:00");
  }
  void timeText() {
    QFETCH(double, ms);
    QFETCH(QString, text);
    QCOMPARE(audio::AudioTransport::timeText(ms), text);
  }

  void replies_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<double>("value");
    QTest::newRow("digits") << QStringLiteral("800") << 800.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("leading blanks, trailing text") << QStringLiteral("  42ms") << 42.0;
    QTest::newRow("no number") << QStringLiteral("abc") << 0.0;
    QTest::newRow("cut at NUL") << QStringLiteral("12") + QChar(0) + QStringLiteral("34") << 12.0;
    QTest::newRow("fraction") << QStringLiteral("12.5") << 12.5;
  }
  void replies() {
    QFETCH(QString, reply);
    QFETCH(double, value);
    QCOMPARE(audio::replyNumber(reply), value);
  }

  void tickShowsPositionAndProgress() {
    Rig r;
    r.open(180000, 90000, true);
    r.transport->Timer1_Timer();
    QCOMPARE(r.ui.lblContatore->caption(), QStringLiteral("1:30 / 3:00"));
    QCOMPARE(ui::twips::width(r.ui.Shape1), ui::twips::width(r.ui.lblContatore) / 2);
    QVERIFY(!r.ui.Shape1->isHidden());
    QVERIFY(r.actions().isEmpty());
  }

  void tickWithoutFileChangesNothing() {
    Rig r;
    r.ui.lblContatore->setCaption(QStringLiteral("x"));
    r.transport->Timer1_Timer();
    QCOMPARE(r.transport->CurPos(), 0.0);
    QCOMPARE(r.ui.lblContatore->caption(), QStringLiteral("x"));
    QVERIFY(r.ui.Shape1->isHidden());
  }

  void endOfTrackRewindsAndPauses() {
    Rig r;
    r.open(4000, 3990, true);
    r.device.advance(10);  // reaches the end; the device stops by itself
    r.transport->Timer1_Timer();
    QCOMPARE(r.actions(),
             (QStringList{QStringLiteral("seek wav1 to start"), QStringLiteral("play wav1 from 0"),
                          QStringLiteral("stop wav1")}));
    QCOMPARE(r.ui.lblContatore->caption(), QStringLiteral("0:00 / 0:04"));
    QCOMPARE(r.ui.cmdPlayA->Tag, r.lang[7]);
    QCOMPARE(r.playPicture(), r.picture("play2"));
    QVERIFY(!r.Timer1.isActive());
    QVERIFY(!r.device.playing);
  }

  void stoppedAtTheEndIsOnlyRewound() {
    // A skip can leave a paused track at its very end: the next tick must
    // not start it.
    Rig r;
    r.open(20000, 15000, false);
    r.transport->cmdForA_Click();
    QVERIFY(!r.device.playing);
    QCOMPARE(r.device.positionMs, qint64(0));
    QCOMPARE(r.ui.cmdPlayA->Tag, r.lang[7]);
    QCOMPARE(r.ui.lblContatore->caption(), QStringLiteral("0:00 / 0:20"));
  }

  void pointingStoresTheTimeUnderThePointer() {
    Rig r;
    r.open(180000);
    const double width = ui::twips::width(r.ui.lblContatore);
    r.transport->lblContatore_MouseMove(0, 0, width / 4, 0);
    QCOMPARE(r.ui.lblContatore->Tag, QStringLiteral(" 45000"));
    // A refused length query leaves the tag alone.
    r.device.sendString(QStringLiteral("close all"));
    r.transport->lblContatore_MouseMove(0, 0, width / 2, 0);
    QCOMPARE(r.ui.lblContatore->Tag, QStringLiteral(" 45000"));
  }

  void tickWritesTheVideoCounter() {
    Rig r;
    platform::FakeMediaPlayer wmp2;
    audio::TransportParts parts;
    parts.ui = &r.ui;
    parts.videoPanel = &r.ui;
    parts.lang = &r.lang;
    parts.Timer1 = &r.Timer1;
    parts.device = &r.device;
    parts.buttons = r.buttons.get();
    parts.videoPlayer = [&wmp2]() -> platform::MediaPlayer& { return wmp2; };
    parts.notice = [](const QString&) {};
    audio::AudioTransport transport(std::move(parts));
    r.open(180000);
    transport.Timer1_Timer();
    QVERIFY(r.ui.Shape8->isHidden());  // nothing loaded: no position text
    wmp2.setUrl(QStringLiteral("clip.mp4"));
    wmp2.setPositionForTest(12);
    transport.Timer1_Timer();
    QCOMPARE(r.ui.lblContatoreV->caption(),
             wmp2.currentPositionString() + QStringLiteral(" / ") + wmp2.durationString());
    QVERIFY(!r.ui.Shape8->isHidden());
  }

  void menuRunsTheButtons() {
    Rig r;
    r.transport->connectControls();
    r.open(180000, 1000);
    r.ui.mnuPlayAudio->trigger();
    QVERIFY(r.device.playing);
    r.ui.mnuStopAudio->trigger();
    QCOMPARE(r.device.positionMs, qint64(0));
    r.ui.mnuForAudio->trigger();
    QCOMPARE(r.device.positionMs, qint64(5000));
    r.ui.mnuBacAudio->trigger();
    QCOMPARE(r.device.positionMs, qint64(0));
  }

  // Hover look.
  void oneLitButtonPerGroup() {
    Rig r;
    r.buttons->cmdPlayA_MouseMove();
    QCOMPARE(r.playPicture(), r.picture("play2"));
    QCOMPARE(r.ui.cmdPlayA->toolTip(), r.lang.tooltip(120));
    r.buttons->cmdStopA_MouseMove();
    QCOMPARE(r.ui.cmdStopA->picturePath(), r.picture("stop2"));
    QCOMPARE(r.playPicture(), r.picture("play"));
    QVERIFY(r.buttons->isLit(audio::TransportButtons::Stop));
    QVERIFY(!r.buttons->isLit(audio::TransportButtons::Play));
    r.buttons->unlightAll();
    QCOMPARE(r.ui.cmdStopA->picturePath(), r.picture("stop"));
  }

  void playButtonShowsPauseWhilePlaying() {
    Rig r;
    r.ui.cmdPlayA->Tag = r.lang[8];
    r.buttons->cmdPlayA_MouseMove();
    QCOMPARE(r.playPicture(), r.picture("pause2"));
    QCOMPARE(r.ui.cmdPlayA->toolTip(), r.lang.tooltip(122));
    r.buttons->unlightAll();
    QCOMPARE(r.playPicture(), r.picture("pause"));
  }

  void stopLightsThePlayButton() {
    Rig r;
    r.open(180000, 1000, true);
    r.buttons->cmdStopA_MouseMove();
    r.transport->cmdStopA_Click();
    QVERIFY(r.buttons->isLit(audio::TransportButtons::Play));
    QVERIFY(!r.buttons->isLit(audio::TransportButtons::Stop));
    QCOMPARE(r.playPicture(), r.picture("play2"));
    QCOMPARE(r.ui.cmdStopA->picturePath(), r.picture("stop"));
  }
};

QTEST_MAIN(TestTransport)
#include "test_transport.moc"
