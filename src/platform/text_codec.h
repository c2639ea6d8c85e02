#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace scenova::platform {

// Decodes bytes of a Windows code page (1252, 1251, 1250, 932...) through
// iconv. Unknown code pages fall back to Windows-1252; bytes the code page
// cannot map become U+FFFD. Never fails.
QString decodeCodePage(QByteArrayView bytes, int codePage);

// Encodes text into a Windows code page. Returns false in *ok (when given) if
// some character has no representation; such characters become '?'.
QByteArray encodeCodePage(QStringView text, int codePage, bool* ok = nullptr);

// True when iconv knows the code page.
bool isCodePageSupported(int codePage);

// Text files made on this or other systems: strict UTF-8 (a leading byte
// order mark is dropped) when the bytes are valid UTF-8, otherwise
// Windows-1252.
QString decodeUtf8OrCp1252(QByteArrayView bytes);

// Plain-text scripts: UTF-8 (or a byte order mark) as decodeUtf8OrCp1252;
// otherwise the code page the bytes are detected to be in (uchardet), when
// it is a non-Latin one such as Windows-1251 for Russian or Bulgarian;
// otherwise Windows-1252. Latin text is never taken for another Latin
// code page, since short texts cannot tell them apart.
QString decodeTextDetectingCodePage(QByteArrayView bytes);

// The Windows code page of an encoding name reported by the detector
// ("WINDOWS-1251" -> 1251, "KOI8-R" -> 20866); 0 for a Latin one or an
// unknown name.
int detectedNonLatinCodePage(QByteArrayView charsetName);

// The iconv name of a Windows code page ("CP1252"), or empty when unknown.
QByteArray iconvName(int codePage);

}  // namespace scenova::platform
