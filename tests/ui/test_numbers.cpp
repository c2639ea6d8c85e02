// Numbers as cues, dialog fields and the players' counters read and write
// them.

#include "ui/numbers.h"

#include <QTest>

#include <clocale>

using namespace scenova::ui;

class TestNumbers : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void readNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << QStringLiteral("75") << 75.0;
    QTest::newRow("blanks anywhere") << QStringLiteral(" 1 2") << 12.0;
    QTest::newRow("tabs and line feeds") << QStringLiteral("\t1\n5") << 15.0;
    QTest::newRow("sign") << QStringLiteral("-20") << -20.0;
    QTest::newRow("plus sign") << QStringLiteral("+3") << 3.0;
    QTest::newRow("sign then blank") << QStringLiteral("- 4") << -4.0;
    QTest::newRow("decimal") << QStringLiteral("2.5") << 2.5;
    QTest::newRow("leading point") << QStringLiteral(".5") << 0.5;
    QTest::newRow("second point stops") << QStringLiteral("1.2.3") << 1.2;
    QTest::newRow("comma is no decimal mark") << QStringLiteral("1,5") << 1.0;
    QTest::newRow("exponent E") << QStringLiteral("1.5E2") << 150.0;
    QTest::newRow("exponent d lower") << QStringLiteral("2d3") << 2000.0;
    QTest::newRow("negative exponent") << QStringLiteral("5e-1") << 0.5;
    QTest::newRow("exponent without digits") << QStringLiteral("7e") << 7.0;
    QTest::newRow("hex") << QStringLiteral("&HFF") << 255.0;
    QTest::newRow("hex lower") << QStringLiteral("&hff") << 255.0;
    QTest::newRow("octal") << QStringLiteral("&O17") << 15.0;
    QTest::newRow("hex stops at non-digit") << QStringLiteral("&H1G") << 1.0;
    QTest::newRow("ampersand alone") << QStringLiteral("&") << 0.0;
    QTest::newRow("minutes are not read") << QStringLiteral("1:30") << 1.0;
    QTest::newRow("word") << QStringLiteral("abc") << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("sign only") << QStringLiteral("-") << 0.0;
    QTest::newRow("volume word") << QStringLiteral("ume 50") << 0.0;
    QTest::newRow("carriage return stops") << QStringLiteral("1\r2") << 1.0;
    QTest::newRow("non-ASCII digit stops") << QString::fromUtf8("1\u0663") << 1.0;
  }
  void readNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(ReadNumber(text), value);
  }

  void signedDecimal_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 12.0 << QStringLiteral(" 12");
    QTest::newRow("milliseconds") << 12000.0 << QStringLiteral(" 12000");
    QTest::newRow("half") << 0.5 << QStringLiteral(" .5");
    QTest::newRow("zero") << 0.0 << QStringLiteral(" 0");
    QTest::newRow("negative") << -2.25 << QStringLiteral("-2.25");
    QTest::newRow("negative below one") << -0.5 << QStringLiteral("-.5");
    QTest::newRow("fraction") << 2500.5 << QStringLiteral(" 2500.5");
    QTest::newRow("long show") << 10800000.0 << QStringLiteral(" 10800000");
  }
  void signedDecimal() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(scenova::ui::signedDecimal(value), text);
  }

  // A German or French user's locale writes numbers with a comma; cues
  // and their canonical text keep the point.
  void numbersIgnoreTheUsersLocale() {
    const QByteArray saved = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
      QSKIP("de_DE.UTF-8 is not installed (scripts/setup.sh generates it)");
    const double read = ReadNumber(QStringLiteral("-0.5"));
    const double point = ReadNumber(QStringLiteral(".25E1"));
    const QString written = scenova::ui::signedDecimal(-2.25);
    const QString tiny = scenova::ui::signedDecimal(1234567.5e-12);
    std::setlocale(LC_NUMERIC, saved.constData());
    QCOMPARE(read, -0.5);
    QCOMPARE(point, 2.5);
    QCOMPARE(written, QStringLiteral("-2.25"));
    QCOMPARE(tiny, QStringLiteral(" .000001"));
  }
};

QTEST_APPLESS_MAIN(TestNumbers)
#include "test_numbers.moc"
