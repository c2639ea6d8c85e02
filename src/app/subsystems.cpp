#include "subsystems.h"

namespace scenova::app {

Subsystems::Subsystems(Form1& w) : window(w) {
  wireVolume(*this);
  wireCues(*this);
  wireVideo(*this);
  wireFiles(*this);
  wireEditing(*this);
  wireFinish(*this);
  wireShow(*this);
}

Subsystems::~Subsystems() = default;

}  // namespace scenova::app
