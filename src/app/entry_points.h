#pragma once

// Commands of the menu, the toolbar and the keys whose work lives with the
// editing tools, printing, the colour picker, help and the About box. The
// menus and the toolbar call these; each is filled in where its tool is
// built (until then it does nothing and says so in its comment).

namespace scenova::app {

class Form1;

void undoCommand(Form1& form);        // Ctrl+Z, mnuAnnulla
void redoCommand(Form1& form);        // Ctrl+Y, mnuRipeti
void findCommand(Form1& form);        // F3, mnuTrova
void replaceCommand(Form1& form);     // Ctrl+H, mnuSostituisci
void addCommandDialog(Form1& form);   // F6, toolbar 16, mnuAddCommand
void addPictureCommand(Form1& form);  // F7, mnuAddImg: has no action
void printCommand(Form1& form);       // Ctrl+P, toolbar 3, mnuStampa
void colourCommand(Form1& form);      // toolbar 13
void helpCommand(Form1& form);        // F1, mnuGuida
void aboutCommand(Form1& form);       // Ctrl+F1, mnuInfo

}  // namespace scenova::app
