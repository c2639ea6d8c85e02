// The headless commands --export-text and --convert, run as the program runs
// them: in a process of their own, without a display.

#include "platform/rtb/headless.h"
#include "support/headless_run.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using scenova::test::Run;

Run runTool(const QStringList& args) {
  return scenova::test::runHeadless(QStringLiteral(RTB_HEADLESS_TOOL), args);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

bool isOneLine(const QByteArray& err) {
  return err.startsWith("scenova: ") && err.endsWith('\n') && err.count('\n') == 1;
}

}  // namespace

class TestHeadless : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase();
  void exportText_data();
  void exportText();
  void convert();
  void failures_data();
  void failures();
  void otherArgumentsAreNotHandled();

 private:
  QTemporaryDir dir_;
  QString script_;
};

void TestHeadless::initTestCase() {
  script_ = dir_.filePath(QStringLiteral("script.snv"));
  QVERIFY(writeFile(script_,
                    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\n"
                    "Atto \\'e8 uno\\par due \\u8364?\\line tre\\par\n\\par fine}"));
}

void TestHeadless::exportText_data() {
  QTest::addColumn<QByteArray>("content");
  QTest::addColumn<QByteArray>("expected");
  QTest::newRow("rtf") << QByteArray()
                       << QByteArray("Atto \xc3\xa8 uno\r\ndue \xe2\x82\xac\x0btre\r\n\r\nfine");
  QTest::newRow("plain text") << QByteArray("uno\r\ndue") << QByteArray("uno\r\ndue");
}

void TestHeadless::exportText() {
  QFETCH(QByteArray, content);
  QString path = script_;
  if (!content.isEmpty()) {
    path = dir_.filePath(QStringLiteral("plain.txt"));
    QVERIFY(writeFile(path, content));
  }
  const Run run = runTool({QStringLiteral("--export-text"), path});
  QCOMPARE(run.err, QByteArray());
  QCOMPARE(run.status, 0);
  QTEST(run.out, "expected");
}

void TestHeadless::convert() {
  const QString out = dir_.filePath(QStringLiteral("converted.rtf"));
  QVERIFY(writeFile(out, "old content"));
  const Run run = runTool({QStringLiteral("--convert"), script_, out});
  QCOMPARE(run.err, QByteArray());
  QCOMPARE(run.status, 0);
  const Run again = runTool({QStringLiteral("--export-text"), out});
  QCOMPARE(again.status, 0);
  QCOMPARE(again.out, QByteArray("Atto \xc3\xa8 uno\r\ndue \xe2\x82\xac\x0btre\r\n\r\nfine"));
  QFile f(out);
  QVERIFY(f.open(QIODevice::ReadOnly));
  QVERIFY(f.readAll().startsWith("{\\rtf"));
}

void TestHeadless::failures_data() {
  QTest::addColumn<QStringList>("args");
  QTest::addColumn<int>("status");
  const QString missing = QStringLiteral("/nonexistent/script.snv");
  QTest::newRow("export of a missing file")
      << QStringList{QStringLiteral("--export-text"), missing} << 1;
  QTest::newRow("convert of a missing file")
      << QStringList{QStringLiteral("--convert"), missing, QStringLiteral("/tmp/unused.rtf")} << 1;
  QTest::newRow("convert into a missing folder")
      << QStringList{QStringLiteral("--convert"), QStringLiteral("SCRIPT"),
                     QStringLiteral("/nonexistent/out.rtf")}
      << 1;
  QTest::newRow("export without a file") << QStringList{QStringLiteral("--export-text")} << 2;
  QTest::newRow("convert without an output")
      << QStringList{QStringLiteral("--convert"), QStringLiteral("SCRIPT")} << 2;
}

void TestHeadless::failures() {
  QFETCH(QStringList, args);
  args.replaceInStrings(QStringLiteral("SCRIPT"), script_);
  const Run run = runTool(args);
  QTEST(run.status, "status");
  QCOMPARE(run.out, QByteArray());
  QVERIFY2(isOneLine(run.err), run.err.constData());
  QVERIFY(!QFile::exists(QStringLiteral("/tmp/unused.rtf")));
}

void TestHeadless::otherArgumentsAreNotHandled() {
  QCOMPARE(runTool({}).status, 99);
  QCOMPARE(runTool({QStringLiteral("script.snv")}).status, 99);
  QByteArray a0("scenova"), a1("--export-textx");
  char* argv[] = {a0.data(), a1.data(), nullptr};
  bool handled = true;
  QCOMPARE(scenova::platform::runHeadlessCommand(2, argv, &handled), 0);
  QVERIFY(!handled);
}

QTEST_GUILESS_MAIN(TestHeadless)
#include "test_headless.moc"
