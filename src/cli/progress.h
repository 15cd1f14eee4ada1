#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace glintag {

// Whether `fd` is a terminal that can redraw a line in place: not a pipe or
// a file, and not one whose TERM is unset or "dumb" (an editor's shell
// buffer, say), which shows carriage returns and erase codes as they are.
bool canRedraw(int fd);

// Tells a person at a terminal, or a log, how far an upload has come. On a
// terminal: one line redrawn in place with a bar, the bytes, the percentage
// and the seconds left at the line's rate. Elsewhere: one line each time
// another tenth has gone out, so a log stays short. It only prints; it does
// not know where the bytes go.
class ProgressReport {
public:
    enum class Style {
        Bar,
        Lines,
        None
    };

    // `total` bytes at `bytesPerSecond` on the line.
    ProgressReport(std::FILE *out, Style style, qint64 total, double bytesPerSecond);

    // Bytes that have left the port so far; never goes back. While the line
    // has taken nothing for `quietSeconds`, the bar says so instead of a
    // countdown that would stand still.
    void update(qint64 sent, int quietSeconds = 0);
    // Ends the bar's line so the next message starts on its own.
    void finish();

    // The bar's line for `sent` of `total` bytes, 20 cells wide.
    static QString barLine(qint64 sent, qint64 total, double bytesPerSecond, int quietSeconds = 0);

private:
    std::FILE *m_out;
    Style m_style;
    qint64 m_total;
    double m_rate;
    qint64 m_sent = -1;
    int m_quiet = 0;
    int m_tenthsShown = -1;
    bool m_barOpen = false;
    QElapsedTimer m_sinceDrawn;
};

} // namespace glintag

namespace glintag {

// Several ports at once on a terminal: one bar line per port, the block
// redrawn in place, at most ten times a second.
class PortBars {
public:
    PortBars(std::FILE *out, const QStringList &ports, qint64 total, double bytesPerSecond);

    void update(int index, qint64 sent);
    // Draws the last state; the cursor ends below the block.
    void finish();

private:
    void draw();

    std::FILE *m_out;
    QStringList m_labels;
    QList<qint64> m_sent;
    qint64 m_total;
    double m_rate;
    bool m_drawn = false;
    QElapsedTimer m_sinceDrawn;
};

} // namespace glintag
