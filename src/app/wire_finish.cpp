// The web links of the Help and Donations menus. (Print, colour, help and
// About are reached through the menus and the toolbar: wire_files.cpp.)

#include "form1.h"
#include "subsystems.h"
#include "wiring.h"

#include <QAction>

namespace scenova::app {

void wireFinish(Subsystems& s) {
  tools::HelpLinks* links = &s.printHelp.links();
  PrintHelpCommands* t = &s.printHelp;
  const MainControls& ui = s.window.ui();
  QObject::connect(ui.mnuVersioni, &QAction::triggered, t, [links] { links->mnuVersioni_Click(); });
  QObject::connect(ui.mnuAggiornamenti, &QAction::triggered, t,
                   [links] { links->mnuAggiornamenti_Click(); });
  QObject::connect(ui.mnuAggLingua, &QAction::triggered, t,
                   [links] { links->mnuAggLingua_Click(); });
  QObject::connect(ui.mnuFaiDonazione, &QAction::triggered, t,
                   [links] { links->mnuFaiDonazione_Click(); });
}

}  // namespace scenova::app
