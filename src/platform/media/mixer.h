#pragma once

#include <QtGlobal>

namespace scenova::platform {

// The master output volume of the user's sound server.
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
};

}  // namespace scenova::platform
