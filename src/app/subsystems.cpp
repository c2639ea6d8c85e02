#include "subsystems.h"

namespace scenova::app {

std::function<QString(int)> windowText(Form1& form) {
  return [&form](int index) { return form.lang()[index]; };
}

std::function<void(const QString&)> windowNotice(Form1& form) {
  return [&form](const QString& text) { form.ShowNotice(text); };
}

Subsystems::Subsystems(Form1& w) : window(w) {
  wireVolume(*this);
  wireOutput(*this);
  wireCues(*this);
  wireVideo(*this);
  wireLayers(*this);
  wireFiles(*this);
  wireEditing(*this);
  wireFinish(*this);
  wireShow(*this);
}

Subsystems::~Subsystems() = default;

}  // namespace scenova::app
