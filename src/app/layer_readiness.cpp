#include "layer_readiness.h"

#include "audio/audio_transport.h"
#include "audio/layer_operations.h"
#include "form1.h"
#include "platform/rtb/rtb.h"
#include "script/cue_search.h"
#include "script/layer_cues.h"
#include "script/media_loader.h"
#include "show_mode.h"

#include <QDir>
#include <QFileInfo>

namespace scenova::app {

LayerReadiness::LayerReadiness(Form1& form, ShowMode& show, audio::LayerOperations& layers,
                               audio::AudioTransport& transport)
    : QObject(&form), form_(form), show_(show), layers_(layers), transport_(transport) {
  soon_.setSingleShot(true);
  soon_.setInterval(kSettleMs);
  connect(&soon_, &QTimer::timeout, this, &LayerReadiness::update);
}

void LayerReadiness::updateSoon() {
  soon_.start();
}

void LayerReadiness::update() {
  soon_.stop();
  const QString path = form_.doc().DocumentPath;
  const QString scriptFolder =
      path.isEmpty() ? QDir::currentPath() : QFileInfo(path).absolutePath();
  const QString programFolder = form_.programFolder();
  auto resolveAs = [&](const QString& file, bool midiToo) {
    const QString found =
        script::resolveCueFile(file, scriptFolder, QDir::currentPath(), programFolder);
    const script::MediaType type = script::mediaTypeOf(found);
    if (found.isEmpty() ||
        (type != script::MediaType::Audio && !(midiToo && type == script::MediaType::Midi)))
      return QString();
    // Spelt as the cues spell the file they open.
    return QDir::cleanPath(QFileInfo(found).absoluteFilePath());
  };
  const std::optional<script::CueBounds> next = show_.nextCue().mark();
  const int from = next ? next->open : 0;
  const QString all = form_.editor()->Text();
  const script::StringSource text(all);
  layers_.prepare(script::layerFilesAhead(
      text, from, [&](const QString& file) { return resolveAs(file, true); }, kLimit));
  // The audio panel plays sound files; MIDI files go to the video panel.
  transport_.prepareFile(script::fileCueAhead(
      text, from, [&](const QString& file) { return resolveAs(file, false); }));
}

}  // namespace scenova::app
