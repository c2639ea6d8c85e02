#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace scenova::platform {
class AudioDevice;
class Dialogs;
class Mixer;
class PlayerRoute;
class SoundOutputs;
}  // namespace scenova::platform

namespace scenova::audio {

// What the choice of output reaches. All of it is there: a system without
// a sound server gives null objects (platform::NoSoundOutputs lists none,
// a NullAudioDevice or NullMixer routes nowhere).
struct OutputParts {
  platform::SoundOutputs& outputs;  // the server's outputs
  platform::AudioDevice& device;    // the audio transport
  platform::Mixer& mixer;           // the master volume knob
  platform::PlayerRoute& players;   // the video's (and MIDI's) sound
  platform::Dialogs& dialogs;
  QWidget* dialogOwner = nullptr;              // the dialog's parent; null: none
  std::function<QString(int)> text;            // the window's language texts; empty: built-in
  std::function<void(const QString&)> notice;  // the window's notice line
};

// Options, Audio output: which output of the sound server the program's
// sound goes to. The choice applies at once to the audio transport (a sound
// that plays moves with it), the video's sound, the master volume knob and,
// through outputChanged, to sound layers. An output that goes away (a USB
// interface unplugged during the show) gives the default output back with
// a notice, and the sound goes on there; choosing it again once it is back
// sends the sound there again. The output chosen last is remembered, also
// while it is away, so that the next start uses it when it is there.
class OutputChoice final : public QObject {
  Q_OBJECT
 public:
  // How long the GUI thread waits for the server's list of outputs when it
  // has none yet (at start-up and when the dialog opens).
  static constexpr int kListWaitMs = 1000;

  // Language texts.
  enum Text {
    kMenuCaption = 248,
    kDialogTitle = 249,
    kDialogPrompt = 250,
    kDefaultName = 251,
    kLostNotice = 252,
    kAbsentNotice = 253,
    kChosenNotice = 254,
  };

  OutputChoice(OutputParts parts, QObject* parent = nullptr);
  ~OutputChoice() override;

  // Start-up: the output remembered from the last session. One that is not
  // there gives the default output, with a notice.
  void restore(const QString& rememberedName);
  // The dialog: lists "Default" and the outputs by their descriptions, and
  // applies the one chosen. Cancel changes nothing.
  void choose();

  // The output the sound goes to now (empty: the default).
  QString current() const { return current_; }
  // The output to remember between starts (empty: the default).
  QString remembered() const { return remembered_; }
  // A language text, with a built-in one where the language file has none.
  QString text(int index) const;

 Q_SIGNALS:
  // The sound goes to this output from now on (empty: the default output):
  // for everything that plays sound of its own (sound layers' setOutput).
  void outputChanged(const QString& outputName);
  // The output to remember changed: time to save the settings.
  void rememberedChanged();

 private:
  void apply(const QString& name, const QString& description);
  void checkStillThere();

  OutputParts parts_;
  QString current_;             // the output in use; empty: default
  QString currentDescription_;  // its description, for the notice when it goes
  QString remembered_;
};

}  // namespace scenova::audio
