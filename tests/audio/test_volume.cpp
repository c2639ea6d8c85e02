// The volume slider's rules on plain numbers: knob value and percentage,
// dragging, clicks on the track, fades and their ends, a missing mixer and a
// bad settings file.

#include "volume_test_support.h"

#include <QTest>

using namespace scenova;
using test::Slider;
using namespace Qt::StringLiterals;

class TestVolume : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void knobValueAndPercentage_data() {
    QTest::addColumn<quint32>("max");
    QTest::addColumn<double>("top");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("label");
    for (quint32 max : {100u, 65536u}) {
      QTest::addRow("%u top", max) << max << Slider::kTop << QString::number(max) << u" 100"_s;
      QTest::addRow("%u bottom", max) << max << Slider::kBottom << u"0"_s << u" 0"_s;
      QTest::addRow("%u half", max)
          << max << Slider::kCentre << QString::number(max / 2) << u" 50"_s;
    }
    QTest::newRow("65535 top") << 65535u << Slider::kTop << u"65535"_s << u" 100"_s;
    QTest::newRow("65535 half") << 65535u << Slider::kCentre << u"32767"_s << u" 49"_s;
    QTest::newRow("65535 a fifth") << 65535u << 1059.0 << u"13107"_s << u" 20"_s;
  }
  void knobValueAndPercentage() {
    QFETCH(quint32, max);
    QFETCH(double, top);
    QFETCH(QString, tag);
    QFETCH(QString, label);
    Slider s(max);
    if (top == Slider::kCentre)
      s.v->ApplyVolume();  // where the layout put it
    else
      s.clickTrackAt(top);
    QCOMPARE(s.view->kTop, top);
    QCOMPARE(s.view->tag, tag);
    QCOMPARE(s.view->caption, label);
    QCOMPARE(s.mixer.values.last(), tag.toUInt());
    QCOMPARE(s.wmp2.volume(), label.toInt());
  }

  void projectorPlayerOnlyWhileTicked() {
    Slider s;
    s.wmp1.setVolume(77);
    s.clickTrackAt(Slider::kTop);
    QCOMPARE(s.wmp2.volume(), 100);
    QCOMPARE(s.wmp1.volume(), 77);
    s.view->ticked = true;  // ticking alone changes nothing
    QCOMPARE(s.wmp1.volume(), 77);
    s.clickTrackAt(Slider::kBottom);
    QCOMPARE(s.wmp1.volume(), 0);
  }

  void dragging_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("top");
    // With the design sizes the knob's centre settles 55 twips above the pointer.
    QTest::newRow("left 100 down") << 1 << 410.0 << 1015.0;
    QTest::newRow("left far above") << 1 << -100000.0 << Slider::kTop;
    QTest::newRow("left far below") << 1 << 100000.0 << Slider::kBottom;
    QTest::newRow("right") << 2 << 410.0 << Slider::kCentre;
    QTest::newRow("right far below") << 2 << 100000.0 << Slider::kCentre;
  }
  void dragging() {
    QFETCH(int, button);
    QFETCH(double, y);
    QFETCH(double, top);
    Slider s;
    s.v->Image2_MouseDown(button, 0, 100, 90);
    QVERIFY(s.timer2.isActive());
    s.v->Image2_MouseMove(button, 0, 100, y);
    s.v->Timer2_Timer();
    s.v->Timer2_Timer();
    QCOMPARE(s.view->kTop, top);
    s.v->Image2_MouseUp(button, 0, 100, y);
    QVERIFY(!s.timer2.isActive());
    QCOMPARE(s.view->tag, QString::number(s.v->knobValueFor(top)));
    QCOMPARE(s.mixer.values.last(), s.view->tag.toUInt());
  }

  void pressOrTrackClickStopsAFade() {
    for (bool press : {true, false}) {
      Slider s;
      s.v->Image7_Click();
      for (int i = 0; i < 5; ++i) s.v->Timer3_Timer();
      QCOMPARE(s.view->kTop, 808.0);
      if (press) {
        s.v->Image2_MouseDown(1, 0, 100, 90);
        QVERIFY(!s.v->fading());
        QCOMPARE(s.view->kTop, 808.0);  // stopped where it was
      } else {
        s.clickTrackAt(400);
        QVERIFY(!s.v->fading());
        QCOMPARE(s.view->kTop, 400.0);
      }
    }
  }

  void fadesRunToTheEnd_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<double>("from");
    QTest::addColumn<int>("ticks");
    QTest::addColumn<double>("to");
    QTest::addColumn<QString>("label");
    QTest::newRow("in fast") << 0 << Slider::kBottom << 101 << Slider::kTop << u" 100"_s;
    QTest::newRow("in normal") << 1 << Slider::kBottom << 202 << Slider::kTop << u" 100"_s;
    QTest::newRow("in slow") << 2 << Slider::kBottom << 1006 << Slider::kTop << u" 100"_s;
    QTest::newRow("out fast") << 3 << Slider::kTop << 101 << Slider::kBottom << u" 0"_s;
    QTest::newRow("out normal") << 4 << Slider::kTop << 202 << Slider::kBottom << u" 0"_s;
    QTest::newRow("out slow") << 5 << Slider::kTop << 1006 << Slider::kBottom << u" 0"_s;
    // Landing exactly on the end: one more tick, then put back.
    QTest::newRow("out fast, 10 above the end") << 3 << 1250.0 << 2 << Slider::kBottom << u" 0"_s;
  }
  void fadesRunToTheEnd() {
    QFETCH(int, button);
    QFETCH(double, from);
    QFETCH(int, ticks);
    QFETCH(double, to);
    QFETCH(QString, label);
    Slider s(65535);
    s.clickTrackAt(from);
    s.mixer.values.clear();
    s.v->fadeButtonClick(button);
    QVERIFY(s.timer3.isActive());
    QCOMPARE(s.runFade(), ticks);
    QCOMPARE(s.view->kTop, to);
    QCOMPARE(s.view->caption, label);
    QCOMPARE(s.view->tag, to == Slider::kTop ? QStringLiteral("65535") : QStringLiteral("0"));
    QCOMPARE(s.mixer.values.size(), ticks);
    // The mixer moves one way only.
    const bool up = button < 3;
    for (qsizetype i = 1; i < s.mixer.values.size(); ++i)
      QVERIFY(up ? s.mixer.values[i] >= s.mixer.values[i - 1]
                 : s.mixer.values[i] <= s.mixer.values[i - 1]);
  }

  void newFadeTakesOver() {
    Slider s;
    s.clickTrackAt(Slider::kTop);
    s.v->Image7_Click();
    for (int i = 0; i < 20; ++i) s.v->Timer3_Timer();
    QCOMPARE(s.view->kTop, 455.0);
    s.v->Image6_Click();  // raise slowly from here
    s.v->Timer3_Timer();
    QCOMPARE(s.view->kTop, 454.0);
    QCOMPARE(s.runFade(), 200);
    QCOMPARE(s.view->caption, QStringLiteral(" 100"));
  }

  // No sound server, or a mixer without a usable maximum: the slider still
  // drives the players; only a mixer that cannot be opened is reported, once.
  void withoutMixer_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<quint32>("max");
    QTest::addColumn<int>("messages");
    QTest::newRow("cannot be opened") << int(Slider::Mixer::Fails) << 65536u << 1;
    QTest::newRow("maximum 0") << int(Slider::Mixer::Opens) << 0u << 0;
    QTest::newRow("none built in") << int(Slider::Mixer::None) << 65536u << 0;
  }
  void withoutMixer() {
    QFETCH(int, kind);
    QFETCH(quint32, max);
    QFETCH(int, messages);
    Slider s(max, Slider::Mixer(kind));
    s.v->OpenMixer();  // a second attempt does not repeat the message
    QCOMPARE(s.v->mixerMax(), 0u);
    QCOMPARE(s.dialogs.messages.size(), messages);
    if (messages) {
      QCOMPARE(s.dialogs.messages[0].text, QStringLiteral("text 29"));
      QVERIFY(s.dialogs.messages[0].buttons == platform::MsgButtons::Ok);
    }
    const std::pair<double, int> positions[] = {
        {Slider::kTop, 100}, {1059.0, 20}, {Slider::kBottom, 0}};
    for (auto [top, percent] : positions) {
      s.clickTrackAt(top);
      QCOMPARE(s.view->tag, QStringLiteral("0"));
      QCOMPARE(s.view->caption, audio::blankNumber(percent));
      QCOMPARE(s.wmp2.volume(), percent);
    }
    s.v->Image4_Click();
    QCOMPARE(s.runFade(), 101);
    QCOMPARE(s.wmp2.volume(), 100);
    QVERIFY(s.mixer.values.isEmpty());
  }

  void restoreKeepsSavedValuesInRange_data() {
    QTest::addColumn<double>("savedTop");
    QTest::addColumn<QString>("savedValue");
    QTest::addColumn<double>("top");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("label");
    QTest::newRow("as saved") << 1031.5 << u"15000"_s << 1031.5 << u"15000"_s << u" 22"_s;
    QTest::newRow("far below, too loud")
        << 99999.0 << u"900000"_s << Slider::kBottom << u"65536"_s << u" 100"_s;
    QTest::newRow("far above, negative")
        << -40000.0 << u"-20"_s << Slider::kTop << u"0"_s << u" 0"_s;
    QTest::newRow("no number") << Slider::kCentre << u"loud"_s << Slider::kCentre << u"32768"_s
                               << u" 50"_s;
  }
  void restoreKeepsSavedValuesInRange() {
    QFETCH(double, savedTop);
    QFETCH(QString, savedValue);
    QFETCH(double, top);
    QFETCH(QString, tag);
    QFETCH(QString, label);
    Slider s;
    s.v->restore(savedTop, savedValue);
    QCOMPARE(s.view->kTop, top);
    QCOMPARE(s.view->tag, tag);
    QCOMPARE(s.view->caption, label);
    QCOMPARE(s.mixer.values.last(), tag.toUInt());
  }

  void restoreWithoutMixerKeepsTheSavedValue() {
    Slider s(65536, Slider::Mixer::Fails);
    s.v->restore(std::nullopt, QStringLiteral("40000"));
    QCOMPARE(s.view->kTop, Slider::kCentre);  // a short file keeps the default position
    QCOMPARE(s.view->tag, QStringLiteral("40000"));
    QCOMPARE(s.view->caption, QStringLiteral(" 50"));
  }
};

QTEST_MAIN(TestVolume)
#include "test_volume.moc"
