#include "form1.h"
#include "settings_file.h"
#include "wiring.h"

namespace scenova::app {

void wireVolume(Form1&) {}
void volumeFormLoad(Form1&) {}
void volumeRestore(Form1&, const SettingsValues&) {}

}  // namespace scenova::app
