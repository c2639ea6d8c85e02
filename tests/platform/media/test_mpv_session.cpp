// The media engine session's event handling: an event the engine announced
// is handled by a catch-up drain on the caller's own time, before the
// queued drain gets to run.

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include <chrono>
#include <thread>

#include "platform/media/mpv_session.h"

using namespace scenova::platform;

class TestMpvSession : public QObject {
  Q_OBJECT

  static MpvSession::Options quiet() {
    return {{"config", "no"}, {"terminal", "no"}, {"idle", "yes"},
            {"vo", "null"},   {"ao", "null"},     {"load-scripts", "no"}};
  }

 private Q_SLOTS:
  void catchUpHandlesWhatCameMeanwhile() {
    MpvSession session(quiet());
    QVERIFY2(session.isValid(), qPrintable(session.errorText()));
    QSignalSpy first(&session, &MpvSession::propertyChanged);
    session.observe("volume", MPV_FORMAT_DOUBLE);
    // The first report of the observed value comes through the event loop.
    QTRY_VERIFY(!first.isEmpty());
    QSignalSpy changed(&session, &MpvSession::propertyChanged);
    // Nothing announced: nothing to do.
    session.drainIfPending();
    QCOMPARE(changed.count(), 0);
    session.setPropertyAsync("volume", "37");
    // Without the event loop: the engine announces the change from its own
    // thread, and only a drain can hand it over.
    for (int i = 0; i < 100 && changed.isEmpty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));  // polling
      session.drainIfPending();
    }
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toByteArray(), QByteArray("volume"));
    QCOMPARE(changed.at(0).at(1).toDouble(), 37.0);
  }
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  TestMpvSession test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_mpv_session.moc"
