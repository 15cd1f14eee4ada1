#include "protocol/uploadprogress.h"

#include "i18n/statustexts.h"

#include <algorithm>

namespace glintag {

UploadProgress uploadProgress(qint64 total, qint64 queued, qint64 waiting, int bytesPerSecond)
{
    UploadProgress p;
    p.total = total;
    p.sent = std::clamp<qint64>(queued - std::max<qint64>(waiting, 0), 0, total);
    const qint64 left = total - p.sent;
    const qint64 rate = std::max(bytesPerSecond, 1);
    p.secondsLeft = int((left + rate - 1) / rate);
    return p;
}

qint64 lineFloor(qint64 elapsedMs, int bytesPerSecond)
{
    return std::max<qint64>(elapsedMs, 0) * bytesPerSecond / 1000;
}

QString uploadStatusText(const UploadStatus &status, int uiLanguage)
{
    const StatusTexts &t = statusTexts(uiLanguage);
    const UploadProgress &p = status.progress;
    const QString sent = QString::number(p.sent), total = QString::number(p.total);
    if (status.running && p.quietSeconds > 0)
        return t.sendingQuiet.arg(sent, total, QString::number(p.quietSeconds));
    if (status.running)
        return t.sending.arg(sent, total, QString::number(p.secondsLeft));
    switch (status.end) {
    case UploadEnd::Sent: {
        // Tenths only where they say something.
        const double s = double(status.elapsedMs) / 1000.0;
        return t.sent.arg(sent, QString::number(s, 'f', s < 10 ? 1 : 0));
    }
    case UploadEnd::Stopped:
        // Closing the port discards what the driver still held: when nothing
        // had left it, the badge kept what it had.
        if (p.sent == 0)
            return t.stoppedBeforeAny.arg(total);
        return t.stopped.arg(sent, total);
    case UploadEnd::Stalled:
        return t.stalled.arg(sent, total);
    case UploadEnd::LineLost:
        return t.lineLost.arg(sent, total);
    case UploadEnd::WritesRefused:
        return t.writesRefused.arg(sent, total);
    }
    return QString();
}

} // namespace glintag
