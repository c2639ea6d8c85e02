#pragma once

#include "platform/rtf/rtf_writer_lists.h"

#include <QByteArray>
#include <QColor>
#include <QDeadlineTimer>
#include <QHash>
#include <QString>
#include <QStringView>
#include <QTextBlock>

#include <vector>

class QTextBlockFormat;
class QTextCharFormat;
class QTextDocument;
class QTextList;

namespace scenova::platform::rtf::detail {

// Appends text as RTF: Windows-1252 bytes, \uN? for other characters.
void appendEscaped(QByteArray& out, QStringView text);

class Writer {
 public:
  explicit Writer(const QTextDocument& doc);
  // Writes [from, to); wholeDocument: every paragraph ends with \par.
  QByteArray write(int from, int to, bool wholeDocument);
  // The whole document a few paragraphs at a time: writes whole paragraphs
  // from where the last call stopped until the deadline has passed; true
  // once every paragraph is written (finish() then gives the RTF).
  bool writeSome(const QDeadlineTimer& deadline);
  QByteArray finish();
  // How far writeSome has come, in thousandths of the document.
  int permille() const;

 private:
  int fontIndex(const QString& family, bool symbol);
  int colourIndex(const QColor& colour);
  QByteArray charProps(const QTextCharFormat& f);
  const QByteArray& cachedCharProps(int formatIndex, const QTextCharFormat& f);
  void writeParagraphStart(const QTextBlock& block);
  void writeTabs(const QTextBlockFormat& f);
  void writeListMarker(const ListItem& item);
  void writeNumbering(const ListItem& item);
  void writeBlock(const QTextBlock& block, int from, int to, bool withBreak);
  QByteArray header() const;

  const QTextDocument& doc_;
  QString defaultFamily_;
  int defaultHalfPoints_ = 24;
  QHash<QString, int> fonts_;
  std::vector<std::pair<QString, bool>> fontNames_;  // (family, symbol character set)
  QHash<QRgb, int> colours_;
  std::vector<QRgb> colourList_;
  ListWriter lists_;
  QHash<int, QByteArray> charCache_;  // keyed by format index (block marks: -1 - index)
  QByteArray body_;
  QTextBlock next_;  // writeSome: the next paragraph to write
  bool started_ = false;
};

}  // namespace scenova::platform::rtf::detail
