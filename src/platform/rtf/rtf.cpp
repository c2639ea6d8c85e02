#include "platform/rtf/rtf.h"

#include <QTextCursor>
#include <QTextDocument>

namespace scenova::platform::rtf {

// First published interface; the reader and writer follow.
bool readDocument(QByteArrayView, QTextDocument&, QString* error) {
  if (error) *error = QStringLiteral("not implemented");
  return false;
}
bool insertRtf(QTextCursor&, QByteArrayView) {
  return false;
}
QByteArray writeDocument(const QTextDocument&) {
  return {};
}
QByteArray writeRange(const QTextDocument&, int, int) {
  return {};
}
bool looksLikeRtf(QByteArrayView bytes) {
  return bytes.startsWith("{\\rtf");
}
QString plainText(QByteArrayView) {
  return {};
}

}  // namespace scenova::platform::rtf
