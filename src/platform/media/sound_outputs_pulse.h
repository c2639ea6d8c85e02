#pragma once

#include "sound_outputs.h"

namespace scenova::platform {

// The outputs (sinks) of the PulseAudio server, or of PipeWire through its
// PulseAudio service. A connection of its own on a thread of its own learns
// of every output that comes or goes and reads the list again; the GUI
// thread only ever waits for the first list, bounded in time. A server that
// goes away is tried again every second; the list of the server that comes
// back is reported as a change.
class PulseSoundOutputs final : public SoundOutputs {
  Q_OBJECT
 public:
  explicit PulseSoundOutputs(QObject* parent = nullptr);
  ~PulseSoundOutputs() override;
  PulseSoundOutputs(const PulseSoundOutputs&) = delete;
  PulseSoundOutputs& operator=(const PulseSoundOutputs&) = delete;

  void start() override;
  QList<SoundOutput> list(int waitMs) override;
  bool known() const override;

  struct Shared;  // state also touched on the connection thread

 private:
  Shared* shared_ = nullptr;
};

}  // namespace scenova::platform
