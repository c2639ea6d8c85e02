#pragma once

#include <QString>
#include <QtGlobal>

namespace scenova::platform {

// The master volume of the user's sound server: of its default output, or
// of the output the program's sound was sent to.
class Mixer {
 public:
  virtual ~Mixer() = default;

  // Connects to the sound server's default output. False when no sound
  // server can be reached; the other members then do nothing.
  virtual bool open() = 0;

  // The value that means full volume; 0 while not open.
  virtual quint32 maximum() const = 0;

  // Sets every channel of the master volume to value (0..maximum()).
  // Returns false on failure. Must return quickly (called every 10 ms
  // during a fade).
  virtual bool setValue(quint32 value) = 0;

  // The output whose volume this is, by the server's name for it; empty
  // for the server's default output. The last value set goes to it at once,
  // so that the output and the knob agree.
  virtual void setOutput(const QString& outputName) = 0;
};

}  // namespace scenova::platform
