#include "cli/progress.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace glintag {

namespace {

constexpr int kBarCells = 20;
constexpr int kRedrawMs = 100; // a terminal needs no more than ten frames a second

int percentOf(qint64 sent, qint64 total)
{
    return total > 0 ? int(sent * 100 / total) : 100;
}

} // namespace

bool canRedraw(int fd)
{
#ifdef Q_OS_UNIX
    const char *term = std::getenv("TERM");
    return ::isatty(fd) && term && *term && std::strcmp(term, "dumb") != 0;
#else
    Q_UNUSED(fd);
    return false;
#endif
}

ProgressReport::ProgressReport(std::FILE *out, Style style, qint64 total, double bytesPerSecond) :
    m_out(out), m_style(style), m_total(total), m_rate(bytesPerSecond)
{}

QString ProgressReport::barLine(qint64 sent, qint64 total, double bytesPerSecond, int quietSeconds)
{
    sent = std::clamp<qint64>(sent, 0, total);
    const int filled = total > 0 ? int(sent * kBarCells / total) : kBarCells;
    const int secondsLeft = bytesPerSecond > 0 ? int(std::ceil(double(total - sent) / bytesPerSecond)) : 0;
    return QStringLiteral("[%1%2] %3/%4 bytes %5% %6")
        .arg(QString(filled, QLatin1Char('#')), QString(kBarCells - filled, QLatin1Char('.')))
        .arg(sent, int(QString::number(total).size()))
        .arg(total)
        .arg(percentOf(sent, total), 3)
        .arg(quietSeconds > 0 ? QStringLiteral("the line has taken nothing for %1 s").arg(quietSeconds)
                              : QStringLiteral("%1 s left").arg(secondsLeft));
}

void ProgressReport::update(qint64 sent, int quietSeconds)
{
    sent = std::clamp<qint64>(sent, 0, m_total);
    if (sent < m_sent || (sent == m_sent && quietSeconds == m_quiet))
        return;
    const bool moved = sent > m_sent;
    m_sent = sent;
    m_quiet = quietSeconds;
    switch (m_style) {
    case Style::None:
        return;
    case Style::Bar:
        // Always draw the first and the last frame; in between, at most ten
        // a second.
        if (m_barOpen && sent < m_total && m_sinceDrawn.isValid() && m_sinceDrawn.elapsed() < kRedrawMs)
            return;
        std::fprintf(m_out, "\r%s\x1b[K", qPrintable(barLine(sent, m_total, m_rate, quietSeconds)));
        std::fflush(m_out);
        m_barOpen = true;
        m_sinceDrawn.start();
        return;
    case Style::Lines: {
        if (!moved)
            return; // a log gets the tenths only
        const int tenths = percentOf(sent, m_total) / 10;
        if (tenths <= m_tenthsShown)
            return;
        m_tenthsShown = tenths;
        std::fprintf(m_out, "glintag: %lld of %lld bytes sent (%d%%)\n", static_cast<long long>(sent),
                     static_cast<long long>(m_total), tenths * 10);
        std::fflush(m_out);
        return;
    }
    }
}

void ProgressReport::finish()
{
    if (m_barOpen) {
        std::fputc('\n', m_out);
        std::fflush(m_out);
        m_barOpen = false;
    }
}

} // namespace glintag

namespace glintag {

PortBars::PortBars(std::FILE *out, const QStringList &ports, qint64 total, double bytesPerSecond) :
    m_out(out), m_sent(ports.size(), 0), m_total(total), m_rate(bytesPerSecond)
{
    qsizetype width = 0;
    for (const QString &p : ports)
        width = std::max(width, p.size());
    for (const QString &p : ports)
        m_labels << p.leftJustified(width);
    draw();
}

void PortBars::update(int index, qint64 sent)
{
    if (index < 0 || index >= m_sent.size() || sent <= m_sent[index])
        return;
    m_sent[index] = std::min(sent, m_total);
    if (m_sinceDrawn.isValid() && m_sinceDrawn.elapsed() < kRedrawMs)
        return;
    draw();
}

void PortBars::finish()
{
    draw();
}

void PortBars::draw()
{
    if (m_drawn)
        std::fprintf(m_out, "\x1b[%dA", int(m_labels.size()));
    for (int i = 0; i < m_labels.size(); ++i)
        std::fprintf(m_out, "\r%s %s\x1b[K\n", qPrintable(m_labels[i]),
                     qPrintable(ProgressReport::barLine(m_sent[i], m_total, m_rate)));
    std::fflush(m_out);
    m_drawn = true;
    m_sinceDrawn.start();
}

} // namespace glintag
