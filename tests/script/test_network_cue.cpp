// Network cues: how [[OSC host:port /address args...]] is read and written,
// that a click sends the message without waiting (also to a name that does
// not resolve, which then gives a notice), and what the pre-show check says.

#include "platform/osc/osc_server.h"
#include "script/cue_rig.h"
#include "script/cue_sheet.h"
#include "script/network_cue.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace scenova;
using Rig = test::CueRig;

class TestNetworkCue : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void reading_data() {
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("canonical");  // empty: not a network cue
    QTest::addColumn<QString>("types");
    auto S = [](const char* s) { return QString::fromUtf8(s); };
    QTest::newRow("no arguments") << S("OSC 127.0.0.1:53530 /scenova/go")
                                  << S("OSC 127.0.0.1:53530 /scenova/go") << S("");
    QTest::newRow("any case, extra blanks")
        << S("osc   desk.local:8000   /cue/5/go  ") << S("OSC desk.local:8000 /cue/5/go") << S("");
    QTest::newRow("all three kinds")
        << S("OSC console:9000 /eos/cue 3 -12 0.5 \"Act 2\" 1e3 .25 7.")
        << S("OSC console:9000 /eos/cue 3 -12 0.5 \"Act 2\" 1000.0 0.25 7.0") << S("iifsfff");
    QTest::newRow("IPv6 in brackets")
        << S("OSC [::1]:9000 /x 1") << S("OSC [::1]:9000 /x 1") << S("i");
    QTest::newRow("empty text") << S("OSC h:1 /x \"\"") << S("OSC h:1 /x \"\"") << S("s");
    QTest::newRow("no port") << S("OSC host /x") << S("") << S("");
    QTest::newRow("port zero") << S("OSC host:0 /x") << S("") << S("");
    QTest::newRow("port too large") << S("OSC host:65536 /x") << S("") << S("");
    QTest::newRow("port not digits") << S("OSC host:12a /x") << S("") << S("");
    QTest::newRow("IPv6 without brackets") << S("OSC ::1:9000 /x") << S("") << S("");
    QTest::newRow("no address") << S("OSC host:9000") << S("") << S("");
    QTest::newRow("address without slash") << S("OSC host:9000 go") << S("") << S("");
    QTest::newRow("unterminated text") << S("OSC host:9000 /x \"Act 2") << S("") << S("");
    QTest::newRow("quote inside a word") << S("OSC host:9000 /x a\"b\"") << S("") << S("");
    QTest::newRow("word that is no number") << S("OSC host:9000 /x 12abc") << S("") << S("");
    QTest::newRow("integer too large") << S("OSC host:9000 /x 99999999999") << S("") << S("");
    QTest::newRow("blank in the host") << S("OSC my host:9000 /x") << S("") << S("");
    QTest::newRow("a file named osc") << S("osc.wav") << S("") << S("");
  }
  void reading() {
    QFETCH(QString, content);
    QFETCH(QString, canonical);
    QFETCH(QString, types);
    const std::optional<script::NetworkCue> cue =
        script::readNetworkCue(script::trimBlanks(content));
    QCOMPARE(cue ? cue->canonical : QString(), canonical);
    if (!cue) return;
    QCOMPARE(cue->message.types(), types);
    // The canonical form reads back as the same cue.
    const auto again = script::readNetworkCue(cue->canonical);
    QVERIFY(again);
    QCOMPARE(again->canonical, cue->canonical);
    QCOMPARE(again->message.types(), types);
  }

  void aClickSendsWithoutWaitingAndTypingOnlyRewrites() {
    platform::OscServer listener;
    QVERIFY(listener.listen({0, false, {}}));
    QSignalSpy got(&listener, &platform::OscServer::received);
    Rig r;
    const QString content =
        QStringLiteral("osc 127.0.0.1:%1 /scenova/cue \"Play Audio\" 2").arg(listener.port());
    const QString canonical =
        QStringLiteral("OSC 127.0.0.1:%1 /scenova/cue \"Play Audio\" 2").arg(listener.port());

    // Typed: canonical and blue, nothing sent.
    r.editor->SetText(QStringLiteral("Go [[") + content + QStringLiteral("]] now"));
    QString text = content;
    QVERIFY(r.engine->interpreter().RunCommand(text, 6, 6 + int(content.size()), false));
    QCOMPARE(text, canonical);
    QCOMPARE(r.editor->Text(), QStringLiteral("Go [[") + canonical + QStringLiteral("]] now"));
    r.editor->Select(5, 3);
    QCOMPARE(r.editor->SelColor(), QColor(0, 0, 255));

    // Clicked: sent, and the click is counted as a command.
    r.clickAt(8);
    QVERIFY(r.state().CommandDone);
    QTRY_COMPARE(got.size(), 1);
    const auto m = got[0][0].value<platform::OscMessage>();
    QCOMPARE(m.address, QStringLiteral("/scenova/cue"));
    QCOMPARE(m.types(), QStringLiteral("si"));
    QCOMPARE(m.args[0].text, QStringLiteral("Play Audio"));
    QVERIFY(r.host->notices.isEmpty());

    // A name that does not resolve: the click returns at once, a notice
    // follows.
    r.editor->SetText(QStringLiteral("[[OSC no-such-host.invalid:9000 /go]]"));
    QElapsedTimer clock;
    clock.start();
    r.clickAt(10);
    QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE_WITH_TIMEOUT(r.host->notices.size(), 1, 30000);
    QVERIFY(r.host->notices[0].contains(QStringLiteral("no-such-host.invalid:9000")));
  }

  void thePreShowCheckListsNetworkCuesAndUnknownHosts() {
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("show.txt"));
    QFile f(script);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[[osc localhost:9000 /go]]\r\n[[OSC no-such-host.invalid:9000 /go 1]]\r\n");
    f.close();
    QBuffer out, err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    const int status = script::writeCueSheet(script, dir.path(), out, err);
    QCOMPARE(QString::fromUtf8(out.data()),
             QStringLiteral("1\t1\tnetwork\tOSC localhost:9000 /go\n"
                            "2\t1\tnetwork\tOSC no-such-host.invalid:9000 /go 1\n"));
    QCOMPARE(status, 1);
    const QString e = QString::fromUtf8(err.data());
    QVERIFY2(e.startsWith(QStringLiteral("scenova: line 2 column 1: the host name "
                                         "no-such-host.invalid does not resolve")),
             qPrintable(e));
    QCOMPARE(e.count(QLatin1Char('\n')), 1);
  }
};

QTEST_MAIN(TestNetworkCue)
#include "test_network_cue.moc"
