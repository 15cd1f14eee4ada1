#include "files/profilefile.h"

#include "files/atomicfile.h"
#include "files/regularfile.h"

#include <QSet>

#include <climits>
#include <utility>

namespace glintag {

using namespace profilelines;

namespace {

// A hash of the folded name, two bytes per section in the index.
quint16 nameTag(const char *p, qsizetype begin, qsizetype end)
{
    quint32 h = 2166136261u; // FNV-1a
    for (qsizetype i = begin; i < end; ++i)
        h = (h ^ quint8(foldChar(p[i]))) * 16777619u;
    return quint16(h ^ (h >> 16));
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
    :
    m_lineEnding(LineEnding::CrLf)
#else
    :
    m_lineEnding(LineEnding::Lf)
#endif
{}

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
    HeldText held = holdText(std::move(bytes));
    m_encoding = held.encoding;
    m_text = std::move(held.text);
    if (const std::optional<LineEnding> ending = firstLineEnding(m_text))
        m_lineEnding = *ending;

    const char *p = m_text.constData();
    const qsizetype size = m_text.size();

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
    const QByteArray foldedSection = fold(encodeName(section, m_encoding));
    const QByteArray foldedKey = fold(encodeName(key, m_encoding));
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
    const QByteArray eol = lineBreak(m_lineEnding);
    // Reserved in full up front: growing a buffer of a large file would
    // briefly hold it twice over.
    qsizetype extra = eol.size();
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
    QByteArray out = beginFileBytes(m_encoding, m_text.size() + extra);
    const qsizetype markBytes = out.size();
    auto startLine = [&] {
        if (out.size() > markBytes && !isBreak(out.back()))
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

    return finishFileBytes(std::move(out), m_encoding);
}

bool ProfileFile::save(const QString &path, QString *reason) const
{
    return writeFileAtomically(path, toBytes(), reason);
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
    return decodeValue(*raw, m_encoding, kValueLimit, legacyDecoder);
}

int ProfileFile::readInt(const QString &section, const QString &key, int defaultValue) const
{
    const std::optional<QByteArray> raw = rawValue(section, key);
    return raw ? parseInt(*raw) : defaultValue;
}

void ProfileFile::writeString(const QString &section, const QString &key, const QString &value)
{
    writeBytes(section, key, storedForm(encodeName(value, m_encoding)));
}

void ProfileFile::writeInt(const QString &section, const QString &key, int value)
{
    writeBytes(section, key, QByteArray::number(value));
}

void ProfileFile::writeBytes(const QString &section, const QString &key, const QByteArray &value)
{
    const QByteArray sectionBytes = encodeName(section, m_encoding);
    const QByteArray foldedSection = fold(sectionBytes);
    const QByteArray keyName = encodeName(key, m_encoding);
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
        entries.append({decodeName(key, m_encoding), decodeName(valueOf(line, eq), m_encoding)});
    };

    const QByteArray foldedSection = fold(encodeName(section, m_encoding));
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

} // namespace glintag
