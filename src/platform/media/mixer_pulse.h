#pragma once

#include "mixer.h"

#include <optional>

namespace scenova::platform {

// The master volume of the sound server's default output (PulseAudio, or
// PipeWire through its PulseAudio service). The value is the server's own
// volume scale: 0 is silent, maximum() = 65536 is full volume (100 %), and
// values in between follow the server's perceptual curve, as its volume
// sliders do. Setting the volume keeps the balance between channels.
//
//   PulseMixer mixer;
//   if (mixer.open()) mixer.setValue(mixer.maximum() / 2);
class PulseMixer final : public Mixer {
 public:
  PulseMixer();
  ~PulseMixer() override;
  PulseMixer(const PulseMixer&) = delete;
  PulseMixer& operator=(const PulseMixer&) = delete;

  // open() gives up after this long (no server, or one that hangs).
  static constexpr int kConnectTimeoutMs = 1500;

  bool open() override;
  quint32 maximum() const override;
  // Sends the value and returns at once; values reach the server in the
  // order they were set. When the server goes away, a new connection is
  // tried in the background every second, and the latest value set is
  // applied once it is up (a restarted server's output follows the knob).
  bool setValue(quint32 value) override;
  void setOutput(const QString& outputName) override;

  // The current volume of the output (loudest channel), asked of
  // the server; empty when it cannot be read in time.
  std::optional<quint32> readValue();

  struct Shared;  // state also touched on the connection thread

 private:
  std::optional<quint32> readValueLocked(int timeoutMs);
  void disconnect();

  Shared* shared_ = nullptr;
  bool opened_ = false;
};

}  // namespace scenova::platform
