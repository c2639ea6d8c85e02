#pragma once

// Options, Remote control...: a window of its own (not modal, so the show
// goes on while it is open) with remote control on or off, the UDP port,
// who may send, the MIDI input and its mapping. OK applies and keeps the
// settings; Cancel leaves them.

#include "remote/remote_settings.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace scenova::ui {
class LanguageTable;
}

namespace scenova::app {

class RemoteControl;

class RemoteDialog : public QDialog {
  Q_OBJECT
 public:
  RemoteDialog(RemoteControl& control, const ui::LanguageTable& lang, QWidget* parent);

  // Shows the settings that apply now.
  void load();
  // What the fields say; nullopt (and a message in the dialog) when an
  // allowed address is not an address.
  std::optional<remote::RemoteSettings> settings();
  // The field of a command's MIDI triggers (for learning and for tests).
  QLineEdit* triggers(remote::RemoteCommand command) const;
  // A MIDI message's trigger arrived: the learning field takes it.
  void learned(const QString& trigger);
  // OK: applies and keeps the settings unless an address is wrong.
  void accept() override;

 Q_SIGNALS:
  // A Learn button was pressed: the next MIDI message goes to that field.
  void learnRequested();

 private:
  RemoteControl& control_;
  const ui::LanguageTable& lang_;
  QCheckBox* enabled_ = nullptr;
  QSpinBox* port_ = nullptr;
  QRadioButton* loopback_ = nullptr;
  QRadioButton* network_ = nullptr;
  QLineEdit* allowed_ = nullptr;
  QCheckBox* midi_ = nullptr;
  std::array<QLineEdit*, std::size(remote::kMidiCommands)> triggers_{};
  QLineEdit* learning_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace scenova::app
