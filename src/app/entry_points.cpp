#include "entry_points.h"

namespace scenova::app {

void undoCommand(Form1&) {}
void redoCommand(Form1&) {}
void findCommand(Form1&) {}
void replaceCommand(Form1&) {}
void addCommandDialog(Form1&) {}
void addPictureCommand(Form1&) {}
// printCommand, colourCommand, helpCommand, aboutCommand: wire_finish.cpp

}  // namespace scenova::app
