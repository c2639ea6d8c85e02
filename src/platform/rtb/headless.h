#pragma once

// Commands of the program that run without a window, before anything else
// (no settings, no language, no check for an earlier copy of the program):
//
//   scenova --export-text SCRIPT   writes the script's plain text to standard
//                                  output, exactly as the editor's Text reads
//                                  it (CR LF breaks), in UTF-8
//   scenova --convert IN OUT       reads IN and writes it as RTF to OUT
//                                  (through a temporary file renamed over OUT)
//
// Exit status 0 on success; otherwise 1 (2 for wrong arguments) with one line
// on standard error.

namespace scenova::platform {

// When argv[1] is one of the commands above, runs it, sets *handled to true
// and returns the exit status; otherwise sets *handled to false and returns 0
// without doing anything. Needs no display: without a Qt application it makes
// its own on the offscreen platform.
int runHeadlessCommand(int argc, char** argv, bool* handled);

}  // namespace scenova::platform
