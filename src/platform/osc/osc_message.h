#pragma once

// One Open Sound Control message as the program uses it, and the packets
// that carry messages over UDP. Decoding and encoding go through liblo; this
// file only walks bundles (with a bound on their depth) and turns liblo's
// arguments into plain values.

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

#include <cstddef>
#include <vector>

namespace scenova::platform {

struct OscArg {
  enum class Type { Int, Float, Text, Other };
  Type type = Type::Other;
  qint32 i = 0;
  float f = 0;
  QString text;
  char tag = 0;  // the OSC type tag as sent ('i', 'f', 's', ...)

  static OscArg integer(qint32 v) { return {Type::Int, v, 0, {}, 'i'}; }
  static OscArg real(float v) { return {Type::Float, 0, v, {}, 'f'}; }
  static OscArg string(const QString& v) { return {Type::Text, 0, 0, v, 's'}; }
};

struct OscMessage {
  QString address;
  QList<OscArg> args;
  // The type tags without the comma ("is" for an integer and a text).
  QString types() const;
};

// The largest packet the program reads; a bigger one is dropped unread.
inline constexpr std::size_t kMaxOscPacket = 8192;
// Bundles inside bundles deeper than this are dropped whole.
inline constexpr int kMaxBundleDepth = 4;
// At most this many messages are taken from one packet.
inline constexpr int kMaxMessagesPerPacket = 32;

enum class OscDecode { Ok, Malformed, TooLarge, TooDeep, TooMany };

// Decodes a packet (one message or a bundle) into out. Anything but Ok
// leaves out as it was: a packet is taken whole or not at all.
OscDecode decodeOscPacket(const char* data, std::size_t size, std::vector<OscMessage>& out);

// The packet of one message; empty when the message cannot be encoded (an
// address not starting with "/", an argument of another type).
QByteArray encodeOscMessage(const OscMessage& message);

}  // namespace scenova::platform

Q_DECLARE_METATYPE(scenova::platform::OscMessage)
