#pragma once

#include <QByteArray>
#include <QString>

namespace glintag {

// Arguments arrive as bytes. A file name need not be UTF-8, yet it must
// reach the system exactly as typed; a text must keep every character,
// a leading U+FEFF included. So each argument is decoded as UTF-8 with
// nothing stripped, and every byte that is no part of a valid sequence
// becomes the lone code unit U+DC80 + (byte - 0x80), which no decoded
// character can be. The way back gives the same bytes.
QString decodeArgument(const QByteArray &bytes);
QByteArray argumentBytes(const QString &argument);

// True when `argument` holds such a stray byte, so Qt's own file functions
// (which encode names as UTF-8) would open another name.
bool hasStrayBytes(const QString &argument);

// A text as the badge should draw it: each stray byte is U+FFFD, as a
// decoder that replaces would have given.
QString argumentText(const QString &argument);

} // namespace glintag
