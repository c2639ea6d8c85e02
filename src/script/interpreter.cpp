#include "script/interpreter.h"

#include "audio/audio_operations.h"
#include "audio/volume_operations.h"
#include "platform/rtb/rtb.h"
#include "ui/language_table.h"
#include "ui/main_controls.h"
#include "video/video_operations.h"

#include <QCheckBox>

#include <cmath>

namespace scenova::script {

namespace {

const QColor kCueBlue(0, 0, 255);

// The panels' own Visible: set by show() and hide(), whether or not the
// window itself is on screen yet.
bool shown(const QWidget* w) {
  return w && !w->isHidden();
}

// The fade button a fade command runs: 0..2 raise fast/normal/slow, 3..5 lower.
int fadeButton(CommandId id) {
  switch (id) {
    case CommandId::FadeInFast:
    case CommandId::FadeIn:
      return 0;
    case CommandId::FadeInNormal:
      return 1;
    case CommandId::FadeInSlow:
      return 2;
    case CommandId::FadeOutFast:
    case CommandId::FadeOut:
      return 3;
    case CommandId::FadeOutNormal:
      return 4;
    case CommandId::FadeOutSlow:
      return 5;
    default:
      return -1;
  }
}

QStringView argumentAfter(const QString& text, qsizetype prefix) {
  return QStringView(text).mid(std::min(prefix, text.size()));
}

}  // namespace

QString typedCanonical(const RecognisedCommand& command) {
  if (!command) return {};
  const CommandId id = command.info->id;
  if ((id == CommandId::SeekVideo || id == CommandId::SeekAudio) &&
      ReadNumber(command.argument) < 0)
    return QLatin1StringView(command.info->canonical) + QStringLiteral(" 0");
  return command.canonical;
}

Interpreter::Interpreter(CueContext context, platform::RTB* editor)
    : c_(context), editor_(editor) {}

bool Interpreter::RunCommand(QString& text, int start, int end, bool execute) {
  const RecognisedCommand command =
      recogniseCommand(text, shown(c_.video.Picture3), shown(c_.audio.lblWMP1));
  if (!command) {
    text = lowerCase(text);
    return false;
  }
  text = typedCanonical(command);
  carryOut(command, text, execute);
  if (execute) c_.state.CommandDone = true;
  rewriteCue(text, start, end);
  return true;
}

void Interpreter::carryOut(const RecognisedCommand& command, QString& text, bool execute) {
  audio::VolumeOperations& volume = c_.host.volume();
  video::VideoOperations& video = c_.host.video();
  const CommandId id = command.info->id;
  if (const int fade = fadeButton(id); fade >= 0) {
    if (execute) volume.fadeButtonClick(fade);
    return;
  }
  // Showing and hiding the picture act while a cue is only typed, too.
  if (id == CommandId::ImgOff || id == CommandId::ImgOn) {
    video.showPicture(id == CommandId::ImgOn);
    return;
  }
  if (!execute) return;
  switch (id) {
    case CommandId::Vol:
      setVolume(text);
      break;
    case CommandId::ProjectorOn:
    case CommandId::ProjectorOff:
      video.setProjector(id == CommandId::ProjectorOn);
      break;
    case CommandId::PauseVideo:
    case CommandId::PlayVideo:
      // The marker tells the play button which way to toggle.
      c_.video.cmdPlayV->Tag = c_.lang[id == CommandId::PauseVideo ? 8 : 7];
      video.cmdPlayV_Click();
      break;
    case CommandId::StopVideo:
      video.cmdStopV_Click();
      break;
    case CommandId::SeekVideo:
      c_.video.lblContatoreV->Tag = signedDecimal(ReadNumber(argumentAfter(text, 10)));
      video.lblContatoreV_Click();
      break;
    case CommandId::PauseAudio:
    case CommandId::PlayAudio:
      c_.audio.cmdPlayA->Tag = c_.lang[id == CommandId::PauseAudio ? 8 : 7];
      c_.transport.cmdPlayA_Click();
      break;
    case CommandId::StopAudio:
      c_.transport.cmdStopA_Click();
      break;
    case CommandId::SeekAudio:
      c_.audio.lblContatore->Tag = signedDecimal(ReadNumber(argumentAfter(text, 10)) * 1000);
      c_.transport.lblContatore_Click();
      break;
    default:
      break;
  }
}

void Interpreter::setVolume(QString& text) {
  if (ReadNumber(argumentAfter(text, 3)) > 100) text = QStringLiteral("Vol 100");
  if (ReadNumber(argumentAfter(text, 3)) < 0) text = QStringLiteral("Vol 0");
  audio::VolumeOperations& volume = c_.host.volume();
  const double percent = ReadNumber(argumentAfter(text, 3));
  // A level asked for ends a running fade where it stands: the fade would
  // otherwise go on from the new level and override it.
  volume.cancelFade();
  placeKnob(percent);
  volume.ApplyVolume();
  c_.audio.Label6->setCaption(QString::number(percent, 'g', 15));
}

void Interpreter::placeKnob(double percent) {
  using namespace ui::twips;
  ui::Control* knob = c_.audio.Image2;
  const ui::Control* track = c_.audio.Image3;
  // nearbyint rounds halves to the even integer.
  const double top0 = std::nearbyint(top(track));
  const double low = std::nearbyint(top(track) + height(track) - height(knob));
  setTop(knob, low - (low - top0) / 100 * percent);
  // The knob value this position stands for: the mixer maximum at the top of
  // the track, 0 at the bottom.
  const double span = height(track) - height(knob);
  if (span == 0) return;
  const double max = c_.host.volume().mixerMax();
  const double value = std::fabs((top(knob) - top(track)) * max / span - max);
  knob->Tag = QString::number(static_cast<qint64>(std::trunc(value)));
}

void Interpreter::rewriteCue(const QString& text, int start, int end) {
  // A script that is read-only (show mode) keeps its characters and colours.
  if (!editor_ || editor_->isReadOnly() || start < 3 || end < start) return;
  const int at = start - 1, length = end - start;
  // A cue that already reads so keeps its characters: clicking a cue during
  // a show does not count as a change to the script.
  if (editor_->Mid(at, length) != text) {
    editor_->Select(at, length);
    editor_->SetSelText(text);
  }
  // The whole new cue: both opening brackets, the text and the closing
  // brackets that follow it (one while the second is still being typed).
  const QString after = editor_->Mid(at + static_cast<int>(text.size()), 2);
  const int closing = after == QStringLiteral("]]")        ? 2
                      : after.startsWith(QLatin1Char(']')) ? 1
                                                           : 0;
  editor_->Select(start - 3, 2 + static_cast<int>(text.size()) + closing);
  if (editor_->SelColor() != kCueBlue) editor_->SetSelColor(kCueBlue);
}

}  // namespace scenova::script
