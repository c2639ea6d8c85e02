#pragma once

#include "settings_file.h"
#include "ui/language_table.h"
#include "ui/main_controls.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>

namespace scenova::audio {
class VolumeOperations;
class OutputChoice;
class LayerOperations;
}  // namespace scenova::audio
namespace scenova::video {
class VideoOperations;
}
namespace scenova::platform {
class RTB;
class MediaPlayer;
struct PlayerSettings;
class Dialogs;
class Environment;
class SystemServices;
class AudioDevice;
class Mixer;
class SoundVoices;
class ScreenSaver;
class MonitorSystem;
class SoundOutputs;
class PlayerRoute;
}  // namespace scenova::platform

namespace scenova::app {
// The window works with the shared control registry by its short names.
using ui::Control;
using ui::LanguageTable;
using ui::MainControls;
using ui::StripAmpersands;
namespace twips = ui::twips;
namespace design = ui::design;
}  // namespace scenova::app

namespace scenova::app {

class EditingTools;
class DocumentCommands;
class ToolbarCommands;
class RecoveryKeeper;
class ExitCommands;

// What the main window needs from outside: the platform boundary and the
// facts start-up found out.
struct Services {
  platform::Dialogs* dialogs = nullptr;
  platform::Environment* env = nullptr;
  platform::SystemServices* system = nullptr;
  platform::AudioDevice* audio = nullptr;        // may be null: no audio device
  platform::Mixer* mixer = nullptr;              // may be null: no mixer
  platform::SoundVoices* voices = nullptr;       // may be null: no sound layers
  platform::MonitorSystem* monitors = nullptr;   // null: Qt's screens
  platform::SoundOutputs* outputs = nullptr;     // null: no outputs to choose from
  platform::PlayerRoute* playerRoute = nullptr;  // null: players keep the default output
  // Creates a media player control; empty: the window has no player.
  std::function<std::unique_ptr<platform::MediaPlayer>(const platform::PlayerSettings&, QWidget*)>
      playerFactory;
  QString settingsPath;
  QString commandLine;                           // the whole command line: the path of one script
  platform::ScreenSaver* screenSaver = nullptr;  // null: nothing is held
  QString recoveryFolder;                        // where unsaved work is kept; empty: not kept
  quint16 remotePort = 0;  // --remote PORT: remote control on loopback for this run; 0: none
};

// The state of the open script.
struct DocumentState {
  QString DocumentPath, DocumentName;
  int Modified = 0;
  QString UntitledName;
  qint16 UntitledCount = 1;
  QString LastFolder;
};

// The main window: it owns the program's state and wires the subsystems to
// its controls. The handlers themselves live with their subsystems.
class Form1 : public QMainWindow {
  Q_OBJECT
 public:
  Form1(Services services, LanguageTable lang, QWidget* parent = nullptr);
  ~Form1() override;

  MainControls ui;
  LanguageTable lang;
  DocumentState doc;
  QString LanguageFile;
  bool UnloadStarted = false;

  QTimer Timer1, Timer2, Timer3, Timer4, Timer5, Timer6;

  // Subsystems that others call through the window. Each is owned by the
  // window (a QObject child) and set by its wire function; null until then.
  audio::VolumeOperations* volume = nullptr;
  audio::OutputChoice* output = nullptr;  // Options, Audio output
  video::VideoOperations* video = nullptr;
  // The sound layers.
  audio::LayerOperations* layers = nullptr;
  platform::MediaPlayer* WMP2 = nullptr;  // the main window's player
  QObject* cueEngine = nullptr;           // interpreter, activation, loader, transport
  EditingTools* editing = nullptr;        // undo, typing aids, find, add command
  DocumentCommands* documents = nullptr;  // New, Open, Save, Save As
  ToolbarCommands* toolbar = nullptr;     // Label2(0..16), hover frame
  RecoveryKeeper* recovery = nullptr;     // copies of unsaved work
  platform::ScreenSaver* screenSaver() const { return screenSaver_; }
  QObject* showMode = nullptr;    // GO key, next-cue mark, broken-cue marks
  ExitCommands* exits = nullptr;  // Escape, closing, the end of the show windows

  platform::RTB* editor() const { return editor_; }
  const Services& services() const { return services_; }
  QString programFolder() const;
  // A file shipped below the program folder, named as "\Files\play.jpg".
  QString programFile(const QString& relative) const;

  void Form_Load();
  // The close sequence. Sets cancel when the user keeps the window open.
  void Form_Unload(bool& cancel);
  void mnuEsci_Click();
  void Form_Resize();
  void Form_KeyDown(int keyCode, int shift);

  void CambiaLingua2();
  void mnuLingua_Click();
  void SaveSettings();
  void mnuScreenSaver_Click();
  // Timer6 and the desktop's screen-saver inhibition follow the check mark.
  void applyScreenSaverOption();
  // The keep-awake tick: tells the desktop the user is active.
  void Timer6_Timer();

  // Shows a notice in Label11 for 6 seconds (a newer notice restarts them).
  void ShowNotice(const QString& text, int milliseconds = 6000);
  void Timer5_Timer();

  void updateTitle();

 Q_SIGNALS:
  // After CambiaLingua2 wrote the language's texts into the captions.
  void languageApplied();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void connectMenus();
  void fillFontBoxes();
  void applySettings();
  bool askToSaveOnClose();

  Services services_;
  SettingsValues saved_;
  platform::RTB* editor_ = nullptr;
  std::unique_ptr<platform::MediaPlayer> wmp2_;
  std::unique_ptr<platform::ScreenSaver> ownScreenSaver_;
  platform::ScreenSaver* screenSaver_ = nullptr;
};

}  // namespace scenova::app
