#include "script/cue_sheet.h"

#include "platform/environment.h"
#include "platform/headless_app.h"
#include "platform/osc/osc_sender.h"
#include "platform/rtb/script_file.h"
#include "platform/rtb/script_text.h"
#include "script/cue_groups.h"
#include "script/cue_search.h"
#include "script/interpreter.h"
#include "script/layer_cues.h"
#include "script/markup.h"
#include "script/media_loader.h"
#include "script/network_cue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <QTextDocument>

#include <memory>

namespace scenova::script {

namespace {

const char* typeName(MediaType t) {
  switch (t) {
    case MediaType::Video:
      return "video";
    case MediaType::Midi:
      return "midi";
    case MediaType::Picture:
      return "picture";
    case MediaType::Audio:
      break;
  }
  return "audio";
}

// What a click on a cue with this content would do.
void describe(SheetLine& line, QStringView content, const QString& scriptFolder,
              const QString& programFolder) {
  const QStringView trimmed = trimBlanks(content);
  if (const RecognisedCommand command = recogniseCommand(trimmed, true, true)) {
    const bool badWait = command.info->id == CommandId::Wait && !waitMs(command.argument);
    line.kind = badWait ? QStringLiteral("invalid") : QStringLiteral("command");
    line.text = typedCanonical(command);
    return;
  }
  if (const std::optional<NetworkCue> cue = readNetworkCue(trimmed)) {
    line.kind = QStringLiteral("network");
    line.text = cue->canonical;
    return;
  }
  // Opening the script makes its folder the current one, so the show looks
  // where the sheet looks.
  if (const LayerCue layer = recogniseLayerCue(trimmed)) {
    const QString file =
        layer.verb == LayerVerb::StopAll
            ? QString()
            : resolveCueFile(layer.file, scriptFolder, scriptFolder, programFolder);
    if (layer.verb != LayerVerb::StopAll && file.isEmpty()) {
      line.kind = QStringLiteral("missing");
      line.text = trimmed.toString();
      return;
    }
    line.kind = QStringLiteral("sound");
    line.text =
        file.isEmpty() ? layer.canonical : QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    return;
  }
  const QString found = resolveCueFile(trimmed, scriptFolder, scriptFolder, programFolder);
  if (found.isEmpty()) {
    line.kind = QStringLiteral("missing");
    line.text = trimmed.toString();
    return;
  }
  line.kind = QLatin1StringView(typeName(mediaTypeOf(found)));
  line.text = QDir::cleanPath(QFileInfo(found).absoluteFilePath());
}

bool writeUtf8(QIODevice& device, const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return device.write(bytes) == bytes.size();
}

int cannotWrite(QIODevice& out, QIODevice& err) {
  writeUtf8(err, QStringLiteral("scenova: cannot write the cue sheet: ") + out.errorString() +
                     QLatin1Char('\n'));
  return kSheetNotWritten;
}

// Qt's own diagnostics (fonts, platform) stay off standard error, which
// carries only the one-line failure.
}  // namespace

SheetLine describeCue(QStringView content, const QString& scriptFolder,
                      const QString& programFolder) {
  SheetLine line;
  describe(line, content, scriptFolder, programFolder);
  return line;
}

QString sheetField(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    if (c == QLatin1Char('\r'))
      out += QStringLiteral("\\r");
    else if (c == QLatin1Char('\n'))
      out += QStringLiteral("\\n");
    else if (c == QLatin1Char('\t'))
      out += QStringLiteral("\\t");
    else if (c == QLatin1Char('\v'))  // the editor's line break inside a paragraph
      out += QStringLiteral("\\v");
    else
      out += c;
  }
  return out;
}

QList<SheetLine> cueSheet(QStringView text, const QString& scriptFolder,
                          const QString& programFolder) {
  QList<SheetLine> sheet;
  const StringSource source(text);
  int line = 1;
  qsizetype lineStart = 0, counted = 0;
  std::optional<CueBounds> joinedNext;  // the cue joined to the one before
  for (std::optional<CueBounds> cue = cueAtOrAfter(source, 0); cue;
       cue = cueAtOrAfter(source, cue->end())) {
    for (; counted < cue->open; ++counted) {
      if (text[counted] == QLatin1Char('\r') && counted + 1 < text.size() &&
          text[counted + 1] == QLatin1Char('\n')) {
        ++line;
        lineStart = counted + 2;
        ++counted;
      }
    }
    SheetLine l{line, static_cast<int>(cue->open - lineStart + 1), {}, {}};
    const SheetLine what = describeCue(text.mid(cue->contentStart(), cue->contentLength()),
                                       scriptFolder, programFolder);
    l.kind = what.kind;
    l.text = what.text;
    l.joined = joinedNext == cue;
    joinedNext = joinedAfter(source, *cue);
    sheet.append(l);
  }
  return sheet;
}

int writeCueSheet(const QString& scriptPath, const QString& programFolder, QIODevice& out,
                  QIODevice& err) {
  QTextDocument doc;
  QString error;
  if (!platform::readScriptFile(scriptPath, doc, &error)) {
    writeUtf8(err, QStringLiteral("scenova: ") + error + QLatin1Char('\n'));
    return 2;
  }
  const QString folder = QFileInfo(scriptPath).absolutePath();
  bool missing = false;
  QHash<QString, QString> unresolved;  // host -> why, each host looked up once
  QSet<QString> resolved;
  for (const SheetLine& l : cueSheet(platform::programText(doc), folder, programFolder)) {
    missing =
        missing || l.kind == QLatin1StringView("missing") || l.kind == QLatin1StringView("invalid");
    if (l.kind == QLatin1StringView("network")) {
      const QString host = readNetworkCue(l.text)->host;
      QString why;
      if (!resolved.contains(host) && !unresolved.contains(host)) {
        if (platform::OscSender::resolves(host, &why))
          resolved.insert(host);
        else
          unresolved.insert(host, why);
      }
      if (unresolved.contains(host)) {
        missing = true;
        writeUtf8(err, QStringLiteral("scenova: line %1 column %2: the host name %3 does not "
                                      "resolve (%4)\n")
                           .arg(l.line)
                           .arg(l.column)
                           .arg(host, unresolved.value(host)));
      }
    }
    if (!writeUtf8(out, QString::number(l.line) + QLatin1Char('\t') + QString::number(l.column) +
                            QLatin1Char('\t') + l.kind + QLatin1Char('\t') + sheetField(l.text) +
                            (l.joined ? QStringLiteral("\t+") : QString()) + QLatin1Char('\n')))
      return cannotWrite(out, err);
  }
  return missing ? 1 : 0;
}

int runCueSheet(int argc, char** argv, bool* handled) {
  const bool mine = argc > 1 && QByteArray(argv[1]) == "--cue-sheet";
  if (handled) *handled = mine;
  if (!mine) return 0;
  QFile out, err;
  out.open(stdout, QIODevice::WriteOnly);
  err.open(stderr, QIODevice::WriteOnly);
  if (argc != 3) {
    writeUtf8(err, QStringLiteral("usage: scenova --cue-sheet SCRIPT\n"));
    return 2;
  }
  platform::HeadlessApplication app(argv[0]);
  const int status = writeCueSheet(
      QFile::decodeName(argv[2]),
      platform::programLayout(QCoreApplication::applicationDirPath()).folder, out, err);
  // A full disk or a closed pipe shows only when the last bytes go out.
  if (status != kSheetNotWritten && (!out.flush() || out.error() != QFileDevice::NoError))
    return cannotWrite(out, err);
  return status;
}

}  // namespace scenova::script
