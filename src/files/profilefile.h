#pragma once

// A private-profile settings file as a document: the section index, the
// program's edits, the values read and written, loading and saving; the
// syntax of single lines, the text encodings and the safe replacement of
// the file are each left to their own file.

#include "files/profilelines.h"
#include "files/textencoding.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace glintag {

// An INI ("private profile") file held in memory as its original bytes plus
// the program's edits.
//
// Reading follows the rules people expect from hand-edited INI files:
// section and key names match regardless of ASCII letter case, blanks around
// a value and one pair of surrounding quotes are dropped, and when a section
// or a key appears twice the first one wins for reads and writes alike.
// Lines end in LF, CR LF or a lone CR. Files in UTF-8 (with or without a
// byte-order mark), a legacy code page, or UTF-16 with a byte-order mark are
// read; a save writes the same encoding and, on the lines it adds, the
// file's own line ends. Everything the program does not touch - other
// sections, other keys, comments, lines without "=", keys before the first
// section - is written back byte for byte.
//
// Memory stays near the file's size whatever its shape: only section
// headers are indexed when the file is read (six bytes each); keys are
// looked up in a section's own lines when asked for. No input, however
// malformed, makes loading fail.
class ProfileFile {
public:
    // The most bytes of a text value that a read returns.
    static constexpr int kValueLimit = 1023;
    // Larger files are not read at all: a settings file holds a few
    // kilobytes, and the whole file is kept in memory.
    static constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;

    using LineEnding = profilelines::LineEnding;
    using Encoding = TextEncoding;
    // Given bytes already cut to kValueLimit.
    using LegacyDecoder = glintag::LegacyDecoder;

    ProfileFile();

    static ProfileFile fromBytes(const QByteArray &bytes);

    // Replaces the content with the file at path. A missing file gives an
    // empty profile and counts as success; false means something is there
    // that could not be read (no regular file, too large, a read error),
    // with the cause in *reason, and the profile is then left empty. Never
    // blocks on a FIFO or device.
    bool load(const QString &path, QString *reason = nullptr);

    QByteArray toBytes() const;

    // Writes the whole file atomically (temporary file + rename), so a crash
    // or a full disk leaves either the old file or the new one. False when
    // anything fails, with the system's reason in *reason; the old file, or
    // whatever else is under that name, is then untouched.
    bool save(const QString &path, QString *reason = nullptr) const;

    bool contains(const QString &section, const QString &key) const;

    // The whole value as stored, blanks and one pair of quotes removed;
    // nothing when the key is missing.
    std::optional<QByteArray> rawValue(const QString &section, const QString &key) const;

    // A text value cut to at most kValueLimit bytes. Valid UTF-8 is cut at a
    // character boundary; anything else goes to legacyDecoder (or is decoded
    // leniently as UTF-8 when there is none). Windows builds use the ANSI
    // code page throughout instead, except in UTF-16 files.
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
    Encoding encoding() const { return m_encoding; }

    // How readInt turns a stored value into a number.
    static int parseInt(const QByteArray &text);

private:
    // Lines the program added to a section: after its last key line (at, an
    // offset into m_text) or, for a new section, after its header.
    struct AddedLines {
        quint32 at = 0;
        std::vector<QByteArray> lines;
        QHash<QByteArray, int> keys; // folded key -> index in lines
    };
    struct NewSection {
        QByteArray header;
        AddedLines added;
    };

    void parse(QByteArray bytes);
    // A section's lines: from the one after its header up to the next header.
    qsizetype bodyStart(int section) const;
    qsizetype bodyEnd(int section) const;
    int findSection(const QByteArray &folded) const;
    qint64 findKey(int section, const QByteArray &foldedKey) const;
    QByteArray currentLine(quint32 start) const;
    // What the program added to an original section (its index) or to a
    // new one (index -1, found by name); null when nothing.
    const AddedLines *addedLines(int section, const QByteArray &foldedSection) const;
    // The line that holds the key, or nothing.
    std::optional<QByteArray> keyLine(const QString &section, const QString &key) const;
    void writeBytes(const QString &section, const QString &key, const QByteArray &value);

    QByteArray m_text;                        // as read, without a byte-order mark; UTF-16 turned into UTF-8
    std::vector<quint32> m_headerAt;          // offset of each section header line, in file order
    std::vector<quint16> m_headerTag;         // hash of each folded section name
    std::map<quint32, QByteArray> m_replaced; // key line offset -> the line as the program rewrote it
    std::map<int, AddedLines> m_added;        // section index -> keys added to it
    std::vector<NewSection> m_newSections;
    QHash<QByteArray, int> m_newSectionIndex; // folded name -> index in m_newSections
    // Lookups in the unchanging original text are remembered.
    mutable QHash<QByteArray, int> m_sectionCache;
    mutable QHash<QByteArray, qint64> m_keyCache;
    LineEnding m_lineEnding;
    Encoding m_encoding = Encoding::Bytes;
};

} // namespace glintag
