#include "subsystems.h"
#include "wiring.h"

namespace scenova::app {

void wireShow(Subsystems& s) {
  // A script saved under another folder may find other cue files there.
  QObject::connect(&s.documents, &DocumentCommands::documentSaved, &s.show,
                   [&show = s.show] { show.scriptSaved(); });
}

}  // namespace scenova::app
