#include "entry_points.h"

namespace scenova::app {

void undoCommand(Form1&) {}
void redoCommand(Form1&) {}
void findCommand(Form1&) {}
void replaceCommand(Form1&) {}
void addCommandDialog(Form1&) {}
void addPictureCommand(Form1&) {}
void printCommand(Form1&) {}
void colourCommand(Form1&) {}
void helpCommand(Form1&) {}
void aboutCommand(Form1&) {}

}  // namespace scenova::app
