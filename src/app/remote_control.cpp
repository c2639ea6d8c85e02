#include "remote_control.h"

#include "form1.h"
#include "platform/midi/midi_input.h"
#include "platform/osc/osc_sender.h"
#include "platform/osc/osc_server.h"
#include "platform/rtb/rtb.h"
#include "platform/safe_read.h"
#include "platform/safe_write.h"
#include "remote_dialog.h"
#include "remote_texts.h"
#include "script/cue_engine.h"
#include "script/editor_source.h"
#include "script/interpreter.h"
#include "script/markup.h"
#include "script/network_cue.h"
#include "show_mode.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

namespace scenova::app {

namespace {

constexpr qint64 kMaxSettingsBytes = 64 * 1024;

// Whether a cue's content is the text a remote command names: its
// canonical command text, or its content as written (a file name).
bool cueMatches(QStringView content, const QString& wanted) {
  const QStringView trimmed = script::trimBlanks(content);
  if (trimmed.compare(wanted, Qt::CaseInsensitive) == 0) return true;
  if (const script::RecognisedCommand command = script::recogniseCommand(trimmed, true, true))
    return script::typedCanonical(command).compare(wanted, Qt::CaseInsensitive) == 0;
  if (const std::optional<script::NetworkCue> cue = script::readNetworkCue(trimmed))
    return cue->canonical.compare(wanted, Qt::CaseInsensitive) == 0;
  return false;
}

}  // namespace

RemoteControl::RemoteControl(Form1& form, ShowMode& show, script::CueEngine& cues)
    : QObject(&form),
      form_(form),
      show_(show),
      cues_(cues),
      commandLinePort_(form.services().remotePort
                           ? std::optional<quint16>(form.services().remotePort)
                           : std::nullopt),
      dispatch_(*this),
      sender_(std::make_unique<platform::OscSender>()) {
  clock_.start();
  QByteArray bytes;
  if (platform::readRegularFile(settingsFile(), kMaxSettingsBytes, &bytes))
    settings_ = remote::RemoteSettings::parse(bytes);
  menuItem_ = form.ui().mnuOpzioni->addAction(text(kRemoteMenu));
  menuItem_->setObjectName(QStringLiteral("mnuRemoteControl"));
  connect(menuItem_, &QAction::triggered, this, &RemoteControl::openDialog);
  connect(&form, &Form1::languageApplied, this, [this] { menuItem_->setText(text(kRemoteMenu)); });
  stateTick_.setInterval(static_cast<int>(remote::RemoteDispatch::kStateIntervalMs));
  connect(&stateTick_, &QTimer::timeout, this, &RemoteControl::tick);
  connect(sender_.get(), &platform::OscSender::failed, this,
          [](const QString&, quint16, const QString&) {
            // An answer that did not go out: the subscriber asks again.
          });
  // Once the window is up, so that a notice about the port is seen.
  QTimer::singleShot(0, this, &RemoteControl::apply);
}

RemoteControl::~RemoteControl() = default;

QString RemoteControl::text(int index) const {
  return remoteText(form_.lang(), index);
}

QString RemoteControl::settingsFile() const {
  const QString ini = form_.services().settingsPath;
  if (ini.isEmpty()) return {};
  return QFileInfo(ini).absolutePath() + QStringLiteral("/Remote.ini");
}

void RemoteControl::change(const remote::RemoteSettings& settings) {
  settings_ = settings;
  commandLinePort_.reset();  // the operator's choice replaces the command line's
  if (!settingsFile().isEmpty()) platform::writeFileAtomically(settingsFile(), settings_.format());
  apply();
}

void RemoteControl::apply() {
  server_.reset();
  midi_.reset();
  platform::OscListen how;
  if (commandLinePort_) {
    how.port = *commandLinePort_;
  } else if (settings_.enabled) {
    how.port = settings_.port;
    how.network = settings_.network;
    for (const QString& a : settings_.allowed) how.allowed << QHostAddress(a);
  } else {
    return;
  }
  QString notice;
  auto server = std::make_unique<platform::OscServer>();
  QString why;
  if (server->listen(how, &why)) {
    connect(server.get(), &platform::OscServer::received, this, &RemoteControl::received);
    server_ = std::move(server);
    notice = text(kRemoteListening) + QLatin1Char(' ') + QString::number(server_->port());
  } else {
    notice = text(kRemotePortUnusable) + QLatin1Char(' ') + QString::number(how.port) +
             QStringLiteral(" (") + why + QLatin1Char(')');
  }
  if (settings_.midi) notice += QStringLiteral(". ") + openMidi();
  form_.ShowNotice(notice);
}

QString RemoteControl::openMidi() {
  auto midi = std::make_unique<platform::MidiInput>();
  QString why;
  if (!midi->open(&why)) return text(kRemoteMidiUnavailable) + QLatin1Char(' ') + why;
  connect(midi.get(), &platform::MidiInput::received, this, &RemoteControl::midiReceived);
  midi_ = std::move(midi);
  return text(kRemoteMidiOpen) + QStringLiteral(" (") + midi_->system() + QLatin1Char(')');
}

void RemoteControl::midiReceived(const QByteArray& message) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(message.constData());
  const auto size = static_cast<std::size_t>(message.size());
  if (learning_ && dialog_) {
    if (const std::optional<QString> trigger = remote::midiTrigger(bytes, size)) {
      learning_ = false;
      dialog_->learned(*trigger);
    }
    return;
  }
  const std::optional<remote::RemoteCommand> command = settings_.mapping.commandFor(bytes, size);
  if (!command) {
    dispatch_.countDropped();
    return;
  }
  dispatch_.perform({*command, {}}, clock_.elapsed());
  afterCommand();
}

bool RemoteControl::listening() const {
  return server_ && server_->listening();
}

quint16 RemoteControl::port() const {
  return server_ ? server_->port() : 0;
}

quint64 RemoteControl::dropped() const {
  return dispatch_.dropped() + (server_ ? server_->dropped() : 0) + (midi_ ? midi_->dropped() : 0);
}

void RemoteControl::received(const platform::OscMessage& message, const QString& sender) {
  dispatch_.handle(message, sender, clock_.elapsed());
  afterCommand();
}

void RemoteControl::afterCommand() {
  if (dispatch_.hasSubscribers()) {
    dispatch_.publish(clock_.elapsed());
    if (!stateTick_.isActive()) stateTick_.start();
  } else {
    stateTick_.stop();
  }
}

void RemoteControl::tick() {
  dispatch_.publish(clock_.elapsed());
  if (!dispatch_.hasSubscribers()) stateTick_.stop();
}

void RemoteControl::openDialog() {
  if (!dialog_) {
    dialog_ = new RemoteDialog(*this, form_.lang(), &form_);
    connect(dialog_, &RemoteDialog::learnRequested, this, [this] { learning_ = true; });
    connect(dialog_, &QDialog::finished, this, [this] { learning_ = false; });
  }
  dialog_->load();
  dialog_->show();
  dialog_->raise();
  dialog_->activateWindow();
}

bool RemoteControl::inShow() const {
  return show_.isOn();
}

void RemoteControl::go() {
  show_.go();
}

void RemoteControl::stopAll() {
  show_.stopAll();
}

void RemoteControl::markNext() {
  show_.nextCue().next();
}

void RemoteControl::markPrevious() {
  show_.nextCue().previous();
}

void RemoteControl::markFirst() {
  show_.nextCue().first();
}

bool RemoteControl::fireCue(const QString& wanted) {
  platform::RTB& editor = *form_.editor();
  const script::EditorSource source(editor);
  for (auto cue = script::cueAtOrAfter(source, 0); cue;
       cue = script::cueAtOrAfter(source, cue->end())) {
    if (!cueMatches(editor.Mid(cue->contentStart(), cue->contentLength()), wanted)) continue;
    // Exactly as a click just before its closing pair; the mark follows.
    editor.SetSelStart(cue->close);
    Q_EMIT editor.Click();
    return true;
  }
  return false;
}

void RemoteControl::refused(remote::RemoteCommand command) {
  if (command == remote::RemoteCommand::Cue && inShow())
    form_.ShowNotice(text(kRemoteCueNotFound));
  else
    form_.ShowNotice(text(kRemoteNotInShow));
}

void RemoteControl::reply(const QString& sender, const platform::OscMessage& message) {
  const qsizetype colon = sender.lastIndexOf(QLatin1Char(':'));
  if (colon <= 0) return;
  const auto port = remote::readPort(sender.mid(colon + 1));
  const QByteArray packet = platform::encodeOscMessage(message);
  if (port && !packet.isEmpty()) sender_->send(sender.left(colon), *port, packet);
}

remote::ShowState RemoteControl::state() const {
  remote::ShowState s;
  platform::RTB& editor = *form_.editor();
  if (show_.isOn()) {
    if (const auto mark = show_.nextCue().mark())
      s.nextCue = script::trimBlanks(editor.Mid(mark->contentStart(), mark->contentLength()));
  }
  if (const auto fired = cues_.activation().firedCue())
    s.lastCue = script::trimBlanks(editor.Mid(fired->start, fired->end - fired->start));
  const QString playing = form_.lang()[8];
  s.audio = !playing.isEmpty() && form_.ui().cmdPlayA->Tag == playing;
  s.video = !playing.isEmpty() && form_.ui().cmdPlayV->Tag == playing;
  s.counter = form_.ui().lblContatore->caption();
  return s;
}

}  // namespace scenova::app
