#include "form1.h"
#include "wiring.h"

namespace scenova::app {

void wireCues(Form1&) {}

}  // namespace scenova::app
