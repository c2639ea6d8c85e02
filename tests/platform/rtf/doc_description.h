#pragma once

// A readable description of a document's text and formatting, for comparing
// documents in tests: one line per paragraph, one per run of equally
// formatted characters, with every property the RTF code keeps.

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
  return QStringLiteral("P %1 left %2 right %3 first %4 list %5")
      .arg(align)
      .arg(f.leftMargin())
      .arg(f.rightMargin())
      .arg(block.textList() ? 0.0 : f.textIndent())
      .arg(list);
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
