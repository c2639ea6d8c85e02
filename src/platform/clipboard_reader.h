#pragma once

// What a paste takes from the clipboard, asked for without holding the
// window. Under X the content is read on a thread of its own (see
// x11_selection.h), so that an owner that never answers costs the window
// nothing and gives a refusal after a short time; elsewhere it comes at
// once. Content above kLargestPaste is refused: inserting it
// would hold the window for seconds (a script that large is opened, not
// pasted).

#include <QClipboard>
#include <QObject>
#include <QTimer>

#include <memory>

class QMimeData;

namespace scenova::platform {

class ClipboardReader : public QObject {
  Q_OBJECT
 public:
  static constexpr qsizetype kLargestPaste = 8 * 1024 * 1024;
  // How long the owner may take for each answer.
  static constexpr int kAnswerMs = 500;
  enum class Refusal { NoAnswer, TooLarge };

  // types: the clipboard types wanted, most wanted first ("text/plain" for
  // text in any of its X names).
  explicit ClipboardReader(QStringList types, QObject* parent = nullptr);
  ~ClipboardReader() override;

  // Reads the clipboard (or the primary selection). received() or
  // refused() follows, at once or later on this thread; nothing follows
  // when there is nothing to paste. A read while one is pending is dropped.
  void read(QClipboard::Mode mode);
  bool pending() const { return poll_.isActive(); }

 Q_SIGNALS:
  void received(const QMimeData& content);
  void refused(scenova::platform::ClipboardReader::Refusal why);

 private:
  struct Reading;
  void readHere(QClipboard::Mode mode);
  void look();

  QStringList types_;
  std::shared_ptr<Reading> reading_;
  QTimer poll_;
};

}  // namespace scenova::platform
