#include "script/interpreter.h"

#include "audio/audio_operations.h"
#include "audio/layer_operations.h"
#include "audio/volume_operations.h"
#include "platform/rtb/rtb.h"
#include "script/media_loader.h"
#include "script/network_cue.h"
#include "ui/language_table.h"
#include "ui/main_controls.h"
#include "video/video_operations.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace scenova::script {

namespace {

const QColor kCueBlue(0, 0, 255);

// The notice for a [[Wait s]] fired on its own.
constexpr int kWaitOutsideGroup = 262;
// Texts of the layer cues' notices.
constexpr int kLayerVideoText = 281;
constexpr int kLayerNotPlayingText = 282;
constexpr int kLayerLevelText = 283;
constexpr int kLayerFadeText = 284;
constexpr int kLayersUnavailableText = 287;

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

// The language text of a network cue that could not be sent.
constexpr int kNetworkCueNotSent = 321;

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

audio::LayerOperations& CueHost::layers() const {
  static audio::NullLayers none;
  return none;
}

Interpreter::Interpreter(CueContext context, platform::RTB& editor)
    : c_(context), editor_(editor) {}

Interpreter::~Interpreter() = default;

bool Interpreter::runNetworkCue(QString& text, int start, int end, bool execute) {
  const std::optional<NetworkCue> cue = readNetworkCue(text);
  if (!cue) return false;
  text = cue->canonical;
  if (execute) {
    if (!network_) {
      network_ = std::make_unique<NetworkCues>([this](const QString& what) {
        QString caption = c_.lang[kNetworkCueNotSent];
        if (caption.isEmpty()) caption = QStringLiteral("Network cue not sent:");
        c_.host.ShowNotice(caption + QLatin1Char(' ') + what);
      });
    }
    network_->fire(*cue);
    c_.state.CommandDone = true;
  }
  rewriteCue(text, start, end);
  return true;
}

bool Interpreter::RunCommand(QString& text, int start, int end, bool execute) {
  const RecognisedCommand command =
      recogniseCommand(text, shown(c_.video.Picture3), shown(c_.audio.lblWMP1));
  if (!command) {
    if (runNetworkCue(text, start, end, execute)) return true;
    // Layer cues: only with a media file's name, so the words of the
    // commands above keep their meaning.
    if (const LayerCue layer = recogniseLayerCue(text)) {
      text = layer.canonical;
      if (execute) {
        fireLayerCue(layer);
        c_.state.CommandDone = true;
      }
      rewriteCue(text, start, end);
      return true;
    }
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
    case CommandId::Wait:
      // A wait acts only between the cues of a group that GO fires; a
      // click on it waits for nothing, and says so.
      c_.host.ShowNotice(c_.lang[kWaitOutsideGroup]);
      break;
    default:
      break;
  }
}

void Interpreter::fireLayerCue(const LayerCue& cue) {
  audio::LayerOperations& layers = c_.host.layers();
  if (cue.verb == LayerVerb::StopAll) {
    layers.stopAll();
    return;
  }
  const bool fade = cue.verb == LayerVerb::Fade, level = cue.verb == LayerVerb::Level;
  double value = 0;
  if ((fade || level) && !cue.value(&value)) {
    c_.host.ShowNotice(c_.lang[fade ? kLayerFadeText : kLayerLevelText]);
    return;
  }
  const QString found = resolveCueFile(cue.file, c_.host.scriptFolder(), QDir::currentPath(),
                                       c_.host.programFolder());
  const bool start = cue.verb == LayerVerb::Sound || cue.verb == LayerVerb::Loop;
  if (start && found.isEmpty()) {
    c_.host.ShowNotice(c_.lang[127]);
    return;
  }
  if (start && mediaTypeOf(found) == MediaType::Video) {
    c_.host.ShowNotice(c_.lang[kLayerVideoText]);
    return;
  }
  // A file gone since it started still names its layer.
  const QString path = found.isEmpty() ? cueFilePath(cue.file)
                                       : QDir::cleanPath(QFileInfo(found).absoluteFilePath());
  audio::LayerOperations::Result result = audio::LayerOperations::Result::Done;
  if (start)
    result = layers.play(path, cue.verb == LayerVerb::Loop);
  else if (fade)
    result = layers.fade(path, value);
  else if (level)
    result = layers.level(path, value);
  else
    result = layers.stop(path);
  sayLayerResult(static_cast<int>(result), !found.isEmpty());
}

void Interpreter::sayLayerResult(int result, bool fileFound) {
  using Result = audio::LayerOperations::Result;
  switch (static_cast<Result>(result)) {
    case Result::NotPlaying:
      c_.host.ShowNotice(c_.lang[fileFound ? kLayerNotPlayingText : 127]);
      break;
    case Result::Unavailable:
      c_.host.ShowNotice(c_.lang[kLayersUnavailableText]);
      break;
    default:
      // Done, or refused with the layers' own notice.
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
  if (editor_.isReadOnly() || start < 3 || end < start) return;
  const int at = start - 1, length = end - start;
  // A cue that already reads so keeps its characters: clicking a cue during
  // a show does not count as a change to the script.
  if (editor_.Mid(at, length) != text) {
    editor_.Select(at, length);
    editor_.SetSelText(text);
  }
  // The whole new cue: both opening brackets, the text and the closing
  // brackets that follow it (one while the second is still being typed).
  const QString after = editor_.Mid(at + static_cast<int>(text.size()), 2);
  const int closing = after == QStringLiteral("]]")        ? 2
                      : after.startsWith(QLatin1Char(']')) ? 1
                                                           : 0;
  editor_.Select(start - 3, 2 + static_cast<int>(text.size()) + closing);
  if (editor_.SelColor() != kCueBlue) editor_.SetSelColor(kCueBlue);
}

}  // namespace scenova::script
