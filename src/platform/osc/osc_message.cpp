#include "osc_message.h"

#include <lo/lo.h>

#include <cstring>
#include <memory>

namespace scenova::platform {

QString OscMessage::types() const {
  QString t;
  for (const OscArg& a : args) t += QLatin1Char(a.tag ? a.tag : '?');
  return t;
}

namespace {

// The length of a padded OSC string at data (the text, its terminating
// zero and the padding to four bytes), or 0 when there is no zero in size.
std::size_t paddedStringLength(const char* data, std::size_t size) {
  const void* zero = std::memchr(data, 0, size);
  if (!zero) return 0;
  const std::size_t length = static_cast<const char*>(zero) - data + 1;
  const std::size_t padded = (length + 3) & ~std::size_t{3};
  return padded <= size ? padded : 0;
}

quint32 readBigEndian32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return (quint32{u[0]} << 24) | (quint32{u[1]} << 16) | (quint32{u[2]} << 8) | quint32{u[3]};
}

struct MessageFree {
  void operator()(lo_message m) const { lo_message_free(m); }
};

OscDecode decodeMessage(const char* data, std::size_t size, std::vector<OscMessage>& out) {
  if (size < 4 || size % 4 != 0 || data[0] != '/') return OscDecode::Malformed;
  const std::size_t pathLength = paddedStringLength(data, size);
  if (pathLength == 0) return OscDecode::Malformed;
  // liblo reads from a buffer it may write to: a copy of our own.
  std::vector<char> copy(data, data + size);
  int result = 0;
  std::unique_ptr<std::remove_pointer_t<lo_message>, MessageFree> m(
      lo_message_deserialise(copy.data(), copy.size(), &result));
  if (!m || result != 0) return OscDecode::Malformed;
  OscMessage message;
  message.address = QString::fromUtf8(data, static_cast<qsizetype>(std::strlen(data)));
  const char* types = lo_message_get_types(m.get());
  const int argc = lo_message_get_argc(m.get());
  lo_arg** argv = lo_message_get_argv(m.get());
  for (int i = 0; i < argc && types && types[i]; ++i) {
    OscArg arg;
    arg.tag = types[i];
    switch (types[i]) {
      case LO_INT32:
        arg.type = OscArg::Type::Int;
        // liblo packs the arguments as OSC does, four bytes apart, so a
        // 64-bit lo_arg is not aligned: copy the bytes out.
        std::memcpy(&arg.i, argv[i], sizeof arg.i);
        break;
      case LO_FLOAT:
        arg.type = OscArg::Type::Float;
        std::memcpy(&arg.f, argv[i], sizeof arg.f);
        break;
      case LO_STRING:
      case LO_SYMBOL:
        arg.type = OscArg::Type::Text;
        arg.text = QString::fromUtf8(reinterpret_cast<const char*>(argv[i]));
        break;
      default:
        break;
    }
    message.args << arg;
  }
  out.push_back(std::move(message));
  return OscDecode::Ok;
}

OscDecode decodeAny(const char* data, std::size_t size, int depth, std::vector<OscMessage>& out) {
  static constexpr char kBundle[] = "#bundle";
  if (size >= 16 && std::memcmp(data, kBundle, 8) == 0) {
    if (depth >= kMaxBundleDepth) return OscDecode::TooDeep;
    std::size_t at = 16;  // the tag and the time tag
    while (at < size) {
      if (size - at < 4) return OscDecode::Malformed;
      const quint32 length = readBigEndian32(data + at);
      at += 4;
      if (length == 0 || length % 4 != 0 || length > size - at) return OscDecode::Malformed;
      const OscDecode d = decodeAny(data + at, length, depth + 1, out);
      if (d != OscDecode::Ok) return d;
      if (out.size() > static_cast<std::size_t>(kMaxMessagesPerPacket)) return OscDecode::TooMany;
      at += length;
    }
    return OscDecode::Ok;
  }
  return decodeMessage(data, size, out);
}

}  // namespace

OscDecode decodeOscPacket(const char* data, std::size_t size, std::vector<OscMessage>& out) {
  if (size > kMaxOscPacket) return OscDecode::TooLarge;
  if (!data || size == 0) return OscDecode::Malformed;
  std::vector<OscMessage> messages;
  const OscDecode d = decodeAny(data, size, 0, messages);
  if (d != OscDecode::Ok) return d;
  for (OscMessage& m : messages) out.push_back(std::move(m));
  return OscDecode::Ok;
}

QByteArray encodeOscMessage(const OscMessage& message) {
  const QByteArray path = message.address.toUtf8();
  if (!path.startsWith('/') || path.contains('\0')) return {};
  std::unique_ptr<std::remove_pointer_t<lo_message>, MessageFree> m(lo_message_new());
  for (const OscArg& a : message.args) {
    switch (a.type) {
      case OscArg::Type::Int:
        lo_message_add_int32(m.get(), a.i);
        break;
      case OscArg::Type::Float:
        lo_message_add_float(m.get(), a.f);
        break;
      case OscArg::Type::Text:
        lo_message_add_string(m.get(), a.text.toUtf8().constData());
        break;
      case OscArg::Type::Other:
        return {};
    }
  }
  const std::size_t length = lo_message_length(m.get(), path.constData());
  QByteArray packet(static_cast<qsizetype>(length), '\0');
  std::size_t written = length;
  if (!lo_message_serialise(m.get(), path.constData(), packet.data(), &written)) return {};
  packet.truncate(static_cast<qsizetype>(written));
  return packet;
}

}  // namespace scenova::platform
