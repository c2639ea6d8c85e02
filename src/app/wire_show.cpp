#include "form1.h"
#include "show_mode.h"
#include "wiring.h"

namespace scenova::app {

void wireShow(Form1& form) {
  form.showMode = new ShowMode(form);
}

void showScriptSaved(Form1& form) {
  if (auto* show = qobject_cast<ShowMode*>(form.showMode)) show->scriptSaved();
}

}  // namespace scenova::app
