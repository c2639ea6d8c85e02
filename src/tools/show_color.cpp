#include "tools/show_color.h"

#include "platform/dialogs.h"

#include <QtEndian>

#include <algorithm>

namespace scenova::tools {

namespace {
constexpr qsizetype kCustomBytes = 64;
}

ShowColor::ShowColor(platform::Dialogs& dialogs) : dialogs_(dialogs), custom_(kCustomBytes, '\0') {}

void ShowColor::setCustomColors(const QByteArray& block) {
  custom_ = block.left(kCustomBytes);
  if (custom_.size() < kCustomBytes) custom_.append(kCustomBytes - custom_.size(), '\0');
}

QColor ShowColor::toColor(qint32 bgr) {
  const auto v = static_cast<quint32>(bgr);
  return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                static_cast<int>((v >> 16) & 0xFF));
}

qint32 ShowColor::fromColor(const QColor& c) {
  const QColor rgb = c.toRgb();
  return static_cast<qint32>(static_cast<quint32>(rgb.red()) |
                             (static_cast<quint32>(rgb.green()) << 8) |
                             (static_cast<quint32>(rgb.blue()) << 16));
}

QList<QColor> ShowColor::customList() const {
  QList<QColor> colors;
  for (qsizetype at = 0; at + 4 <= custom_.size(); at += 4)
    colors.append(
        toColor(static_cast<qint32>(qFromLittleEndian<quint32>(custom_.constData() + at))));
  return colors;
}

void ShowColor::setCustomList(const QList<QColor>& colors) {
  QByteArray block;
  for (const QColor& c : colors.first(std::min<qsizetype>(colors.size(), kCustomBytes / 4))) {
    char bytes[4];
    qToLittleEndian<quint32>(static_cast<quint32>(fromColor(c)), bytes);
    block.append(bytes, 4);
  }
  setCustomColors(block);
}

void ShowColor::showColor() {
  QList<QColor> custom = customList();
  // A dialog that cannot be shown answers like a cancel.
  const std::optional<QColor> chosen = dialogs_.colorDialog(hOwner, toColor(RGBResult), custom);
  if (!chosen || !chosen->isValid()) {
    annulla_ = true;
    return;
  }
  annulla_ = false;
  setCustomList(custom);
  RGBResult = fromColor(*chosen);
}

bool chooseSelectionColor(platform::Dialogs& dialogs, QWidget* owner,
                          const std::function<void(const QColor&)>& apply) {
  ShowColor picker(dialogs);
  picker.hOwner = owner;
  picker.showColor();
  if (picker.ColorAnnulla()) return false;
  apply(ShowColor::toColor(picker.RGBResult));
  return true;
}

}  // namespace scenova::tools
