#pragma once

// The seventeen toolbar buttons Label2(0) to Label2(16) and the hover
// frame Shape5 that marks the button under the pointer.

#include "formatting_commands.h"

#include <QObject>

namespace scenova::app {

class Form1;
class DocumentCommands;
class EditingTools;
class PrintHelpCommands;

class ToolbarCommands : public QObject {
  Q_OBJECT
 public:
  ToolbarCommands(Form1& form, DocumentCommands& documents, FormattingCommands& formatting,
                  EditingTools& editing, PrintHelpCommands& printHelp);

  // Runs the button's command; an index outside 0..16 does nothing.
  void Label2_Click(int index);
  // Moves the hover frame onto the button (once: moving inside it does
  // nothing more).
  void Label2_MouseMove(int index);
  // The pointer left the toolbar: no button is marked, the frame hides.
  void ClearToolbarHover();
  // The marked button, -1 when none. (Label2(15)'s tag holds the current
  // cue, so the mark is kept here.)
  int hovered() const { return hovered_; }

  FormattingCommands& formatting() { return formatting_; }

 private:
  Form1& form_;
  DocumentCommands& documents_;
  FormattingCommands& formatting_;
  EditingTools& editing_;
  PrintHelpCommands& printHelp_;
  int hovered_ = -1;
};

}  // namespace scenova::app
