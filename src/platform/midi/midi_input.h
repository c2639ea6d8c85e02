#pragma once

// The MIDI input port "Scenova" through RtMidi: the ALSA sequencer where
// the kernel offers it (/dev/snd/seq), a JACK server otherwise. Messages
// arrive on RtMidi's own thread and reach the interface thread as queued
// signals; like the OSC listener, it bounds what a flood can hand over
// (kMaxDelivered a second, a burst of as many) and counts the rest.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

namespace scenova::platform {

class MidiInput : public QObject {
  Q_OBJECT
 public:
  static constexpr int kMaxDelivered = 200;
  static constexpr int kMaxQueued = 64;

  explicit MidiInput(QObject* parent = nullptr);
  ~MidiInput() override;

  // Opens the port; false, with the reason, when neither the ALSA
  // sequencer nor a JACK server can be had.
  bool open(QString* error = nullptr);
  void close();
  bool isOpen() const;
  // "ALSA" or "JACK" while open.
  QString system() const { return system_; }
  quint64 dropped() const;

 Q_SIGNALS:
  // One complete MIDI message (a system-exclusive one whole).
  void received(const QByteArray& message);

 public:
  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
  struct Port;
  std::unique_ptr<Port> port_;
  QString system_;
};

}  // namespace scenova::platform
