#include "subsystems.h"
#include "wiring.h"

namespace scenova::app {

void wireEditing(Subsystems& s) {
  // The menus, the keys and toolbar button 16 reach the editing tools
  // through wireFiles. New starts the undo history afresh; Open does so
  // by itself (a loaded script is a new document).
  EditingTools* tools = &s.editing;
  QObject::connect(&s.documents, &DocumentCommands::documentCleared, tools,
                   &EditingTools::resetHistory);
  QObject::connect(&s.documents, &DocumentCommands::documentLoaded, tools,
                   &EditingTools::resetHistory);
}

}  // namespace scenova::app
