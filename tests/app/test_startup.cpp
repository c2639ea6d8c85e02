#include "app/startup.h"
#include "fakes/fakes.h"
#include "platform/linux_platform.h"
#include "support/program_folder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace scenova;
using namespace scenova::app;

class TestStartup : public QObject {
  Q_OBJECT
  StartupInputs inputs(const test::ProgramFolder& f, platform::InstanceGuard* guard,
                       platform::SystemServices* system, const char* country = "it") {
    StartupInputs in;
    in.programFolder = f.path();
    in.settingsPath = f.settingsPath();
    in.country = QString::fromLatin1(country);
    in.guard = guard;
    in.system = system;
    return in;
  }

 private Q_SLOTS:
  void languageByCountryThenPreviousCopy() {
    test::ProgramFolder f;
    platform::FakeInstanceGuard guard;
    platform::FakeSystemServices system;
    StartupResult r = startupChecks(inputs(f, &guard, &system));
    QVERIFY(r.error.isEmpty());
    QCOMPARE(r.languageFile, QStringLiteral("Italiano.lng"));
    QVERIFY(!r.table[0].isEmpty());
    QCOMPARE(system.registered.size(), 1);
    guard.running = true;
    r = startupChecks(inputs(f, &guard, &system, "pt"));
    QVERIFY(r.previousInstance);
    QCOMPARE(r.languageFile, QStringLiteral("English.lng"));  // the start-up table has no pt
  }

  void storedLanguageWins() {
    test::ProgramFolder f;
    f.writeSettings("Deutsch.lng\r\n");
    platform::FakeInstanceGuard guard;
    const StartupResult r = startupChecks(inputs(f, &guard, nullptr));
    QCOMPARE(r.languageFile, QStringLiteral("Deutsch.lng"));
  }

  // A saved language file that has gone (or turned into something else)
  // starts the program in English with a notice; a missing settings file
  // still stops it.
  void lostLanguageStartsInEnglishMissingSettingsStop() {
    test::ProgramFolder f;
    platform::FakeInstanceGuard guard;
    f.writeSettings("Klingon.lng\r\n");
    StartupResult r = startupChecks(inputs(f, &guard, nullptr));
    QVERIFY(r.error.isEmpty());
    QCOMPARE(r.languageFile, QStringLiteral("English.lng"));
    QCOMPARE(r.table[2], QStringLiteral("&File"));
    QVERIFY(r.notice.startsWith(QStringLiteral("The saved language file cannot be used")));
    QVERIFY(r.notice.contains(QStringLiteral("Klingon.lng")));
    f.write(QStringLiteral("Lang/Klingon.lng"), QByteArray("\x89PNG\r\n\x1a\n\0\0", 10));
    QFile::remove(f.file(QStringLiteral("Lang/English.lng")));
    r = startupChecks(inputs(f, &guard, nullptr));
    QVERIFY(!r.notice.isEmpty());
    QCOMPARE(r.table[2], QStringLiteral("&File"));  // the built-in texts
    QCOMPARE(guard.calls, 2);
    QFile::remove(f.settingsPath());
    QVERIFY(!startupChecks(inputs(f, &guard, nullptr)).error.isEmpty());
    QCOMPARE(guard.calls, 2);  // the stop comes before asking for a previous copy
  }

  void portableSkipsEverything() {
    test::ProgramFolder f;
    f.write(QStringLiteral("Files/Portable.ini"), {});
    QFile::remove(f.settingsPath());
    platform::FakeInstanceGuard guard;
    guard.running = true;
    platform::FakeSystemServices system;
    const StartupResult r = startupChecks(inputs(f, &guard, &system));
    QVERIFY(r.portable);
    QVERIFY(r.error.isEmpty() && !r.previousInstance);
    QCOMPARE(guard.calls, 0);
    QVERIFY(system.registered.isEmpty());
  }

  // An installed program is known to the desktop by its installed files:
  // nothing is registered in the user's home.
  void installedRegistersNothing() {
    test::ProgramFolder f;
    platform::FakeInstanceGuard guard;
    platform::FakeSystemServices system;
    StartupInputs in = inputs(f, &guard, &system);
    in.installed = true;
    const StartupResult r = startupChecks(in);
    QVERIFY(r.error.isEmpty() && !r.previousInstance);
    QVERIFY(system.registered.isEmpty());
  }

  // The data beside the executable wins (a build folder, a copied program
  // folder); without it the installation prefix's share/scenova.
  void programLayoutBesideOrUnderThePrefix() {
    QTemporaryDir prefix;
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    const QString shared = prefix.filePath(QStringLiteral("share/scenova"));
    QVERIFY(QDir().mkpath(bin) && QDir().mkpath(shared));
    platform::ProgramLayout l = platform::programLayout(bin);
    QCOMPARE(l.folder, bin);  // nothing anywhere: the executable's folder, as before
    QVERIFY(!l.installed);
    QVERIFY(QDir().mkpath(shared + QStringLiteral("/Lang")));
    l = platform::programLayout(bin + QLatin1Char('/'));
    QCOMPARE(l.folder, shared);
    QVERIFY(l.installed);
    QVERIFY(QDir().mkpath(bin + QStringLiteral("/Lang")));
    l = platform::programLayout(bin);
    QCOMPARE(l.folder, bin);
    QVERIFY(!l.installed);
    platform::LinuxEnvironment given(shared);
    QCOMPARE(given.programFolder(), shared);
    QVERIFY(!given.installed());
  }

  void lockFileGuard() {
    test::ProgramFolder f;
    platform::LockFileInstanceGuard first(f.path());
    QVERIFY(!first.previousInstanceRunning());
    platform::LockFileInstanceGuard second(f.path());
    // The lock belongs to this process, which is alive: a second copy sees it.
    QVERIFY(second.previousInstanceRunning());
    test::ProgramFolder other;
    platform::LockFileInstanceGuard elsewhere(other.path());
    QVERIFY(!elsewhere.previousInstanceRunning());  // another installation
  }

  void staleLockFromACrashDoesNotBlock() {
    test::ProgramFolder f;
    platform::LockFileInstanceGuard guard(f.path());
    // A lock file left behind by a process that no longer exists.
    QProcess p;
    p.start(QStringLiteral("true"));
    p.waitForFinished();
    const qint64 deadPid = p.processId() > 0 ? p.processId() : 999999;
    QFile lock(guard.lockPath());
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(deadPid) + "\nscenova\n" + QSysInfo::machineHostName().toUtf8() +
               "\n");
    lock.close();
    QVERIFY(!guard.previousInstanceRunning());
  }

  void registersTheScriptTypeOnce() {
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    platform::LinuxSystemServices system;
    system.registerScriptType(QStringLiteral("/opt/my \"show\""));
    const QString entry = data.path() + QStringLiteral("/applications/scenova.desktop");
    QFile f(entry);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    // Inside the quotes '"' is escaped, and the backslash itself is escaped
    // once more as every string value of a desktop entry.
    QVERIFY(text.contains("Exec=\"/opt/my \\\\\"show\\\\\"/scenova\" %f"));
    QVERIFY(QFile::exists(data.path() + QStringLiteral("/mime/packages/scenova.xml")));
    // Dated back, so that a rewrite would show whatever the clock's step.
    const QDateTime written = QDateTime::currentDateTime().addSecs(-3600);
    {
      QFile back(entry);
      QVERIFY(back.open(QIODevice::ReadWrite) &&
              back.setFileTime(written, QFileDevice::FileModificationTime));
    }
    system.registerScriptType(QStringLiteral("/opt/my \"show\""));
    QCOMPARE(QFileInfo(entry).lastModified(), written);  // unchanged content is not rewritten
    qunsetenv("XDG_DATA_HOME");
  }

  void countryFromLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("country");
    QTest::newRow("it") << QStringLiteral("it_IT.UTF-8") << QStringLiteral("it");
    QTest::newRow("br") << QStringLiteral("pt_BR") << QStringLiteral("br");
    QTest::newRow("modifier") << QStringLiteral("de_DE@euro") << QStringLiteral("de");
    QTest::newRow("C") << QStringLiteral("C.UTF-8") << QString();
    QTest::newRow("POSIX") << QStringLiteral("POSIX") << QString();
    QTest::newRow("odd") << QStringLiteral("en_") << QString();
  }
  void countryFromLocale() {
    QFETCH(QString, locale);
    QFETCH(QString, country);
    QCOMPARE(platform::countryFromLocaleName(locale), country);
  }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
