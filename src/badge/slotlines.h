#pragma once

#include "badge/limits.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace glintag {

// The most bytes read from one source of lines before they are parsed: one
// run of a command, one group of input lines, standard input for `send -`.
// Sixteen texts of the longest kind come nowhere near it.
constexpr qint64 kSlotSourceByteLimit = 1024 * 1024;

// The text cut to at most kTextByteLimit bytes of UTF-8, never inside a
// character; *cut (when given) tells whether anything went.
QString cutToTextLimit(const QString &text, bool *cut = nullptr);

// The one way slot texts come in, whatever the source (arguments, standard
// input, a command's output, a group of input lines): each text takes the
// next free slot, cut to the text limit; once every slot is taken the rest
// are only counted, so memory stays bounded however many arrive.
class SlotLines {
public:
    // Slots already taken by other messages (pictures, typed texts).
    explicit SlotLines(int taken = 0) : m_free(kSlotCount - qBound(0, taken, kSlotCount)) {}

    // False when the text did not fit and was only counted.
    bool add(const QString &text);
    // One line as bytes: a CR before its end goes, the rest is UTF-8.
    bool addLine(QByteArrayView line);
    // Every line of a block of output: LF or CR LF ends a line, and the
    // newline that ends the last one makes no line of its own.
    void addLines(QByteArrayView block);

    const QStringList &texts() const { return m_texts; }
    // Texts that came after every slot was taken.
    qint64 dropped() const { return m_dropped; }
    // Slots (0-based among texts()) whose text was cut to the limit.
    const QList<int> &cut() const { return m_cut; }
    bool isEmpty() const { return m_texts.isEmpty(); }
    // True once every slot is taken: what comes next is only counted.
    bool full() const { return m_texts.size() >= m_free; }

private:
    int m_free;
    QStringList m_texts;
    qint64 m_dropped = 0;
    QList<int> m_cut;
};

} // namespace glintag
