#include "app/language_ui.h"
#include "support/program_folder.h"
#include "ui/language_table.h"

#include <QTemporaryDir>
#include <QTest>

using namespace scenova::app;
using namespace scenova::ui;

static QString S(const char* utf8) {
  return QString::fromUtf8(utf8);
}

class TestLanguage : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void lineRule_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("text");
    QTest::newRow("label without blank") << QStringLiteral("001Nuovo") << QStringLiteral("Nuovo");
    QTest::newRow("blank is the third character")
        << QStringLiteral("01 Nuovo") << QStringLiteral("Nuovo");
    QTest::newRow("short label eats a letter")
        << QStringLiteral("1 Nuovo") << QStringLiteral("uovo");
    QTest::newRow("three characters") << QStringLiteral("007") << QString();
    QTest::newRow("blanks kept") << QStringLiteral("007 Play ") << QStringLiteral(" Play ");
    QTest::newRow("empty") << QString() << QString();
  }
  void lineRule() {
    QFETCH(QString, line);
    QFETCH(QString, text);
    QCOMPARE(languageLineText(line), text);
  }

  void loadsLinesInOrderAndKeepsLaterEntries() {
    LanguageTable t;
    t.loadBytes("000zero\r\n001one\r\n002two\r\n");
    QCOMPARE(t[0], QStringLiteral("zero"));
    QCOMPARE(t[2], QStringLiteral("two"));
    // A shorter file mixes new and old texts.
    t.loadBytes("000nul\r\n");
    QCOMPARE(t[0], QStringLiteral("nul"));
    QCOMPARE(t[1], QStringLiteral("one"));
    // Blank lines count as lines; LF and lone CR end lines as well.
    t.loadBytes("000a\n\n002c\r003d");
    QCOMPARE(t[1], QString());
    QCOMPARE(t[2], QStringLiteral("c"));
    QCOMPARE(t[3], QStringLiteral("d"));
  }

  void encodings() {
    LanguageTable t;
    t.loadBytes(QByteArray("000Proprietà\r\n"));  // UTF-8 source
    QCOMPARE(t[0], QString::fromUtf8("Proprietà"));
    t.loadBytes(QByteArray("000Propriet\xe0 \x80\r\n"));  // Windows-1252
    QCOMPARE(t[0], QString::fromUtf8("Proprietà €"));
    t.loadBytes(
        QByteArray("\xef\xbb\xbf"
                   "000bom\r\n"));
    QCOMPARE(t[0], QStringLiteral("bom"));
  }

  void badFilesNeverOverflow() {
    LanguageTable t;
    t.loadBytes(QByteArray());  // empty file: nothing changes
    QCOMPARE(t[0], QString());
    QByteArray many;
    for (int i = 0; i < 5000; ++i) many += "000x\r\n";
    t.loadBytes(many);  // lines past the capacity are ignored
    QCOMPARE(t[LanguageTable::kCapacity - 1], QStringLiteral("x"));
    QCOMPARE(t[LanguageTable::kCapacity], QString());
    QCOMPARE(t[-1], QString());
    t.loadBytes(QByteArray(QByteArray("000") + QByteArray(1 << 20, 'y')));  // a very long line
    QCOMPARE(t[0].size(), 1 << 20);
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7);
    t.loadBytes(binary);  // binary garbage loads as some text
    QString error;
    QVERIFY(!t.load(QStringLiteral("/nonexistent/English.lng"), &error));
    QVERIFY(!error.isEmpty());
  }

  // What the language dialog or a start-up may load: anything but a
  // language file is refused and leaves the table as it was; a short file
  // is completed with the English texts, so no question or label is blank.
  void languageFilesCheckedAndCompleted() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.lng"));
    auto writeFile = [&](const QByteArray& bytes) {
      QFile f(path);
      QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
      f.write(bytes);
    };
    LanguageTable t;
    t.setText(2, QStringLiteral("&Datei"));
    QByteArray random(4096, '\0');
    quint32 x = 12345;
    for (char& c : random) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    QString why;
    for (const QByteArray& bad : {random, QByteArray("[[Vol 60]] music\r\nHAMLET: To be\r\n"),
                                  QByteArray("000\r\n001\r\n"), QByteArray()}) {
      writeFile(bad);
      QVERIFY(!t.load(path, &why));
      QVERIFY(!why.isEmpty());
      QCOMPARE(t[2], QStringLiteral("&Datei"));
    }

    QByteArray thirty;
    for (int i = 0; i < 30; ++i) thirty += QByteArray::number(i).rightJustified(3, '0') + "T\r\n";
    thirty.replace("002T", "002   ");  // a blank text inside the file
    writeFile(thirty);
    QVERIFY(t.load(path));
    QCOMPARE(t[1], QStringLiteral("T"));
    QCOMPARE(t[2], QStringLiteral("&File"));  // blank in the file
    const LanguageTable& english = LanguageTable::builtInEnglish();
    for (int i : {56, 57, 59, 60, 61, 98, 160, 164, 270}) {  // Find dialog, save question
      QVERIFY(!english[i].isEmpty());
      QCOMPARE(t[i], english[i]);
    }

    // The dialog refuses random bytes with the reason and keeps the language.
    scenova::test::ProgramFolder folder;
    folder.write(QStringLiteral("Lang/Random.lng"), random);
    LanguageTable german;
    QVERIFY(german.load(folder.file(QStringLiteral("Lang/Deutsch.lng"))));
    LanguageTable shown = german;
    QCOMPARE(acceptChosenLanguage(folder.file(QStringLiteral("Lang/Random.lng")), folder.path(),
                                  shown, &why),
             QString());
    QVERIFY(why.startsWith(german[165]));
    QCOMPARE(shown[2], german[2]);
  }

  void qtTranslationsForEveryShippedLanguage() {
    QCOMPARE(qtTranslationLocale(QStringLiteral("Italiano.lng")), QStringLiteral("it"));
    QCOMPARE(qtTranslationLocale(QStringLiteral("old/Russian.lng")), QStringLiteral("ru"));
    QCOMPARE(qtTranslationLocale(S("Français.lng")), QStringLiteral("fr"));
    QCOMPARE(qtTranslationLocale(QStringLiteral("Brazilian.lng")), QStringLiteral("pt_BR"));
    QCOMPARE(qtTranslationLocale(QStringLiteral("Bulgarian.lng")), QStringLiteral("bg"));
    QCOMPARE(qtTranslationLocale(QStringLiteral("Deutsch.lng")), QStringLiteral("de"));
    QCOMPARE(qtTranslationLocale(QStringLiteral("English.lng")), QString());
  }

  void tooltipsAndAmpersands() {
    LanguageTable t;
    t.setText(101, QStringLiteral("Italic"));
    QCOMPARE(t.tooltip(101), QStringLiteral(" Italic "));
    QCOMPARE(StripAmpersands(QStringLiteral("Salva con &nome")), QStringLiteral("Salva con nome"));
    QCOMPARE(StripAmpersands(QStringLiteral("&&")), QString());
  }

  void chosenLanguagePath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("file");
    QTest::newRow("program folder")
        << QStringLiteral("/opt/scenova/Lang/Deutsch.lng") << QStringLiteral("Deutsch.lng");
    QTest::newRow("any Lang folder")
        << QStringLiteral("/home/a/Lang/Deutsch.lng") << QStringLiteral("Deutsch.lng");
    QTest::newRow("last one wins")
        << QStringLiteral("/x/Lang/y/Lang/Russian.lng") << QStringLiteral("Russian.lng");
    QTest::newRow("lower case lang") << QStringLiteral("/x/lang/Deutsch.lng") << QString();
    QTest::newRow("backslashes") << QStringLiteral("C:\\P\\Lang\\English.lng")
                                 << QStringLiteral("English.lng");
  }
  void chosenLanguagePath() {
    QFETCH(QString, path);
    QFETCH(QString, file);
    QCOMPARE(languageFileFromChosenPath(path), file);
  }

  void countryTables_data() {
    QTest::addColumn<QString>("country");
    QTest::addColumn<QString>("atStartup");
    QTest::addColumn<QString>("inWindow");
    QTest::newRow("it") << S("it") << S("Italiano.lng") << S("Italiano.lng");
    QTest::newRow("de") << S("de") << S("Deutsch.lng") << S("Deutsch.lng");
    QTest::newRow("pt") << S("pt") << S("English.lng") << S("Brazilian.lng");
    QTest::newRow("br") << S("br") << S("Brazilian.lng") << S("Brazilian.lng");
    QTest::newRow("bg") << S("bg") << S("Bulgarian.lng") << S("Bulgarian.lng");
    QTest::newRow("ru") << S("ru") << S("Russian.lng") << S("Russian.lng");
    QTest::newRow("fr") << S("fr") << S("Français.lng") << S("Français.lng");
    QTest::newRow("us") << S("us") << S("English.lng") << S("English.lng");
    QTest::newRow("none") << S("") << S("English.lng") << S("English.lng");
  }
  void countryTables() {
    QFETCH(QString, country);
    QFETCH(QString, atStartup);
    QFETCH(QString, inWindow);
    scenova::test::ProgramFolder folder;
    QCOMPARE(startupLanguageForCountry(country, folder.path()), atStartup);
    QCOMPARE(windowLanguageForCountry(country, folder.path()), inWindow);
  }

  void frenchFallbacks() {
    scenova::test::ProgramFolder folder;
    const QString fr = QString::fromUtf8("Français.lng");
    QFile::rename(folder.file(QStringLiteral("Lang/") + fr),
                  folder.file(QStringLiteral("Lang/French.lng")));
    QCOMPARE(startupLanguageForCountry(QStringLiteral("fr"), folder.path()),
             QStringLiteral("French.lng"));
    // The window variant looks for Français only and falls back to English.
    QCOMPARE(windowLanguageForCountry(QStringLiteral("fr"), folder.path()),
             QStringLiteral("English.lng"));
    QFile::remove(folder.file(QStringLiteral("Lang/French.lng")));
    QCOMPARE(startupLanguageForCountry(QStringLiteral("fr"), folder.path()),
             QStringLiteral("English.lng"));
  }

  // What the language dialog may choose: files the next start finds under
  // the name that is stored, also through a linked program folder.
  void chosenLanguageFiles() {
    scenova::test::ProgramFolder folder;
    QDir().mkpath(folder.file(QStringLiteral("Lang/old")));
    QVERIFY(QFile::copy(folder.file(QStringLiteral("Lang/Russian.lng")),
                        folder.file(QStringLiteral("Lang/old/Russian.lng"))));
    QTemporaryDir links;
    const QString linked = links.filePath(QStringLiteral("scenova"));
    QVERIFY(QFile::link(folder.path(), linked));

    LanguageTable table;  // nothing loaded yet: the reasons are in English
    QString why;
    QCOMPARE(acceptChosenLanguage(folder.file(QStringLiteral("Lang/old/Russian.lng")),
                                  folder.path(), table, &why),
             QStringLiteral("old/Russian.lng"));
    LanguageTable russian;
    QVERIFY(russian.load(folder.file(QStringLiteral("Lang/Russian.lng"))));
    QCOMPARE(table[2], russian[2]);  // loaded into the table
    QCOMPARE(acceptChosenLanguage(linked + QStringLiteral("/Lang/Deutsch.lng"), folder.path(),
                                  table, &why),
             QStringLiteral("Deutsch.lng"));

    LanguageTable empty;
    QCOMPARE(
        acceptChosenLanguage(QStringLiteral("/no/Lang/Deutsch.lng"), folder.path(), empty, &why),
        QString());
    QVERIFY(why.startsWith(QStringLiteral("This language file is not in the program's Lang")));
    QVERIFY(why.endsWith(QStringLiteral("/no/Lang/Deutsch.lng")));
    QCOMPARE(empty[2], QString());  // unchanged
  }
};

QTEST_APPLESS_MAIN(TestLanguage)
#include "test_language.moc"
