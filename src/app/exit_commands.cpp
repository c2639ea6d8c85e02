#include "exit_commands.h"

#include "audio/audio_transport.h"
#include "audio/volume_operations.h"
#include "form1.h"
#include "platform/dialogs.h"
#include "platform/rtb/rtb.h"
#include "show_mode.h"
#include "video/video_operations.h"

#include <QApplication>

namespace scenova::app {

namespace {

enum Text {
  kAskWhilePlaying = 200,  // Escape while something plays or is shown
  kAskInShowMode = 201,    // closing the window in show mode
};

QString builtIn(int index) {
  switch (index) {
    case kAskWhilePlaying:
      return QStringLiteral(
          "Audio, video or a picture is still going. Close the program and end the show?");
    case kAskInShowMode:
      return QStringLiteral("Show mode is on. Close the program and end the show?");
    default:
      return {};
  }
}

}  // namespace

ExitCommands::ExitCommands(Form1& form, const ShowMode& show, video::VideoOperations& video,
                           audio::VolumeOperations& volume, audio::AudioTransport& transport)
    : QObject(&form),
      form_(form),
      show_(show),
      video_(video),
      volume_(volume),
      transport_(transport) {}

bool ExitCommands::showModeOn() const {
  return show_.isOn();
}

bool ExitCommands::showRunning() const {
  const bool audioPlays = form_.ui().cmdPlayA->Tag == form_.lang()[8];
  return audioPlays || video_.showing();
}

bool ExitCommands::ask(int textIndex) const {
  QString text = form_.lang()[textIndex];
  if (text.isEmpty()) text = builtIn(textIndex);
  return form_.services().dialogs->messageBox(
             &form_, text, QStringLiteral("Scenova"), platform::MsgIcon::Question,
             platform::MsgButtons::YesNo) == platform::MsgAnswer::Yes;
}

void ExitCommands::escape() {
  QWidget* focus = QApplication::focusWidget();
  platform::RTB* script = form_.editor();
  // The script takes every key itself, so an Escape that reaches the window
  // while a control other than the script has the focus came from that
  // control: the control keeps it and gives up the focus; the next Escape
  // is the window's.
  if (focus && focus != &form_ && focus != script && focus->window() == &form_) {
    form_.setFocus();
    return;
  }
  if (showRunning() && !ask(kAskWhilePlaying)) return;
  form_.mnuEsci_Click();
}

bool ExitCommands::mayClose() {
  return !showModeOn() || ask(kAskInShowMode);
}

void ExitCommands::finish() {
  volume_.cancelFade();
  video_.endShow();
  transport_.closeDevice();
  // Windows without a parent (the projector, the picture window) would
  // otherwise keep the event loop, and with it the process, alive.
  QCoreApplication::quit();
}

}  // namespace scenova::app
