#pragma once

#include "audio_device.h"
#include "mci_command.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>

namespace scenova::platform {

class MpvSession;

// The audio command device played through libmpv (audio only) to the user's
// sound server, or to a silent output when no sound server runs.
//
//   MpvAudioDevice device;
//   device.sendString(u"open \"/music/a b.mp3\" ALIAS wav1"_s);   // 0: loaded
//   QString ms;
//   device.sendString(u"status wav1 length"_s, &ms);               // "187000"
//
// One file is open at a time. Every call returns within a few seconds at
// worst; a media engine that stops answering is given up and replaced at the
// next "open".
class MpvAudioDevice final : public QObject, public AudioDevice {
  Q_OBJECT
 public:
  explicit MpvAudioDevice(QObject* parent = nullptr);
  ~MpvAudioDevice() override;

  quint32 sendString(const QString& command, QString* reply = nullptr) override;
  QString errorString(quint32 code) const override;

  // Longest wait for a file to load, and for any other answer of the engine.
  static constexpr int kOpenTimeoutMs = 3000;
  static constexpr int kReplyTimeoutMs = 1000;

 private:
  MciError open(const QString& path, const QString& alias);
  void closeAll();
  MciError play();
  MciError playFrom(qint64 ms);
  MciError stop();
  MciError seekStart();
  MciError position(qint64& ms);
  MciError readTimePos(qint64& ms);
  MciError ensureSession();
  MciError loadFile(const QString& path);
  MciError readLength();
  void seekTo(qint64 ms);
  void settle();
  void startPlaying(bool deferUnpause);
  void unpauseNow();
  void dropSession();
  void onEndFile(int reason, int error);
  void onProperty(const QByteArray& name, const QVariant& value);

  std::unique_ptr<MpvSession> session_;
  QString alias_;        // empty while no file is open
  qint64 lengthMs_ = 0;  // fixed when the file is opened
  bool playing_ = false;
  bool unpausePending_ = false;  // a deferred unpause not yet sent
  qint64 pausedMs_ = 0;     // the position while not playing
  qint64 playStartMs_ = 0;  // where playback last started, and when
  QElapsedTimer playClock_;
  bool seekPending_ = false;
  qint64 seekTargetMs_ = 0;
  bool atEnd_ = false;   // played to the end (the file stays loaded)
  bool loaded_ = false;  // the open file is loaded in the engine
  // Set when the open file stopped being playable (MediaLost) or the engine
  // stopped answering (DeviceFailed): every command but "close all" answers it.
  MciError broken_ = MciError::None;
  QByteArray outputAtOpen_;  // the engine's audio output when the file opened
};

}  // namespace scenova::platform
