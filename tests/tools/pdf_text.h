#pragma once

// Looks inside a PDF that Qt wrote: the page count, the fonts, and the
// drawing operators of its (deflated) content streams.

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QtEndian>

namespace scenova::test {

struct PdfInside {
  QByteArray raw;
  QByteArray streams;  // every stream, inflated where it was deflated

  explicit PdfInside(const QString& path) {
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) raw = f.readAll();
    qsizetype at = 0;
    while ((at = raw.indexOf("stream", at)) >= 0) {
      qsizetype begin = at + 6;
      if (raw.mid(at - 3, 3) == "end") {  // "endstream"
        at = begin;
        continue;
      }
      while (begin < raw.size() && (raw[begin] == '\r' || raw[begin] == '\n')) ++begin;
      const qsizetype end = raw.indexOf("endstream", begin);
      if (end < 0) break;
      QByteArray data = raw.mid(begin, end - begin);
      while (data.endsWith('\n') || data.endsWith('\r')) data.chop(1);
      QByteArray sized(4, '\0');
      qToBigEndian<quint32>(16u * 1024 * 1024, sized.data());
      const qsizetype dict = raw.lastIndexOf("obj", at);
      const bool deflated = raw.mid(dict, at - dict).contains("/FlateDecode");
      const QByteArray inflated = deflated ? qUncompress(sized + data) : QByteArray();
      streams += inflated.isEmpty() ? data : inflated;
      streams += '\n';
      at = end + 9;
    }
  }
  int pages() const {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    int n = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(raw)); it.hasNext(); it.next()) ++n;
    return n;
  }
  bool hasBoldFont() const {
    static const QRegularExpression bold(QStringLiteral("/BaseFont\\s*/\\S*Bold"));
    return bold.match(QString::fromLatin1(raw)).hasMatch();
  }
  // A text fill colour such as "1 0 0" (red).
  bool fillsWith(const char* rgb) const {
    return streams.contains(QByteArray(QByteArray("cs ") + rgb + " scn"));
  }
};

}  // namespace scenova::test
