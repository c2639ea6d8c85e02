#include "platform/rtf/rtf_model.h"

#include "platform/text_codec.h"

#include <QStringDecoder>

#include <algorithm>

namespace scenova::platform::rtf::detail {

size_t qHash(const CharProps& p, size_t seed) {
  return qHashMulti(seed, p.font, p.halfPoints, p.fg, p.bg, p.bold, p.italic, p.underline, p.strike,
                    p.vpos);
}

size_t qHash(const ParaProps& p, size_t seed) {
  size_t h =
      qHashMulti(seed, p.align, static_cast<int>(p.list), p.level, p.listKey, p.li, p.ri, p.fi);
  for (const TabStop& t : p.tabs)
    h = qHashMulti(h, t.pos, static_cast<int>(t.kind), static_cast<int>(t.leader));
  return h;
}

int charsetCodePage(int charset) {
  switch (charset) {
    case 0:
      return 1252;
    case 77:
      return 10000;
    case 78:
      return 10001;
    case 128:
      return 932;
    case 129:
      return 949;
    case 134:
      return 936;
    case 136:
      return 950;
    case 161:
      return 1253;
    case 162:
      return 1254;
    case 163:
      return 1258;
    case 177:
      return 1255;
    case 178:
      return 1256;
    case 186:
      return 1257;
    case 204:
      return 1251;
    case 222:
      return 874;
    case 238:
      return 1250;
    case 254:
      return 437;
    case 255:
      return 850;
    default:
      return 0;  // 1 (default), 2 (symbol) and unknown: the document's
  }
}

namespace {

// Characters a QTextDocument would turn into blocks, frames or objects, and
// control characters other than tab. (Unpaired surrogates are replaced too.)
bool needsFilter(char16_t c) {
  return (c < 0x20 && c != u'\t') || c == 0x2029 || c == 0xFFFC || c == 0xFDD0 || c == 0xFDD1 ||
         c == 0xFFFE || c == 0xFFFF;
}

}  // namespace

int ModelBuilder::charFormatId(const CharProps& props) {
  if (lastId_ >= 0 && props == lastProps_) return lastId_;
  auto it = charIds_.constFind(props);
  int id;
  if (it != charIds_.cend()) {
    id = *it;
  } else {
    id = static_cast<int>(model_.charFormats.size());
    model_.charFormats.push_back(props);
    charIds_.insert(props, id);
  }
  lastProps_ = props;
  lastId_ = id;
  return id;
}

void ModelBuilder::startSpan(int format) {
  if (model_.spans.empty() || model_.spans.back().format != format) {
    if (!model_.spans.empty() && model_.spans.back().start == model_.text.size())
      model_.spans.back().format = format;  // the previous span stayed empty
    else
      model_.spans.push_back({static_cast<int>(model_.text.size()), format});
  }
}

void ModelBuilder::append(QStringView text, const CharProps* props) {
  if (text.isEmpty()) return;
  startSpan(props ? charFormatId(*props) : -1);
  const auto special = [](QChar c) { return needsFilter(c.unicode()) || c.isSurrogate(); };
  if (std::none_of(text.begin(), text.end(), special)) {
    model_.text.append(text);
    return;
  }
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
      model_.text.append(text.sliced(i, 2));
      ++i;
    } else if (c.isSurrogate()) {
      model_.text.append(QChar::ReplacementCharacter);  // half a pair is not a character
    } else if (c.unicode() == 0x2029) {
      model_.text.append(QChar::LineSeparator);
    } else if (!needsFilter(c.unicode())) {
      model_.text.append(c);
    }
  }
}

void ModelBuilder::endParagraph(bool ended, const ParaProps* para, const CharProps* mark) {
  int paraId = -1;
  if (para) {
    auto it = paraIds_.constFind(*para);
    if (it != paraIds_.cend()) {
      paraId = *it;
    } else {
      paraId = static_cast<int>(model_.paraFormats.size());
      model_.paraFormats.push_back(*para);
      paraIds_.insert(*para, paraId);
    }
  }
  const int markId = mark ? charFormatId(*mark) : -1;
  model_.paragraphs.push_back({static_cast<int>(model_.text.size()), paraId, markId, ended});
}

void ModelBuilder::chopTrailingTab() {
  if (paragraphEmpty() || model_.text.back() != u'\t') return;
  model_.text.chop(1);
  while (!model_.spans.empty() && model_.spans.back().start >= model_.text.size())
    model_.spans.pop_back();
}

bool parsePlainText(QByteArrayView bytes, Model& model) {
  QString text;
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                        : QStringDecoder::Utf16BE);
    text = decoder.decode(bytes.sliced(2));
  } else {
    if (bytes.contains('\0')) return false;  // binary data, not text
    text = decodeTextDetectingCodePage(bytes);
  }
  // A vertical tab is how plain text (the export among it) writes a line
  // break inside a paragraph.
  text.replace(u'\v', QChar::LineSeparator);
  ModelBuilder builder(model);
  qsizetype start = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i <= n; ++i) {
    if (i < n && text[i] != u'\r' && text[i] != u'\n') continue;
    builder.append(QStringView(text).sliced(start, i - start), nullptr);
    if (i == n) {
      if (!builder.paragraphEmpty()) builder.endParagraph(false, nullptr, nullptr);
      break;
    }
    builder.endParagraph(true, nullptr, nullptr);
    if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  return true;
}

}  // namespace scenova::platform::rtf::detail
