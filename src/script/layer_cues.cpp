#include "script/layer_cues.h"

#include "script/cue_search.h"
#include "script/markup.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace scenova::script {

namespace {

constexpr const char* kMediaEndings[] = {
    // sound
    "wav", "mp3", "ogg", "oga", "flac", "m4a", "aac", "opus", "wma", "aif", "aiff", "aifc", "mka",
    "ac3", "mp2", "au", "caf", "wv",
    // MIDI
    "mid", "midi", "kar",
    // video (refused on a layer, with a notice)
    "mpg", "mpeg", "avi", "flv", "mp4", "ogv", "mov", "mkv", "vob", "wmv", "webm"};

struct Verb {
  LayerVerb verb;
  const char* key;  // lower case, with its blank
  const char* canonical;
  bool number;  // a number may follow the file
};

constexpr Verb kVerbs[] = {
    {LayerVerb::Sound, "sound ", "Sound", false}, {LayerVerb::Loop, "loop ", "Loop", false},
    {LayerVerb::Stop, "stop ", "Stop", false},    {LayerVerb::Fade, "fade ", "Fade", true},
    {LayerVerb::Level, "level ", "Level", true},
};

}  // namespace

bool namesMediaFile(QStringView name) {
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot <= 0 || dot + 1 >= name.size()) return false;
  const QStringView ending = name.mid(dot + 1);
  if (ending.contains(QLatin1Char('/')) || ending.contains(QLatin1Char('\\'))) return false;
  for (const char* e : kMediaEndings)
    if (ending.compare(QLatin1StringView(e), Qt::CaseInsensitive) == 0) return true;
  return false;
}

bool LayerCue::value(double* out) const {
  if (verb == LayerVerb::Fade && number.isEmpty()) {
    *out = 2.0;
    return true;
  }
  bool ok = false;
  const double v = QLocale::c().toDouble(number, &ok);
  if (!ok || !std::isfinite(v)) return false;
  *out = v;
  if (verb == LayerVerb::Fade) return v >= kLeastFadeSeconds && v <= kLongestFadeSeconds;
  if (verb == LayerVerb::Level) return v >= 0 && v <= 100;
  return false;
}

LayerCue recogniseLayerCue(QStringView content) {
  LayerCue cue;
  const QString lower = lowerCase(content);
  if (lower == QLatin1StringView("stop sounds")) {
    cue.verb = LayerVerb::StopAll;
    cue.recognised = true;
    cue.canonical = QStringLiteral("Stop Sounds");
    return cue;
  }
  for (const Verb& v : kVerbs) {
    const QLatin1StringView key(v.key);
    if (!lower.startsWith(key)) continue;
    const QStringView rest = trimBlanks(content.mid(key.size()));
    if (namesMediaFile(rest)) {
      cue.file = rest.toString();
    } else if (v.number) {
      const qsizetype blank = rest.lastIndexOf(QLatin1Char(' '));
      if (blank < 0) return {};
      const QStringView head = trimBlanks(rest.left(blank));
      if (!namesMediaFile(head)) return {};
      cue.file = head.toString();
      cue.number = rest.mid(blank + 1).toString();
    } else {
      return {};
    }
    cue.verb = v.verb;
    cue.recognised = true;
    cue.canonical = QLatin1StringView(v.canonical) + QLatin1Char(' ') + cue.file;
    if (!cue.number.isEmpty()) cue.canonical += QLatin1Char(' ') + cue.number;
    return cue;
  }
  return {};
}

QStringList layerFilesAhead(const ScriptSource& source, int from,
                            const std::function<QString(const QString& file)>& resolve, int limit) {
  QStringList files;
  QStringList seen;  // the cue files as written, looked up once each
  auto collect = [&](int begin, int end) {
    for (std::optional<CueBounds> cue = cueAtOrAfter(source, begin);
         cue && cue->open < end && files.size() < limit; cue = cueAtOrAfter(source, cue->end())) {
      const LayerCue layer =
          recogniseLayerCue(source.read(cue->contentStart(), cue->contentLength()).trimmed());
      if (!layer || (layer.verb != LayerVerb::Sound && layer.verb != LayerVerb::Loop)) continue;
      if (seen.contains(layer.file)) continue;
      seen << layer.file;
      const QString found = resolve(layer.file);
      if (!found.isEmpty() && !files.contains(found)) files << found;
    }
  };
  const int start = std::clamp(from, 0, source.length());
  collect(start, source.length() + 1);
  collect(0, start);
  return files;
}

QString fileCueAhead(const ScriptSource& source, int from,
                     const std::function<QString(const QString& file)>& resolve) {
  auto find = [&](int begin, int end) {
    for (std::optional<CueBounds> cue = cueAtOrAfter(source, begin); cue && cue->open < end;
         cue = cueAtOrAfter(source, cue->end())) {
      const QString content = source.read(cue->contentStart(), cue->contentLength()).trimmed();
      if (content.isEmpty() || recogniseLayerCue(content)) continue;
      if (QString found = resolve(content); !found.isEmpty()) return found;
    }
    return QString();
  };
  const int start = std::clamp(from, 0, source.length());
  const QString ahead = find(start, source.length() + 1);
  return ahead.isEmpty() ? find(0, start) : ahead;
}

}  // namespace scenova::script
