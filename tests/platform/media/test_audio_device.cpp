// The audio command device playing for real: a tone file written here is
// played to a null sink of a private sound server and recorded back from its
// monitor. Needs PulseAudio (skips without PULSE_SERVER).

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "audio_test_support.h"
#include "fakes/media/fake_audio_device.h"
#include "platform/media/audio_device_mpv.h"
#include "support/without_root.h"

using namespace scenova::platform;
using namespace scenova::testing;
using scenova::test::FileChecksAsOrdinaryUser;

namespace {

// Four one-second steps; the pitch tells where in the file a sound came from.
const QList<ToneSegment> kSteps{{1000, 300}, {1000, 600}, {1000, 1200}, {1000, 2400}};
constexpr qint64 kStepsLength = 4000;

QString openText(const QString& path, const char* alias = "wav1") {
  return QStringLiteral("open \"") + path + QStringLiteral("\" ALIAS ") + QString::fromUtf8(alias);
}

int countEntries(const char* dir) {
  return int(
      QDir(QString::fromUtf8(dir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

}  // namespace

class TestAudioDevice : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  PrivatePulse pulse_;
  std::unique_ptr<SinkRecorder> recorder_;
  QString steps_;

  QString path(const QString& name) const { return dir_.filePath(name); }

  qint64 position(MpvAudioDevice& d) {
    QString reply;
    if (d.sendString(QStringLiteral("status wav1 position"), &reply) != 0) return -1;
    return reply.toLongLong();
  }

  struct Status {
    quint32 code = 0;
    qint64 length = -1, position = -1;
  };
  static Status statusCall(AudioDevice& d, const QString& alias) {
    Status s;
    s.code = d.status(alias, s.position, s.length);
    if (s.code) s.length = s.position = -1;
    return s;
  }
  static Status statusByText(AudioDevice& d, const QString& alias) {
    Status s;
    QString length, position;
    s.code = d.sendString(QStringLiteral("status ") + alias + QStringLiteral(" length"), &length);
    if (!s.code)
      s.code =
          d.sendString(QStringLiteral("status ") + alias + QStringLiteral(" position"), &position);
    if (!s.code) {
      s.length = length.toLongLong();
      s.position = position.toLongLong();
    }
    return s;
  }

  bool startRecorder() {
    recorder_ = std::make_unique<SinkRecorder>();
    return recorder_->start(pulse_.server());
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) QSKIP("needs PulseAudio (PULSE_SERVER)");
    QVERIFY(dir_.isValid());
    QVERIFY(pulse_.start(path(QStringLiteral("pulse"))));
    pulse_.usePulse();
    // A running recorder also keeps the idle null sink from holding new streams back.
    QVERIFY(startRecorder());
    steps_ = path(QStringLiteral("steps.wav"));
    QVERIFY(writeBytes(steps_, segmentedWav(kSteps)));
    // Files the device must refuse.
    QFile(path(QStringLiteral("empty.wav"))).open(QIODevice::WriteOnly);
    QVERIFY(writeBytes(path(QStringLiteral("notes.mp3")), "Not music at all.\n"));
    QVERIFY(writeBytes(path(QStringLiteral("a\"b.wav")), segmentedWav({{100, 440}})));
    QVERIFY(writeBytes(path(QStringLiteral("locked.wav")), segmentedWav({{100, 440}})));
    chmod(QFile::encodeName(path(QStringLiteral("locked.wav"))).constData(), 0);
    mkfifo(QFile::encodeName(path(QStringLiteral("pipe.wav"))).constData(), 0600);
  }

  // The answer to "status length" once a load that "open" left to the
  // background has ended (the code of a failed load otherwise).
  static quint32 lengthWhenLoaded(MpvAudioDevice& d, QString* reply = nullptr) {
    QElapsedTimer t;
    t.start();
    quint32 rc = 0;
    while ((rc = d.sendString(QStringLiteral("status wav1 length"), reply)) ==
               code(MciError::Timeout) &&
           t.elapsed() < 3000) {
      QTest::qWait(5);  // polling
    }
    return rc;
  }

  void openReturnsAtOnceAndTheLengthFollows() {
    MpvAudioDevice d;
    QList<AudioDevice::Event> events;
    d.setEventHandler([&events](AudioDevice::Event e, quint32) { events << e; });
    QElapsedTimer t;
    t.start();
    QCOMPARE(d.sendString(openText(steps_)), 0u);
    QVERIFY2(t.elapsed() < 100, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(position(d), 0);
    QString reply;
    QCOMPARE(lengthWhenLoaded(d, &reply), 0u);
    QCOMPARE(reply, QString::number(kStepsLength));
    QCOMPARE(position(d), 0);
    QVERIFY(!events.contains(AudioDevice::Event::NotResponding));
    QVERIFY(!events.contains(AudioDevice::Event::LoadFailed));
  }

  // What is heard starts at the position asked for, and stops on "stop".
  void soundStartsWhereSought_data() {
    QTest::addColumn<qint64>("from");
    QTest::addColumn<double>("hz");
    QTest::newRow("start") << qint64(0) << 300.0;
    QTest::newRow("1.5 s") << qint64(1500) << 600.0;
    QTest::newRow("2.6 s") << qint64(2600) << 1200.0;
    QTest::newRow("3.3 s") << qint64(3300) << 2400.0;
  }
  void soundStartsWhereSought() {
    QFETCH(qint64, from);
    QFETCH(double, hz);
    MpvAudioDevice d;
    QCOMPARE(d.sendString(openText(steps_)), 0u);
    QCOMPARE(lengthWhenLoaded(d), 0u);
    const qint64 mark = recorder_->sampleCount();
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from ") + QString::number(from)), 0u);
    QTest::qWait(250);  // plays for a quarter second on purpose
    QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
    const qint64 stoppedAt = position(d);
    QVERIFY2(stoppedAt >= from + 150 && stoppedAt <= from + 350,
             qPrintable(QString::number(stoppedAt)));
    const qint64 stopMark = recorder_->sampleCount();
    QTRY_VERIFY(recorder_->sampleCount() > stopMark + SinkRecorder::kRate * 15 / 100);

    const qint64 onset = recorder_->firstLoud(mark);
    QVERIFY(onset >= 0);
    const std::vector<qint16> heard = recorder_->samples(onset);
    const double measured = toneFrequency(heard, 240, 2400);
    QVERIFY2(std::abs(measured - hz) < hz * 0.1, qPrintable(QString::number(measured)));
    if (hz >= 1200) {
      // Not even the first 5 ms come from elsewhere in the file.
      const double first = toneFrequency(heard, 0, 240);
      QVERIFY2(std::abs(first - hz) < hz * 0.25, qPrintable(QString::number(first)));
    }
    // Silence follows the stop within a few output buffers.
    const std::vector<qint16> after = recorder_->samples(stopMark + SinkRecorder::kRate / 10);
    QVERIFY(!after.empty());
    QVERIFY(std::all_of(after.begin(), after.end(), [](qint16 s) { return std::abs(s) < 200; }));
  }

  // A file named ahead waits loaded on a core of its own: its open takes
  // that core over, and what is heard starts at the file's start. A file
  // changed since, another file and a change of output each get what they
  // would have got without it.
  void fileLoadedAhead() {
    MpvAudioDevice d;
    const QString ahead = path(QStringLiteral("ahead.wav"));
    QVERIFY(writeBytes(ahead, segmentedWav({{2000, 1200}})));
    d.prepare(ahead);
    QTRY_VERIFY_WITH_TIMEOUT(d.fileReadyAhead(), 5000);
    d.setOutput({});  // the output changed: loaded again for it
    QVERIFY(!d.fileReadyAhead());
    QTRY_VERIFY_WITH_TIMEOUT(d.fileReadyAhead(), 5000);
    // Named another way, the same file.
    QCOMPARE(d.sendString(openText(dir_.path() + QStringLiteral("/./ahead.wav"))), 0u);
    QVERIFY(!d.fileReadyAhead());  // taken over
    QString reply;
    QCOMPARE(d.sendString(QStringLiteral("status wav1 length"), &reply), 0u);
    QCOMPARE(reply, QStringLiteral("2000"));
    const qint64 mark = recorder_->sampleCount();
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    qint64 onset = -1;
    QTRY_VERIFY((onset = recorder_->firstLoud(mark)) >= 0);
    QTRY_VERIFY(recorder_->sampleCount() > onset + 2400);
    const std::vector<qint16> heard = recorder_->samples(onset);
    const double first = toneFrequency(heard, 0, 2400);
    QVERIFY2(std::abs(first - 1200) < 120, qPrintable(QString::number(first)));
    QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);

    // Rewritten after it was loaded: the new file is opened.
    d.prepare(ahead);
    QTRY_VERIFY_WITH_TIMEOUT(d.fileReadyAhead(), 5000);
    QVERIFY(writeBytes(ahead, segmentedWav({{3000, 600}})));
    QCOMPARE(d.sendString(openText(ahead)), 0u);
    QCOMPARE(lengthWhenLoaded(d, &reply), 0u);
    QCOMPARE(reply, QStringLiteral("3000"));
    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);

    // Another file opens as it always did; the one ahead keeps waiting.
    d.prepare(ahead);
    QTRY_VERIFY_WITH_TIMEOUT(d.fileReadyAhead(), 5000);
    QCOMPARE(d.sendString(openText(steps_)), 0u);
    QCOMPARE(lengthWhenLoaded(d, &reply), 0u);
    QCOMPARE(reply, QString::number(kStepsLength));
    QVERIFY(d.fileReadyAhead());
  }

  void stopKeepsThePositionAndPlayResumes() {
    MpvAudioDevice d;
    QCOMPARE(d.sendString(openText(steps_)), 0u);
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from 800")), 0u);
    QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
    QCOMPARE(position(d), 800);
    QTest::qWait(100);  // time let pass on purpose: stopped, it must not move
    QCOMPARE(position(d), 800);
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    QTest::qWait(300);  // plays for that long on purpose
    const qint64 playing = position(d);
    QVERIFY2(playing > 950 && playing < 1250, qPrintable(QString::number(playing)));
    // The pause the transport does: "play from" the position, then "stop".
    for (qint64 at : {2000, 1234, 3000, 10, 2999}) {
      QCOMPARE(d.sendString(QStringLiteral("play wav1 from ") + QString::number(at)), 0u);
      QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
      QCOMPARE(position(d), at);
      QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
      QTest::qWait(60);  // plays a moment on purpose before the next pause
    }
    QCOMPARE(d.sendString(QStringLiteral("seek wav1 to start")), 0u);
    QCOMPARE(position(d), 0);
  }

  void skipsWhileStoppedStaySilent() {
    // Forward, back and counter clicks on a paused track send "play from"
    // then "stop": nothing may be heard in between.
    MpvAudioDevice d;
    QCOMPARE(d.sendString(openText(steps_)), 0u);
    const qint64 mark = recorder_->sampleCount();
    for (qint64 at : {500, 1500, 2600, 3300}) {
      QCOMPARE(d.sendString(QStringLiteral("play wav1 from ") + QString::number(at)), 0u);
      QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
      QCOMPARE(position(d), at);
      QTest::qWait(50);  // time let pass on purpose: paused, nothing may sound
    }
    const qint64 end = recorder_->sampleCount();
    QTRY_VERIFY(recorder_->sampleCount() > end + SinkRecorder::kRate * 15 / 100);
    QCOMPARE(recorder_->firstLoud(mark), qint64(-1));
  }

  void playsToTheEndAndStaysThere() {
    MpvAudioDevice d;
    QCOMPARE(d.sendString(openText(steps_)), 0u);
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from 3850")), 0u);
    QTRY_COMPARE(position(d), kStepsLength);
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);  // nothing left to play
    QCOMPARE(position(d), kStepsLength);
    QCOMPARE(d.sendString(QStringLiteral("seek wav1 to start")), 0u);
    QCOMPARE(position(d), 0);
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from 4000")), 0u);
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from 4001")), code(MciError::OutOfRange));
  }

  // The stand-in answers a whole session exactly like the real device.
  void answersLikeTheFake() {
    const QStringList script{
        QStringLiteral("play wav1"),
        QStringLiteral("status wav1 position"),
        QStringLiteral("close all"),
        openText(steps_),
        QStringLiteral("play wav1 from 4001"),
        QStringLiteral("status wav1 position"),
        QStringLiteral("play wav1 from "),
        QStringLiteral("play wav2"),
        openText(steps_, "other"),
        QStringLiteral("play   WAV1   from  800"),
        QStringLiteral("stop wav1"),
        QStringLiteral("status wav1 position"),
        QStringLiteral("status wav1 length"),
        QStringLiteral("seek wav1 to end"),
        QStringLiteral("seek wav1 to start"),
        QStringLiteral("status wav1 position"),
        QStringLiteral("close all"),
        QStringLiteral("status wav1 length"),
        openText(path(QStringLiteral("missing.wav"))),
        openText(dir_.path()),
    };
    MpvAudioDevice real;
    FakeAudioDevice fake;
    fake.lengthMs = kStepsLength;
    fake.checkFiles = true;
    for (const QString& command : script) {
      QString realReply, fakeReply;
      const quint32 realCode = real.sendString(command, &realReply);
      if (command.startsWith(QStringLiteral("open")) && realCode == 0) lengthWhenLoaded(real);
      const quint32 fakeCode = fake.sendString(command, &fakeReply);
      // The one-call status answers as the two status queries do.
      for (const QString& alias : {QStringLiteral("wav1"), QStringLiteral("Wav1"),
                                   QStringLiteral("other"), QStringLiteral("wav2")}) {
        const Status typed = statusCall(real, alias), text = statusByText(real, alias);
        QVERIFY2(typed.code == text.code && typed.length == text.length &&
                     std::abs(typed.position - text.position) < 50,
                 qPrintable(command + QStringLiteral(" / ") + alias +
                            QStringLiteral(": %1 %2 %3 / %4 %5 %6")
                                .arg(typed.code)
                                .arg(typed.length)
                                .arg(typed.position)
                                .arg(text.code)
                                .arg(text.length)
                                .arg(text.position)));
      }
      QVERIFY2(realCode == fakeCode && realReply == fakeReply,
               qPrintable(command + QStringLiteral(": %1 '%2' / %3 '%4'")
                                        .arg(realCode)
                                        .arg(realReply)
                                        .arg(fakeCode)
                                        .arg(fakeReply)));
    }
    QCOMPARE(fake.commands, script);
  }

  void badInput_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("zero bytes") << openText(path(QStringLiteral("empty.wav")))
                                << code(MciError::EmptyFile);
    QTest::newRow("text named .mp3")
        << openText(path(QStringLiteral("notes.mp3"))) << code(MciError::UnsupportedFormat);
    QTest::newRow("folder") << openText(dir_.path()) << code(MciError::IsFolder);
    QTest::newRow("missing") << openText(path(QStringLiteral("gone.wav")))
                             << code(MciError::FileNotFound);
    QTest::newRow("pipe") << openText(path(QStringLiteral("pipe.wav")))
                          << code(MciError::UnsupportedFormat);
    QTest::newRow("unreadable") << openText(path(QStringLiteral("locked.wav")))
                                << code(MciError::Unreadable);
    QTest::newRow("quote in the path")
        << QStringLiteral("open \"") + path(QStringLiteral("a\"b.wav")) +
               QStringLiteral("\" ALIAS wav1")
        << code(MciError::BadPath);
    QTest::newRow("video without sound")
        << openText(path(QStringLiteral("silent.mkv"))) << code(MciError::UnsupportedFormat);
  }
  void badInput() {
    QFETCH(QString, command);
    QFETCH(quint32, expected);
    // Root reads every file: the unreadable one is opened with the file
    // checks of an ordinary user, who must get through the folder to it.
    std::optional<FileChecksAsOrdinaryUser> ordinary;
    if (QByteArray(QTest::currentDataTag()) == "unreadable") {
      QFile::setPermissions(dir_.path(), QFile::permissions(dir_.path()) | QFile::ExeOther);
      ordinary.emplace();
      QVERIFY(!QFile(path(QStringLiteral("locked.wav"))).open(QIODevice::ReadOnly));
    }
    if (QByteArray(QTest::currentDataTag()) == "video without sound") {
      QProcess ff;
      ff.start(QStringLiteral("ffmpeg"),
               {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                QStringLiteral("color=c=red:size=64x64:rate=5"), QStringLiteral("-t"),
                QStringLiteral("1"), path(QStringLiteral("silent.mkv"))});
      if (!ff.waitForFinished(30000) || ff.exitCode() != 0) QSKIP("ffmpeg could not make a video");
    }
    MpvAudioDevice d;
    quint32 failedLater = 0;
    d.setEventHandler([&failedLater](AudioDevice::Event e, quint32 c) {
      if (e == AudioDevice::Event::LoadFailed) failedLater = c;
    });
    QElapsedTimer t;
    t.start();
    const quint32 rc = d.sendString(command);
    ordinary.reset();
    // The first open also starts the engine.
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!d.errorString(expected).isEmpty());
    if (rc == 0) {
      // Refused by the engine after "open" returned: reported, and answered
      // by every later command until the next open.
      QCOMPARE(lengthWhenLoaded(d), expected);
      QCOMPARE(failedLater, expected);
      QCOMPARE(d.sendString(QStringLiteral("play wav1")), expected);
      QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
    } else {
      QCOMPARE(rc, expected);
    }
    QCOMPARE(d.sendString(QStringLiteral("status wav1 length")), code(MciError::NoSuchAlias));
    // The device is left usable.
    QCOMPARE(d.sendString(openText(steps_)), 0u);
  }

  void unusualPathsOpen_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("asSent");
    const QString spaced = QStringLiteral("Songs  of ünï ♫/Act 1 – Bells 曲.WAV");
    QTest::newRow("blanks and unicode") << spaced << spaced;
    QTest::newRow("sent in lower case") << spaced << spaced.toLower();
    QTest::newRow("quote-free symbols")
        << QStringLiteral("a'b;c&d$(e)%20.wav") << QStringLiteral("a'b;c&d$(e)%20.wav");
  }
  void unusualPathsOpen() {
    QFETCH(QString, name);
    QFETCH(QString, asSent);
    const QString file = path(name);
    QDir().mkpath(QFileInfo(file).path());
    QVERIFY(writeBytes(file, segmentedWav({{500, 440}})));
    MpvAudioDevice d;
    QCOMPARE(d.sendString(openText(path(asSent))), 0u);
    QString reply;
    QCOMPARE(lengthWhenLoaded(d, &reply), 0u);
    QCOMPARE(reply, QStringLiteral("500"));
  }

  void fileDeletedOrCutAfterOpen() {
    const QString copy = path(QStringLiteral("copy.wav"));
    const QByteArray bytes = segmentedWav(kSteps);
    QVERIFY(writeBytes(copy, bytes));
    MpvAudioDevice d;
    QCOMPARE(d.sendString(openText(copy)), 0u);
    QCOMPARE(lengthWhenLoaded(d), 0u);
    QVERIFY(QFile::remove(copy));
    QCOMPARE(d.sendString(QStringLiteral("play wav1 from 1000")), 0u);
    QTRY_VERIFY(position(d) > 1050);
    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);

    // Cut short in place while open: playing on may fail, but only with a code.
    QVERIFY(writeBytes(copy, bytes));
    QCOMPARE(d.sendString(openText(copy)), 0u);
    QCOMPARE(lengthWhenLoaded(d), 0u);
    QVERIFY(writeBytes(copy, bytes.left(2000)));
    for (const char* c :
         {"play wav1 from 3000", "status wav1 position", "stop wav1", "play wav1"}) {
      const quint32 rc = d.sendString(QString::fromUtf8(c));
      QVERIFY2(rc == 0 || rc == code(MciError::MediaLost), c);
      QTest::qWait(100);  // one command after another, a while apart on purpose
    }
    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
    QCOMPARE(d.sendString(openText(steps_)), 0u);
  }

  // A sound server that goes away: commands answer in bounded time; once it
  // is back, the next open plays to it again.
  void soundServerGoesAwayAndReturns() {
    MpvAudioDevice d;
    QCOMPARE(d.sendString(openText(steps_)), 0u);
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    QTRY_VERIFY(position(d) > 0);
    recorder_.reset();
    pulse_.stop();
    // Soon every command but "close all" reports the failed device.
    QElapsedTimer failing;
    failing.start();
    while (d.sendString(QStringLiteral("status wav1 position")) == 0 && failing.elapsed() < 2000) {
      QTest::qWait(20);  // polling
    }
    for (const char* c : {"status wav1 position", "stop wav1", "play wav1 from 2000",
                          "seek wav1 to start", "play wav1"}) {
      QElapsedTimer t;
      t.start();
      QCOMPARE(d.sendString(QString::fromUtf8(c)), code(MciError::DeviceFailed));
      QVERIFY2(t.elapsed() < 100, c);
    }
    QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
    QVERIFY(pulse_.start(path(QStringLiteral("pulse"))));
    QVERIFY(startRecorder());
    QCOMPARE(d.sendString(openText(steps_)), 0u);
    const qint64 mark = recorder_->sampleCount();
    QCOMPARE(d.sendString(QStringLiteral("play wav1")), 0u);
    QTRY_VERIFY(recorder_->firstLoud(mark) >= 0);
    QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
  }

  void noLeakedThreadsOrFiles() {
    auto cycle = [this] {
      MpvAudioDevice d;
      for (int i = 0; i < 10; ++i) {
        QCOMPARE(d.sendString(openText(steps_)), 0u);
        QCOMPARE(d.sendString(QStringLiteral("play wav1 from 1000")), 0u);
        QCOMPARE(d.sendString(QStringLiteral("stop wav1")), 0u);
        d.sendString(openText(path(QStringLiteral("notes.mp3"))));
        QCOMPARE(d.sendString(QStringLiteral("close all")), 0u);
      }
    };
    cycle();
    const int threads = countEntries("/proc/self/task");
    const int files = countEntries("/proc/self/fd");
    cycle();
    cycle();
    QTRY_VERIFY2(countEntries("/proc/self/task") <= threads + 1, "threads left behind");
    QTRY_VERIFY2(countEntries("/proc/self/fd") <= files + 1, "files left open");
  }
};

QTEST_GUILESS_MAIN(TestAudioDevice)
#include "test_audio_device.moc"
