#include "script/markup.h"

#include <QTest>

using namespace scenova::script;

class TestMarkup : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void recognise_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<bool>("video");
    QTest::addColumn<bool>("audio");
    QTest::addColumn<QString>("canonical");  // empty: not a command
    QTest::newRow("any case") << QStringLiteral("PLAY AUDIO") << false << true
                              << QStringLiteral("Play Audio");
    QTest::newRow("audio hidden") << QStringLiteral("play audio") << true << false << QString();
    QTest::newRow("video hidden") << QStringLiteral("Play Video") << false << true << QString();
    QTest::newRow("video shown") << QStringLiteral("play video") << true << false
                                 << QStringLiteral("Play Video");
    QTest::newRow("two blanks") << QStringLiteral("Play  Audio") << true << true << QString();
    QTest::newRow("no blank") << QStringLiteral("playaudio") << true << true << QString();
    QTest::newRow("fadein alone") << QStringLiteral("FADEIN") << false << false
                                  << QStringLiteral("FadeIn");
    QTest::newRow("fade normal") << QStringLiteral("fadeout normal") << false << false
                                 << QStringLiteral("FadeOut Normal");
    QTest::newRow("vol argument kept")
        << QStringLiteral("vol 75") << false << false << QStringLiteral("Vol 75");
    QTest::newRow("volume word") << QStringLiteral("volume 50") << false << false
                                 << QStringLiteral("Volume 50");
    QTest::newRow("vol alone") << QStringLiteral("vol") << false << false << QStringLiteral("Vol");
    QTest::newRow("seek argument as written")
        << QStringLiteral("seek audio12") << false << true << QStringLiteral("Seek Audio12");
    QTest::newRow("seek video case")
        << QStringLiteral("SEEK VIDEO 1:30") << true << false << QStringLiteral("Seek Video 1:30");
    QTest::newRow("img on") << QStringLiteral("Img on") << false << false
                            << QStringLiteral("Img On");
    QTest::newRow("projector needs video")
        << QStringLiteral("projector on") << false << true << QString();
    QTest::newRow("line break inside")
        << QStringLiteral("play\r\naudio") << true << true << QString();
    QTest::newRow("file name") << QStringLiteral("song.mp3") << true << true << QString();
  }
  void recognise() {
    QFETCH(QString, content);
    QFETCH(bool, video);
    QFETCH(bool, audio);
    QFETCH(QString, canonical);
    const RecognisedCommand r = recogniseCommand(content, video, audio);
    QCOMPARE(bool(r), !canonical.isEmpty());
    if (r) QCOMPARE(r.canonical, canonical);
  }

  void vocabularyIsComplete() {
    int n = 0;
    const CommandInfo* table = commandTable(&n);
    QCOMPARE(n, 21);
    // Every key recognises itself into its canonical form when both players show.
    for (int i = 0; i < n; ++i) {
      const RecognisedCommand r = recogniseCommand(QString::fromLatin1(table[i].key), true, true);
      QVERIFY(r);
      QCOMPARE(r.info->id, table[i].id);
      QCOMPARE(r.canonical, QLatin1StringView(table[i].canonical));
    }
  }

  void trimOnlyBlanks() {
    QCOMPARE(trimBlanks(QStringLiteral("  play audio ")), QStringLiteral("play audio"));
    QCOMPARE(trimBlanks(QStringLiteral("\tx\t")), QStringLiteral("\tx\t"));
    QCOMPARE(trimBlanks(QStringLiteral(" \r\nx ")), QStringLiteral("\r\nx"));
    QCOMPARE(trimBlanks(QStringLiteral("   ")), QString());
  }
};

QTEST_APPLESS_MAIN(TestMarkup)
#include "test_markup.moc"
