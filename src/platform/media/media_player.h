#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace scenova::platform {

// Settings fixed when a player is created.
struct PlayerSettings {
  bool autoStart = false;     // play as soon as a URL is set
  bool stretchToFit = false;  // scale the video to fill the control
  bool fullScreen = false;
  int volume = 50;
};

// The embedded media player control (video and MIDI). Times are seconds.
// All members are called on the GUI thread and return quickly; a file that
// cannot be played leaves the player empty (no position, empty texts).
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
  virtual void pause() = 0;   // keeps the position
  virtual void stop() = 0;    // back to the start

  virtual double currentPosition() const = 0;
  virtual void setCurrentPosition(double seconds) = 0;
  // "mm:ss" ("h:mm:ss" from an hour); empty while there is no position.
  virtual QString currentPositionString() const = 0;
  virtual double duration() const = 0;
  // The length in the same form; empty while nothing is loaded.
  virtual QString durationString() const = 0;

  virtual void setVolume(int percent) = 0;  // 0..100
  virtual int volume() const = 0;

  // The widget that shows the video; placement and visibility go through it.
  virtual QWidget* widget() = 0;

Q_SIGNALS:
  // A key pressed while the player's widget has the focus.
  void keyDown(int keyCode, int shift);
};

// Formats seconds as the player's position texts do ("03:07", "1:02:03").
QString formatPlayerTime(double seconds);

}  // namespace scenova::platform
