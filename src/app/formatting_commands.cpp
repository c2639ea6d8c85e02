#include "formatting_commands.h"

#include "platform/rtb/rtb.h"

#include <QComboBox>

namespace scenova::app {

void FormattingCommands::toggle(Toggle what) {
  auto flip = [](std::optional<bool> now) { return !(now && *now); };
  switch (what) {
    case Toggle::Bold:
      rtb_.SetSelBold(flip(rtb_.SelBold()));
      break;
    case Toggle::Italic:
      rtb_.SetSelItalic(flip(rtb_.SelItalic()));
      break;
    case Toggle::Underline:
      rtb_.SetSelUnderline(flip(rtb_.SelUnderline()));
      break;
    case Toggle::Strike:
      rtb_.SetSelStrikeThru(flip(rtb_.SelStrikeThru()));
      break;
    case Toggle::Bullet:
      rtb_.SetSelBullet(flip(rtb_.SelBullet()));
      break;
  }
  rtb_.SetFocus();
}

void FormattingCommands::align(int code) {
  rtb_.SetSelAlignment(code);
  rtb_.SetFocus();
}

void FormattingCommands::stepSize(int points) {
  const std::optional<qreal> size = rtb_.SelFontSize();
  if (!size) return;
  const qreal next = *size + points;
  if (next > 0 && next <= kLargestSize) rtb_.SetSelFontSize(next);
}

void FormattingCommands::Combo1_Change(const QComboBox& box) {
  const QString name = box.currentText();
  if (box.findText(name, Qt::MatchExactly) < 0) return;
  rtb_.SetSelFontName(name);
}

void FormattingCommands::Combo2_Change(const QComboBox& box) {
  bool ok = false;
  // C-locale reading: "10.5" is ten and a half whatever the user's locale.
  const double size = box.currentText().trimmed().toDouble(&ok);
  if (!ok || !(size > 0) || size > kLargestSize) return;
  rtb_.SetSelFontSize(size);
}

}  // namespace scenova::app
