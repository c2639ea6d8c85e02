#include "platform/clipboard_reader.h"

#include "platform/x11_selection.h"

#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>

namespace scenova::platform {

namespace {

// The X names of plain text, most exact first.
const QStringList& plainTextTypes() {
  static const QStringList types{QStringLiteral("UTF8_STRING"),
                                 QStringLiteral("text/plain;charset=utf-8"),
                                 QStringLiteral("text/plain"), QStringLiteral("STRING")};
  return types;
}

qsizetype sizeOf(const QMimeData& data, const QStringList& types) {
  qsizetype size = 0;
  for (const QString& type : types) {
    if (type == QStringLiteral("text/plain"))
      size = std::max(size, data.text().size());
    else
      size = std::max(size, data.data(type).size());
  }
  return size;
}

}  // namespace

// Shared by the window's thread and the reading thread.
struct ClipboardReader::Reading {
  std::mutex lock;
  std::optional<SelectionContent> content;
};

ClipboardReader::ClipboardReader(QStringList types, QObject* parent)
    : QObject(parent), types_(std::move(types)) {
  poll_.setInterval(10);
  connect(&poll_, &QTimer::timeout, this, &ClipboardReader::look);
}

ClipboardReader::~ClipboardReader() = default;

void ClipboardReader::read(QClipboard::Mode mode) {
  if (pending()) return;
  // Even what this program holds is asked for through the X server (this
  // thread answers while the reader waits): whether the program still holds
  // it is only known once the X server's latest news has been read.
  if (QGuiApplication::platformName() != QStringLiteral("xcb")) {
    readHere(mode);
    return;
  }
  QStringList wanted;
  for (const QString& type : types_)
    wanted += type == QStringLiteral("text/plain") ? plainTextTypes() : QStringList{type};
  reading_ = std::make_shared<Reading>();
  std::thread([reading = reading_, wanted, primary = mode == QClipboard::Selection] {
    SelectionContent content =
        readX11Selection(qgetenv("DISPLAY"), primary, wanted, kAnswerMs, kLargestPaste);
    const std::lock_guard<std::mutex> hold(reading->lock);
    reading->content = std::move(content);
  }).detach();
  poll_.start();
}

// Where no X server stands between (the clipboard is this process's).
void ClipboardReader::readHere(QClipboard::Mode mode) {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(mode);
  if (!data) return;
  if (sizeOf(*data, types_) > kLargestPaste)
    Q_EMIT refused(Refusal::TooLarge);
  else
    Q_EMIT received(*data);
}

void ClipboardReader::look() {
  std::optional<SelectionContent> content;
  {
    const std::lock_guard<std::mutex> hold(reading_->lock);
    content = std::move(reading_->content);
  }
  if (!content) return;
  poll_.stop();
  using Status = SelectionContent::Status;
  switch (content->status) {
    case Status::Received: {
      QMimeData data;
      if (plainTextTypes().contains(content->type))
        data.setText(content->type == QStringLiteral("STRING") ? QString::fromLatin1(content->data)
                                                               : QString::fromUtf8(content->data));
      else
        data.setData(content->type, content->data);
      Q_EMIT received(data);
      break;
    }
    case Status::NoAnswer:
      Q_EMIT refused(Refusal::NoAnswer);
      break;
    case Status::TooLarge:
      Q_EMIT refused(Refusal::TooLarge);
      break;
    case Status::Empty:
    case Status::NoDisplay:
      break;
  }
}

}  // namespace scenova::platform
