#include "badge/slotlines.h"

#include <algorithm>

namespace glintag {

QString cutToTextLimit(const QString &text, bool *cut)
{
    // Counting UTF-8 bytes per code point avoids encoding a text that may be
    // far longer than the limit.
    qsizetype bytes = 0, end = 0;
    for (qsizetype i = 0; i < text.size();) {
        const char32_t c = text.at(i).unicode();
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const int width = pair ? 4 : (c < 0x80 ? 1 : (c < 0x800 ? 2 : 3));
        if (bytes + width > kTextByteLimit)
            break;
        bytes += width;
        i += pair ? 2 : 1;
        end = i;
    }
    if (cut)
        *cut = end < text.size();
    return end < text.size() ? text.left(end) : text;
}

bool SlotLines::add(const QString &text)
{
    if (m_texts.size() >= m_free) {
        ++m_dropped;
        return false;
    }
    bool wasCut = false;
    m_texts << cutToTextLimit(text, &wasCut);
    if (wasCut)
        m_cut << int(m_texts.size() - 1);
    return true;
}

bool SlotLines::addLine(QByteArrayView line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    if (m_texts.size() >= m_free) {
        ++m_dropped;
        return false;
    }
    // Only what can survive the cut is decoded: four bytes per character
    // at most, and one more to know that something was cut.
    const qsizetype keep = std::min<qsizetype>(line.size(), kTextByteLimit + 4);
    QString text = QString::fromUtf8(line.first(keep));
    bool wasCut = keep < line.size();
    text = cutToTextLimit(text, wasCut ? nullptr : &wasCut);
    m_texts << text;
    if (wasCut)
        m_cut << int(m_texts.size() - 1);
    return true;
}

void SlotLines::addLines(QByteArrayView block)
{
    qsizetype start = 0;
    while (start < block.size()) {
        qsizetype end = block.indexOf('\n', start);
        if (end < 0)
            end = block.size();
        addLine(block.sliced(start, end - start));
        start = end + 1;
    }
}

} // namespace glintag
