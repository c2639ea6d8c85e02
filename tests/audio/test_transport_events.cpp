// What the audio panel does with the device's reports from the background:
// a sound system that stops answering, goes away, or finishes a slow load.

#include <QTest>

#include "transport_rig.h"

using namespace scenova;
using Event = platform::AudioDevice::Event;

namespace {

// The transport rig with the window's notice label replaced by a list, and
// a file open.
struct NoticeRig : test::TransportRig {
  QStringList notices;

  NoticeRig() : TransportRig([this](const QString& text) { notices << text; }) {
    device.lengthMs = 187000;
    device.sendString(QStringLiteral("open \"a.wav\" ALIAS wav1"));
  }
  void press() { transport->cmdPlayA_Click(); }
  bool showsPlaying() const { return ui.cmdPlayA->Tag == lang[8]; }
};

}  // namespace

class TestTransportEvents : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // The server dies under a playing track: a notice, and the panel stops
  // (marker, menu, counter tick) so the next press plays again.
  void lostServerStopsThePanel() {
    NoticeRig rig;
    rig.press();
    QVERIFY(rig.showsPlaying());
    QVERIFY(rig.Timer1.isActive());
    rig.device.simulate(Event::ServerLost);
    QTRY_COMPARE(rig.notices, QStringList{rig.lang[161]});
    QVERIFY(!rig.showsPlaying());
    QCOMPARE(rig.ui.mnuPlayAudio->text(), rig.lang[7]);
    QVERIFY(!rig.Timer1.isActive());
    rig.device.commands.clear();
    rig.press();
    QVERIFY(rig.showsPlaying());
    QVERIFY(rig.device.playing);

    // Lost while stopped: told, nothing else changes.
    rig.transport->cmdStopA_Click();
    rig.notices.clear();
    rig.device.simulate(Event::ServerLost);
    QTRY_COMPARE(rig.notices.size(), 1);
    QVERIFY(!rig.showsPlaying());
  }

  // A hung server is reported, and so is its return; the play state the
  // operator chose stays.
  void hangAndReturnAreReported() {
    NoticeRig rig;
    rig.press();
    rig.device.simulate(Event::NotResponding);
    QTRY_COMPARE(rig.notices, QStringList{rig.lang[160]});
    QVERIFY(rig.showsPlaying());
    rig.device.simulate(Event::Responding);
    QTRY_COMPARE(rig.notices, (QStringList{rig.lang[160], rig.lang[162]}));
    QVERIFY(rig.showsPlaying());
    QVERIFY(!rig.lang[160].isEmpty() && !rig.lang[161].isEmpty() && !rig.lang[162].isEmpty());
  }

  // A load that ends after "open" returned: the counter then shows the
  // length; one that fails says why and leaves the panel stopped.
  void slowLoadsShowTheirEnd() {
    NoticeRig rig;
    rig.ui.lblContatore->setCaption(QStringLiteral("old"));
    rig.device.simulate(Event::Loaded);
    QTRY_COMPARE(rig.ui.lblContatore->caption(), QStringLiteral("0:00 / 3:07"));

    rig.press();
    const quint32 why = platform::code(platform::MciError::UnsupportedFormat);
    rig.device.simulate(Event::LoadFailed, why);
    QTRY_COMPARE(rig.notices, QStringList{rig.device.errorString(why)});
    QVERIFY(!rig.showsPlaying());
    QVERIFY(!rig.Timer1.isActive());
  }

  // A report after the panel is gone reaches nobody.
  void reportsAfterThePanelIsGone() {
    platform::FakeAudioDevice* device = nullptr;
    {
      auto rig = std::make_unique<NoticeRig>();
      rig->device.simulate(Event::NotResponding);  // queued, never run
      rig->transport.reset();
      rig->device.simulate(Event::ServerLost);
      QCoreApplication::sendPostedEvents();  // whatever was queued runs now
      QVERIFY(rig->notices.isEmpty());
      device = &rig->device;
      Q_UNUSED(device);
    }
    QCoreApplication::sendPostedEvents();
  }
};

QTEST_MAIN(TestTransportEvents)
#include "test_transport_events.moc"
