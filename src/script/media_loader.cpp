#include "script/media_loader.h"

#include <QDir>

#include "audio/audio_operations.h"
#include "platform/media/audio_device.h"
#include "platform/media/media_player.h"
#include "ui/language_table.h"
#include "ui/main_controls.h"
#include "video/video_operations.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QImageReader>

namespace scenova::script {

namespace {

constexpr const char* kVideoEndings[] = {".mpg", ".avi", ".flv", ".mp4", ".ogv",
                                         "mpeg", ".mov", ".mkv", ".vob", ".wmv"};

// Every format the image reader of this installation reads is a picture.
bool isPictureEnding(QStringView path) {
  static const QList<QByteArray> formats = QImageReader::supportedImageFormats();
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  if (dot < 0 || path.indexOf(QLatin1Char('/'), dot) >= 0) return false;
  const QByteArray ending = path.mid(dot + 1).toString().toLower().toUtf8();
  return !ending.isEmpty() && formats.contains(ending);
}

bool shown(const QWidget* w) {
  return w && !w->isHidden();
}

// The device's message texts fit a buffer of 127 characters.
constexpr qsizetype kErrorTextLength = 127;

}  // namespace

MediaType mediaTypeOf(QStringView path) {
  const QString ending = path.right(4).toString().toLower();
  for (const char* v : kVideoEndings)
    if (ending == QLatin1StringView(v)) return MediaType::Video;
  if (ending == QLatin1StringView(".mid") || ending == QLatin1StringView(".kar"))
    return MediaType::Midi;
  if (isPictureEnding(path)) return MediaType::Picture;
  return MediaType::Audio;
}

QString cueFilePath(QStringView content) {
  QString p = content.toString();
  p.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return p;
}

bool isOrdinaryFile(const QString& path) {
  // A NUL would cut the name short where the system reads it.
  if (path.isEmpty() || path.contains(QChar(0))) return false;
  return QFileInfo(path).isFile();
}

QString resolveCueFile(QStringView cue, const QString& scriptFolder, const QString& currentFolder,
                       const QString& programFolder) {
  const QString written = cueFilePath(cue);
  if (written.isEmpty()) return {};
  const bool absolute = written.startsWith(QLatin1Char('/'));
  if (absolute && isOrdinaryFile(written)) return written;
  const QString relative = absolute ? written.mid(1) : written;
  const QStringList folders = absolute ? QStringList{programFolder}
                                       : QStringList{scriptFolder, currentFolder, programFolder};
  for (const QString& folder : folders) {
    if (folder.isEmpty()) continue;
    const QString candidate = folder + QLatin1Char('/') + relative;
    if (isOrdinaryFile(candidate)) return candidate;
  }
  return {};
}

MediaLoader::MediaLoader(CueContext context) : c_(context) {}

void MediaLoader::vai(const QString& path) {
  // The path keeps its case: names on this system are case-sensitive. Only
  // the kind is decided on the lower-cased name.
  QString f = cueFilePath(path);
  if (!isOrdinaryFile(f)) {
    const QString found =
        resolveCueFile(f, c_.host.scriptFolder(), QDir::currentPath(), c_.host.programFolder());
    if (!found.isEmpty()) f = found;
  }
  switch (mediaTypeOf(f)) {
    case MediaType::Video:
      loadVideo(f, false);
      break;
    case MediaType::Midi:
      loadVideo(f, true);
      break;
    case MediaType::Picture:
      c_.host.video().loadPicture(f);
      // On one monitor the picture shows in the main window.
      if (c_.host.video().monitorCount() < 2) c_.state.LoadedKind = QStringLiteral("I");
      break;
    case MediaType::Audio:
      loadAudio(f);
      break;
  }
}

void MediaLoader::loadVideo(const QString& path, bool midi) {
  ui::VideoPanelControls& ui = c_.video;
  video::VideoOperations& video = c_.host.video();
  if (midi) {
    // MIDI plays in the main window only: the projector option goes away.
    video.setProjector(false);
    ui.Check1->hide();
    ui.Label5->hide();
    ui::twips::setHeight(ui.Shape6, 1185);
  } else {
    ui.WMP2->hide();
    ui.imgZoom->hide();
    ui.Check1->show();
    ui.Label5->show();
    ui::twips::setHeight(ui.Shape6, 1425);
  }
  ui.Picture3->show();
  c_.state.MediaKind = 2;
  ShowVideoTitle(path);
  c_.state.LoadedKind = QStringLiteral("V");
  ui::twips::setWidth(ui.lblContatoreV, ui::twips::width(ui.Shape8));

  // The projector's player starts a file as soon as it gets it; the main
  // window's waits for Play. The same file is not loaded again.
  const bool projector = ui.Check1->isChecked() && video.monitorCount() > 1;
  // The projector's player is made with its window: a video panel without
  // one yet gives none.
  platform::MediaPlayer* player = projector ? video.projectorPlayer() : &c_.host.mainPlayer();
  if (player && player->url() != path) player->setUrl(path);
}

void MediaLoader::loadAudio(const QString& path) {
  ui::AudioPanelControls& ui = c_.audio;
  if (shown(c_.video.imgZoom)) c_.video.imgZoom->hide();
  c_.state.LoadedKind = QStringLiteral("A");
  c_.state.MediaKind = 1;
  ui.Label4->show();
  ui.Shape2->show();
  platform::AudioDevice& device = c_.host.audioDevice();
  device.sendString(QStringLiteral("close all"));
  const quint32 result =
      device.sendString(QStringLiteral("open \"") + path + QStringLiteral("\" ALIAS wav1"));
  if (result > 0) Errore(result);
  // The panel comes up even when the open failed.
  for (ui::Control* b : {ui.cmdPlayA, ui.cmdStopA, ui.cmdForA, ui.cmdBacA}) {
    b->setEnabled(true);
    b->show();
  }
  ui.lblWMP1->show();
  ui.Shape9->show();
  // The new file stands stopped at its start and the counter shows its
  // length; nothing of it sounds.
  c_.transport.settleNewFile();
  c_.transport.refreshPlayButton();
}

void MediaLoader::ShowVideoTitle(const QString& path) {
  const qsizetype slash =
      std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  if (slash < 0) return;
  // The name without the last four characters of the path.
  const qsizetype length = std::max<qsizetype>(0, path.size() - 4 - (slash + 1));
  const QString name = path.mid(slash + 1, length);
  const QString lower = path.toLower();
  const bool midi =
      lower.endsWith(QLatin1StringView(".mid")) || lower.endsWith(QLatin1StringView(".kar"));
  c_.video.Label8->setCaption((midi ? QStringLiteral("MIDI - ") : QStringLiteral("Video - ")) +
                              name);
}

void MediaLoader::Errore(quint32 code) {
  const QString text = ui::deviceErrorText(c_.lang, code, c_.host.audioDevice().errorString(code));
  c_.host.ShowNotice(text.left(kErrorTextLength));
}

}  // namespace scenova::script
