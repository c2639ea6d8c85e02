#pragma once

// Remote control of the show over OSC (and MIDI): the glue between the
// listening thread of the platform, the widget-free dispatch of
// src/remote and the window's show mode. Off by default; Options, Remote
// control... turns it on and keeps the choice in Remote.ini beside the
// settings file. "--remote PORT" turns it on for one run on the loopback
// address only. The MIDI input port "Scenova" opens with it (unless the
// dialog turns MIDI off) and maps MIDI messages to the same commands.
//
// The interface thread never waits on the network: packets arrive as
// queued signals, answers go out through the sending thread. While nobody
// subscribes there is no timer; with subscribers the show's state is
// compared 20 times a second and sent when it changed.

#include "remote/remote_dispatch.h"
#include "remote/remote_settings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class QAction;

namespace scenova::platform {
class OscServer;
class OscSender;
class MidiInput;
}  // namespace scenova::platform

namespace scenova::script {
class CueEngine;
}

namespace scenova::app {

class Form1;
class ShowMode;
class RemoteDialog;

class RemoteControl : public QObject, public remote::RemoteTarget {
  Q_OBJECT
 public:
  RemoteControl(Form1& form, ShowMode& show, script::CueEngine& cues);
  ~RemoteControl() override;

  // The settings as they apply now and where they are kept.
  const remote::RemoteSettings& settings() const { return settings_; }
  // Applies new settings (listens again) and writes them to Remote.ini.
  void change(const remote::RemoteSettings& settings);
  // Whether the OSC server listens, and on which port.
  bool listening() const;
  quint16 port() const;
  quint64 dropped() const;
  QAction* menuItem() const { return menuItem_; }
  void openDialog();

  // remote::RemoteTarget
  bool inShow() const override;
  void go() override;
  void stopAll() override;
  void markNext() override;
  void markPrevious() override;
  void markFirst() override;
  bool fireCue(const QString& text) override;
  void refused(remote::RemoteCommand command) override;
  void reply(const QString& sender, const platform::OscMessage& message) override;
  remote::ShowState state() const override;

 private:
  void apply();
  void received(const platform::OscMessage& message, const QString& sender);
  void midiReceived(const QByteArray& message);
  QString openMidi();
  void tick();
  void afterCommand();
  QString text(int index) const;
  QString settingsFile() const;

  Form1& form_;
  ShowMode& show_;
  script::CueEngine& cues_;
  remote::RemoteSettings settings_;
  std::optional<quint16> commandLinePort_;  // --remote PORT for this run
  remote::RemoteDispatch dispatch_;
  std::unique_ptr<platform::OscServer> server_;
  std::unique_ptr<platform::OscSender> sender_;
  std::unique_ptr<platform::MidiInput> midi_;
  bool learning_ = false;  // the dialog's Learn waits for the next MIDI message
  QTimer stateTick_;
  QElapsedTimer clock_;
  QAction* menuItem_ = nullptr;
  QPointer<RemoteDialog> dialog_;
};

}  // namespace scenova::app
