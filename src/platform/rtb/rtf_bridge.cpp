#include "platform/rtb/rtf_bridge.h"

#include "platform/rtf/rtf.h"
#include "platform/text_codec.h"

#include <QTextCursor>
#include <QTextDocument>

#include <cctype>

namespace scenova::platform::rtfbridge {

#ifdef SCENOVA_RTB_RTF_STANDIN
namespace {

// Text-only RTF: enough to carry the text of a script through save and load.
QByteArray writeText(QStringView text) {
  QByteArray out("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\n");
  for (const QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u == 0x2029) {
      out += "\\par\n";
    } else if (u == 0x2028) {
      out += "\\line ";
    } else if (u == '\t') {
      out += "\\tab ";
    } else if (u == '\\' || u == '{' || u == '}') {
      out += '\\';
      out += static_cast<char>(u);
    } else if (u >= 0x20 && u < 0x80) {
      out += static_cast<char>(u);
    } else {
      out += "\\u" + QByteArray::number(static_cast<qint16>(u)) + '?';
    }
  }
  return out + '}';
}

QString readText(QByteArrayView in) {
  QString text;
  int depth = 0, skipDepth = -1, skipChars = 0;
  for (qsizetype i = 0; i < in.size(); ++i) {
    const char c = in[i];
    if (c == '{') {
      ++depth;
    } else if (c == '}') {
      if (depth-- == skipDepth) skipDepth = -1;
    } else if (c == '\\' && i + 1 < in.size()) {
      const char n = in[i + 1];
      if (!std::isalpha(static_cast<unsigned char>(n))) {
        ++i;
        if (n == '*') skipDepth = depth;
        if (n == '\'' && i + 2 < in.size()) {
          text += decodeCodePage(QByteArray::fromHex(in.sliced(i + 1, 2).toByteArray()), 1252);
          i += 2;
        } else if (skipDepth < 0 && n != '*' && n != '\r' && n != '\n') {
          text += QChar::fromLatin1(n);
        }
        continue;
      }
      qsizetype j = i + 1;
      while (j < in.size() && std::isalpha(static_cast<unsigned char>(in[j]))) ++j;
      const QByteArray word = in.sliced(i + 1, j - i - 1).toByteArray();
      qsizetype k = j;
      if (k < in.size() && (in[k] == '-' || std::isdigit(static_cast<unsigned char>(in[k])))) ++k;
      while (k < in.size() && std::isdigit(static_cast<unsigned char>(in[k]))) ++k;
      const int param = in.sliced(j, k - j).toByteArray().toInt();
      if (k < in.size() && in[k] == ' ') ++k;
      i = k - 1;
      if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info") {
        skipDepth = depth;
      } else if (skipDepth < 0) {
        if (word == "par") text += QChar::ParagraphSeparator;
        if (word == "line") text += QChar::LineSeparator;
        if (word == "tab") text += u'\t';
        if (word == "u") {
          text += QChar(static_cast<char16_t>(param));
          skipChars = 1;
        }
      }
    } else if (c != '\r' && c != '\n' && skipDepth < 0) {
      if (skipChars > 0) {
        --skipChars;
      } else {
        text += QChar::fromLatin1(c);
      }
    }
  }
  if (text.endsWith(QChar::ParagraphSeparator)) text.chop(1);
  return text;
}

QString textOf(QByteArrayView bytes) {
  if (rtf::looksLikeRtf(bytes)) return readText(bytes);
  QString text = decodeUtf8OrCp1252(bytes);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(u'\r', u'\n');
  text.replace(u'\n', QChar::ParagraphSeparator);
  return text;
}

}  // namespace

bool readDocument(QByteArrayView bytes, QTextDocument& doc, QString* /*error*/) {
  doc.setPlainText(QString());
  QTextCursor(&doc).insertText(textOf(bytes));
  return true;
}

bool insertRtf(QTextCursor& cursor, QByteArrayView bytes) {
  cursor.insertText(textOf(bytes));
  return true;
}

QByteArray writeDocument(const QTextDocument& doc) {
  return writeText(doc.toRawText());
}

QByteArray writeRange(const QTextDocument& doc, int from, int to) {
  return writeText(QStringView(doc.toRawText()).mid(from, to - from));
}

#else

bool readDocument(QByteArrayView bytes, QTextDocument& doc, QString* error) {
  return rtf::readDocument(bytes, doc, error);
}
bool insertRtf(QTextCursor& cursor, QByteArrayView bytes) {
  return rtf::insertRtf(cursor, bytes);
}
QByteArray writeDocument(const QTextDocument& doc) {
  return rtf::writeDocument(doc);
}
QByteArray writeRange(const QTextDocument& doc, int from, int to) {
  return rtf::writeRange(doc, from, to);
}

#endif

}  // namespace scenova::platform::rtfbridge
