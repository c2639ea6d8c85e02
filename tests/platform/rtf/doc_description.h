#pragma once

// A readable description of a document's text and formatting, for comparing
// documents in tests: one line per paragraph, one per run of equally
// formatted characters, with every property the RTF code keeps.

#include "platform/rtf/rtf.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

inline QString charSignature(const QTextCharFormat& f, const QTextDocument& doc) {
  const QStringList families = f.fontFamilies().toStringList();
  const QString family = families.isEmpty() ? doc.defaultFont().family() : families.first();
  const double size = f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize()
                                                                : doc.defaultFont().pointSizeF();
  auto brush = [](const QBrush& b) {
    return b.style() == Qt::NoBrush ? QStringLiteral("-") : b.color().name();
  };
  return QStringLiteral("%1 %2pt%3%4%5%6 v%7 fg%8 bg%9")
      .arg(family)
      .arg(size)
      .arg(f.fontWeight() > QFont::Medium ? QStringLiteral(" b") : QString())
      .arg(f.fontItalic() ? QStringLiteral(" i") : QString())
      .arg(f.fontUnderline() ? QStringLiteral(" u") : QString())
      .arg(f.fontStrikeOut() ? QStringLiteral(" s") : QString())
      .arg(static_cast<int>(f.verticalAlignment()))
      .arg(brush(f.foreground()), brush(f.background()));
}

inline QString blockSignature(const QTextBlock& block) {
  const QTextBlockFormat f = block.blockFormat();
  const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
  const QChar align = (a & Qt::AlignRight)     ? u'R'
                      : (a & Qt::AlignHCenter) ? u'C'
                      : (a & Qt::AlignJustify) ? u'J'
                                               : u'L';
  QString list = QStringLiteral("-");
  if (const QTextList* l = block.textList())
    list = QStringLiteral("%1/%2")
               .arg(static_cast<int>(l->format().style()))
               .arg(l->format().indent());
  QString tabs;
  const QList<QTextOption::Tab> positions = f.tabPositions();
  const QString leaders = f.stringProperty(scenova::platform::rtf::kTabLeadersProperty);
  for (qsizetype i = 0; i < positions.size(); ++i) {
    static const char types[] = "LRCD";
    tabs += QStringLiteral(" tab %1%2%3")
                .arg(positions[i].position)
                .arg(QLatin1Char(types[positions[i].type & 3]))
                .arg(i < leaders.size() && leaders[i] != u' ' ? QString(leaders[i]) : QString());
  }
  return QStringLiteral("P %1 left %2 right %3 first %4 list %5%6")
      .arg(align)
      .arg(f.leftMargin())
      .arg(f.rightMargin())
      .arg(block.textList() ? 0.0 : f.textIndent())
      .arg(list, tabs);
}

// A list paragraph's numbering: style, level, first number, marker (with
// {1}..{9} for the numbers of the levels), marker font, and which item of
// its list it is.
inline QString listSignature(const QTextBlock& block) {
  const QTextList* l = block.textList();
  if (!l) return QStringLiteral("-");
  namespace rtf = scenova::platform::rtf;
  const QTextListFormat f = l->format();
  QString marker = f.stringProperty(rtf::kListMarkerProperty);
  for (char16_t n = 0; n < 9; ++n) marker.replace(QChar(n), QStringLiteral("{%1}").arg(n + 1));
  const QString font = f.stringProperty(rtf::kListMarkerFontProperty);
  return QStringLiteral("%1/%2 from %3 \"%4\"%5 item %6")
      .arg(static_cast<int>(f.style()))
      .arg(f.indent())
      .arg(f.hasProperty(rtf::kListStartProperty) ? f.intProperty(rtf::kListStartProperty) : 1)
      .arg(marker, font.isEmpty() ? QString() : QStringLiteral(" in ") + font)
      .arg(l->itemNumber(block) + 1);
}

inline QString describe(const QTextDocument& doc) {
  QString out;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    out += blockSignature(b) + u'\n';
    QString runSig, runText;
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QString sig = charSignature(it.fragment().charFormat(), doc);
      if (sig != runSig && !runText.isEmpty()) {
        out += QStringLiteral("  [%1] %2\n").arg(runSig, runText);
        runText.clear();
      }
      runSig = sig;
      runText += it.fragment().text();
    }
    if (!runText.isEmpty()) out += QStringLiteral("  [%1] %2\n").arg(runSig, runText);
  }
  return out;
}
