#pragma once

#include <QList>
#include <QObject>
#include <QString>

namespace scenova::platform {

// One output of the sound server (a sound card, a USB interface, HDMI):
// its name, which stays the same while it is there and across starts, and
// the description the server shows people.
struct SoundOutput {
  QString name;
  QString description;
  friend bool operator==(const SoundOutput&, const SoundOutput&) = default;
};

// The outputs of the user's sound server, watched while the program runs.
// Every member returns quickly; changes reported by the server arrive as
// changed() on the GUI thread.
//
//   PulseSoundOutputs outputs;
//   outputs.start();
//   for (const SoundOutput& o : outputs.list(500)) ...
class SoundOutputs : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  ~SoundOutputs() override = default;

  // Starts watching the server; returns at once.
  virtual void start() = 0;
  // The outputs as last reported. Until the server has answered for the
  // first time this waits for it, at most waitMs. Empty without a server.
  virtual QList<SoundOutput> list(int waitMs) = 0;
  // Whether the server has answered with a list (false without a server).
  virtual bool known() const = 0;

 Q_SIGNALS:
  // An output came, went or changed its description.
  void changed();
};

// No sound server to ask: no outputs, nothing ever changes.
class NoSoundOutputs final : public SoundOutputs {
  Q_OBJECT
 public:
  using SoundOutputs::SoundOutputs;
  void start() override {}
  QList<SoundOutput> list(int) override { return {}; }
  bool known() const override { return false; }
};

// The libmpv audio device that plays to an output of the server: "auto"
// (the server's default output) for an empty name.
QByteArray mpvAudioDevice(const QString& outputName);

}  // namespace scenova::platform
