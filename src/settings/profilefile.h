#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace glintag {

// An INI ("private profile") file held in memory as its lines.
//
// Reading follows the rules people expect from hand-edited INI files:
// section and key names match regardless of ASCII letter case, blanks around
// a value and one pair of surrounding quotes are dropped, and when a section
// or a key appears twice the first one wins for reads and writes alike.
// Everything the program does not touch - other sections, other keys,
// comments, lines without "=", keys before the first section - is written
// back as it was. Loading is linear in the file's size; no input, however
// malformed, makes it fail.
class ProfileFile {
public:
    // The most bytes of a text value that a read returns.
    static constexpr int kValueLimit = 1023;

    enum class LineEnding { Lf, CrLf };

    // Decodes the bytes of a value that is not valid UTF-8 (a file written
    // in a legacy code page). The bytes are already cut to kValueLimit.
    using LegacyDecoder = std::function<QString(const QByteArray &)>;

    ProfileFile();

    static ProfileFile fromBytes(const QByteArray &bytes);

    // Replaces the content with the file at path. A missing file gives an
    // empty profile and counts as success; false means the file exists but
    // could not be read, and the profile is then left empty.
    bool load(const QString &path);

    QByteArray toBytes() const;

    // Writes the whole file atomically (temporary file + rename), so a crash
    // or a full disk leaves either the old file or the new one. False when
    // anything fails; the old file is then untouched.
    bool save(const QString &path) const;

    bool contains(const QString &section, const QString &key) const;

    // The whole value as stored, blanks and one pair of quotes removed;
    // nothing when the key is missing.
    std::optional<QByteArray> rawValue(const QString &section, const QString &key) const;

    // A text value cut to at most kValueLimit bytes. Valid UTF-8 is cut at a
    // character boundary; anything else goes to legacyDecoder (or is decoded
    // leniently as UTF-8 when there is none). Windows builds use the ANSI
    // code page throughout instead.
    QString readString(const QString &section, const QString &key, const QString &defaultValue,
                       const LegacyDecoder &legacyDecoder = {}) const;

    // Decimal integer: optional sign, digits, stop at the first other
    // character. A present value without digits reads as 0; values beyond
    // the int range saturate.
    int readInt(const QString &section, const QString &key, int defaultValue) const;

    // Replaces the first matching key's value in place; a new key goes after
    // the last key of its section, a new section at the end of the file.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInt(const QString &section, const QString &key, int value);

    // Every key of the first section with this name, in file order, with
    // its value (first occurrence of a repeated key only).
    QList<QPair<QString, QString>> sectionEntries(const QString &section) const;

    LineEnding lineEnding() const { return m_lineEnding; }

    // Helpers shared with the value mapping and its tests.
    static int parseInt(const QByteArray &text);
    static bool isValidUtf8(const QByteArray &bytes);
    // The longest prefix of at most maxBytes bytes that does not end inside
    // a UTF-8 sequence.
    static QByteArray cutUtf8(const QByteArray &bytes, int maxBytes);

private:
    struct Section {
        QByteArray header;                  // the header line as written
        std::vector<QByteArray> lines;      // lines after the header
        QHash<QByteArray, int> keys;        // folded key -> index in lines
        int lastKeyLine = -1;
    };

    const Section *findSection(const QByteArray &name) const;
    void writeBytes(const QString &section, const QString &key, const QByteArray &value);
    void parse(const QByteArray &bytes);

    std::vector<QByteArray> m_preamble;     // lines before the first section
    std::vector<Section> m_sections;
    QHash<QByteArray, int> m_sectionIndex;  // folded name -> first section
    LineEnding m_lineEnding;
    bool m_hasBom = false;
};

} // namespace glintag
