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
void printCommand(Form1&) {}
void colourCommand(Form1&) {}
void helpCommand(Form1&) {}
void aboutCommand(Form1&) {}

}  // namespace scenova::app
