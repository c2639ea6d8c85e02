#include "output_choice.h"

#include "platform/dialogs.h"
#include "platform/media/audio_device.h"
#include "platform/media/mixer.h"
#include "platform/media/player_route.h"
#include "platform/media/sound_outputs.h"

#include <QStringList>

namespace scenova::audio {

namespace {

using platform::SoundOutput;

// The built-in texts for a language file that lacks them (the program's
// own captions are Italian).
QString builtIn(int index) {
  switch (index) {
    case OutputChoice::kMenuCaption:
      return QStringLiteral("&Uscita audio...");
    case OutputChoice::kDialogTitle:
      return QStringLiteral("Uscita audio");
    case OutputChoice::kDialogPrompt:
      return QStringLiteral("Mandare il suono del programma a:");
    case OutputChoice::kDefaultName:
      return QStringLiteral("Predefinita");
    case OutputChoice::kLostNotice:
      return QStringLiteral(
          "L'uscita audio \"%1\" non c'è più: il suono continua sull'uscita predefinita.");
    case OutputChoice::kAbsentNotice:
      return QStringLiteral(
          "L'uscita audio \"%1\" scelta l'ultima volta non c'è: il suono va all'uscita "
          "predefinita.");
    case OutputChoice::kChosenNotice:
      return QStringLiteral("Il suono va a: %1");
    default:
      return {};
  }
}

const SoundOutput* find(const QList<SoundOutput>& list, const QString& name) {
  for (const SoundOutput& o : list)
    if (o.name == name) return &o;
  return nullptr;
}

// The dialog's entries: two outputs of the same description are told apart
// by their names.
QStringList entries(const QList<SoundOutput>& list) {
  QStringList out;
  for (const SoundOutput& o : list) {
    int same = 0;
    for (const SoundOutput& other : list) same += other.description == o.description ? 1 : 0;
    out << (same > 1 ? o.description + QStringLiteral(" (") + o.name + QLatin1Char(')')
                     : o.description);
  }
  return out;
}

}  // namespace

OutputChoice::OutputChoice(OutputParts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)) {
  connect(&parts_.outputs, &platform::SoundOutputs::changed, this, &OutputChoice::checkStillThere);
}

OutputChoice::~OutputChoice() = default;

QString OutputChoice::text(int index) const {
  const QString t = parts_.text ? parts_.text(index) : QString();
  return t.isEmpty() ? builtIn(index) : t;
}

void OutputChoice::restore(const QString& rememberedName) {
  remembered_ = rememberedName;
  if (rememberedName.isEmpty()) return;
  const QList<SoundOutput> list = parts_.outputs.list(kListWaitMs);
  if (const SoundOutput* o = find(list, rememberedName)) {
    apply(o->name, o->description);
    return;
  }
  // Kept for the next start: the interface may be plugged in by then.
  parts_.notice(text(kAbsentNotice).arg(rememberedName));
}

void OutputChoice::choose() {
  const QList<SoundOutput> list = parts_.outputs.list(kListWaitMs);
  QStringList items{text(kDefaultName)};
  items << entries(list);
  int current = 0;
  for (qsizetype i = 0; i < list.size(); ++i)
    if (list[i].name == current_) current = static_cast<int>(i) + 1;
  const std::optional<int> chosen = parts_.dialogs.choiceDialog(
      parts_.dialogOwner, text(kDialogTitle), text(kDialogPrompt), items, current);
  if (!chosen || *chosen < 0 || *chosen >= items.size()) return;
  if (*chosen == 0) {
    apply({}, {});
  } else {
    const SoundOutput& o = list[*chosen - 1];
    apply(o.name, o.description);
  }
  parts_.notice(text(kChosenNotice).arg(items[*chosen]));
  if (remembered_ != current_) {
    remembered_ = current_;
    Q_EMIT rememberedChanged();
  }
  // An output unplugged while the dialog was open.
  checkStillThere();
}

void OutputChoice::apply(const QString& name, const QString& description) {
  current_ = name;
  currentDescription_ = description;
  parts_.device.setOutput(name);
  parts_.players.setOutput(name);
  parts_.mixer.setOutput(name);
  Q_EMIT outputChanged(name);
}

void OutputChoice::checkStillThere() {
  if (current_.isEmpty() || !parts_.outputs.known()) return;
  if (find(parts_.outputs.list(0), current_)) return;
  // The sound server has already moved what played there to its default
  // output; from now on everything goes there by choice.
  const QString gone = currentDescription_.isEmpty() ? current_ : currentDescription_;
  apply({}, {});
  parts_.notice(text(kLostNotice).arg(gone));
}

}  // namespace scenova::audio
