#pragma once

// How remote control is set up, kept in its own file beside the settings
// file (Remote.ini), so that the eight lines of Scenova.ini keep their
// meaning. One "key=value" a line:
//
//   enabled=0            remote control on (1) or off (0, the default)
//   port=53530           the UDP port for OSC
//   network=0            0: this computer only (the loopback address);
//                        1: the local network, from the allowed senders
//   allowed=A B ...      the senders' addresses the local network may use
//   midi=1               the MIDI input port "Scenova" with remote control
//   midi.go=msc:go note:60   one line per command: its MIDI triggers
//
// Unknown keys and broken values are ignored (the default stays).

#include "remote/midi_mapping.h"

#include <QByteArray>
#include <QStringList>

namespace scenova::remote {

inline constexpr quint16 kDefaultPort = 53530;

struct RemoteSettings {
  bool enabled = false;
  quint16 port = kDefaultPort;
  bool network = false;
  QStringList allowed;
  bool midi = true;
  MidiMapping mapping = MidiMapping::defaults();
  friend bool operator==(const RemoteSettings&, const RemoteSettings&) = default;

  static RemoteSettings parse(QByteArrayView bytes);
  QByteArray format() const;
};

// The port of "--remote PORT": 1..65535, digits only.
std::optional<quint16> readPort(const QString& text);

}  // namespace scenova::remote
