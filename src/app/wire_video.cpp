#include "form1.h"
#include "platform/media/media_player.h"
#include "script/cue_engine.h"
#include "video/video_panel.h"
#include "wiring.h"

namespace scenova::app {

void wireVideo(Form1& form) {
  video::VideoParts parts;
  parts.ui = &form.ui;
  parts.currentCue = [&form] { return form.ui.Label2[15]->Tag; };
  parts.lang = &form.lang;
  parts.Timer4 = &form.Timer4;
  parts.WMP2 = form.WMP2;
  parts.monitorSystem = form.services().monitors;
  const auto& factory = form.services().playerFactory;
  if (factory)
    parts.createPlayer = [factory](const platform::PlayerSettings& s) {
      return factory(s, nullptr);
    };
  parts.notice = [&form](const QString& text) { form.ShowNotice(text); };
  parts.programFolder = form.programFolder();
  auto* panel = new video::VideoPanel(std::move(parts), &form);
  panel->connectControls();
  form.video = panel;
  // The pointer over video Back ends the video's busy pointer, which the
  // panel set on the operator's window when a video started.
  if (auto* engine = qobject_cast<script::CueEngine*>(form.cueEngine))
    engine->buttons().setDefaultPointer([panel] { panel->endBusyPointer(); });
}

void videoFormLoad(Form1& form) {
  if (auto* panel = dynamic_cast<video::VideoPanel*>(form.video)) panel->Form_Load();
}

}  // namespace scenova::app
