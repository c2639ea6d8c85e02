#pragma once

#include "platform/rtf/rtf_writer_lists.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QString>
#include <QStringView>

#include <vector>

class QTextBlock;
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

 private:
  int fontIndex(const QString& family);
  int colourIndex(const QColor& colour);
  QByteArray charProps(const QTextCharFormat& f);
  const QByteArray& cachedCharProps(int formatIndex, const QTextCharFormat& f);
  void writeParagraphStart(const QTextBlock& block);
  void writeTabs(const QTextBlockFormat& f);
  void writeListMarker(const ListItem& item);
  void writeNumbering(const ListItem& item);
  void writeBlock(const QTextBlock& block, int from, int to, bool withBreak);

  const QTextDocument& doc_;
  QString defaultFamily_;
  int defaultHalfPoints_ = 24;
  QHash<QString, int> fonts_;
  std::vector<QString> fontNames_;
  int symbolFont_ = -1;
  QHash<QRgb, int> colours_;
  std::vector<QRgb> colourList_;
  ListWriter lists_;
  QHash<int, QByteArray> charCache_;  // keyed by format index (block marks: -1 - index)
  QByteArray body_;
};

}  // namespace scenova::platform::rtf::detail
