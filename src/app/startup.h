#pragma once

namespace scenova::app {

// The process entry: headless commands, then the start-up sequence and the
// event loop. Returns the process exit status.
int Main(int argc, char** argv);

}  // namespace scenova::app
