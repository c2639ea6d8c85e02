#pragma once

#include "audio_device.h"
#include "audio_device_state.h"
#include "audio_file_ahead.h"
#include "mci_command.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

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
// One file is open at a time. The GUI thread never waits on the engine for
// longer than kWaitMs per command: a sound server that hangs holds the
// engine up, never the window. What the engine has not finished by then
// (a load, a start) goes on in the background, and trouble reports say
// when it stops answering and when it answers again.
//
// Starting is deferred to the next turn of the event loop, so that a "play"
// followed at once by "stop" (as a press of Play primes a device that has
// never played) never reaches the engine: the first sample heard is the one
// at the position played from. The position while playing is counted on
// the device's own clock from where playback started, so asking for it
// costs no round trip to the engine.
class MpvAudioDevice final : public QObject, public AudioDevice {
  Q_OBJECT
 public:
  explicit MpvAudioDevice(QObject* parent = nullptr);
  ~MpvAudioDevice() override;

  quint32 sendString(const QString& command, QString* reply = nullptr) override;
  quint32 status(const QString& alias, qint64& positionMs, qint64& lengthMs) override;
  QString errorString(quint32 code) const override;
  void setOutput(const QString& outputName) override;
  void prepare(const QString& path) override;

  // Longest wait of the GUI thread for the engine within one command.
  static constexpr int kWaitMs = 30;
  // An engine that has not answered an action after this long is reported
  // as not responding (shorter would take a busy machine for a hung one).
  static constexpr int kStallMs = 250;
  // A pause asked for at most this far from the counted position pauses
  // where the sound is, without a seek: the resume then goes on exactly
  // from the sample where the sound stopped.
  static constexpr qint64 kSameSpotMs = 60;

  // The engine answered every action sent so far (test hook and status).
  bool isResponding() const { return !stalled_; }
  // The file named by prepare() waits loaded (test hook).
  bool fileReadyAhead() const { return ahead_.isReady(); }

 private:
  using State = audio_device_state::State;
  using Input = audio_device_state::Input;
  // Every change of state_ goes through here (the list of changes is in
  // audio_device_state.cpp); the rest of the device only asks the state.
  void move(Input input) { state_ = audio_device_state::next(state_, input); }
  bool loading() const {
    return state_ == State::Loading || state_ == State::LoadPlay || state_ == State::LostLoad;
  }
  bool loaded() const {
    return state_ == State::Stopped || state_ == State::Starting || state_ == State::Playing ||
           state_ == State::AtEnd;
  }
  // A file the engine has or is loading, playable or lost (not one whose
  // load failed).
  bool holdsFile() const { return loading() || loaded() || state_ == State::Lost; }
  bool broken() const {
    return state_ == State::LostLoad || state_ == State::Lost || state_ == State::Failed;
  }
  // Asked to play: a start is waiting or the engine sounds.
  bool playing() const {
    return state_ == State::LoadPlay || state_ == State::Starting || state_ == State::Playing;
  }

  MciError open(const QString& path, const QString& alias);
  void closeAll();
  MciError play();
  MciError playFrom(qint64 ms);
  MciError stop();
  MciError seekStart();
  qint64 position();
  qint64 countedPosition() const;
  MciError ensureSession();
  std::unique_ptr<MpvSession> makeSession();
  void adopt(std::unique_ptr<MpvSession> session);
  MciError openReady(AudioFileAhead::Ready ready, const QString& alias);
  void resetForOpen();
  MciError awaitLoad();
  // Whether commands for `alias` can run: it is the open one and usable.
  MciError checkAlias(const QString& alias) const;
  void loadFailed(MciError e);
  void loadDone(qint64 lengthMs);
  MciError playFromWhileLoading(qint64 ms);
  void seekTo(qint64 ms);
  void requestStart();
  void startNow();
  void pauseEngine();
  void finishAtEnd();
  void watch();
  void dropSession();
  void onStartFile(qint64 entry);
  void onFileLoaded();
  void onReply(quint64 id, int error, double value);
  void onCommandReply(quint64 id, int error);
  void onEndFile(qint64 entry, int reason, int error);
  void onRestart();
  void onProperty(const QByteArray& name, const QVariant& value);
  void onStallCheck();

  std::unique_ptr<MpvSession> session_;
  AudioFileAhead ahead_;  // the next cue's file, loaded ahead
  State state_ = State::Closed;
  QString alias_;         // empty while no file is open
  bool started_ = false;  // the engine started our file (its START_FILE came)
  qint64 entries_ = 0;    // files given to the engine
  qint64 entry_ = 0;      // the engine's number for the open file
  MciError loadError_ = MciError::None;
  bool reportLoad_ = false;  // open returned before the load ended
  bool seekWanted_ = false;  // a "play ... from" (pausedMs_) waits for the load
  quint64 loadId_ = 0;       // tags the replies of the current load
  qint64 lengthMs_ = 0;      // fixed when the file is loaded
  qint64 pausedMs_ = 0;      // the position while not sounding
  qint64 sameSpotMs_ = -1;   // a pause's position, for the stop that follows
  qint64 playStartMs_ = 0;   // where the sound last started, and when
  QElapsedTimer playClock_;
  bool seekPending_ = false;  // the output is not yet filled from pausedMs_
  bool seekTaken_ = false;    // the engine has taken the last seek sent
  quint64 seekId_ = 0;
  // Why the open file stopped being playable (MediaLost, DeviceFailed, or
  // why its load failed), set on the way into LostLoad, Lost or Failed: every
  // command but "close all" answers it.
  MciError brokenError_ = MciError::None;
  QByteArray output_;          // the engine's last real audio output ("pulse", "null")
  bool noOutputSaid_ = false;  // NoOutput was reported for the open file
  // The engine's audio device: the output chosen ("auto": the default).
  QByteArray device_ = "auto";
  // The watch on the engine's answers.
  quint64 pingId_ = 0;
  bool pingOutstanding_ = false;
  bool stalled_ = false;
  QTimer* stallTimer_ = nullptr;
};

}  // namespace scenova::platform
