#pragma once

// The editor's access to the RTF reader and writer. While the reader in
// platform/rtf is still a placeholder, a small text-only reader and writer
// stands in (SCENOVA_RTB_RTF_STANDIN); the calls are the same.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QTextCursor;
class QTextDocument;

namespace scenova::platform::rtfbridge {

bool readDocument(QByteArrayView bytes, QTextDocument& doc, QString* error = nullptr);
bool insertRtf(QTextCursor& cursor, QByteArrayView bytes);
QByteArray writeDocument(const QTextDocument& doc);
QByteArray writeRange(const QTextDocument& doc, int from, int to);

}  // namespace scenova::platform::rtfbridge
