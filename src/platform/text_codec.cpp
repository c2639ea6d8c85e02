#include "text_codec.h"

#include <uchardet/uchardet.h>

#include <QStringDecoder>
#include <QStringEncoder>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace scenova::platform {

QByteArray iconvName(int codePage) {
  switch (codePage) {
    case 437: return "CP437";
    case 708: return "ISO-8859-6";
    case 850: return "CP850";
    case 852: return "CP852";
    case 866: return "CP866";
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "GBK";
    case 949: return "CP949";
    case 950: return "BIG5";
    case 1250: case 1251: case 1252: case 1253: case 1254: case 1255: case 1256: case 1257:
    case 1258:
      return "CP" + QByteArray::number(codePage);
    case 10000: return "MACINTOSH";
    case 10001: return "SHIFT_JIS";
    case 10007: return "MAC-CYRILLIC";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 28591: return "ISO-8859-1";
    case 28592: return "ISO-8859-2";
    case 28595: return "ISO-8859-5";
    case 65001: return "UTF-8";
    default: return {};
  }
}

namespace {

// iconv descriptors are costly to open; keep one per direction and code page.
// They are only used under the mutex, so the cache is safe to share.
struct Converters {
  std::mutex mutex;
  std::unordered_map<long long, iconv_t> open;
  ~Converters() {
    for (auto& entry : open) iconv_close(entry.second);
  }
  iconv_t get(const QByteArray& to, const QByteArray& from, long long key) {
    auto it = open.find(key);
    if (it != open.end()) return it->second;
    iconv_t cd = iconv_open(to.constData(), from.constData());
    open.emplace(key, cd);
    return cd;
  }
};

Converters& converters() {
  static Converters c;
  return c;
}

bool valid(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

}  // namespace

bool isCodePageSupported(int codePage) {
  const QByteArray name = iconvName(codePage);
  if (name.isEmpty()) return false;
  Converters& c = converters();
  std::lock_guard lock(c.mutex);
  return valid(c.get("UTF-16LE", name, codePage));
}

QString decodeCodePage(QByteArrayView bytes, int codePage) {
  if (bytes.isEmpty()) return {};
  QByteArray name = iconvName(codePage);
  if (name.isEmpty()) {
    name = "CP1252";
    codePage = 1252;
  }
  if (codePage == 65001) return QString::fromUtf8(bytes);
  Converters& c = converters();
  std::lock_guard lock(c.mutex);
  iconv_t cd = c.get("UTF-16LE", name, codePage);
  if (!valid(cd)) return QString::fromLatin1(bytes);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);

  QString out;
  out.resize(bytes.size() * 2 + 4);
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = static_cast<size_t>(bytes.size());
  char* dst = reinterpret_cast<char*>(out.data());
  size_t dstLeft = static_cast<size_t>(out.size()) * 2;
  while (inLeft > 0) {
    const size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    if (r != static_cast<size_t>(-1)) break;
    if (errno == EILSEQ || errno == EINVAL) {
      // An unmappable byte or a truncated multi-byte sequence.
      if (dstLeft < 2) break;
      const char16_t replacement = 0xFFFD;
      std::memcpy(dst, &replacement, 2);
      dst += 2;
      dstLeft -= 2;
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else {
      break;  // E2BIG cannot happen: two UTF-16 units per byte is enough
    }
  }
  out.resize((static_cast<qsizetype>(out.size()) * 2 - static_cast<qsizetype>(dstLeft)) / 2);
  return out;
}

QByteArray encodeCodePage(QStringView text, int codePage, bool* ok) {
  if (ok) *ok = true;
  if (text.isEmpty()) return {};
  QByteArray name = iconvName(codePage);
  if (name.isEmpty()) {
    name = "CP1252";
    codePage = 1252;
  }
  if (codePage == 65001) return text.toUtf8();
  Converters& c = converters();
  std::lock_guard lock(c.mutex);
  iconv_t cd = c.get(name, "UTF-16LE", -codePage);
  if (!valid(cd)) return text.toLatin1();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);

  QByteArray out;
  out.resize(text.size() * 4 + 8);
  char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.data()));
  size_t inLeft = static_cast<size_t>(text.size()) * 2;
  char* dst = out.data();
  size_t dstLeft = static_cast<size_t>(out.size());
  while (inLeft > 0) {
    const size_t r = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    if (r != static_cast<size_t>(-1)) break;
    if ((errno == EILSEQ || errno == EINVAL) && dstLeft > 0) {
      if (ok) *ok = false;
      *dst++ = '?';
      --dstLeft;
      // Skip the whole character, both halves of a surrogate pair included.
      const char16_t unit = *reinterpret_cast<const char16_t*>(in);
      const size_t skip = (QChar::isHighSurrogate(unit) && inLeft >= 4) ? 4 : 2;
      in += skip;
      inLeft -= std::min(skip, inLeft);
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else {
      break;
    }
  }
  out.resize(out.size() - static_cast<qsizetype>(dstLeft));
  return out;
}

QString decodeUtf8OrCp1252(QByteArrayView bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) {
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
  }
  return decodeCodePage(bytes, 1252);
}

namespace {

bool isCyrillicCodePage(int codePage) {
  return codePage == 1251 || codePage == 20866 || codePage == 21866 || codePage == 866 ||
         codePage == 28595 || codePage == 10007;
}

qsizetype russianLetters(const QString& text) {
  return std::count_if(text.cbegin(), text.cend(), [](QChar c) {
    return (c.unicode() >= 0x0410 && c.unicode() <= 0x044F) || c.unicode() == 0x0401 ||
           c.unicode() == 0x0451;
  });
}

}  // namespace

int detectedNonLatinCodePage(QByteArrayView charsetName) {
  const QByteArray name = charsetName.toByteArray().toUpper();
  static const struct {
    const char* name;
    int codePage;
  } kKnown[] = {{"WINDOWS-1251", 1251}, {"WINDOWS-1253", 1253}, {"WINDOWS-1255", 1255},
                {"WINDOWS-1256", 1256}, {"KOI8-R", 20866},      {"KOI8-U", 21866},
                {"IBM866", 866},        {"CP866", 866},         {"ISO-8859-5", 28595},
                {"MAC-CYRILLIC", 10007}};
  for (const auto& k : kKnown)
    if (name == k.name) return k.codePage;
  return 0;
}

QString decodeTextDetectingCodePage(QByteArrayView bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) {
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
  }
  int codePage = 0;
  if (uchardet_t detector = uchardet_new()) {
    if (uchardet_handle_data(detector, bytes.data(), static_cast<size_t>(bytes.size())) == 0) {
      uchardet_data_end(detector);
      if (const char* charset = uchardet_get_charset(detector))
        codePage = detectedNonLatinCodePage(charset);
    }
    uchardet_delete(detector);
  }
  if (!codePage) return decodeCodePage(bytes, 1252);
  QString detected = decodeCodePage(bytes, codePage);
  if (codePage == 1251 || !isCyrillicCodePage(codePage)) return detected;
  // Short texts fool the detector between the Cyrillic code pages (a
  // Windows-1251 line taken for Mac Cyrillic garbles its capitals): the
  // reading with more letters of the Russian and Bulgarian alphabets wins,
  // Windows-1251 on a tie.
  QString windows = decodeCodePage(bytes, 1251);
  return russianLetters(windows) >= russianLetters(detected) ? windows : detected;
}

}  // namespace scenova::platform
