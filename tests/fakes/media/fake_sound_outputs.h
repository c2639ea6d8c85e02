#pragma once

#include "platform/media/sound_outputs.h"

namespace scenova::platform {

// A stand-in for the sound server's outputs in tests: the list is what the
// test sets, and report() announces a change as the server would.
//
//   FakeSoundOutputs outputs;
//   outputs.report({{u"usb"_s, u"USB interface"_s}});   // plugged in
//   outputs.report({});                                  // unplugged
class FakeSoundOutputs final : public SoundOutputs {
  Q_OBJECT
 public:
  QList<SoundOutput> outputs;
  bool answered = true;  // false: no server, the list is empty
  int starts = 0;
  QList<int> waits;  // the waitMs of every list()

  void start() override { ++starts; }
  QList<SoundOutput> list(int waitMs) override {
    waits << waitMs;
    return answered ? outputs : QList<SoundOutput>();
  }
  bool known() const override { return answered; }

  void report(const QList<SoundOutput>& now) {
    outputs = now;
    answered = true;
    Q_EMIT changed();
  }
};

}  // namespace scenova::platform
