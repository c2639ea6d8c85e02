#pragma once

namespace scenova::platform {

// Detects a copy of the program that is already running.
class InstanceGuard {
public:
  virtual ~InstanceGuard() = default;

  // True when another running copy holds the program's lock. The first call
  // that finds none takes the lock for this process until it ends; a lock left
  // by a copy that crashed does not count.
  virtual bool previousInstanceRunning() = 0;
};

}  // namespace scenova::platform
