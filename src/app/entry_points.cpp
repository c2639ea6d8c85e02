#include "entry_points.h"

#include "editing_tools.h"
#include "form1.h"

namespace scenova::app {

void undoCommand(Form1& form) {
  if (form.editing) form.editing->Undo();
}
void redoCommand(Form1& form) {
  if (form.editing) form.editing->Redo();
}
void findCommand(Form1& form) {
  if (form.editing) form.editing->openFind(false);
}
void replaceCommand(Form1& form) {
  if (form.editing) form.editing->openFind(true);
}
void addCommandDialog(Form1& form) {
  if (form.editing) form.editing->mnuAddCommand_Click();
}
void addPictureCommand(Form1&) {}
// printCommand, colourCommand, helpCommand, aboutCommand: wire_finish.cpp

}  // namespace scenova::app
