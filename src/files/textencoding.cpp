#include "files/textencoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <utility>

namespace glintag {

namespace {

const char kBom[] = "\xEF\xBB\xBF";

bool isUtf16(TextEncoding encoding)
{
    return encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
}

// Unlike QString::fromUtf8 this keeps a leading U+FEFF, so a value that
// starts with one reads back as it was written.
QString fromUtf8Exact(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

} // namespace

HeldText holdText(QByteArray fileBytes)
{
    HeldText held;
    if (fileBytes.startsWith("\xFF\xFE") || fileBytes.startsWith("\xFE\xFF")) {
        // UTF-16, as Windows' own profile functions and "Unicode" editors
        // write it; held as UTF-8 like every other file. A leading U+FEFF
        // after the mark is text and stays.
        held.encoding = fileBytes.at(0) == '\xFF' ? TextEncoding::Utf16Le : TextEncoding::Utf16Be;
        QStringDecoder decoder(held.encoding == TextEncoding::Utf16Le ? QStringDecoder::Utf16LE
                                                                      : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::ConvertInitialBom);
        QString text = decoder.decode(QByteArrayView(fileBytes).sliced(2));
        fileBytes = QByteArray();
        held.text = text.toUtf8();
        return held;
    }
    if (fileBytes.startsWith(kBom)) {
        held.encoding = TextEncoding::Utf8Bom;
        fileBytes.remove(0, 3);
    }
    held.text = std::move(fileBytes);
    return held;
}

QByteArray beginFileBytes(TextEncoding encoding, qsizetype textBytes)
{
    QByteArray buffer;
    buffer.reserve(textBytes + 3);
    if (encoding == TextEncoding::Utf8Bom)
        buffer += kBom;
    return buffer;
}

QByteArray finishFileBytes(QByteArray buffer, TextEncoding encoding)
{
    if (!isUtf16(encoding))
        return buffer;
    // Turned into UTF-16 a slice at a time (the decoder carries a character
    // split between slices over), so the whole text is never held a third
    // time as a QString.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QStringEncoder encoder(encoding == TextEncoding::Utf16Le ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE,
                           QStringEncoder::Flag::WriteBom);
    qsizetype units = 1; // the byte-order mark
    for (const char c : std::as_const(buffer))
        units += (quint8(c) & 0xC0) == 0x80 ? 0 : quint8(c) >= 0xF0 ? 2 : 1; // a pair above U+FFFF
    QByteArray utf16;
    utf16.reserve(2 * units);
    constexpr qsizetype kSlice = 64 * 1024;
    for (qsizetype at = 0; at < buffer.size(); at += kSlice)
        utf16
            += encoder.encode(decoder.decode(QByteArrayView(buffer).sliced(at, std::min(kSlice, buffer.size() - at))));
    utf16 += encoder.encode(decoder.decode(QByteArrayView()));
    return utf16;
}

bool namesAreUtf8(TextEncoding encoding)
{
#ifdef Q_OS_WIN
    return isUtf16(encoding);
#else
    Q_UNUSED(encoding);
    return true;
#endif
}

QByteArray encodeName(const QString &text, TextEncoding encoding)
{
    return namesAreUtf8(encoding) ? text.toUtf8() : text.toLocal8Bit();
}

QString decodeName(const QByteArray &bytes, TextEncoding encoding)
{
    return namesAreUtf8(encoding) ? fromUtf8Exact(bytes) : QString::fromLocal8Bit(bytes);
}

QString decodeValue(const QByteArray &bytes, TextEncoding encoding, int maxBytes, const LegacyDecoder &legacyDecoder)
{
    if (!namesAreUtf8(encoding))
        return QString::fromLocal8Bit(bytes.left(maxBytes));
    if (bytes.isValidUtf8())
        return fromUtf8Exact(cutUtf8(bytes, maxBytes));
    const QByteArray cut = bytes.left(maxBytes);
    return legacyDecoder ? legacyDecoder(cut) : fromUtf8Exact(cut);
}

QByteArray cutUtf8(const QByteArray &bytes, int maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    int n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(bytes.at(n)) & 0xC0) == 0x80)
        --n;
    return bytes.left(n);
}

} // namespace glintag
