// The pre-show check: every kind of cue in one script, the exit status and
// the failure line.

#include "script/cue_sheet.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

using namespace scenova;

namespace {

void write(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

struct Sheet {
  int status = -1;
  QString out, err;
};

Sheet run(const QString& script, const QString& programFolder) {
  QBuffer out, err;
  out.open(QIODevice::WriteOnly);
  err.open(QIODevice::WriteOnly);
  Sheet s;
  s.status = script::writeCueSheet(script, programFolder, out, err);
  s.out = QString::fromUtf8(out.data());
  s.err = QString::fromUtf8(err.data());
  return s;
}

}  // namespace

class TestCueSheet : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // Run once more under LC_ALL=de_DE.UTF-8: that run is worth nothing
  // unless the locale is really there.
  void initTestCase() {
    const QByteArray wanted = qgetenv("LC_ALL");
    if (wanted.isEmpty() || wanted == "C" || wanted == "POSIX") return;
    if (QByteArray(std::setlocale(LC_NUMERIC, nullptr)) != wanted)
      QFAIL(QByteArray("the locale " + wanted + " is not installed (scripts/setup.sh generates it)")
                .constData());
  }

  void numbersAreReadWithAPointUnderEveryLocale() {
    QTemporaryDir show;
    write(show.filePath(QStringLiteral("s.txt")),
          "[[seek audio -0.5]] [[seek video -.5]]\r\n[[seek audio 1,5]] [[Vol 7.5]]");
    const Sheet sheet = run(show.filePath(QStringLiteral("s.txt")), show.path());
    QCOMPARE(sheet.out, QStringLiteral("1\t1\tcommand\tSeek Audio 0\n"
                                       "1\t21\tcommand\tSeek Video 0\n"
                                       "2\t1\tcommand\tSeek Audio 1,5\n"
                                       "2\t20\tcommand\tVol 7.5\n"));
  }

  void everyKindOfCue() {
    QTemporaryDir show, program;
    const QString s = show.path(), p = program.path();
    for (const char* f : {"tone.wav", "clip.MP4", "song.kar", "pic.bmp"})
      write(s + QLatin1Char('/') + QLatin1StringView(f), "x");
    write(p + QStringLiteral("/Files/bell.wav"), "x");
    QDir().mkpath(s + QStringLiteral("/folder.wav"));
    write(s + QStringLiteral("/script.snv"),
          QByteArrayLiteral(
              R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0 Act one [[tone.wav]] and [[PLAY VIDEO]]\par
[[ vol 150 ]] [[seek audio -2]]\par
[[Play\par
Audio]] [[clip.MP4]]\par
\tab [[song.kar]] [[pic.bmp]] [[Files\\bell.wav]] [[gone.wav]] [[a\tab b]] [[folder.wav]]\par
[[x [[fadeout]] ]] [[Img\line On]] [[unclosed\par
})"));
    const Sheet sheet = run(s + QStringLiteral("/script.snv"), p);
    const QStringList expected = {
        QStringLiteral("1\t9\taudio\t") + s + QStringLiteral("/tone.wav"),
        QStringLiteral("1\t26\tcommand\tPlay Video"),
        QStringLiteral("2\t1\tcommand\tVol 150"),
        QStringLiteral("2\t15\tcommand\tSeek Audio 0"),
        QStringLiteral("3\t1\tmissing\tPlay\\r\\nAudio"),
        QStringLiteral("4\t9\tvideo\t") + s + QStringLiteral("/clip.MP4"),
        QStringLiteral("5\t2\tmidi\t") + s + QStringLiteral("/song.kar"),
        QStringLiteral("5\t15\tpicture\t") + s + QStringLiteral("/pic.bmp"),
        QStringLiteral("5\t27\taudio\t") + p + QStringLiteral("/Files/bell.wav"),
        QStringLiteral("5\t46\tmissing\tgone.wav"),
        QStringLiteral("5\t59\tmissing\ta\\tb"),
        QStringLiteral("5\t67\tmissing\tfolder.wav"),
        QStringLiteral("6\t5\tcommand\tFadeOut"),
        QStringLiteral("6\t20\tmissing\tImg\\vOn"),
    };
    QCOMPARE(sheet.out, expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    QCOMPARE(sheet.status, 1);
    QVERIFY(sheet.err.isEmpty());
  }

  // A cue joined to the one before by "+" has a fifth field "+"; a wait
  // whose time cannot be used fails the check.
  void cueGroupsAndWaits() {
    QTemporaryDir show;
    write(show.filePath(QStringLiteral("a.wav")), "x");
    write(show.filePath(QStringLiteral("s.txt")),
          "[[a.wav]] + [[vol 40]] + [[wait  1.5 ]]+[[Play Audio]]\r\n"
          "[[Stop Audio]] +\r\n[[Wait 1]] [[Wait 0]] + [[Wait abc]]");
    const Sheet sheet = run(show.filePath(QStringLiteral("s.txt")), show.path());
    const QStringList expected = {
        QStringLiteral("1\t1\taudio\t") + show.filePath(QStringLiteral("a.wav")),
        QStringLiteral("1\t13\tcommand\tVol 40\t+"),
        QStringLiteral("1\t26\tcommand\tWait 1.5\t+"),
        QStringLiteral("1\t41\tcommand\tPlay Audio\t+"),
        QStringLiteral("2\t1\tcommand\tStop Audio"),
        QStringLiteral("3\t1\tcommand\tWait 1"),
        QStringLiteral("3\t12\tinvalid\tWait 0"),
        QStringLiteral("3\t25\tinvalid\tWait abc\t+"),
    };
    QCOMPARE(sheet.out, expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    QCOMPARE(sheet.status, 1);
  }

  // Layer cues have a kind of their own and the path found; a missing file
  // is missing like any media cue's (the broken-cue marks ask the same
  // question), and "Stop Audio" stays a command.
  void layerCues() {
    QTemporaryDir show;
    const QString s = show.path();
    write(s + QStringLiteral("/rain.wav"), "x");
    write(s + QStringLiteral("/sub/door.mp3"), "x");
    write(s + QStringLiteral("/s.txt"),
          "[[LOOP rain.wav]] [[Sound sub\\door.mp3]]\r\n[[fade rain.wav 8]] [[Level rain.wav abc]] "
          "[[stop sounds]] [[Stop Audio]]\r\n[[Sound gone.wav]] [[Stop gone.ogg]]");
    const Sheet sheet = run(s + QStringLiteral("/s.txt"), s);
    const QStringList expected = {
        QStringLiteral("1\t1\tsound\t") + s + QStringLiteral("/rain.wav"),
        QStringLiteral("1\t19\tsound\t") + s + QStringLiteral("/sub/door.mp3"),
        QStringLiteral("2\t1\tsound\t") + s + QStringLiteral("/rain.wav"),
        QStringLiteral("2\t21\tsound\t") + s + QStringLiteral("/rain.wav"),
        QStringLiteral("2\t44\tsound\tStop Sounds"),
        QStringLiteral("2\t60\tcommand\tStop Audio"),
        QStringLiteral("3\t1\tmissing\tSound gone.wav"),
        QStringLiteral("3\t20\tmissing\tStop gone.ogg"),
    };
    QCOMPARE(sheet.out, expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    QCOMPARE(sheet.status, 1);
  }

  void everythingFoundExitsZero() {
    QTemporaryDir show;
    write(show.filePath(QStringLiteral("a.wav")), "x");
    write(show.filePath(QStringLiteral("s.txt")), "[[a.wav]] [[Stop Audio]] no cue ]] here");
    const Sheet sheet = run(show.filePath(QStringLiteral("s.txt")), show.path());
    QCOMPARE(sheet.status, 0);
    QCOMPARE(sheet.out.count(QLatin1Char('\n')), 2);
  }

  void unreadableScript_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << QStringLiteral("nothing.snv");
    QTest::newRow("a folder") << QStringLiteral("sub");
  }
  void unreadableScript() {
    QFETCH(QString, name);
    QTemporaryDir show;
    QDir().mkpath(show.filePath(QStringLiteral("sub")));
    const Sheet sheet = run(show.filePath(name), show.path());
    QCOMPARE(sheet.status, 2);
    QVERIFY(sheet.out.isEmpty());
    QCOMPARE(sheet.err.count(QLatin1Char('\n')), 1);
    QVERIFY(sheet.err.endsWith(QLatin1Char('\n')));
  }

  void otherCommandLinesAreNotHandled() {
    char program[] = "scenova", script[] = "x.snv";
    char* argv[] = {program, script};
    bool handled = true;
    QCOMPARE(script::runCueSheet(2, argv, &handled), 0);
    QVERIFY(!handled);
  }
};

QTEST_MAIN(TestCueSheet)
#include "test_cue_sheet.moc"
