#pragma once
// File names on disk are bytes; the program's strings are Unicode. Names are read as UTF-8, and a
// byte that is not part of valid UTF-8 (a Latin-1 "é" written by an older system, say) is carried
// as the lone surrogate U+DC80..U+DCFF that stands for it, so that encoding the string gives back
// exactly the bytes on disk. Such a string must reach the system through encodePath, never through
// Qt's own file classes (they would write the surrogate as '?' and open another name).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace lumarel {

// The name or path as UTF-8, each undecodable byte b kept as U+DC00 + b (b is 0x80..0xFF).
QString decodePath(QByteArrayView bytes);
// The bytes decodePath came from. Any other lone surrogate (never made by decodePath) becomes
// U+FFFD's UTF-8.
QByteArray encodePath(QStringView path);

// Whether ch stands for an undecodable byte of a name, and which byte.
constexpr bool isEscapedByte(char16_t ch) { return ch >= 0xDC80 && ch <= 0xDCFF; }
constexpr unsigned char escapedByte(char16_t ch) { return static_cast<unsigned char>(ch - 0xDC00); }

}  // namespace lumarel
