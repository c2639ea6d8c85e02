#include "layer_readiness.h"

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

LayerReadiness::LayerReadiness(Form1& form, ShowMode& show, audio::LayerOperations& layers)
    : QObject(&form), form_(form), show_(show), layers_(layers) {
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
  auto resolve = [&](const QString& file) {
    const QString found =
        script::resolveCueFile(file, scriptFolder, QDir::currentPath(), programFolder);
    const script::MediaType type = script::mediaTypeOf(found);
    if (found.isEmpty() || (type != script::MediaType::Audio && type != script::MediaType::Midi))
      return QString();
    // Spelt as the layer cues spell the file they start.
    return QDir::cleanPath(QFileInfo(found).absoluteFilePath());
  };
  const std::optional<script::CueBounds> next = show_.nextCue().mark();
  const QString text = form_.editor()->Text();
  layers_.prepare(
      script::layerFilesAhead(script::StringSource(text), next ? next->open : 0, resolve, kLimit));
}

}  // namespace scenova::app
