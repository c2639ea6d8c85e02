#include "audio/output_choice.h"
#include "form1.h"
#include "settings_file.h"
#include "wiring.h"

#include <QAction>
#include <QMenu>

namespace scenova::app {

void wireOutput(Form1& form) {
  audio::OutputParts parts;
  parts.outputs = form.services().outputs;
  parts.device = form.services().audio;
  parts.mixer = form.services().mixer;
  parts.players = form.services().playerRoute;
  parts.dialogs = form.services().dialogs;
  parts.dialogOwner = &form;
  parts.text = [&form](int n) { return form.lang[n]; };
  parts.notice = [&form](const QString& text) { form.ShowNotice(text); };
  auto* choice = new audio::OutputChoice(std::move(parts), &form);
  form.output = choice;

  // Options, Audio output..., after the audio properties.
  auto* item = new QAction(choice->text(audio::OutputChoice::kMenuCaption), &form);
  item->setObjectName(QStringLiteral("mnuAudioOutput"));
  form.ui.mnuOpzioni->insertAction(form.ui.mnuMonitorSettings, item);
  QObject::connect(item, &QAction::triggered, choice, &audio::OutputChoice::choose);
  QObject::connect(&form, &Form1::languageApplied, item, [item, choice] {
    item->setText(choice->text(audio::OutputChoice::kMenuCaption));
  });
  QObject::connect(choice, &audio::OutputChoice::rememberedChanged, &form, &Form1::SaveSettings);
}

void outputRestore(Form1& form, const SettingsValues& saved) {
  if (form.output) form.output->restore(saved.audioOutput.value_or(QString()));
}

}  // namespace scenova::app
