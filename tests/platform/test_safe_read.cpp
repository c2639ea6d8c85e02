// Reading outside files: only regular files, only up to a limit, never
// blocking on a FIFO, reasons with the system's own text.

#include "platform/safe_read.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <cerrno>
#include <cstring>

using namespace scenova::platform;

class TestSafeRead : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
  void write(const char* name, const QByteArray& bytes) {
    QFile f(path(name));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
  }

 private Q_SLOTS:
  void readsUpToTheLimitAndRefusesBeyond() {
    write("ten", "0123456789");
    write("empty", "");
    QByteArray bytes;
    QString error;
    QVERIFY(readRegularFile(path("ten"), 10, &bytes, &error));
    QCOMPARE(bytes, QByteArray("0123456789"));
    QVERIFY(readRegularFile(path("empty"), 10, &bytes, &error));
    QCOMPARE(bytes, QByteArray());
    bytes = "kept";
    QVERIFY(!readRegularFile(path("ten"), 9, &bytes, &error));
    QCOMPARE(bytes, QByteArray("kept"));
    QCOMPARE(error, QStringLiteral("cannot read %1: it is larger than 9 bytes").arg(path("ten")));
    QVERIFY(!readRegularFile(path("ten"), 9, nullptr, nullptr));  // no reason asked for
  }

  void refusesWhatIsNotAFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("fifo without a writer")
        << QStringLiteral("fifo") << QStringLiteral("it is not a regular file");
    QTest::newRow("folder") << QStringLiteral("folder") << QStringLiteral("it is a folder");
    QTest::newRow("endless device")
        << QStringLiteral("/dev/zero") << QStringLiteral("it is not a regular file");
    QTest::newRow("missing") << QStringLiteral("missing")
                             << QString::fromLocal8Bit(std::strerror(ENOENT));
  }
  void refusesWhatIsNotAFile() {
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QDir().mkpath(path("folder"));
    if (!QFile::exists(path("fifo")))
      QCOMPARE(::mkfifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
    const QString target = name.startsWith(QLatin1Char('/')) ? name : dir_.filePath(name);
    if (name.startsWith(QLatin1Char('/')) && !QFile::exists(name)) QSKIP("no such device here");
    QByteArray bytes;
    QString error;
    QVERIFY(!readRegularFile(target, kMaxScriptFileBytes, &bytes, &error));  // and returns
    QVERIFY2(error.startsWith(QStringLiteral("cannot ")) && error.contains(target) &&
                 error.endsWith(reason),
             qPrintable(error));
  }

  void limitsAreWrittenAsPeopleSayThem() {
    QCOMPARE(sizeLimitText(kMaxScriptFileBytes), QStringLiteral("128 MB"));
    QCOMPARE(sizeLimitText(kMaxLanguageFileBytes), QStringLiteral("1 MB"));
    QCOMPARE(sizeLimitText(64 * 1024), QStringLiteral("64 KB"));
    QCOMPARE(sizeLimitText(1000), QStringLiteral("1000 bytes"));
  }
};

QTEST_GUILESS_MAIN(TestSafeRead)
#include "test_safe_read.moc"
