#pragma once

// Listens for OSC packets on a UDP port on a thread of its own and hands
// the messages that pass its checks to the interface thread as queued
// signals. The interface thread never waits on the network: the thread
// sleeps in poll() until a packet or the end comes (no polling loop), so a
// listening program with no traffic uses no processor time.
//
// Before anything is parsed a packet is dropped when its sender is not
// allowed or when it is larger than kMaxOscPacket. Packets that do not
// decode, and messages beyond kMaxDelivered a second (a burst of as many
// is allowed) or while kMaxQueued still wait for the interface thread, are
// dropped too; every drop is counted. A flood therefore costs the
// interface thread at most kMaxDelivered messages a second, and a command
// sent a few milliseconds after it gets through.

#include "platform/osc/osc_message.h"

#include <QHostAddress>
#include <QList>
#include <QObject>

#include <atomic>
#include <memory>
#include <thread>

namespace scenova::platform {

struct OscListen {
  quint16 port = 0;
  // True: every address of the machine, taking only the allowed senders;
  // false: the loopback address, taking only this computer's packets.
  bool network = false;
  QList<QHostAddress> allowed;  // with network: who may send
};

class OscServer : public QObject {
  Q_OBJECT
 public:
  static constexpr int kMaxQueued = 64;
  static constexpr int kMaxDelivered = 200;

  explicit OscServer(QObject* parent = nullptr);
  ~OscServer() override;

  // Binds the port and starts the thread. False, with the system's reason
  // in error, when the port cannot be had (in use, not allowed).
  bool listen(const OscListen& how, QString* error = nullptr);
  void close();
  bool listening() const { return thread_.joinable(); }
  // The port bound (useful after listening on port 0).
  quint16 port() const { return port_; }

  // Packets and messages dropped since the server was made.
  quint64 dropped() const { return dropped_->load(); }

  // Whether a sender may send under these settings (what the thread checks
  // before it reads a packet's contents).
  static bool allowed(const OscListen& how, const QHostAddress& sender);

 Q_SIGNALS:
  // On the interface thread; sender as "address:port".
  void received(const scenova::platform::OscMessage& message, const QString& sender);

 private:
  void run(int socket, int wake, OscListen how);
  void deliver(std::vector<OscMessage> messages, const QString& sender);

  std::thread thread_;
  int socket_ = -1;
  int wake_ = -1;
  quint16 port_ = 0;
  std::shared_ptr<std::atomic<quint64>> dropped_ = std::make_shared<std::atomic<quint64>>(0);
  std::atomic<int> queued_{0};
};

}  // namespace scenova::platform
