#include "form1.h"
#include "platform/media/media_player.h"
#include "subsystems.h"
#include "wiring.h"

namespace scenova::app {

video::VideoParts videoParts(Form1& form) {
  video::VideoParts parts;
  parts.ui = &form.ui();
  parts.currentCue = [&form] { return form.ui().Label2[15]->Tag; };
  parts.lang = &form.lang();
  parts.Timer4 = &form.timers().Timer4;
  parts.WMP2 = &form.mainPlayer();
  parts.monitorSystem = form.services().monitors;
  const auto& factory = form.services().playerFactory;
  parts.createPlayer = [factory](const platform::PlayerSettings& s) { return factory(s, nullptr); };
  parts.notice = [&form](const QString& text) { form.ShowNotice(text); };
  parts.programFolder = form.programFolder();
  return parts;
}

void wireVideo(Subsystems& s) {
  video::VideoPanel& panel = s.video;
  panel.connectControls();
  // The pointer over video Back ends the video's busy pointer, which the
  // panel set on the operator's window when a video started.
  s.cues.buttons().setDefaultPointer([&panel] { panel.endBusyPointer(); });
}

}  // namespace scenova::app
