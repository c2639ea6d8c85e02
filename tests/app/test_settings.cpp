#include "app/settings_file.h"
#include "support/file_size_limit.h"
#include "support/program_folder.h"
#include "support/scratch_mount.h"
#include "support/without_root.h"

#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

using namespace scenova::app;

class TestSettings : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void readsPositionalLines() {
    const SettingsValues v = SettingsFile::parse(
        "  Deutsch.lng \r\n32767\r\n1031.5\r\n2\r\n0\r\n1\r\n/home/a, b\r\n0\r\n");
    QCOMPARE(*v.languageFile, QStringLiteral("Deutsch.lng"));
    QCOMPARE(*v.knobValue, QStringLiteral("32767"));
    QCOMPARE(*v.knobTop, 1031.5);
    QCOMPARE(*v.screenSaverOff, true);  // any non-zero number is on
    QCOMPARE(*v.lastFolder, QStringLiteral("/home/a, b"));
  }

  void missingAndGarbageLines() {
    SettingsValues v = SettingsFile::parse("English.lng\r\n100\r\n");
    QVERIFY(v.languageFile && v.knobValue);
    QVERIFY(!v.knobTop && !v.screenSaverOff && !v.lastFolder);
    v = SettingsFile::parse("x\r\ny\r\nabc\r\nword\r\n");
    QCOMPARE(*v.knobTop, 0.0);
    QCOMPARE(*v.screenSaverOff, false);
    v = SettingsFile::parse(QByteArray(300, '\xff'));
    QVERIFY(v.languageFile);
    v = SettingsFile::parse(QByteArray());
    QVERIFY(!v.languageFile);
  }

  void writesEightLinesAndReadsThemBack() {
    scenova::test::ProgramFolder folder;
    SettingsToWrite w;
    w.languageFile = QStringLiteral("Italiano.lng");
    w.knobValue = QStringLiteral("65535");
    w.knobTop = 1031.5;
    w.screenSaverOff = true;
    w.lastFolder = QStringLiteral("/srv/show, act 2");
    QVERIFY(SettingsFile::write(folder.settingsPath(), w));
    const QByteArray bytes = folder.read(QStringLiteral("Scenova.ini"));
    QCOMPARE(
        bytes,
        QByteArray("Italiano.lng\r\n65535\r\n1031.5\r\n1\r\n0\r\n1\r\n/srv/show, act 2\r\n0\r\n"));
    const SettingsValues v = SettingsFile::read(folder.settingsPath());
    QCOMPARE(*v.lastFolder, w.lastFolder);
    QCOMPARE(*v.knobTop, 1031.5);
    QCOMPARE(SettingsFile::formatNumber(1125), QStringLiteral("1125"));
    QCOMPARE(SettingsFile::formatNumber(-0.0), QStringLiteral("0"));
  }

  // The output chosen under Options, Audio output follows the eight lines
  // as "AudioOutput=NAME", and only when there is one: the eight lines keep
  // their places and meaning, and a value in a line of its own cannot shift
  // them (a line break in it is a blank).
  void audioOutputFollowsTheEightLines() {
    SettingsToWrite w;
    w.languageFile = QStringLiteral("English.lng");
    w.lastFolder = QStringLiteral("/srv");
    const QByteArray eight = SettingsFile::format(w);
    QCOMPARE(eight.count("\r\n"), 8);
    w.audioOutput = QStringLiteral("alsa_output.usb-Focusrite\r\n2i2");
    const QByteArray nine = SettingsFile::format(w);
    QCOMPARE(nine, eight + "AudioOutput=alsa_output.usb-Focusrite  2i2\r\n");
    SettingsValues v = SettingsFile::parse(nine);
    QCOMPARE(*v.audioOutput, QStringLiteral("alsa_output.usb-Focusrite  2i2"));
    QCOMPARE(*v.lastFolder, QStringLiteral("/srv"));
    QCOMPARE(*v.hidden, false);
    QVERIFY(!SettingsFile::parse(eight).audioOutput);
    // Only after the eight lines, in any case, among other lines.
    v = SettingsFile::parse(
        "AudioOutput=x\r\n\r\n\r\n0\r\n0\r\n1\r\n\r\n0\r\nOther=1\r\naudiooutput=y\r\n");
    QCOMPARE(*v.languageFile, QStringLiteral("AudioOutput=x"));
    QCOMPARE(*v.audioOutput, QStringLiteral("y"));
  }

  void failedWriteKeepsTheOldFile() {
    // The settings file itself, on a disk that fills up during the write.
    scenova::test::ProgramFolder folder;
    folder.writeSettings("Deutsch.lng\r\n");
    const QStringList before = QDir(folder.path()).entryList(QDir::Files);
    SettingsToWrite w;
    w.languageFile = QStringLiteral("Italiano.lng");
    const int status = scenova::test::runWithFileSizeLimit(8, [&] {
      QString error;
      if (SettingsFile::write(folder.settingsPath(), w, &error)) return 0;
      return error.contains(QString::fromLocal8Bit(std::strerror(EFBIG))) ? 1 : 2;
    });
    QCOMPARE(status, 1);  // failed, with the system's reason
    QCOMPARE(folder.read(QStringLiteral("Scenova.ini")), QByteArray("Deutsch.lng\r\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), before);  // no temporary file left
    // The same write with room succeeds, so the limit was what failed it.
    QVERIFY(SettingsFile::write(folder.settingsPath(), w));
    QVERIFY(folder.read(QStringLiteral("Scenova.ini")).startsWith("Italiano.lng\r\n"));
  }

  void fullDiskOrFolderKeepsTheOldFile() {
    SettingsToWrite w;
    w.languageFile = QStringLiteral("Italiano.lng");
    w.lastFolder = QString(2000, QLatin1Char('f'));
    // A settings "file" that is a folder is never replaced.
    scenova::test::ProgramFolder folder;
    QDir().mkpath(folder.file(QStringLiteral("folder.ini")));
    QString error;
    QVERIFY(!SettingsFile::write(folder.file(QStringLiteral("folder.ini")), w, &error));
    QVERIFY(QFileInfo(folder.file(QStringLiteral("folder.ini"))).isDir());
    QVERIFY(!error.isEmpty());
    // A full disk leaves the old file as it was, not empty.
    scenova::test::ScratchMount disk(64);
    if (!disk.ok()) QSKIP("cannot mount a small file system here");
    const QString path = disk.path() + QStringLiteral("/Scenova.ini");
    const QByteArray old = "Deutsch.lng\r\n5000\r\n1125\r\n1\r\n0\r\n1\r\n/shows\r\n0\r\n";
    {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(old);
    }
    QVERIFY(disk.fill());
    QVERIFY(!SettingsFile::write(path, w, &error));
    QVERIFY2(error.contains(QStringLiteral("space")), qPrintable(error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), old);
  }

  void fifoOrDeviceIsNoSettingsFile() {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("Scenova.ini"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    bool ok = true;
    SettingsFile::read(fifo, &ok);  // returns at once instead of waiting for a writer
    QVERIFY(!ok);
    QVERIFY(!SettingsFile::readFirstLine(fifo));
    QVERIFY(!SettingsFile::readFirstLine(QStringLiteral("/dev/zero")));
  }

  void userFolderWhenProgramFolderIsReadOnly() {
    scenova::test::ProgramFolder folder;
    const QByteArray shipped = "Deutsch.lng\r\n5000\r\n";
    folder.writeSettings(shipped);
    QTemporaryDir config;
    QString where;
    {
      // A read-only mount as root, who writes into any folder otherwise.
      scenova::test::ReadOnlyFolder readOnly(folder.path());
      QVERIFY(readOnly.ok());
      where = SettingsFile::locate(folder.path(), config.path() + QStringLiteral("/scenova"));
    }
    QCOMPARE(where, config.path() + QStringLiteral("/scenova/Scenova.ini"));
    QFile seeded(where);  // seeded from the shipped default
    QVERIFY(seeded.open(QIODevice::ReadOnly));
    QCOMPARE(seeded.readAll(), shipped);
  }

  void programFolderWhenWritable() {
    scenova::test::ProgramFolder folder;
    QCOMPARE(SettingsFile::locate(folder.path(), QStringLiteral("/unused")), folder.settingsPath());
  }

  // An installed program keeps its settings per user even where the shared
  // data folder can be written (a prefix the user owns), and leaves the
  // shipped default as it was.
  void installedProgramUsesTheUserFolder() {
    scenova::test::ProgramFolder shared;
    shared.writeSettings("Deutsch.lng\r\n");
    QTemporaryDir config;
    const QString user = config.path() + QStringLiteral("/scenova");
    const QString where = SettingsFile::locate(shared.path(), user, true);
    QCOMPARE(where, user + QStringLiteral("/Scenova.ini"));
    QCOMPARE(SettingsFile::readFirstLine(where),
             std::optional<QString>(QStringLiteral("Deutsch.lng")));
    // Later starts keep what the user's copy says.
    SettingsToWrite chosen;
    chosen.languageFile = QStringLiteral("English.lng");
    QVERIFY(SettingsFile::write(where, chosen));
    QCOMPARE(SettingsFile::locate(shared.path(), user, true), where);
    QCOMPARE(SettingsFile::readFirstLine(where),
             std::optional<QString>(QStringLiteral("English.lng")));
    QCOMPARE(shared.read(QStringLiteral("Scenova.ini")), QByteArray("Deutsch.lng\r\n"));
  }
};

QTEST_APPLESS_MAIN(TestSettings)
#include "test_settings.moc"
