#pragma once

// Leaving the program: File, Exit, the window's Escape, closing the window,
// and the end of everything the show put up or set going.
//
// Escape closes the program only when no control has the focus: the script
// takes every key itself, and any other control that has the focus (the
// font boxes, the projector switch) keeps its Escape and gives up the
// focus, so that a second Escape is the window's.
// While sound, video or a picture is going, Escape asks before the program
// closes (an operator who meant "stop" must not end the show); in show mode
// every way of closing the window asks. Once the close is decided, the show
// windows close, both video players and the audio device stop and empty,
// and the event loop ends, whatever window is still shown.

#include <QObject>

namespace scenova::audio {
class AudioTransport;
class VolumeOperations;
}  // namespace scenova::audio
namespace scenova::video {
class VideoOperations;
}

namespace scenova::app {

class Form1;
class ShowMode;

class ExitCommands : public QObject {
  Q_OBJECT
 public:
  ExitCommands(Form1& form, const ShowMode& show, video::VideoOperations& video,
               audio::VolumeOperations& volume, audio::AudioTransport& transport);

  // Escape that no control of the window took.
  void escape();
  // Before the close sequence: false when the operator keeps the program.
  bool mayClose();
  // After the close was accepted: everything of the show ends and so does
  // the process's event loop.
  void finish();

  // Sound or video plays, or a show window or a picture is shown.
  bool showRunning() const;

 private:
  bool ask(int textIndex) const;
  bool showModeOn() const;

  Form1& form_;
  const ShowMode& show_;
  video::VideoOperations& video_;
  audio::VolumeOperations& volume_;
  audio::AudioTransport& transport_;
};

}  // namespace scenova::app
