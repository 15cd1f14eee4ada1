#include "sending/timefields.h"

#include <QRegularExpression>

#include <ctime>

namespace glintag {

namespace {

const QRegularExpression &fieldPattern()
{
    static const QRegularExpression pattern(QStringLiteral("\\{(time|date)(?::([^{}]*))?\\}"));
    return pattern;
}

QString formatTime(const QString &format, const std::tm &tm)
{
    if (format.isEmpty())
        return QString();
    const QByteArray f = format.toUtf8();
    // strftime gives 0 both for an empty result and for a short buffer.
    for (size_t size = 256; size <= 65536; size *= 4) {
        QByteArray out(qsizetype(size), Qt::Uninitialized);
        const size_t n = std::strftime(out.data(), size, f.constData(), &tm);
        if (n > 0 || size >= 65536)
            return QString::fromUtf8(out.constData(), qsizetype(n));
    }
    return QString();
}

} // namespace

QString expandTimeFields(const QString &text, const QDateTime &now)
{
    if (!text.contains(QLatin1Char('{')))
        return text;
    const std::time_t t = std::time_t(now.toSecsSinceEpoch());
    std::tm tm = {};
    localtime_r(&t, &tm);
    QString out;
    qsizetype done = 0;
    auto it = fieldPattern().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(done, m.capturedStart() - done);
        QString format = m.captured(2);
        if (!m.hasCaptured(2))
            format = m.captured(1) == QLatin1String("time") ? QStringLiteral("%H:%M") : QStringLiteral("%Y-%m-%d");
        out += formatTime(format, tm);
        done = m.capturedEnd();
    }
    return out + text.mid(done);
}

bool hasTimeFields(const QString &text)
{
    return fieldPattern().match(text).hasMatch();
}

} // namespace glintag
