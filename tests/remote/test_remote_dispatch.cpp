// Remote control without the window: which messages become which command,
// the show-mode rule, the subscribers' state, the MIDI mapping, the
// settings file and the packets liblo decodes.

#include "platform/osc/osc_message.h"
#include "remote/midi_mapping.h"
#include "remote/remote_dispatch.h"
#include "remote/remote_settings.h"

#include <QTest>

using namespace scenova;
using platform::OscArg;
using platform::OscMessage;
using remote::RemoteCommand;

namespace {

// A show that records what it was asked.
class Show : public remote::RemoteTarget {
 public:
  bool show = true;
  QStringList did;
  QList<QPair<QString, OscMessage>> sent;
  remote::ShowState now;
  QStringList cues{QStringLiteral("Play Audio")};

  bool inShow() const override { return show; }
  void go() override { did << QStringLiteral("go"); }
  void stopAll() override { did << QStringLiteral("stop"); }
  void markNext() override { did << QStringLiteral("next"); }
  void markPrevious() override { did << QStringLiteral("previous"); }
  void markFirst() override { did << QStringLiteral("first"); }
  bool fireCue(const QString& text) override {
    did << QStringLiteral("cue ") + text;
    return cues.contains(text, Qt::CaseInsensitive);
  }
  void refused(RemoteCommand) override { did << QStringLiteral("refused"); }
  void reply(const QString& to, const OscMessage& m) override { sent.append({to, m}); }
  remote::ShowState state() const override { return now; }
};

OscMessage msg(const char* address, QList<OscArg> args = {}) {
  return {QString::fromLatin1(address), std::move(args)};
}

QStringList words(std::initializer_list<const char*> list) {
  QStringList out;
  for (const char* w : list) out << QString::fromLatin1(w);
  return out;
}

const QString kA = QStringLiteral("127.0.0.1:5000");
const QString kB = QStringLiteral("127.0.0.1:5001");

}  // namespace

class TestRemoteDispatch : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void commandsActInShowModeOnly() {
    Show show;
    remote::RemoteDispatch d(show);
    for (const char* a :
         {"/scenova/go", "/scenova/next", "/scenova/previous", "/scenova/first", "/scenova/stop"})
      QVERIFY(d.handle(msg(a), kA, 0));
    d.handle(msg("/scenova/cue", {OscArg::string(QStringLiteral("play audio"))}), kA, 0);
    QCOMPARE(show.did, words({"go", "next", "previous", "first", "stop", "cue play audio"}));

    // Outside show mode only Stop acts; the rest is refused, never done.
    show.show = false;
    show.did.clear();
    for (const char* a : {"/scenova/go", "/scenova/next", "/scenova/previous", "/scenova/first"})
      d.handle(msg(a), kA, 0);
    d.handle(msg("/scenova/cue", {OscArg::string(QStringLiteral("Play Audio"))}), kA, 0);
    d.handle(msg("/scenova/stop"), kA, 0);
    QCOMPARE(show.did, words({"refused", "refused", "refused", "refused", "refused", "stop"}));
    QCOMPARE(d.dropped(), 0u);

    // A cue that is not there is said, in show mode too.
    show.show = true;
    show.did.clear();
    d.handle(msg("/scenova/cue", {OscArg::string(QStringLiteral("Vol 5"))}), kA, 0);
    QCOMPARE(show.did, words({"cue Vol 5", "refused"}));
  }

  void wrongMessagesAreDroppedAndCounted() {
    Show show;
    remote::RemoteDispatch d(show);
    const QList<OscMessage> bad{
        msg("/scenova/gox"),
        msg("/scenova"),
        msg("/SCENOVA/GO"),
        msg("/scenova/go", {OscArg::string(QStringLiteral("x"))}),
        msg("/scenova/go", {OscArg::integer(1), OscArg::integer(1)}),
        msg("/scenova/cue"),
        msg("/scenova/cue", {OscArg::integer(3)}),
        msg("/scenova/cue", {OscArg::string(QString())}),
        msg("/scenova/cue", {OscArg::string(QString(2000, QLatin1Char('a')))}),
        msg("/scenova/cue",
            {OscArg::string(QStringLiteral("a")), OscArg::string(QStringLiteral("b"))}),
    };
    for (const OscMessage& m : bad) QVERIFY(!d.handle(m, kA, 0));
    QCOMPARE(d.dropped(), quint64(bad.size()));
    QVERIFY(show.did.isEmpty());

    // A controller's button: 1 on press fires, 0 on release does nothing
    // and is no fault.
    QVERIFY(d.handle(msg("/scenova/go", {OscArg::real(1.0f)}), kA, 0));
    QVERIFY(d.handle(msg("/scenova/go", {OscArg::real(0.0f)}), kA, 0));
    QVERIFY(d.handle(msg("/scenova/go", {OscArg::integer(0)}), kA, 0));
    QCOMPARE(show.did, words({"go"}));
    QCOMPARE(d.dropped(), quint64(bad.size()));
  }

  void pingAndSubscribers() {
    Show show;
    remote::RemoteDispatch d(show);
    d.handle(msg("/scenova/ping"), kA, 0);
    QCOMPARE(show.sent.size(), 1);
    QCOMPARE(show.sent[0].first, kA);
    QCOMPARE(show.sent[0].second.address, QStringLiteral("/scenova/pong"));

    // A subscriber is told at once...
    show.sent.clear();
    show.now.nextCue = QStringLiteral("Play Audio");
    d.handle(msg("/scenova/subscribe"), kA, 1000);
    QCOMPARE(show.sent.size(), 1);
    QCOMPARE(show.sent[0].second.address, QStringLiteral("/scenova/state"));
    QCOMPARE(show.sent[0].second.types(), QStringLiteral("ssiis"));
    QCOMPARE(show.sent[0].second.args[0].text, QStringLiteral("Play Audio"));

    // ...then only at changes, at most every 50 ms.
    show.sent.clear();
    QVERIFY(d.publish(1010));
    QVERIFY(show.sent.isEmpty());
    show.now.audio = true;
    QVERIFY(!d.publish(1020));  // too soon after the first state
    QVERIFY(show.sent.isEmpty());
    QVERIFY(d.publish(1050));
    QCOMPARE(show.sent.size(), 1);
    QCOMPARE(show.sent[0].second.args[2].i, 1);

    // A second subscriber; both hear the next change.
    d.handle(msg("/scenova/subscribe"), kB, 1100);
    show.sent.clear();
    show.now.counter = QStringLiteral("00:01");
    QVERIFY(d.publish(1200));
    QCOMPARE(show.sent.size(), 2);

    // Unsubscribed, A hears nothing more; B, silent for 60 s, is forgotten.
    d.handle(msg("/scenova/unsubscribe"), kA, 1300);
    show.sent.clear();
    show.now.counter = QStringLiteral("00:02");
    d.publish(1400);
    QCOMPARE(show.sent.size(), 1);
    QCOMPARE(show.sent[0].first, kB);
    show.sent.clear();
    show.now.counter = QStringLiteral("00:03");
    d.publish(1100 + remote::RemoteDispatch::kSubscriptionMs);
    QVERIFY(show.sent.isEmpty());
    QVERIFY(!d.hasSubscribers());
  }

  void anyMessageKeepsASubscriptionAlive() {
    Show show;
    remote::RemoteDispatch d(show);
    d.handle(msg("/scenova/subscribe"), kA, 0);
    d.handle(msg("/scenova/ping"), kA, 50000);
    d.publish(100000);
    QVERIFY(d.hasSubscribers());
    d.publish(110000);
    QVERIFY(!d.hasSubscribers());
  }

  void subscribersAreBounded() {
    Show show;
    remote::RemoteDispatch d(show);
    for (int i = 0; i < 40; ++i)
      d.handle(msg("/scenova/subscribe"), QStringLiteral("10.0.0.1:%1").arg(1000 + i), 0);
    QCOMPARE(d.subscribers(), remote::RemoteDispatch::kMaxSubscribers);
    QCOMPARE(d.dropped(), quint64(40 - remote::RemoteDispatch::kMaxSubscribers));
  }

  void midiMapping() {
    const remote::MidiMapping m = remote::MidiMapping::defaults();
    auto command = [&m](std::initializer_list<unsigned char> bytes) {
      const std::vector<unsigned char> v(bytes);
      return m.commandFor(v.data(), v.size());
    };
    // MIDI Show Control GO, STOP and RESET, any device id and format.
    QCOMPARE(command({0xf0, 0x7f, 0x7f, 0x02, 0x01, 0x01, 0xf7}), RemoteCommand::Go);
    QCOMPARE(command({0xf0, 0x7f, 0x05, 0x02, 0x10, 0x01, 0x31, 0x00, 0xf7}), RemoteCommand::Go);
    QCOMPARE(command({0xf0, 0x7f, 0x01, 0x02, 0x01, 0x02, 0xf7}), RemoteCommand::Stop);
    QCOMPARE(command({0xf0, 0x7f, 0x01, 0x02, 0x01, 0x0a, 0xf7}), RemoteCommand::First);
    // Note On 60/61/62 on any channel; velocity 0 is a Note Off.
    QCOMPARE(command({0x90, 60, 100}), RemoteCommand::Go);
    QCOMPARE(command({0x9f, 60, 1}), RemoteCommand::Go);
    QCOMPARE(command({0x93, 61, 64}), RemoteCommand::Stop);
    QCOMPARE(command({0x90, 62, 64}), RemoteCommand::Next);
    QCOMPARE(command({0x90, 60, 0}), std::nullopt);
    QCOMPARE(command({0x80, 60, 64}), std::nullopt);
    QCOMPARE(command({0x90, 63, 64}), std::nullopt);
    // Broken messages.
    QCOMPARE(command({0x90, 60}), std::nullopt);
    QCOMPARE(command({0x90, 0xbc, 64}), std::nullopt);
    QCOMPARE(command({0xf0, 0x7f, 0x01, 0x02, 0x01, 0x01}), std::nullopt);  // no end
    QCOMPARE(command({0xf0, 0x7e, 0x01, 0x02, 0x01, 0x01, 0xf7}), std::nullopt);
    QCOMPARE(command({}), std::nullopt);

    // A changed mapping; words that are no trigger are left out.
    remote::MidiMapping changed = m;
    changed.setTriggers(RemoteCommand::Previous, QStringLiteral("cc:20 note:128 pc:5 bogus"));
    QCOMPARE(changed.triggersOf(RemoteCommand::Previous), QStringLiteral("cc:20 pc:5"));
    const unsigned char cc[] = {0xb2, 20, 127};
    QCOMPARE(changed.commandFor(cc, 3), RemoteCommand::Previous);
    const unsigned char pc[] = {0xc0, 5};
    QCOMPARE(changed.commandFor(pc, 2), RemoteCommand::Previous);
    changed.setTriggers(RemoteCommand::Go, QString());
    const unsigned char note[] = {0x90, 60, 100};
    QCOMPARE(changed.commandFor(note, 3), std::nullopt);
  }

  void settingsRoundTrip() {
    const remote::RemoteSettings defaults;
    QVERIFY(!defaults.enabled);
    QVERIFY(!defaults.network);
    QCOMPARE(defaults.port, remote::kDefaultPort);
    QCOMPARE(remote::RemoteSettings::parse({}), defaults);

    remote::RemoteSettings s;
    s.enabled = true;
    s.port = 9001;
    s.network = true;
    s.allowed = {QStringLiteral("192.168.1.20"), QStringLiteral("fe80::1")};
    s.midi = false;
    s.mapping.setTriggers(RemoteCommand::Previous, QStringLiteral("note:59"));
    QCOMPARE(remote::RemoteSettings::parse(s.format()), s);

    // Broken values keep their defaults.
    const remote::RemoteSettings broken = remote::RemoteSettings::parse(
        "enabled=yes\r\nport=70000\r\nallowed=1.2.3.4 not-an-address\r\nmidi.go=bogus\r\n");
    QVERIFY(!broken.enabled);
    QCOMPARE(broken.port, remote::kDefaultPort);
    QCOMPARE(broken.allowed, QStringList{QStringLiteral("1.2.3.4")});
    QCOMPARE(broken.mapping.triggersOf(RemoteCommand::Go), QString());

    QCOMPARE(remote::readPort(QStringLiteral("53530")), quint16(53530));
    for (const char* bad : {"", "0", "65536", "-1", "+5", "12a", "123456"})
      QCOMPARE(remote::readPort(QString::fromLatin1(bad)), std::nullopt);
  }

  void packetsDecode() {
    OscMessage m = msg("/scenova/cue", {OscArg::string(QStringLiteral("Fade Out")),
                                        OscArg::integer(-7), OscArg::real(2.5f)});
    const QByteArray packet = platform::encodeOscMessage(m);
    QVERIFY(!packet.isEmpty());
    std::vector<OscMessage> out;
    QCOMPARE(platform::decodeOscPacket(packet.constData(), size_t(packet.size()), out),
             platform::OscDecode::Ok);
    QCOMPARE(out.size(), 1u);
    QCOMPARE(out[0].address, m.address);
    QCOMPARE(out[0].types(), QStringLiteral("sif"));
    QCOMPARE(out[0].args[0].text, QStringLiteral("Fade Out"));
    QCOMPARE(out[0].args[1].i, -7);
    QCOMPARE(out[0].args[2].f, 2.5f);

    // A symbol (",S") is read as text and sent on as a symbol again.
    const QByteArray symbol("/scenova/cue\0\0\0\0,S\0\0Go\0\0", 24);
    out.clear();
    QCOMPARE(platform::decodeOscPacket(symbol.constData(), size_t(symbol.size()), out),
             platform::OscDecode::Ok);
    QCOMPARE(out.size(), 1u);
    QCOMPARE(out[0].args[0].type, OscArg::Type::Text);
    QCOMPARE(out[0].args[0].text, QStringLiteral("Go"));
    QCOMPARE(platform::encodeOscMessage(out[0]), symbol);

    // Bundles: taken whole up to the depth bound, refused deeper.
    auto bundle = [](const QByteArray& inner) -> QByteArray {
      QByteArray b("#bundle\0", 8);
      b += QByteArray(7, '\0') + '\1';
      const auto n = static_cast<quint32>(inner.size());
      b += char(n >> 24);
      b += char(n >> 16);
      b += char(n >> 8);
      b += char(n);
      return b + inner;
    };
    QByteArray nested = packet;
    for (int depth = 1; depth <= platform::kMaxBundleDepth; ++depth) {
      nested = bundle(nested);
      out.clear();
      QCOMPARE(platform::decodeOscPacket(nested.constData(), size_t(nested.size()), out),
               platform::OscDecode::Ok);
      QCOMPARE(out.size(), 1u);
    }
    nested = bundle(nested);
    out.clear();
    QCOMPARE(platform::decodeOscPacket(nested.constData(), size_t(nested.size()), out),
             platform::OscDecode::TooDeep);
    QVERIFY(out.empty());

    // Broken packets.
    const QList<QByteArray> broken{
        QByteArray(),
        QByteArray("/sc", 3),
        QByteArray("scenova\0", 8),
        QByteArray("/scenova/go", 11),   // no terminating zero
        packet.left(packet.size() - 4),  // arguments cut off
        bundle(packet).left(bundle(packet).size() - 4),
        QByteArray("#bundle\0\0\0\0\0\0\0\0\1\x7f\xff\xff\xff", 20),  // element past the end
    };
    for (const QByteArray& b : broken) {
      out.clear();
      QVERIFY2(platform::decodeOscPacket(b.constData(), size_t(b.size()), out) !=
                   platform::OscDecode::Ok,
               b.toHex().constData());
      QVERIFY(out.empty());
    }
    const QByteArray huge(int(platform::kMaxOscPacket) + 4, '/');
    QCOMPARE(platform::decodeOscPacket(huge.constData(), size_t(huge.size()), out),
             platform::OscDecode::TooLarge);
  }
};

QTEST_GUILESS_MAIN(TestRemoteDispatch)
#include "test_remote_dispatch.moc"
