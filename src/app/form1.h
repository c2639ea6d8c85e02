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
}
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

namespace scenova::ui {
class NoticeLine;
}

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

struct Subsystems;

// What the main window needs from outside: the platform boundary and the
// facts start-up found out. A device left out (null) is a system without
// it: the window puts a null object in its place, which does nothing and
// says so where a command cannot act.
struct Services {
  platform::Dialogs* dialogs = nullptr;
  platform::Environment* env = nullptr;
  platform::SystemServices* system = nullptr;
  platform::AudioDevice* audio = nullptr;        // null: no audio device
  platform::Mixer* mixer = nullptr;              // null: no mixer
  platform::SoundVoices* voices = nullptr;       // null: no sound layers
  platform::MonitorSystem* monitors = nullptr;   // null: Qt's screens
  platform::SoundOutputs* outputs = nullptr;     // null: no outputs to choose from
  platform::PlayerRoute* playerRoute = nullptr;  // null: players keep the default output
  // Creates a media player control; empty: players that play nothing.
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

// The window's timers, each driven by one subsystem: Timer1 the audio
// counter, Timer2 and Timer3 the volume knob's drag and fades, Timer4 the
// video counter, Timer5 the notice line, Timer6 the keep-awake tick.
struct WindowTimers {
  QTimer Timer1, Timer2, Timer3, Timer4, Timer5, Timer6;
};

// The main window: the composition root. It holds the controls, the texts
// and the state of the open script, and owns the subsystems (Subsystems,
// built once in dependency order); the handlers live with the subsystems.
class Form1 : public QMainWindow {
  Q_OBJECT
 public:
  Form1(Services services, LanguageTable lang, QWidget* parent = nullptr);
  ~Form1() override;

  MainControls& ui() { return ui_; }
  const MainControls& ui() const { return ui_; }
  LanguageTable& lang() { return lang_; }
  const LanguageTable& lang() const { return lang_; }
  DocumentState& doc() { return doc_; }
  const DocumentState& doc() const { return doc_; }
  WindowTimers& timers() { return timers_; }
  // Label11 under the script (ShowNotice writes to it).
  ui::NoticeLine& notice() { return *notice_; }
  // The language file of the window's texts ("English.lng").
  const QString& languageFile() const { return languageFile_; }
  void setLanguageFile(const QString& file) { languageFile_ = file; }

  // The subsystems, all there from the end of the constructor on.
  Subsystems& subsystems() { return *subsystems_; }

  platform::RTB* editor() const { return editor_; }
  // The main window's player (WMP2); a player that plays nothing where the
  // system has none.
  platform::MediaPlayer& mainPlayer() const { return *mainPlayer_; }
  platform::ScreenSaver& screenSaver() const { return *screenSaver_; }
  // The platform boundary; audio, mixer, voices, outputs, playerRoute and
  // screenSaver are never null.
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

  // The title for the open script ("Scenova - NAME"), with the word show
  // mode adds while it is on.
  void updateTitle();
  void setScriptTitle(const QString& title);
  void setTitleWord(const QString& word);

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

  Services services_;
  // Stand-ins for what the system lacks (see Services).
  std::unique_ptr<platform::AudioDevice> ownAudio_;
  std::unique_ptr<platform::Mixer> ownMixer_;
  std::unique_ptr<platform::SoundVoices> ownVoices_;
  std::unique_ptr<platform::SoundOutputs> ownOutputs_;
  std::unique_ptr<platform::PlayerRoute> ownPlayerRoute_;
  std::unique_ptr<platform::ScreenSaver> ownScreenSaver_;
  std::unique_ptr<platform::MonitorSystem> ownMonitors_;
  platform::ScreenSaver* screenSaver_ = nullptr;
  LanguageTable lang_;
  DocumentState doc_;
  QString languageFile_;
  bool unloadStarted_ = false;
  SettingsValues saved_;
  QString scriptTitle_, titleWord_;
  platform::RTB* editor_ = nullptr;
  std::unique_ptr<platform::MediaPlayer> mainPlayer_;
  MainControls ui_;
  WindowTimers timers_;
  std::unique_ptr<ui::NoticeLine> notice_;
  std::unique_ptr<Subsystems> subsystems_;
};

}  // namespace scenova::app
