#pragma once

#include "platform/media/audio_device.h"
#include "platform/media/mci_command.h"

#include <QStringList>

namespace scenova::platform {

// A stand-in for the audio command device in tests. It understands the same
// command texts (the same parser), records every text it was sent, keeps a
// simulated position and answers with the same codes as the real device.
//
//   FakeAudioDevice audio;
//   audio.lengthMs = 187000;                  // length of the next file opened
//   ... run the code under test ...
//   QCOMPARE(audio.commands, (QStringList{u"close all"_s, ...}));
//   audio.advance(500);                       // let 500 ms of playback pass
class FakeAudioDevice final : public AudioDevice {
 public:
  // Every command text received, in order, as sent (refused ones too).
  QStringList commands;
  // The commands without the position and length queries: what the code
  // under test made the device do.
  QStringList actions() const {
    QStringList out;
    for (const QString& c : commands)
      if (!c.startsWith(QLatin1StringView("status "))) out << c;
    return out;
  }
  // Length in milliseconds given to the next file that is opened.
  qint64 lengthMs = 180000;
  // When true, "open" checks the file on disk like the real device (missing,
  // folder, unreadable, empty); otherwise any path opens.
  bool checkFiles = false;
  // A code (e.g. code(MciError::UnsupportedFormat)) returned by the next
  // "open" instead of success; reset after use.
  quint32 failNextOpen = 0;
  // A code returned by every command but "open" and "close all" (0: none),
  // for an open file that stopped being playable.
  quint32 brokenWith = 0;

  // The simulated device; tests may read and change these directly.
  QString alias;  // empty while nothing is open
  QString path;   // the path of the open file, as given
  bool playing = false;
  qint64 positionMs = 0;

  bool isOpen() const { return !alias.isEmpty(); }
  // Lets ms of playback pass while playing; stops at the end like the real
  // device (position equal to the length, no longer playing).
  void advance(qint64 ms);

  // Reports an event as the real device does from the background
  // (ServerLost also stops playback, like the real device).
  void simulate(Event e, quint32 code = 0) {
    if (e == Event::ServerLost) playing = false;
    report(e, code);
  }

  quint32 sendString(const QString& command, QString* reply = nullptr) override;
  QString errorString(quint32 code) const override { return mciErrorText(code); }
  // Every output named by setOutput, in order.
  QStringList outputs;
  void setOutput(const QString& outputName) override { outputs.append(outputName); }
  // Every file named by prepare, in order.
  QStringList prepared;
  void prepare(const QString& path) override { prepared.append(path); }

 private:
  quint32 run(const MciCommand& c, QString* reply);
  qint64 openLength_ = 0;
};

}  // namespace scenova::platform
