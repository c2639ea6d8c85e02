#pragma once

// The audio panel on the real controls, with the fake audio device: what
// the transport and the cue tests work on.

#include "audio/audio_transport.h"
#include "audio/transport_buttons.h"
#include "fakes/media/fake_audio_device.h"
#include "platform/media/null_media.h"
#include "support/program_folder.h"
#include "ui/language_table.h"
#include "ui/main_controls.h"

#include <QAction>
#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>

namespace scenova::test {

inline ui::LanguageTable englishTexts() {
  ui::LanguageTable lang;
  lang.load(qEnvironmentVariable("SCENOVA_SOURCE_DIR") + QStringLiteral("/data/Lang/English.lng"));
  return lang;
}

// The window's controls as start-up leaves them.
struct PanelRig {
  ProgramFolder folder;
  QMainWindow window;
  ui::MainControls ui;
  ui::LanguageTable lang = englishTexts();
  QTimer Timer1;

  explicit PanelRig(QWidget* editor) {
    ui = ui::buildMainControls(&window, editor, new QWidget);
    ui.cmdPlayA->Tag = lang[7];
    ui.cmdPlayV->Tag = lang[7];
    ui::twips::setWidth(ui.lblContatore, ui::twips::width(ui.Shape2));
  }
  QString picture(const char* name) const {
    return folder.path() + QStringLiteral("/Files/") + QLatin1StringView(name) +
           QStringLiteral(".jpg");
  }
  QString playPicture() const { return ui.cmdPlayA->picturePath(); }
};

struct TransportRig : PanelRig {
  platform::FakeAudioDevice device;
  platform::NullMediaPlayer noPlayer;  // a window without a video side
  std::unique_ptr<audio::TransportButtons> buttons;
  std::unique_ptr<audio::AudioTransport> transport;

  // notice: where the transport's notices go (none when empty).
  explicit TransportRig(std::function<void(const QString&)> notice = {}) : PanelRig(new QWidget) {
    buttons = std::make_unique<audio::TransportButtons>(ui.transport(), lang, folder.path());
    audio::TransportParts parts;
    parts.notice = notice ? std::move(notice) : [](const QString&) {};
    parts.ui = &ui;
    parts.videoPanel = &ui;
    parts.lang = &lang;
    parts.Timer1 = &Timer1;
    parts.device = &device;
    parts.buttons = buttons.get();
    parts.videoPlayer = [this]() -> platform::MediaPlayer& { return noPlayer; };
    parts.programFolder = folder.path();
    transport = std::make_unique<audio::AudioTransport>(std::move(parts));
  }

  // A file of that length stands open at the position, playing or not (the
  // marker, Timer1 and the device agree); the commands list starts empty.
  void open(qint64 lengthMs, qint64 positionMs = 0, bool playing = false) {
    device.lengthMs = lengthMs;
    device.sendString(QStringLiteral("open \"a.wav\" ALIAS wav1"));
    device.positionMs = positionMs;
    device.playing = playing;
    ui.cmdPlayA->Tag = lang[playing ? 8 : 7];
    ui.mnuPlayAudio->setText(lang[playing ? 8 : 7]);
    if (playing) Timer1.start(10);
    device.commands.clear();
  }

  // What was sent, without the position and length queries.
  QStringList actions() const { return device.actions(); }
};

}  // namespace scenova::test
