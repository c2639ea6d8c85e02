#pragma once

// An OSC client for end-to-end tests: sends messages to the program over
// the loopback address and keeps what comes back (pongs, states).

#include "platform/osc/osc_message.h"

#include <QNetworkDatagram>
#include <QTest>
#include <QUdpSocket>

#include <vector>

namespace scenova::test {

class OscClient {
 public:
  OscClient() { socket_.bind(QHostAddress::LocalHost, 0); }

  // A UDP port on the loopback address that nobody holds right now.
  static quint16 freePort() {
    QUdpSocket s;
    s.bind(QHostAddress::LocalHost, 0);
    return s.localPort();
  }

  void send(quint16 port, const char* address, QList<platform::OscArg> args = {}) {
    socket_.writeDatagram(
        platform::encodeOscMessage({QString::fromLatin1(address), std::move(args)}),
        QHostAddress::LocalHost, port);
  }
  void sendRaw(quint16 port, const QByteArray& bytes) {
    socket_.writeDatagram(bytes, QHostAddress::LocalHost, port);
  }

  // Reads what has come; returns every message received so far.
  const std::vector<platform::OscMessage>& received() {
    while (socket_.hasPendingDatagrams()) {
      const QByteArray d = socket_.receiveDatagram().data();
      platform::decodeOscPacket(d.constData(), static_cast<size_t>(d.size()), received_);
    }
    return received_;
  }
  // The last message with this address, or an empty one.
  platform::OscMessage last(const char* address) {
    const auto& all = received();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
      if (it->address == QLatin1StringView(address)) return *it;
    return {};
  }
  int count(const char* address) {
    int n = 0;
    for (const auto& m : received())
      if (m.address == QLatin1StringView(address)) ++n;
    return n;
  }
  // Sends a ping and waits for its pong: everything sent before it has been
  // carried out by the program's interface thread. The round trip in ms, or
  // -1 when no pong came within the timeout.
  double roundTrip(quint16 port, int timeoutMs = 5000) {
    const int before = count("/scenova/pong");
    QElapsedTimer t;
    t.start();
    send(port, "/scenova/ping");
    while (t.elapsed() < timeoutMs) {
      if (count("/scenova/pong") > before) return t.nsecsElapsed() / 1e6;
      socket_.waitForReadyRead(5);
    }
    return -1;
  }

 private:
  QUdpSocket socket_;
  std::vector<platform::OscMessage> received_;
};

}  // namespace scenova::test
