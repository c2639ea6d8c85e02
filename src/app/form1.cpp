#include "form1.h"

#include "audio/output_choice.h"
#include "audio/volume_operations.h"
#include "document_commands.h"
#include "editing_tools.h"
#include "exit_commands.h"
#include "language_ui.h"
#include "platform/dialogs.h"
#include "platform/environment.h"
#include "platform/media/audio_device.h"
#include "platform/media/media_player.h"
#include "platform/rtb/rtb.h"
#include "platform/screen_saver.h"
#include "remote_control.h"
#include "settings_file.h"
#include "video/video_operations.h"
#include "wiring.h"

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
// Room left around the window for its frame and title bar.
constexpr int kFrameAllowance = 30;
}  // namespace

Form1::Form1(Services services, LanguageTable table, QWidget* parent)
    : QMainWindow(parent), lang(std::move(table)), services_(std::move(services)) {
  setObjectName(QStringLiteral("Form1"));
  editor_ = new platform::RTB;
  if (services_.playerFactory) {
    platform::PlayerSettings settings;  // waits for Play, keeps the aspect
    wmp2_ = services_.playerFactory(settings, nullptr);
  }
  WMP2 = wmp2_.get();
  ui = ui::buildMainControls(this, editor_, WMP2 ? WMP2->widget() : new QWidget);
  for (QTimer* t : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6})
    t->setTimerType(Qt::PreciseTimer);
  connect(&Timer5, &QTimer::timeout, this, &Form1::Timer5_Timer);
  screenSaver_ = services_.screenSaver;
  if (!screenSaver_) {
    ownScreenSaver_ = std::make_unique<platform::NoScreenSaver>();
    screenSaver_ = ownScreenSaver_.get();
  }
  // Keeps the screen saver away while the option is on.
  connect(&Timer6, &QTimer::timeout, this, &Form1::Timer6_Timer);
  connect(editor_, &platform::RTB::Change, this, [this] { doc.Modified = 1; });
  connectMenus();
  wireVolume(*this);
  wireOutput(*this);
  wireCues(*this);
  wireVideo(*this);
  wireLayers(*this);
  wireFiles(*this);
  wireEditing(*this);
  wireFinish(*this);
  wireShow(*this);
  wireExit(*this);
  wireRemote(*this);
  const int menu = menuBar()->sizeHint().height();
  QSize least(twips::toPixels(design::kMinWidth), twips::toPixels(design::kMinHeight));
  QSize first(std::max(least.width(), 1100), std::max(least.height(), 760));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    // The first size fits the screen's free area with the window frame
    // (a large scale factor leaves few pixels): the editor gives way,
    // never the window's edge. Where the screen allows, an operator wants
    // to see as much of the script as possible.
    const QSize avail =
        screen->availableGeometry().size() - QSize(kFrameAllowance, 2 * kFrameAllowance);
    least = least.boundedTo(avail);
    first = first.boundedTo(avail);
  }
  ui.central->setMinimumSize(least.width(), least.height() - menu);
  resize(first);
}

Form1::~Form1() {
  // The subsystems drive the window's timers and controls: end them while
  // those still exist (children would otherwise outlive the members).
  for (QTimer* t : {&Timer1, &Timer2, &Timer3, &Timer4, &Timer5, &Timer6}) t->stop();
  delete showMode;
  showMode = nullptr;
  delete editing;
  editing = nullptr;
  delete cueEngine;
  cueEngine = nullptr;
  delete video;  // the video panel and its windows
  video = nullptr;
  delete dynamic_cast<QObject*>(volume);
  volume = nullptr;
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
  connect(ui.mnuEsci, &QAction::triggered, this, &Form1::mnuEsci_Click);
  connect(ui.mnuLingua, &QAction::triggered, this, &Form1::mnuLingua_Click);
  connect(ui.mnuScreenSaver, &QAction::triggered, this, &Form1::mnuScreenSaver_Click);
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
    const QSignalBlocker quiet(ui.Combo1);
    ui.Combo1->clear();
    ui.Combo1->addItems(families);
    ui.Combo1->setEditText(family);
  }
  if (editor_) editor_->SetSelFontName(family);
  ui.Combo2->clear();
  QStringList sizes;
  for (int s = 5; s <= 15; ++s) sizes << QString::number(s);
  for (int s = 16; s <= 28; s += 2) sizes << QString::number(s);
  sizes << QStringLiteral("36") << QStringLiteral("48") << QStringLiteral("72");
  ui.Combo2->addItems(sizes);
  ui.Combo2->setEditText(QStringLiteral("12"));
}

void Form1::Form_Load() {
  videoFormLoad(*this);
  volumeFormLoad(*this);
  fillFontBoxes();
  for (int i = 0; i < 4; ++i) {
    Control* letter = ui.Label3[static_cast<size_t>(i)];
    twips::setLeft(letter, twips::left(ui.Label2[static_cast<size_t>(i + 4)]));
    twips::setTop(letter,
                  twips::top(ui.Label2[static_cast<size_t>(i + 4)]) + (i == 0 ? 90 : 80) - 30);
    letter->raise();
  }
  doc.Modified = 0;
  applySettings();
  const QString country = services_.env->countryCode();
  if (LanguageFile.trimmed().isEmpty())
    LanguageFile = windowLanguageForCountry(country, programFolder());
  if (!lang.load(languagePath(programFolder(), LanguageFile))) {
    // Start-up has already said so: English, which the settings then keep.
    LanguageFile = QStringLiteral("English.lng");
    if (!lang.load(languagePath(programFolder(), LanguageFile)))
      lang = LanguageTable::builtInEnglish();
  }
  twips::setWidth(ui.Shape1, 1);
  ui.Shape1->hide();
  twips::setWidth(ui.Shape7, 1);
  twips::setWidth(ui.lblContatore, twips::width(ui.Shape2));
  CambiaLingua2();
  doc.UntitledCount = 1;
  ui.cmdPlayA->Tag = lang[7];
  ui.cmdPlayV->Tag = lang[7];
  outputRestore(*this, saved_);
  volumeRestore(*this, saved_);
  updateTitle();
  filesFormLoad(*this, services_.commandLine);
  if (editing) editing->resetHistory();  // undo recording starts here
}

void Form1::applySettings() {
  const SettingsValues v = SettingsFile::read(services_.settingsPath);
  saved_ = v;
  if (v.languageFile) LanguageFile = *v.languageFile;
  if (v.screenSaverOff) {
    ui.mnuScreenSaver->setChecked(*v.screenSaverOff);
    applyScreenSaverOption();
  }
  if (v.lastFolder) doc.LastFolder = *v.lastFolder;
  // The knob's position and value belong to the volume slider, which reads
  // them through SettingsFile itself.
}

void Form1::updateTitle() {
  if (doc.DocumentPath.isEmpty())
    setWindowTitle(QStringLiteral("Scenova - ") + doc.UntitledName +
                   QString::number(doc.UntitledCount));
  else
    setWindowTitle(QStringLiteral("Scenova - ") + doc.DocumentName);
}

void Form1::CambiaLingua2() {
  installQtTranslations(LanguageFile);
  doc.UntitledName = app::CambiaLingua2(ui, lang);
  Q_EMIT languageApplied();
}

void Form1::mnuLingua_Click() {
  platform::FileDialogRequest r;
  r.owner = this;
  r.title = lang[15];
  r.filters = {
      {lang[15].left(std::max<qsizetype>(0, lang[15].size() - 3)), QStringLiteral("*.lng")}};
  r.initialFolder = programFolder() + QStringLiteral("/Lang");
  r.defaultExtension = QStringLiteral("lng");
  r.forOpen = true;
  const QString chosen = services_.dialogs->fileDialog(r);
  const PlayMarkers markers = readPlayMarkers(ui, lang);
  if (!chosen.isEmpty()) {
    QString why;
    const QString file = acceptChosenLanguage(chosen, programFolder(), lang, &why);
    if (file.isEmpty()) {  // the current language stays
      services_.dialogs->messageBox(this, why, QStringLiteral("Scenova"),
                                    platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
      return;
    }
    LanguageFile = file;
  }
  CambiaLingua2();
  writePlayMarkers(ui, lang, markers);
  SaveSettings();
}

void Form1::SaveSettings() {
  SettingsToWrite v;
  v.languageFile = LanguageFile;
  v.knobValue = ui.Image2->Tag;
  v.knobTop = twips::top(ui.Image2);
  if (!volume || volume->mixerMax() == 0) {
    // Without a mixer the knob stands for no master volume: the next start
    // with a mixer gets the volume of the last session that had one, or
    // the shipped default when none had.
    v.knobValue = saved_.knobValue;
    v.knobTop = saved_.knobValue ? saved_.knobTop : std::nullopt;
  }
  v.screenSaverOff = ui.mnuScreenSaver->isChecked();
  v.lastFolder = doc.LastFolder;
  v.windowVisible = isVisible();
  v.audioOutput = output ? output->remembered() : saved_.audioOutput.value_or(QString());
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
  const bool on = ui.mnuScreenSaver->isChecked();
  if (on)
    Timer6.start(30000);
  else
    Timer6.stop();
  screenSaver_->setInhibited(on);
}

void Form1::ShowNotice(const QString& text, int milliseconds) {
  ui.Label11->setCaption(text);
  ui.Label11->show();
  ui.Label11->raise();
  Timer5.start(milliseconds);
}

void Form1::Timer5_Timer() {
  Timer5.stop();
  ui.Label11->hide();
}

bool Form1::askToSaveOnClose() {
  return documents->askOnClose();
}

void Form1::Form_Unload(bool& cancel) {
  SaveSettings();
  if (editing) editing->closeFind();
  if (editor_->TextLength() > 0 && doc.Modified == 1 && !UnloadStarted) {
    if (!askToSaveOnClose()) {
      cancel = true;
      return;
    }
    UnloadStarted = true;
  }
  filesUnload(*this);
  if (services_.audio) {
    // Rewinding stops any sound before the process ends.
    services_.audio->sendString(QStringLiteral("seek wav1 to start"));
  }
}

void Form1::mnuEsci_Click() {
  UnloadStarted = false;
  close();
}

void Form1::closeEvent(QCloseEvent* e) {
  bool cancel = !exits->mayClose();
  if (!cancel) Form_Unload(cancel);
  if (cancel) {
    e->ignore();
    return;
  }
  e->accept();
  exits->finish();
}

void Form1::Form_KeyDown(int keyCode, int) {
  if (keyCode == 27) exits->escape();
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
  // The client area stands for the window; the panels keep their sizes and
  // only the editor grows and shrinks.
  const double W = ui.central->width() * ui::kTwipsPerPixel;
  const double H = ui.central->height() * ui::kTwipsPerPixel;
  // The panels sit 320 twips from the right edge; the editor frame ends
  // 120 twips before them so the two never overlap.
  twips::setLeft(ui.Picture2, W - twips::width(ui.Picture2) - 320);
  twips::setWidth(ui.Label1, twips::left(ui.Picture2) - 120 - twips::left(ui.Label1));
  // The menu bar and the window frame lie outside the client area, so the
  // bottom margin only leaves room for the notice line.
  twips::setHeight(ui.Label1, H - twips::top(ui.Label1) - 480);
  const double mx = twips::left(ui.RTB) - twips::left(ui.Label1);
  const double my = twips::top(ui.RTB) - twips::top(ui.Label1);
  twips::setWidth(ui.RTB, twips::width(ui.Label1) - 2 * mx);
  twips::setHeight(ui.RTB, twips::height(ui.Label1) - 2 * my);
  twips::setLeft(ui.Picture3, twips::left(ui.Picture2));
  twips::setWidth(ui.Line1, W);
  twips::setWidth(ui.Line2, W);
  twips::setTop(ui.WMP2, twips::top(ui.Picture3) + design::kVideoPreviewOffset);
  twips::setLeft(ui.WMP2, twips::left(ui.Picture3));
  twips::setWidth(ui.WMP2, twips::width(ui.Picture3));
  // The notice sits under the editor frame, across its width.
  twips::setGeometry(ui.Label11, twips::left(ui.Label1),
                     twips::top(ui.Label1) + twips::height(ui.Label1) + 60, twips::width(ui.Label1),
                     360);
}

}  // namespace scenova::app
