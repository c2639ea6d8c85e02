// Selection formatting of the script editor.

#include "platform/rtb/rtb.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

namespace scenova::platform {

namespace {

// Calls visit(format) for every run of characters of one format that overlaps
// [from, to), paragraph breaks aside; stops when visit returns false.
template <typename Visit>
void forEachRun(const QTextDocument& doc, int from, int to, Visit visit) {
  for (QTextBlock b = doc.findBlock(from); b.isValid() && b.position() < to; b = b.next()) {
    for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      if (!f.isValid() || f.position() + f.length() <= from) continue;
      if (f.position() >= to) break;
      if (!visit(f.charFormat())) return;
    }
  }
}

int alignmentCode(Qt::Alignment a) {
  if (a & Qt::AlignHCenter) return RTB::AlignCenterCode;
  if (a & Qt::AlignRight) return RTB::AlignRightCode;
  return RTB::AlignLeftCode;
}

}  // namespace

// The value read() gives for every character of the selection, nullopt when
// they differ; the insertion format's value when nothing is selected.
template <typename T, typename Read>
std::optional<T> RTB::uniformChars(Read read) const {
  const QTextCursor c = textCursor();
  if (!c.hasSelection()) return read(c.charFormat());
  std::optional<T> value;
  bool mixed = false;
  forEachRun(*document(), c.selectionStart(), c.selectionEnd(), [&](const QTextCharFormat& f) {
    const T v = read(f);
    if (!value) value = v;
    mixed = !(*value == v);
    return !mixed;
  });
  if (mixed) return std::nullopt;
  return value ? value : std::optional<T>(read(c.charFormat()));
}

// The same over the paragraphs the selection (or the caret) touches.
template <typename T, typename Read>
std::optional<T> RTB::uniformBlocks(Read read) const {
  const QTextCursor c = textCursor();
  const QTextBlock last = document()->findBlock(c.selectionEnd());
  std::optional<T> value;
  for (QTextBlock b = document()->findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
    const T v = read(b);
    if (value && !(*value == v)) return std::nullopt;
    value = v;
    if (b == last) break;
  }
  return value;
}

void RTB::mergeFormat(const QTextCharFormat& format) {
  mergeCurrentCharFormat(format);
}

std::optional<QColor> RTB::SelColor() const {
  const QColor plain = palette().color(QPalette::Text);
  return uniformChars<QColor>([&](const QTextCharFormat& f) {
    return f.foreground().style() == Qt::NoBrush ? plain : f.foreground().color();
  });
}

void RTB::SetSelColor(const QColor& color) {
  if (!color.isValid()) return;
  QTextCharFormat f;
  f.setForeground(QBrush(color));
  mergeFormat(f);
}

std::optional<QString> RTB::SelFontName() const {
  const QString plain = document()->defaultFont().family();
  return uniformChars<QString>([&](const QTextCharFormat& f) {
    const QStringList families = f.fontFamilies().toStringList();
    return families.isEmpty() || families.first().isEmpty() ? plain : families.first();
  });
}

void RTB::SetSelFontName(const QString& family) {
  if (family.trimmed().isEmpty()) return;
  QTextCharFormat f;
  f.setFontFamilies({family});
  mergeFormat(f);
}

std::optional<qreal> RTB::SelFontSize() const {
  const QFont base = document()->defaultFont();
  const qreal plain = base.pointSizeF() > 0 ? base.pointSizeF() : base.pixelSize() * 0.75;
  return uniformChars<qreal>([&](const QTextCharFormat& f) {
    if (f.hasProperty(QTextFormat::FontPointSize)) return f.fontPointSize();
    if (f.hasProperty(QTextFormat::FontPixelSize))
      return f.intProperty(QTextFormat::FontPixelSize) * 0.75;
    return plain;
  });
}

void RTB::SetSelFontSize(qreal points) {
  // RTF sizes are whole half points up to 32767.
  if (!(points > 0) || points > 16383) return;
  QTextCharFormat f;
  f.setFontPointSize(points);
  mergeFormat(f);
}

std::optional<bool> RTB::SelBold() const {
  const bool plain = document()->defaultFont().bold();
  return uniformChars<bool>([&](const QTextCharFormat& f) {
    return f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() > QFont::Medium : plain;
  });
}

void RTB::SetSelBold(bool on) {
  QTextCharFormat f;
  f.setFontWeight(on ? QFont::Bold : QFont::Normal);
  mergeFormat(f);
}

std::optional<bool> RTB::SelItalic() const {
  const bool plain = document()->defaultFont().italic();
  return uniformChars<bool>([&](const QTextCharFormat& f) {
    return f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : plain;
  });
}

void RTB::SetSelItalic(bool on) {
  QTextCharFormat f;
  f.setFontItalic(on);
  mergeFormat(f);
}

std::optional<bool> RTB::SelUnderline() const {
  const bool plain = document()->defaultFont().underline();
  return uniformChars<bool>([&](const QTextCharFormat& f) {
    const bool set =
        f.hasProperty(QTextFormat::TextUnderlineStyle) || f.hasProperty(QTextFormat::FontUnderline);
    return set ? f.fontUnderline() : plain;
  });
}

void RTB::SetSelUnderline(bool on) {
  QTextCharFormat f;
  f.setFontUnderline(on);
  mergeFormat(f);
}

std::optional<bool> RTB::SelStrikeThru() const {
  const bool plain = document()->defaultFont().strikeOut();
  return uniformChars<bool>([&](const QTextCharFormat& f) {
    return f.hasProperty(QTextFormat::FontStrikeOut) ? f.fontStrikeOut() : plain;
  });
}

void RTB::SetSelStrikeThru(bool on) {
  QTextCharFormat f;
  f.setFontStrikeOut(on);
  mergeFormat(f);
}

std::optional<int> RTB::SelAlignment() const {
  return uniformBlocks<int>(
      [](const QTextBlock& b) { return alignmentCode(b.blockFormat().alignment()); });
}

void RTB::SetSelAlignment(int code) {
  switch (code) {
    case AlignLeftCode:
      setAlignment(Qt::AlignLeft);
      break;
    case AlignRightCode:
      setAlignment(Qt::AlignRight);
      break;
    case AlignCenterCode:
      setAlignment(Qt::AlignHCenter);
      break;
    default:
      break;
  }
}

std::optional<bool> RTB::SelBullet() const {
  return uniformBlocks<bool>([](const QTextBlock& b) { return b.textList() != nullptr; });
}

void RTB::SetSelBullet(bool on) {
  QTextCursor c = textCursor();
  c.beginEditBlock();
  if (on) {
    QTextListFormat list;
    list.setStyle(QTextListFormat::ListDisc);
    list.setIndent(1);
    c.createList(list);
  } else {
    const QTextBlock last = document()->findBlock(c.selectionEnd());
    for (QTextBlock b = document()->findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
      if (QTextList* l = b.textList()) {
        // Leaving the list keeps the paragraph's own indent, not the list's.
        const int indent = b.blockFormat().indent();
        l->remove(b);
        QTextBlockFormat f = b.blockFormat();
        f.setIndent(indent);
        QTextCursor(b).setBlockFormat(f);
      }
      if (b == last) break;
    }
  }
  c.endEditBlock();
}

}  // namespace scenova::platform
