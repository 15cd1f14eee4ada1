#pragma once

#include <QByteArray>
#include <QFile>

namespace glintag {

// Single bytes of a file read through a window of 64 KiB, for the walks
// that follow a file's structure before a decoder is let near it: a chain of
// millions of tiny blocks costs one pass over the bytes, not a read each.
class ByteWindow {
public:
    explicit ByteWindow(QFile &file) : m_file(file) {}
    // -1 past the end or on a read error.
    int at(qint64 pos)
    {
        if (pos < m_start || pos >= m_start + m_window.size()) {
            if (pos < 0 || !m_file.seek(pos))
                return -1;
            m_start = pos;
            m_window = m_file.read(64 * 1024);
            if (m_window.isEmpty())
                return -1;
        }
        return quint8(m_window.at(pos - m_start));
    }
    // Little-endian 16 bits; -1 when the file ends first.
    int word(qint64 pos)
    {
        const int lo = at(pos), hi = at(pos + 1);
        return lo < 0 || hi < 0 ? -1 : lo | hi << 8;
    }

private:
    QFile &m_file;
    QByteArray m_window;
    qint64 m_start = 0;
};

} // namespace glintag
