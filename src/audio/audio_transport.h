#pragma once

// The audio panel's transport: play/pause, stop, five-second skips, the
// position counter with its progress fill, seeking by pointing at the
// counter and the rewind at the end of the track. The handlers are the
// entry points that the buttons, the Audio menu, cues and the media loader
// all run, so a cue behaves exactly like the matching button.
//
// The device is always addressed under the alias wav1. The play-state marker
// is cmdPlayA.Tag: language text 7 (the next press plays) or 8 (playing).

#include "audio/audio_operations.h"
#include "platform/media/audio_device.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

class QTimer;

namespace scenova::ui {
struct AudioPanelControls;
struct VideoPanelControls;
class LanguageTable;
}  // namespace scenova::ui

namespace scenova::platform {
class MediaPlayer;
}  // namespace scenova::platform

namespace scenova::audio {

class TransportButtons;

struct TransportParts {
  ui::AudioPanelControls* ui = nullptr;
  ui::VideoPanelControls* videoPanel = nullptr;  // the tick also writes its counter
  const ui::LanguageTable* lang = nullptr;
  QTimer* Timer1 = nullptr;                             // the counter tick
  platform::AudioDevice* device = nullptr;              // required (a null device: none)
  TransportButtons* buttons = nullptr;                  // required: the buttons' look
  std::function<platform::MediaPlayer&()> videoPlayer;  // WMP2, asked each tick; required
  std::function<void(const QString&)> notice;           // Label11 for 6 s; required
  QString programFolder;
};

class AudioTransport : public QObject, public AudioOperations {
  Q_OBJECT
 public:
  explicit AudioTransport(TransportParts parts, QObject* parent = nullptr);
  ~AudioTransport() override;

  void cmdPlayA_Click() override;
  void cmdStopA_Click() override;
  // Leaves a file just opened stopped at its start, the counter showing its
  // length and the play button offering Play, as a press of Play and then
  // Stop would, but without starting the device: a play and a stop sent
  // back to back let the start of the new file sound for a moment.
  void settleNewFile() override;
  void cmdForA_Click();
  void cmdBacA_Click();
  // Stores the time under the pointer (x in twips) in lblContatore.Tag.
  void lblContatore_MouseMove(int button, int shift, double x, double y);
  // Moves to the time in lblContatore.Tag, keeping the play state.
  void lblContatore_Click() override;
  void Timer1_Timer() override;
  void refreshPlayButton() override;

  // The window closes: rewinding stops any sound before the process ends.
  void rewind();
  // The program ends: the device stops and lets go of every file.
  void closeDevice();
  // The sound file a coming cue will likely open (an absolute path; empty:
  // none): the device may load it ahead, so that the cue sounds sooner.
  void prepareFile(const QString& path);

  // The position of wav1 in milliseconds; 0 when the query fails.
  double CurPos();
  // The length of wav1 in milliseconds; nothing when the query fails.
  std::optional<double> lengthQuery();
  // Both at once, as the tick needs them; false when the length query fails.
  bool status(double& positionMs, double& lengthMs);

  // "0:07 / 3:07": whole minutes, two-digit seconds, halves of a second
  // rounded to the even neighbour.
  static QString timeText(double milliseconds);
  static QString counterText(double positionMs, double lengthMs);

  // Connects the panel's buttons and counter, the Audio menu and Timer1.
  void connectControls();

 private:
  quint32 send(const QString& command, QString* reply = nullptr);
  bool markerSaysPlay() const;
  void setPlayPicture();
  // The device's reports from the background: a notice, and the stopped
  // state when the sound server went away under a playing track.
  void onDeviceEvent(platform::AudioDevice::Event e, quint32 code);
  void enterStopped();
  void showNotice(const QString& text);
  // counterText(position, length), built again only when a shown second
  // changes: the tick asks for it a hundred times a second.
  const QString& counterFor(double positionMs, double lengthMs);

  TransportParts p_;
  platform::AudioDevice& device_;
  TransportButtons& buttons_;
  std::pair<double, double> counterSeconds_{-1, -1};
  QString counter_;
  ui::AudioPanelControls& ui_;
  ui::VideoPanelControls& video_;
  const ui::LanguageTable& lang_;
};

// The lenient reading of a device reply: leading blanks skipped, the longest
// leading decimal number taken, anything after it ignored; no number is 0.
double replyNumber(QStringView reply);

}  // namespace scenova::audio
