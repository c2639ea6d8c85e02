#pragma once

// The memory the media engine's threads leave behind.
//
// Every file the engine opens runs on threads of its own (reading,
// decoding, the sound output), and each new thread that allocates gets a
// malloc arena of its own, up to eight per core. Freed memory stays in
// those arenas, and large buffers (decoded pictures, sound buffers) moved
// from their own mappings into the arenas once malloc's threshold for
// mappings had risen past them, so a long show of short cues grew the
// program by hundreds of megabytes before it levelled off. Three things
// keep it down: few arenas, a fixed threshold (both set before any thread
// starts), and handing the arenas' free pages back to the system after a
// file has been let go.

namespace scenova::platform {

// At start-up, before any thread is started: at most kEngineArenas malloc
// arenas for the whole process, and blocks from kOwnMappingBytes on always
// in mappings of their own, which go back to the system when freed.
void limitMemoryArenas();
inline constexpr int kEngineArenas = 2;
inline constexpr int kOwnMappingBytes = 128 * 1024;

// After a file was closed: hands free pages back to the system a moment
// later, at most once in that moment however many files were closed. Runs
// on the GUI thread's event loop; does nothing without one.
void releaseFreedMemorySoon();
inline constexpr int kReleaseDelayMs = 500;

// The same at once; returns whether any memory was handed back.
bool releaseFreedMemory();

}  // namespace scenova::platform
