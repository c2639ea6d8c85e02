// The program's first step, alone: the headless commands or nothing.
#include "platform/rtb/headless.h"

int main(int argc, char** argv) {
  bool handled = false;
  const int status = scenova::platform::runHeadlessCommand(argc, argv, &handled);
  return handled ? status : 99;
}
