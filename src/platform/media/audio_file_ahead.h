#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace scenova::platform {

class MpvSession;

// A sound file loaded ahead on an engine core of its own, paused at its
// start with the output filled, so that opening it later is only taking the
// core over: the audio device keeps the file of the next cue this way.
//
// The core is made by the given factory, set up as the device sets up its
// own. Everything runs on the GUI thread and never waits for the engine.
class AudioFileAhead final : public QObject {
  Q_OBJECT
 public:
  using Factory = std::function<std::unique_ptr<MpvSession>()>;
  // A file ready to be taken over: its core, its length and the output the
  // core plays to.
  struct Ready {
    std::unique_ptr<MpvSession> session;
    qint64 lengthMs = 0;
    QByteArray output;
  };

  explicit AudioFileAhead(Factory make, QObject* parent = nullptr);
  ~AudioFileAhead() override;

  // Loads the file (an absolute path) ahead, in place of the one before;
  // the same file, unchanged, is kept as it is; empty: none.
  void load(const QString& path);
  // The core of the file, when it is that file, it loaded, it has not
  // changed since, and it plays to a real output; otherwise nothing (and
  // the core waiting for it is let go).
  std::optional<Ready> take(const QString& path);
  // Lets the core go and loads the file again (the output changed).
  void reload();
  // Whether the file waits, loaded (for tests).
  bool isReady() const;

 private:
  void drop();

  Factory make_;
  QString path_;
  qint64 size_ = -1;
  QDateTime modified_;
  std::unique_ptr<MpvSession> session_;
  qint64 lengthMs_ = -1;
  bool restarted_ = false;  // loaded and the output filled
  bool failed_ = false;
  QByteArray output_;
};

}  // namespace scenova::platform
