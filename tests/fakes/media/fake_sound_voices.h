#pragma once

#include "platform/media/sound_voices.h"

#include <QList>
#include <QMap>

namespace scenova::platform {

// Voices for tests: every start succeeds (unless refuse is set) and is
// remembered; nothing sounds. end() lets a voice end as a file would.
class FakeSoundVoices final : public SoundVoices {
 public:
  struct Voice {
    QString path;
    bool loop = false;
    double level = 0;
    QList<double> levels;  // every level set after the start
    Status status;
  };

  int start(const QString& path, bool loop, double level, QString* why) override;
  void setLevel(int voice, double level) override;
  void stop(int voice) override;
  Status status(int voice) const override;
  void setOutput(const QString& device) override { output = device; }
  void prepare(const QStringList& paths) override { prepared = paths; }

  // Ends a playing voice as its file would (why: a failure).
  void end(int voice, const QString& why = {});

  QMap<int, Voice> playing;
  QList<int> stopped;
  QList<QString> started;  // paths in the order started
  QString refuse;          // non-empty: start fails with this reason
  QString output;
  QStringList prepared;  // the last list asked to be made ready
};

}  // namespace scenova::platform
