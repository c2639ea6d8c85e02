#include "engine_memory.h"

#include <QCoreApplication>
#include <QTimer>

#include <malloc.h>

#include <utility>

namespace scenova::platform {

void limitMemoryArenas() {
  mallopt(M_ARENA_MAX, kEngineArenas);
  mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes);
}

bool releaseFreedMemory() {
  return malloc_trim(0) != 0;
}

void releaseFreedMemorySoon() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  // One release for all the files closed until it runs.
  static bool pending = false;
  if (std::exchange(pending, true)) return;
  QTimer::singleShot(kReleaseDelayMs, app, [] {
    pending = false;
    releaseFreedMemory();
  });
}

}  // namespace scenova::platform
