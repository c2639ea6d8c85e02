#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

#include "media_player.h"
#include "midi_stream.h"

namespace scenova::platform {

class MidiSong;
class MpvSession;

// The media player control on libmpv. Every kind of file goes through one
// mpv core: video and audio files directly, MIDI files as a PCM stream that
// FluidSynth renders as mpv reads it (see MidiStreams), so that position,
// seek, pause, volume and end of media behave the same for all of them.
//
// The core keeps a finished file open, paused on its end ("keep-open"); the
// position then equals the duration, as the counter's end-of-media test
// expects, and play starts the file over.
class MpvMediaPlayer final : public MediaPlayer {
  Q_OBJECT
 public:
  // How long a load may keep the GUI thread; a file still opening after it
  // goes on in the background and the player stays empty until it is ready.
  static constexpr int kLoadTimeoutMs = 250;
  // How long a load waits for the core to end the previous file first. A
  // core that takes longer is held up (by a hung sound server, which also
  // keeps it from opening the next file's sound output): the load then
  // goes on in the background at once, and play() starts it once it is
  // open. The window never waits for the sound server.
  static constexpr int kBusyWaitMs = 40;
  // How long a file may take to open before it counts as unplayable.
  static constexpr int kGiveUpMs = 5000;
  // How long the player waits for its core to end when it goes (a core held
  // up by a hung sound server is then left to end on its own).
  static constexpr int kEndWaitMs = 300;
  // MIDI files larger than this are refused.
  static constexpr qint64 kMaxMidiBytes = 16 << 20;

  // How the picture reaches the screen.
  enum class VideoOutput {
    None,          // the core stays on the "null" output; a plain black widget
    NativeWindow,  // the core draws into a native child window (X11)
    OpenGL,        // the core draws through Qt's OpenGL widget (other platforms)
  };

  MpvMediaPlayer(const PlayerSettings& settings, VideoOutput output, QWidget* parent);
  ~MpvMediaPlayer() override;

  QString url() const override { return url_; }
  void setUrl(const QString& url) override;
  void close() override;

  void play() override;
  void pause() override;
  void stop() override;

  double currentPosition() const override;
  void setCurrentPosition(double seconds) override;
  QString currentPositionString() const override;
  double duration() const override;
  QString durationString() const override;

  void setVolume(int percent) override;
  int volume() const override { return volume_; }
  void setAudioOutput(const QString& outputName) override;

  QWidget* widget() override { return view_; }

  // Whether a file is loaded (it has a position) and whether it is playing.
  bool hasMedia() const { return state_ == State::Ready; }
  bool isPlaying() const;
  // True when the widget shows the video.
  bool hasVideoOutput() const { return videoOutput_; }
  // The outputs tried in turn for a native window: the GPU one where the
  // OpenGL driver is not a software one, else the X server's own.
  static constexpr const char* kNativeOutputs = "gpu,xv,x11";
  // The soundfont used for MIDI files (the system's General MIDI one).
  void setSoundFont(const QString& path) { soundFont_ = path; }
  // For benchmarks: frames the engine dropped or showed late so far (a
  // direct read of the engine, not for the show itself).
  qint64 droppedFrames() const;
  // For tests and benchmarks: the frames synthesised so far for the MIDI
  // song loaded (0 for other media).
  qint64 midiFramesRendered() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class State { Empty, Loading, Ready };

  void load(const QString& path);
  QByteArray startMidi(const QString& path, QString* why);
  void fail(const QString& text);
  void unload();
  bool isCurrent() const { return entry_ != 0 && startedEntry_ == entry_; }
  void onStartFile(qint64 entry);
  void onFileLoaded();
  void onEndFile(qint64 entry, int reason, int error);
  bool atEnd() const;
  void setPaused(bool paused);
  void onProperty(const QByteArray& name, const QVariant& value);
  void seekTo(double seconds);

  PlayerSettings settings_;
  // Must outlive the core (declared before it); kept for good when the core
  // did not end in time, since its threads may still read from it.
  std::unique_ptr<MidiStreams> streams_ = std::make_unique<MidiStreams>();
  std::unique_ptr<MpvSession> session_;
  std::shared_ptr<MidiSong> midi_;
  QByteArray midiUrl_;
  QPointer<QWidget> view_;
  bool videoOutput_ = false;
  QString soundFont_;
  QString url_;
  State state_ = State::Empty;
  bool playOnLoad_ = false;
  quint64 loadAttempt_ = 0;
  // The core numbers the files it is given (from 1, playlists' entries
  // included). Events of any file but the current one are of a file let go:
  // the player never waits for the core to drain them.
  qint64 entries_ = 0;       // files given to the core
  qint64 entry_ = 0;         // the current file's number; 0: none
  qint64 startedEntry_ = 0;  // the file the core started last
  qint64 endingEntry_ = 0;   // a file let go whose end has not come yet
  double duration_ = 0;
  std::optional<double> seekTarget_;  // reported until the seek has finished
  int volume_ = 50;
  // The core's properties as last reported (NaN: unknown).
  double timePos_ = qQNaN();
  double knownDuration_ = qQNaN();
  bool paused_ = true;
  bool eof_ = false;
};

}  // namespace scenova::platform
