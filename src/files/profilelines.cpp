#include "files/profilelines.h"

namespace glintag::profilelines {

namespace {

// [begin, end) with blanks cut off at both ends.
void trimRange(const char *p, qsizetype &begin, qsizetype &end)
{
    while (begin < end && isBlank(p[begin]))
        ++begin;
    while (end > begin && isBlank(p[end - 1]))
        --end;
}

} // namespace

bool foldedEquals(const char *p, qsizetype begin, qsizetype end, const QByteArray &folded)
{
    if (end - begin != folded.size())
        return false;
    for (qsizetype i = 0; i < folded.size(); ++i) {
        if (foldChar(p[begin + i]) != folded.at(i))
            return false;
    }
    return true;
}

qsizetype lineEnd(const QByteArray &text, qsizetype pos)
{
    const char *p = text.constData();
    const qsizetype n = text.size();
    while (pos < n && !isBreak(p[pos]))
        ++pos;
    return pos;
}

qsizetype afterBreak(const QByteArray &text, qsizetype end)
{
    if (end >= text.size())
        return text.size();
    return (text.at(end) == '\r' && end + 1 < text.size() && text.at(end + 1) == '\n') ? end + 2 : end + 1;
}

std::optional<LineEnding> firstLineEnding(const QByteArray &text)
{
    const qsizetype at = lineEnd(text, 0);
    if (at >= text.size())
        return std::nullopt;
    if (text.at(at) == '\n')
        return LineEnding::Lf;
    return (at + 1 < text.size() && text.at(at + 1) == '\n') ? LineEnding::CrLf : LineEnding::Cr;
}

QByteArray lineBreak(LineEnding ending)
{
    switch (ending) {
    case LineEnding::CrLf:
        return QByteArrayLiteral("\r\n");
    case LineEnding::Cr:
        return QByteArrayLiteral("\r");
    case LineEnding::Lf:
        break;
    }
    return QByteArrayLiteral("\n");
}

bool sectionHeader(const char *p, qsizetype begin, qsizetype end, qsizetype *nameBegin, qsizetype *nameEnd)
{
    while (begin < end && isBlank(p[begin]))
        ++begin;
    if (begin == end || p[begin] != '[')
        return false;
    const void *close = std::memchr(p + begin + 1, ']', size_t(end - begin - 1));
    if (!close)
        return false;
    *nameBegin = begin + 1;
    *nameEnd = static_cast<const char *>(close) - p;
    trimRange(p, *nameBegin, *nameEnd);
    return true;
}

bool keyRange(const char *p, qsizetype begin, qsizetype end, qsizetype *keyBegin, qsizetype *keyEnd, qsizetype *eq)
{
    while (begin < end && isBlank(p[begin]))
        ++begin;
    if (begin == end || p[begin] == ';' || p[begin] == '#')
        return false;
    const void *at = std::memchr(p + begin, '=', size_t(end - begin));
    if (!at)
        return false;
    *eq = static_cast<const char *>(at) - p;
    *keyBegin = begin;
    *keyEnd = *eq;
    trimRange(p, *keyBegin, *keyEnd);
    return *keyEnd > *keyBegin;
}

int keySplit(const QByteArray &line, QByteArray *key)
{
    qsizetype kb, ke, eq;
    if (!keyRange(line.constData(), 0, line.size(), &kb, &ke, &eq))
        return -1;
    *key = line.mid(kb, ke - kb);
    return int(eq);
}

QByteArray valueOf(const QByteArray &line, int eq)
{
    QByteArray v = line.mid(eq + 1).trimmed();
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

// Quotes make blanks at either end, or quotes the reader would strip,
// survive a round trip. Line breaks would split the line, so they become
// spaces.
QByteArray storedForm(QByteArray value)
{
    value.replace('\r', ' ');
    value.replace('\n', ' ');
    if (value.isEmpty())
        return value;
    const char first = value.front();
    const char last = value.back();
    const bool quoted = value.size() >= 2 && (first == '"' || first == '\'') && last == first;
    if (isBlank(first) || isBlank(last) || quoted)
        return '"' + value + '"';
    return value;
}

} // namespace glintag::profilelines
