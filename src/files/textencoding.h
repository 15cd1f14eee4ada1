#pragma once

// How a text file's bytes become the UTF-8 the program works on and back
// again in the file's own form, and how names and values in that text are
// turned into strings; what the text says line by line is no concern of
// this file.

#include <QByteArray>
#include <QString>

#include <functional>

namespace glintag {

// Bytes: UTF-8 or a legacy code page without a mark, kept as they are.
enum class TextEncoding {
    Bytes,
    Utf8Bom,
    Utf16Le,
    Utf16Be
};

// Decodes the bytes of a value that is not valid UTF-8 (a file written in a
// legacy code page). The bytes are already cut to the caller's limit.
using LegacyDecoder = std::function<QString(const QByteArray &)>;

struct HeldText {
    TextEncoding encoding = TextEncoding::Bytes;
    QByteArray text; // without a byte-order mark; UTF-16 turned into UTF-8
};

// Recognises the encoding by the byte-order mark. Never fails: bytes
// without a mark are kept whatever they are.
HeldText holdText(QByteArray fileBytes);

// Writing back takes two steps so that the caller builds the whole text in
// one buffer that is never copied: beginFileBytes gives an empty buffer,
// reserved for textBytes more, that already holds what the file keeps
// before its text (the UTF-8 byte-order mark); finishFileBytes turns the
// filled buffer into the file's bytes.
QByteArray beginFileBytes(TextEncoding encoding, qsizetype textBytes);
QByteArray finishFileBytes(QByteArray buffer, TextEncoding encoding);

// Section names, keys and values are held as UTF-8, except in Windows
// builds, where files without UTF-16 keep the ANSI code page other programs
// there expect.
bool namesAreUtf8(TextEncoding encoding);
QByteArray encodeName(const QString &text, TextEncoding encoding);
QString decodeName(const QByteArray &bytes, TextEncoding encoding);

// A value cut to at most maxBytes bytes. Valid UTF-8 is cut at a character
// boundary; anything else goes to legacyDecoder (or is decoded leniently as
// UTF-8 when there is none).
QString decodeValue(const QByteArray &bytes, TextEncoding encoding, int maxBytes, const LegacyDecoder &legacyDecoder);

// The longest prefix of at most maxBytes bytes that does not end inside a
// UTF-8 sequence.
QByteArray cutUtf8(const QByteArray &bytes, int maxBytes);

} // namespace glintag
