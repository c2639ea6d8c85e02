#include "form1.h"
#include "show_mode.h"
#include "wiring.h"

namespace scenova::app {

void wireShow(Form1& form) {
  form.showMode = new ShowMode(form);
}

}  // namespace scenova::app
