// The clipboard as other programs on the desktop see it: under the test X
// server, xclip reads the RTF the editor copied and offers RTF that the
// editor pastes with its formatting.

#include "support/form_fixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>

using namespace scenova;

namespace {

// Runs xclip while this process keeps serving its clipboard.
QByteArray xclip(const QStringList& args, const QByteArray& input = {}) {
  QProcess p;
  p.start(QStringLiteral("xclip"), args);
  if (!input.isEmpty()) {
    p.write(input);
    p.closeWriteChannel();
  }
  for (int i = 0; i < 500 && p.state() != QProcess::NotRunning; ++i) QTest::qWait(10);
  return p.readAllStandardOutput();
}

}  // namespace

class TestClipboardX11 : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void copiedFormattingReachesOtherPrograms() {
    test::FormFixture f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    platform::RTB& rtb = f.rtb();
    rtb.SetText(QStringLiteral("quiet LOUD quiet"));
    rtb.Select(6, 4);
    rtb.SetSelBold(true);
    rtb.SetSelColor(QColor(255, 0, 0));
    f.form->ui().mnuCopia->trigger();
    const QStringList targets =
        QString::fromUtf8(
            xclip({QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o"),
                   QStringLiteral("-t"), QStringLiteral("TARGETS")}))
            .split(QLatin1Char('\n'));
    QVERIFY2(targets.contains(QStringLiteral("text/rtf")), qPrintable(targets.join(u' ')));
    QVERIFY(targets.contains(QStringLiteral("application/rtf")));
    const QByteArray rtf =
        xclip({QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o"),
               QStringLiteral("-t"), QStringLiteral("text/rtf")});
    QVERIFY2(rtf.startsWith("{\\rtf1"), rtf.constData());
    QVERIFY(rtf.contains("\\b"));
    QVERIFY(rtf.contains("\\red255\\green0\\blue0"));
    QVERIFY(rtf.contains("LOUD"));
  }

  void rtfFromOtherProgramsPastesFormatted() {
    test::FormFixture f;
    f.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
    // xclip keeps serving the clipboard in the background until replaced.
    QProcess::execute(
        QStringLiteral("sh"),
        {QStringLiteral("-c"),
         QStringLiteral("printf '%s' '{\\rtf1\\ansi{\\colortbl;\\red0\\green128\\blue0;}"
                        "\\b\\cf1 green bold}' | xclip -selection clipboard -t text/rtf -i "
                        ">/dev/null 2>&1")});
    QTest::qWait(200);
    f.form->ui().mnuIncolla->trigger();
    platform::RTB& rtb = f.rtb();
    QCOMPARE(rtb.Text(), QStringLiteral("green bold"));
    rtb.Select(0, 5);
    QCOMPARE(rtb.SelBold(), std::optional<bool>(true));
    QCOMPARE(rtb.SelColor().value_or(QColor()).rgb(), QColor(0, 128, 0).rgb());
    // Taking the clipboard back ends xclip.
    QGuiApplication::clipboard()->setText(QStringLiteral("done"));
    QTest::qWait(100);
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") ||
      qEnvironmentVariableIsEmpty("SCENOVA_TEST_BUS_ADDRESS") ||
      QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty()) {
    std::fputs("needs the test environment's X server and xclip\n", stderr);
    return 77;
  }
  QApplication app(argc, argv);
  TestClipboardX11 t;
  return QTest::qExec(&t, argc, argv);
}

#include "test_clipboard_x11.moc"
