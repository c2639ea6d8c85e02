#include "form1.h"

#include "audio/output_choice.h"
#include "language_ui.h"
#include "platform/dialogs.h"
#include "platform/environment.h"
#include "platform/media/null_media.h"
#include "platform/media/player_route.h"
#include "platform/media/sound_outputs.h"
#include "platform/media/sound_voices.h"
#include "platform/monitors.h"
#include "platform/rtb/rtb.h"
#include "platform/screen_saver.h"
#include "settings_file.h"
#include "subsystems.h"
#include "ui/main_layout.h"
#include "ui/notice_line.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QTextEdit>

namespace scenova::app {

namespace {

// Fills in what the system lacks with null objects owned by the window.
template <typename T, typename Null>
T* orNull(T* given, std::unique_ptr<T>& own) {
  if (given) return given;
  own = std::make_unique<Null>();
  return own.get();
}

}  // namespace

Form1::Form1(Services services, LanguageTable table, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)), lang_(std::move(table)) {
  setObjectName(QStringLiteral("Form1"));
  services_.audio =
      orNull<platform::AudioDevice, platform::NullAudioDevice>(services_.audio, ownAudio_);
  services_.mixer = orNull<platform::Mixer, platform::NullMixer>(services_.mixer, ownMixer_);
  services_.voices =
      orNull<platform::SoundVoices, platform::NullSoundVoices>(services_.voices, ownVoices_);
  services_.outputs =
      orNull<platform::SoundOutputs, platform::NoSoundOutputs>(services_.outputs, ownOutputs_);
  services_.playerRoute =
      orNull<platform::PlayerRoute, platform::PlayerRoute>(services_.playerRoute, ownPlayerRoute_);
  services_.screenSaver = orNull<platform::ScreenSaver, platform::NoScreenSaver>(
      services_.screenSaver, ownScreenSaver_);
  services_.monitors =
      orNull<platform::MonitorSystem, platform::QtMonitorSystem>(services_.monitors, ownMonitors_);
  screenSaver_ = services_.screenSaver;
  if (!services_.playerFactory) {
    services_.playerFactory = [](const platform::PlayerSettings&, QWidget* owner) {
      return std::unique_ptr<platform::MediaPlayer>(new platform::NullMediaPlayer(owner));
    };
  }
  editor_ = new platform::RTB;
  platform::PlayerSettings settings;  // waits for Play, keeps the aspect
  mainPlayer_ = services_.playerFactory(settings, nullptr);
  ui_ = ui::buildMainControls(this, editor_, mainPlayer_->widget());
  for (QTimer* t : {&timers_.Timer1, &timers_.Timer2, &timers_.Timer3, &timers_.Timer4,
                    &timers_.Timer5, &timers_.Timer6})
    t->setTimerType(Qt::PreciseTimer);
  notice_ = std::make_unique<ui::NoticeLine>(*ui_.Label11, timers_.Timer5);
  // Keeps the screen saver away while the option is on.
  connect(&timers_.Timer6, &QTimer::timeout, this, &Form1::Timer6_Timer);
  connect(editor_, &platform::RTB::Change, this, [this] { doc_.Modified = 1; });
  connectMenus();
  subsystems_ = std::make_unique<Subsystems>(*this);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const ui::WindowSizes sizes = ui::mainWindowSizes(
      screen ? screen->availableGeometry().size() : QSize(), menuBar()->sizeHint().height());
  ui_.central->setMinimumSize(sizes.least);
  resize(sizes.first);
}

Form1::~Form1() {
  // The subsystems drive the window's timers and controls: end them while
  // those still exist.
  for (QTimer* t : {&timers_.Timer1, &timers_.Timer2, &timers_.Timer3, &timers_.Timer4,
                    &timers_.Timer5, &timers_.Timer6})
    t->stop();
  subsystems_.reset();
}

QString Form1::programFolder() const {
  return services_.env->programFolder();
}

QString Form1::programFile(const QString& relative) const {
  QString r = relative;
  r.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (!r.startsWith(QLatin1Char('/'))) r.prepend(QLatin1Char('/'));
  return programFolder() + r;
}

void Form1::connectMenus() {
  connect(ui_.mnuEsci, &QAction::triggered, this, &Form1::mnuEsci_Click);
  connect(ui_.mnuLingua, &QAction::triggered, this, &Form1::mnuLingua_Click);
  connect(ui_.mnuScreenSaver, &QAction::triggered, this, &Form1::mnuScreenSaver_Click);
}

void Form1::fillFontBoxes() {
  // Filling the box must not apply its first entry (alphabetically first,
  // often a symbol font) to the script: the box shows, and the untitled
  // script gets, Arial or its metric-compatible substitute.
  const QStringList families = services_.env->fontFamilies();
  QString family = QStringLiteral("Arial");
  if (!families.contains(family) && families.contains(QStringLiteral("Liberation Sans")))
    family = QStringLiteral("Liberation Sans");
  {
    const QSignalBlocker quiet(ui_.Combo1);
    ui_.Combo1->clear();
    ui_.Combo1->addItems(families);
    ui_.Combo1->setEditText(family);
  }
  editor_->SetSelFontName(family);
  ui_.Combo2->clear();
  QStringList sizes;
  for (int s = 5; s <= 15; ++s) sizes << QString::number(s);
  for (int s = 16; s <= 28; s += 2) sizes << QString::number(s);
  sizes << QStringLiteral("36") << QStringLiteral("48") << QStringLiteral("72");
  ui_.Combo2->addItems(sizes);
  ui_.Combo2->setEditText(QStringLiteral("12"));
}

void Form1::Form_Load() {
  Subsystems& s = *subsystems_;
  s.video.Form_Load();  // the monitor list
  s.volume.OpenMixer();
  s.volume.LayoutVolumeKnob();
  fillFontBoxes();
  ui::placeToolbarLetters(ui_);
  doc_.Modified = 0;
  applySettings();
  const QString country = services_.env->countryCode();
  if (languageFile_.trimmed().isEmpty())
    languageFile_ = windowLanguageForCountry(country, programFolder());
  if (!lang_.load(languagePath(programFolder(), languageFile_))) {
    // Start-up has already said so: English, which the settings then keep.
    languageFile_ = QStringLiteral("English.lng");
    if (!lang_.load(languagePath(programFolder(), languageFile_)))
      lang_ = LanguageTable::builtInEnglish();
  }
  twips::setWidth(ui_.Shape1, 1);
  ui_.Shape1->hide();
  twips::setWidth(ui_.Shape7, 1);
  twips::setWidth(ui_.lblContatore, twips::width(ui_.Shape2));
  CambiaLingua2();
  doc_.UntitledCount = 1;
  ui_.cmdPlayA->Tag = lang_[7];
  ui_.cmdPlayV->Tag = lang_[7];
  // The output remembered from the last session, before the volume.
  s.output.restore(saved_.audioOutput.value_or(QString()));
  s.volume.restore(saved_.knobTop, saved_.knobValue);
  updateTitle();
  // The script of the command line, then an offer to restore unsaved work
  // after a crash.
  if (!QString(services_.commandLine).remove(QLatin1Char(' ')).isEmpty())
    s.documents.openCommandLine(services_.commandLine);
  doc_.Modified = 0;
  s.recovery.offerRestore();
  s.editing.resetHistory();  // undo recording starts here
}

void Form1::applySettings() {
  const SettingsValues v = SettingsFile::read(services_.settingsPath);
  saved_ = v;
  if (v.languageFile) languageFile_ = *v.languageFile;
  if (v.screenSaverOff) {
    ui_.mnuScreenSaver->setChecked(*v.screenSaverOff);
    applyScreenSaverOption();
  }
  if (v.lastFolder) doc_.LastFolder = *v.lastFolder;
  // The knob's position and value belong to the volume slider, which reads
  // them through SettingsFile itself.
}

void Form1::updateTitle() {
  if (doc_.DocumentPath.isEmpty())
    setScriptTitle(QStringLiteral("Scenova - ") + doc_.UntitledName +
                   QString::number(doc_.UntitledCount));
  else
    setScriptTitle(QStringLiteral("Scenova - ") + doc_.DocumentName);
}

void Form1::setScriptTitle(const QString& title) {
  scriptTitle_ = title;
  setWindowTitle(scriptTitle_ + titleWord_);
}

void Form1::setTitleWord(const QString& word) {
  titleWord_ = word;
  setWindowTitle(scriptTitle_ + titleWord_);
}

void Form1::CambiaLingua2() {
  installQtTranslations(languageFile_);
  doc_.UntitledName = app::CambiaLingua2(ui_, lang_);
  Q_EMIT languageApplied();
}

void Form1::mnuLingua_Click() {
  platform::FileDialogRequest r;
  r.owner = this;
  r.title = lang_[15];
  r.filters = {
      {lang_[15].left(std::max<qsizetype>(0, lang_[15].size() - 3)), QStringLiteral("*.lng")}};
  r.initialFolder = programFolder() + QStringLiteral("/Lang");
  r.defaultExtension = QStringLiteral("lng");
  r.forOpen = true;
  const QString chosen = services_.dialogs->fileDialog(r);
  const PlayMarkers markers = readPlayMarkers(ui_, lang_);
  if (!chosen.isEmpty()) {
    QString why;
    const QString file = acceptChosenLanguage(chosen, programFolder(), lang_, &why);
    if (file.isEmpty()) {  // the current language stays
      services_.dialogs->messageBox(this, why, QStringLiteral("Scenova"),
                                    platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
      return;
    }
    languageFile_ = file;
  }
  CambiaLingua2();
  writePlayMarkers(ui_, lang_, markers);
  SaveSettings();
}

void Form1::SaveSettings() {
  SettingsToWrite v;
  v.languageFile = languageFile_;
  v.knobValue = ui_.Image2->Tag;
  v.knobTop = twips::top(ui_.Image2);
  if (subsystems_->volume.mixerMax() == 0) {
    // Without a mixer the knob stands for no master volume: the next start
    // with a mixer gets the volume of the last session that had one, or
    // the shipped default when none had.
    v.knobValue = saved_.knobValue;
    v.knobTop = saved_.knobValue ? saved_.knobTop : std::nullopt;
  }
  v.screenSaverOff = ui_.mnuScreenSaver->isChecked();
  v.lastFolder = doc_.LastFolder;
  v.windowVisible = isVisible();
  v.audioOutput = subsystems_->output.remembered();
  SettingsFile::write(services_.settingsPath, v);
}

void Form1::mnuScreenSaver_Click() {
  // The action has already toggled its check mark.
  applyScreenSaverOption();
  SaveSettings();
}

void Form1::Timer6_Timer() {
  screenSaver_->pokeActivity();
}

void Form1::applyScreenSaverOption() {
  const bool on = ui_.mnuScreenSaver->isChecked();
  if (on)
    timers_.Timer6.start(30000);
  else
    timers_.Timer6.stop();
  screenSaver_->setInhibited(on);
}

void Form1::ShowNotice(const QString& text, int milliseconds) {
  notice_->show(text, milliseconds);
}

void Form1::Form_Unload(bool& cancel) {
  SaveSettings();
  Subsystems& s = *subsystems_;
  s.editing.closeFind();
  if (editor_->TextLength() > 0 && doc_.Modified == 1 && !unloadStarted_) {
    if (!s.documents.askOnClose()) {
      cancel = true;
      return;
    }
    unloadStarted_ = true;
  }
  // The copies of unsaved work end cleanly.
  s.recovery.discard();
  s.recovery.waitForWorker();
  // Rewinding stops any sound before the process ends.
  s.cues.transport().rewind();
}

void Form1::mnuEsci_Click() {
  unloadStarted_ = false;
  close();
}

void Form1::closeEvent(QCloseEvent* e) {
  ExitCommands& exits = subsystems_->exits;
  bool cancel = !exits.mayClose();
  if (!cancel) Form_Unload(cancel);
  if (cancel) {
    e->ignore();
    return;
  }
  e->accept();
  exits.finish();
}

void Form1::Form_KeyDown(int keyCode, int) {
  if (keyCode == 27) subsystems_->exits.escape();
}

void Form1::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape)
    Form_KeyDown(27, 0);
  else
    QMainWindow::keyPressEvent(e);
}

void Form1::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  // Without a window manager nothing holds the window to its minimum size:
  // it snaps back.
  const QSize least = size().expandedTo(minimumSizeHint());
  if (least != size()) QTimer::singleShot(0, this, [this, least] { resize(least); });
  Form_Resize();
}

void Form1::Form_Resize() {
  ui::layoutMainControls(ui_, ui_.central->size());
}

}  // namespace scenova::app
