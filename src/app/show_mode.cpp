#include "show_mode.h"

#include "audio/layer_operations.h"
#include "audio/volume_operations.h"
#include "form1.h"
#include "platform/rtb/rtb.h"
#include "script/cue_engine.h"
#include "script/cue_sheet.h"
#include "script/markup.h"
#include "script/network_cue.h"
#include "video/video_operations.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace scenova::app {

namespace {

// Language texts of show mode, with the built-in Italian texts for a
// language file that lacks them. (The menu captions are the window's.)
enum Text {
  kTitleWord = 181,
  kEndOfCues = 182,
  kMissingCount = 183,
  kAllFound = 184,
  kBadWait = 263,
  kWaitsCancelled = 264,
  kBadWaitCount = 265,
  kHostUnknown = 327,
};

QString builtIn(int index) {
  switch (index) {
    case kTitleWord:
      return QStringLiteral("SPETTACOLO");
    case kEndOfCues:
      return QStringLiteral("Fine dei cue: non c'è un cue successivo");
    case kMissingCount:
      return QStringLiteral("Cue con il file mancante:");
    case kAllFound:
      return QStringLiteral("Tutti i file dei cue sono stati trovati");
    case kBadWait:
      return QStringLiteral(
          "Wait: il tempo deve essere da 0.1 a 600 secondi; i cue seguenti aspettano il GO");
    case kWaitsCancelled:
      return QStringLiteral("Attese dei gruppi di cue annullate:");
    case kBadWaitCount:
      return QStringLiteral("Wait con un tempo non valido (da 0.1 a 600 s):");
    case kHostUnknown:
      return QStringLiteral("Cue di rete: il nome dell'host non si risolve:");
    default:
      return {};
  }
}

// The frame round the editor while the show runs.
const char* const kShowFrame = "background: #d9480f; border: none;";

void setEnabled(QObject* o, bool on) {
  if (auto* a = qobject_cast<QAction*>(o)) a->setEnabled(on);
  if (auto* w = qobject_cast<QWidget*>(o)) {
    w->setEnabled(on);
    // The toolbar's pictures and letters do not grey by themselves: they
    // fade while they cannot be used.
    if (qobject_cast<ui::Control*>(w)) {
      QGraphicsOpacityEffect* faded = nullptr;
      if (!on) {
        faded = new QGraphicsOpacityEffect(w);
        faded->setOpacity(0.3);
      }
      w->setGraphicsEffect(faded);
    }
  }
}

bool isEnabled(const QObject* o) {
  if (const auto* a = qobject_cast<const QAction*>(o)) return a->isEnabled();
  if (const auto* w = qobject_cast<const QWidget*>(o)) return w->isEnabled();
  return false;
}

}  // namespace

ShowMode::ShowMode(Form1& form, script::CueEngine& cues, video::VideoOperations& video,
                   audio::VolumeOperations& volume, audio::LayerOperations& layers)
    : QObject(&form),
      form_(form),
      cues_(cues),
      video_(video),
      volume_(volume),
      layers_(layers),
      marks_(*form.editor()),
      next_(*form.editor(), marks_, cues.activation(), this),
      broken_(
          *form.editor(), marks_, [this](QStringView content) { return isMissing(content); },
          this) {
  const MainControls& ui = form.ui();
  connect(ui.mnuShowMode, &QAction::triggered, this, [this](bool checked) { setOn(checked); });
  connect(ui.mnuCheckCues, &QAction::triggered, this, &ShowMode::checkCues);
  connect(&form, &Form1::languageApplied, this, &ShowMode::applyTitleWord);
  connect(&broken_, &script::BrokenCues::checked, this, &ShowMode::announce);
  connect(&hosts_, &platform::HostLookups::answered, this,
          [this](const QString&, bool resolves, bool changed) { hostAnswered(resolves, changed); });
  next_.groups().setNotices({[this] {
                               return form_.ui().Label11->isHidden()
                                          ? QString()
                                          : form_.ui().Label11->caption();
                             },
                             [this](const QString& notice) { form_.ShowNotice(notice); },
                             [this] { return text(kBadWait); }});
}

ShowMode::~ShowMode() {
  if (on_) qApp->removeEventFilter(this);
}

QString ShowMode::text(int index) const {
  const QString t = form_.lang()[index];
  return t.isEmpty() ? builtIn(index) : t;
}

void ShowMode::setOn(bool on) {
  form_.ui().mnuShowMode->setChecked(on);
  if (on == on_) return;
  on_ = on;
  platform::RTB* editor = form_.editor();
  if (on) {
    editor->setReadOnly(true);
    lockEditing(true);
    frameStyle_ = form_.ui().Label1->styleSheet();
    form_.ui().Label1->setStyleSheet(QLatin1StringView(kShowFrame));
    qApp->installEventFilter(this);
    checkAll();
    next_.start();
    editor->setFocus();
  } else {
    qApp->removeEventFilter(this);
    next_.stop();
    form_.ui().Label1->setStyleSheet(frameStyle_);
    lockEditing(false);
    editor->setReadOnly(false);
  }
  applyTitleWord();
}

// The commands that change the script, off while the show runs.
void ShowMode::lockEditing(bool lock) {
  if (!lock) {
    for (const QPointer<QObject>& o : std::as_const(locked_))
      if (o) setEnabled(o, true);
    locked_.clear();
    return;
  }
  const MainControls& ui = form_.ui();
  QList<QObject*> editing{
      ui.mnuAnnulla,    ui.mnuRipeti, ui.mnuTaglia,      ui.mnuIncolla, ui.mnuAggiungiMultimedia,
      ui.mnuAddCommand, ui.mnuAddImg, ui.mnuSostituisci, ui.Combo1,     ui.Combo2};
  // Toolbar: formatting (4 to 14), insert media (15), Add Command (16).
  for (size_t i = 4; i < ui.Label2.size(); ++i) editing << ui.Label2[i];
  for (Control* letter : ui.Label3) editing << letter;  // over the buttons 4 to 7
  for (QObject* o : editing) {
    if (!o || !isEnabled(o)) continue;
    setEnabled(o, false);
    locked_ << o;
  }
}

bool ShowMode::go() {
  if (!on_) return false;
  if (next_.go()) return true;
  form_.ShowNotice(text(kEndOfCues));
  return false;
}

void ShowMode::stopAll() {
  // First the groups' waits, so that nothing fires after the stop.
  if (const int dropped = next_.cancelWaits(); dropped > 0)
    form_.ShowNotice(text(kWaitsCancelled) + QLatin1Char(' ') + QString::number(dropped));
  const MainControls& ui = form_.ui();
  // The Stop buttons of the panels, as far as the panels are in use.
  if (ui.cmdStopA->isEnabled()) cues_.transport().cmdStopA_Click();
  if (!ui.Picture3->isHidden()) video_.cmdStopV_Click();
  volume_.cancelFade();
  // The sound layers stop too: Stop all leaves nothing sounding.
  layers_.stopAll();
}

void ShowMode::checkCues() {
  checkAll();
}

// The operator asked: the hosts are looked up again too (the network may
// have changed); their old answers stand until the new ones come.
void ShowMode::checkAll() {
  hosts_.refresh();
  explicitCheck_ = true;
  broken_.check(true);
  explicitCheck_ = false;
}

// A host's answer changed the marks: a host that does not resolve is said
// at once; one that now resolves only loses its mark.
void ShowMode::hostAnswered(bool resolves, bool changed) {
  if (changed) broken_.check(!resolves);
}

void ShowMode::scriptSaved() {
  if (scriptFolder() != checkedFolder_) broken_.checkSoon();
}

QString ShowMode::scriptFolder() const {
  const QString path = form_.doc().DocumentPath;
  return path.isEmpty() ? QDir::currentPath() : QFileInfo(path).absolutePath();
}

bool ShowMode::isMissing(QStringView content) const {
  const QString kind = script::describeCue(content, scriptFolder(), form_.programFolder()).kind;
  if (kind == QLatin1StringView("network")) {
    const auto cue = script::readNetworkCue(script::trimBlanks(content));
    return cue && hosts_.answer(cue->host) == platform::HostLookups::Answer::DoesNotResolve;
  }
  return kind == QLatin1StringView("missing") || kind == QLatin1StringView("invalid");
}

void ShowMode::announce(int cues, int broken, bool announce) {
  checkedFolder_ = scriptFolder();
  if (!announce) return;
  // The waits among the marked cues are told apart from the missing files.
  // So are the network cues whose host does not resolve, named.
  int waits = 0;
  int networkCues = 0;
  QStringList hosts;
  for (const script::CueBounds& cue : marks_.broken()) {
    const QString content = form_.editor()->Mid(cue.contentStart(), cue.contentLength());
    const QString trimmed = script::trimBlanks(content);
    if (script::recogniseWait(trimmed)) {
      ++waits;
    } else if (const auto network = script::readNetworkCue(trimmed)) {
      ++networkCues;
      if (!hosts.contains(network->host)) hosts << network->host;
    }
  }
  const int files = broken - waits - networkCues;
  QStringList said;
  if (files > 0) said << text(kMissingCount) + QLatin1Char(' ') + QString::number(files);
  if (waits > 0) said << text(kBadWaitCount) + QLatin1Char(' ') + QString::number(waits);
  if (!hosts.isEmpty())
    said << text(kHostUnknown) + QLatin1Char(' ') + hosts.join(QStringLiteral(", "));
  if (!said.isEmpty())
    form_.ShowNotice(said.join(QStringLiteral("  \u00b7  ")));
  else if (cues > 0 || explicitCheck_)
    form_.ShowNotice(text(kAllFound));
}

// The word in the title says the show runs.
void ShowMode::applyTitleWord() {
  form_.setTitleWord(on_ ? QStringLiteral(" [") + text(kTitleWord) + QLatin1Char(']') : QString());
}

bool ShowMode::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::InputMethod)
    return false;
  // Keys for the main window and the show windows (the projector takes the
  // focus when it comes up): dialogs, menus and the keyboard use of the
  // menu bar keep theirs.
  const auto* widget = qobject_cast<QWidget*>(watched);
  if (!on_ || !widget || qobject_cast<QMenuBar*>(watched)) return false;
  const QWidget* window = widget->window();
  if (window != &form_ && !video_.isShowWindow(window)) return false;
  if (type == QEvent::KeyPress) handleKey(*static_cast<QKeyEvent*>(event));
  return true;
}

void ShowMode::handleKey(const QKeyEvent& key) {
  // A held key fires once: only the operator's own presses are GOs.
  const bool press = !key.isAutoRepeat();
  const bool plain =
      !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  switch (key.key()) {
    case Qt::Key_Space:
      if (press && plain) go();
      break;
    case Qt::Key_Enter:
      if (press && (key.modifiers() & Qt::KeypadModifier)) go();
      break;
    case Qt::Key_Up:
    case Qt::Key_PageUp:
      next_.previous();
      break;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
      next_.next();
      break;
    case Qt::Key_Home:
      next_.first();
      break;
    case Qt::Key_Escape:
      stopAll();
      break;
    default:
      break;
  }
}

}  // namespace scenova::app
