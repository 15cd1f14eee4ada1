#include "cli/argumentbytes.h"

#include <QStringDecoder>

namespace glintag {

namespace {

constexpr char16_t kStrayFirst = 0xDC80;
constexpr char16_t kStrayLast = 0xDCFF;

// The length of the valid UTF-8 sequence at p (at most `left` bytes), or 0.
int sequenceLength(const unsigned char *p, qsizetype left)
{
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range
    if (c >= 0xC2 && c <= 0xDF)
        length = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0)
            low = 0xA0; // no overlong forms
        else if (c == 0xED)
            high = 0x9F; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0)
            low = 0x90;
        else if (c == 0xF4)
            high = 0x8F; // nothing past U+10FFFF
    } else
        return 0;
    if (left < length || p[1] < low || p[1] > high)
        return 0;
    for (int k = 2; k < length; ++k)
        if (p[k] < 0x80 || p[k] > 0xBF)
            return 0;
    return length;
}

// Valid UTF-8 as text, a leading U+FEFF kept: it is a character the user
// typed, not a mark of the encoding.
QString fromUtf8(const char *bytes, qsizetype size)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(bytes, size));
}

bool isStray(QChar c, QChar before)
{
    return c.unicode() >= kStrayFirst && c.unicode() <= kStrayLast && !before.isHighSurrogate();
}

} // namespace

QString decodeArgument(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype run = 0; // start of the valid bytes not yet decoded
    for (qsizetype i = 0; i < size;) {
        const int length = sequenceLength(p + i, size - i);
        if (length > 0) {
            i += length;
            continue;
        }
        out += fromUtf8(bytes.constData() + run, i - run);
        out += QChar(char16_t(kStrayFirst + (p[i] - 0x80)));
        run = ++i;
    }
    out += fromUtf8(bytes.constData() + run, size - run);
    return out;
}

QByteArray argumentBytes(const QString &argument)
{
    QByteArray out;
    qsizetype run = 0;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        if (!isStray(argument[i], i > 0 ? argument[i - 1] : QChar()))
            continue;
        out += QStringView(argument).mid(run, i - run).toUtf8();
        out += char(argument[i].unicode() - kStrayFirst + 0x80);
        run = i + 1;
    }
    out += QStringView(argument).mid(run).toUtf8();
    return out;
}

bool hasStrayBytes(const QString &argument)
{
    for (qsizetype i = 0; i < argument.size(); ++i)
        if (isStray(argument[i], i > 0 ? argument[i - 1] : QChar()))
            return true;
    return false;
}

QString argumentText(const QString &argument)
{
    QString out = argument;
    for (qsizetype i = 0; i < out.size(); ++i)
        if (isStray(out[i], i > 0 ? out[i - 1] : QChar()))
            out[i] = QChar::ReplacementCharacter;
    return out;
}

} // namespace glintag
