#include "remote_dialog.h"

#include "remote_control.h"
#include "remote_texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace scenova::app {

namespace {

int captionOf(remote::RemoteCommand c) {
  switch (c) {
    case remote::RemoteCommand::Go:
      return kRemoteGo;
    case remote::RemoteCommand::Stop:
      return kRemoteStop;
    case remote::RemoteCommand::Next:
      return kRemoteNext;
    case remote::RemoteCommand::Previous:
      return kRemotePrevious;
    default:
      return kRemoteFirst;
  }
}

}  // namespace

RemoteDialog::RemoteDialog(RemoteControl& control, const ui::LanguageTable& lang, QWidget* parent)
    : QDialog(parent), control_(control), lang_(lang) {
  setObjectName(QStringLiteral("RemoteDialog"));
  setWindowTitle(remoteText(lang, kRemoteTitle));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  enabled_ = new QCheckBox(remoteText(lang, kRemoteOn), this);
  enabled_->setObjectName(QStringLiteral("remoteEnabled"));
  layout->addWidget(enabled_);

  auto* form = new QFormLayout;
  port_ = new QSpinBox(this);
  port_->setObjectName(QStringLiteral("remotePort"));
  port_->setRange(1, 65535);
  form->addRow(remoteText(lang, kRemotePort), port_);
  layout->addLayout(form);

  auto* who = new QGroupBox(remoteText(lang, kRemoteWho), this);
  auto* whoLayout = new QVBoxLayout(who);
  loopback_ = new QRadioButton(remoteText(lang, kRemoteLoopback), who);
  loopback_->setObjectName(QStringLiteral("remoteLoopback"));
  network_ = new QRadioButton(remoteText(lang, kRemoteNetwork), who);
  network_->setObjectName(QStringLiteral("remoteNetwork"));
  allowed_ = new QLineEdit(who);
  allowed_->setObjectName(QStringLiteral("remoteAllowed"));
  allowed_->setPlaceholderText(remoteText(lang, kRemoteAllowed));
  whoLayout->addWidget(loopback_);
  whoLayout->addWidget(network_);
  whoLayout->addWidget(allowed_);
  layout->addWidget(who);
  connect(network_, &QRadioButton::toggled, allowed_, &QLineEdit::setEnabled);

  midi_ = new QCheckBox(remoteText(lang, kRemoteMidi), this);
  midi_->setObjectName(QStringLiteral("remoteMidi"));
  layout->addWidget(midi_);
  auto* mapping = new QGroupBox(remoteText(lang, kRemoteMapping), this);
  auto* mapLayout = new QFormLayout(mapping);
  for (std::size_t i = 0; i < triggers_.size(); ++i) {
    const remote::RemoteCommand c = remote::kMidiCommands[i];
    auto* row = new QHBoxLayout;
    triggers_[i] = new QLineEdit(mapping);
    triggers_[i]->setObjectName(QStringLiteral("remoteMidi_") + remote::commandName(c));
    auto* learn = new QPushButton(remoteText(lang, kRemoteLearn), mapping);
    learn->setObjectName(QStringLiteral("remoteLearn_") + remote::commandName(c));
    connect(learn, &QPushButton::clicked, this, [this, i] {
      learning_ = triggers_[i];
      status_->setText(remoteText(lang_, kRemoteLearning));
      Q_EMIT learnRequested();
    });
    row->addWidget(triggers_[i]);
    row->addWidget(learn);
    mapLayout->addRow(remoteText(lang, captionOf(c)), row);
  }
  layout->addWidget(mapping);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("remoteStatus"));
  status_->setWordWrap(true);
  layout->addWidget(status_);
  auto* hint = new QLabel(remoteText(lang, kRemoteHint), this);
  hint->setWordWrap(true);
  layout->addWidget(hint);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &RemoteDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &RemoteDialog::reject);
  layout->addWidget(buttons);
}

void RemoteDialog::load() {
  const remote::RemoteSettings& s = control_.settings();
  enabled_->setChecked(s.enabled);
  port_->setValue(s.port);
  loopback_->setChecked(!s.network);
  network_->setChecked(s.network);
  allowed_->setEnabled(s.network);
  allowed_->setText(s.allowed.join(QLatin1Char(' ')));
  midi_->setChecked(s.midi);
  for (std::size_t i = 0; i < triggers_.size(); ++i)
    triggers_[i]->setText(s.mapping.triggersOf(remote::kMidiCommands[i]));
  learning_ = nullptr;
  QString status;
  if (control_.listening())
    status = remoteText(lang_, kRemoteListening) + QLatin1Char(' ') +
             QString::number(control_.port()) + QStringLiteral(". ");
  status +=
      remoteText(lang_, kRemoteDropped) + QLatin1Char(' ') + QString::number(control_.dropped());
  status_->setText(status);
}

QLineEdit* RemoteDialog::triggers(remote::RemoteCommand command) const {
  for (std::size_t i = 0; i < triggers_.size(); ++i)
    if (remote::kMidiCommands[i] == command) return triggers_[i];
  return nullptr;
}

void RemoteDialog::learned(const QString& trigger) {
  if (!learning_) return;
  learning_->setText(trigger);
  learning_ = nullptr;
  status_->setText(remoteText(lang_, kRemoteLearned) + QLatin1Char(' ') + trigger);
}

std::optional<remote::RemoteSettings> RemoteDialog::settings() {
  remote::RemoteSettings s = control_.settings();
  s.enabled = enabled_->isChecked();
  s.port = static_cast<quint16>(port_->value());
  s.network = network_->isChecked();
  s.allowed.clear();
  for (const QString& a : allowed_->text().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    if (QHostAddress(a).isNull()) {
      status_->setText(remoteText(lang_, kRemoteBadAddress) + QLatin1Char(' ') + a);
      return std::nullopt;
    }
    s.allowed << a;
  }
  s.midi = midi_->isChecked();
  for (std::size_t i = 0; i < triggers_.size(); ++i)
    s.mapping.setTriggers(remote::kMidiCommands[i], triggers_[i]->text());
  return s;
}

void RemoteDialog::accept() {
  const std::optional<remote::RemoteSettings> s = settings();
  if (!s) return;
  control_.change(*s);
  QDialog::accept();
}

}  // namespace scenova::app
