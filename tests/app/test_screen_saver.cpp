// The screen-saver option over D-Bus: on the private session bus of the test
// environment a small service stands in for the desktop's screen saver and
// records what the program asks of it.

#include "platform/screen_saver.h"
#include "support/form_fixture.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTest>

#include <cstdio>

using namespace scenova;

namespace {

class ScreenSaverService final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
 public:
  QStringList calls;
  uint next = 41;

 public Q_SLOTS:
  uint Inhibit(const QString& application, const QString& reason) {
    calls << QStringLiteral("Inhibit %1 (%2)")
                 .arg(application,
                      reason.isEmpty() ? QStringLiteral("-") : QStringLiteral("reason"));
    return ++next;
  }
  void UnInhibit(uint cookie) { calls << QStringLiteral("UnInhibit %1").arg(cookie); }
  void SimulateUserActivity() { calls << QStringLiteral("SimulateUserActivity"); }
};

bool waitFor(const std::function<bool()>& done) {
  return QTest::qWaitFor(done, 2000);
}

}  // namespace

class TestScreenSaver : public QObject {
  Q_OBJECT
  ScreenSaverService service_;
  QDBusConnection bus_{QString()};

 private Q_SLOTS:
  void initTestCase() {
    bus_ = QDBusConnection::connectToBus(qEnvironmentVariable("SCENOVA_TEST_BUS_ADDRESS"),
                                         QStringLiteral("screen saver service"));
    QVERIFY(bus_.isConnected());
    QVERIFY(bus_.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &service_,
                                QDBusConnection::ExportAllSlots));
    QVERIFY(bus_.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
  }

  void optionHoldsOneInhibitionAndReleasesIt() {
    platform::DBusScreenSaver saver(QStringLiteral("Scenova"));
    test::FormFixture f({}, &saver);
    QVERIFY(service_.calls.isEmpty());
    f.form->ui().mnuScreenSaver->trigger();
    QVERIFY(waitFor([&] { return saver.cookie() != 0; }));
    QCOMPARE(service_.calls, QStringList{QStringLiteral("Inhibit Scenova (reason)")});
    QCOMPARE(saver.cookie(), 42u);
    // The settings file holds the new state at once.
    QVERIFY(f.folder.read(QStringLiteral("Scenova.ini")).contains("\r\n1\r\n0\r\n1\r\n"));
    f.form->Timer6_Timer();
    QVERIFY(waitFor([&] { return service_.calls.size() == 2; }));
    QCOMPARE(service_.calls[1], QStringLiteral("SimulateUserActivity"));
    f.form->ui().mnuScreenSaver->trigger();
    QVERIFY(waitFor([&] { return service_.calls.size() == 3; }));
    QCOMPARE(service_.calls[2], QStringLiteral("UnInhibit 42"));
    QCOMPARE(saver.cookie(), 0u);
    QVERIFY(f.folder.read(QStringLiteral("Scenova.ini")).contains("\r\n0\r\n0\r\n1\r\n"));
    service_.calls.clear();
  }

  void offBeforeTheAnswerStillReleases() {
    {
      platform::DBusScreenSaver saver(QStringLiteral("Scenova"));
      saver.setInhibited(true);
      saver.setInhibited(false);  // before the cookie arrived
      QVERIFY(waitFor([&] { return service_.calls.size() == 2; }));
      QCOMPARE(service_.calls[1], QStringLiteral("UnInhibit 43"));
      // Held at the end of the program: released on the way out.
      saver.setInhibited(true);
      QVERIFY(waitFor([&] { return saver.cookie() != 0; }));
    }
    QVERIFY(waitFor([&] { return service_.calls.size() == 4; }));
    QCOMPARE(service_.calls[3], QStringLiteral("UnInhibit 44"));
  }
};

int main(int argc, char** argv) {
  // Only on the test environment's own bus, never on a desktop's.
  const QByteArray address = qgetenv("SCENOVA_TEST_BUS_ADDRESS");
  if (address.isEmpty() || address != qgetenv("DBUS_SESSION_BUS_ADDRESS")) {
    std::fputs("needs the private session bus of scripts/test-env.sh\n", stderr);
    return 77;
  }
  QApplication app(argc, argv);
  TestScreenSaver t;
  return QTest::qExec(&t, argc, argv);
}

#include "test_screen_saver.moc"
