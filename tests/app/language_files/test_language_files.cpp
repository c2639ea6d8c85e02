// Checks the language files that ship with the program: encoding, line ends,
// line count and the texts that the program relies on.
#include <QFile>
#include <QSet>
#include <QStringDecoder>
#include <QtTest>

namespace {

// Every index the program reads from the language table.
const QList<int>& usedIndexes() {
  static const QList<int> used = [] {
    QList<int> list{0,  1,  2,  3,   7,   8,   29,  30,  71,  72,  74,  75,  81,  82,
                    90, 91, 92, 131, 132, 133, 135, 141, 142, 143, 146, 147, 148, 149};
    for (int i = 13; i <= 19; ++i) list << i;
    for (int i = 21; i <= 26; ++i) list << i;
    for (int i = 41; i <= 57; ++i) list << i;
    for (int i = 59; i <= 68; ++i) list << i;
    for (int i = 97; i <= 129; ++i) list << i;
    list << 195;  // Cancel (text 21 reads Undo in most languages)
    for (int i = 150; i <= 153; ++i) list << i;
    for (int i = 180; i <= 185; ++i) list << i;  // show mode
    list << 164 << 165;                          // a language file the program cannot use
    for (int i = 200; i <= 202; ++i) list << i;  // leaving a show, a read-only script
    for (int i = 172; i <= 176; ++i) list << i;
    for (int i = 160; i <= 162; ++i) list << i;
    for (int i = 245; i <= 247; ++i) list << i;  // recovery copies, saves over changed files
    list << 208;         // the projector's monitor went away during the show
    list << 260;         // a script handed over while the show runs
    list << 261;         // Help, Example show
    list << 220;         // no sound output
    list << 221 << 222;  // media and pictures that cannot be shown
    for (int i = 223; i <= 231; ++i) list << i;  // the audio device's errors
    list << 270;  // a saved language file that cannot be used at start-up
    for (int i = 262; i <= 265; ++i) list << i;  // cue groups: Wait alone, bad waits, Stop all
    for (int i = 248; i <= 254; ++i) list << i;  // Options, Audio output
    list << 232 << 233;  // a paste that takes nothing (owner silent, too large)
    list << 234 << 235;  // how far a long open or save has come
    for (int i = 236; i <= 244; ++i) list << i;  // the print dialog, no printer
    for (int i = 300; i <= 328; ++i) list << i;  // remote control, network cues, MIDI
    for (int i = 280; i <= 287; ++i) list << i;  // sound layers
    list << 288;  // a print job that waits for the print system
    return list;
  }();
  return used;
}

// Menu captions: one "&" at most, and it must mark a letter.
const QSet<int> kMenuCaptions{2,  3,  13,  15,  16,  17,  18,  19,  21,  42,  43, 44,
                              45, 46, 47,  48,  49,  50,  51,  56,  59,  71,  72, 74,
                              81, 82, 119, 128, 129, 131, 132, 147, 149, 248, 261};

constexpr int kMinLines = 150;

QStringList readLines(const QString& name, QString* failure) {
  QFile file(QStringLiteral(SCENOVA_LANG_DIR "/") + name);
  if (!file.open(QIODevice::ReadOnly)) {
    *failure = QStringLiteral("cannot open ") + file.fileName();
    return {};
  }
  const QByteArray bytes = file.readAll();
  if (bytes.startsWith("\xEF\xBB\xBF")) *failure = QStringLiteral("starts with a byte order mark");
  if (!bytes.endsWith("\r\n")) *failure = QStringLiteral("last line does not end with CR LF");
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString text = decoder(bytes);
  if (decoder.hasError()) *failure = QStringLiteral("not valid UTF-8");
  QStringList lines = text.split(QStringLiteral("\r\n"));
  lines.removeLast();  // after the final CR LF
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (lines[i].contains(QLatin1Char('\r')) || lines[i].contains(QLatin1Char('\n')))
      *failure = QStringLiteral("line %1 has a bare CR or LF").arg(i);
  }
  return lines;
}

}  // namespace

class TestLanguageFiles : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void shippedFile_data() {
    QTest::addColumn<QString>("name");
    for (const char* name :
         {"English", "Italiano", "Français", "Deutsch", "Russian", "Bulgarian", "Brazilian"})
      QTest::newRow(name) << QString::fromUtf8(name) + QStringLiteral(".lng");
  }

  void shippedFile() {
    QFETCH(QString, name);
    QString failure;
    const QStringList lines = readLines(name, &failure);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY2(lines.size() >= kMinLines, qPrintable(QString::number(lines.size())));

    // A label that does not match its line shows a line added or lost on the way.
    QStringList texts;
    for (qsizetype i = 0; i < lines.size(); ++i) {
      const QString label = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
      QVERIFY2(lines[i].startsWith(label), qPrintable(QStringLiteral("line %1").arg(i)));
      texts << lines[i].mid(3);
    }

    for (int index : usedIndexes()) {
      const QString& text = texts[index];
      const QByteArray where = QByteArray::number(index) + ": " + text.toUtf8();
      QVERIFY2(!text.isEmpty(), where.constData());
      QVERIFY2(text == text.trimmed(), where.constData());
      if (kMenuCaptions.contains(index)) {
        const qsizetype amp = text.indexOf(QLatin1Char('&'));
        QVERIFY2(text.count(QLatin1Char('&')) <= 1, where.constData());
        QVERIFY2(amp < 0 || (amp + 1 < text.size() && text[amp + 1].isLetter()), where.constData());
      }
    }

    // The File menu's entries (New, Open, Save, Save As, Print, Exit) each
    // have their own access key.
    QSet<QChar> fileKeys;
    for (int index : {42, 43, 44, 45, 46, 119}) {
      const qsizetype amp = texts[index].indexOf(QLatin1Char('&'));
      if (amp < 0) continue;
      const QChar key = texts[index][amp + 1].toLower();
      QVERIFY2(!fileKeys.contains(key), qPrintable(QString::number(index) + u' ' + texts[index]));
      fileKeys << key;
    }

    // The dialog filter and the About title cut the last three characters off.
    QVERIFY(texts[15].endsWith(QStringLiteral("...")));
    QVERIFY(texts[19].endsWith(QStringLiteral("...")));
    // These captions get "..." from the program.
    for (int index : {3, 147, 149}) QVERIFY(!texts[index].endsWith(QLatin1Char('.')));
    // The Find button puts its own "&" in front of text 56.
    QVERIFY(!texts[56].contains(QLatin1Char('&')));
    // The play-state marker tells playing from paused by these two words.
    QVERIFY(texts[7] != texts[8]);
    // The untitled stem becomes part of a file name in the Save As dialog.
    for (QChar c : QStringLiteral("/\\:*?\"<>|"))
      QVERIFY2(!texts[97].contains(c), qPrintable(texts[97]));
  }

  // Each help page covers what the English one covers, show mode and the
  // pre-show check among it, and names the menu items by the captions the
  // window shows in that language.
  void helpPage_data() { shippedFile_data(); }
  void helpPage() {
    QFETCH(QString, name);
    const QString stem = name.chopped(4);
    auto page = [](const QString& pageStem) {
      QFile f(QStringLiteral(SCENOVA_LANG_DIR "/../Help/") + pageStem + QStringLiteral(".html"));
      return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    const QString html = page(stem);
    QVERIFY2(!html.isEmpty(), qPrintable(stem));
    QCOMPARE(html.count(QStringLiteral("<h2>")),
             page(QStringLiteral("English")).count(QStringLiteral("<h2>")));
    for (const char* must : {"<kbd>F12</kbd>", "--cue-sheet"})
      QVERIFY2(html.contains(QLatin1StringView(must)), must);
    QString failure;
    const QStringList lines = readLines(name, &failure);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    for (int index : {180, 185}) {
      const QString caption = lines.value(index).mid(3);
      QVERIFY2(html.contains(caption), qPrintable(caption));
    }
  }
};

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "test_language_files.moc"
