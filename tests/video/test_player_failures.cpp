// Media files the player cannot open: the player says so with its own
// text, the window is held only briefly, and the player stays usable.

#include "platform/media/mpv_player.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace scenova;

class TestPlayerFailures : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;

  QString write(const char* name, const QByteArray& bytes) {
    const QString path = dir_.filePath(QLatin1StringView(name));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return path;
  }
  static QByteArray noise(int n) {
    QByteArray out(n, 0);
    quint32 x = 12345;
    for (char& c : out) {
      x = x * 1103515245u + 12345u;
      c = char(x >> 24);
    }
    return out;
  }
  // A short test video with a tone, made by ffmpeg; empty without it.
  QString makeClip() {
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty()) return {};
    const QString path = dir_.filePath(QStringLiteral("clip.mp4"));
    QProcess p;
    p.start(ffmpeg,
            {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
             QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
             QStringLiteral("testsrc2=size=320x240:rate=25"), QStringLiteral("-f"),
             QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=frequency=440"),
             QStringLiteral("-t"), QStringLiteral("3"), QStringLiteral("-pix_fmt"),
             QStringLiteral("yuv420p"), path});
    return p.waitForFinished(60000) && p.exitCode() == 0 ? path : QString();
  }

 private Q_SLOTS:
  void unplayableFilesAreReported() {
    const QString clip = makeClip();
    if (clip.isEmpty()) QSKIP("ffmpeg is not installed");
    QFile whole(clip);
    QVERIFY(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QStringList bad = {
        write("empty.mp4", QByteArray()),
        write("text.mp4", QByteArrayLiteral("this is not a video\n")),
        write("zzz.mp4", QByteArray(4096, '\x5a')),
        write("noise.mp4", noise(65536)),
        write("cut.mp4", bytes.left(bytes.size() / 10)),
        write("text.mid", QByteArrayLiteral("MThd garbage")),
        dir_.path(),
    };
    platform::MpvMediaPlayer player({}, platform::MpvMediaPlayer::VideoOutput::None, nullptr);
    QElapsedTimer all;
    all.start();
    QSignalSpy failed(&player, &platform::MediaPlayer::loadFailed);
    for (const QString& path : bad) {
      failed.clear();
      QElapsedTimer held;
      held.start();
      player.setUrl(path);
      QVERIFY2(held.elapsed() < 1000, qPrintable(path));
      if (failed.isEmpty()) failed.wait(platform::MpvMediaPlayer::kGiveUpMs + 2000);
      QVERIFY2(failed.size() == 1, qPrintable(path + QStringLiteral(" media=%1 dur=%2 pos=%3")
                                                         .arg(player.hasMedia())
                                                         .arg(player.durationString(),
                                                              player.currentPositionString())));
      QVERIFY(!failed.first().first().toString().isEmpty());
      qInfo("%s: %lld ms: %s", qPrintable(path), all.restart(),
            qPrintable(failed.first().first().toString()));
      QVERIFY(player.currentPositionString().isEmpty());
    }
    // The player still plays a good file afterwards.
    failed.clear();
    player.setUrl(clip);
    QTRY_VERIFY_WITH_TIMEOUT(player.hasMedia(), platform::MpvMediaPlayer::kGiveUpMs + 2000);
    QTRY_COMPARE(player.durationString(), QStringLiteral("00:03"));
    QVERIFY(failed.isEmpty());
  }
};

QTEST_MAIN(TestPlayerFailures)
#include "test_player_failures.moc"
