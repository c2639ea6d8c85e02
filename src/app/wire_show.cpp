#include "document_commands.h"
#include "form1.h"
#include "show_mode.h"
#include "wiring.h"

namespace scenova::app {

void wireShow(Form1& form) {
  auto* show = new ShowMode(form);
  form.showMode = show;
  // A script saved under another folder may find other cue files there.
  if (form.documents) {
    QObject::connect(form.documents, &DocumentCommands::documentSaved, show,
                     [show] { show->scriptSaved(); });
  }
}

void showScriptSaved(Form1& form) {
  if (auto* show = qobject_cast<ShowMode*>(form.showMode)) show->scriptSaved();
}

}  // namespace scenova::app
