// libFuzzer target for the RTF reader (and the writer on what it read).
// Besides crashes, hangs and memory errors it checks that a document saved
// and loaded again keeps its text.

#include "platform/rtf/rtf.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace scenova::platform;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QTextDocument doc;
  if (!rtf::readDocument(bytes, doc)) return 0;
  const QString text = doc.toRawText();
  rtf::plainText(bytes);

  const QByteArray saved = rtf::writeDocument(doc);
  QTextDocument again;
  if (!rtf::readDocument(saved, again) || again.toRawText() != text) {
    std::fprintf(stderr, "text changed by a save and load:\n%s\n", saved.constData());
    std::abort();
  }

  // Paste what was read into the middle of another document.
  QTextDocument target;
  target.setPlainText(QStringLiteral("before\nafter"));
  QTextCursor cursor(&target);
  cursor.setPosition(3);
  cursor.setPosition(9, QTextCursor::KeepAnchor);
  rtf::insertRtf(cursor, bytes);
  rtf::writeRange(target, 1, target.characterCount() - 2);
  return 0;
}
