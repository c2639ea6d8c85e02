#include "form1.h"
#include "platform/media/media_player.h"
#include "subsystems.h"
#include "wiring.h"

namespace scenova::app {

video::VideoParts videoParts(Form1& form) {
  const auto& factory = form.services().playerFactory;
  return video::VideoParts{
      .ui = form.ui(),
      .lang = form.lang(),
      .Timer4 = form.timers().Timer4,
      .WMP2 = form.mainPlayer(),
      .monitorSystem = *form.services().monitors,
      .createPlayer = [factory](const platform::PlayerSettings& s) { return factory(s, nullptr); },
      .currentCue = [&form] { return form.ui().Label2[15]->Tag; },
      .notice = [&form](const QString& text) { form.ShowNotice(text); },
      .programFolder = form.programFolder(),
  };
}

void wireVideo(Subsystems& s) {
  video::VideoPanel& panel = s.video;
  panel.connectControls();
  // The pointer over video Back ends the video's busy pointer, which the
  // panel set on the operator's window when a video started.
  s.cues.buttons().setDefaultPointer([&panel] { panel.endBusyPointer(); });
}

}  // namespace scenova::app
