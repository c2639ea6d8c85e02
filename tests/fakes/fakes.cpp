#include "fakes/fakes.h"

#include <QFile>

namespace scenova::platform {

void FakeDialogs::log(const QString& line) const {
  if (logFile.isEmpty()) return;
  QFile f(logFile);
  if (f.open(QIODevice::Append)) f.write(line.toUtf8() + '\n');
}

MsgAnswer FakeDialogs::messageBox(QWidget*, const QString& text, const QString& title, MsgIcon icon,
                                  MsgButtons buttons) {
  messages.append({text, title, icon, buttons});
  log(QStringLiteral("message\t") + title + QLatin1Char('\t') + text);
  if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
  if (!messageAnswers.empty()) {
    const MsgAnswer a = messageAnswers.front();
    messageAnswers.pop_front();
    return a;
  }
  return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
}

QString FakeDialogs::fileDialog(const FileDialogRequest& request) {
  fileRequests.append(request);
  log(QStringLiteral("file\t") + request.title);
  if (fileAnswers.empty()) return {};
  const QString a = fileAnswers.front();
  fileAnswers.pop_front();
  return a;
}

bool FakeDialogs::printDialog(QWidget*, PrintChoice& choice) {
  ++printCalls;
  printShown.append(choice);
  log(QStringLiteral("print"));
  if (printAnswers.empty()) return false;
  const bool a = printAnswers.front();
  printAnswers.pop_front();
  if (a && printChoice) printChoice(choice);
  return a;
}

std::optional<QColor> FakeDialogs::colorDialog(QWidget*, const QColor& initial,
                                               QList<QColor>& customColors) {
  ++colorCalls;
  colorInitials.append(initial);
  customColorsShown.append(customColors);
  log(QStringLiteral("color"));
  if (colorAnswers.empty()) return std::nullopt;
  const auto a = colorAnswers.front();
  colorAnswers.pop_front();
  if (a && customColorsChosen) customColors = *customColorsChosen;
  return a;
}

std::optional<int> FakeDialogs::choiceDialog(QWidget*, const QString& title, const QString&,
                                             const QStringList& items, int current) {
  choicesShown.append(items);
  log(QStringLiteral("choice\t") + title + QLatin1Char('\t') + items.join(QLatin1Char('|')) +
      QLatin1Char('\t') + QString::number(current));
  if (choiceAnswers.empty()) return std::nullopt;
  const QString a = choiceAnswers.front();
  choiceAnswers.pop_front();
  const qsizetype at = items.indexOf(a);
  if (at < 0) return std::nullopt;
  return static_cast<int>(at);
}

}  // namespace scenova::platform
