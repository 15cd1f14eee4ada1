#pragma once

// The syntax of one line of a private-profile file - where lines end, what
// makes a section header or a key line, how a value is quoted - worked on
// ranges of the text as it is held; which section a line belongs to, the
// edits and the file's encoding are no concern of this file.

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <optional>

namespace glintag::profilelines {

enum class LineEnding {
    Lf,
    CrLf,
    Cr
};

// Blanks inside a line; line breaks never are inside one.
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

inline bool isBreak(char c)
{
    return c == '\n' || c == '\r';
}

// Names match regardless of ASCII letter case, the same on every platform.
inline char foldChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

inline QByteArray fold(const QByteArray &name)
{
    return name.toLower();
}

bool foldedEquals(const char *p, qsizetype begin, qsizetype end, const QByteArray &folded);

// One past the last byte of the line starting at pos.
qsizetype lineEnd(const QByteArray &text, qsizetype pos);

// Where the line after the one ending at end starts: CR LF, LF and a lone
// CR each end a line.
qsizetype afterBreak(const QByteArray &text, qsizetype end);

// How the first line of the text ends; nothing while it has no line break.
std::optional<LineEnding> firstLineEnding(const QByteArray &text);

QByteArray lineBreak(LineEnding ending);

// lineEnd for walking a text line by line: the next CR and LF are found
// with memchr and remembered, so a walk costs two passes of memchr over the
// text rather than a test of every byte.
class LineWalker {
public:
    explicit LineWalker(const QByteArray &text) : m_p(text.constData()), m_size(text.size()) {}
    qsizetype end(qsizetype pos)
    {
        if (m_cr < pos)
            m_cr = next('\r', pos);
        if (m_lf < pos)
            m_lf = next('\n', pos);
        return std::min(m_cr, m_lf);
    }

private:
    qsizetype next(char c, qsizetype pos) const
    {
        const void *at = pos < m_size ? std::memchr(m_p + pos, c, size_t(m_size - pos)) : nullptr;
        return at ? static_cast<const char *>(at) - m_p : m_size;
    }
    const char *m_p;
    qsizetype m_size;
    qsizetype m_cr = -1, m_lf = -1;
};

// "[name]" in [begin, end), anything after the first "]" ignored; gives
// the name's range, blanks cut off.
bool sectionHeader(const char *p, qsizetype begin, qsizetype end, qsizetype *nameBegin, qsizetype *nameEnd);

// The key of a key line as a range, or false for comments, blank lines and
// lines without a key; *eq is the position of the "=".
bool keyRange(const char *p, qsizetype begin, qsizetype end, qsizetype *keyBegin, qsizetype *keyEnd, qsizetype *eq);

// The position of "=" in a key line, with its key in *key, or -1 for
// comments, blank lines and lines without a key.
int keySplit(const QByteArray &line, QByteArray *key);

// The value of a key line whose "=" is at eq: blanks and one pair of
// surrounding quotes removed.
QByteArray valueOf(const QByteArray &line, int eq);

// The value as a key line stores it, so that valueOf gives it back.
QByteArray storedForm(QByteArray value);

} // namespace glintag::profilelines
