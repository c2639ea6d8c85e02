#pragma once

#include "platform/key_codes.h"

#include <QObject>
#include <QString>

#include <memory>

class QKeyEvent;
class QWidget;

namespace scenova::platform {

// Settings fixed when a player is created. A video always keeps its
// proportions, on black where it does not fill the control.
struct PlayerSettings {
  bool autoStart = false;   // play as soon as a URL is set
  bool fullScreen = false;  // for the window that holds the player; not used by it
  int volume = 50;
};

// The embedded media player control (video and MIDI). Times are seconds.
// All members are called on the GUI thread and return quickly (a load waits
// a bounded time for the file to open); a file that cannot be played leaves
// the player empty (no position, empty texts). Once a file is loaded its
// position texts are never empty, also while it is stopped.
class MediaPlayer : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  ~MediaPlayer() override = default;

  virtual QString url() const = 0;
  // Loads the file (an empty URL empties the player). Callers compare first
  // and set only a different path.
  virtual void setUrl(const QString& url) = 0;
  // Stops and empties the player.
  virtual void close() = 0;

  virtual void play() = 0;
  virtual void pause() = 0;  // keeps the position
  virtual void stop() = 0;   // back to the start

  virtual double currentPosition() const = 0;
  virtual void setCurrentPosition(double seconds) = 0;
  // "mm:ss" ("h:mm:ss" from an hour); empty while there is no position.
  virtual QString currentPositionString() const = 0;
  virtual double duration() const = 0;
  // The length in the same form; empty while nothing is loaded.
  virtual QString durationString() const = 0;

  virtual void setVolume(int percent) = 0;  // 0..100
  virtual int volume() const = 0;
  // Sends the sound to an output of the sound server by its name (empty:
  // the server's default output), at once for a file that plays.
  virtual void setAudioOutput(const QString& outputName) = 0;

  // The widget that shows the video; placement and visibility go through it.
  // It belongs to the player (deleted with it) and takes the keyboard focus
  // on a click.
  virtual QWidget* widget() = 0;

 Q_SIGNALS:
  // A key pressed while the player's widget has the focus: a virtual-key code
  // (see virtualKeyCode) and the shift state (1 Shift, 2 Ctrl, 4 Alt).
  void keyDown(int keyCode, int shift);
  // A file given by setUrl cannot be played: the player's own text saying
  // why. It may come during setUrl or later, while the file opens.
  void loadFailed(const QString& errorText);
};

// Creates the player for one control: video and audio files play through
// libmpv (the picture drawn by the engine into a native window of its own on
// X11, through Qt's OpenGL on other window systems that have it, and not at
// all on Qt's offscreen platform, where the player still loads, reports
// positions and plays sound), ".mid" and ".kar" files through a General MIDI
// synthesiser. The widget is created as a child of parent.
std::unique_ptr<MediaPlayer> createMediaPlayer(const PlayerSettings& settings,
                                               QWidget* parent = nullptr);

// Formats seconds as the player's position texts do ("03:07", "1:02:03"):
// whole seconds, rounded down; negative or invalid values count as 0.
QString formatPlayerTime(double seconds);

// Key codes: virtualKeyCode() and shiftState() of platform/key_codes.h.
// The shift state of a key event: 1 Shift, 2 Ctrl, 4 Alt, added together.
int keyShiftState(const QKeyEvent& event);

}  // namespace scenova::platform
