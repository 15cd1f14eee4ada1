#include "files/profilefile.h"

#include "files/regularfile.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace glintag {

namespace {

const char kBom[] = "\xEF\xBB\xBF";

// Unlike QString::fromUtf8 this keeps a leading U+FEFF, so a value that
// starts with one reads back as it was written.
QString fromUtf8Exact(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QByteArray fold(const QByteArray &name)
{
    return name.toLower();   // ASCII only, the same for every platform
}

char foldChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// Blanks inside a line; line breaks never are inside one.
bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isBreak(char c)
{
    return c == '\n' || c == '\r';
}

// One past the last byte of the line starting at pos.
qsizetype lineEnd(const QByteArray &text, qsizetype pos)
{
    const char *p = text.constData();
    const qsizetype n = text.size();
    while (pos < n && !isBreak(p[pos]))
        ++pos;
    return pos;
}

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

// Where the line after the one ending at end starts: CR LF, LF and a lone
// CR each end a line.
qsizetype afterBreak(const QByteArray &text, qsizetype end)
{
    if (end >= text.size())
        return text.size();
    return (text.at(end) == '\r' && end + 1 < text.size() && text.at(end + 1) == '\n') ? end + 2 : end + 1;
}

// [begin, end) with blanks cut off at both ends.
void trimRange(const char *p, qsizetype &begin, qsizetype &end)
{
    while (begin < end && isBlank(p[begin]))
        ++begin;
    while (end > begin && isBlank(p[end - 1]))
        --end;
}

// "[name]" with anything after the first "]" ignored; gives the name's range.
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

quint16 nameTag(const char *p, qsizetype begin, qsizetype end)
{
    quint32 h = 2166136261u;   // FNV-1a
    for (qsizetype i = begin; i < end; ++i)
        h = (h ^ quint8(foldChar(p[i]))) * 16777619u;
    return quint16(h ^ (h >> 16));
}

// The key of a key line as a range, or false for comments, blank lines and
// lines without a key; *eq is the position of the "=".
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

// The position of "=" in a key line, or -1 for comments, blank lines and
// lines without a key.
int keySplit(const QByteArray &line, QByteArray *key)
{
    qsizetype kb, ke, eq;
    if (!keyRange(line.constData(), 0, line.size(), &kb, &ke, &eq))
        return -1;
    *key = line.mid(kb, ke - kb);
    return int(eq);
}

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

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool fail(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
    return false;
}

} // namespace

ProfileFile::ProfileFile()
#ifdef Q_OS_WIN
    : m_lineEnding(LineEnding::CrLf)
#else
    : m_lineEnding(LineEnding::Lf)
#endif
{
}

ProfileFile ProfileFile::fromBytes(const QByteArray &bytes)
{
    ProfileFile p;
    p.parse(bytes);
    return p;
}

bool ProfileFile::load(const QString &path, QString *reason)
{
    *this = ProfileFile();
    QFile file;
    const RegularFileOpen opened = openRegularFile(file, path);
    if (opened.status == RegularFileOpen::Status::Missing)
        return true;
    if (opened.status == RegularFileOpen::Status::Refused)
        return fail(reason, opened.reason);
    const qint64 size = file.size();
    if (size > kMaxFileBytes)
        return fail(reason, QStringLiteral("The file is too large for a settings file (%1 bytes).").arg(size));
    // Sized by the file rather than read to its end, so a file that keeps
    // growing cannot make us hold more than the limit.
    QByteArray bytes = file.read(size);
    if (file.error() != QFileDevice::NoError)
        return fail(reason, QStringLiteral("The file cannot be read: %1.").arg(file.errorString()));
    parse(std::move(bytes));
    return true;
}

void ProfileFile::parse(QByteArray bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        // UTF-16, as Windows' own profile functions and "Unicode" editors
        // write it; held as UTF-8 like every other file. A leading U+FEFF
        // after the mark is text and stays.
        m_encoding = bytes.at(0) == '\xFF' ? Encoding::Utf16Le : Encoding::Utf16Be;
        QStringDecoder decoder(m_encoding == Encoding::Utf16Le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::ConvertInitialBom);
        QString text = decoder.decode(QByteArrayView(bytes).sliced(2));
        bytes = QByteArray();
        m_text = text.toUtf8();
    } else {
        if (bytes.startsWith(kBom)) {
            m_encoding = Encoding::Utf8Bom;
            bytes.remove(0, 3);
        }
        m_text = std::move(bytes);
    }

    const char *p = m_text.constData();
    const qsizetype size = m_text.size();
    const qsizetype firstBreak = lineEnd(m_text, 0);
    if (firstBreak < size) {
        if (p[firstBreak] == '\n')
            m_lineEnding = LineEnding::Lf;
        else
            m_lineEnding = (firstBreak + 1 < size && p[firstBreak + 1] == '\n') ? LineEnding::CrLf : LineEnding::Cr;
    }

    // Counted first, so the index is allocated once at its final size.
    for (int pass = 0; pass < 2; ++pass) {
        size_t count = 0;
        LineWalker lines(m_text);
        for (qsizetype pos = 0; pos < size;) {
            const qsizetype end = lines.end(pos);
            qsizetype nb, ne;
            if (sectionHeader(p, pos, end, &nb, &ne)) {
                if (pass == 1) {
                    m_headerAt.push_back(quint32(pos));
                    m_headerTag.push_back(nameTag(p, nb, ne));
                }
                ++count;
            }
            pos = afterBreak(m_text, end);
        }
        if (pass == 0) {
            m_headerAt.reserve(count);
            m_headerTag.reserve(count);
        }
    }
}

bool ProfileFile::textIsUtf8() const
{
#ifdef Q_OS_WIN
    // Names and texts keep the ANSI code page other programs there expect.
    return m_encoding == Encoding::Utf16Le || m_encoding == Encoding::Utf16Be;
#else
    return true;
#endif
}

QByteArray ProfileFile::encodeText(const QString &text) const
{
    return textIsUtf8() ? text.toUtf8() : text.toLocal8Bit();
}

QString ProfileFile::decodeName(const QByteArray &bytes) const
{
    return textIsUtf8() ? fromUtf8Exact(bytes) : QString::fromLocal8Bit(bytes);
}

qsizetype ProfileFile::bodyStart(int section) const
{
    return afterBreak(m_text, lineEnd(m_text, m_headerAt[size_t(section)]));
}

qsizetype ProfileFile::bodyEnd(int section) const
{
    return size_t(section) + 1 < m_headerAt.size() ? qsizetype(m_headerAt[size_t(section) + 1]) : m_text.size();
}

int ProfileFile::findSection(const QByteArray &folded) const
{
    const auto cached = m_sectionCache.constFind(folded);
    if (cached != m_sectionCache.constEnd())
        return cached.value();
    const char *p = m_text.constData();
    const quint16 tag = nameTag(folded.constData(), 0, folded.size());
    int found = -1;
    for (size_t i = 0; i < m_headerTag.size() && found < 0; ++i) {
        if (m_headerTag[i] != tag)
            continue;
        const qsizetype at = m_headerAt[i];
        qsizetype nb, ne;
        if (sectionHeader(p, at, lineEnd(m_text, at), &nb, &ne) && foldedEquals(p, nb, ne, folded))
            found = int(i);
    }
    m_sectionCache.insert(folded, found);
    return found;
}

qint64 ProfileFile::findKey(int section, const QByteArray &foldedKey) const
{
    const QByteArray cacheKey = QByteArray::number(section) + '\n' + foldedKey;
    const auto cached = m_keyCache.constFind(cacheKey);
    if (cached != m_keyCache.constEnd())
        return cached.value();
    const char *p = m_text.constData();
    qint64 found = -1;
    LineWalker lines(m_text);
    const char first = foldedKey.isEmpty() ? '\0' : foldedKey.front();
    for (qsizetype pos = bodyStart(section), stop = bodyEnd(section); pos < stop && found < 0;) {
        const qsizetype end = lines.end(pos);
        qsizetype start = pos;
        while (start < end && isBlank(p[start]))
            ++start;
        qsizetype kb, ke, eq;
        // Most lines are ruled out by their first letter alone.
        if (start < end && foldChar(p[start]) == first && keyRange(p, pos, end, &kb, &ke, &eq)
            && foldedEquals(p, kb, ke, foldedKey))
            found = pos;
        pos = afterBreak(m_text, end);
    }
    m_keyCache.insert(cacheKey, found);
    return found;
}

QByteArray ProfileFile::currentLine(quint32 start) const
{
    const auto it = m_replaced.find(start);
    if (it != m_replaced.end())
        return it->second;
    return m_text.mid(start, lineEnd(m_text, start) - start);
}

const ProfileFile::AddedLines *ProfileFile::addedLines(int section, const QByteArray &foldedSection) const
{
    if (section >= 0) {
        const auto it = m_added.find(section);
        return it != m_added.end() ? &it->second : nullptr;
    }
    const auto it = m_newSectionIndex.constFind(foldedSection);
    return it != m_newSectionIndex.constEnd() ? &m_newSections[size_t(it.value())].added : nullptr;
}

std::optional<QByteArray> ProfileFile::keyLine(const QString &section, const QString &key) const
{
    const QByteArray foldedSection = fold(encodeText(section));
    const QByteArray foldedKey = fold(encodeText(key));
    const int s = findSection(foldedSection);
    if (s >= 0) {
        const qint64 at = findKey(s, foldedKey);
        if (at >= 0)
            return currentLine(quint32(at));
    }
    const AddedLines *added = addedLines(s, foldedSection);
    if (!added)
        return std::nullopt;
    const auto k = added->keys.constFind(foldedKey);
    if (k == added->keys.constEnd())
        return std::nullopt;
    return added->lines[size_t(k.value())];
}

QByteArray ProfileFile::toBytes() const
{
    const QByteArray eol = m_lineEnding == LineEnding::CrLf ? QByteArray("\r\n")
                           : m_lineEnding == LineEnding::Cr ? QByteArray("\r")
                                                            : QByteArray("\n");
    // Reserved in full up front: growing a buffer of a large file would
    // briefly hold it twice over.
    qsizetype extra = 3 + eol.size();
    const auto linesSize = [&eol](const AddedLines &a) {
        qsizetype n = eol.size();
        for (const QByteArray &l : a.lines)
            n += l.size() + eol.size();
        return n;
    };
    for (const auto &r : m_replaced)
        extra += r.second.size();
    for (const auto &a : m_added)
        extra += linesSize(a.second);
    for (const NewSection &s : m_newSections)
        extra += s.header.size() + eol.size() + linesSize(s.added);
    QByteArray out;
    out.reserve(m_text.size() + extra);
    if (m_encoding == Encoding::Utf8Bom)
        out += kBom;
    const qsizetype bomBytes = out.size();
    auto startLine = [&] {
        if (out.size() > bomBytes && !isBreak(out.back()))
            out += eol;
    };
    auto addLines = [&](const std::vector<QByteArray> &lines) {
        for (const QByteArray &l : lines) {
            out += l;
            out += eol;
        }
    };

    // The original text with the edits put in, in file order: added keys
    // at their offsets, rewritten lines in place of their originals.
    qsizetype copied = 0;
    auto replaced = m_replaced.begin();
    auto added = m_added.begin();
    for (;;) {
        const qsizetype nextReplaced = replaced != m_replaced.end() ? qsizetype(replaced->first) : -1;
        const qsizetype nextAdded = added != m_added.end() ? qsizetype(added->second.at) : -1;
        if (nextReplaced < 0 && nextAdded < 0)
            break;
        if (nextAdded >= 0 && (nextReplaced < 0 || nextAdded <= nextReplaced)) {
            out.append(QByteArrayView(m_text).sliced(copied, nextAdded - copied));
            copied = nextAdded;
            startLine();
            addLines(added->second.lines);
            ++added;
        } else {
            out.append(QByteArrayView(m_text).sliced(copied, nextReplaced - copied));
            out += replaced->second;
            copied = lineEnd(m_text, nextReplaced);
            ++replaced;
        }
    }
    out.append(QByteArrayView(m_text).sliced(copied));

    for (const NewSection &s : m_newSections) {
        startLine();
        out += s.header;
        out += eol;
        addLines(s.added.lines);
    }

    if (m_encoding != Encoding::Utf16Le && m_encoding != Encoding::Utf16Be)
        return out;
    // Turned into UTF-16 a slice at a time (the decoder carries a character
    // split between slices over), so the whole text is never held a third
    // time as a QString.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QStringEncoder encoder(m_encoding == Encoding::Utf16Le ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE,
                           QStringEncoder::Flag::WriteBom);
    qsizetype units = 1;   // the byte-order mark
    for (const char c : std::as_const(out))
        units += (quint8(c) & 0xC0) == 0x80 ? 0 : quint8(c) >= 0xF0 ? 2 : 1;   // a pair above U+FFFF
    QByteArray utf16;
    utf16.reserve(2 * units);
    constexpr qsizetype kSlice = 64 * 1024;
    for (qsizetype at = 0; at < out.size(); at += kSlice)
        utf16 += encoder.encode(decoder.decode(QByteArrayView(out).sliced(at, std::min(kSlice, out.size() - at))));
    utf16 += encoder.encode(decoder.decode(QByteArrayView()));
    return utf16;
}

bool ProfileFile::save(const QString &path, QString *reason) const
{
    const QFileInfo info(path);
    // The rename would replace a FIFO or device with a file, and a file the
    // user made read-only; refuse like the file system would for an
    // in-place write.
    if (info.exists() && !info.isFile())
        return fail(reason, notARegularFileReason(info.isDir()));
    if (info.exists() && !info.isWritable())
        return fail(reason, QStringLiteral("The file is read-only."));

    QSaveFile file(path);
    // Unbuffered: the bytes are written in one go, and a buffer would only
    // hold a second copy of them.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(reason, file.errorString());
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(reason, why);
    }
#ifdef Q_OS_UNIX
    // Without this a power cut soon after the rename can leave an empty file.
    if (::fsync(file.handle()) != 0) {
        const QString why = systemReason();
        file.cancelWriting();
        return fail(reason, why);
    }
#endif
    if (!file.commit())
        return fail(reason, file.errorString());
    return true;
}

std::optional<QByteArray> ProfileFile::rawValue(const QString &section, const QString &key) const
{
    const std::optional<QByteArray> line = keyLine(section, key);
    if (!line)
        return std::nullopt;
    QByteArray k;
    return valueOf(*line, keySplit(*line, &k));
}

bool ProfileFile::contains(const QString &section, const QString &key) const
{
    return keyLine(section, key).has_value();
}

QString ProfileFile::readString(const QString &section, const QString &key, const QString &defaultValue,
                                const LegacyDecoder &legacyDecoder) const
{
    const std::optional<QByteArray> raw = rawValue(section, key);
    if (!raw)
        return defaultValue;
    if (!textIsUtf8())
        return QString::fromLocal8Bit(raw->left(kValueLimit));
    if (isValidUtf8(*raw))
        return fromUtf8Exact(cutUtf8(*raw, kValueLimit));
    const QByteArray cut = raw->left(kValueLimit);
    return legacyDecoder ? legacyDecoder(cut) : fromUtf8Exact(cut);
}

int ProfileFile::readInt(const QString &section, const QString &key, int defaultValue) const
{
    const std::optional<QByteArray> raw = rawValue(section, key);
    return raw ? parseInt(*raw) : defaultValue;
}

void ProfileFile::writeString(const QString &section, const QString &key, const QString &value)
{
    writeBytes(section, key, storedForm(encodeText(value)));
}

void ProfileFile::writeInt(const QString &section, const QString &key, int value)
{
    writeBytes(section, key, QByteArray::number(value));
}

void ProfileFile::writeBytes(const QString &section, const QString &key, const QByteArray &value)
{
    const QByteArray sectionBytes = encodeText(section);
    const QByteArray foldedSection = fold(sectionBytes);
    const QByteArray keyName = encodeText(key);
    const QByteArray foldedKey = fold(keyName);

    AddedLines *added = nullptr;
    const int s = findSection(foldedSection);
    if (s >= 0) {
        const qint64 at = findKey(s, foldedKey);
        if (at >= 0) {
            QByteArray written;
            keySplit(currentLine(quint32(at)), &written);
            m_replaced[quint32(at)] = written + '=' + value;
            return;
        }
        auto it = m_added.find(s);
        if (it == m_added.end()) {
            // New keys go after the section's last key line, or right
            // after its header when it has none.
            const char *p = m_text.constData();
            qsizetype insertAt = bodyStart(s);
            LineWalker lines(m_text);
            for (qsizetype pos = insertAt, stop = bodyEnd(s); pos < stop;) {
                const qsizetype end = lines.end(pos);
                qsizetype kb, ke, eq;
                const bool isKey = keyRange(p, pos, end, &kb, &ke, &eq);
                pos = afterBreak(m_text, end);
                if (isKey)
                    insertAt = pos;
            }
            it = m_added.emplace(s, AddedLines{}).first;
            it->second.at = quint32(insertAt);
        }
        added = &it->second;
    } else {
        auto it = m_newSectionIndex.constFind(foldedSection);
        if (it == m_newSectionIndex.constEnd()) {
            m_newSections.push_back({'[' + sectionBytes + ']', {}});
            it = m_newSectionIndex.insert(foldedSection, int(m_newSections.size()) - 1);
        }
        added = &m_newSections[size_t(it.value())].added;
    }

    const QByteArray line = keyName + '=' + value;
    const auto k = added->keys.constFind(foldedKey);
    if (k != added->keys.constEnd()) {
        QByteArray written;
        keySplit(added->lines[size_t(k.value())], &written);
        added->lines[size_t(k.value())] = written + '=' + value;
        return;
    }
    added->keys.insert(foldedKey, int(added->lines.size()));
    added->lines.push_back(line);
}

QList<QPair<QString, QString>> ProfileFile::sectionEntries(const QString &section) const
{
    QList<QPair<QString, QString>> entries;
    QSet<QByteArray> seen;
    auto take = [&](const QByteArray &line) {
        QByteArray key;
        const int eq = keySplit(line, &key);
        if (eq < 0)
            return;
        const QByteArray folded = fold(key);
        if (seen.contains(folded))
            return;
        seen.insert(folded);
        entries.append({decodeName(key), decodeName(valueOf(line, eq))});
    };

    const QByteArray foldedSection = fold(encodeText(section));
    const int s = findSection(foldedSection);
    if (s >= 0) {
        LineWalker lines(m_text);
        for (qsizetype pos = bodyStart(s), stop = bodyEnd(s); pos < stop;) {
            const qsizetype end = lines.end(pos);
            take(currentLine(quint32(pos)));
            pos = afterBreak(m_text, end);
        }
    }
    if (const AddedLines *added = addedLines(s, foldedSection)) {
        for (const QByteArray &line : added->lines)
            take(line);
    }
    return entries;
}

int ProfileFile::parseInt(const QByteArray &text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && isBlank(text.at(i)))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == '+' || text.at(i) == '-')) {
        negative = text.at(i) == '-';
        ++i;
    }
    // Saturate rather than wrap, so a huge number never lands back inside a
    // range the caller accepts.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long value = 0;
    for (; i < n && text.at(i) >= '0' && text.at(i) <= '9'; ++i) {
        value = value * 10 + (text.at(i) - '0');
        if (value > limit)
            value = limit;
    }
    return int(negative ? -value : value);
}

bool ProfileFile::isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        unsigned char lo = 0x80, hi = 0xBF;   // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            if (c == 0xE0)
                lo = 0xA0;        // no overlong forms
            else if (c == 0xED)
                hi = 0x9F;        // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F;        // nothing above U+10FFFF
        } else {
            return false;
        }
        if (n - i <= extra)
            return false;
        if (p[i + 1] < lo || p[i + 1] > hi)
            return false;
        for (int k = 2; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        }
        i += extra + 1;
    }
    return true;
}

QByteArray ProfileFile::cutUtf8(const QByteArray &bytes, int maxBytes)
{
    if (bytes.size() <= maxBytes)
        return bytes;
    int n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(bytes.at(n)) & 0xC0) == 0x80)
        --n;
    return bytes.left(n);
}

} // namespace glintag
