#include "startup.h"

#include "document_commands.h"
#include "form1.h"
#include "language_ui.h"
#include "platform/linux_platform.h"
#include "platform/media/audio_device_mpv.h"
#include "platform/media/engine_memory.h"
#include "platform/media/media_player.h"
#include "platform/media/mixer_pulse.h"
#include "platform/media/player_route.h"
#include "platform/media/sound_outputs_pulse.h"
#include "platform/media/sound_voices_mpv.h"
#include "platform/rtb/headless.h"
#include "platform/screen_saver.h"
#include "platform/script_handoff.h"
#include "remote/remote_settings.h"
#include "script/cue_sheet.h"
#include "settings_file.h"
#include "subsystems.h"
#include "tools/about_box.h"
#include "ui/print_chooser.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <memory>

namespace scenova::app {

namespace {

// Unsaved work is kept in the user's state folder.
QString recoveryFolder() {
  QString base = qEnvironmentVariable("XDG_STATE_HOME");
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/state");
  return base + QStringLiteral("/scenova");
}

QString wholeCommandLine(int argc, char** argv) {
  QStringList parts;
  for (int i = 1; i < argc; ++i) parts << QString::fromLocal8Bit(argv[i]);
  return parts.join(QLatin1Char(' '));
}

constexpr char kUsage[] =
    "usage: scenova [SCRIPT]\n"
    "       scenova --remote PORT [SCRIPT]\n"
    "       scenova --cue-sheet SCRIPT\n"
    "       scenova --export-text SCRIPT\n"
    "       scenova --convert IN OUT\n"
    "       scenova --version\n"
    "       scenova --help\n"
    "\n"
    "  SCRIPT               open the script in the window\n"
    "  --remote PORT        take OSC remote control on UDP PORT of the loopback address\n"
    "                       (this computer only) for this run\n"
    "  --cue-sheet SCRIPT   list every cue and whether its file is found (exit 1 when one is\n"
    "                       missing)\n"
    "  --export-text SCRIPT write the script's plain text to standard output\n"
    "  --convert IN OUT     write IN (RTF or plain text) as RTF to OUT\n"
    "  --version            print the release and exit\n"
    "  -h, --help           print this help and exit\n";

// A first argument that looks like an option but names none of the
// commands: the usage, before Qt (which would stop the process without a
// display) sees it. Returns -1 for anything else.
int optionStatus(int argc, char** argv) {
  if (argc < 2) return -1;
  const QByteArray first(argv[1]);
  if (first == "--help" || first == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (first == "--version") {
    std::printf("Scenova %s\n", qPrintable(tools::releaseNumber()));
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 3;
  }
  if (!first.startsWith("--")) return -1;
  std::fprintf(stderr, "scenova: unknown option %s\n%s", argv[1], kUsage);
  return 2;
}

// "--remote PORT" before the script's path: the port, taken off the
// arguments (argc and argv shrink). 0 when the option is not there; -1,
// with the usage printed, when its port is missing or no port.
int takeRemotePort(int& argc, char** argv) {
  if (argc < 2 || QByteArray(argv[1]) != "--remote") return 0;
  const std::optional<quint16> port =
      argc >= 3 ? remote::readPort(QString::fromLocal8Bit(argv[2])) : std::nullopt;
  if (!port) {
    std::fprintf(stderr, "scenova: --remote needs a UDP port from 1 to 65535\n%s", kUsage);
    return -1;
  }
  for (int i = 3; i <= argc; ++i) argv[i - 2] = argv[i];  // argv[argc] is null
  argc -= 2;
  return *port;
}

}  // namespace

StartupResult startupChecks(const StartupInputs& in) {
  StartupResult r;
  if (QFileInfo::exists(in.programFolder + QStringLiteral("/Files/Portable.ini"))) {
    r.portable = true;
    return r;
  }
  const std::optional<QString> first = SettingsFile::readFirstLine(in.settingsPath);
  if (!first) {
    r.error = QStringLiteral("Cannot read the settings file ") + in.settingsPath;
    return r;
  }
  r.languageFile = *first;
  if (QString(r.languageFile).remove(QLatin1Char(' ')).isEmpty())
    r.languageFile = startupLanguageForCountry(in.country, in.programFolder);
  QString error;
  if (!r.table.load(languagePath(in.programFolder, r.languageFile), &error)) {
    // A language file that has gone or cannot be used any more must not
    // keep the program from starting: English, and the author is told.
    const QString lost = r.languageFile;
    r.languageFile = QStringLiteral("English.lng");
    if (!r.table.load(languagePath(in.programFolder, r.languageFile)))
      r.table = LanguageTable::builtInEnglish();
    r.notice = languageGoneNotice(r.table, lost, error);
  }
  if (in.guard && in.guard->previousInstanceRunning()) {
    r.previousInstance = true;
    return r;
  }
  if (in.system && !in.installed) in.system->registerScriptType(in.programFolder);
  return r;
}

int Main(int argc, char** argv, const DialogsFactory& makeDialogs, const ShownHook& whenShown) {
  const int remotePort = takeRemotePort(argc, argv);
  if (remotePort < 0) return 2;
  // Commands that run without a window, settings or the previous-copy check.
  bool handled = false;
  int status = platform::runHeadlessCommand(argc, argv, &handled);
  if (handled) return status;
  status = script::runCueSheet(argc, argv, &handled);
  if (handled) return status;
  if (const int option = optionStatus(argc, argv); option >= 0) return option;

  // Before the first thread starts: a show's media engine threads must not
  // each keep an arena of freed memory.
  platform::limitMemoryArenas();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Scenova"));
  // Media libraries need the C number format whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  platform::LinuxEnvironment env;
  const QIcon shippedIcon(env.programFolder() + QStringLiteral("/Files/scenova.png"));
  if (env.installed()) {
    // The desktop entry, the icon and the file type come from the installed files.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.scenova.Scenova"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("org.scenova.Scenova"), shippedIcon));
  } else {
    QApplication::setWindowIcon(shippedIcon);
  }
  platform::LinuxSystemServices system;
  platform::LockFileInstanceGuard guard(env.programFolder());
  std::unique_ptr<platform::Dialogs> dialogs =
      makeDialogs ? makeDialogs() : std::make_unique<platform::QtDialogs>(&ui::choosePrint);

  StartupInputs in;
  in.programFolder = env.programFolder();
  in.installed = env.installed();
  in.settingsPath = SettingsFile::locate(in.programFolder, env.userConfigFolder(), in.installed);
  in.country = env.countryCode();
  in.guard = &guard;
  in.system = &system;
  StartupResult start = startupChecks(in);
  if (!start.error.isEmpty()) {
    dialogs->messageBox(nullptr, start.error, QStringLiteral("Reg Error"),
                        platform::MsgIcon::Exclamation, platform::MsgButtons::Ok);
    return 1;
  }
  if (start.previousInstance) {
    // A script to open goes to the running copy over the session bus;
    // without a bus (or an answer) the copy is refused as always.
    const QString script = wholeCommandLine(argc, argv);
    if (!QString(script).remove(QLatin1Char(' ')).isEmpty() &&
        platform::handScriptToRunningCopy(in.programFolder, script))
      return 0;
    dialogs->messageBox(nullptr, start.table[0], start.table[1], platform::MsgIcon::Exclamation,
                        platform::MsgButtons::Ok);
    return 0;
  }

  // The sound side: the audio command device and the master volume.
  platform::MpvAudioDevice audio;
  platform::PulseMixer mixer;
  // The sound server's outputs, and the players whose sound follows the
  // one chosen.
  platform::PulseSoundOutputs outputs;
  outputs.start();
  platform::PlayerRoute playerRoute;
  // Sounds side by side, each at its own level.
  platform::MpvSoundVoices voices;

  Services services;
  services.audio = &audio;
  services.mixer = &mixer;
  services.voices = &voices;
  services.dialogs = dialogs.get();
  services.env = &env;
  services.system = &system;
  services.outputs = &outputs;
  services.playerRoute = &playerRoute;
  services.playerFactory =
      playerRoute.wrap([](const platform::PlayerSettings& settings, QWidget* parent) {
        return platform::createMediaPlayer(settings, parent);
      });
  services.settingsPath = in.settingsPath;
  services.commandLine = wholeCommandLine(argc, argv);
  services.remotePort = static_cast<quint16>(remotePort);
  platform::DBusScreenSaver screenSaver(QStringLiteral("Scenova"));
  services.screenSaver = &screenSaver;
  services.recoveryFolder = recoveryFolder();
  Form1 form(services, std::move(start.table));
  form.setLanguageFile(start.languageFile);
  form.Form_Load();
  // Portable copies may run side by side: none of them takes scripts
  // handed over by later starts.
  std::unique_ptr<platform::ScriptHandoffReceiver> handoff;
  if (!start.portable) {
    handoff = std::make_unique<platform::ScriptHandoffReceiver>(in.programFolder);
    QObject::connect(
        handoff.get(), &platform::ScriptHandoffReceiver::scriptHandedOver, &form,
        [&form](const QString& path) { form.subsystems().documents.openHandedOver(path); });
  }
  form.show();
  if (!start.notice.isEmpty()) {
    QTimer::singleShot(0, &form, [&form, &dialogs, notice = start.notice] {
      dialogs->messageBox(&form, notice, QStringLiteral("Scenova"), platform::MsgIcon::Information,
                          platform::MsgButtons::Ok);
    });
  }
  if (whenShown) QTimer::singleShot(0, &form, whenShown);
  return app.exec();
}

}  // namespace scenova::app
