#pragma once

// Sends OSC packets over UDP away from the interface thread: the caller
// hands a packet over and goes on; only a failure comes back (as a queued
// signal). Nothing waits for an answer. Packets to numeric addresses go
// out in order from one thread; a host name is looked up on a thread of
// its own, so a name server that does not answer holds up neither the
// caller, nor other packets, nor the end of the program.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

namespace scenova::platform {

class OscSender : public QObject {
  Q_OBJECT
 public:
  // Packets waiting beyond this are refused (and reported as failed).
  static constexpr int kMaxWaiting = 256;
  // Names looked up at the same time; more are refused (reported as failed).
  static constexpr int kMaxLookups = 16;

  explicit OscSender(QObject* parent = nullptr);
  ~OscSender() override;

  // Queues one packet for host:port (a name or a numeric address).
  void send(const QString& host, quint16 port, const QByteArray& packet);

  // Whether the host name resolves (blocks: for the pre-show check, which
  // runs without a window). Empty reason when it does.
  static bool resolves(const QString& host, QString* reason = nullptr);

 Q_SIGNALS:
  // On the interface thread: a packet for host:port could not be sent.
  void failed(const QString& host, quint16 port, const QString& reason);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace scenova::platform
