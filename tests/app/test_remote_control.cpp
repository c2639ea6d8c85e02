// Options, Remote control... in the window: off by default, the dialog's
// settings kept in Remote.ini beside an untouched Scenova.ini, an address
// that is not one refused, a port in use said and left off, --remote for
// one run, the MIDI Learn field, and the OSC answers through the window.

#include "app/form1.h"
#include "app/remote_control.h"
#include "app/remote_dialog.h"
#include "app/subsystems.h"
#include "fakes/fakes.h"
#include "support/osc_client.h"
#include "support/program_folder.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QUdpSocket>

using namespace scenova;

namespace {

struct Window {
  test::ProgramFolder folder;
  platform::FakeDialogs dialogs;
  platform::FakeEnvironment env;
  platform::FakeSystemServices system;
  std::unique_ptr<app::Form1> form;

  explicit Window(const QByteArray& remoteIni = {}, quint16 remotePort = 0) {
    if (!remoteIni.isEmpty()) folder.write(QStringLiteral("Remote.ini"), remoteIni);
    env.folder = folder.path();
    env.country = QStringLiteral("gb");
    app::Services s;
    s.dialogs = &dialogs;
    s.env = &env;
    s.system = &system;
    s.settingsPath = folder.settingsPath();
    s.remotePort = remotePort;
    form = std::make_unique<app::Form1>(s, ui::LanguageTable());
    form->Form_Load();
  }
  app::RemoteControl& remote() const { return form->subsystems().remote; }
  // The dialog, opened (and filled from the settings) the first time.
  app::RemoteDialog& dialog() const {
    if (!form->findChild<app::RemoteDialog*>()) remote().openDialog();
    return *form->findChild<app::RemoteDialog*>();
  }
  template <typename T>
  T* field(const char* name) const {
    return dialog().findChild<T*>(QLatin1StringView(name));
  }
  QString notice() const { return form->ui().Label11->caption(); }
};

}  // namespace

class TestRemoteControl : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void offByDefault() {
    Window w;
    QCoreApplication::processEvents();
    QVERIFY(!w.remote().listening());
    QVERIFY(w.remote().menuItem());
    QCOMPARE(w.remote().menuItem()->text(), QStringLiteral("Remote control..."));
    QVERIFY(!w.field<QCheckBox>("remoteEnabled")->isChecked());
    QVERIFY(w.field<QRadioButton>("remoteLoopback")->isChecked());
    QCOMPARE(w.field<QSpinBox>("remotePort")->value(), 53530);
  }

  void theDialogKeepsItsSettingsBesideTheSettingsFile() {
    Window w("midi=0\r\n");
    const QByteArray settingsBefore = w.folder.read(QStringLiteral("Scenova.ini"));
    const quint16 port = test::OscClient::freePort();
    w.field<QCheckBox>("remoteEnabled")->setChecked(true);
    w.field<QSpinBox>("remotePort")->setValue(port);
    w.field<QRadioButton>("remoteNetwork")->setChecked(true);

    // An allowed sender that is not an address keeps the dialog open.
    w.field<QLineEdit>("remoteAllowed")->setText(QStringLiteral("10.0.0.5 stage-desk"));
    w.dialog().accept();
    QVERIFY(w.dialog().isVisible());
    QVERIFY(!w.remote().listening());
    QVERIFY(w.field<QLabel>("remoteStatus")->text().contains(QStringLiteral("stage-desk")));

    w.field<QLineEdit>("remoteAllowed")->setText(QStringLiteral("10.0.0.5 10.0.0.6"));
    w.field<QLineEdit>("remoteMidi_previous")->setText(QStringLiteral("note:59 bogus"));
    w.dialog().accept();
    QVERIFY(!w.dialog().isVisible());
    QVERIFY(w.remote().listening());
    QCOMPARE(w.remote().port(), port);
    QVERIFY(w.notice().contains(QString::number(port)));
    const QString ini = QString::fromUtf8(w.folder.read(QStringLiteral("Remote.ini")));
    QVERIFY2(ini.contains(QStringLiteral("enabled=1\r\n")) &&
                 ini.contains(QStringLiteral("port=%1\r\n").arg(port)) &&
                 ini.contains(QStringLiteral("network=1\r\n")) &&
                 ini.contains(QStringLiteral("allowed=10.0.0.5 10.0.0.6\r\n")) &&
                 ini.contains(QStringLiteral("midi.previous=note:59\r\n")),
             qPrintable(ini));
    // The window's own settings file is not touched, and keeps its eight
    // lines when the window writes it.
    QCOMPARE(w.folder.read(QStringLiteral("Scenova.ini")), settingsBefore);
    w.form->SaveSettings();
    QCOMPARE(w.folder.read(QStringLiteral("Scenova.ini")).count("\r\n"), 8);

    // The next start listens again on its own, from Remote.ini.
    const QByteArray kept = w.folder.read(QStringLiteral("Remote.ini"));
    w.form.reset();
    Window again(kept);
    QTRY_VERIFY(again.remote().listening());
    QCOMPARE(again.remote().port(), port);
    QCOMPARE(again.field<QLineEdit>("remoteAllowed")->text(), QStringLiteral("10.0.0.5 10.0.0.6"));
  }

  void aPortInUseIsSaidAndLeavesRemoteControlOff() {
    QUdpSocket holder;
    QVERIFY(holder.bind(QHostAddress::LocalHost, 0));
    Window w(QByteArrayLiteral("enabled=1\r\nmidi=0\r\nport=") +
             QByteArray::number(holder.localPort()) + "\r\n");
    QTRY_VERIFY(w.notice().contains(QString::number(holder.localPort())));
    QVERIFY(w.notice().contains(QStringLiteral("cannot be used")));
    QVERIFY(!w.remote().listening());
  }

  void theCommandLinePortHoldsForOneRunOnLoopback() {
    const quint16 port = test::OscClient::freePort();
    // Remote.ini says off; --remote turns it on anyway, and writes nothing.
    Window w("enabled=0\r\nmidi=0\r\nnetwork=1\r\n", port);
    QTRY_VERIFY(w.remote().listening());
    QCOMPARE(w.remote().port(), port);
    QVERIFY(!w.folder.read(QStringLiteral("Remote.ini")).contains("enabled=1"));

    // The window answers: a ping, a subscription, a GO outside show mode.
    test::OscClient client;
    client.send(port, "/scenova/ping");
    QTRY_COMPARE(client.count("/scenova/pong"), 1);
    client.send(port, "/scenova/subscribe");
    QTRY_COMPARE(client.count("/scenova/state"), 1);
    client.send(port, "/scenova/go");
    QTRY_COMPARE(w.notice(), QStringLiteral("Remote command ignored: show mode is off"));
    client.send(port, "/scenova/nonsense");
    client.sendRaw(port, "garbage");
    QTRY_COMPARE(w.remote().dropped(), 2u);
  }

  void learnTakesTheNextMidiMessage() {
    Window w("midi=0\r\n");
    app::RemoteDialog& d = w.dialog();
    d.learned(QStringLiteral("note:70"));  // nobody asked: nothing changes
    QCOMPARE(d.triggers(remote::RemoteCommand::Go)->text(), QStringLiteral("msc:go note:60"));
    w.field<QPushButton>("remoteLearn_go")->click();
    d.learned(QStringLiteral("cc:20"));
    QCOMPARE(d.triggers(remote::RemoteCommand::Go)->text(), QStringLiteral("cc:20"));
    d.learned(QStringLiteral("note:71"));  // only the one message
    QCOMPARE(d.triggers(remote::RemoteCommand::Go)->text(), QStringLiteral("cc:20"));
  }
};

QTEST_MAIN(TestRemoteControl)
#include "test_remote_control.moc"
