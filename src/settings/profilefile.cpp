#include "settings/profilefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <climits>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace glintag {

namespace {

const char kBom[] = "\xEF\xBB\xBF";

// Names and texts travel in UTF-8 except on Windows, where the file keeps
// the ANSI code page other programs there expect.
QByteArray encodeText(const QString &text)
{
#ifdef Q_OS_WIN
    return text.toLocal8Bit();
#else
    return text.toUtf8();
#endif
}

// Unlike QString::fromUtf8 this keeps a leading U+FEFF, so a value that
// starts with one reads back as it was written.
QString fromUtf8Exact(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QString decodeName(const QByteArray &bytes)
{
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(bytes);
#else
    return fromUtf8Exact(bytes);
#endif
}

QByteArray fold(const QByteArray &name)
{
    return name.toLower();   // ASCII only, the same for every platform
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// "[name]" with anything after the first "]" ignored.
bool sectionHeader(const QByteArray &line, QByteArray *name)
{
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return false;
    const int close = t.indexOf(']');
    if (close < 0)
        return false;
    *name = t.mid(1, close - 1).trimmed();
    return true;
}

// The position of "=" in a key line, or -1 for comments, blank lines and
// lines without a key.
int keySplit(const QByteArray &line, QByteArray *key)
{
    int start = 0;
    while (start < line.size() && isBlank(line.at(start)))
        ++start;
    if (start == line.size() || line.at(start) == ';' || line.at(start) == '#')
        return -1;
    const int eq = line.indexOf('=', start);
    if (eq < 0)
        return -1;
    const QByteArray k = line.mid(start, eq - start).trimmed();
    if (k.isEmpty())
        return -1;
    *key = k;
    return eq;
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

bool ProfileFile::load(const QString &path)
{
    *this = ProfileFile();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    parse(bytes);
    return true;
}

void ProfileFile::parse(const QByteArray &bytes)
{
    const int size = bytes.size();
    int pos = 0;
    if (bytes.startsWith(kBom)) {
        m_hasBom = true;
        pos = 3;
    }
    const int firstBreak = bytes.indexOf('\n', pos);
    if (firstBreak >= 0)
        m_lineEnding = (firstBreak > pos && bytes.at(firstBreak - 1) == '\r') ? LineEnding::CrLf : LineEnding::Lf;

    while (pos < size) {
        const int nl = bytes.indexOf('\n', pos);
        const int end = nl < 0 ? size : nl;
        int lineEnd = end;
        if (lineEnd > pos && bytes.at(lineEnd - 1) == '\r')
            --lineEnd;
        const QByteArray line = bytes.mid(pos, lineEnd - pos);
        pos = end + 1;

        QByteArray name;
        if (sectionHeader(line, &name)) {
            const QByteArray folded = fold(name);
            if (!m_sectionIndex.contains(folded))
                m_sectionIndex.insert(folded, int(m_sections.size()));
            Section s;
            s.header = line;
            m_sections.push_back(std::move(s));
            continue;
        }
        if (m_sections.empty()) {
            m_preamble.push_back(line);
            continue;
        }
        Section &s = m_sections.back();
        s.lines.push_back(line);
        QByteArray key;
        if (keySplit(line, &key) >= 0) {
            const int index = int(s.lines.size()) - 1;
            const QByteArray folded = fold(key);
            if (!s.keys.contains(folded))
                s.keys.insert(folded, index);
            s.lastKeyLine = index;
        }
    }
}

QByteArray ProfileFile::toBytes() const
{
    const QByteArray eol = m_lineEnding == LineEnding::CrLf ? QByteArray("\r\n") : QByteArray("\n");
    qsizetype total = m_hasBom ? 3 : 0;
    for (const QByteArray &l : m_preamble)
        total += l.size() + eol.size();
    for (const Section &s : m_sections) {
        total += s.header.size() + eol.size();
        for (const QByteArray &l : s.lines)
            total += l.size() + eol.size();
    }

    QByteArray out;
    out.reserve(total);
    if (m_hasBom)
        out += kBom;
    for (const QByteArray &l : m_preamble)
        out += l + eol;
    for (const Section &s : m_sections) {
        out += s.header;
        out += eol;
        for (const QByteArray &l : s.lines) {
            out += l;
            out += eol;
        }
    }
    return out;
}

bool ProfileFile::save(const QString &path) const
{
    // A rename would replace a file the user made read-only; refuse like
    // the file system would for an in-place write.
    const QFileInfo info(path);
    if (info.isDir() || (info.exists() && !info.isWritable()))
        return false;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
#ifdef Q_OS_UNIX
    // Without this a power cut soon after the rename can leave an empty file.
    if (::fsync(file.handle()) != 0) {
        file.cancelWriting();
        return false;
    }
#endif
    return file.commit();
}

const ProfileFile::Section *ProfileFile::findSection(const QByteArray &name) const
{
    const auto it = m_sectionIndex.constFind(fold(name));
    return it == m_sectionIndex.constEnd() ? nullptr : &m_sections[size_t(it.value())];
}

std::optional<QByteArray> ProfileFile::rawValue(const QString &section, const QString &key) const
{
    const Section *s = findSection(encodeText(section));
    if (!s)
        return std::nullopt;
    const auto it = s->keys.constFind(fold(encodeText(key)));
    if (it == s->keys.constEnd())
        return std::nullopt;
    const QByteArray &line = s->lines[size_t(it.value())];
    QByteArray k;
    return valueOf(line, keySplit(line, &k));
}

bool ProfileFile::contains(const QString &section, const QString &key) const
{
    return rawValue(section, key).has_value();
}

QString ProfileFile::readString(const QString &section, const QString &key, const QString &defaultValue,
                                const LegacyDecoder &legacyDecoder) const
{
    const std::optional<QByteArray> raw = rawValue(section, key);
    if (!raw)
        return defaultValue;
#ifdef Q_OS_WIN
    Q_UNUSED(legacyDecoder);
    return QString::fromLocal8Bit(raw->left(kValueLimit));
#else
    if (isValidUtf8(*raw))
        return fromUtf8Exact(cutUtf8(*raw, kValueLimit));
    const QByteArray cut = raw->left(kValueLimit);
    return legacyDecoder ? legacyDecoder(cut) : fromUtf8Exact(cut);
#endif
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
    const QByteArray sectionName = encodeText(section);
    const QByteArray foldedSection = fold(sectionName);
    auto sit = m_sectionIndex.constFind(foldedSection);
    if (sit == m_sectionIndex.constEnd()) {
        Section s;
        s.header = '[' + sectionName + ']';
        m_sections.push_back(std::move(s));
        sit = m_sectionIndex.insert(foldedSection, int(m_sections.size()) - 1);
    }
    Section &s = m_sections[size_t(sit.value())];

    const QByteArray keyName = encodeText(key);
    const QByteArray foldedKey = fold(keyName);
    const auto kit = s.keys.constFind(foldedKey);
    if (kit != s.keys.constEnd()) {
        QByteArray &line = s.lines[size_t(kit.value())];
        QByteArray written;
        keySplit(line, &written);
        line = written + '=' + value;
        return;
    }
    // Only non-key lines follow the last key line, so no stored index moves.
    const int at = s.lastKeyLine + 1;
    s.lines.insert(s.lines.begin() + at, keyName + '=' + value);
    s.keys.insert(foldedKey, at);
    s.lastKeyLine = at;
}

QList<QPair<QString, QString>> ProfileFile::sectionEntries(const QString &section) const
{
    QList<QPair<QString, QString>> entries;
    const Section *s = findSection(encodeText(section));
    if (!s)
        return entries;
    for (int i = 0; i <= s->lastKeyLine; ++i) {
        const QByteArray &line = s->lines[size_t(i)];
        QByteArray key;
        const int eq = keySplit(line, &key);
        if (eq < 0 || s->keys.value(fold(key), -1) != i)
            continue;
        entries.append({decodeName(key), decodeName(valueOf(line, eq))});
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
