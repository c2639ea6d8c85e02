// Options, Audio output on the main window with stand-ins for the sound
// server's outputs, the audio device, the mixer and the players: what the
// dialog lists, where the choice goes, an output unplugged during the show,
// one missing at start-up, and what the settings file keeps.

#include "app/form1.h"
#include "app/subsystems.h"
#include "audio/output_choice.h"
#include "fakes/fakes.h"
#include "fakes/media/fake_audio_device.h"
#include "fakes/media/fake_media_player.h"
#include "fakes/media/fake_mixer.h"
#include "fakes/media/fake_sound_outputs.h"
#include "platform/media/player_route.h"
#include "support/program_folder.h"
#include "video/video_operations.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace scenova;
using namespace scenova::app;
using namespace Qt::StringLiterals;
using audio::OutputChoice;

namespace {

const platform::SoundOutput kBuiltIn{u"builtin_sink"_s, u"Built-in Audio"_s};
const platform::SoundOutput kUsb{u"usb_sink"_s, u"USB Interface"_s};

struct Window {
  test::ProgramFolder folder;
  platform::FakeDialogs dialogs;
  platform::FakeEnvironment env;
  platform::FakeSystemServices system;
  platform::FakeMixer mixer;
  platform::FakeAudioDevice device;
  platform::FakeSoundOutputs outputs;
  platform::PlayerRoute route;
  QList<QPointer<platform::FakeMediaPlayer>> players;
  LanguageTable L;
  std::unique_ptr<Form1> form;

  explicit Window(const QByteArray& settings = "English.lng\r\n",
                  const QList<platform::SoundOutput>& present = {kBuiltIn, kUsb}) {
    env.folder = folder.path();
    env.country = u"gb"_s;
    folder.writeSettings(settings);
    outputs.outputs = present;
    L.load(folder.file(u"Lang/English.lng"_s));
    Services s;
    s.dialogs = &dialogs;
    s.env = &env;
    s.system = &system;
    s.mixer = &mixer;
    s.audio = &device;
    s.outputs = &outputs;
    s.playerRoute = &route;
    s.playerFactory = route.wrap([this](const platform::PlayerSettings& made, QWidget* parent) {
      auto p = std::make_unique<platform::FakeMediaPlayer>(made, parent);
      players << p.get();
      return std::unique_ptr<platform::MediaPlayer>(std::move(p));
    });
    s.settingsPath = folder.settingsPath();
    form = std::make_unique<Form1>(s, L);
    form->Form_Load();
  }
  OutputChoice& choice() const { return form->subsystems().output; }
  QString text(int n) const { return form->lang()[n]; }
  QString notice() const {
    return form->ui().Label11->isVisibleTo(form.get()) ? form->ui().Label11->caption() : QString();
  }
  // Options, Audio output..., answered with the entry of that text.
  void choose(const QString& answer) {
    dialogs.choiceAnswers.push_back(answer);
    QAction* item = nullptr;
    for (QAction* a : form->ui().mnuOpzioni->actions())
      if (a->objectName() == u"mnuAudioOutput"_s) item = a;
    QVERIFY(item);
    item->trigger();
  }
  QStringList settingsLines() const {
    QFile f(folder.settingsPath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(u"\r\n"_s);
    if (lines.last().isEmpty()) lines.removeLast();
    return lines;
  }
  // Where every part of the program sends its sound now.
  QStringList routes() const {
    QStringList r{device.outputs.value(device.outputs.size() - 1, u"-"_s),
                  mixer.outputs.value(mixer.outputs.size() - 1, u"-"_s)};
    for (const auto& p : players)
      if (p) r << p->outputs.value(p->outputs.size() - 1, u"-"_s);
    return r;
  }
};

}  // namespace

class TestOutputChoice : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  // "Default" first, then the outputs by description; the choice reaches
  // the audio transport, the knob's mixer, every player (also one made
  // later, as the projector's) and the sound layers' hook at once, and is
  // remembered after the eight lines of the settings file.
  void choiceAppliesEverywhereAndIsRemembered() {
    Window w;
    QSignalSpy hook(&w.choice(), &OutputChoice::outputChanged);
    w.choose(u"USB Interface"_s);
    QCOMPARE(w.dialogs.choicesShown.last(), (QStringList{w.text(OutputChoice::kDefaultName),
                                                         u"Built-in Audio"_s, u"USB Interface"_s}));
    QCOMPARE(w.text(OutputChoice::kDefaultName), u"Default"_s);
    QCOMPARE(w.routes(), (QStringList{u"usb_sink"_s, u"usb_sink"_s, u"usb_sink"_s}));
    QCOMPARE(hook.count(), 1);
    QCOMPARE(hook.last().first().toString(), u"usb_sink"_s);
    QVERIFY(w.notice().contains(u"USB Interface"_s));

    // A player made afterwards starts on the output chosen.
    QVERIFY(w.form->subsystems().video.projectorPlayer());
    QCOMPARE(w.players.size(), 2);
    QCOMPARE(w.players[1]->outputs, QStringList{u"usb_sink"_s});

    // The eight lines keep their meaning; the choice follows them.
    const QStringList lines = w.settingsLines();
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines[8], u"AudioOutput=usb_sink"_s);
    QCOMPARE(SettingsFile::read(w.folder.settingsPath()).audioOutput, u"usb_sink"_s);

    // The dialog opens on the output in use; Default takes the line away.
    w.choose(w.text(OutputChoice::kDefaultName));
    QCOMPARE(w.dialogs.choicesShown.size(), 2);
    QCOMPARE(w.routes(), (QStringList{QString(), QString(), QString(), QString()}));
    QCOMPARE(w.settingsLines(), lines.mid(0, 8));
    QCOMPARE(hook.last().first().toString(), QString());
  }

  void cancelChangesNothing() {
    Window w;
    w.choose(u"USB Interface"_s);
    const QStringList before = w.routes();
    w.choose(u"(cancelled)"_s);
    QCOMPARE(w.routes(), before);
    QCOMPARE(w.choice().current(), u"usb_sink"_s);
  }

  // Unplugged during the show: the default output with a notice naming it,
  // the choice kept for the next start; chosen again once it is back, the
  // sound goes there again.
  void unpluggedFallsBackAndComesBackWhenChosen() {
    Window w;
    w.choose(u"USB Interface"_s);
    w.form->ui().Label11->hide();
    w.outputs.report({kBuiltIn});
    QCOMPARE(w.routes(), (QStringList{QString(), QString(), QString()}));
    QCOMPARE(w.notice(), w.text(OutputChoice::kLostNotice).arg(u"USB Interface"_s));
    QVERIFY(w.notice().contains(u"default output"_s));
    QCOMPARE(w.choice().remembered(), u"usb_sink"_s);
    QCOMPARE(SettingsFile::read(w.folder.settingsPath()).audioOutput, u"usb_sink"_s);
    // Other changes say nothing more.
    w.form->ui().Label11->hide();
    w.outputs.report({kBuiltIn});
    QCOMPARE(w.notice(), QString());
    QCOMPARE(w.dialogs.choicesShown.size(), 1);

    w.outputs.report({kBuiltIn, kUsb});
    QCOMPARE(w.choice().current(), QString());  // back only when chosen
    w.choose(u"USB Interface"_s);
    QCOMPARE(w.routes(), (QStringList{u"usb_sink"_s, u"usb_sink"_s, u"usb_sink"_s}));
  }

  // Saved but not there at start-up: the default output and a notice; the
  // saved choice stays for a start with the interface plugged in.
  void rememberedOutputAtStartUp() {
    const QByteArray settings =
        "English.lng\r\n\r\n\r\n0\r\n0\r\n1\r\n\r\n0\r\nAudioOutput=usb_sink\r\n";
    {
      Window w(settings, {kBuiltIn});
      QVERIFY(!w.device.outputs.contains(u"usb_sink"_s));
      QVERIFY(!w.mixer.outputs.contains(u"usb_sink"_s));
      QCOMPARE(w.choice().current(), QString());
      QCOMPARE(w.notice(), w.text(OutputChoice::kAbsentNotice).arg(u"usb_sink"_s));
      QCOMPARE(w.outputs.waits.value(0), OutputChoice::kListWaitMs);
      w.form->SaveSettings();
      QCOMPARE(SettingsFile::read(w.folder.settingsPath()).audioOutput, u"usb_sink"_s);
    }
    Window w(settings, {kBuiltIn, kUsb});
    QCOMPARE(w.routes(), (QStringList{u"usb_sink"_s, u"usb_sink"_s, u"usb_sink"_s}));
    QCOMPARE(w.notice(), QString());
    // Unplugged later: named by its description.
    w.outputs.report({kBuiltIn});
    QCOMPARE(w.notice(), w.text(OutputChoice::kLostNotice).arg(u"USB Interface"_s));
  }

  // No sound server: the dialog offers the default output only, and the
  // window waits for the list a bounded time.
  void noSoundServer() {
    Window w;
    w.outputs.answered = false;
    w.choose(u"USB Interface"_s);
    QCOMPARE(w.dialogs.choicesShown.last(), QStringList{w.text(OutputChoice::kDefaultName)});
    QCOMPARE(w.outputs.waits.last(), OutputChoice::kListWaitMs);
    QCOMPARE(w.choice().current(), QString());
    QVERIFY(w.device.outputs.isEmpty());
  }

  // Two outputs of the same description are told apart by their names.
  void sameDescriptions() {
    Window w("English.lng\r\n", {kBuiltIn, {u"usb2"_s, u"USB Interface"_s}, kUsb});
    w.choose(u"USB Interface (usb_sink)"_s);
    QCOMPARE(w.dialogs.choicesShown.last().mid(2),
             (QStringList{u"USB Interface (usb2)"_s, u"USB Interface (usb_sink)"_s}));
    QCOMPARE(w.choice().current(), u"usb_sink"_s);
  }
};

QTEST_MAIN(TestOutputChoice)
#include "test_output_choice.moc"
