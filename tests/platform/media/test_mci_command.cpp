// The audio device's command texts: what is accepted, how it is read, and
// which code a refused text gets.

#include <QTest>

#include "platform/media/mci_command.h"

using namespace scenova::platform;
using Verb = MciCommand::Verb;

Q_DECLARE_METATYPE(Verb)
Q_DECLARE_METATYPE(MciError)

class TestMciCommand : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<Verb>("verb");
    QTest::addColumn<QString>("alias");
    QTest::addColumn<QString>("path");
    QTest::addColumn<qint64>("from");
    QTest::addColumn<MciError>("error");
    const auto ok = [](const char* name, const char* text, Verb verb, const char* alias,
                       const QString& path = {}, qint64 from = 0) {
      QTest::newRow(name) << QString::fromUtf8(text) << verb << QString::fromUtf8(alias) << path
                          << from << MciError::None;
    };
    const auto bad = [](const char* name, const char* text, MciError error) {
      QTest::newRow(name) << QString::fromUtf8(text) << Verb::Invalid << QString() << QString()
                          << qint64(0) << error;
    };
    // The texts the program sends.
    ok("close all", "close all", Verb::CloseAll, "");
    ok("open", "open \"/home/me/song.mp3\" ALIAS wav1", Verb::Open, "wav1",
       QStringLiteral("/home/me/song.mp3"));
    ok("play", "play wav1", Verb::Play, "wav1");
    ok("play from", "play wav1 from 800", Verb::PlayFrom, "wav1", {}, 800);
    ok("play from, counter click", "play wav1 from  1234", Verb::PlayFrom, "wav1", {}, 1234);
    ok("stop", "stop wav1", Verb::Stop, "wav1");
    ok("seek", "seek wav1 to start", Verb::SeekStart, "wav1");
    ok("position", "status wav1 position", Verb::Position, "wav1");
    ok("length", "status wav1 length", Verb::Length, "wav1");
    // Blanks, case, other aliases, file names.
    ok("blank runs and tabs", "  CLOSE \t  All  ", Verb::CloseAll, "");
    ok("keywords in any case", "Play Music FROM 0", Verb::PlayFrom, "Music", {}, 0);
    ok("blanks in the path", "open   \"/a b/c  d.wav\"   alias   x", Verb::Open, "x",
       QStringLiteral("/a b/c  d.wav"));
    ok("unicode path", "open \"/tmp/ünï cödé ♫ 曲.wav\" ALIAS wav1", Verb::Open, "wav1",
       QStringLiteral("/tmp/ünï cödé ♫ 曲.wav"));
    ok("unquoted path", "open /tmp/a.wav ALIAS wav1", Verb::Open, "wav1",
       QStringLiteral("/tmp/a.wav"));
    ok("empty path", "open \"\" ALIAS wav1", Verb::Open, "wav1", QString());
    ok("huge number saturates", "play wav1 from 99999999999999999999999", Verb::PlayFrom, "wav1",
       {}, std::numeric_limits<qint64>::max());
    // Refusals.
    bad("empty", "", MciError::UnknownCommand);
    bad("blanks only", "   ", MciError::UnknownCommand);
    bad("unknown verb", "pause wav1", MciError::UnknownCommand);
    bad("quoted verb", "\"play\" wav1", MciError::UnknownCommand);
    bad("close without all", "close", MciError::BadParameter);
    bad("close by name", "close wav1", MciError::BadParameter);
    bad("open without alias", "open \"/a.wav\"", MciError::BadParameter);
    bad("open alias without name", "open \"/a.wav\" ALIAS", MciError::BadParameter);
    bad("open with another keyword", "open \"/a.wav\" AS wav1", MciError::BadParameter);
    bad("open with quoted alias", "open \"/a.wav\" ALIAS \"wav1\"", MciError::BadParameter);
    bad("quote inside the path", "open \"/a\"b.wav\" ALIAS wav1", MciError::BadPath);
    bad("unclosed quote", "open \"/a.wav ALIAS wav1", MciError::BadPath);
    bad("quote in a bare path", "open /a\"b.wav ALIAS wav1", MciError::BadPath);
    bad("from without number", "play wav1 from", MciError::MissingPosition);
    bad("from a counter tag never set", "play wav1 from ", MciError::MissingPosition);
    bad("negative position", "play wav1 from -5", MciError::MissingPosition);
    bad("fractional position", "play wav1 from 8.5", MciError::MissingPosition);
    bad("word after from", "play wav1 from start", MciError::MissingPosition);
    bad("play without alias", "play", MciError::BadParameter);
    bad("play to", "play wav1 to 800", MciError::BadParameter);
    bad("extra word", "play wav1 from 800 900", MciError::BadParameter);
    bad("stop without alias", "stop", MciError::BadParameter);
    bad("seek to end", "seek wav1 to end", MciError::BadParameter);
    bad("seek to a number", "seek wav1 to 800", MciError::BadParameter);
    bad("status mode", "status wav1 mode", MciError::BadParameter);
    bad("status without item", "status wav1", MciError::BadParameter);
  }

  void parse() {
    QFETCH(QString, text);
    QFETCH(Verb, verb);
    QFETCH(MciError, error);
    const MciCommand c = MciCommand::parse(text);
    QCOMPARE(c.verb, verb);
    QCOMPARE(c.error, error);
    if (verb == Verb::Invalid) return;
    QTEST(c.alias, "alias");
    QTEST(c.path, "path");
    QTEST(c.from, "from");
  }

  // Every code has its own readable sentence; unknown codes still get one.
  void everyCodeHasAMessage() {
    QStringList seen;
    for (quint32 c = 1; c <= code(MciError::MediaLost); ++c) {
      const QString text = mciErrorText(c);
      QVERIFY2(text.endsWith(QLatin1Char('.')), qPrintable(text));
      QVERIFY2(!seen.contains(text), qPrintable(text));
      seen << text;
    }
    QCOMPARE(mciErrorText(code(MciError::FileNotFound)),
             QStringLiteral("The specified file was not found."));
    QVERIFY(!mciErrorText(9999).isEmpty());
  }
};

QTEST_APPLESS_MAIN(TestMciCommand)
#include "test_mci_command.moc"
