#pragma once

// Whether host names resolve, asked for the window without ever holding it:
// each name is looked up on a thread of its own (a name server that does
// not answer holds up nothing and nobody waits for it at exit), and the
// answer comes back as a signal on the interface thread. Answers are kept
// until refresh() asks for them again; the old answer stands meanwhile.

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>

namespace scenova::platform {

class HostLookups : public QObject {
  Q_OBJECT
 public:
  enum class Answer { Unknown, Resolves, DoesNotResolve };
  // Names looked up at the same time; the others wait for a later ask.
  static constexpr int kMaxLookups = 8;

  explicit HostLookups(QObject* parent = nullptr);
  ~HostLookups() override;

  // The last answer for host (a name or a numeric address). Unknown, or a
  // refreshed answer, starts a lookup whose end emits answered().
  Answer answer(const QString& host);
  // The system's reason when host does not resolve.
  QString reason(const QString& host) const;
  // The next answer() of each known name looks it up again.
  void refresh();

 Q_SIGNALS:
  // A lookup ended; changed when the answer differs from the one before.
  void answered(const QString& host, bool resolves, bool changed);

 private:
  struct Known {
    Answer answer = Answer::Unknown;
    QString reason;
    bool stale = false;
    bool asking = false;
  };
  struct Shared;
  void start(const QString& host, Known& known);
  void finish(const QString& host, bool resolves, const QString& reason);

  QHash<QString, Known> known_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace scenova::platform
