// The video player while the sound server hangs (SIGSTOP on a server of
// the test's own): loading a video never holds the window up, the video
// that was loaded while it hung plays once the server answers again, and a
// player that goes while the server hangs does not hold the exit up.

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <csignal>
#include <utility>

#include "audio_test_support.h"
#include "platform/media/mpv_player.h"
#include "test_player_support.h"

using namespace scenova::platform;
using namespace scenova::testing;

class TestPlayerHung : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  PrivatePulse pulse_;
  QString first_, second_;

  struct Stage {
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    std::unique_ptr<MediaPlayer> player;
  };
  static Stage stage() {
    Stage s;
    s.window->setGeometry(40, 40, 320, 240);
    s.player = createMediaPlayer({}, s.window.get());
    auto* layout = new QVBoxLayout(s.window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(s.player->widget());
    s.window->show();
    return s;
  }
  bool streamPlays() const {
    return pulse_
        .pactl({QStringLiteral("list"), QStringLiteral("short"), QStringLiteral("sink-inputs")})
        .second.contains(QLatin1Char('\t'));
  }
  void hang(bool on) { ::kill(pid_t(pulse_.pid()), on ? SIGSTOP : SIGCONT); }
  // Whether the stop has taken hold: the server's state is "T" in /proc.
  bool serverStopped() const {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pulse_.pid()));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');  // the name may hold spaces
    return end > 0 && line.mid(end + 2, 1) == "T";
  }

 private Q_SLOTS:
  void initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("PULSE_SERVER"))
      QSKIP("needs the test X server and sound server");
    if (!haveFfmpeg()) QSKIP("needs ffmpeg");
    if (QStandardPaths::findExecutable(QStringLiteral("pulseaudio")).isEmpty())
      QSKIP("needs pulseaudio");
    QVERIFY(dir_.isValid());
    QVERIFY(pulse_.start(dir_.filePath(QStringLiteral("pulse"))));
    pulse_.usePulse();
    first_ = dir_.filePath(QStringLiteral("first.mp4"));
    second_ = dir_.filePath(QStringLiteral("second.mp4"));
    for (const QString& file : {first_, second_}) {
      QVERIFY(makeVideo(
          file,
          {QStringLiteral("testsrc=size=320x240:rate=25"), QStringLiteral("sine=frequency=440")},
          20));
    }
  }

  // A video loaded while the server hangs: the load returns at once, and
  // the same file loads and plays once the server answers again.
  void videoLoadedWhileTheServerHangsPlaysLater() {
    Stage s = stage();
    s.player->setUrl(first_);
    QTRY_VERIFY_WITH_TIMEOUT(s.player->duration() > 0, 5000);
    s.player->play();
    QTRY_VERIFY_WITH_TIMEOUT(s.player->currentPosition() > 0.3, 5000);
    hang(true);
    auto resume = qScopeGuard([this] { hang(false); });
    QSignalSpy failed(s.player.get(), &MediaPlayer::loadFailed);
    QElapsedTimer t;
    t.start();
    s.player->setUrl(second_);
    s.player->play();
    const qint64 loadMs = t.elapsed();
    QVERIFY2(loadMs <= 50,
             qPrintable(QStringLiteral("the load held the window %1 ms").arg(loadMs)));
    // Given up after a while (or loaded): either way, then the server goes on.
    QTRY_VERIFY_WITH_TIMEOUT(!failed.isEmpty() || s.player->duration() > 0,
                             MpvMediaPlayer::kGiveUpMs + 2000);
    hang(false);
    resume.dismiss();
    for (const QString& file : {second_, first_, second_}) {
      failed.clear();
      s.player->setUrl(QString());
      s.player->setUrl(file);
      QTRY_VERIFY_WITH_TIMEOUT(s.player->duration() > 0 || !failed.isEmpty(), 8000);
      QVERIFY2(failed.isEmpty(), qPrintable(failed.value(0).value(0).toString()));
      s.player->play();
      QTRY_VERIFY_WITH_TIMEOUT(s.player->currentPosition() > 0.3, 5000);
    }
    QTRY_VERIFY_WITH_TIMEOUT(streamPlays(), 5000);
  }

  // A player that goes while the server hangs (as at the end of the
  // program) ends in bounded time.
  void playerGoesWhileTheServerHangs() {
    Stage s = stage();
    s.player->setUrl(first_);
    QTRY_VERIFY_WITH_TIMEOUT(s.player->duration() > 0, 5000);
    s.player->play();
    QTRY_VERIFY_WITH_TIMEOUT(s.player->currentPosition() > 0.3, 5000);
    hang(true);
    auto resume = qScopeGuard([this] { hang(false); });
    // The output is waiting on the server now: the server stands, and so
    // does the position, which follows the sound's clock.
    QTRY_VERIFY(serverStopped());
    double last = -1;
    QTRY_VERIFY_WITH_TIMEOUT(std::exchange(last, s.player->currentPosition()) == last, 5000);
    QElapsedTimer t;
    t.start();
    s.player.reset();
    const qint64 goneMs = t.elapsed();
    QVERIFY2(goneMs <= 1000, qPrintable(QStringLiteral("%1 ms").arg(goneMs)));
  }
};

QTEST_MAIN(TestPlayerHung)
#include "test_player_hung.moc"
